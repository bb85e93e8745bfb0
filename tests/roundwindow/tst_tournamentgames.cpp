// Recording games and ending rounds through the real windows: the results and their points,
// the power rules, byes, names with apostrophes, the standings shown at a round's end, and
// a whole tournament from registration to its end.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = QStringLiteral("Tourny");
const QString kPleasePower = QStringLiteral("Please enter each player's power as a number");
const QString kPleaseGame = QStringLiteral("Please select a game");

const Entrant kF{"Fay", "Fox", "Greyjoy"};
const Entrant kG{"Gus", "Gray", "Lannister"};

QStringList names(const QList<Entrant> &entrants)
{
    QStringList result;
    for (const Entrant &entrant : entrants)
        result.append(entrant.name());
    return result;
}

QStringList houses(const QList<Entrant> &entrants)
{
    QStringList result;
    for (const Entrant &entrant : entrants)
        result.append(entrant.house);
    return result;
}

QString caption(const Tournament &round, const char *name)
{
    return control<QLabel>(round, name)->text();
}

using Row = StandingsRow;

} // namespace

class TestTournamentGames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resultDecidesPointsAndPlayer2Result_data();
    void resultDecidesPointsAndPlayer2Result();
    void resultChosenByKeyboard();
    void powerMustBeANumber_data();
    void powerMustBeANumber();
    void byeGameUpdatesOneRowOnly();
    void gameOverWithoutSelectionRecordsNothing();
    void namesWithApostrophesRecordAgainstTheirRows();
    void failedUpdateLeavesBothRows();
    void roundEndShowsStandingsInOrder();
    void roundEndCaptionsAndTheEnd();
    void roundCounterAtItsLimitTakesTheErrorPath();
    void wholeTournamentOfSevenEntrants();
};

void TestTournamentGames::resultDecidesPointsAndPlayer2Result_data()
{
    QTest::addColumn<QString>("chosen"); // entry chosen from the list; empty: none
    QTest::addColumn<bool>("typing");
    QTest::addColumn<QString>("typed"); // typed into the field afterwards
    QTest::addColumn<int>("points1");
    QTest::addColumn<int>("points2");
    QTest::addColumn<QString>("player2Win");

    QTest::newRow("Full Win") << "Full Win" << false << "" << 3 << 0 << "Full Loss";
    QTest::newRow("Full Loss") << "Full Loss" << false << "" << 0 << 3 << "Full Win";
    QTest::newRow("Modified Win") << "Modified Win" << false << "" << 2 << 1 << "Modified Loss";
    QTest::newRow("Modified Loss") << "Modified Loss" << false << "" << 1 << 2 << "Modified Win";
    QTest::newRow("True Draw") << "True Draw" << false << "" << 2 << 1 << "True Draw";
    // A result that is none of the five is refused (points -1): nothing is recorded.
    QTest::newRow("field left empty") << "" << false << "" << -1 << -1 << "";
    QTest::newRow("other letter case typed") << "" << true << "full win" << -1 << -1 << "";
    QTest::newRow("blank before the text") << "" << true << " Full Win" << -1 << -1 << "";
    // Typing counts for the points but never sets player 2's result.
    QTest::newRow("exact text typed") << "" << true << "Full Win" << 3 << 0 << "";
    QTest::newRow("chosen, then typed over")
        << "Full Win" << true << "Modified Loss" << 1 << 2 << "Full Loss";
    QTest::newRow("chosen, then emptied")
        << "Modified Win" << true << "" << -1 << -1 << "Modified Loss";
}

