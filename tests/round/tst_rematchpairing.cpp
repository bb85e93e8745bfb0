// The pairing of a later round for the entrants still in, with rematches kept apart where
// the organiser asks for it.

#include "round/rematchpairing.h"
#include "support/pairinginputs.h"
#include "support/pairinginvariants.h"
#include "support/standingsreference.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Zuvi::Round;
using namespace Zuvi::Test;

namespace {

// "A-B C-Bye": the games recorded so far.
QList<PlayedGame> games(const QString &text)
{
    QList<PlayedGame> list;
    for (const QString &game : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList sides = game.split(QLatin1Char('-'));
        list.append({sides.at(0), sides.at(1)});
    }
    return list;
}

QSet<QString> dropped(const QString &text)
{
    const QStringList names = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return QSet<QString>(names.begin(), names.end());
}

QList<StandingsRow> activeRows(const QList<StandingsRow> &rows, const QSet<QString> &left)
{
    QList<StandingsRow> list;
    for (const StandingsRow &row : rows) {
        if (!left.contains(row.name))
            list.append(row);
    }
    return list;
}

// Random standings in standings order with whole scores from 0 to highest.
QList<StandingsRow> randomStandings(QRandomGenerator &generator, int count, int highest)
{
    return Zuvi::Test::randomStandings(count,
                                       [&] { return double(generator.bounded(highest + 1)); });
}

} // namespace

Q_DECLARE_METATYPE(Zuvi::Round::StandingsRow)

class TestRematchPairing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pairs_data();
    void pairs();
    void followsTheRuleWhenItHasNoRematch();
    void pairsEveryoneWithTheFewestRematches();
    void keepsALargeFieldFreeOfRematchesRoundAfterRound();
};

void TestRematchPairing::pairs_data()
{
    QTest::addColumn<QList<StandingsRow>>("rows");
    QTest::addColumn<QString>("games");
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<bool>("avoid");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");

    const QList<StandingsRow> four = standingsOf({{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}});
    const QList<StandingsRow> five =
        standingsOf({{"A", 3}, {"B", 3}, {"C", 0}, {"D", 0}, {"E", 0}});
    const QList<StandingsRow> six =
        standingsOf({{"A", 6}, {"B", 6}, {"C", 6}, {"D", 3}, {"E", 3}, {"F", 3}});
    const QList<StandingsRow> eight = standingsOf(
        {{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}, {"E", 3}, {"F", 3}, {"G", 3}, {"H", 3}});

    // Option off: the score-group rule over the entrants still in, rematches or not.
    QTest::newRow("off: rematch kept")
        << four << "A-C"
        << "" << false << QStringList{"A", "B"} << QStringList{"C", "D"};
    QTest::newRow("off: dropped entrant left out")
        << five << ""
        << "B" << false << QStringList{"A", "C"} << QStringList{"D", "E"};
    QTest::newRow("off: a drop makes the field odd")
        << four << ""
        << "A" << false << QStringList{"B", "D"} << QStringList{"C", "Bye"};
    QTest::newRow("off: the lowest plays bye again")
        << five << "E-Bye"
        << "" << false << QStringList{"A", "C", "E"} << QStringList{"B", "D", "Bye"};

    // Option on, the smallest change that avoids the rematch.
    QTest::newRow("on: no rematch, the rule's pairing")
        << four << "A-B C-D"
        << "" << true << QStringList{"A", "B"} << QStringList{"C", "D"};
    QTest::newRow("on: top pair met, the next of the lower half")
        << four << "A-C"
        << "" << true << QStringList{"A", "B"} << QStringList{"D", "C"};
    QTest::newRow("on: last pair met, the group swaps within itself")
        << four << "B-D"
        << "" << true << QStringList{"A", "B"} << QStringList{"D", "C"};
    QTest::newRow("on: last pair met, a swap rather than two entrants sent down")
        << standingsOf({{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}, {"E", 0}, {"F", 0}}) << "B-D"
        << "" << true << QStringList{"A", "B", "E"} << QStringList{"D", "C", "F"};
    QTest::newRow("on: middle pair met, the pairs below stay")
        << eight << "B-F"
        << "" << true << QStringList{"A", "B", "C", "D"} << QStringList{"E", "G", "F", "H"};
    QTest::newRow("on: odd member handed down meets its partner")
        << six << "C-E"
        << "" << true << QStringList{"A", "C", "D"} << QStringList{"B", "F", "E"};
    QTest::newRow("on: a group of two that met plays the group below")
        << standingsOf({{"A", 6}, {"B", 6}, {"C", 3}, {"D", 3}}) << "A-B"
        << "" << true << QStringList{"A", "B"} << QStringList{"C", "D"};
    QTest::newRow("on: a dropped entrant left out, the rest kept apart")
        << five << "A-B"
        << "C" << true << QStringList{"A", "B"} << QStringList{"D", "E"};

    // Option on, rematches that cannot all be avoided: the fewest, first in the rule's order.
    QTest::newRow("on: four entrants after four rounds, all met: the rule's pairing")
        << standingsOf({{"A", 9}, {"B", 6}, {"C", 6}, {"D", 3}})
        << "A-B C-D A-C B-D A-D B-C A-B C-D"
        << "" << true << QStringList{"A", "C"} << QStringList{"B", "D"};
    QTest::newRow("on: one entrant has met everyone, one rematch")
        << standingsOf({{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}, {"E", 3}, {"F", 3}})
        << "F-A F-B F-C F-D F-E A-D"
        << "" << true << QStringList{"A", "B", "C"} << QStringList{"E", "D", "F"};

    // Option on, the bye.
    QTest::newRow("on: the lowest has had a bye, the next one up takes it")
        << five << "E-Bye"
        << "" << true << QStringList{"A", "C", "D"} << QStringList{"B", "E", "Bye"};
    QTest::newRow("on: all but the top have had a bye")
        << five << "Bye-B C-Bye D-Bye E-Bye"
        << "" << true << QStringList{"B", "C", "A"} << QStringList{"D", "E", "Bye"};
    QTest::newRow("on: everyone has had a bye, the lowest with the fewest")
        << five << "A-Bye A-Bye B-Bye C-Bye C-Bye D-Bye E-Bye E-Bye"
        << "" << true << QStringList{"A", "C", "D"} << QStringList{"B", "E", "Bye"};
    QTest::newRow("on: a dropped entrant's bye is no one else's")
        << five << "E-Bye"
        << "E" << true << QStringList{"A", "C"} << QStringList{"B", "D"};
}

