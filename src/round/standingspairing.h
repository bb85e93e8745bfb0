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
/// rows are in standings order (score descending, power descending, name ascending).
/// Each entrant joins the group of its whole score (rounded half to even; a negative score
/// joins the group at 0). From the highest score present down to 1, a group with an odd
/// count hands its last member down to the next lower group present (or to 0); then the
/// lists are filled from the highest group down: the upper half of each group goes left,
/// the lower half right, in order, and an odd entrant left in the group at 0 (the lowest
/// in the standings) plays "Bye".
///
/// Scores nobody holds neither give nor take anything, so neither the number of rounds
/// nor the round counter changes the result: it is that of walking every whole score
/// from 3 * (round counter - 1) down to 0, and every entrant is paired exactly once even
/// where a stored score lies outside the range the rounds allow.
Pairing pairByStandings(const QList<StandingsRow> &rows);

/// The groups pairByStandings fills, top down, after the odd members are handed down: the
/// number of consecutive rows in each, empty groups left out. Each group's upper half
/// plays its lower half in order; every size is even except possibly the last, whose
/// last entrant plays "Bye". The sizes add up to rows.size().
QList<qsizetype> scoreGroupSizes(const QList<StandingsRow> &rows);

} // namespace Zuvi::Round
