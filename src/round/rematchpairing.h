#pragma once

#include "round/standingspairing.h"

#include <QList>
#include <QSet>
#include <QString>

namespace Zuvi::Round {

/// One game of an earlier round as recorded: the two entrants by name, in either order.
/// A game with "Bye" on one side records a bye for the entrant on the other side.
struct PlayedGame
{
    QString left;
    QString right;
};

/// Pairs a later round from the standings, leaving out the dropped entrants and, when
/// avoidRematches is set, keeping apart entrants who have met.
///
/// rows are in standings order; dropped names the entrants who left (every row of such a
/// name is left out); games lists every game recorded so far, a game with "Bye" once for
/// each bye given. Games naming entrants who are not in the pairing are ignored.
///
/// Off: exactly pairByStandings over the rows still in.
///
/// On: an odd field gives "Bye" to the lowest-placed entrant with the fewest byes (so no
/// one has a second bye while someone has had none). The others are paired by a
/// depth-first search over the partners in the order the score-group rule tries them: the
/// highest-placed entrant not yet paired takes the first entrant of the lower half of its
/// group, then the rest of the lower half, then the upper half below it, then the
/// entrants of the lower groups (an odd member handed down joins the next group at its
/// top, as in the rule). The groups are the rule's over the entrants still in. Within a
/// group, a pairing of the group among itself comes before anyone leaves the group. The
/// result has the fewest rematches possible and is the first such pairing the search meets,
/// so whenever the score-group rule has no rematch (and its bye goes to an entrant with
/// the fewest byes) the result is exactly the rule's. Should the search exceed its work
/// limit, the rest of the field is paired greedily in the same order, avoiding rematches
/// where one of the next partners allows. Never fails; every entrant still in is paired
/// exactly once.
Pairing pairNextRound(const QList<StandingsRow> &rows, const QSet<QString> &dropped,
                      const QList<PlayedGame> &games, bool avoidRematches);

} // namespace Zuvi::Round
