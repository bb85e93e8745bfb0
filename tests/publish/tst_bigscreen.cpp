// The big screen follows the tournament at once: the pairings by name with recorded tables
// marked during a round, the standings between rounds and after the last, the clock in its
// colours, pages that follow the screen's size; and it never takes the keyboard focus.

#include "publish/bigscreen.h"
#include "publish/documents.h"
#include "publish/pagecode.h"
#include "publish/publishactions.h"
#include "support/rowgame.h"
#include "support/testsupport.h"
#include "tournament/tournamentprogress.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Publish;

namespace {

/// A tournament of the given entrants, its first round drawn (seat i: entrants 2i and 2i+1).
void startTournament(TournamentProgress &progress, const QStringList &names,
                     const QString &rounds = QStringLiteral("3"))
{
    progress.setRandomSource([] { return 0.0; });
    for (const QString &name : names)
        progress.addEntrant(name, QStringLiteral("Stark"));
    progress.startRound(rounds);
}

QStringList sampleNames()
{
    return {"O'Neil, Bran", "Müller, Zoë", "Żółć, Łukasz", "d'Artagnan, Ève", "Snow, Jon"};
}

QStringList firstCells(const QStringList &rows)
{
    QStringList cells;
    for (const QString &row : rows)
        cells.append(row.section(QStringLiteral(" | "), 0, 0));
    return cells;
}

} // namespace

class TestBigScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void showsPairingsByNameAndFollowsEveryChange();
    void showsStandingsBetweenRoundsAndFinal();
    void clockTurnsAmberThenRed();
    void pagesFollowTheScreenSize_data();
    void pagesFollowTheScreenSize();
    void neverTakesTheFocus();
    void showsThePageCodeWhileThePageIsServed();

private:
    std::unique_ptr<Test::TempInstall> m_install;
    std::unique_ptr<Test::MessageLog> m_log;
};

void TestBigScreen::initTestCase()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
}

void TestBigScreen::init()
{
    m_install = std::make_unique<Test::TempInstall>();
    m_log = std::make_unique<Test::MessageLog>();
}

void TestBigScreen::cleanup()
{
    QCOMPARE(m_log->texts(), QStringList());
    m_log.reset();
    m_install.reset();
}

void TestBigScreen::showsPairingsByNameAndFollowsEveryChange()
{
    TournamentProgress progress;
    startTournament(progress, sampleNames());
    BigScreen screen(&progress);
    QCOMPARE(screen.showing(), BigScreen::Showing::Pairings);
    QCOMPARE(screen.roundText(), QStringLiteral("Round 1 of 3"));
    const QStringList rows = screen.rowTexts();
    QCOMPARE(firstCells(rows), QStringList({"d'Artagnan, Ève", "Müller, Zoë", "O'Neil, Bran",
                                            "Snow, Jon", "Żółć, Łukasz"}));
    QCOMPARE(rows.filter(QStringLiteral(" | Bye")).size(), 1);
    // The pairings' heading says what their columns hold.
    QCOMPARE(screen.columnHeadings(), QStringList());
    QVERIFY(!screen.pageRowsRecorded().contains(true));

    // Game Over for the first row: both players of that table are marked, at once.
    const Progress::Seat first = progress.seats().at(progress.openSeats().at(0));
    Test::recordAtRow(progress, 0, QStringLiteral("Full Win"), 10, 5);
    QList<bool> marks = screen.pageRowsRecorded();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString name = firstCells(rows).at(i);
        QCOMPARE(marks.at(i), name == first.player1 || name == first.player2);
    }
    // Undo takes the mark back.
    QVERIFY(progress.undoLastGame());
    QVERIFY(!screen.pageRowsRecorded().contains(true));

    // Up/Down changes who plays whom: the opponents on the screen change with it.
    const QString before = screen.rowTexts().join(QLatin1Char('\n'));
    progress.swapOpponents(0, 1);
    QVERIFY(screen.rowTexts().join(QLatin1Char('\n')) != before);
    const Progress::Seat seat = progress.seats().at(progress.openSeats().at(0));
    QVERIFY(screen.rowTexts().contains(QStringLiteral("%1 | %2 | %3")
                                           .arg(seat.player1)
                                           .arg(progress.openSeats().at(0) + 1)
                                           .arg(seat.player2)));
}

void TestBigScreen::showsStandingsBetweenRoundsAndFinal()
{
    TournamentProgress progress;
    startTournament(progress, {"Abel", "Baker", "Cole", "Dane"}, QStringLiteral("1"));
    BigScreen screen(&progress);
    Test::recordAtRow(progress, 0, QStringLiteral("Full Win"), 10, 5);
    Test::recordAtRow(progress, 0, QStringLiteral("True Draw"), 7, 7);
    progress.endRound();
    QCOMPARE(screen.showing(), BigScreen::Showing::Standings);
    QCOMPARE(screen.heading(), QStringLiteral("Final standings"));
    QCOMPARE(screen.roundText(), QStringLiteral("Tournament over"));
    // The final standings carry the printed standings' column headings over their columns.
    QStringList printed;
    for (const TableColumn &column :
         tableDocument(DocumentKind::Standings, takeSnapshot(progress)).columns) {
        if (!column.header.isEmpty())
            printed.append(column.header);
    }
    QCOMPARE(printed, QStringList({"Rank", "Name", "House", "Score", "Power"}));
    QCOMPARE(screen.columnHeadings(), printed);
    const QStringList rows = screen.rowTexts();
    QCOMPARE(rows.size(), 4);
    QVERIFY2(rows.at(0).startsWith(QStringLiteral("1 | ")), qPrintable(rows.join('\n')));
    QVERIFY2(rows.at(3).startsWith(QStringLiteral("4 | ")) && rows.at(3).endsWith(" | 0 | 5"),
             qPrintable(rows.join('\n')));
}

