#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Zuvi::Round {

/// The five results of player 1's list, in list order.
QStringList resultTexts();

/// Player 1's points for a result text compared exactly: Full Win 3, Full Loss 0,
/// Modified Win 2, Modified Loss 1, True Draw 2 (1.5 rounded half to even); any other
/// text, the empty one included, 0. Player 2 always gets 3 minus this.
int player1Points(const QString &result);

/// The result shown for player 2 when player 1's result is chosen from the list, or
/// nothing for a text that is not one of the five (the caption then stays as it was).
std::optional<QString> player2Result(const QString &result);

/// A player's accumulated power as the standings show it: written out without an
/// exponent, to at most 15 significant digits (what a double holds of a decimal number),
/// without trailing zeros, so that powers typed as 0.1 and 0.2 add up to "0.3" and a
/// power of 1e15 shows all its digits.
QString powerText(double power);

} // namespace Zuvi::Round
