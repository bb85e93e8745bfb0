// The first-round draw: fixed draws give exact lists, every draw pairs every entrant once,
// and every entrant is about equally likely in every place.

#include "round/firstdraw.h"
#include "support/pairinginvariants.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Zuvi::Round;
using Zuvi::Test::pairingFault;

namespace {

// A source that plays back fixed numbers and counts how often it was asked.
struct Scripted
{
    QList<double> values;
    int calls = 0;

    UniformRandom source()
    {
        return [this] { return values.value(calls++, 0.0); };
    }
};

QStringList names(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("Player %1, No.").arg(i + 1));
    return list;
}

} // namespace

class TestFirstDraw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixedDrawGivesExactLists_data();
    void fixedDrawGivesExactLists();
    void everyDrawPairsEveryEntrantOnce();
    void sourceOutOfRangeStaysInsideTheList_data();
    void sourceOutOfRangeStaysInsideTheList();
    void eachEntrantEquallyLikelyInEachPlace();
};

void TestFirstDraw::fixedDrawGivesExactLists_data()
{
    QTest::addColumn<QStringList>("entrants");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");

    QTest::newRow("none") << QStringList() << QList<double>() << QStringList() << QStringList();
    QTest::newRow("one plays bye") << QStringList{"Stark, Arya"} << QList<double>{0.7}
                                   << QStringList{"Stark, Arya"} << QStringList{"Bye"};
    // 4 entrants: index 3 of 4, 1 of 3, 0 of 2, 0 of 1; the third pass draws nothing.
    QTest::newRow("four") << QStringList{"A", "B", "C", "D"} << QList<double>{0.99, 0.5, 0.0, 0.7}
                          << QStringList{"D", "A"} << QStringList{"B", "C"};
    // 5 entrants: index 2 of 5, 3 of 4, 0 of 3, 1 of 2, then the last one plays bye.
    QTest::newRow("five") << QStringList{"A", "B", "C", "D", "E"}
                          << QList<double>{0.5, 0.8, 0.1, 0.4, 0.3} << QStringList{"C", "A", "D"}
                          << QStringList{"E", "B", "Bye"};
    QTest::newRow("names with quotes and accents")
        << QStringList{"O'Brien, Seán", "\"Kid\", Zoë"} << QList<double>{0.6, 0.0}
        << QStringList{"\"Kid\", Zoë"} << QStringList{"O'Brien, Seán"};
}

void TestFirstDraw::fixedDrawGivesExactLists()
{
    QFETCH(QStringList, entrants);
    QFETCH(QList<double>, draws);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);

    Scripted script{draws};
    const Pairing pairing = drawFirstRound(entrants, script.source());
    QCOMPARE(pairing.left, left);
    QCOMPARE(pairing.right, right);
    QVERIFY(entrants.isEmpty());
    QCOMPARE(script.calls, draws.size()); // one draw per entrant, none for "Bye"
}

void TestFirstDraw::everyDrawPairsEveryEntrantOnce()
{
    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator generator(seed);
        const int count = seed <= 60 ? int(seed - 1) : generator.bounded(0, 400);
        const QStringList entrants = names(count);
        QStringList pool = entrants;
        const Pairing pairing =
            drawFirstRound(pool, [&generator] { return generator.generateDouble(); });
        QVERIFY2(pool.isEmpty(), qPrintable(QStringLiteral("seed %1").arg(seed)));
        const QString fault = pairingFault(entrants, pairing);
        QVERIFY2(
            fault.isEmpty(),
            qPrintable(QStringLiteral("seed %1, %2 entrants: %3").arg(seed).arg(count).arg(fault)));
    }
}

void TestFirstDraw::sourceOutOfRangeStaysInsideTheList_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("one") << 1.0;
    QTest::newRow("above one") << 7.5;
    QTest::newRow("negative") << -0.5;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("just below one") << std::nextafter(1.0, 0.0);
}

void TestFirstDraw::sourceOutOfRangeStaysInsideTheList()
{
    QFETCH(double, value);
    for (int count : {1, 2, 7, 10}) {
        const QStringList entrants = names(count);
        QStringList pool = entrants;
        const Pairing pairing = drawFirstRound(pool, [value] { return value; });
        QVERIFY(pool.isEmpty());
        QCOMPARE(pairingFault(entrants, pairing), QString());
    }
}

void TestFirstDraw::eachEntrantEquallyLikelyInEachPlace()
{
    // Five entrants fill five places (three on the left, two on the right before "Bye").
    // Over 20000 seeded draws each entrant should take each place about 4000 times; the
    // bound of 10% is about seven standard deviations, so a fair draw never misses it.
    constexpr int count = 5;
    constexpr int runs = 20000;
    const QStringList entrants = names(count);
    int seen[count][count] = {};
    QRandomGenerator generator(20240611);
    const UniformRandom source = [&generator] { return generator.generateDouble(); };
    for (int run = 0; run < runs; ++run) {
        QStringList pool = entrants;
        const Pairing pairing = drawFirstRound(pool, source);
        const QStringList places{pairing.left[0], pairing.right[0], pairing.left[1],
                                 pairing.right[1], pairing.left[2]};
        for (int place = 0; place < count; ++place)
            ++seen[entrants.indexOf(places[place])][place];
    }
    const double expected = double(runs) / count;
    for (int entrant = 0; entrant < count; ++entrant) {
        for (int place = 0; place < count; ++place) {
            QVERIFY2(std::abs(seen[entrant][place] - expected) < expected * 0.1,
                     qPrintable(QStringLiteral("entrant %1 in place %2: %3 times")
                                    .arg(entrant)
                                    .arg(place)
                                    .arg(seen[entrant][place])));
        }
    }
}

QTEST_APPLESS_MAIN(TestFirstDraw)
#include "tst_firstdraw.moc"
