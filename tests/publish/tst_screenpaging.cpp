// The big screen's rules: how many rows a page holds, how pages turn, the clock's colour, and
// where the screen goes beside the organiser's windows.

#include "publish/screenpaging.h"

#include <QTest>

using namespace Zuvi::Publish;

Q_DECLARE_METATYPE(ClockTone)

class TestScreenPaging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutFollowsTheScreenSize_data();
    void layoutFollowsTheScreenSize();
    void pagesTurnAndStay_data();
    void pagesTurnAndStay();
    void clockToneByTimeLeft_data();
    void clockToneByTimeLeft();
    void clockWatchFollowsTheCaptions_data();
    void clockWatchFollowsTheCaptions();
    void captionSecondsReadsTheClock_data();
    void captionSecondsReadsTheClock();
    void placedBesideTheOrganisersWindows_data();
    void placedBesideTheOrganisersWindows();
};

void TestScreenPaging::layoutFollowsTheScreenSize_data()
{
    QTest::addColumn<QSize>("area");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rowsPerColumn");

    QTest::newRow("1080p, two columns of 60 px rows") << QSize(1920, 780) << 60 << 2 << 13;
    QTest::newRow("720p, one column") << QSize(1280, 500) << 40 << 1 << 12;
    QTest::newRow("a row that nearly fits does not") << QSize(700, 119) << 60 << 1 << 1;
    QTest::newRow("too small for one row still shows one") << QSize(100, 10) << 60 << 1 << 1;
    QTest::newRow("very wide stops at the most columns") << QSize(8000, 600) << 60 << 3 << 10;
    QTest::newRow("no height") << QSize(0, 0) << 60 << 1 << 1;
}

void TestScreenPaging::layoutFollowsTheScreenSize()
{
    QFETCH(QSize, area);
    QFETCH(int, rowHeight);
    const PageLayout layout = pageLayout(area.width(), area.height(), rowHeight, 900, 3);
    QTEST(layout.columns, "columns");
    QTEST(layout.rowsPerColumn, "rowsPerColumn");
}

void TestScreenPaging::pagesTurnAndStay_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QList<int>>("turns"); // pages shown from page 0 on, one per turn

    QTest::newRow("fits: never turns") << 20 << 26 << 1 << QList<int>{0, 0, 0};
    QTest::newRow("exactly one page") << 26 << 26 << 1 << QList<int>{0, 0};
    QTest::newRow("one row more: two pages") << 27 << 26 << 2 << QList<int>{0, 1, 0, 1};
    QTest::newRow("5,000 names in 26 rows") << 5000 << 26 << 193 << QList<int>{0, 1, 2, 3};
    QTest::newRow("empty list is one page") << 0 << 26 << 1 << QList<int>{0, 0};
}

void TestScreenPaging::pagesTurnAndStay()
{
    QFETCH(int, rows);
    QFETCH(int, perPage);
    QFETCH(int, pages);
    QFETCH(QList<int>, turns);
    QCOMPARE(pageCount(rows, perPage), pages);
    int page = 0;
    QList<int> shown;
    for (qsizetype i = 0; i < turns.size(); ++i) {
        shown.append(page);
        page = nextPage(page, pages);
    }
    QCOMPARE(shown, turns);
    // The last page wraps to the first; a page that no longer exists falls back to the first.
    QCOMPARE(nextPage(pages - 1, pages), 0);
    QCOMPARE(keptPage(pages - 1, pages), pages - 1);
    QCOMPARE(keptPage(pages, pages), 0);
    QCOMPARE(keptPage(-1, pages), 0);
}

void TestScreenPaging::clockToneByTimeLeft_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("ranOut");
    QTest::addColumn<ClockTone>("tone");

    QTest::newRow("45 minutes") << 45 * 60 << false << ClockTone::Normal;
    QTest::newRow("5:01 left") << 301 << false << ClockTone::Normal;
    QTest::newRow("5:00 left") << 300 << false << ClockTone::Amber;
    QTest::newRow("0:01 left") << 1 << false << ClockTone::Amber;
    QTest::newRow("run out") << 0 << true << ClockTone::Red;
    QTest::newRow("idle at zero") << 0 << false << ClockTone::Normal;
}

void TestScreenPaging::clockToneByTimeLeft()
{
    QFETCH(int, seconds);
    QFETCH(bool, ranOut);
    QTEST(clockTone(seconds, ranOut), "tone");
}

