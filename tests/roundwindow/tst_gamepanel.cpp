// The round window's game panel holds one game. Whatever changes the lists under the
// organiser's hands (the players' agreeing reports, another station, a game taken back
// elsewhere, a station refused by the server), "Game Over" records the game the panel
// names or nothing: a typed result never lands on another table, the panel says what became
// of its game, and the selection does not wander to another game by itself.

#include "support/teststation.h"
#include "support/memorytournamentstore.h"
#include "support/testserver.h"
#include "support/testsupport.h"
#include "support/windowdrivers.h"

#include "roundwindow/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QStringList kSix{QStringLiteral("Turing, Alan"),  QStringLiteral("Cerf, Vint"),
                       QStringLiteral("Hopper, Grace"), QStringLiteral("Knuth, Don"),
                       QStringLiteral("Lovelace, Ada"), QStringLiteral("Ritchie, Dennis")};

/// The desk whose round window is under test, and where the change from elsewhere comes
/// from: the same model (reports, the recorded games) or, on the shared server, a second
/// station.
struct Desks
{
    explicit Desks(bool shared)
    {
        if (!shared) {
            memoryModel = std::make_unique<TournamentProgress>(&memory);
            memoryModel->setRandomSource([] { return 0.0; });
            enter(*memoryModel);
            memoryModel->setTakeReports(true);
            memoryModel->startRound(QStringLiteral("3"));
            return;
        }
        QString problem;
        const std::optional<TestServer> server = TestServer::find(&problem);
        if (!server)
            qFatal("%s", qPrintable(problem));
        server->reset();
        other = std::make_unique<Station>(server->address, QStringLiteral("Desk 1"));
        enter(other->model);
        other->model.setTakeReports(true);
        other->model.startRound(QStringLiteral("4"));
        desk = std::make_unique<Station>(server->address, QStringLiteral("Desk 3"));
        desk->join();
    }

    static void enter(TournamentProgress &model)
    {
        for (const QString &name : kSix)
            model.addEntrant(name, QStringLiteral("Stark"));
    }

    /// The model the window shows.
    TournamentProgress &shown() { return desk ? desk->model : *memoryModel; }
    /// The model the change from elsewhere goes through.
    TournamentProgress &elsewhere() { return other ? other->model : *memoryModel; }

    MemoryTournamentStore memory;
    std::unique_ptr<TournamentProgress> memoryModel;
    std::unique_ptr<Station> other;
    std::unique_ptr<Station> desk;
};

/// Both players of a table report the same result, each with their own personal code.
void agreeByReports(TournamentProgress &model, int table, const QString &result, double power1,
                    double power2)
{
    model.ensurePlayerCodes();
    const Progress::Seat seat = model.seats().at(table - 1);
    for (const QString &player : {seat.player1, seat.player2}) {
        Progress::ReportRequest report;
        report.table = table;
        report.code = model.playerCode(player);
        report.result1 = result;
        report.power1 = QString::number(power1);
        report.power2 = QString::number(power2);
        model.takeReport(report);
    }
}

/// Selects the game at row and types a result and powers, without "Game Over".
void typeGame(Tournament &round, int row, const QString &result, const QString &power1,
              const QString &power2)
{
    clickRow(round.MatchList1(), row);
    chooseEntry(control<QComboBox>(round, "Player1Win"), result);
    setText(control<QLineEdit>(round, "Player1Power"), power1);
    setText(control<QLineEdit>(round, "Player2Power"), power2);
}

/// "table result power1 power2" for every recorded game, in the order recorded.
QStringList gamesOf(const TournamentProgress &model)
{
    QStringList games;
    for (const Progress::Game &game : model.games())
        games.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(game.seat + 1)
                         .arg(game.result1)
                         .arg(game.power1)
                         .arg(game.power2));
    return games;
}

/// A change from elsewhere, given the desks; returns what it recorded as gamesOf() says it.
using Change = std::function<void(Desks &)>;

} // namespace

class TestGamePanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aGameRecordedElsewhereEmptiesThePanel_data();
    void aGameRecordedElsewhereEmptiesThePanel();
    void aRefusedStationShowsTheStoredResult();
    void aGameTakenBackElsewhereLeavesThePanelsGame_data();
    void aGameTakenBackElsewhereLeavesThePanelsGame();
    void reportsAndASecondStationStoreEveryGameAtItsTable();
};

