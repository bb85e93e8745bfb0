// The round clock's count-down, tick by tick, without waiting real seconds.

#include "round/roundclock.h"

#include <QTest>

#include <algorithm>
#include <limits>

using Zuvi::Round::RoundClock;

namespace {

// The caption for a count of whole seconds, split into hours, minutes and seconds.
QString captionOf(qint64 totalSeconds)
{
    return RoundClock::caption(qint16(totalSeconds / 3600), qint16(totalSeconds / 60 % 60),
                               qint16(totalSeconds % 60));
}

struct Expected
{
    int tick;
    QString caption;
};

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestRoundClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionPadsPartsBelowTen_data();
    void captionPadsPartsBelowTen();
    void ticksShowAndCountDown_data();
    void ticksShowAndCountDown();
    void everyTickShowsTheTimeLeft_data();
    void everyTickShowsTheTimeLeft();
    void manyRestartsWithTheLargestLimitNeverWrap();
    void negativeLimitStillRunsOut();
    void hoursLeftNeverCarryIntoTheNextRound();
};

void TestRoundClock::captionPadsPartsBelowTen_data()
{
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("zero") << 0 << 0 << 0 << "00:00:00";
    QTest::newRow("single digits") << 1 << 5 << 9 << "01:05:09";
    QTest::newRow("ten and more unpadded") << 12 << 10 << 59 << "12:10:59";
    QTest::newRow("minutes above 59") << 0 << 90 << 0 << "00:90:00";
    QTest::newRow("many hours") << 546 << 6 << 59 << "546:06:59";
    QTest::newRow("negative keeps its sign after the zero") << 0 << -5 << 0 << "00:0-5:00";
}

void TestRoundClock::captionPadsPartsBelowTen()
{
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QString, caption);
    QCOMPARE(RoundClock::caption(qint16(hours), qint16(minutes), qint16(seconds)), caption);
}

void TestRoundClock::ticksShowAndCountDown_data()
{
    // start: the limit pressed after the window loads; restartAt/restartWith: a second
    // press of "Start Timer" after that many ticks (0 for none); stops: the ticks that show
    // 00:00:00 and turn the timer off (the run ends with the last of them).
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("restartAt");
    QTest::addColumn<int>("restartWith");
    QTest::addColumn<QList<Expected>>("expected");
    QTest::addColumn<QList<int>>("stops");

    QTest::newRow("45") << 45 << 0 << 0
                        << QList<Expected>{{1, "00:45:00"},
                                           {2, "00:44:59"},
                                           {3, "00:44:58"},
                                           {2700, "00:00:01"},
                                           {2701, "00:00:00"}}
                        << QList<int>{2701};
    QTest::newRow("0 stops at once")
        << 0 << 0 << 0 << QList<Expected>{{1, "00:00:00"}} << QList<int>{1};
    QTest::newRow("5") << 5 << 0 << 0 << QList<Expected>{{1, "00:05:00"}, {2, "00:04:59"}}
                       << QList<int>{301};
    QTest::newRow("90 shown as hours and minutes from the first tick")
        << 90 << 0 << 0 << QList<Expected>{{1, "01:30:00"}, {2, "01:29:59"}} << QList<int>{5401};
    QTest::newRow("999 shown as hours and minutes, never 00:999:00")
        << 999 << 0 << 0 << QList<Expected>{{1, "16:39:00"}, {2, "16:38:59"}}
        << QList<int>{999 * 60 + 1};
    QTest::newRow("01:00:00 goes to 00:59:59")
        << 61 << 0 << 0
        << QList<Expected>{{1, "01:01:00"}, {2, "01:00:59"}, {61, "01:00:00"}, {62, "00:59:59"}}
        << QList<int>{3661};
    // Started with 11, the label shows 00:10:30 at the 31st tick; the new limit replaces
    // the time left, seconds included.
    QTest::newRow("restart while running replaces the time left")
        << 11 << 31 << 45 << QList<Expected>{{31, "00:10:30"}, {32, "00:45:00"}, {33, "00:44:59"}}
        << QList<int>{32 + 45 * 60};
    // The organiser typed 90 and started, then saw the mistake, typed 30 and started:
    // the clock once showed 01:30:57 (the old hours and seconds kept).
    QTest::newRow("shorter limit while running drops the hours left")
        << 90 << 3 << 30 << QList<Expected>{{3, "01:29:58"}, {4, "00:30:00"}, {5, "00:29:59"}}
        << QList<int>{4 + 30 * 60};
    QTest::newRow("restart with exactly an hour")
        << 11 << 31 << 60 << QList<Expected>{{32, "01:00:00"}, {33, "00:59:59"}}
        << QList<int>{32 + 60 * 60};
    QTest::newRow("restart after stopping starts from the limit")
        << 0 << 1 << 45 << QList<Expected>{{1, "00:00:00"}, {2, "00:45:00"}, {3, "00:44:59"}}
        << QList<int>{1, 2702};
}

