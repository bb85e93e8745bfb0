#pragma once

// A store that hands every change to another store (in memory, or on the test server)
// and keeps what the model's tests look at: the progress as stored after each change, the
// copies kept at the end of each round, the count of changes, and a failure to throw at
// the next change before anything is written.

#include "data/dberror.h"
#include "tournament/tournamentstore.h"

#include <optional>

namespace Zuvi::Test {

class SpyTournamentStore final : public TournamentStore
{
    // Declared first: the list below reads it while it is built.
    TournamentStore &m_inner;

    template <typename Change> auto spy(Change &&change)
    {
        if (failNext) {
            const Failure failure = *failNext;
            failNext.reset();
            throw failure;
        }
        if constexpr (std::is_void_v<decltype(change())>) {
            change();
            ++changes;
            stored = m_inner.read();
        } else {
            auto result = change();
            ++changes;
            stored = m_inner.read();
            return result;
        }
    }

public:
    explicit SpyTournamentStore(TournamentStore &inner) : m_inner(inner), stored(inner.read()) {}

    /// The progress as the store under it holds it after the last change.
    Progress::State stored;
    /// The copies kept at the end of each round, by round.
    QList<int> roundCopies;
    /// The changes written so far.
    int changes = 0;
    /// When set, the next change throws it and writes nothing.
    std::optional<Failure> failNext;

    Progress::State read() override { return m_inner.read(); }
    QList<Progress::StandingsRow> standings() override { return m_inner.standings(); }

    void clear() override
    {
        spy([&] { m_inner.clear(); });
    }
    void addEntrant(const Progress::State &next, int position, const Progress::Entrant &entrant,
                    bool intoStandings, bool fresh) override
    {
        spy([&] { m_inner.addEntrant(next, position, entrant, intoStandings, fresh); });
    }
    void changeEntrants(const QList<Progress::Entrant> &entrants) override
    {
        spy([&] { m_inner.changeEntrants(entrants); });
    }
    void setOptions(const Progress::State &next, bool fresh) override
    {
        spy([&] { m_inner.setOptions(next, fresh); });
    }
    void startRound(Progress::State &next, bool firstStart, bool fresh, const Pairer &pair) override
    {
        spy([&] { m_inner.startRound(next, firstStart, fresh, pair); });
    }
    void swapSeats(int seatA, const Progress::Seat &a, int seatB, const Progress::Seat &b) override
    {
        spy([&] { m_inner.swapSeats(seatA, a, seatB, b); });
    }
    qint64 recordGame(const Progress::Game &game, const Progress::Seat &seat,
                      const QList<StandingsChange> &changes) override
    {
        return spy([&] { return m_inner.recordGame(game, seat, changes); });
    }
    void reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                    const QList<StandingsChange> &changes) override
    {
        spy([&] { m_inner.reopenGame(game, seat, changes); });
    }
    QList<Progress::Entrant> amendGame(const Progress::Game &game,
                                       const QList<StandingsChange> &changes,
                                       const EntrantsOf &entrantsOf,
                                       const ArchiveOf &archiveOf = {}) override
    {
        return spy([&] { return m_inner.amendGame(game, changes, entrantsOf, archiveOf); });
    }
    QList<Progress::Entrant> recordMissedGame(Progress::Game &game,
                                              const Progress::MissedGame &missed,
                                              const QList<StandingsChange> &changes,
                                              const EntrantsOf &entrantsOf,
                                              const ArchiveOf &archiveOf = {}) override
    {
        return spy(
            [&] { return m_inner.recordMissedGame(game, missed, changes, entrantsOf, archiveOf); });
    }
    QList<Progress::Entrant> endRound(const Progress::State &next,
                                      const QList<Progress::MissedGame> &missed,
                                      const EntrantsOf &entrantsOf,
                                      const ArchiveOf &archiveOf = {}) override
    {
        QList<Progress::Entrant> entrants =
            spy([&] { return m_inner.endRound(next, missed, entrantsOf, archiveOf); });
        roundCopies.append(next.roundcounter - 1);
        return entrants;
    }
    void leaveRound(Progress::State &next, const Pairer &pair) override
    {
        spy([&] { m_inner.leaveRound(next, pair); });
    }
    void saveClock(const Progress::State &next) override
    {
        spy([&] { m_inner.saveClock(next); });
    }
    void saveReports(const Progress::State &next) override
    {
        spy([&] { m_inner.saveReports(next); });
    }

    bool isShared() const override { return m_inner.isShared(); }
    QString station() const override { return m_inner.station(); }
    void setChangeHandler(std::function<void()> handler) override
    {
        m_inner.setChangeHandler(std::move(handler));
    }
};

} // namespace Zuvi::Test