void TestBigScreen::clockTurnsAmberThenRed()
{
    TournamentProgress progress;
    startTournament(progress, {"Abel", "Baker"});
    BigScreen screen(&progress);
    progress.startClock(6);
    progress.tickClock();
    QCOMPARE(screen.clockCaption(), QStringLiteral("00:06:00"));
    QCOMPARE(screen.clockTone(), ClockTone::Normal);
    for (int i = 0; i < 60; ++i)
        progress.tickClock();
    QCOMPARE(screen.clockCaption(), QStringLiteral("00:05:00"));
    QCOMPARE(screen.clockTone(), ClockTone::Amber);
    for (int i = 0; i < 300; ++i)
        progress.tickClock();
    QCOMPARE(screen.clockCaption(), QStringLiteral("00:00:00"));
    QCOMPARE(screen.clockTone(), ClockTone::Red);
    // The next round's window starts from a plain clock.
    progress.endRound();
    progress.startRound(QStringLiteral("3"));
    QCOMPARE(screen.clockCaption(), QStringLiteral("00:00:00"));
    QCOMPARE(screen.clockTone(), ClockTone::Normal);
}

void TestBigScreen::pagesFollowTheScreenSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("entrants");
    QTest::addColumn<bool>("turns");

    QTest::newRow("1920x1080, 20 names fit") << QSize(1920, 1080) << 20 << false;
    QTest::newRow("1920x1080, 200 names turn pages") << QSize(1920, 1080) << 200 << true;
    QTest::newRow("1280x720, 200 names turn pages") << QSize(1280, 720) << 200 << true;
}

void TestBigScreen::pagesFollowTheScreenSize()
{
    QFETCH(QSize, size);
    QFETCH(int, entrants);
    QFETCH(bool, turns);
    QStringList names;
    for (int i = 0; i < entrants; ++i)
        names.append(QStringLiteral("Player %1").arg(i + 1, 3, 10, QLatin1Char('0')));
    TournamentProgress progress;
    startTournament(progress, names);
    BigScreen screen(&progress);
    screen.resize(size);
    const PageLayout layout = screen.layout();
    // Rows a sixth of a row apart from the bottom at most: the page is filled.
    QVERIFY(layout.rowsPerColumn >= 10);
    QCOMPARE(screen.pages(), pageCount(entrants, layout.rowsPerPage()));
    QCOMPARE(screen.pages() > 1, turns);
    QCOMPARE(screen.pagesTurning(), turns);
    QCOMPARE(screen.pageRowTexts().size(), std::min(entrants, layout.rowsPerPage()));
    QStringList seen;
    for (int page = 0; page < screen.pages(); ++page) {
        QCOMPARE(screen.page(), page);
        seen += screen.pageRowTexts();
        screen.turnPage();
    }
    QCOMPARE(screen.page(), 0);
    QCOMPARE(seen, screen.rowTexts());
}

void TestBigScreen::neverTakesTheFocus()
{
    QWidget organiser;
    auto *box = new QLineEdit(&organiser);
    organiser.show();
    QApplication::setActiveWindow(&organiser);
    box->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&organiser));

    TournamentProgress progress;
    BigScreen screen(&progress);
    QVERIFY(screen.testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(screen.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    screen.present();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QTRY_COMPARE(QApplication::activeWindow(), &organiser);
    QCOMPARE(QApplication::focusWidget(), box);
    screen.toggleFullScreen();
    QVERIFY(screen.isFullScreen());
    QTRY_COMPARE(QApplication::activeWindow(), &organiser);
    // Typing still reaches the organiser's box.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Abel"));
    QCOMPARE(box->text(), QStringLiteral("Abel"));
}

void TestBigScreen::showsThePageCodeWhileThePageIsServed()
{
    TournamentProgress progress;
    startTournament(progress, sampleNames());
    BigScreen screen(&progress);
    screen.resize(1280, 720);
    screen.show();
    // The band's right end, where the code goes (the pairings are below the band): its
    // modules are pure black, which nothing else on the screen's dark ground is.
    const auto darkInCorner = [&screen] {
        const QImage picture = screen.grab().toImage();
        const int band = 720 * 2 / 9;
        int dark = 0;
        for (int y = 20; y < band; y += 3) {
            for (int x = 1280 - band; x < 1270; x += 3)
                dark += picture.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
        }
        return dark;
    };
    const int without = darkInCorner();
    PageAddress::instance().setAddress(QStringLiteral("http://192.168.1.20:8080/"));
    const int with = darkInCorner();
    PageAddress::instance().setAddress(QString());
    QCOMPARE(without, 0);
    QVERIFY2(with > 100, qPrintable(QString::number(with)));
    QCOMPARE(darkInCorner(), without);

    // The code itself: square, its three finder patterns in place, a quiet zone around.
    const QImage code = qrCode(QStringLiteral("http://192.168.1.20:8080/"));
    QVERIFY(!code.isNull());
    QCOMPARE(code.width(), code.height());
    const int far = code.width() - 5;
    for (const QPoint corner : {QPoint(4, 4), QPoint(far, 4), QPoint(4, far)})
        QCOMPARE(qGray(code.pixel(corner)), 0);
    QCOMPARE(qGray(code.pixel(0, 0)), 255);
}

QTEST_MAIN(TestBigScreen)
#include "tst_bigscreen.moc"
