#pragma once

#include "round/roundclock.h"
#include "tournament/progresstypes.h"
#include "tournament/tablereports.h"
#include "tournament/tournamentstore.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace Zuvi {

/// The tournament in progress, without widgets: the entrants, the number of rounds, the
/// round counter, the first-round flag, the open round's pairing, every recorded game and
/// the round clock. Each operation is one of the organiser's actions: it computes the next
/// state, has its store write the change in one transaction before anything is shown (a
/// failure throws and changes nothing in memory), takes the state over and announces it
/// through the signals below, which the windows (and the big screen) follow.
class TournamentProgress final : public QObject
{
    Q_OBJECT

public:
    /// The model over the tournament where this run keeps it (storeChoice(): the files on
    /// this computer unless a shared server was chosen). Throws ServerError where the
    /// server cannot be reached.
    explicit TournamentProgress(QObject *parent = nullptr);
    /// The model over store, which must outlive it.
    explicit TournamentProgress(TournamentStore *store, QObject *parent = nullptr);
    ~TournamentProgress() override;
    Q_DISABLE_COPY_MOVE(TournamentProgress)

    // ---- Reading ------------------------------------------------------------------

    const Progress::State &state() const { return m_state; }
    const QList<Progress::Entrant> &entrants() const { return m_state.entrants; }
    const QList<Progress::Seat> &seats() const { return m_state.seats; }
    const QList<Progress::Game> &games() const { return m_state.games; }
    qint16 roundcounter() const { return m_state.roundcounter; }
    qint16 RandomFirst() const { return m_state.randomFirst; }
    bool roundOpen() const { return m_state.roundOpen; }
    const QString &roundsText() const { return m_state.roundsText; }
    /// When the tournament was first started (ms since the epoch; 0 before that, or for a
    /// tournament stored before the start was kept): names its backups' folder.
    qint64 startedAtMs() const { return m_state.startedAtMs; }
    bool avoidRematches() const { return m_state.avoidRematches; }
    /// The number of rounds as last started, or nothing before the start.
    std::optional<qint16> rounds() const;
    /// True once the last round has ended.
    bool over() const;

    /// The seats of the open round whose game is not yet recorded, in seat order: row i
    /// of the round window's lists shows seat openSeats()[i].
    const QList<int> &openSeats() const { return m_openSeats; }
    /// The games recorded at the open round's pairing, oldest first.
    QList<Progress::Game> openRoundGames() const;

    /// The standings as stored (score descending, power descending, name ascending).
    /// Reads the database: may throw DbError.
    QList<Progress::StandingsRow> standings() const;

    /// The round clock's counters; the round window's timer ticks it through tickClock().
    Round::RoundClock &clock() { return m_clock; }

    // ---- Start-up -------------------------------------------------------------------

    /// What a start-up finds stored that can be resumed.
    struct StoredTournament
    {
        bool started = false;         ///< false: a registration not yet started
        qsizetype entrants = 0;       ///< entrants registered
        qint16 round = 1;             ///< the round open or next
        std::optional<qint16> rounds; ///< the number of rounds, where it is a number
        bool roundOpen = false;       ///< a round was being played
        int recorded = 0;             ///< games of the open round recorded
        int games = 0;                ///< games of the open round
    };
    /// Reads the stored progress. Returns what there is to resume, or nothing (an empty
    /// or finished tournament); memory stays as it is until resume(), which takes over
    /// what was read whether it was offered or not (the exports read a finished
    /// tournament so).
    std::optional<StoredTournament> loadStored();
    /// Takes over what loadStored() read.
    void resume();
    /// Drops the stored progress (the standings table stays as it is).
    void discard();
    /// True where other stations share the stored tournament: a start-up takes over what
    /// is stored without asking, and the model follows the other stations' changes.
    bool isShared() const { return m_store->isShared(); }
    /// This station's name where stations share the tournament; empty otherwise.
    QString station() const { return m_store->station(); }
    /// Reads the tournament again as stored (another station changed it, or refused a
    /// change of this one) and announces what changed. Where only games of the open
    /// pairing were recorded or taken back, the rows change one by one, so that the
    /// lists keep their selection.
    void reload();

    // ---- Registration ---------------------------------------------------------------

