#pragma once

#include "round/roundclock.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace Zuvi {

namespace Data {
class DbConnection;
}

class PlayerInfo;
class Tournament;

/// The registration window: the start-up window and the hub of a tournament. It lists the
/// stored players, takes the entrants with their houses and the number of rounds, starts
/// each round, opens the player editor, and holds the tournament-wide state that the round
/// window reads and changes (the round counter, the first-round flag, the entrant lists).
class Throne final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window and runs its load sequence. A database failure while loading
    /// throws DbError (main() reports it and ends before the window is shown).
    explicit Throne(QWidget *parent = nullptr);
    ~Throne() override;
    Q_DISABLE_COPY_MOVE(Throne)

    /// Empties StoredPlayers and fills it from the player table by display name.
    void FillNames();

    /// Number of the round the next start plays; roundcounter - 1 rounds are finished.
    qint16 roundcounter() const { return m_roundcounter; }
    void setRoundcounter(qint16 value) { m_roundcounter = value; }
    /// 0 until the round window has paired the first round, then 1.
    qint16 RandomFirst() const { return m_randomFirst; }
    void setRandomFirst(qint16 value) { m_randomFirst = value; }

    QListWidget *StoredPlayers() const { return m_storedPlayers; }
    QListWidget *TournyPlayers() const { return m_tournyPlayers; }
    QListWidget *PlayerHouses() const { return m_playerHouses; }
    QListWidget *PlayerScores() const { return m_playerScores; }
    QComboBox *House() const { return m_house; }
    QLineEdit *Rounds() const { return m_rounds; }
    QPushButton *StartButton() const { return m_startButton; }

    /// The round window of the round being played, or null (also once its round has ended
    /// and it is on its way out).
    Tournament *tournament() const;

    /// The round clock's counters. They outlive a round window: the hours left when one
    /// round ends carry into the next round window.
    Round::RoundClock &roundClock() { return m_roundClock; }

    /// The open player editor, or null.
    PlayerInfo *playerEditor() const;

    /// The random source of the first-round draw: numbers uniform in [0, 1). By default a
    /// generator seeded from the clock at each draw; tests install a fixed one.
    using RandomSource = std::function<double()>;
    void setRandomSource(RandomSource source) { m_randomSource = std::move(source); }
    RandomSource randomSource() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void load();

    void addEntrant();
    void removeEntrant();
    void start();
    void openPlayerEditor();
    void placeBeside(QWidget *window) const;

    void StoreTournament();
    void ClearTournament(Data::DbConnection &connection);

    qint16 m_roundcounter = 1;
    qint16 m_randomFirst = 0;
    RandomSource m_randomSource;
    Round::RoundClock m_roundClock;
    QPixmap m_background;

    QLabel *m_playerLabel = nullptr;
    QListWidget *m_storedPlayers = nullptr;
    QPushButton *m_command1 = nullptr;
    QComboBox *m_house = nullptr;
    QPushButton *m_addTourny = nullptr;
    QPushButton *m_removeTourny = nullptr;
    QLineEdit *m_rounds = nullptr;
    QListWidget *m_tournyPlayers = nullptr;
    QListWidget *m_playerHouses = nullptr;
    QListWidget *m_playerScores = nullptr;
    QPushButton *m_startButton = nullptr;

    QPointer<Tournament> m_tournament;
    QPointer<PlayerInfo> m_playerEditor;
};

} // namespace Zuvi