void TestTournamentGames::resultDecidesPointsAndPlayer2Result()
{
    QFETCH(QString, chosen);
    QFETCH(bool, typing);
    QFETCH(QString, typed);
    QFETCH(int, points1);
    QFETCH(int, points2);
    QFETCH(QString, player2Win);

    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    auto *result = control<QComboBox>(*round, "Player1Win");
    QCOMPARE(result->currentText(), QString());

    clickRow(round->MatchList1(), 0);
    if (!chosen.isEmpty())
        chooseEntry(result, chosen);
    if (typing)
        setText(result->lineEdit(), typed);
    click(*round, "GameDone");

    QCOMPARE(caption(*round, "Player2Win"), player2Win);
    if (points1 < 0) {
        QCOMPARE(fixture.log.texts(),
                 QStringList{QStringLiteral("Please choose player 1's result")});
        QCOMPARE(fixture.row(kA), Row(0, 0));
        QCOMPARE(fixture.row(kB), Row(0, 0));
        QCOMPARE(rowCount(round->MatchList1()), 1);
        return;
    }
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(kA), Row(points1, 0));
    QCOMPARE(fixture.row(kB), Row(points2, 0));
    QCOMPARE(rowCount(round->MatchList1()), 0);
    QCOMPARE(rowCount(round->MatchList2()), 0);
}

void TestTournamentGames::resultChosenByKeyboard()
{
    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    clickRow(round->MatchList1(), 0);
    auto *result = control<QComboBox>(*round, "Player1Win");
    result->setFocus();
    QTest::keyClick(result->lineEdit(), Qt::Key_Down);
    QCOMPARE(caption(*round, "Player2Win"), QStringLiteral("Full Loss"));
    QTest::keyClick(result->lineEdit(), Qt::Key_Down);
    QCOMPARE(result->currentText(), QStringLiteral("Full Loss"));
    QCOMPARE(caption(*round, "Player2Win"), QStringLiteral("Full Win"));
    click(*round, "GameDone");
    QCOMPARE(fixture.row(kA), Row(0, 0));
    QCOMPARE(fixture.row(kB), Row(3, 0));
}

void TestTournamentGames::powerMustBeANumber_data()
{
    QTest::addColumn<QString>("power1");
    QTest::addColumn<QString>("power2");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("stored1");
    QTest::addColumn<double>("stored2");

    QTest::newRow("both empty count as 0") << ""
                                           << "" << true << 0.0 << 0.0;
    QTest::newRow("blanks only count as 0") << "   "
                                            << "" << true << 0.0 << 0.0;
    QTest::newRow("blanks around") << " 12 "
                                   << "  7" << true << 12.0 << 7.0;
    QTest::newRow("fractions") << "12.5"
                               << "0.25" << true << 12.5 << 0.25;
    QTest::newRow("letters") << "abc"
                             << "3" << false << 0.0 << 0.0;
    QTest::newRow("letter O for zero") << "3"
                                       << "1O" << false << 0.0 << 0.0;
    QTest::newRow("decimal comma") << "1,5"
                                   << "3" << false << 0.0 << 0.0;
    QTest::newRow("apostrophe") << "3'"
                                << "3" << false << 0.0 << 0.0;
    QTest::newRow("huge") << "1e300"
                          << "3" << false << 0.0 << 0.0;
    QTest::newRow("beyond exact sums") << "3"
                                       << "1e16" << false << 0.0 << 0.0;
    QTest::newRow("not finite") << "inf"
                                << "nan" << false << 0.0 << 0.0;
}

