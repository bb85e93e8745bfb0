#include "round/numbertext.h"

#include "round/pairing.h"

#include <QByteArray>

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace Zuvi::Round {

namespace {

bool isDigit(QChar ch)
{
    return ch.unicode() >= u'0' && ch.unicode() <= u'9';
}

// The decimal exponent of the first significant digit of a mantissa given as its integer
// and fraction digits, plus the written exponent: below 0 means the number is smaller
// than 1 in magnitude. Saturates long before anything could overflow.
qint64 magnitude(QStringView integer, QStringView fraction, qint64 exponent)
{
    for (qsizetype j = 0; j < integer.size(); ++j) {
        if (integer[j] != u'0')
            return exponent + (integer.size() - j - 1);
    }
    for (qsizetype j = 0; j < fraction.size(); ++j) {
        if (fraction[j] != u'0')
            return exponent - (j + 1);
    }
    return 0;
}

// True when a text that parseDecimal accepted stands for a whole number: no digit other
// than 0 lies after the decimal point once the exponent has moved it. Decided on the
// digits, since a double cannot tell 1e-400 or 3.0000000000000000001 from a whole number.
bool writtenWhole(const QString &text)
{
    const QString body = text.trimmed();
    const qsizetype n = body.size();
    qsizetype i = 0;
    if (i < n && (body[i] == u'+' || body[i] == u'-'))
        ++i;
    const qsizetype mantissaStart = i;
    qsizetype point = -1;
    while (i < n && (isDigit(body[i]) || body[i] == u'.')) {
        if (body[i] == u'.')
            point = i;
        ++i;
    }
    const qsizetype mantissaEnd = i;
    if (point < 0)
        point = mantissaEnd;
    qint64 exponent = 0;
    if (i < n && (body[i] == u'e' || body[i] == u'E')) {
        ++i;
        const bool negative = i < n && body[i] == u'-';
        if (i < n && (body[i] == u'+' || body[i] == u'-'))
            ++i;
        for (; i < n && isDigit(body[i]); ++i) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (body[i].unicode() - u'0');
        }
        if (negative)
            exponent = -exponent;
    }
    // A digit's place: 0 for the units, 1 for the tens, -1 for the tenths.
    for (qsizetype j = mantissaStart; j < mantissaEnd; ++j) {
        if (body[j] == u'.' || body[j] == u'0')
            continue;
        const qint64 place = (j < point ? point - j - 1 : point - j) + exponent;
        if (place < 0)
            return false;
    }
    return true;
}

} // namespace

std::optional<double> parseDecimal(const QString &text)
{
    // Only plain decimal notation is read: an optional sign, digits with an optional "."
    // and fraction, and an optional exponent. The check is done here, character by
    // character, so that no locale of the machine, no hexadecimal or thousands separator
    // and no "inf" or "NaN" can slip through a library's more generous reading.
    const QString body = text.trimmed();
    const qsizetype n = body.size();
    qsizetype i = 0;
    const auto digitsFrom = [&](qsizetype from) {
        qsizetype end = from;
        while (end < n && isDigit(body[end]))
            ++end;
        return end;
    };

    if (i < n && (body[i] == u'+' || body[i] == u'-'))
        ++i;
    const qsizetype numberStart = i;
    const qsizetype integerEnd = digitsFrom(i);
    const QStringView integer = QStringView(body).mid(i, integerEnd - i);
    i = integerEnd;
    QStringView fraction;
    if (i < n && body[i] == u'.') {
        const qsizetype fractionEnd = digitsFrom(i + 1);
        fraction = QStringView(body).mid(i + 1, fractionEnd - i - 1);
        i = fractionEnd;
    }
    if (integer.isEmpty() && fraction.isEmpty())
        return std::nullopt;

    qint64 exponent = 0;
    if (i < n && (body[i] == u'e' || body[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (body[i] == u'+' || body[i] == u'-')) {
            negativeExponent = body[i] == u'-';
            ++i;
        }
        const qsizetype exponentEnd = digitsFrom(i);
        if (exponentEnd == i)
            return std::nullopt;
        for (qsizetype j = i; j < exponentEnd; ++j) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (body[j].unicode() - u'0');
        }
        if (negativeExponent)
            exponent = -exponent;
        i = exponentEnd;
    }
    if (i != n)
        return std::nullopt;

    // Only ASCII is left, so Latin-1 is exact; std::from_chars reads no leading "+".
    const bool negative = body.startsWith(u'-');
    QByteArray ascii = body.mid(numberStart).toLatin1();
    if (negative)
        ascii.prepend('-');
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(),
                                              value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Too small to tell from 0 is 0; too large is not a number we can hold.
        if (magnitude(integer, fraction, exponent) < 0)
            return 0.0;
        return std::nullopt;
    }
    if (error != std::errc() || end != ascii.constData() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    // "-0" is 0: a minus sign on nothing should not show up anywhere later.
    if (value == 0.0)
        value = 0.0;
    return value;
}

std::optional<qint16> parseRounds(const QString &text)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value || !writtenWhole(text))
        return std::nullopt;
    if (*value < std::numeric_limits<qint16>::min() || *value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(*value);
}

std::optional<int> parseDigits(const QString &text, int lowest, int highest)
{
    const QString body = text.trimmed();
    if (body.isEmpty())
        return std::nullopt;
    // Leading zeros are read; the value stops growing once it is past the range, so that
    // any number of digits is safe.
    qint64 value = 0;
    for (const QChar ch : body) {
        if (!isDigit(ch))
            return std::nullopt;
        if (value <= highest)
            value = value * 10 + (ch.unicode() - u'0');
    }
    if (value < lowest || value > highest)
        return std::nullopt;
    return int(value);
}

std::optional<qint16> parseMinutes(const QString &text)
{
    // Whole minutes only: a limit of 0 would stop the clock at once, and 999 minutes
    // (16 hours and more) is longer than any round.
    const std::optional<int> minutes = parseDigits(text, 1, 999);
    if (!minutes)
        return std::nullopt;
    return qint16(*minutes);
}

std::optional<qint16> parseTypedRounds(const QString &text)
{
    // Read as a stored number of rounds is ("3.0" is 3), then held to 1 to 99: 0 would end
    // the tournament before it starts.
    const std::optional<qint16> rounds = parseRounds(text);
    if (!rounds || *rounds < 1 || *rounds > 99)
        return std::nullopt;
    return rounds;
}

std::optional<double> parsePower(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0.0;
    // A power is never below 0: a negative one would take points of power off the player.
    const std::optional<double> value = parseDecimal(text);
    if (!value || *value < 0 || *value > 1e15)
        return std::nullopt;
    // "-0" is 0.
    return *value + 0.0;
}

std::optional<std::pair<double, double>> parseGamePowers(const QString &power1,
                                                         const QString &power2, bool againstBye)
{
    const std::optional<double> first = parsePower(power1);
    const std::optional<double> second = againstBye ? 0.0 : parsePower(power2);
    if (!first || !second)
        return std::nullopt;
    return std::pair{*first, *second};
}

} // namespace Zuvi::Round
