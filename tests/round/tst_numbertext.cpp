// The rules that turn a typed text into the number of rounds, the minutes of the clock and
// a player's power: what is read, what is rounded and what is refused.

#include "round/numbertext.h"
#include "round/pairing.h"

#include <QLocale>
#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

using namespace Zuvi::Round;

namespace {
// Texts that are no number in any of the rules.
void addNotNumbers()
{
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("word") << "abc";
    QTest::newRow("letter O for zero") << "1O";
    QTest::newRow("hexadecimal") << "0x10";
    QTest::newRow("decimal comma") << "1,5";
    QTest::newRow("thousands blank") << "1 000";
    QTest::newRow("two points") << "1.5.2";
    QTest::newRow("point only") << ".";
    QTest::newRow("sign only") << "-";
    QTest::newRow("two signs") << "+-1";
    QTest::newRow("exponent without digits") << "1e";
    QTest::newRow("exponent alone") << "e3";
    QTest::newRow("fractional exponent") << "1e3.5";
    QTest::newRow("inf") << "inf";
    QTest::newRow("negative infinity") << "-Infinity";
    QTest::newRow("NaN") << "NaN";
    QTest::newRow("trailing word") << "12abc";
    QTest::newRow("quote") << "3'; DROP TABLE TournyInfo; --";
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663));
    QTest::newRow("fullwidth digit") << QString(QChar(0xFF13));
    QTest::newRow("beyond double") << "1e309";
    QTest::newRow("thousands of nines") << QString(5000, QLatin1Char('9'));
}
} // namespace

class TestNumberText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundHalfEvenRoundsHalvesToEven_data();
    void roundHalfEvenRoundsHalvesToEven();
    void decimalIsRead_data();
    void decimalIsRead();
    void notNumbersAreRefusedByEveryRule_data();
    void notNumbersAreRefusedByEveryRule();
    void roundsMustBeWholeAndSixteenBit_data();
    void roundsMustBeWholeAndSixteenBit();
    void typedCountsTakeOnlyWholeNumbersInRange_data();
    void typedCountsTakeOnlyWholeNumbersInRange();
    void powerIsZeroWhenEmptyAndBoundedOtherwise_data();
    void powerIsZeroWhenEmptyAndBoundedOtherwise();
    void gamePowersIgnoreTheByesBox_data();
    void gamePowersIgnoreTheByesBox();
    void readingIgnoresTheMachineLocale();
};

void TestNumberText::roundHalfEvenRoundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-0.4") << -0.4 << 0.0;
    QTest::newRow("whole") << 7.0 << 7.0;
    QTest::newRow("beyond exact fractions") << 9007199254740993.0 << 9007199254740993.0;
}

void TestNumberText::roundHalfEvenRoundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(roundHalfEven(value), expected);
}

void TestNumberText::decimalIsRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole") << "3" << 3.0;
    QTest::newRow("plus sign") << "+3" << 3.0;
    QTest::newRow("minus sign") << "-2" << -2.0;
    QTest::newRow("point zero") << "3.0" << 3.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative leading point") << "-.5" << -0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent capital") << "25E-1" << 2.5;
    QTest::newRow("blanks around") << " 3 " << 3.0;
    QTest::newRow("tabs around") << "\t12\t" << 12.0;
    QTest::newRow("leading zeros") << "007" << 7.0;
    QTest::newRow("largest magnitude") << "1e308" << 1e308;
    QTest::newRow("minus zero is zero") << "-0" << 0.0;
    QTest::newRow("too small to tell from zero") << "1e-400" << 0.0;
    QTest::newRow("long fraction of zeros")
        << QStringLiteral("0.") + QString(4000, QLatin1Char('0')) + QStringLiteral("1") << 0.0;
    QTest::newRow("long mantissa, exponent brings it back")
        << QStringLiteral("1") + QString(400, QLatin1Char('0')) + QStringLiteral("e-400") << 1.0;
}

void TestNumberText::decimalIsRead()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const std::optional<double> value = parseDecimal(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
    QVERIFY(!std::signbit(*value) || expected < 0);
}

void TestNumberText::notNumbersAreRefusedByEveryRule_data()
{
    QTest::addColumn<QString>("text");
    addNotNumbers();
}

