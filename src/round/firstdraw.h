#pragma once

#include "round/pairing.h"

#include <functional>

namespace Zuvi::Round {

/// A random source giving numbers uniform in [0, 1).
using UniformRandom = std::function<double()>;

/// The first-round draw. With n entrants and h = n / 2 rounded half to even, it runs h + 1
/// passes; each pass draws one entrant into left and, if any remain, a second into right,
/// else "Bye". Each draw takes index floor(r * c) of the c entrants left and removes that
/// entrant from `entrants`, so the list is empty afterwards and every entrant is drawn
/// exactly once. A source that returns a value outside [0, 1) is clamped into range.
Pairing drawFirstRound(QStringList &entrants, const UniformRandom &random);

} // namespace Zuvi::Round