void TestRematchPairing::pairs()
{
    QFETCH(QList<StandingsRow>, rows);
    QFETCH(QString, games);
    QFETCH(QString, dropped);
    QFETCH(bool, avoid);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);

    const QSet<QString> out = ::dropped(dropped);
    const Pairing pairing = pairNextRound(rows, out, ::games(games), avoid);
    QCOMPARE(pairing.left, left);
    QCOMPARE(pairing.right, right);
    QCOMPARE(pairingFault(namesOf(rows, out), pairing), QString());
}

void TestRematchPairing::followsTheRuleWhenItHasNoRematch()
{
    // Whenever the score-group rule pairs nobody who has met and gives its bye to someone
    // who has had none, rematch avoidance changes nothing; drops only narrow the field.
    for (quint32 seed = 1; seed <= 2000; ++seed) {
        QRandomGenerator generator(seed);
        const int rounds = generator.bounded(1, 8);
        const int roundcounter = generator.bounded(2, rounds + 2);
        const int count = generator.bounded(0, 40);
        const QList<StandingsRow> rows = randomStandings(generator, count, 3 * (roundcounter - 1));
        QSet<QString> out;
        for (const StandingsRow &row : rows) {
            if (generator.bounded(8) == 0)
                out.insert(row.name);
        }
        const QList<StandingsRow> active = activeRows(rows, out);
        const Pairing expected = referencePairing(active, rounds, roundcounter);

        // Games between any entrants (the dropped ones too) that the rule does not pair,
        // and byes for anyone but the rule's bye.
        QList<PlayedGame> history;
        const QStringList everyone = namesOf(rows);
        const int played = count < 2 ? 0 : generator.bounded(0, 4 * count);
        for (int g = 0; g < played; ++g) {
            const QString a = everyone[generator.bounded(count)];
            const QString b = everyone[generator.bounded(count)];
            bool paired = false;
            for (qsizetype i = 0; i < expected.left.size(); ++i) {
                paired = paired || (expected.left[i] == a && expected.right[i] == b) ||
                         (expected.left[i] == b && expected.right[i] == a);
            }
            if (a != b && !paired)
                history.append({a, b});
            const bool ruleBye = !expected.right.isEmpty() && expected.right.last() == bye() &&
                                 expected.left.last() == a;
            if (generator.bounded(6) == 0 && !ruleBye)
                history.append({a, bye()});
        }

        for (const bool avoid : {true, false}) {
            const Pairing pairing = pairNextRound(rows, out, history, avoid);
            if (pairing.left != expected.left || pairing.right != expected.right) {
                QFAIL(qPrintable(QStringLiteral("seed %1, avoid %2: %3 entrants, %4 dropped")
                                     .arg(seed)
                                     .arg(avoid)
                                     .arg(count)
                                     .arg(out.size())));
            }
        }
        if (out.isEmpty()) {
            const Pairing today = pairByStandings(rows);
            const Pairing off = pairNextRound(rows, {}, history, false);
            QCOMPARE(off.left, today.left);
            QCOMPARE(off.right, today.right);
        }
    }
}

