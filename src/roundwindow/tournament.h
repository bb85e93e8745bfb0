#pragma once

#include "tournament/progresstypes.h"

#include <QWidget>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTimer;

namespace Zuvi {

class TournamentProgress;

namespace Ui {
class Announcer;
class TextListModel;
} // namespace Ui

/// The round window: one round of the tournament. It shows the open round's pairing in
/// two facing lists (entry i of MatchList1 plays entry i of MatchList2), the games not yet
/// recorded at their seats. The organiser adjusts the pairing, records each game in the
/// game panel, takes a game back (Ctrl+Z), times the round and ends it, which shows the
/// standings in the registration window and destroys this window. Every change goes
/// through the tournament's progress, which stores it first.
class Tournament final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window over the open round of progress. resumed: the round was resumed
    /// after a restart, and the clock shows the time it has left.
    explicit Tournament(TournamentProgress *progress, bool resumed = false);
    ~Tournament() override;
    Q_DISABLE_COPY_MOVE(Tournament)

    /// True once "End Round" has run: the window is hidden and about to be destroyed, and
    /// the next start builds a new one.
    bool roundEnded() const { return m_roundEnded; }

    QListView *MatchList1() const { return m_matchList1; }
    QListView *MatchList2() const { return m_matchList2; }
    QFrame *GameFrame() const { return m_gameFrame; }
    QTimer *Timer1() const { return m_timer1; }
    /// "Undo last game" (Ctrl+Z).
    QAction *undoAction() const { return m_undo; }
    /// "Recorded games…".
    QAction *recordedGamesAction() const { return m_recordedGames; }
    /// "Pair this round again".
    QAction *pairAgainAction() const { return m_pairAgain; }
    /// "Take the report" (F8) and "Reject the reports" (Shift+F8) for the selected game.
    QAction *takeReportAction() const { return m_takeReport; }
    QAction *rejectReportsAction() const { return m_rejectReports; }
    /// Adds commands to the context menus of both lists (and their shortcuts to the
    /// window).
    void addContextActions(const QList<QAction *> &actions);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void nameControls(const QString &listsHelp, const QString &gameHelp);
    void buildGamePanel();
    void buildClock();
    void buildActions();
    void connectHandlers();

    void showPairing(const Progress::PairingChange &change);
    /// Shows the game at row of the lists in the panel, which then holds that game.
    void showGame(int row);
    /// The game shown at row of the lists; a null game where the row shows none.
    Progress::GameRef gameOfRow(int row) const;
    /// The row of the lists that shows game, or -1.
    int rowOfGame(const Progress::GameRef &game) const;
    /// After a change that did not come from this window: where the game the panel holds is
    /// no longer as the panel shows it (recorded, taken back or changed elsewhere, or its
    /// pairing gone), the panel empties and says what became of it.
    void followShownGame();
    /// What became of game, in words for the organiser.
    QString fateOf(const Progress::GameRef &game) const;
    /// Empties the panel and the lists' selection and shows notice in the panel.
    void emptyPanel(const QString &notice);
    /// Empties both results and both powers of the panel.
    void clearResults();

    void moveUp();
    void moveDown();
    void swapOpponents(int row, int otherRow);

    void selectGame();
    void chooseResult(int index);
    void recordGame();
    void undoLastGame();
    void reopen(int row, const QString &result1, double power1, double power2);
    /// Fills the panel with a result and powers, as a reopened game or a report shows them.
    void fillPanel(const QString &result1, double power1, double power2);
    /// Marks the rows whose tables have reports (a tool tip with the reports, a tint).
    void showReports();
    void takeReport();
    void rejectReports();
    /// After a game left the lists: the next game, or "End Round", takes the keyboard.
    void goOnAfterRecording(int row, const QString &recorded);
    void showRecordedGames();
    void pairAgain();

    void endRound();

    void startClock();
    void tickClock();

    TournamentProgress *m_progress;
    bool m_roundEnded = false;
    // The lists carry the marks of reports (cleared once reports are no longer taken).
    bool m_reportsShown = false;
    // Set while the result field finishes an edit: a typed text never sets player 2's
    // result, even when it matches an entry of the list.
    bool m_resultTyped = false;
    // Set while a step of this window runs: the changes it makes are the organiser's own and
    // leave the panel to the step.
    bool m_ownStep = false;
    // The game the panel holds, and what it showed of it: its players and, once recorded
    // here, the recorded game (id 0 while the game waits for its result). "Game Over"
    // records exactly this game.
    Progress::GameRef m_shown;
    Progress::Seat m_shownSeat;
    Progress::Game m_shownRecord;

    QListView *m_matchList1 = nullptr;
    QListView *m_matchList2 = nullptr;
    Ui::TextListModel *m_list1Model = nullptr;
    Ui::TextListModel *m_list2Model = nullptr;
    QPushButton *m_moveUp = nullptr;
    QPushButton *m_moveDown = nullptr;

    QFrame *m_gameFrame = nullptr;
    QLabel *m_gameNumber = nullptr;
    /// Says in the emptied panel what became of its game.
    QLabel *m_gameNotice = nullptr;
    QLabel *m_versus = nullptr;
    QLabel *m_player1 = nullptr;
    QLabel *m_player2 = nullptr;
    QComboBox *m_player1Win = nullptr;
    QLabel *m_player2Win = nullptr;
    QLineEdit *m_player1Power = nullptr;
    QLineEdit *m_player2Power = nullptr;
    QPushButton *m_gameDone = nullptr;
    QPushButton *m_endTourny = nullptr;

    QLabel *m_fullTime = nullptr;
    QLineEdit *m_minutes = nullptr;
    QPushButton *m_startTimer = nullptr;
    QTimer *m_timer1 = nullptr;

    /// Says a recorded game, a reopened one and a change of the pairing to screen readers.
    Ui::Announcer *m_announcer = nullptr;

    QAction *m_undo = nullptr;
    QAction *m_recordedGames = nullptr;
    QAction *m_pairAgain = nullptr;
    QAction *m_takeReport = nullptr;
    QAction *m_rejectReports = nullptr;
};

} // namespace Zuvi
