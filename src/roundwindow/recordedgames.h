#pragma once

#include "tournament/progresstypes.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace Zuvi {

class TournamentProgress;

namespace Round {
class GamesTableModel;
}

/// "Recorded games": every game of the tournament with its round, table, players, result
/// and powers. A game of the open round can be reopened (it goes back to the round
/// window's lists, as an undo does); a game of an ended round can be amended in place,
/// and the standings change by the difference.
class RecordedGamesDialog final : public QDialog
{
    Q_OBJECT

public:
    RecordedGamesDialog(TournamentProgress *progress, QWidget *parent);
    ~RecordedGamesDialog() override;
    Q_DISABLE_COPY_MOVE(RecordedGamesDialog)

Q_SIGNALS:
    /// A game of the open round went back to row of the round window's lists.
    void reopened(int row, const Zuvi::Progress::Game &game);

private:
    void refresh();
    void selectGame();
    const Progress::Game *selectedGame() const;
    void reopen();
    void amend();

    TournamentProgress *m_progress;
    Round::GamesTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QComboBox *m_result = nullptr;
    QLineEdit *m_power1 = nullptr;
    QLineEdit *m_power2 = nullptr;
    QPushButton *m_reopen = nullptr;
    QPushButton *m_amend = nullptr;
};

} // namespace Zuvi