    enum class AddResult { Added, AlreadyEntered };
    /// Appends an entrant with score "0(0)". After the start the entrant also enters the
    /// standings with score and power 0 and is paired from the next round on. playerId is
    /// the stored player it comes from (0: not known); an entrant of the same name or from
    /// the same stored player is already entered.
    AddResult addEntrant(const QString &name, const QString &house, qint64 playerId = 0);
    /// The name a stored player enters under: its display name, or, where a different
    /// stored player of that name has entered, the name with the city added ("Lovelace,
    /// Ada (London)"), or a number where that is taken too or there is no city ("Lovelace,
    /// Ada (2)"). Nothing when this player has entered already.
    std::optional<QString> entrantNameFor(const QString &displayName, qint64 playerId,
                                          const QString &city) const;
    /// "Remove From Tournament" on row of the entrant list (rows count the entrants whose
    /// name is shown). Before the start the entrant goes; after it the entrant is dropped.
    void removeEntrant(int row);
    /// The same for the entrant of that name, wherever the lists show it: before the start
    /// the entrant goes, after it the entrant is dropped. False when no entrant still in
    /// the tournament has that name (removed or dropped meanwhile).
    bool removeEntrantNamed(const QString &name);
    /// The names of the entrants still in the tournament (not dropped), in list order.
    QStringList playingNames() const;
    /// Brings the dropped entrant at row of the entrant list back into the pairing.
    void reinstate(int row);
    /// The entrant shown at row of the entrant list, or -1.
    int entrantOfRow(int row) const;
    void setAvoidRematches(bool on);
    /// Whether the big screen is open, kept with the tournament so that a resume opens it
    /// again.
    bool bigScreenOpen() const { return m_state.bigScreenOpen; }

    /// "Review pairings before publishing": a new pairing reaches the players' page and
    /// the big screen only with publishPairing(). Turned on, the pairing shown now stays
    /// shown.
    bool reviewPairings() const { return m_state.reviewPairings; }
    void setReviewPairings(bool on);
    /// Whether the room is shown the open round's pairing.
    bool pairingPublished() const { return Progress::pairingPublished(m_state); }
    /// "Publish pairings": the open round's pairing, as it stands, goes to the room.
    void publishPairing();
    void setBigScreenOpen(bool open);

    // ---- Rounds -----------------------------------------------------------------------

    /// Uniform numbers in [0, 1) for the first-round draw.
    using RandomSource = std::function<double()>;
    void setRandomSource(RandomSource source) { m_randomSource = std::move(source); }

    /// Why a start is refused: no number of rounds (empty or below 0), not a whole number
    /// from 1 to 99, fewer rounds than the tournament has reached, or the tournament over.
    enum class StartRefusal { None, NoRounds, NotWholeInRange, FewerThanReached, Over };
    /// Checks the typed number of rounds as "Start Tournament" does.
    StartRefusal checkStart(const QString &roundsText) const;
    /// The fewest rounds the tournament can be set to: the round being played, or the
    /// rounds ended when none is open (0 before the first start).
    qint16 fewestRounds() const;
    /// True when the typed number of rounds, accepted by checkStart, would change the
    /// number stored with a started tournament.
    bool changesRounds(const QString &roundsText) const;
    /// Stores the number of rounds, writes the standings at the first start, and pairs
    /// the round (the draw first, the standings after) unless a round is open.
    void startRound(const QString &roundsText);
    /// Swaps the opponents at rows row and otherRow of the open round's lists.
    void swapOpponents(int row, int otherRow);
    /// The game at a table (1-based) of the open round's pairing, as the round window's
    /// panel holds it.
    Progress::GameRef openRoundGame(int table) const
    {
        return {m_state.roundcounter, m_state.pairingNumber, table};
    }
    /// Whether the game waits for its result: a table of the open round's pairing whose game
    /// is not recorded.
    bool isOpen(const Progress::GameRef &game) const;
    /// The game recorded at that table of that pairing, where it is recorded.
    std::optional<Progress::Game> recordedGame(const Progress::GameRef &game) const;
    /// Whether the game was recorded from its players' agreeing reports.
    bool recordedFromReports(const Progress::GameRef &game) const;