void TestTournamentGames::powerMustBeANumber()
{
    QFETCH(QString, power1);
    QFETCH(QString, power2);
    QFETCH(bool, accepted);
    QFETCH(double, stored1);
    QFETCH(double, stored2);

    RoundFixture fixture({kA, kB, kC, kD});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    recordGame(*round, 1, QStringLiteral("Full Win"), power1, power2);

    if (!accepted) {
        // Nothing recorded for either player; the game, its selection and the panel stay.
        QCOMPARE(fixture.log.texts(), QStringList{kPleasePower});
        for (const Entrant &entrant : {kA, kB, kC, kD})
            QCOMPARE(fixture.row(entrant), Row(0, 0));
        QCOMPARE(listTexts(round->MatchList1()), names({kA, kC}));
        QCOMPARE(listTexts(round->MatchList2()), names({kB, kD}));
        QCOMPARE(Ui::selectedRow(round->MatchList1()), 1);
        QCOMPARE(control<QLineEdit>(*round, "Player1Power")->text(), power1);
        QCOMPARE(control<QLineEdit>(*round, "Player2Power")->text(), power2);
        QCOMPARE(caption(*round, "Player1"), kC.name());
        QCOMPARE(caption(*round, "Player2Win"), QStringLiteral("Full Loss"));
        return;
    }
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(kC), Row(3, stored1));
    QCOMPARE(fixture.row(kD), Row(0, stored2));
    QCOMPARE(fixture.row(kA), Row(0, 0));
    QCOMPARE(fixture.row(kB), Row(0, 0));
    QCOMPARE(listTexts(round->MatchList1()), names({kA}));
    QCOMPARE(listTexts(round->MatchList2()), names({kB}));
}

void TestTournamentGames::byeGameUpdatesOneRowOnly()
{
    RoundFixture fixture({kA, kB, kC});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{kB.name(), "Bye"}));
    // A row that happens to be named "Bye" shows whether a statement ran for the bye.
    fixture.install.exec(kTourny,
                         QStringLiteral("INSERT INTO TournyInfo VALUES ('Bye', '', 0, 0)"));

    // The bye's power box is not read: what it holds from an earlier game does not matter.
    recordGame(*round, 1, QStringLiteral("Modified Win"), QStringLiteral("5"),
               QStringLiteral("abc"));

    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(kC), Row(2, 5));
    QCOMPARE(fixture.row(kA), Row(0, 0));
    QCOMPARE(fixture.row(kB), Row(0, 0));
    QCOMPARE(fixture.install.rows(kTourny, QStringLiteral("SELECT Score, Power FROM TournyInfo "
                                                          "WHERE Name = 'Bye'")),
             (QList<QVariantList>{{0, 0.0}}));
    QCOMPARE(listTexts(round->MatchList1()), names({kA}));
    QCOMPARE(listTexts(round->MatchList2()), names({kB}));
}

void TestTournamentGames::gameOverWithoutSelectionRecordsNothing()
{
    RoundFixture fixture({kA, kB, kC, kD});
    Tournament *round = fixture.startRound();
    QVERIFY(round);

    click(*round, "GameDone");
    QCOMPARE(fixture.log.texts(), QStringList{kPleaseGame});
    QCOMPARE(rowCount(round->MatchList1()), 2);

    fixture.log.clear();
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("10"), QStringLiteral("4"));
    // The game that was second is selected next. It keeps its table number, and starts
    // with an empty result and empty powers: a second click records neither it nor,
    // again, the game just recorded.
    QCOMPARE(Ui::selectedRow(round->MatchList1()), 0);
    QCOMPARE(caption(*round, "GameNumber"), QStringLiteral("Game #2"));
    QCOMPARE(caption(*round, "Player1"), kC.name());
    QCOMPARE(caption(*round, "Player2"), kD.name());
    QCOMPARE(control<QLineEdit>(*round, "Player1Power")->text(), QString());
    QCOMPARE(caption(*round, "Player2Win"), QString());
    click(*round, "GameDone");
    QCOMPARE(fixture.row(kA), Row(3, 10));
    QCOMPARE(fixture.row(kB), Row(0, 4));
    QCOMPARE(fixture.row(kC), Row(0, 0));
    QCOMPARE(fixture.row(kD), Row(0, 0));
    QCOMPARE(fixture.log.texts(), QStringList{QStringLiteral("Please choose player 1's result")});

    // Once the last game is recorded nothing is selected, the panel still shows that game,
    // and a second click must not record it again.
    fixture.log.clear();
    recordGame(*round, 0, QStringLiteral("Full Loss"), QStringLiteral("2"), QStringLiteral("6"));
    QCOMPARE(rowCount(round->MatchList1()), 0);
    QCOMPARE(Ui::selectedRow(round->MatchList1()), -1);
    QCOMPARE(caption(*round, "GameNumber"), QStringLiteral("Game #2"));
    QCOMPARE(caption(*round, "Player2Win"), QStringLiteral("Full Win"));
    click(*round, "GameDone");
    QCOMPARE(fixture.log.texts(), QStringList{kPleaseGame});
    QCOMPARE(fixture.row(kC), Row(0, 2));
    QCOMPARE(fixture.row(kD), Row(3, 6));
}

