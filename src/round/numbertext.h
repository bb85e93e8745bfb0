#pragma once

#include <QString>

#include <optional>
#include <utility>

/// The rules that turn what a person typed into a number. Blanks around the text are
/// ignored; the decimal point is "."; hexadecimal, thousands separators, "inf" and "NaN"
/// are not numbers.
namespace Zuvi::Round {

/// The number of rounds as stored with a tournament: a whole number ("3" and "3.0" are
/// both 3) within the signed 16-bit range, negative ones included (the caller refuses
/// those). Nothing for an empty text, a text that is not a number, a fraction or a number
/// out of range. Tournaments stored before the typed rule (parseTypedRounds) read on.
std::optional<qint16> parseRounds(const QString &text);

/// The minutes of the round clock as typed: a whole number from 1 to 999 written in
/// decimal digits only (blanks around it are ignored). Nothing for anything else: 0, a
/// sign, a fraction, an exponent, an empty text.
std::optional<qint16> parseMinutes(const QString &text);

/// The number of rounds as the organiser types it: a whole number by the rule of
/// parseRounds ("3.0" is 3), from 1 to 99. Nothing for anything else, 0 included.
std::optional<qint16> parseTypedRounds(const QString &text);

/// Reads a whole number from lowest to highest (both at least 0) written in decimal digits
/// only, blanks around it ignored. Nothing for anything else.
std::optional<int> parseDigits(const QString &text, int lowest, int highest);

/// A player's power in a game: an empty text is 0; otherwise a finite number from 0 to
/// 1e15, so that sums of powers stay exact. Nothing otherwise (a negative power included).
std::optional<double> parsePower(const QString &text);

/// Both powers of a game, each by the rule above. A game against the bye takes 0 for the
/// bye whatever its box holds. Nothing when either power is not a number.
std::optional<std::pair<double, double>> parseGamePowers(const QString &power1,
                                                         const QString &power2, bool againstBye);

/// Any finite decimal number (the shared first step of the rules above).
std::optional<double> parseDecimal(const QString &text);

} // namespace Zuvi::Round