void TestGamePanel::aGameRecordedElsewhereEmptiesThePanel_data()
{
    QTest::addColumn<bool>("shared");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("notice");

    QTest::newRow("both players' reports agree") << false << Change([](Desks &d) {
        agreeByReports(d.elsewhere(), 2, QStringLiteral("Full Win"), 1e15, 0);
    }) << "Table 2 was recorded by both players' reports: Full Win, 1000000000000000 to 0.";
    QTest::newRow("another station records it") << true << Change([](Desks &d) {
        d.elsewhere().recordGame(d.elsewhere().openRoundGame(2), QStringLiteral("Modified Loss"), 3,
                                 4);
    }) << "Table 2 was recorded at Desk 1: Modified Loss, 3 to 4.";
    QTest::newRow("reports agree at a station sharing the tournament")
        << true << Change([](Desks &d) {
               agreeByReports(d.elsewhere(), 2, QStringLiteral("True Draw"), 2, 2);
           })
        << "Table 2 was recorded by both players' reports: True Draw, 2 to 2.";
}

void TestGamePanel::aGameRecordedElsewhereEmptiesThePanel()
{
    QFETCH(bool, shared);
    QFETCH(Change, change);
    QFETCH(QString, notice);
    MessageLog log;
    Desks desks(shared);
    TournamentProgress &model = desks.shown();
    Tournament round(&model);
    round.show();
    QVERIFY(QTest::qWaitForWindowActive(&round));

    // The organiser opens table 2 and types its result; meanwhile table 2 is recorded.
    typeGame(round, 1, QStringLiteral("Full Loss"), QStringLiteral("1"), QStringLiteral("9"));
    QCOMPARE(control<QLabel>(round, "GameNumber")->text(), QStringLiteral("Game #2"));
    change(desks);
    QTRY_COMPARE(model.games().size(), 1);
    const QStringList recorded = gamesOf(model);
    QVERIFY2(recorded.first().startsWith(QStringLiteral("2 ")), qPrintable(recorded.first()));

    // The panel empties and says what happened; no other game takes its place.
    auto *noticeLabel = control<QLabel>(round, "GameNotice");
    QVERIFY(noticeLabel->isVisible());
    QCOMPARE(noticeLabel->text(), notice);
    QCOMPARE(control<QLabel>(round, "GameNumber")->text(), QString());
    QCOMPARE(control<QLineEdit>(round, "Player1Power")->text(), QString());
    QCOMPARE(Ui::selectedRow(round.MatchList1()), -1);
    QCOMPARE(listTexts(round.MatchList1()).at(1), kSix.at(4));

    // "Game Over" now records nothing: table 3, in table 2's row, stays open.
    click(round, "GameDone");
    QCOMPARE(log.last(), QStringLiteral("Please select a game"));
    QCOMPARE(gamesOf(model), recorded);
    QVERIFY(model.isOpen(model.openRoundGame(3)));

    // Clicking a row shows its game again, the notice gone.
    clickRow(round.MatchList1(), 1);
    QCOMPARE(control<QLabel>(round, "GameNumber")->text(), QStringLiteral("Game #3"));
    QVERIFY(!noticeLabel->isVisible());
}

void TestGamePanel::aRefusedStationShowsTheStoredResult()
{
    MessageLog log;
    Desks desks(true);
    TournamentProgress &model = desks.shown();
    Tournament round(&model);
    round.show();
    QVERIFY(QTest::qWaitForWindowActive(&round));
    typeGame(round, 0, QStringLiteral("Full Win"), QStringLiteral("7"), QStringLiteral("1"));
    QVERIFY(!QTest::currentTestFailed());

    // Desk 1 records table 1; this desk clicks "Game Over" before it has heard of it.
    desks.elsewhere().recordGame(desks.elsewhere().openRoundGame(1), QStringLiteral("True Draw"), 2,
                                 2);
    control<QPushButton>(round, "GameDone")->click();
    QCOMPARE(log.last(), QStringLiteral("Table 1 was recorded at another station a moment ago."));
    QCOMPARE(log.ends(), 0);

    // Read again, the refused desk shows the stored result of its game, not the next one.
    QTRY_COMPARE(model.games().size(), 1);
    QCOMPARE(gamesOf(model), QStringList{QStringLiteral("1 True Draw 2 2")});
    QTRY_COMPARE(control<QLabel>(round, "GameNotice")->text(),
                 QStringLiteral("Table 1 was recorded at Desk 1: True Draw, 2 to 2."));
    QCOMPARE(Ui::selectedRow(round.MatchList1()), -1);
    click(round, "GameDone");
    QCOMPARE(log.last(), QStringLiteral("Please select a game"));
    QCOMPARE(gamesOf(model), QStringList{QStringLiteral("1 True Draw 2 2")});
}

void TestGamePanel::aGameTakenBackElsewhereLeavesThePanelsGame_data()
{
    QTest::addColumn<bool>("shared");
    QTest::newRow("in memory") << false;
    QTest::newRow("on the server") << true;
}

