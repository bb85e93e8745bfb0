// The pairing of a later round under any standings, number of rounds and round counter:
// scores that are not whole, negative, huge, infinite or NaN, a number of rounds lowered
// below the rounds played, and counters far outside their range. Every entrant must be
// paired exactly once into two equally long lists, "Bye" only last on the right and only
// for an odd count. Whenever the inputs are in range (whole scores from 0 to the highest
// score t of the round, t within 3 x R, rows in standings order) the result must be
// exactly that of the score-group rule read literally, step by step.

#include "check.h"

#include "pairinginvariants.h"
#include "round/standingspairing.h"
#include "standingsreference.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

using namespace Zuvi::Round;
using Zuvi::Test::namesOf;
using Zuvi::Test::pairingFault;
using Zuvi::Test::referencePairing;

namespace {

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
        const Pairing pairing = pairByStandings(rows);
        ZUVI_CHECK_NO_FAULT(pairingFault(namesOf(rows), pairing));
        const Pairing reference = referencePairing(rows, rounds, roundcounter);
        ZUVI_CHECK(pairing.left == reference.left);
        ZUVI_CHECK(pairing.right == reference.right);
        return 0;
    }

    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("E%1").arg(i), anyScore(data)});
    if (data.ConsumeBool()) {
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StandingsRow &a, const StandingsRow &b) { return a.score > b.score; });
    }
    ZUVI_CHECK_NO_FAULT(pairingFault(namesOf(rows), pairByStandings(rows)));
    return 0;
}
