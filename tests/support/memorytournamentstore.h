#pragma once

// A tournament store that keeps everything in memory: the model's own tests run over it
// without a window or a file. It writes as the file's store does (each change all or
// nothing) and can be told to fail its next change.

#include "data/dberror.h"
#include "tournament/tournamentstore.h"

#include <algorithm>
#include <optional>

namespace Zuvi::Test {

class MemoryTournamentStore final : public TournamentStore
{
public:
    /// The progress as stored.
    Progress::State stored;
    /// The standings rows, in the order they were written.
    QList<Progress::StandingsRow> rows;
    /// The copies kept at the end of each round, by round.
    QList<int> roundCopies;
    /// The changes written so far.
    int changes = 0;
    /// The finished tournaments archived, oldest first.
    QList<History::ArchivedTournament> archives;
    /// When set, the next change throws it and writes nothing.
    std::optional<Failure> failNext;

    Progress::State read() override { return stored; }

    QList<Progress::StandingsRow> standings() override
    {
        QList<Progress::StandingsRow> sorted = rows;
        std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
            if (a.score != b.score)
                return a.score > b.score;
            if (a.power != b.power)
                return a.power > b.power;
            return a.name.toUcs4() < b.name.toUcs4();
        });
        return sorted;
    }

    void clear() override
    {
        begin();
        stored = Progress::State();
    }

    void addEntrant(const Progress::State &next, int position, const Progress::Entrant &entrant,
                    bool intoStandings, bool fresh) override
    {
        begin();
        replaceFinished(next, fresh);
        if (intoStandings)
            rows.append({entrant.name, entrant.house, 0, 0, false});
        if (position < stored.entrants.size())
            stored.entrants[position] = entrant;
        else
            stored.entrants.append(entrant);
    }

    void changeEntrants(const QList<Progress::Entrant> &entrants) override
    {
        begin();
        stored.entrants = entrants;
    }

    void setOptions(const Progress::State &next, bool fresh) override
    {
        begin();
        replaceFinished(next, fresh);
        copyScalars(next);
    }

    void startRound(Progress::State &next, bool firstStart, bool fresh, const Pairer &pair) override
    {
        begin();
        replaceFinished(next, fresh);
        if (firstStart) {
            rows.clear();
            for (const Progress::Entrant &entrant : next.entrants)
                rows.append({entrant.name, entrant.house, 0, 0, false});
            stored.games.clear();
            stored.missed.clear();
        }
        if (pair)
            pairAndWrite(next, pair);
        copyScalars(next);
    }

    void swapSeats(int seatA, const Progress::Seat &a, int seatB, const Progress::Seat &b) override
    {
        begin();
        stored.seats[seatA] = a;
        stored.seats[seatB] = b;
    }

    qint64 recordGame(const Progress::Game &game, const Progress::Seat &seat,
                      const QList<StandingsChange> &changes) override
    {
        begin();
        apply(changes);
        Progress::Game kept = game;
        kept.id = ++m_lastId;
        stored.games.append(kept);
        stored.seats[game.seat] = seat;
        return kept.id;
    }

    void reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                    const QList<StandingsChange> &changes) override
    {
        begin();
        apply(changes);
        stored.games.removeIf([&](const Progress::Game &g) { return g.id == game.id; });
        stored.seats[game.seat] = seat;
    }

    QList<Progress::Entrant> amendGame(const Progress::Game &game,
                                       const QList<StandingsChange> &changes,
                                       const EntrantsOf &entrantsOf,
                                       const ArchiveOf &archiveOf = {}) override
    {
        begin();
        apply(changes);
        for (Progress::Game &g : stored.games) {
            if (g.id == game.id)
                g = game;
        }
        stored.entrants = entrantsOf(standings());
        rewriteArchive(archiveOf);
        return stored.entrants;
    }

    QList<Progress::Entrant> recordMissedGame(Progress::Game &game,
                                              const Progress::MissedGame &missed,
                                              const QList<StandingsChange> &changes,
                                              const EntrantsOf &entrantsOf,
                                              const ArchiveOf &archiveOf = {}) override
    {
        begin();
        apply(changes);
        game.id = ++m_lastId;
        stored.games.append(game);
        stored.missed.removeIf([&](const Progress::MissedGame &g) {
            return g.round == missed.round && g.pairing == missed.pairing && g.seat == missed.seat;
        });
        stored.entrants = entrantsOf(standings());
        rewriteArchive(archiveOf);
        return stored.entrants;
    }

    /// A finished tournament's result changed: its archive (the last one kept) follows,
    /// keeping its name and date.
    void rewriteArchive(const ArchiveOf &archiveOf)
    {
        if (!archiveOf || archives.isEmpty())
            return;
        if (std::optional<History::ArchivedTournament> archived = archiveOf(standings())) {
            History::ArchivedTournament &kept = archives.last();
            kept.entrants = archived->entrants;
            kept.games = archived->games;
            kept.rounds = archived->rounds;
        }
    }

    QList<Progress::Entrant> endRound(const Progress::State &next,
                                      const QList<Progress::MissedGame> &missed,
                                      const EntrantsOf &entrantsOf,
                                      const ArchiveOf &archiveOf = {}) override
    {
        begin();
        stored.missed.append(missed);
        stored.entrants = entrantsOf(standings());
        if (archiveOf) {
            if (std::optional<History::ArchivedTournament> archived = archiveOf(standings())) {
                archived->id = archives.size() + 1;
                archives.append(*archived);
            }
        }
        stored.seats = next.seats;
        copyScalars(next);
        roundCopies.append(next.roundcounter - 1);
        return stored.entrants;
    }

    void leaveRound(Progress::State &next, const Pairer &pair) override
    {
        begin();
        if (pair)
            pairAndWrite(next, pair);
        stored.seats = next.seats;
        copyScalars(next);
    }

    void saveClock(const Progress::State &next) override
    {
        begin();
        copyScalars(next);
    }

    void saveReports(const Progress::State &next) override
    {
        begin();
        stored.takeReports = next.takeReports;
        stored.confirmReports = next.confirmReports;
        stored.reports = next.reports;
        stored.playerCodes = next.playerCodes;
    }