void TestRoundClock::ticksShowAndCountDown()
{
    QFETCH(int, start);
    QFETCH(int, restartAt);
    QFETCH(int, restartWith);
    QFETCH(QList<Expected>, expected);
    QFETCH(QList<int>, stops);

    RoundClock clock;
    clock.reset();
    QVERIFY(!clock.running());
    clock.start(qint16(start));
    QVERIFY(clock.running());

    qsizetype nextCheck = 0;
    for (int tick = 1; tick <= stops.last(); ++tick) {
        const RoundClock::Tick result = clock.tick();
        if (nextCheck < expected.size() && expected[nextCheck].tick == tick) {
            QCOMPARE(result.caption, expected[nextCheck].caption);
            ++nextCheck;
        }
        const bool stop = stops.contains(tick);
        if (result.stopped != stop)
            QFAIL(
                qPrintable(QStringLiteral("tick %1: stopped is %2").arg(tick).arg(result.stopped)));
        QCOMPARE(clock.running(), !stop);
        if (stop) {
            QCOMPARE(result.caption, QStringLiteral("00:00:00"));
            QCOMPARE(clock.hours(), qint16(0));
            QCOMPARE(clock.minutes(), qint16(0));
            QCOMPARE(clock.seconds(), qint16(0));
        }
        if (tick == restartAt) {
            clock.start(qint16(restartWith));
            QVERIFY(clock.running());
        }
    }
    QCOMPARE(nextCheck, expected.size());
}

void TestRoundClock::everyTickShowsTheTimeLeft_data()
{
    QTest::addColumn<int>("minutes");
    QTest::newRow("59") << 59;
    QTest::newRow("60") << 60;
    QTest::newRow("61") << 61;
    QTest::newRow("1000") << 1000;
    QTest::newRow("largest limit") << int(std::numeric_limits<qint16>::max());
}

void TestRoundClock::everyTickShowsTheTimeLeft()
{
    // The first tick shows the limit, the counters hold one second less at every tick,
    // split into hours, minutes below 60 and seconds, all the way down to the stop: no
    // counter ever wraps. Each tick shows what the counters held before it.
    QFETCH(int, minutes);
    RoundClock clock;
    clock.start(qint16(minutes));
    const qint64 total = qint64(minutes) * 60;
    QCOMPARE(clock.tick().caption, captionOf(total));
    for (qint64 tick = 2; tick <= total + 1; ++tick) {
        const qint64 before = total - (tick - 1);
        const RoundClock::Tick result = clock.tick();
        const qint64 after = std::max<qint64>(before - 1, 0);
        const bool countersRight = clock.hours() == after / 3600 &&
                                   clock.minutes() == after / 60 % 60 &&
                                   clock.seconds() == after % 60;
        // The caption is built from the counters; compare it now and then and at the end.
        const bool captionChecked = tick % 997 == 0 || before < 2;
        if (!countersRight || result.stopped != (tick == total + 1) ||
            (captionChecked && result.caption != captionOf(before))) {
            QFAIL(qPrintable(QStringLiteral("tick %1 shows %2, expected %3")
                                 .arg(tick)
                                 .arg(result.caption, captionOf(before))));
        }
    }
    QVERIFY(!clock.running());
}

void TestRoundClock::manyRestartsWithTheLargestLimitNeverWrap()
{
    // Every press replaces the time left: the hours never pile up, let alone turn negative.
    RoundClock clock;
    for (int press = 0; press < 100; ++press) {
        clock.start(std::numeric_limits<qint16>::max());
        const QString caption = clock.tick().caption;
        QCOMPARE(caption, QStringLiteral("546:07:00"));
    }
    QCOMPARE(clock.hours(), qint16(546));
    QVERIFY(clock.running());
}

void TestRoundClock::negativeLimitStillRunsOut()
{
    RoundClock clock;
    clock.start(-5);
    const RoundClock::Tick tick = clock.tick();
    QCOMPARE(tick.caption, QStringLiteral("00:00:00"));
    QVERIFY(tick.stopped);
}

void TestRoundClock::hoursLeftNeverCarryIntoTheNextRound()
{
    // A round ended with over an hour on the clock: the next round's clock stands at
    // 00:00:00, and its limit is all it shows (the hour left once showed as 01:10:00).
    RoundClock clock;
    clock.start(90);
    clock.tick(); // 01:30:00, now 01:29:59
    clock.tick(); // 01:29:59, now 01:29:58
    clock.reset();
    QVERIFY(!clock.running());
    QCOMPARE(clock.remainingSeconds(), 0);
    QCOMPARE(clock.tick().caption, QStringLiteral("00:00:00"));
    clock.start(10);
    QCOMPARE(clock.tick().caption, QStringLiteral("00:10:00"));
}

QTEST_APPLESS_MAIN(TestRoundClock)
#include "tst_roundclock.moc"