void TestTournamentGames::namesWithApostrophesRecordAgainstTheirRows()
{
    const Entrant oneQuote{"Bran", "O'Neil", "Stark"};
    const Entrant twoQuotes{"Bran", "O''Neil", "Night's Watch"};
    const Entrant darcy{"Ann", "D'Arcy", "Stark"};
    const Entrant tables{"Bobby", "Robert'); DROP TABLE TournyInfo; --", "Stark"};
    RoundFixture fixture({oneQuote, twoQuotes, darcy, tables});
    Tournament *round = fixture.startRound();
    QVERIFY(round);

    recordGame(*round, 0, QStringLiteral("Modified Win"), QStringLiteral("7"), QStringLiteral("3"));
    recordGame(*round, 0, QStringLiteral("Full Loss"), QStringLiteral("1"), QStringLiteral("9"));

    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(oneQuote), Row(2, 7));
    QCOMPARE(fixture.row(twoQuotes), Row(1, 3));
    QCOMPARE(fixture.row(darcy), Row(0, 1));
    QCOMPARE(fixture.row(tables), Row(3, 9));
    QCOMPARE(standingsByName(fixture.install).size(), 4);
}

void TestTournamentGames::failedUpdateLeavesBothRows()
{
    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    // Player 2's update is refused after player 1's has run.
    fixture.install.exec(kTourny,
                         QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON TournyInfo "
                                        "WHEN NEW.Name = 'Baker, Bob' BEGIN "
                                        "SELECT RAISE(ABORT, 'result refused'); END"));

    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("10"), QStringLiteral("4"));

    QCOMPARE(fixture.log.texts().size(), 1);
    QVERIFY2(fixture.log.last().startsWith(QStringLiteral("Error ")),
             qPrintable(fixture.log.last()));
    QVERIFY2(fixture.log.last().endsWith(QStringLiteral(": result refused")),
             qPrintable(fixture.log.last()));
    QCOMPARE(fixture.log.ends(), 1);
    QCOMPARE(fixture.row(kA), Row(0, 0));
    QCOMPARE(fixture.row(kB), Row(0, 0));
    QCOMPARE(listTexts(round->MatchList1()), names({kA}));
    QCOMPARE(listTexts(round->MatchList2()), names({kB}));
}

void TestTournamentGames::roundEndShowsStandingsInOrder()
{
    // Registered in an order that is neither the standings nor the names.
    const Entrant zed{"Zoe", "Zed", "Stark"};
    const Entrant young{"Yan", "Young", "Greyjoy"};
    const Entrant abbot{"Abe", "Abbot", "Lannister"};
    const Entrant baker{"Bea", "Baker", "Baratheon"};
    const Entrant moss{"Max", "Moss", "Tully"};
    const Entrant nash{"Ned", "Nash", "Tyrell"};
    RoundFixture fixture({zed, young, abbot, baker, moss, nash});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QPointer<Tournament> window = round;

    // Two games with equal results tie on score and power; the third is never recorded.
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("10"), QStringLiteral("5.5"));
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("10"), QStringLiteral("5.5"));
    QCOMPARE(listTexts(round->MatchList1()), names({moss}));
    fixture.log.setAnswer(true);
    click(*round, "EndTourny");

    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.log.questions().size(), 1);
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()),
             names({abbot, zed, baker, young, moss, nash}));
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()),
             houses({abbot, zed, baker, young, moss, nash}));
    QCOMPARE(listTexts(fixture.throne->PlayerScores()),
             (QStringList{"3(10)", "3(10)", "0(5.5)", "0(5.5)", "0(0)", "0(0)"}));
    QCOMPARE(fixture.throne->roundcounter(), qint16(2));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Round 2"));
    QVERIFY(!fixture.throne->tournament());
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QTRY_VERIFY(!window);
}

