#pragma once

#include <QWidget>

namespace Zuvi {

class Throne;

/// The round window: the pairing of one round, its games and its clock.
class Tournament final : public QWidget
{
    Q_OBJECT

public:
    explicit Tournament(Throne *throne);
    Q_DISABLE_COPY_MOVE(Tournament)

private:
    Throne *m_throne;
};

} // namespace Zuvi
