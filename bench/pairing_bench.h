#pragma once

namespace Zuvi::Bench {

/// Times the standings pairing with rematch avoidance at several field sizes against the
/// pairing without it, prints the rows and the targets; true when every target is met.
bool pairingActions();

} // namespace Zuvi::Bench
