// The pairing of a later round under any standings, number of rounds and round counter:
// scores that are not whole, negative, huge, infinite or NaN, a number of rounds lowered
// below the rounds played, and counters far outside their range. Every entrant must be
// paired exactly once into two equally long lists, "Bye" only last on the right and only
// for an odd count. Whenever the inputs are in range (whole scores from 0 to the highest
// score t of the round, t within 3 x R, rows in standings order) the result must be
// exactly that of the score-group rule read literally, step by step.

#include "check.h"

#include "round/standingspairing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace Zuvi::Round;

namespace {

// The score-group rule over a table of counts indexed 0 to 3 x R: count each whole score,
// hand odd members down from t to 1, then fill from t down to 0, the upper half of each
// group left and the lower half right, an odd entrant at 0 against "Bye".
Pairing referencePairing(const QList<StandingsRow> &rows, int rounds, int roundcounter)
{
    QList<qint16> scoreCounts(3 * rounds + 1, 0);
    for (const StandingsRow &row : rows)
        ++scoreCounts[qsizetype(roundHalfEven(row.score))];
    const int t = 3 * (roundcounter - 1);
    for (int s = t; s >= 1; --s) {
        if (scoreCounts[s] % 2 != 0) {
            --scoreCounts[s];
            ++scoreCounts[s - 1];
        }
    }
    Pairing pairing;
    qsizetype cursor = 0;
    const auto fill = [&](int c) {
        for (int k = 0; k < c / 2; ++k)
            pairing.left.append(rows[cursor++].name);
        for (int k = 0; k < c / 2; ++k)
            pairing.right.append(rows[cursor++].name);
    };
    for (int s = t; s >= 0; --s) {
        const int c = scoreCounts[s];
        if (c % 2 == 0) {
            fill(c);
        } else {
            --scoreCounts[s];
            fill(scoreCounts[s]);
            pairing.left.append(rows[cursor].name);
            pairing.right.append(bye());
        }
    }
    return pairing;
}

double anyScore(FuzzedDataProvider &data)
{
    switch (data.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return data.ConsumeBool() ? std::numeric_limits<double>::infinity()
                                  : -std::numeric_limits<double>::infinity();
    case 2:
        return data.ConsumeFloatingPoint<double>();
    case 3:
        return data.ConsumeIntegralInRange<int>(-10, 100) + 0.5;
    default:
        return data.ConsumeIntegralInRange<int>(-3, 100);
    }
}

void checkInvariants(const QList<StandingsRow> &rows, const Pairing &pairing)
{
    ZUVI_CHECK(pairing.left.size() == pairing.right.size());
    ZUVI_CHECK(pairing.left.size() == (rows.size() + 1) / 2);
    QStringList paired = pairing.left + pairing.right;
    if (rows.size() % 2 != 0) {
        ZUVI_CHECK(pairing.right.last() == bye());
        paired.removeLast();
    }
    ZUVI_CHECK(!paired.contains(bye()));
    QStringList expected;
    for (const StandingsRow &row : rows)
        expected.append(row.name);
    paired.sort();
    expected.sort();
    ZUVI_CHECK(paired == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool inRange = data.ConsumeBool();
    const int count = data.ConsumeIntegralInRange<int>(0, 300);

    QList<StandingsRow> rows;
    rows.reserve(count);
    if (inRange) {
        // A number of rounds, a round within it, scores that round to 0..t.
        const int rounds = data.ConsumeIntegralInRange<int>(1, 60);
        const int roundcounter = data.ConsumeIntegralInRange<int>(2, rounds + 1);
        const int t = 3 * (roundcounter - 1);
        for (int i = 0; i < count; ++i) {
            double score = data.ConsumeIntegralInRange<int>(0, t);
            // Now and then a stored score with a fraction that still rounds into range.
            if (data.ConsumeIntegralInRange<int>(0, 7) == 0)
                score += data.ConsumeIntegralInRange<int>(-4, 4) / 10.0;
            score = std::clamp(score, 0.0, double(t));
            rows.append({QStringLiteral("E%1").arg(i), score});
        }
        // Standings order: score descending; the pairing reads names only in this order.
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StandingsRow &a, const StandingsRow &b) { return a.score > b.score; });
        const Pairing pairing = pairByStandings(rows, rounds, roundcounter);
        checkInvariants(rows, pairing);
        const Pairing reference = referencePairing(rows, rounds, roundcounter);
        ZUVI_CHECK(pairing.left == reference.left);
        ZUVI_CHECK(pairing.right == reference.right);
        return 0;
    }

    const double rounds = data.ConsumeBool() ? data.ConsumeFloatingPoint<double>()
                                             : data.ConsumeIntegralInRange<int>(-5, 50);
    const int roundcounter =
        data.ConsumeBool() ? data.ConsumeIntegral<int>() : data.ConsumeIntegralInRange<int>(-5, 50);
    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("E%1").arg(i), anyScore(data)});
    if (data.ConsumeBool()) {
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StandingsRow &a, const StandingsRow &b) { return a.score > b.score; });
    }
    checkInvariants(rows, pairByStandings(rows, rounds, roundcounter));
    return 0;
}
