// The standings pairing of round 9 after eight rounds of seeded results, with rematch
// avoidance on, against the same pairing with it off (the floor: the score-group rule over
// the same entrants). Pure logic: no window and no database in the timed part.

#include "pairing_bench.h"

#include "benchsupport.h"

#include "round/rematchpairing.h"
#include "support/pairinginvariants.h"

#include <QHash>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace Zuvi::Bench {

namespace {

using Round::PlayedGame;
using Round::StandingsRow;

struct Field
{
    QList<StandingsRow> rows;
    QList<PlayedGame> games;
};

// count entrants play eight rounds, each paired with rematch avoidance on; every game
// splits 3 points (3-0, 2-1, 1-2 or 0-3 at random), a bye scores 3.
Field playEightRounds(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    Field field;
    for (int i = 0; i < count; ++i)
        field.rows.append({QStringLiteral("Entrant %1").arg(i, 5, 10, QLatin1Char('0')), 0});
    QHash<QString, double> score;
    for (int round = 1; round <= 8; ++round) {
        const Round::Pairing pairing = Round::pairNextRound(field.rows, {}, field.games, true);
        for (qsizetype i = 0; i < pairing.left.size(); ++i) {
            const QString &a = pairing.left[i];
            const QString &b = pairing.right[i];
            if (b == Round::bye()) {
                score[a] += 3;
            } else {
                const int points = random.bounded(4);
                score[a] += points;
                score[b] += 3 - points;
            }
            field.games.append({a, b});
        }
        for (StandingsRow &row : field.rows)
            row.score = score.value(row.name);
        std::stable_sort(field.rows.begin(), field.rows.end(),
                         [](const StandingsRow &x, const StandingsRow &y) {
                             return x.score != y.score ? x.score > y.score : x.name < y.name;
                         });
    }
    return field;
}

// The pairing of round 9 with rematch avoidance on or off, timed reps times; the last
// pairing made in `last`.
Timing time(int reps, const Field &field, bool avoid, Round::Pairing &last)
{
    return measure(reps, {},
                   [&] { last = Round::pairNextRound(field.rows, {}, field.games, avoid); });
}

} // namespace

bool pairingActions()
{
    struct Size
    {
        int entrants;
        int reps;
        double limitMs; // 0: no target
    };
    const Size sizes[] = {{64, 51, 0}, {512, 21, 20}, {5000, 7, 1000}, {20000, 3, 0}};

    std::printf("\n%-44s %10s %22s %10s %9s %9s\n", "standings pairing, round 9 after 8 rounds",
                "median ms", "spread ms (min-max)", "floor ms", "rematches", "rule's");
    bool met = true;
    for (const Size &size : sizes) {
        const Field field = playEightRounds(size.entrants, quint32(size.entrants));
        Round::Pairing avoided;
        Round::Pairing rule;
        const Timing on = time(size.reps, field, true, avoided);
        const Timing off = time(size.reps, field, false, rule);
        const Test::GameHistory history(field.games);
        const QString label = QStringLiteral("avoid rematches, %1 entrants").arg(size.entrants);
        std::printf("%-44s %10.2f %10.2f - %9.2f %10.2f %9d %9d\n", qPrintable(label), on.median,
                    on.min, on.max, off.median, history.rematches(avoided),
                    history.rematches(rule));
        if (size.limitMs > 0 && on.median > size.limitMs) {
            std::printf("MISSED: avoid rematches, %d entrants (over %.0f ms)\n", size.entrants,
                        size.limitMs);
            met = false;
        }
    }
    std::printf("targets: avoid rematches within 20 ms at 512 entrants, 1 s at 5,000\n");
    return met;
}

} // namespace Zuvi::Bench
