#pragma once

#include "round/roundclock.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace Zuvi {

class PageServer;
class PlayerInfo;
class Tournament;
class TournamentProgress;

namespace Ui {
class TextListModel;
class Utf8ListModel;
} // namespace Ui

/// The registration window: the start-up window and the hub of a tournament. It lists the
/// stored players, takes the entrants with their houses and the number of rounds, starts
/// each round and opens the player editor. The tournament's progress (entrants, round
/// counter, pairing, games) is a model of its own that this window is given and shows; at
/// start-up it offers to resume a tournament that was stored unfinished.
class Throne final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window over the tournament model and runs its load sequence, which asks
    /// whether to resume a stored tournament. The model must outlive the window; one
    /// without a parent is adopted and goes with it. A database failure while loading
    /// throws DbError (main() reports it and ends before the window is shown).
    explicit Throne(TournamentProgress *progress, QWidget *parent = nullptr);
    ~Throne() override;
    Q_DISABLE_COPY_MOVE(Throne)

    /// Empties StoredPlayers and fills it from the player table by display name.
    void FillNames();

    /// Number of the round the next start plays; roundcounter - 1 rounds are finished.
    qint16 roundcounter() const;
    /// 0 until the first round has been drawn, then 1.
    qint16 RandomFirst() const;

    /// The tournament in progress.
    TournamentProgress *progress() const { return m_progress; }

    QListView *StoredPlayers() const { return m_storedPlayers; }
    QListView *TournyPlayers() const { return m_tournyPlayers; }
    QListView *PlayerHouses() const { return m_playerHouses; }
    QListView *PlayerScores() const { return m_playerScores; }
    QComboBox *House() const { return m_house; }
    QLineEdit *Rounds() const { return m_rounds; }
    QPushButton *StartButton() const { return m_startButton; }

    /// The round window of the round being played, or null (also once its round has ended
    /// and it is on its way out).
    Tournament *tournament() const;

    /// The open player editor, or null.
    PlayerInfo *playerEditor() const;

    /// Adds commands to the context menus of the window and its lists (their shortcuts
    /// work anywhere in the window).
    void addContextActions(const QList<QAction *> &actions);
    /// Adds commands to the context menu of StoredPlayers only.
    void addStoredPlayersActions(const QList<QAction *> &actions);

    /// "Reinstate" and "Avoid rematches".
    QAction *reinstateAction() const { return m_reinstate; }
    QAction *avoidRematchesAction() const { return m_avoidRematches; }
    QAction *recordedGamesAction() const { return m_recordedGames; }

Q_SIGNALS:
    /// A round window was opened (the start of a round, or a resumed round).
    void roundWindowOpened(Zuvi::Tournament *round);
    /// The organiser chose where the tournament is kept ("Connect to a shared
    /// tournament…", "Work on this computer only"): main() opens the windows again over
    /// the store of the new choice.
    void storeChosen();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    /// Where the tournament is kept: connect to a shared one, reconnect, work locally.
    QList<QAction *> stationActions();
    /// "History…": the club's finished tournaments and the league over them.
    void showHistory();
    /// A player's record over the club's archive.
    void showPlayerRecord(qint64 playerId, const QString &name);
    /// "Merge history into…": the selected stored player's archived tournaments go to
    /// another stored player who is the same person.
    void mergeHistory();
    void dropPlayer();
    /// "Players' page on the network…": starts or stops the page.
    void showPageDialog();
    /// "Lift waits for wrong codes…": the phones that wait after wrong codes on the players'
    /// page may report again (after a question).
    void liftWaits();
    /// "New code for this player": the selected entrant's personal code is replaced (after
    /// a question), and the new card can be printed at once.
    void renewPlayerCode();
    /// The name of the entrant selected in the entrant list, or else in the score list (which
    /// keeps every entrant during the first round); empty where none is.
    QString selectedEntrantName() const;
    void buildControls();
    void nameControls(QLabel *label2, QLabel *label3, QLabel *roundsLbl, QLabel *tournyLabel,
                      QLabel *houseLabel, QLabel *label1, QLabel *label4);
    void buildActions();
    void load();
    void showEntrants();
    /// Marks the entrants who asked from their table to drop.
    void showDropRequests();
    /// "Drop requests…": asks the organiser about each request in turn.
    void settleDropRequests();
    void showRound();

    void addEntrant();
    void removeEntrant();
    void reinstate();
    void start();
    void openRoundWindow(bool resumed);
    void openPlayerEditor();
    void showRecordedGames();
    void showStoredHint();
    void placeBeside(QWidget *window) const;

    TournamentProgress *m_progress = nullptr;
    QPixmap m_background;

    QLabel *m_playerLabel = nullptr;
    QListView *m_storedPlayers = nullptr;
    QPushButton *m_command1 = nullptr;
    QComboBox *m_house = nullptr;
    QPushButton *m_addTourny = nullptr;
    QPushButton *m_removeTourny = nullptr;
    QLineEdit *m_rounds = nullptr;
    QListView *m_tournyPlayers = nullptr;
    QListView *m_playerHouses = nullptr;
    QListView *m_playerScores = nullptr;
    QPushButton *m_startButton = nullptr;
    Ui::Utf8ListModel *m_storedModel = nullptr;
    Ui::TextListModel *m_namesModel = nullptr;
    Ui::TextListModel *m_housesModel = nullptr;
    Ui::TextListModel *m_scoresModel = nullptr;
    // Entrants are marked as asking to drop.
    bool m_dropsShown = false;

    QAction *m_reinstate = nullptr;
    QAction *m_avoidRematches = nullptr;
    QAction *m_recordedGames = nullptr;

    /// PlayerInfo's id of each row of StoredPlayers.
    QList<qint64> m_storedIds;
    /// Shown over the empty StoredPlayers: how to bring players in.
    QLabel *m_storedHint = nullptr;

    QPointer<Tournament> m_tournament;
    QPointer<PlayerInfo> m_playerEditor;
    /// The players' page, made when it is first asked for; it serves until stopped.
    PageServer *m_pageServer = nullptr;
    QAction *m_pageAction = nullptr;
    QAction *m_liftWaitsAction = nullptr;
};

} // namespace Zuvi