void TestGamePanel::aGameTakenBackElsewhereLeavesThePanelsGame()
{
    QFETCH(bool, shared);
    MessageLog log;
    Desks desks(shared);
    TournamentProgress &model = desks.shown();
    Tournament round(&model);
    round.show();
    QVERIFY(QTest::qWaitForWindowActive(&round));

    // Table 1 recorded elsewhere; the organiser opens table 3 (now row 1) and types.
    desks.elsewhere().recordGame(desks.elsewhere().openRoundGame(1), QStringLiteral("Full Win"), 5,
                                 2);
    QTRY_COMPARE(Ui::rowCount(round.MatchList1()), 2);
    typeGame(round, 1, QStringLiteral("Modified Loss"), QStringLiteral("3"), QStringLiteral("4"));
    QCOMPARE(control<QLabel>(round, "GameNumber")->text(), QStringLiteral("Game #3"));

    // Table 1 is taken back elsewhere: it returns above, and the panel keeps table 3.
    QVERIFY(desks.elsewhere().undoLastGame());
    QTRY_COMPARE(Ui::rowCount(round.MatchList1()), 3);
    QCOMPARE(control<QLabel>(round, "GameNumber")->text(), QStringLiteral("Game #3"));
    QCOMPARE(Ui::selectedRow(round.MatchList1()), 2);
    QCOMPARE(control<QLineEdit>(round, "Player1Power")->text(), QStringLiteral("3"));

    // "Game Over" records table 3, the game named, with what was typed.
    click(round, "GameDone");
    QCOMPARE(gamesOf(model), QStringList{QStringLiteral("3 Modified Loss 3 4")});
    QVERIFY(model.isOpen(model.openRoundGame(1)));
    QVERIFY(model.isOpen(model.openRoundGame(2)));
    QCOMPARE(log.texts(), QStringList());
}

void TestGamePanel::reportsAndASecondStationStoreEveryGameAtItsTable()
{
    // Four rounds: Desk 1 serves the page and takes the players' reports of table 1 (each
    // player with their own code); the organiser at Desk 3 records tables 2 and 3 in the
    // round window, and the reports of table 1 arrive while table 2's result is being
    // typed, so the lists move under the panel.
    MessageLog log;
    Desks desks(true);
    TournamentProgress &page = desks.elsewhere();
    TournamentProgress &desk = desks.shown();
    const QStringList results{QStringLiteral("Full Win"), QStringLiteral("Modified Win"),
                              QStringLiteral("True Draw"), QStringLiteral("Modified Loss"),
                              QStringLiteral("Full Loss")};
    // What each table's players reported or the organiser typed.
    QStringList expected;
    const auto line = [](int round, int table, const Progress::Seat &seat, const QString &result,
                         double power1, double power2) {
        return QStringLiteral("%1 %2 %3-%4 %5 %6 %7")
            .arg(round)
            .arg(table)
            .arg(seat.player1, seat.player2, result)
            .arg(power1)
            .arg(power2);
    };
    for (int round = 1; round <= 4; ++round) {
        QTRY_COMPARE(desk.roundcounter(), qint16(round));
        QTRY_VERIFY(desk.roundOpen() && desk.openSeats().size() == 3);
        // The window goes by itself when the round ends at Desk 1.
        QPointer<Tournament> window = new Tournament(&desk);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QList<Progress::Seat> seats = desk.seats();
        const QString reported = results.at(round % results.size());
        const QString typed = results.at((round + 2) % results.size());

        typeGame(*window, 1, typed, QStringLiteral("2"), QString::number(round));
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(control<QLabel>(*window, "GameNumber")->text(), QStringLiteral("Game #2"));
        agreeByReports(page, 1, reported, round + 0.5, 1);
        QTRY_VERIFY(!desk.isOpen(desk.openRoundGame(1)));
        click(*window, "GameDone");
        recordGame(*window, 0, results.at((round + 4) % results.size()), QStringLiteral("3"),
                   QStringLiteral("7"));
        expected << line(round, 1, seats.at(0), reported, round + 0.5, 1)
                 << line(round, 2, seats.at(1), typed, 2, round)
                 << line(round, 3, seats.at(2), results.at((round + 4) % results.size()), 3, 7);

        QTRY_COMPARE(page.openRoundGames().size(), 3);
        page.endRound();
        QTRY_VERIFY(!window || window->isHidden());
        delete window.data();
        if (round < 4)
            page.startRound(QStringLiteral("4"));
    }
    QStringList stored;
    for (const Progress::Game &game : page.games())
        stored << line(game.round, game.seat + 1, {game.player1, game.player2}, game.result1,
                       game.power1, game.power2);
    stored.sort();
    expected.sort();
    QCOMPARE(stored, expected);
    QCOMPARE(log.texts(), QStringList());
}

QTEST_MAIN(TestGamePanel)
#include "tst_gamepanel.moc"
