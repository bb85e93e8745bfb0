#pragma once

#include <QWidget>

namespace Zuvi {

class Throne;

/// The player editor: one record of the player table at a time over a registration card.
class PlayerInfo final : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerInfo(Throne *throne);
    Q_DISABLE_COPY_MOVE(PlayerInfo)

private:
    Throne *m_throne;
};

} // namespace Zuvi
