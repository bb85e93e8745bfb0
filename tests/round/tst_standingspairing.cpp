// The pairing of later rounds by score groups from the standings.

#include "round/standingspairing.h"
#include "support/pairinginputs.h"
#include "support/pairinginvariants.h"
#include "support/standingsreference.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Zuvi::Round;
using namespace Zuvi::Test;

namespace {

// Random standings in standings order: scores drawn from the given range (whole or not),
// names unique, ties broken by name as the standings query does (power left out).
QList<StandingsRow> randomStandings(QRandomGenerator &generator, int count, double lowest,
                                    double highest, bool whole)
{
    return Zuvi::Test::randomStandings(count, [&] {
        const double score = lowest + generator.generateDouble() * (highest - lowest);
        return whole ? std::floor(score + 0.5) : score;
    });
}

} // namespace

Q_DECLARE_METATYPE(Zuvi::Round::StandingsRow)

class TestStandingsPairing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pairsByScoreGroups_data();
    void pairsByScoreGroups();
    void matchesTheScoreGroupRuleWhenInRange();
    void pairsEveryoneOnceWhateverTheInputs_data();
    void pairsEveryoneOnceWhateverTheInputs();
};

void TestStandingsPairing::pairsByScoreGroups_data()
{
    QTest::addColumn<QList<StandingsRow>>("rows");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");

    const QList<StandingsRow> example = standingsOf(
        {{"A", 6}, {"B", 6}, {"C", 6}, {"D", 3}, {"E", 3}, {"F", 3}, {"G", 0}, {"H", 0}});
    QTest::newRow("three groups of three, three and two")
        << example << QStringList{"A", "C", "D", "G"} << QStringList{"B", "E", "F", "H"};
    QTest::newRow("no entrants") << QList<StandingsRow>() << QStringList() << QStringList();
    QTest::newRow("one entrant plays bye")
        << standingsOf({{"A", 3}}) << QStringList{"A"} << QStringList{"Bye"};
    QTest::newRow("all on one score: upper half plays lower half")
        << standingsOf({{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}, {"E", 3}, {"F", 3}})
        << QStringList{"A", "B", "C"} << QStringList{"D", "E", "F"};
    QTest::newRow("all on zero") << standingsOf({{"A", 0}, {"B", 0}, {"C", 0}, {"D", 0}})
                                 << QStringList{"A", "B"} << QStringList{"C", "D"};
    QTest::newRow("odd count: the lowest plays bye last")
        << standingsOf({{"A", 3}, {"B", 3}, {"C", 2}, {"D", 1}, {"E", 0}})
        << QStringList{"A", "C", "E"} << QStringList{"B", "D", "Bye"};
    QTest::newRow("odd member travels down to the bottom")
        << standingsOf({{"A", 6}, {"B", 3}, {"C", 0}}) << QStringList{"A", "C"}
        << QStringList{"B", "Bye"};
    // Half to even puts B, C and D on 2 with A handed down to them; half up would put B
    // on 3 and pair A with B.
    QTest::newRow("fractional scores round half to even")
        << standingsOf({{"A", 3.5}, {"B", 2.5}, {"C", 2.4}, {"D", 1.5}}) << QStringList{"A", "B"}
        << QStringList{"C", "D"};
    // Seven rounds played where two were planned: scores up to 18 where 6 is the most two
    // rounds give.
    QTest::newRow("scores beyond what the rounds allow")
        << standingsOf({{"A", 18}, {"B", 15}, {"C", 15}, {"D", 12}, {"E", 3}, {"F", 0}})
        << QStringList{"A", "C", "E"} << QStringList{"B", "D", "F"};
    QTest::newRow("two entrants far above the rest")
        << standingsOf({{"A", 40}, {"B", 40}, {"C", 3}, {"D", 0}}) << QStringList{"A", "C"}
        << QStringList{"B", "D"};
    QTest::newRow("negative score counts as 0") << standingsOf({{"A", 3}, {"B", 0}, {"C", -2}})
                                                << QStringList{"A", "C"} << QStringList{"B", "Bye"};
    QTest::newRow("one entrant above, one at zero")
        << standingsOf({{"A", 3}, {"B", 0}}) << QStringList{"A"} << QStringList{"B"};
    QTest::newRow("odd member handed down to zero")
        << standingsOf({{"A", 3}, {"B", 3}, {"C", 0}}) << QStringList{"A", "C"}
        << QStringList{"B", "Bye"};
    QTest::newRow("huge stored score") << standingsOf({{"A", 1e300}, {"B", 3}, {"C", 3}, {"D", 0}})
                                       << QStringList{"A", "C"} << QStringList{"B", "D"};
}

void TestStandingsPairing::pairsByScoreGroups()
{
    QFETCH(QList<StandingsRow>, rows);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);

    const Pairing pairing = pairByStandings(rows);
    QCOMPARE(pairing.left, left);
    QCOMPARE(pairing.right, right);
    QCOMPARE(pairingFault(namesOf(rows), pairing), QString());
}

void TestStandingsPairing::matchesTheScoreGroupRuleWhenInRange()
{
    for (quint32 seed = 1; seed <= 2000; ++seed) {
        QRandomGenerator generator(seed);
        const int rounds = generator.bounded(1, 8);
        const int roundcounter = generator.bounded(2, rounds + 2);
        const int t = 3 * (roundcounter - 1);
        const int count = generator.bounded(0, 40);
        const QList<StandingsRow> rows = randomStandings(generator, count, 0, t, true);
        const Pairing expected = referencePairing(rows, rounds, roundcounter);
        const Pairing pairing = pairByStandings(rows);
        if (pairing.left != expected.left || pairing.right != expected.right) {
            QFAIL(qPrintable(QStringLiteral("seed %1: R %2, round %3, %4 entrants")
                                 .arg(seed)
                                 .arg(rounds)
                                 .arg(roundcounter)
                                 .arg(count)));
        }
        const QString fault = pairingFault(namesOf(rows), pairing);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(fault)));
    }
}

void TestStandingsPairing::pairsEveryoneOnceWhateverTheInputs_data()
{
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::addColumn<bool>("whole");
    QTest::newRow("whole scores up to 30") << 0.0 << 30.0 << true;
    QTest::newRow("fractional scores up to 12") << 0.0 << 12.0 << false;
    QTest::newRow("negative and large scores") << -20.0 << 200.0 << true;
    QTest::newRow("whole scores up to 9") << 0.0 << 9.0 << true;
    QTest::newRow("fractional scores up to 9") << 0.0 << 9.0 << false;
}

void TestStandingsPairing::pairsEveryoneOnceWhateverTheInputs()
{
    QFETCH(double, lowest);
    QFETCH(double, highest);
    QFETCH(bool, whole);
    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator generator(seed);
        const int count = generator.bounded(0, 60);
        const QList<StandingsRow> rows = randomStandings(generator, count, lowest, highest, whole);
        const QString fault = pairingFault(namesOf(rows), pairByStandings(rows));
        QVERIFY2(
            fault.isEmpty(),
            qPrintable(QStringLiteral("seed %1, %2 entrants: %3").arg(seed).arg(count).arg(fault)));
    }
}

QTEST_APPLESS_MAIN(TestStandingsPairing)
#include "tst_standingspairing.moc"
