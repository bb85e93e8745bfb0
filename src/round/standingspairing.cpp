#include "round/standingspairing.h"

#include <cmath>
#include <functional>
#include <map>

namespace Zuvi::Round {

namespace {

// A stored score as a whole score group: rounded half to even; below 0 (or not a number
// at all) it joins the group at 0, which is where the standings order puts it too.
double scoreGroup(double score)
{
    const double whole = roundHalfEven(score);
    return whole > 0 ? whole : 0.0;
}

} // namespace

QList<qsizetype> scoreGroupSizes(const QList<StandingsRow> &rows)
{
    // The score-group rule walks every whole score from the top down to 0, handing odd
    // members down and then filling the lists. Scores that nobody holds neither receive
    // nor give anything except a passing odd member, so only the scores present need a
    // count: the walk starts at the highest of them, which is never below any score held,
    // whatever the number of rounds and the round counter say: they would only fix the top
    // of an otherwise empty stretch of scores.
    std::map<double, qsizetype, std::greater<>> counts; // highest score first
    for (const StandingsRow &row : rows)
        ++counts[scoreGroup(row.score)];
    counts.try_emplace(0.0, 0);

    // Hand odd members down: a group with an odd count passes its last member to the next
    // lower score, through any empty scores, until a group is even or the count reaches 0.
    QList<qsizetype> sizes;
    qsizetype carried = 0;
    for (auto &[score, count] : counts) {
        count += carried;
        carried = 0;
        if (score > 0 && count % 2 != 0) {
            --count;
            carried = 1;
        }
        if (count > 0)
            sizes.append(count);
    }
    return sizes;
}

Pairing pairByStandings(const QList<StandingsRow> &rows)
{
    // Fill from the highest score down: the upper half of each group plays the lower half
    // in standings order; an odd entrant left at 0, the lowest in the standings, plays Bye.
    Pairing pairing;
    pairing.left.reserve(rows.size() / 2 + 1);
    pairing.right.reserve(rows.size() / 2 + 1);
    qsizetype next = 0;
    for (const qsizetype count : scoreGroupSizes(rows)) {
        const bool odd = count % 2 != 0;
        const qsizetype half = count / 2;
        for (qsizetype k = 0; k < half; ++k)
            pairing.left.append(rows[next++].name);
        for (qsizetype k = 0; k < half; ++k)
            pairing.right.append(rows[next++].name);
        if (odd) {
            pairing.left.append(rows[next++].name);
            pairing.right.append(bye());
        }
    }
    return pairing;
}

} // namespace Zuvi::Round
