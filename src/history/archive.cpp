#include "history/archive.h"

#include "round/ranks.h"

#include <algorithm>
#include <tuple>

namespace Zuvi::History {

ArchivedTournament archiveOf(const QDate &played, int rounds, QList<ArchivedEntrant> standings,
                             QList<ArchivedGame> games, const QStringList &unrecordedFirstRound)
{
    ArchivedTournament t;
    t.played = played;
    t.name = defaultName(played);
    QList<std::pair<double, double>> keys;
    keys.reserve(standings.size());
    for (const ArchivedEntrant &entrant : std::as_const(standings))
        keys.append({entrant.score, entrant.power});
    const QList<int> ranks = Round::sharedRanks(keys);
    for (qsizetype i = 0; i < standings.size(); ++i)
        standings[i].rank = ranks.at(i);
    t.entrants = std::move(standings);
    std::stable_sort(games.begin(), games.end(), [](const ArchivedGame &a, const ArchivedGame &b) {
        return std::tie(a.round, a.table) < std::tie(b.round, b.table);
    });
    t.rounds = rounds;
    for (const ArchivedGame &game : std::as_const(games))
        t.rounds = std::max(t.rounds, game.round);
    t.games = std::move(games);
    markLateEntrants(t, unrecordedFirstRound);
    return t;
}

} // namespace Zuvi::History
