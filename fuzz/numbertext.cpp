// The rules that turn typed text into a number, under any text: any bytes read as UTF-8
// or as raw UTF-16 (lone surrogates included), as a person may paste them. The rules must
// never crash and their results must hold together: a number of rounds is written as a
// whole number and lies in the signed 16-bit range, minutes lie in 0 to 32767 and are the typed
// number rounded half to even, a power is finite and within 1e15; every accepted text is plain
// decimal ASCII, and for such a text the value is the one the C library reads from it. A
// power as the standings show it reads back as the same number to 15 significant digits.

#include "check.h"

#include "round/numbertext.h"
#include "round/pairing.h"
#include "round/scoring.h"

#include <QRegularExpression>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace Zuvi::Round;

namespace {

// Plain decimal notation: sign, digits with an optional point and fraction (at least one
// digit in all), optional exponent. Anchored; ASCII only.
const QRegularExpression &plainDecimal()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\z"));
    return pattern;
}

// Whether a plain decimal text stands for a whole number, worked out as the digits D
// (point removed) times 10 to the power of the exponent less the fraction's length: whole
// when D is 0 or that power, raised by one for each trailing zero dropped from D, is not
// negative.
bool denotesWholeNumber(const QRegularExpressionMatch &match)
{
    const QString mantissa = match.captured(1);
    const qsizetype point = mantissa.indexOf(QLatin1Char('.'));
    QString digits = mantissa;
    qint64 power = 0;
    if (point >= 0) {
        digits.remove(point, 1);
        power -= mantissa.size() - point - 1;
    }
    const QString exponent = match.captured(2).mid(1); // without the "e"
    if (!exponent.isEmpty()) {
        const QString magnitude =
            exponent.startsWith(QLatin1Char('+')) || exponent.startsWith(QLatin1Char('-'))
                ? exponent.mid(1)
                : exponent;
        QString significant = magnitude;
        while (significant.startsWith(QLatin1Char('0')))
            significant.remove(0, 1);
        // Beyond nine digits the exponent decides alone, whatever the mantissa.
        const qint64 value = significant.size() > 9 ? 10'000'000'000 : significant.toLongLong();
        power += exponent.startsWith(QLatin1Char('-')) ? -value : value;
    }
    while (digits.endsWith(QLatin1Char('0'))) {
        digits.chop(1);
        ++power;
    }
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits.isEmpty() || power >= 0;
}

void checkText(const QString &text)
{
    const QString body = text.trimmed();
    const std::optional<double> decimal = parseDecimal(text);
    const QRegularExpressionMatch match = plainDecimal().match(body);
    const bool plain = match.hasMatch();

    if (decimal) {
        ZUVI_CHECK(plain);
        ZUVI_CHECK(std::isfinite(*decimal));
        ZUVI_CHECK(!(*decimal == 0 && std::signbit(*decimal))); // no "-0"
    }
    if (plain) {
        // The C library's reading in the "C" locale, which the fuzzer never changes.
        const QByteArray ascii = body.toLatin1();
        const double expected = std::strtod(ascii.constData(), nullptr);
        if (std::isinf(expected)) {
            ZUVI_CHECK(!decimal);
        } else if (std::fabs(expected) >= DBL_MIN) {
            ZUVI_CHECK(decimal && *decimal == expected);
        } else {
            // Too small to be a normal number: 0 or a subnormal, never refused.
            ZUVI_CHECK(decimal && std::fabs(*decimal) < DBL_MIN);
        }
    }

    const std::optional<qint16> rounds = parseRounds(text);
    if (rounds) {
        ZUVI_CHECK(decimal && *decimal == double(*rounds));
        ZUVI_CHECK(denotesWholeNumber(match));
    } else if (decimal) {
        ZUVI_CHECK(!denotesWholeNumber(match) || *decimal < -32768 || *decimal > 32767);
    }

    // The minutes as typed: digits only, within their range, and the same number as read.
    const bool digitsOnly = !body.isEmpty() && std::all_of(body.begin(), body.end(), [](QChar ch) {
        return ch.unicode() >= u'0' && ch.unicode() <= u'9';
    });
    const std::optional<qint16> minutes = parseMinutes(text);
    if (minutes) {
        ZUVI_CHECK(*minutes >= 1 && *minutes <= 999 && digitsOnly);
        ZUVI_CHECK(decimal && *decimal == double(*minutes));
    } else if (digitsOnly) {
        ZUVI_CHECK(!decimal || *decimal < 1 || *decimal > 999);
    }
    const std::optional<qint16> typedRounds = parseTypedRounds(text);
    if (typedRounds)
        ZUVI_CHECK(rounds == typedRounds && *typedRounds >= 1 && *typedRounds <= 99);
    else if (rounds)
        ZUVI_CHECK(*rounds < 1 || *rounds > 99);

    const std::optional<double> power = parsePower(text);
    if (body.isEmpty()) {
        ZUVI_CHECK(power && *power == 0);
    } else if (power) {
        ZUVI_CHECK(std::isfinite(*power) && *power >= 0 && *power <= 1e15);
        ZUVI_CHECK(decimal && *decimal == *power);
    } else if (decimal) {
        ZUVI_CHECK(*decimal < 0 || *decimal > 1e15);
    }

    // A power as the standings show it reads back as nearly the same number, to 15
    // significant digits, written out without an exponent.
    if (power) {
        const QString shown = powerText(*power);
        const std::optional<double> back = parseDecimal(shown);
        ZUVI_CHECK(back && plainDecimal().match(shown).hasMatch());
        ZUVI_CHECK(!shown.contains(QLatin1Char('e')) && shown != QLatin1String("-0"));
        ZUVI_CHECK(std::fabs(*back - *power) <= std::fabs(*power) * 1e-14 + 1e-15);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(bytes), qsizetype(size)));
    checkText(QString::fromLatin1(reinterpret_cast<const char *>(bytes), qsizetype(size)));
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), bytes, size / 2 * 2);
    checkText(utf16);
    return 0;
}
