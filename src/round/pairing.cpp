#include "round/pairing.h"

#include <cmath>

namespace Zuvi::Round {

double roundHalfEven(double value)
{
    // Worked out by hand rather than with the floating-point rounding mode, so that no
    // setting of the process can change how a half is rounded. Infinities and NaN pass
    // through unchanged.
    if (!std::isfinite(value))
        return value;
    double whole = std::floor(value);
    const double fraction = value - whole; // exact: both lie within one unit
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

} // namespace Zuvi::Round