void TestNumberText::notNumbersAreRefusedByEveryRule()
{
    QFETCH(QString, text);
    QVERIFY(!parseDecimal(text).has_value());
    QVERIFY(!parseRounds(text).has_value());
    QVERIFY(!parseMinutes(text).has_value());
    QVERIFY(!parseTypedRounds(text).has_value());
    // An empty power box is 0 (a bye game often has none typed); every other text is refused.
    if (text.trimmed().isEmpty())
        QCOMPARE(parsePower(text), std::optional<double>(0.0));
    else
        QVERIFY(!parsePower(text).has_value());
}

void TestNumberText::roundsMustBeWholeAndSixteenBit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("expected");
    QTest::newRow("3") << "3" << true << 3;
    QTest::newRow("3.0 is 3") << "3.0" << true << 3;
    QTest::newRow("blanks around") << " 3 " << true << 3;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("negative is read, the caller refuses it") << "-1" << true << -1;
    QTest::newRow("lowest") << "-32768" << true << -32768;
    QTest::newRow("highest") << "32767" << true << 32767;
    QTest::newRow("exponent") << "1e2" << true << 100;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("above range") << "32768" << false << 0;
    QTest::newRow("below range") << "-32769" << false << 0;
    QTest::newRow("fraction") << "3.5" << false << 0;
    QTest::newRow("nearly whole") << "2.999999" << false << 0;
    QTest::newRow("huge") << "1e308" << false << 0;
}

void TestNumberText::roundsMustBeWholeAndSixteenBit()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, expected);
    const std::optional<qint16> rounds = parseRounds(text);
    QCOMPARE(rounds.has_value(), ok);
    if (ok)
        QCOMPARE(int(*rounds), expected);
}

void TestNumberText::typedCountsTakeOnlyWholeNumbersInRange_data()
{
    // The round clock's minutes (1 to 999, digits only) and the number of rounds (a whole
    // number from 1 to 99, "3.0" included), as typed: once "1e2" started a 100-minute clock
    // shown as 00:100:00, "2.5" was rounded, "0" stopped the clock at once and 0 rounds
    // ended the tournament before its start.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes"); // 0: refused
    QTest::addColumn<int>("rounds");  // 0: refused
    QTest::newRow("30") << "30" << 30 << 30;
    QTest::newRow("blanks around are trimmed") << " 30 " << 30 << 30;
    QTest::newRow("tab around") << "\t45\t" << 45 << 45;
    QTest::newRow("leading zero") << "045" << 45 << 45;
    QTest::newRow("one") << "1" << 1 << 1;
    QTest::newRow("largest rounds") << "99" << 99 << 99;
    QTest::newRow("past the rounds") << "100" << 100 << 0;
    QTest::newRow("largest minutes") << "999" << 999 << 0;
    QTest::newRow("past the minutes") << "1000" << 0 << 0;
    QTest::newRow("zero") << "0" << 0 << 0;
    QTest::newRow("zeros") << "000" << 0 << 0;
    QTest::newRow("negative") << "-5" << 0 << 0;
    QTest::newRow("plus sign") << "+5" << 0 << 5;
    QTest::newRow("exponent") << "1e2" << 0 << 0;
    QTest::newRow("whole exponent within rounds") << "1e1" << 0 << 10;
    QTest::newRow("fraction") << "2.5" << 0 << 0;
    QTest::newRow("whole with a point") << "3.0" << 0 << 3;
    QTest::newRow("minus zero") << "-0" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("blanks only") << "  " << 0 << 0;
    QTest::newRow("blank inside") << "3 0" << 0 << 0;
    QTest::newRow("many digits") << QString(40, QLatin1Char('9')) << 0 << 0;
    QTest::newRow("many leading zeros")
        << QString(40, QLatin1Char('0')) + QStringLiteral("7") << 7 << 7;
    QTest::newRow("arabic-indic digits") << QString(2, QChar(0x0663)) << 0 << 0;
}

void TestNumberText::typedCountsTakeOnlyWholeNumbersInRange()
{
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QFETCH(int, rounds);
    QCOMPARE(parseMinutes(text), minutes ? std::optional<qint16>(qint16(minutes)) : std::nullopt);
    QCOMPARE(parseTypedRounds(text), rounds ? std::optional<qint16>(qint16(rounds)) : std::nullopt);
}