    enum class RecordRefusal {
        None,        ///< recorded
        NotOpen,     ///< no round is open, or the game belongs to another round or pairing
        NoSuchTable, ///< the pairing has no such table
        Recorded,    ///< the table's game is recorded already
    };
    /// "Game Over" for exactly the game named: recorded where it still waits for its result,
    /// else refused (nothing changes), so that a result is never stored for another table.
    RecordRefusal recordGame(const Progress::GameRef &game, const QString &result1, double power1,
                             double power2);
    /// Games of ended rounds that were not recorded, in round and table order.
    const QList<Progress::MissedGame> &missedGames() const { return m_state.missed; }
    /// Records a game of an ended round that was not recorded in time: its points and
    /// powers join the standings in one transaction, as an amend changes them.
    void recordMissedGame(const Progress::MissedGame &missed, const QString &result1, double power1,
                          double power2);
    /// Takes back the open round's last recorded game; returns its row in the lists
    /// again, or nothing when there is no game to undo.
    std::optional<int> undoLastGame();
    /// Takes back one game of the open round's pairing; returns its row again.
    std::optional<int> reopenGame(qint64 gameId);
    /// Changes a game of an ended round; the standings change by the difference.
    void amendGame(qint64 gameId, const QString &result1, double power1, double power2);
    /// "End Round": the entrant lists show the standings, the counter goes up, a copy of
    /// the file is kept in the backups folder.
    void endRound();
    /// Leaves the open round without ending it: no seats, the clock stopped; the next
    /// start pairs the round again.
    void abandonRound();
    enum class RepairRefusal { None, NoRound, GamesRecorded };
    /// "Pair this round again": the open round's pairing is made anew, as the start of the
    /// round would make it now (the first round is drawn again). Refused while any game of
    /// the pairing is recorded.
    RepairRefusal repairRound();

    // ---- Results reported from the tables ----------------------------------------------

    /// "Take results from the players' page": players report their table's result with
    /// their personal codes.
    bool takeReports() const { return m_state.takeReports; }
    void setTakeReports(bool on);
    /// "Confirm reports at the desk": an agreed report waits for recordReport().
    bool confirmReports() const { return m_state.confirmReports; }
    void setConfirmReports(bool on);

    /// The personal code of an entrant (by name), empty where it has none yet.
    QString playerCode(const QString &name) const { return m_state.playerCodes.value(name); }
    /// The entrant whose personal code is code (as typed), or empty.
    QString ownerOfCode(const QString &code) const;
    /// Gives every entrant who has none a personal code, drawn from the system's random
    /// source, and stores them; codes of names no longer entered go. Nothing is stored where
    /// every entrant has a code.
    void ensurePlayerCodes();
    /// "New code for this player": the entrant's code (a lost card's) stops working and a
    /// new one is stored in its place. Returns the new code, or empty for a name not entered.
    QString renewPlayerCode(const QString &name);

    using ReportRequest = Progress::ReportRequest;
    enum class ReportOutcome {
        Taken,           ///< kept; it waits for the other player or the organiser
        Recorded,        ///< both players agreed and the game is recorded
        NotTaking,       ///< reports are not taken, or no round is open
        NoSuchTable,     ///< the code's owner has no game of the round waiting (or a bye)
        AlreadyRecorded, ///< the table's game is recorded: a report never changes it
        WrongCode,       ///< the code is no entrant's
        BadReport,       ///< the result or a power is not one the desk would take
        AlreadyDropped,  ///< the player has dropped already
    };
    /// Takes a report from the page. The reporter is the owner of the code, at that owner's
    /// table; a wrong code is refused and counted at the table the request named. Where
    /// the two players of the table, each with their own code, agree and the desk need not
    /// confirm, the game is recorded as "Game Over" records it.
    ReportOutcome takeReport(const ReportRequest &request);
    /// The (1-based) table of the open round where an entrant plays, or 0.
    int tableOf(const QString &name) const;
    /// Reports refused for a wrong code that named a table (1-based) of the open round.
    int refusedReports(int table) const;
    /// Where the reports of a table (1-based) stand, and its pending result reports.
    Progress::TableReports tableReports(int table) const;
    QList<Progress::Report> pendingReports(int table) const;
    /// Records the agreed report of a table (1-based) of the open round; false where its
    /// reports do not agree.
    bool recordReport(int table);
    /// Rejects the pending reports of a table (1-based) of the open round.
    void rejectReports(int table);
    /// The entrants who asked from their table to drop, not yet settled (nor dropped).
    QStringList dropRequests() const;
    /// Settles an entrant's request to drop: with drop, the entrant is dropped as "Remove
    /// From Tournament" drops one (kept in the standings, paired no more); else the
    /// request is declined.
    void settleDropRequest(const QString &name, bool drop);