private:
    /// Every change starts here: a failure set for it is thrown before anything changes.
    void begin()
    {
        if (failNext) {
            const Failure failure = *failNext;
            failNext.reset();
            throw failure;
        }
        ++changes;
    }

    void apply(const QList<StandingsChange> &changes)
    {
        for (const StandingsChange &change : changes) {
            for (Progress::StandingsRow &row : rows) {
                if (row.name == change.name) {
                    row.score += change.points;
                    row.power += change.power;
                }
            }
        }
    }

    void pairAndWrite(Progress::State &next, const Pairer &pair)
    {
        if (pair(next, [this] { return standings(); }))
            stored.entrants = next.entrants;
        stored.seats = next.seats;
    }

    void replaceFinished(const Progress::State &next, bool fresh)
    {
        if (!fresh)
            return;
        stored = Progress::State();
        stored.entrants = next.entrants;
        copyScalars(next);
    }

    void copyScalars(const Progress::State &next)
    {
        stored.roundsText = next.roundsText;
        stored.roundcounter = next.roundcounter;
        stored.randomFirst = next.randomFirst;
        stored.started = next.started;
        stored.startedAtMs = next.startedAtMs;
        stored.roundOpen = next.roundOpen;
        stored.pairingNumber = next.pairingNumber;
        stored.clockRunning = next.clockRunning;
        stored.clockEndMs = next.clockEndMs;
        stored.clockLeftSeconds = next.clockLeftSeconds;
        stored.avoidRematches = next.avoidRematches;
        stored.bigScreenOpen = next.bigScreenOpen;
        stored.reviewPairings = next.reviewPairings;
        stored.publishedRound = next.publishedRound;
        stored.publishedPairing = next.publishedPairing;
        stored.takeReports = next.takeReports;
        stored.confirmReports = next.confirmReports;
        stored.reports = next.reports;
        stored.playerCodes = next.playerCodes;
    }

    qint64 m_lastId = 0;
};

} // namespace Zuvi::Test