void TestNumberText::powerIsZeroWhenEmptyAndBoundedOtherwise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty is 0") << "" << true << 0.0;
    QTest::newRow("blank is 0") << " " << true << 0.0;
    QTest::newRow("tab is 0") << "\t" << true << 0.0;
    QTest::newRow("12") << "12" << true << 12.0;
    QTest::newRow("blanks around") << " 12 " << true << 12.0;
    QTest::newRow("negative refused") << "-3" << false << 0.0;
    QTest::newRow("small negative refused") << "-0.5" << false << 0.0;
    QTest::newRow("minus zero is zero") << "-0" << true << 0.0;
    QTest::newRow("fraction kept") << "2.5" << true << 2.5;
    QTest::newRow("largest") << "1e15" << true << 1e15;
    QTest::newRow("largest negative refused") << "-1e15" << false << 0.0;
    QTest::newRow("beyond largest") << "1000000000000001" << false << 0.0;
    QTest::newRow("1e16") << "1e16" << false << 0.0;
    QTest::newRow("huge") << "1e308" << false << 0.0;
    QTest::newRow("letter O") << "1O" << false << 0.0;
    QTest::newRow("word") << "abc" << false << 0.0;
}

void TestNumberText::powerIsZeroWhenEmptyAndBoundedOtherwise()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    const std::optional<double> power = parsePower(text);
    QCOMPARE(power.has_value(), ok);
    if (ok) {
        QCOMPARE(*power, expected);
        // A power is never shown with a minus sign.
        QVERIFY(!std::signbit(*power));
    }
}

void TestNumberText::gamePowersIgnoreTheByesBox_data()
{
    QTest::addColumn<QString>("power1");
    QTest::addColumn<QString>("power2");
    QTest::addColumn<bool>("againstBye");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected1");
    QTest::addColumn<double>("expected2");
    QTest::newRow("both read") << "12"
                               << "3.5" << false << true << 12.0 << 3.5;
    QTest::newRow("second negative refused") << "12"
                                             << "-5" << false << false << 0.0 << 0.0;
    QTest::newRow("both empty") << ""
                                << "" << false << true << 0.0 << 0.0;
    QTest::newRow("second not a number") << "12"
                                         << "x" << false << false << 0.0 << 0.0;
    QTest::newRow("first not a number") << "1e16"
                                        << "4" << false << false << 0.0 << 0.0;
    QTest::newRow("bye's box not read") << "7"
                                        << "x" << true << true << 7.0 << 0.0;
    QTest::newRow("bye's number not taken") << "7"
                                            << "9" << true << true << 7.0 << 0.0;
    QTest::newRow("against bye, first refused") << "abc"
                                                << "" << true << false << 0.0 << 0.0;
    QTest::newRow("against bye, negative first refused") << "-5"
                                                         << "" << true << false << 0.0 << 0.0;
}

void TestNumberText::gamePowersIgnoreTheByesBox()
{
    QFETCH(QString, power1);
    QFETCH(QString, power2);
    QFETCH(bool, againstBye);
    QFETCH(bool, ok);
    QFETCH(double, expected1);
    QFETCH(double, expected2);
    const auto powers = parseGamePowers(power1, power2, againstBye);
    QCOMPARE(powers.has_value(), ok);
    if (ok) {
        QCOMPARE(powers->first, expected1);
        QCOMPARE(powers->second, expected2);
    }
}

void TestNumberText::readingIgnoresTheMachineLocale()
{
    // A machine set to a language that writes "2,5" must still read "2.5" as two and a
    // half, and must not take "2,5" or "1.000" for anything else.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        QLocale::setDefault(previous);
        QSKIP("the de_DE.UTF-8 locale is not installed: a German C locale cannot be tried");
    }

    const std::optional<double> half = parseDecimal(QStringLiteral("2.5"));
    const std::optional<double> comma = parseDecimal(QStringLiteral("2,5"));
    const std::optional<double> thousand = parseDecimal(QStringLiteral("1.000"));
    const std::optional<qint16> minutes = parseMinutes(QStringLiteral("1.000"));

    std::setlocale(LC_ALL, previousC.c_str());
    QLocale::setDefault(previous);

    QCOMPARE(half, std::optional<double>(2.5));
    QVERIFY(!comma.has_value());
    QCOMPARE(thousand, std::optional<double>(1.0));
    QVERIFY(!minutes.has_value());
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
