#pragma once

#include "tournament/tournamentstore.h"

namespace Zuvi {

namespace Data {
class DbConnection;
}

/// The tournament kept in Tourny.db on this computer: the standings in TournyInfo and the
/// progress in the tables beside it (ZuviState, ZuviEntrant, ZuviEntrantPlayer, ZuviSeat,
/// ZuviGame, ZuviMissedGame). Each change opens one connection, writes in one transaction
/// (BEGIN IMMEDIATE) and closes it; every failure throws DbError with SQLite's code. After
/// each "End Round" a copy of the file is kept in the backups folder.
class SqliteTournamentStore final : public TournamentStore
{
public:
    SqliteTournamentStore() = default;

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
};

} // namespace Zuvi
