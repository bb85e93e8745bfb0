#pragma once

#include "tournament/tournamentstore.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace Zuvi {

namespace Data {
class ServerLink;
}

/// The tournament kept on a PostgreSQL server that several stations share: the same
/// tables as Tourny.db, and the same changes, each one transaction. On top of the file's
/// store it keeps the stations apart:
/// - every change takes the tournament's change counter (one row, locked for the
///   transaction) and, except for a game recorded or taken back, is refused where another
///   station changed the tournament since this station last read it;
/// - a game is recorded only while its table is open in the pairing the station shows
///   ("Table 12 was recorded at another station a moment ago.");
/// - pairing (start, Up/Down, end of round, entrants) is one station's act at a time
///   ("Round 3 is being paired at another station.");
/// - every change notifies the other stations, which read the tournament again.
/// A refused or failed change throws ServerError (an Interruption: the station carries on)
/// and has the tournament read again.
class ServerTournamentStore final : public TournamentStore
{
public:
    enum class Role {
        Full,       ///< every change
        ResultsOnly ///< games recorded, taken back and amended; no registration or pairing
    };
    /// link must outlive the store. Creates the tables where the database has none.
    explicit ServerTournamentStore(Data::ServerLink &link, Role role = Role::Full);
    /// A store that keeps its own link.
    explicit ServerTournamentStore(std::unique_ptr<Data::ServerLink> link, Role role = Role::Full);
    ~ServerTournamentStore() override;

    Progress::State read() override;
    QList<Progress::StandingsRow> standings() override;

    void clear() override;
    void addEntrant(const Progress::State &next, int position, const Progress::Entrant &entrant,
                    bool intoStandings, bool fresh) override;
    void changeEntrants(const QList<Progress::Entrant> &entrants) override;
    void setOptions(const Progress::State &next, bool fresh) override;
    void startRound(Progress::State &next, bool firstStart, bool fresh,
                    const Pairer &pair) override;
    void swapSeats(int seatA, const Progress::Seat &a, int seatB, const Progress::Seat &b) override;
    qint64 recordGame(const Progress::Game &game, const Progress::Seat &seat,
                      const QList<StandingsChange> &changes) override;
    void reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                    const QList<StandingsChange> &changes) override;
    QList<Progress::Entrant> amendGame(const Progress::Game &game,
                                       const QList<StandingsChange> &changes,
                                       const EntrantsOf &entrantsOf,
                                       const ArchiveOf &archiveOf = {}) override;
    QList<Progress::Entrant> recordMissedGame(Progress::Game &game,
                                              const Progress::MissedGame &missed,
                                              const QList<StandingsChange> &changes,
                                              const EntrantsOf &entrantsOf,
                                              const ArchiveOf &archiveOf = {}) override;
    QList<Progress::Entrant> endRound(const Progress::State &next,
                                      const QList<Progress::MissedGame> &missed,
                                      const EntrantsOf &entrantsOf,
                                      const ArchiveOf &archiveOf = {}) override;
    void leaveRound(Progress::State &next, const Pairer &pair) override;
    void saveClock(const Progress::State &next) override;
    void saveReports(const Progress::State &next) override;

    bool isShared() const override { return true; }
    QString station() const override;
    void setChangeHandler(std::function<void()> handler) override;

private:
    enum class Check {
        Counter,  ///< refused where the tournament changed since this station read it
        Pairing,  ///< as Counter, and one station's pairing at a time
        Unchecked ///< the change checks what it is about itself
    };
    /// Whether a results-only station may make the change.
    enum class Act { Result, Organise };
    /// Runs write in one transaction with the change counter taken and checked, then
    /// counts the change and notifies the other stations.
    /// step names the change in the log of steps (ZuviStep), with this station's name.
    template <typename Write> auto change(Check check, Act act, const char *step, Write &&write);
    /// Makes sure this station hears of the other stations' changes.
    void listen();
    /// Has the tournament read again soon (after another station's change, or a refusal).
    void scheduleReload();
    /// Opens a lost connection again (or waits longer), then has the tournament read.
    void readAgain();

    std::unique_ptr<Data::ServerLink> m_ownLink;
    Data::ServerLink &m_link;
    Role m_role;
    /// The change counter as of this station's last read, or -1 before the first.
    qint64 m_seen = -1;
    std::function<void()> m_changeHandler;
    QObject m_context;
    QTimer m_reloadTimer;
    QTimer m_watchTimer;
    int m_retryMs = 30;
    QObject *m_listeningDriver = nullptr;
};

} // namespace Zuvi
