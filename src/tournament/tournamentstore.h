#pragma once

#include "history/archive.h"
#include "tournament/progresstypes.h"

#include <QList>
#include <QString>

#include <functional>

namespace Zuvi {

/// Where the tournament in progress is kept: the standings and the progress (entrants,
/// counters, the open round's pairing, the games). One implementation per backend; the
/// model computes each next state and hands it here. Every method that changes something
/// is one transaction: it writes all of its change or, throwing Failure (DbError for the
/// database), none of it.
class TournamentStore
{
public:
    virtual ~TournamentStore() = default;

    /// One entrant's points and power added to its standings row (negative to take a game
    /// back).
    struct StandingsChange
    {
        QString name;
        int points = 0;
        double power = 0;
    };
    /// Turns the standings, as the transaction now has them, into the entrant lists that
    /// are stored with them.
    using EntrantsOf =
        std::function<QList<Progress::Entrant>(const QList<Progress::StandingsRow> &)>;
    /// The standings as the transaction has them, read only when called.
    using StandingsReader = std::function<QList<Progress::StandingsRow>()>;
    /// Pairs the round of the state given (its seats, counters and, for a draw, its
    /// entrants), reading the standings only where it needs them, inside the store's
    /// transaction. Returns true when it changed the entrants (a draw).
    using Pairer = std::function<bool(Progress::State &next, const StandingsReader &standings)>;
    /// Turns the final standings, as the transaction has them, into the finished
    /// tournament the club's archive keeps (nothing: not finished).
    using ArchiveOf = std::function<std::optional<History::ArchivedTournament>(
        const QList<Progress::StandingsRow> &)>;

    // ---- Reading ---------------------------------------------------------------------

    /// Everything stored about the tournament in progress.
    virtual Progress::State read() = 0;
    /// The standings in standings order (score descending, power descending, name
    /// ascending); the dropped flags are the model's to set.
    virtual QList<Progress::StandingsRow> standings() = 0;

    // ---- Changes ---------------------------------------------------------------------
    // Those that may begin a new tournament take `fresh`: the stored record is a finished
    // tournament's, replaced first (in the same transaction) by `next` before the change.

    /// Drops the stored progress; the standings stay.
    virtual void clear() = 0;
    /// An entrant appended at position; after the start (`intoStandings`) it also enters
    /// the standings with score and power 0.
    virtual void addEntrant(const Progress::State &next, int position,
                            const Progress::Entrant &entrant, bool intoStandings, bool fresh) = 0;
    /// The entrants as given: a removal before the start, a drop, a reinstatement.
    virtual void changeEntrants(const QList<Progress::Entrant> &entrants) = 0;
    /// The options and the number of rounds of next.
    virtual void setOptions(const Progress::State &next, bool fresh) = 0;
    /// The start of a round: at the first start (`firstStart`) the standings are emptied
    /// and filled with next's entrants and the games of an earlier tournament go; where a
    /// pairer is given it pairs next in the same transaction and its seats (and changed
    /// entrants) are stored; then next's counters.
    virtual void startRound(Progress::State &next, bool firstStart, bool fresh,
                            const Pairer &pair) = 0;
    /// Two seats of the open round after Up or Down.
    virtual void swapSeats(int seatA, const Progress::Seat &a, int seatB,
                           const Progress::Seat &b) = 0;
    /// "Game Over": the players' standings, the game and its seat. Returns the game's id.
    virtual qint64 recordGame(const Progress::Game &game, const Progress::Seat &seat,
                              const QList<StandingsChange> &changes) = 0;
    /// An undo or a reopen: the standings taken back, the game gone, its seat open.
    virtual void reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                            const QList<StandingsChange> &changes) = 0;
    /// A game of an ended round changed: the standings by the difference, the game, and
    /// the entrant lists made from the new standings (returned); where archiveOf is given
    /// (the tournament is over), its archived results as archiveOf makes them, all in one
    /// transaction.
    virtual QList<Progress::Entrant> amendGame(const Progress::Game &game,
                                               const QList<StandingsChange> &changes,
                                               const EntrantsOf &entrantsOf,
                                               const ArchiveOf &archiveOf = {}) = 0;
    /// A game of an ended round recorded late: the standings, the game (its id returned
    /// through game), the missed game gone, and the entrant lists made from the new
    /// standings (returned); the archived results as amendGame writes them.
    virtual QList<Progress::Entrant> recordMissedGame(Progress::Game &game,
                                                      const Progress::MissedGame &missed,
                                                      const QList<StandingsChange> &changes,
                                                      const EntrantsOf &entrantsOf,
                                                      const ArchiveOf &archiveOf = {}) = 0;
    /// "End Round": the games not recorded kept, the entrant lists made from the
    /// standings (returned), no seats, next's counters, and, where archiveOf makes one, the
    /// finished tournament in the club's archive, all in one transaction; then a copy of the
    /// round is kept where the backend keeps copies.
    virtual QList<Progress::Entrant> endRound(const Progress::State &next,
                                              const QList<Progress::MissedGame> &missed,
                                              const EntrantsOf &entrantsOf,
                                              const ArchiveOf &archiveOf = {}) = 0;
    /// The open round left without ending it (no seats), or, with a pairer, paired anew in
    /// the same transaction; then next's counters.
    virtual void leaveRound(Progress::State &next, const Pairer &pair) = 0;
    /// The clock's state of next (started, or run out).
    virtual void saveClock(const Progress::State &next) = 0;
    /// The reports from the tables of next, with their two options: only those, so that a
    /// report taken while another station changes the tournament changes nothing else.
    virtual void saveReports(const Progress::State &next) = 0;

    // ---- Several stations ------------------------------------------------------------

    /// True where other stations share the stored tournament (a server).
    virtual bool isShared() const { return false; }
    /// The name of this station where stations share the tournament, else empty.
    virtual QString station() const { return {}; }
    /// handler runs (from the event loop) when the stored tournament changed other than
    /// through this store: another station's change, or a change of this station that was
    /// refused because another station acted first.
    virtual void setChangeHandler(std::function<void()> handler) { (void)handler; }
};

} // namespace Zuvi