void TestScreenPaging::clockWatchFollowsTheCaptions_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<ClockTone>>("tones");

    const ClockTone N = ClockTone::Normal;
    const ClockTone A = ClockTone::Amber;
    const ClockTone R = ClockTone::Red;
    QTest::newRow("counts into the last minutes")
        << QStringList{"00:05:02", "00:05:01", "00:05:00", "00:04:59"}
        << QList<ClockTone>{N, N, A, A};
    QTest::newRow("runs out") << QStringList{"00:00:02", "00:00:01", "00:00:00"}
                              << QList<ClockTone>{A, A, R};
    QTest::newRow("stays red while it shows zero")
        << QStringList{"00:00:01", "00:00:00", "00:00:00"} << QList<ClockTone>{A, R, R};
    QTest::newRow("a new window's zero is not a run-out")
        << QStringList{"00:10:00", "00:00:00"} << QList<ClockTone>{N, N};
    QTest::newRow("zero before any start") << QStringList{"00:00:00"} << QList<ClockTone>{N};
    QTest::newRow("started again after running out")
        << QStringList{"00:00:01", "00:00:00", "00:45:00"} << QList<ClockTone>{A, R, N};
    QTest::newRow("hours count") << QStringList{"01:00:00", "00:59:59"} << QList<ClockTone>{N, N};
    QTest::newRow("unsplit minutes")
        << QStringList{"00:90:00", "00:04:00"} << QList<ClockTone>{N, A};
    QTest::newRow("not a caption") << QStringList{"soon", "00:03:00"} << QList<ClockTone>{N, A};
}

void TestScreenPaging::clockWatchFollowsTheCaptions()
{
    QFETCH(QStringList, captions);
    QFETCH(QList<ClockTone>, tones);
    ClockWatch watch;
    QList<ClockTone> got;
    for (const QString &caption : captions)
        got.append(watch.feed(caption));
    QCOMPARE(got, tones);
    watch.reset();
    QCOMPARE(watch.tone(), ClockTone::Normal);
    QCOMPARE(watch.feed(QStringLiteral("00:00:00")), ClockTone::Normal);
}

void TestScreenPaging::captionSecondsReadsTheClock_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("seconds"); // -1: not a caption

    QTest::newRow("zero") << "00:00:00" << 0;
    QTest::newRow("hours, minutes, seconds") << "01:05:09" << 3909;
    QTest::newRow("minutes above 59") << "00:90:00" << 5400;
    QTest::newRow("many hours") << "12:00:00" << 43200;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("two parts") << "05:00" << -1;
    QTest::newRow("negative part") << "00:0-5:00" << -1;
    QTest::newRow("letters") << "aa:bb:cc" << -1;
}

void TestScreenPaging::captionSecondsReadsTheClock()
{
    QFETCH(QString, caption);
    QFETCH(int, seconds);
    const std::optional<int> got = captionSeconds(caption);
    QCOMPARE(got.value_or(-1), seconds);
}

void TestScreenPaging::placedBesideTheOrganisersWindows_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QList<QRect>>("organiser");
    QTest::addColumn<QRect>("expected"); // null: only where it may go is checked
    QTest::addColumn<bool>("room");

    const QRect laptop(0, 0, 1366, 740); // without the panel
    const QRect registration(0, 0, 612, 420);
    const QRect round(612, 0, 700, 500);
    QTest::newRow("right of the registration window, level with it")
        << laptop << QList<QRect>{registration} << QRect(612, 0, 754, 720) << true;
    QTest::newRow("below the registration and round windows, the larger strip")
        << laptop << QList<QRect>{registration, round} << QRect(0, 500, 1280, 240) << true;
    QTest::newRow("left of windows on the right")
        << laptop << QList<QRect>{QRect(866, 100, 500, 400)} << QRect(0, 20, 866, 720) << true;
    QTest::newRow("above windows at the bottom")
        << QRect(0, 0, 800, 600) << QList<QRect>{QRect(0, 300, 800, 300)} << QRect(0, 0, 800, 300)
        << true;
    QTest::newRow("a panel at the top: never under it")
        << QRect(0, 32, 1920, 1048) << QList<QRect>{QRect(10, 40, 612, 420)}
        << QRect(622, 40, 1280, 720) << true;
    QTest::newRow("no window: the preferred size in the corner")
        << laptop << QList<QRect>{} << QRect(0, 0, 1280, 720) << true;
    QTest::newRow("offscreen 800x600, registration window at the top left")
        << QRect(0, 0, 800, 600) << QList<QRect>{QRect(0, 0, 608, 389)} << QRect(0, 389, 800, 211)
        << true;
    QTest::newRow("no strip holds the smallest screen: the corner covering least")
        << QRect(0, 0, 800, 600) << QList<QRect>{QRect(100, 100, 600, 400), QRect(0, 0, 90, 90)}
        << QRect(480, 400, 320, 200) << false;
    QTest::newRow("windows cover the whole screen")
        << QRect(0, 0, 800, 600) << QList<QRect>{QRect(-10, -10, 900, 700)} << QRect() << false;
}

void TestScreenPaging::placedBesideTheOrganisersWindows()
{
    QFETCH(QRect, available);
    QFETCH(QList<QRect>, organiser);
    QFETCH(QRect, expected);
    QFETCH(bool, room);
    const QSize minimum(320, 200);
    const QRect place = placeBeside(available, organiser, QSize(1280, 720), minimum);
    if (!expected.isNull())
        QCOMPARE(place, expected);
    QVERIFY2(available.contains(place), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                       .arg(place.x())
                                                       .arg(place.y())
                                                       .arg(place.width())
                                                       .arg(place.height())));
    QVERIFY(place.width() >= minimum.width() && place.height() >= minimum.height());
    for (const QRect &window : organiser)
        QVERIFY(!room || !place.intersects(window));
}

QTEST_APPLESS_MAIN(TestScreenPaging)
#include "tst_screenpaging.moc"