void TestTournamentGames::roundEndCaptionsAndTheEnd()
{
    RoundFixture fixture({kA, kB});
    fixture.log.setAnswer(true);
    const QStringList captions{"Start Round 2", "Start Round 3", "Start Round 4"};
    for (const QString &expected : captions) {
        Tournament *round = fixture.startRound();
        QVERIFY(round);
        // Ended without a game recorded: the standings stay as they were.
        click(*round, "EndTourny");
        QCOMPARE(fixture.throne->StartButton()->text(), expected);
    }
    QCOMPARE(fixture.throne->roundcounter(), qint16(4));
    QCOMPARE(listTexts(fixture.throne->PlayerScores()), (QStringList{"0(0)", "0(0)"}));

    click(*fixture.throne, "StartButton");
    QCOMPARE(fixture.log.texts(), QStringList{"The tournament is over!"});
    QVERIFY(!fixture.throne->tournament());
    QCOMPARE(openRoundWindows(), 0);
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), names({kA, kB}));
}

void TestTournamentGames::roundCounterAtItsLimitTakesTheErrorPath()
{
    // A start never takes more than 99 rounds, so the round counter reaches its limit only
    // in a stored file: the round is opened first, then the counter put there.
    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    fixture.throne->progress()->setCounters(32767, fixture.throne->RandomFirst());
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("2"), QStringLiteral("1"));

    click(*round, "EndTourny");

    QCOMPARE(fixture.log.texts(), QStringList{"Error 6: Overflow"});
    QCOMPARE(fixture.log.ends(), 1);
    QCOMPARE(fixture.throne->roundcounter(), qint16(32767));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Tournament"));
    // The failure is found before anything changes: the lists still show the round's
    // entrants as they were, and nothing of the round's end was stored.
    QCOMPARE(listTexts(fixture.throne->PlayerScores()), (QStringList{"0(0)", "0(0)"}));
}

