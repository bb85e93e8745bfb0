#pragma once

#include "history/playerrecord.h"

#include <QDialog>

namespace Zuvi {

/// A player's record over the club's archive: the tournaments played with the places,
/// wins, draws, losses and byes, points, houses, and head-to-head against each opponent.
class PlayerRecordDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit PlayerRecordDialog(const History::PlayerRecord &record, const QString &name,
                                QWidget *parent = nullptr);
};

} // namespace Zuvi
