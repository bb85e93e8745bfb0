#pragma once

#include "tournament/progresstypes.h"

namespace Zuvi::Progress {

/// What differs between two states of the tournament, in the terms the views follow: the
/// model compares the state it showed with the one it read again (another station changed
/// it) and announces exactly these.
struct StateChanges
{
    bool clock = false; ///< the clock was started, stopped or set
    /// The same pairing of the same open round before and after: only games came and went
    /// at their seats, and the lists can follow them row by row.
    bool samePairing = false;
    /// Another pairing, or a round opened or closed: the lists are shown anew.
    bool pairing = false;
    /// The round counter, the open round, the number of rounds, the start or the rematch
    /// option.
    bool round = false;
    bool entrants = false;  ///< names, houses, scores, drops or stored players
    bool games = false;     ///< games recorded, taken back or amended, or games missed
    bool published = false; ///< what the room is shown of the pairing
    bool reports = false;   ///< the report options, the reports or the personal codes
};

/// Compares two states; a pure function of them.
StateChanges compareStates(const State &before, const State &after);

} // namespace Zuvi::Progress