void TestTournamentGames::wholeTournamentOfSevenEntrants()
{
    // Seven entrants A to G registered in that order; every draw takes the first entrant
    // left, so round 1 is A-B, C-D, E-F, G-Bye. Worked out by hand:
    //
    // Round 1 results (player 1's result, powers):
    //   A-B Full Win 10/4, C-D Modified Loss 6/9, E-F True Draw 7/7, G-Bye Full Win 5
    //   => A 3(10), B 0(4), C 1(6), D 2(9), E 2(7), F 1(7), G 3(5)
    //   standings (score, power, name): A 3(10), G 3(5), D 2(9), E 2(7), F 1(7), C 1(6), B 0(4)
    // Round 2 pairing, t = 3: groups 3 {A G}, 2 {D E}, 1 {F C} even; 0 {B} odd => Bye.
    //   games A-G, D-E, F-C, B-Bye
    //   A-G Modified Win 8/12, D-E Full Loss 3/11.5, F-C Modified Loss 4/9, B-Bye Full Win 6
    //   => A 5(18), G 4(17), D 2(12), E 5(18.5), F 2(11), C 3(15), B 3(10)
    //   standings: E 5(18.5), A 5(18), G 4(17), C 3(15), B 3(10), D 2(12), F 2(11)
    // Round 3 pairing, t = 6: counts 5:2, 4:1, 3:2, 2:2. Handing down: 4 is odd, G goes to 3
    //   (now G C B, odd), B goes to 2 (now B D F, odd), F goes to 1, then to 0: Bye.
    //   games E-A, G-C, B-D, F-Bye; the organiser moves C down: E-A, G-D, B-C, F-Bye
    //   E-A Full Loss 9/14, G-D True Draw 10/10, B-C Full Win 12/2.5, F-Bye Modified Win 3
    //   => A 8(32), B 6(22), C 3(17.5), D 3(22), E 5(27.5), F 4(14), G 6(27)
    //   final standings: A 8(32), G 6(27), B 6(22), E 5(27.5), F 4(14), D 3(22), C 3(17.5)
    const QList<Entrant> all{kA, kB, kC, kD, kE, kF, kG};
    RoundFixture fixture(all);
    const QString win = QStringLiteral("Full Win");
    const QString loss = QStringLiteral("Full Loss");
    const QString modWin = QStringLiteral("Modified Win");
    const QString modLoss = QStringLiteral("Modified Loss");
    const QString draw = QStringLiteral("True Draw");

    // Round 1.
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList1()), names({kA, kC, kE, kG}));
    QCOMPARE(listTexts(round->MatchList2()), names({kB, kD, kF}) << QStringLiteral("Bye"));
    recordGame(*round, 0, win, "10", "4");
    recordGame(*round, 0, modLoss, "6", "9");
    recordGame(*round, 0, draw, "7", "7");
    recordGame(*round, 0, win, "5", "");
    QCOMPARE(rowCount(round->MatchList1()), 0);
    click(*round, "EndTourny");
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), names({kA, kG, kD, kE, kF, kC, kB}));
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()), houses({kA, kG, kD, kE, kF, kC, kB}));
    QCOMPARE(listTexts(fixture.throne->PlayerScores()),
             (QStringList{"3(10)", "3(5)", "2(9)", "2(7)", "1(7)", "1(6)", "0(4)"}));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Round 2"));

    // Round 2.
    round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList1()), names({kA, kD, kF, kB}));
    QCOMPARE(listTexts(round->MatchList2()), names({kG, kE, kC}) << QStringLiteral("Bye"));
    recordGame(*round, 0, modWin, "8", "12");
    recordGame(*round, 0, loss, "3", "11.5");
    recordGame(*round, 0, modLoss, "4", "9");
    recordGame(*round, 0, win, "6", "");
    click(*round, "EndTourny");
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), names({kE, kA, kG, kC, kB, kD, kF}));
    QCOMPARE(listTexts(fixture.throne->PlayerScores()),
             (QStringList{"5(18.5)", "5(18)", "4(17)", "3(15)", "3(10)", "2(12)", "2(11)"}));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Round 3"));

    // Round 3, with one pairing changed by hand.
    round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList1()), names({kE, kG, kB, kF}));
    QCOMPARE(listTexts(round->MatchList2()), names({kA, kC, kD}) << QStringLiteral("Bye"));
    clickRow(round->MatchList2(), 1);
    click(*round, "MoveDown");
    QCOMPARE(listTexts(round->MatchList2()), names({kA, kD, kC}) << QStringLiteral("Bye"));
    recordGame(*round, 0, loss, "9", "14");
    recordGame(*round, 0, draw, "10", "10");
    recordGame(*round, 0, win, "12", "2.5");
    recordGame(*round, 0, modWin, "3", "");
    click(*round, "EndTourny");

    const QList<Entrant> final{kA, kG, kB, kE, kF, kD, kC};
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), names(final));
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()), houses(final));
    QCOMPARE(listTexts(fixture.throne->PlayerScores()),
             (QStringList{"8(32)", "6(27)", "6(22)", "5(27.5)", "4(14)", "3(22)", "3(17.5)"}));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Round 4"));
    QCOMPARE(fixture.throne->roundcounter(), qint16(4));
    QCOMPARE(fixture.log.texts(), QStringList());

    // Three rounds played: the start button reports the end and opens nothing.
    click(*fixture.throne, "StartButton");
    QCOMPARE(fixture.log.texts(), QStringList{"The tournament is over!"});
    QVERIFY(!fixture.throne->tournament());
    QCOMPARE(openRoundWindows(), 0);
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), names(final));
}

QTEST_MAIN(TestTournamentGames)
#include "tst_tournamentgames.moc"