    // ---- Clock --------------------------------------------------------------------------

    void startClock(qint16 minutes);
    Round::RoundClock::Tick tickClock();
    bool clockRunning() const { return m_clock.running(); }

    /// Sets the counters in memory only, for tests and the benchmark that play from a
    /// given round.
    void setCounters(qint16 roundcounter, qint16 randomFirst)
    {
        m_state.roundcounter = roundcounter;
        m_state.randomFirst = randomFirst;
    }

Q_SIGNALS:
    /// The room's view of the pairing changed: published, or the option turned.
    void publishedChanged();
    /// The entrant lists changed (add, remove, drop, draw, end of round, resume).
    void entrantsChanged();
    /// The open round's pairing changed, as change says.
    void pairingChanged(const Zuvi::Progress::PairingChange &change);
    /// A game was recorded, undone or amended.
    void gamesChanged();
    /// The round counter changed (end of round, resume).
    void roundChanged();
    /// The clock shows a new caption.
    void clockChanged(const QString &caption);
    /// A report came from a table, or one was recorded, rejected or settled; or the report
    /// options changed.
    void reportsChanged();

private:
    void rebuildOpenSeats();
    /// Stores next's reports and takes them over.
    void storeReports(const Progress::State &next);
    /// A new book of reports for the pairing of state.
    static Progress::ReportBook newReportBook(const Progress::State &state);
    /// The stored book belongs to the open round's pairing.
    bool bookIsCurrent() const;
    /// Gives each entrant of next without a personal code one; true where any was given.
    static bool giveMissingCodes(Progress::State &next);
    /// Records the agreed report of a table and keeps its reports as recorded.
    void recordFromReports(int table, const Progress::Report &agreed);
    /// The pending reports of a table lapse (its game was recorded at the desk).
    void settleTable(int table);
    int seatOfRow(int row) const;
    /// The index of a recorded game in the state, or -1.
    qsizetype gameIndex(qint64 gameId) const;
    /// Stores the entrants as given, then takes them over and announces them.
    void replaceEntrants(QList<Progress::Entrant> next);
    /// The entrant lists of the standings given, each entrant keeping what the lists knew
    /// of it (dropped, its stored player, whether its name shows).
    QList<Progress::Entrant> entrantsFromStandings(const QList<Progress::StandingsRow> &rows,
                                                   bool showAllNames) const;
    /// Pairs the round of next: the draw first (redraw: the first round drawn again), the
    /// standings (read through standings) after. Returns true for a draw, which changes
    /// the entrants.
    bool pairRound(Progress::State &next, bool redraw,
                   const TournamentStore::StandingsReader &standings) const;
    /// For a store's change: where finished is a tournament whose last round has ended,
    /// what makes its archive from the final standings the store reads (finished must
    /// outlive the store's call); nothing otherwise.
    TournamentStore::ArchiveOf archiveIfOver(const Progress::State &finished) const;
    /// The finished tournament of the state given, with its final standings, as the club's
    /// archive keeps it.
    History::ArchivedTournament
    archiveOfTournament(const Progress::State &finished,
                        const QList<Progress::StandingsRow> &rows) const;
    /// The state with the open round closed: no seats, the clock stopped at its time left.
    Progress::State withRoundClosed() const;
    /// Takes over a state whose round is closed and brings the clock to its time left.
    void takeClosedRound(Progress::State next);

    /// The store this model made for itself, where it was given none.
    std::unique_ptr<TournamentStore> m_ownStore;
    TournamentStore *m_store;
    Progress::State m_state;
    std::optional<Progress::State> m_stored;
    bool m_staleStored = false;
    QList<int> m_openSeats;
    // The table whose game the reports are recording (its reports are settled so).
    int m_settlingTable = 0;
    Round::RoundClock m_clock;
    RandomSource m_randomSource;
};

} // namespace Zuvi
