// The big screen among the organiser's windows: it comes back after a resume when it was
// open as Zuvi stopped (and not after a discard, nor when it was closed), and with one screen
// it opens beside the registration window, not over it.

#include "support/roundfixture.h"

#include "publish/bigscreen.h"
#include "publish/publishactions.h"

#include <QAction>
#include <QScreen>

using namespace Zuvi;
using namespace Zuvi::Publish;
using namespace Zuvi::Test;

namespace {

/// F11 on the registration window: the big screen opens beside it.
BigScreen *openBigScreen(Throne &throne)
{
    auto *action = throne.findChild<QAction *>(QStringLiteral("BigScreenAction"));
    if (!action)
        return nullptr;
    action->trigger();
    BigScreen *screen = bigScreenOf(throne.progress());
    return screen && QTest::qWaitForWindowExposed(screen) ? screen : nullptr;
}

/// Lets the start-up finish what it does once the registration window is shown.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestBigScreenWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reopensAfterAResumeOnly_data();
    void reopensAfterAResumeOnly();
    void reviewedPairingsWaitForPublishing();
    void opensBesideTheRegistrationWindow_data();
    void opensBesideTheRegistrationWindow();
};

void TestBigScreenWindows::reopensAfterAResumeOnly_data()
{
    QTest::addColumn<bool>("roundOpen"); // stopped during a round, or between two
    QTest::addColumn<bool>("closed");    // the organiser closed the big screen before the stop
    QTest::addColumn<bool>("resume");    // the answer to the resume question
    QTest::addColumn<bool>("reopens");

    QTest::newRow("open during a round, resumed") << true << false << true << true;
    QTest::newRow("open between rounds, resumed") << false << false << true << true;
    QTest::newRow("open, discarded") << true << false << false << false;
    QTest::newRow("closed, resumed") << true << true << true << false;
}

void TestBigScreenWindows::reopensAfterAResumeOnly()
{
    QFETCH(bool, roundOpen);
    QFETCH(bool, closed);
    QFETCH(bool, resume);
    QFETCH(bool, reopens);
    RoundFixture f({kA, kB, kC, kD, kE});
    f.throne->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.throne.get()));
    Tournament *round = f.startRound();
    QVERIFY(round);
    if (!roundOpen) {
        for (int row = 2; row >= 0; --row)
            recordGame(*round, row, QStringLiteral("Full Win"), QStringLiteral("5"),
                       QStringLiteral("3"));
        QVERIFY(!QTest::currentTestFailed());
        click(*round, "EndTourny");
        QTRY_VERIFY(!f.throne->progress()->roundOpen());
    }
    BigScreen *screen = openBigScreen(*f.throne);
    QVERIFY(screen);
    if (closed) {
        screen->close();
        QTRY_VERIFY(!bigScreenOf(f.throne->progress()));
    }

    // Zuvi stops with its windows as they are (a kill), and starts again.
    QVERIFY(f.restart(resume));
    QVERIFY(QTest::qWaitForWindowExposed(f.throne.get()));
    settle();
    BigScreen *again = bigScreenOf(f.throne->progress());
    QCOMPARE(again && again->isVisible(), reopens);
    if (reopens) {
        QCOMPARE(again->showing(),
                 roundOpen ? BigScreen::Showing::Pairings : BigScreen::Showing::Standings);
        QVERIFY(!again->frameGeometry().intersects(f.throne->frameGeometry()));
    }

    // What a start-up did not bring back stays away at the next start-up too.
    QVERIFY(f.restart(true));
    settle();
    BigScreen *third = bigScreenOf(f.throne->progress());
    QCOMPARE(third && third->isVisible(), reopens && resume);
    QCOMPARE(f.log.texts(), QStringList());
}

void TestBigScreenWindows::reviewedPairingsWaitForPublishing()
{
    RoundFixture f({kA, kB, kC, kD, kE});
    f.throne->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.throne.get()));
    BigScreen *screen = openBigScreen(*f.throne);
    QVERIFY(screen);
    // Off by default; ticked on the registration window before the round is started.
    auto *review = f.throne->findChild<QAction *>(QStringLiteral("ReviewPairings"));
    QVERIFY(review);
    QVERIFY(!review->isChecked());
    review->trigger();
    QVERIFY(f.throne->progress()->reviewPairings());

    Tournament *round = f.startRound();
    QVERIFY(round);
    // The organiser sees the pairing; the room does not, yet.
    QCOMPARE(rowCount(round->MatchList1()), 3);
    QCOMPARE(screen->showing(), BigScreen::Showing::Standings);
    QCOMPARE(screen->roundText(), QStringLiteral("Next: Round 1 of 3"));
    auto *publish = round->findChild<QAction *>(QStringLiteral("PublishPairings"));
    QVERIFY(publish);
    QVERIFY(publish->isEnabled());
    QCOMPARE(publish->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+U")));
    QVERIFY(round->findChild<QAction *>(QStringLiteral("ReviewPairings"))->isChecked());
    publish->trigger();
    QCOMPARE(screen->showing(), BigScreen::Showing::Pairings);
    QVERIFY(!publish->isEnabled());
    QCOMPARE(f.log.texts(), QStringList());
}

void TestBigScreenWindows::opensBesideTheRegistrationWindow_data()
{
    QTest::addColumn<QPoint>("at"); // the registration window's place, from the screen's corner
    QTest::addColumn<bool>("room");

    // The offscreen screen is 800x600; the registration window 608x389.
    QTest::newRow("top left: below it") << QPoint(0, 0) << true;
    QTest::newRow("bottom right: above it") << QPoint(192, 211) << true;
    QTest::newRow("centred: no room, within the screen") << QPoint(96, 105) << false;
}

void TestBigScreenWindows::opensBesideTheRegistrationWindow()
{
    QFETCH(QPoint, at);
    QFETCH(bool, room);
    RoundFixture f({kA, kB});
    const QRect available = f.throne->screen()->availableGeometry();
    f.throne->move(available.topLeft() + at);
    f.throne->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.throne.get()));
    BigScreen *screen = openBigScreen(*f.throne);
    QVERIFY(screen);
    QVERIFY(!screen->isFullScreen());
    const QRect frame = screen->frameGeometry();
    QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                       .arg(frame.x())
                                                       .arg(frame.y())
                                                       .arg(frame.width())
                                                       .arg(frame.height())));
    if (room)
        QVERIFY(!frame.intersects(f.throne->frameGeometry()));
    QCOMPARE(f.log.texts(), QStringList());
}

QTEST_MAIN(TestBigScreenWindows)
#include "tst_bigscreenwindows.moc"
