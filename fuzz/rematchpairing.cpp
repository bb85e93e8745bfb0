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

#include <QHash>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

using namespace Zuvi::Round;
using Zuvi::Test::pairingFault;

namespace {

QString key(const QString &a, const QString &b)
{
    return a < b ? a + QChar(0) + b : b + QChar(0) + a;
}

int rematches(const Pairing &pairing, const QSet<QString> &met)
{
    int count = 0;
    for (qsizetype i = 0; i < pairing.left.size(); ++i) {
        if (pairing.right[i] != bye() && met.contains(key(pairing.left[i], pairing.right[i])))
            ++count;
    }
    return count;
}

// The fewest rematches with which an even list can be paired, by trying every pairing.
int fewestRematches(QStringList field, const QSet<QString> &met)
{
    if (field.isEmpty())
        return 0;
    const QString first = field.takeFirst();
    int best = INT_MAX;
    for (qsizetype i = 0; i < field.size() && best > 0; ++i) {
        QStringList rest = field;
        const QString partner = rest.takeAt(i);
        best = std::min(best, int(met.contains(key(first, partner))) + fewestRematches(rest, met));
    }
    return best;
}

} // namespace

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
    QStringList field;
    for (const StandingsRow &row : rows) {
        if (!dropped.contains(row.name)) {
            active.append(row);
            field.append(row.name);
        }
    }
    const Pairing pairing = pairNextRound(rows, dropped, games, avoid, 9, roundcounter);
    const QString fault = pairingFault(field, pairing);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(fault));
        ZUVI_CHECK(fault.isEmpty());
    }
    for (const QString &name : pairing.left + pairing.right)
        ZUVI_CHECK(!dropped.contains(name));
    if (!wellFormed)
        return 0;

    QSet<QString> met;
    QHash<QString, int> byes;
    for (const PlayedGame &game : games) {
        if (game.left == bye() && game.right != bye())
            ++byes[game.right];
        else if (game.right == bye() && game.left != bye())
            ++byes[game.left];
        else if (game.left != game.right)
            met.insert(key(game.left, game.right));
    }
    int fewestByes = INT_MAX;
    for (const QString &name : field)
        fewestByes = std::min(fewestByes, byes.value(name));

    const Pairing rule = pairByStandings(active, 9, roundcounter);
    if (!avoid) {
        ZUVI_CHECK(pairing.left == rule.left && pairing.right == rule.right);
        return 0;
    }
    const bool ruleByeFair = field.size() % 2 == 0 || byes.value(rule.left.last()) == fewestByes;
    if (rematches(rule, met) == 0 && ruleByeFair)
        ZUVI_CHECK(pairing.left == rule.left && pairing.right == rule.right);

    QStringList paired = field;
    if (field.size() % 2 != 0) {
        const QString taker = pairing.left.last();
        ZUVI_CHECK(byes.value(taker) == fewestByes);
        for (qsizetype i = field.indexOf(taker) + 1; i < field.size(); ++i)
            ZUVI_CHECK(byes.value(field[i]) > fewestByes);
        paired.removeOne(taker);
    }
    ZUVI_CHECK(rematches(pairing, met) <= rematches(rule, met) || !ruleByeFair);
    if (paired.size() <= 10)
        ZUVI_CHECK(rematches(pairing, met) == fewestRematches(paired, met));
    return 0;
}