void TestRematchPairing::pairsEveryoneWithTheFewestRematches()
{
    // Small fields with crowded histories, where rematches are often unavoidable: every
    // entrant still in is paired once, with the fewest rematches there are, and the bye
    // goes to the lowest-placed entrant with the fewest byes.
    for (quint32 seed = 1; seed <= 600; ++seed) {
        QRandomGenerator generator(seed);
        const int count = generator.bounded(0, 13);
        const QList<StandingsRow> rows = randomStandings(generator, count, 12);
        QSet<QString> out;
        for (const StandingsRow &row : rows) {
            if (generator.bounded(6) == 0)
                out.insert(row.name);
        }
        QList<PlayedGame> history;
        const QStringList everyone = namesOf(rows);
        const int played = count < 2 ? 0 : generator.bounded(0, 3 * count + 1);
        for (int g = 0; g < played; ++g) {
            const QString a = everyone[generator.bounded(count)];
            const QString b =
                generator.bounded(5) == 0 ? bye() : everyone[generator.bounded(count)];
            if (a != b)
                history.append({a, b});
        }

        const QStringList field = namesOf(rows, out);
        const Pairing pairing = pairNextRound(rows, out, history, true);
        const QString fault = pairingFault(field, pairing);
        if (!fault.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(fault)));

        const GameHistory known(history);
        QStringList paired = field;
        if (field.size() % 2 != 0) {
            const QString byeTaker = pairing.left.last();
            paired.removeOne(byeTaker);
            const qsizetype at = field.indexOf(byeTaker);
            for (qsizetype i = 0; i < field.size(); ++i) {
                const int difference = known.byes(field[i]) - known.byes(byeTaker);
                if (difference < 0 || (difference == 0 && i > at)) {
                    QFAIL(qPrintable(QStringLiteral("seed %1: bye to %2, not %3")
                                         .arg(seed)
                                         .arg(byeTaker, field[i])));
                }
            }
        }
        const int fewest = known.fewestRematches(paired);
        if (known.rematches(pairing) != fewest) {
            QFAIL(qPrintable(QStringLiteral("seed %1: %2 rematches, %3 possible")
                                 .arg(seed)
                                 .arg(known.rematches(pairing))
                                 .arg(fewest)));
        }
    }
}

void TestRematchPairing::keepsALargeFieldFreeOfRematchesRoundAfterRound()
{
    // A field of 1,001 plays eight rounds with wins, draws and losses drawn at random:
    // every round pairs everyone once without a rematch and gives no second bye.
    QRandomGenerator generator(7);
    QList<StandingsRow> rows;
    for (int i = 0; i < 1001; ++i)
        rows.append({QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0')), 0});
    QList<PlayedGame> history;
    for (int round = 2; round <= 9; ++round) {
        const Pairing pairing = pairNextRound(rows, {}, history, true);
        const GameHistory known(history);
        QCOMPARE(pairingFault(namesOf(rows), pairing), QString());
        QHash<QString, double> score;
        for (qsizetype i = 0; i < pairing.left.size(); ++i) {
            const QString &a = pairing.left[i];
            const QString &b = pairing.right[i];
            if (b == bye()) {
                QCOMPARE(known.byes(a), 0);
                score[a] += 3;
            } else {
                QVERIFY2(!known.met(a, b), qPrintable(a + u'-' + b));
                const int result = generator.bounded(3);
                score[a] += result == 0 ? 3 : result == 1 ? 1 : 0;
                score[b] += result == 2 ? 3 : result == 1 ? 1 : 0;
            }
            history.append({a, b});
        }
        for (StandingsRow &row : rows)
            row.score += score.value(row.name);
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StandingsRow &a, const StandingsRow &b) { return a.score > b.score; });
    }
}

QTEST_APPLESS_MAIN(TestRematchPairing)
#include "tst_rematchpairing.moc"
