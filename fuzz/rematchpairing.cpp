// The pairing of a later round with drops, byes and rematch avoidance, under any standings
// and any history of games: games against entrants who left or never existed, repeated
// games and byes, games of an entrant against itself, names given twice. Every entrant
// still in must be paired exactly once into two equally long lists, "Bye" only last on the
// right and only for an odd count, no dropped entrant among them. With unique names in
// standings order: off, the result is exactly the score-group rule over the entrants still
// in; on, it is too whenever that rule pairs nobody who has met and gives its bye to an
// entrant with the fewest byes; on, the bye goes to the lowest-placed entrant with the
// fewest byes, and a small field gets the fewest rematches there are.

#include "check.h"

#include "pairinginvariants.h"
#include "round/rematchpairing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QSet>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

using namespace Zuvi::Round;
using Zuvi::Test::GameHistory;
using Zuvi::Test::namesOf;
using Zuvi::Test::pairingFault;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool wellFormed = data.ConsumeBool();
    const bool avoid = data.ConsumeBool();
    const int count = data.ConsumeIntegralInRange<int>(0, 60);
    const int roundcounter = data.ConsumeIntegralInRange<int>(2, 12);
    const int t = 3 * (roundcounter - 1);

    QList<StandingsRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        // Names given twice only when the inputs need not be well formed.
        const int id = wellFormed ? i : data.ConsumeIntegralInRange<int>(0, count);
        double score = data.ConsumeIntegralInRange<int>(0, t);
        if (!wellFormed && data.ConsumeIntegralInRange<int>(0, 5) == 0)
            score = data.ConsumeBool() ? std::numeric_limits<double>::quiet_NaN() : -score;
        rows.append({QStringLiteral("E%1").arg(id), score});
    }
    if (wellFormed || data.ConsumeBool()) {
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StandingsRow &a, const StandingsRow &b) { return a.score > b.score; });
    }

    QSet<QString> dropped;
    for (const StandingsRow &row : rows) {
        if (data.ConsumeIntegralInRange<int>(0, 5) == 0)
            dropped.insert(row.name);
    }
    // Entrant numbers from count on name no one; the last number stands for "Bye".
    const auto anyone = [&] {
        const int id = data.ConsumeIntegralInRange<int>(0, count + 1);
        return id == count + 1 ? bye() : QStringLiteral("E%1").arg(id);
    };
    QList<PlayedGame> games;
    const int gameCount = data.ConsumeIntegralInRange<int>(0, 4 * count);
    for (int g = 0; g < gameCount && data.remaining_bytes() > 0; ++g) {
        const QString a = anyone();
        games.append({a, anyone()});
    }

    QList<StandingsRow> active;
    for (const StandingsRow &row : rows) {
        if (!dropped.contains(row.name))
            active.append(row);
    }
    const QStringList field = namesOf(rows, dropped);
    const Pairing pairing = pairNextRound(rows, dropped, games, avoid);
    ZUVI_CHECK_NO_FAULT(pairingFault(field, pairing));
    for (const QString &name : pairing.left + pairing.right)
        ZUVI_CHECK(!dropped.contains(name));
    if (!wellFormed)
        return 0;

    const GameHistory known(games);
    int fewestByes = INT_MAX;
    for (const QString &name : field)
        fewestByes = std::min(fewestByes, known.byes(name));

    const Pairing rule = pairByStandings(active);
    if (!avoid) {
        ZUVI_CHECK(pairing.left == rule.left && pairing.right == rule.right);
        return 0;
    }
    const bool ruleByeFair = field.size() % 2 == 0 || known.byes(rule.left.last()) == fewestByes;
    if (known.rematches(rule) == 0 && ruleByeFair)
        ZUVI_CHECK(pairing.left == rule.left && pairing.right == rule.right);

    QStringList paired = field;
    if (field.size() % 2 != 0) {
        const QString taker = pairing.left.last();
        ZUVI_CHECK(known.byes(taker) == fewestByes);
        for (qsizetype i = field.indexOf(taker) + 1; i < field.size(); ++i)
            ZUVI_CHECK(known.byes(field[i]) > fewestByes);
        paired.removeOne(taker);
    }
    ZUVI_CHECK(known.rematches(pairing) <= known.rematches(rule) || !ruleByeFair);
    if (paired.size() <= 10)
        ZUVI_CHECK(known.rematches(pairing) == known.fewestRematches(paired));
    return 0;
}
