#pragma once

#include "round/pairing.h"

#include <QList>

namespace Zuvi::Round {

/// One row of the standings as the pairing reads it.
struct StandingsRow
{
    QString name;
    double score = 0; ///< as stored; rounded half to even to a whole score
};

/// Pairs a later round by score groups from the standings.
///
/// rows are in standings order (score descending, power descending, name ascending);
/// rounds is the number of rounds R; roundcounter the round being paired (2 for the
/// second). Counts entrants per whole score, hands each odd member down from the highest
/// score t = 3 * (roundcounter - 1) to 1, then fills the lists from t down to 0: the upper
/// half of each group goes left, the lower half right, in order; an odd entrant left at
/// score 0 (the lowest in the standings) plays "Bye".
///
/// The count table covers 0 to 3 * R, t and every score present (a negative score counts
/// as 0), and both passes start from the higher of t and the highest score present, so
/// every entrant is paired exactly once even when R was lowered below the rounds played
/// or a stored score lies outside 0 to 3 * R. With inputs in range the result is exactly
/// that of the score-group rule above.
Pairing pairByStandings(const QList<StandingsRow> &rows, double rounds, int roundcounter);

/// The groups pairByStandings fills, top down, after the odd members are handed down: the
/// number of consecutive rows in each, empty groups left out. Each group's upper half
/// plays its lower half in order; every size is even except possibly the last, whose
/// last entrant plays "Bye". The sizes add up to rows.size().
QList<qsizetype> scoreGroupSizes(const QList<StandingsRow> &rows);

} // namespace Zuvi::Round
