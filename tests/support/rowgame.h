#pragma once

// Model tests that play "the game at row N of the round window's lists", as an organiser
// picks it: the row is turned into the game it shows before the model is asked.

#include "tournament/tournamentprogress.h"

namespace Zuvi::Test {

/// The game the round window shows at row of its lists; a null game past the last row.
inline Progress::GameRef gameAtRow(const TournamentProgress &model, int row)
{
    const QList<int> &open = model.openSeats();
    if (row < 0 || row >= open.size())
        return {};
    return model.openRoundGame(open.at(row) + 1);
}

/// Records the game at row as "Game Over" records it; false where the model refused it.
inline bool recordAtRow(TournamentProgress &model, int row, const QString &result1, double power1,
                        double power2)
{
    return model.recordGame(gameAtRow(model, row), result1, power1, power2) ==
           TournamentProgress::RecordRefusal::None;
}

} // namespace Zuvi::Test
