#pragma once

// The score-group rule written out step by step over a table of counts sized 0 to 3 x R,
// for inputs in range only (whole scores from 0 to t, t within the table): the result that
// pairByStandings must give whenever its inputs allow this literal reading. Shared by the
// pairing's tests and its fuzz target. QtCore only.

#include "round/standingspairing.h"

#include <QList>

namespace Zuvi::Test {

inline Round::Pairing referencePairing(const QList<Round::StandingsRow> &rows, int rounds,
                                       int roundcounter)
{
    QList<qint16> scoreCounts(3 * rounds + 1, 0);
    for (const Round::StandingsRow &row : rows)
        ++scoreCounts[qsizetype(Round::roundHalfEven(row.score))];
    // Hand odd members down from t to 1.
    const int t = 3 * (roundcounter - 1);
    for (int s = t; s >= 1; --s) {
        if (scoreCounts[s] % 2 != 0) {
            --scoreCounts[s];
            ++scoreCounts[s - 1];
        }
    }
    // Fill from t down to 0: the upper half of each group left, the lower half right, an
    // odd entrant at 0 against "Bye".
    Round::Pairing pairing;
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
            pairing.right.append(Round::bye());
        }
    }
    return pairing;
}

} // namespace Zuvi::Test
