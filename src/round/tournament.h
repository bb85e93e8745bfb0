#pragma once

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace Zuvi {

class Throne;

namespace Round {
struct Pairing;
}

/// The round window: one round of the tournament. Loading it pairs the round into the two
/// facing lists (entry i of MatchList1 plays entry i of MatchList2): the first round is
/// drawn at random from the registration window's entrants, every later round is paired by
/// score groups from the standings. The organiser adjusts the pairing, records each game
/// in the game panel, times the round and ends it, which shows the standings in the
/// registration window and destroys this window.
class Tournament final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window and runs its load, which pairs the round. A database failure
    /// while pairing throws DbError; the caller runs under the error path.
    explicit Tournament(Throne *throne);
    ~Tournament() override;
    Q_DISABLE_COPY_MOVE(Tournament)

    /// True once "End Round" has run: the window is hidden and about to be destroyed, and
    /// the next start builds a new one.
    bool roundEnded() const { return m_roundEnded; }

    QListWidget *MatchList1() const { return m_matchList1; }
    QListWidget *MatchList2() const { return m_matchList2; }
    QFrame *GameFrame() const { return m_gameFrame; }
    QTimer *Timer1() const { return m_timer1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildGamePanel();
    void buildClock();
    void connectHandlers();

    void load();
    void firstRoundDraw();
    void standingsPairing();
    void fillPairing(const Round::Pairing &pairing);

    void moveUp();
    void moveDown();
    void swapOpponents(int row, int otherRow);

    void selectGame();
    void chooseResult(int index);
    void recordGame();

    void endRound();

    void startClock();
    void tickClock();

    Throne *m_throne;
    bool m_roundEnded = false;
    // Set while the result field finishes an edit: a typed text never sets player 2's
    // result, even when it matches an entry of the list.
    bool m_resultTyped = false;

    QListWidget *m_matchList1 = nullptr;
    QListWidget *m_matchList2 = nullptr;
    QPushButton *m_moveUp = nullptr;
    QPushButton *m_moveDown = nullptr;

    QFrame *m_gameFrame = nullptr;
    QLabel *m_gameNumber = nullptr;
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
};

} // namespace Zuvi
