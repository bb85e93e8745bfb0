// No result lost or counted twice by an ordinary click: closing the round window by its
// frame, ending a round with games not recorded and recording them late, the panel that
// starts empty for every game, a result that must be chosen, the bye and a negative power.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = QStringLiteral("Tourny");
const QString kChooseResult = QStringLiteral("Please choose player 1's result");
const QString kPleasePower = QStringLiteral("Please enter each player's power as a number");
const QList<Entrant> kFive{kA, kB, kC, kD, kE};

/// What the game panel shows: table, both players, both results and both powers.
QStringList panel(const Tournament &round)
{
    return {control<QLabel>(round, "GameNumber")->text(),
            control<QLabel>(round, "Player1")->text(),
            control<QLabel>(round, "Player2")->text(),
            control<QComboBox>(round, "Player1Win")->currentText(),
            control<QLabel>(round, "Player2Win")->text(),
            control<QLineEdit>(round, "Player1Power")->text(),
            control<QLineEdit>(round, "Player2Power")->text()};
}

/// Every name of a round's pairing, sorted; a name paired twice shows twice.
QStringList pairedNames(const Tournament &round)
{
    QStringList names = listTexts(round.MatchList1()) + listTexts(round.MatchList2());
    names.sort();
    return names;
}

} // namespace

class TestRoundResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closingByTheFrameKeepsTheRound_data();
    void closingByTheFrameKeepsTheRound();
    void pairThisRoundAgain_data();
    void pairThisRoundAgain();
    void endRoundAsksAboutGamesNotRecorded_data();
    void endRoundAsksAboutGamesNotRecorded();
    void gameOfAnEndedRoundIsRecordedLate();
    void selectingAGameEmptiesThePanel();
    void gameOverRefusesAResultThatIsNone_data();
    void gameOverRefusesAResultThatIsNone();
};

void TestRoundResults::closingByTheFrameKeepsTheRound_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<bool>("resume");
    QTest::newRow("nothing recorded, start button") << false << false;
    QTest::newRow("a game recorded, start button") << true << false;
    QTest::newRow("nothing recorded, resumed after a restart") << false << true;
    QTest::newRow("a game recorded, resumed after a restart") << true << true;
}

void TestRoundResults::closingByTheFrameKeepsTheRound()
{
    QFETCH(bool, recorded);
    QFETCH(bool, resume);

    // A-B, C-D, E-Bye.
    RoundFixture f(kFive);
    f.throne->show();
    QPointer<Tournament> round = f.startRound();
    QVERIFY(round);
    click(*round, "StartTimer");
    if (recorded)
        recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("2"));
    const QStringList left = listTexts(round->MatchList1());
    const QStringList right = listTexts(round->MatchList2());
    const QList<QVariantList> standings = standingsByName(f.install);

    // Closed by its frame: the window goes out of sight, the round stays open as it stands,
    // and its clock goes on.
    round->close();
    QVERIFY(!round->isVisible());
    QCOMPARE(f.throne->roundcounter(), qint16(1));
    QCOMPARE(f.throne->StartButton()->text(), QStringLiteral("Start Tournament"));
    QVERIFY(f.throne->progress()->roundOpen());
    QVERIFY(round->Timer1()->isActive());
    QCOMPARE(standingsByName(f.install), standings);

    Tournament *back = nullptr;
    if (resume) {
        QVERIFY(f.restart(true));
        back = f.throne->tournament();
        QVERIFY(back);
        QVERIFY(back->Timer1()->isActive());
    } else {
        back = f.startRound();
        QCOMPARE(back, round.data());
    }
    QVERIFY(back->isVisible());
    QCOMPARE(listTexts(back->MatchList1()), left);
    QCOMPARE(listTexts(back->MatchList2()), right);
    QCOMPARE(standingsByName(f.install), standings);
    QCOMPARE(f.count(QStringLiteral("ZuviGame")), recorded ? 1 : 0);

    // The round is played out and ended: every game counted once.
    while (listTexts(back->MatchList1()).size() > 0) {
        const QString player1 = listTexts(back->MatchList1()).first();
        const bool bye = listTexts(back->MatchList2()).first() == QStringLiteral("Bye");
        recordGame(*back, 0, QStringLiteral("Full Win"), QStringLiteral("5"),
                   bye ? QString() : QStringLiteral("2"));
        QVERIFY2(!QTest::currentTestFailed(), qPrintable(player1));
    }
    click(*back, "EndTourny");
    // A restart asked whether to resume, naming the round and the games recorded.
    QCOMPARE(f.log.questions(),
             resume ? QStringList{QStringLiteral("A tournament is in progress: round 1 of 3, %1 "
                                                 "of 3 games recorded. Resume it?")
                                      .arg(recorded ? 1 : 0)}
                    : QStringList());
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.row(kA), StandingsRow(3, 5));
    QCOMPARE(f.row(kB), StandingsRow(0, 2));
    QCOMPARE(f.row(kE), StandingsRow(3, 5));
    QCOMPARE(f.count(QStringLiteral("ZuviGame")), 3);

    // Round 2 pairs every entrant once.
    Tournament *second = f.startRound();
    QVERIFY(second);
    QStringList everyone{kA.name(), kB.name(), kC.name(), kD.name(), kE.name(), "Bye"};
    everyone.sort();
    QCOMPARE(pairedNames(*second), everyone);
}

void TestRoundResults::pairThisRoundAgain_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::newRow("nothing recorded: paired again with the late entrant") << false;
    QTest::newRow("a game recorded: refused") << true;
}

void TestRoundResults::pairThisRoundAgain()
{
    QFETCH(bool, recorded);

    RoundFixture f({kA, kB, kC, kD, kE}, 4);
    Tournament *round = f.startRound();
    QVERIFY(round);
    if (recorded)
        recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("2"));
    // A latecomer joins while round 1 is open.
    registerEntrant(*f.throne, 4, kE.house);
    QCOMPARE(f.log.texts(),
             QStringList{QStringLiteral("%1 joins the tournament from round 2.").arg(kE.name())});
    f.log.clear();
    const QStringList left = listTexts(round->MatchList1());
    const QList<QVariantList> standings = standingsByName(f.install);

    QAction *again = round->pairAgainAction();
    QVERIFY(round->MatchList1()->actions().contains(again));
    QCOMPARE(again->text(), QStringLiteral("Pair this round again"));
    again->trigger();

    QCOMPARE(standingsByName(f.install), standings);
    if (recorded) {
        QCOMPARE(f.log.texts(), QStringList{QStringLiteral("The round cannot be paired again: 1 "
                                                           "game of it is recorded. Undo it "
                                                           "first.")});
        QCOMPARE(listTexts(round->MatchList1()), left);
        QCOMPARE(f.count(QStringLiteral("ZuviGame")), 1);
        return;
    }
    QCOMPARE(f.log.texts(), QStringList());
    // Drawn again, the latecomer among them.
    QStringList everyone{kA.name(), kB.name(), kC.name(), kD.name(), kE.name(), "Bye"};
    everyone.sort();
    QCOMPARE(pairedNames(*round), everyone);
    QCOMPARE(f.count(QStringLiteral("ZuviSeat")), 3);
    QCOMPARE(f.throne->roundcounter(), qint16(1));
    QVERIFY(f.restart(true));
    QVERIFY(f.throne->tournament());
    QCOMPARE(pairedNames(*f.throne->tournament()), everyone);
}

void TestRoundResults::endRoundAsksAboutGamesNotRecorded_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("answered No: the round goes on") << false;
    QTest::newRow("answered Yes: the round ends without them") << true;
}

void TestRoundResults::endRoundAsksAboutGamesNotRecorded()
{
    QFETCH(bool, yes);

    RoundFixture f(kFive);
    QPointer<Tournament> round = f.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("2"));
    const QList<QVariantList> standings = standingsByName(f.install);
    f.log.setAnswer(yes);
    click(*round, "EndTourny");

    // The box names the tables left, the bye included.
    QCOMPARE(f.log.questions(),
             QStringList{QStringLiteral("2 games are not recorded: table 2 %1 \u2013 %2; table 3 "
                                        "%3 \u2013 Bye. End the round without them?")
                             .arg(kC.name(), kD.name(), kE.name())});
    QCOMPARE(standingsByName(f.install), standings);
    if (!yes) {
        QVERIFY(f.throne->tournament());
        QCOMPARE(listTexts(round->MatchList1()), (QStringList{kC.name(), kE.name()}));
        QCOMPARE(f.throne->roundcounter(), qint16(1));
        QCOMPARE(f.count(QStringLiteral("ZuviMissedGame")), 0);
        return;
    }
    QTRY_VERIFY(!round);
    QCOMPARE(f.throne->roundcounter(), qint16(2));
    QCOMPARE(f.throne->StartButton()->text(), QStringLiteral("Start Round 2"));
    // The games left are kept to be recorded late.
    QCOMPARE(f.install.rows(kTourny, QStringLiteral("SELECT Round, Seat, Player1, Player2 FROM "
                                                    "ZuviMissedGame ORDER BY Seat")),
             (QList<QVariantList>{{1, 1, kC.name(), kD.name()}, {1, 2, kE.name(), "Bye"}}));
}

void TestRoundResults::gameOfAnEndedRoundIsRecordedLate()
{
    RoundFixture f(kFive);
    Tournament *round = f.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("2"));
    f.log.setAnswer(true);
    click(*round, "EndTourny");
    QCOMPARE(f.log.questions().size(), 1);

    // Each game left is recorded from the recorded games: C-D (table 2) and the bye.
    const auto recordLate = [&](int row, const QString &result, const QString &power1,
                                const QString &power2) {
        bool done = false;
        whenDialogOpens("RecordedGamesDialog", [&](QDialog &dialog) {
            auto *table = control<QTableView>(dialog, "RecordedGamesTable");
            table->selectRow(row);
            auto *button = control<QPushButton>(dialog, "AmendGame");
            if (!button->isEnabled() || button->text() != QStringLiteral("Record"))
                return;
            setText(control<QComboBox>(dialog, "AmendResult")->lineEdit(), result);
            setText(control<QLineEdit>(dialog, "AmendPower1"), power1);
            auto *power2Box = control<QLineEdit>(dialog, "AmendPower2");
            if (power2Box->isEnabled())
                setText(power2Box, power2);
            QTest::mouseClick(button, Qt::LeftButton);
            done = true;
        });
        f.throne->recordedGamesAction()->trigger();
        return done;
    };
    // Rows: the recorded game, then C-D and E-Bye not recorded.
    QVERIFY(recordLate(1, QString(), QStringLiteral("4"), QStringLiteral("4")));
    QCOMPARE(f.log.texts(), QStringList{kChooseResult});
    QCOMPARE(f.row(kC), StandingsRow(0, 0));
    f.log.clear();
    QVERIFY(
        recordLate(1, QStringLiteral("Modified Loss"), QStringLiteral("4"), QStringLiteral("6")));
    QVERIFY(recordLate(2, QStringLiteral("Full Win"), QStringLiteral("7"), QString()));
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.row(kC), StandingsRow(1, 4));
    QCOMPARE(f.row(kD), StandingsRow(2, 6));
    QCOMPARE(f.row(kE), StandingsRow(3, 7));
    QCOMPARE(f.count(QStringLiteral("ZuviMissedGame")), 0);
    QCOMPARE(f.count(QStringLiteral("ZuviGame")), 3);
    // The lists show the new scores at once.
    QCOMPARE(listTexts(f.throne->PlayerScores()).size(), 5);
    QVERIFY(listTexts(f.throne->PlayerScores()).contains(QStringLiteral("3(7)")));

    // Nothing is recorded twice: the game is no longer offered, and a restart keeps it.
    QVERIFY(f.restart(true));
    QVERIFY(!recordLate(2, QStringLiteral("Full Win"), QStringLiteral("1"), QStringLiteral("1")));
    QCOMPARE(f.row(kE), StandingsRow(3, 7));
}

void TestRoundResults::selectingAGameEmptiesThePanel()
{
    RoundFixture f(kFive);
    Tournament *round = f.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Modified Win"), QStringLiteral("5"), QStringLiteral("2"));
    // The next game, selected after "Game Over", starts empty: nothing of the last game
    // can be recorded for it. It is numbered by its table.
    clickRow(round->MatchList1(), 0);
    QCOMPARE(panel(*round), (QStringList{"Game #2", kC.name(), kD.name(), "", "", "", ""}));
    // A game chosen, then another selected: the other starts empty too, the bye included.
    chooseEntry(control<QComboBox>(*round, "Player1Win"), QStringLiteral("Full Loss"));
    setText(control<QLineEdit>(*round, "Player1Power"), QStringLiteral("9"));
    clickRow(round->MatchList1(), 1);
    QCOMPARE(panel(*round), (QStringList{"Game #3", kE.name(), "Bye", "", "", "", ""}));
    click(*round, "GameDone");
    QCOMPARE(f.log.texts(), QStringList{kChooseResult});
    QCOMPARE(f.row(kE), StandingsRow(0, 0));
    // The bye takes player 1's result as any game does.
    chooseEntry(control<QComboBox>(*round, "Player1Win"), QStringLiteral("Full Win"));
    click(*round, "GameDone");
    QCOMPARE(f.row(kE), StandingsRow(3, 0));
}

void TestRoundResults::gameOverRefusesAResultThatIsNone_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("power1");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty result") << QString() << QStringLiteral("3") << kChooseResult;
    QTest::newRow("blanks") << QStringLiteral("  ") << QStringLiteral("3") << kChooseResult;
    QTest::newRow("other letter case")
        << QStringLiteral("full win") << QStringLiteral("3") << kChooseResult;
    QTest::newRow("a word") << QStringLiteral("Win") << QStringLiteral("3") << kChooseResult;
    QTest::newRow("negative power")
        << QStringLiteral("Full Win") << QStringLiteral("-5") << kPleasePower;
    QTest::newRow("recorded") << QStringLiteral("Full Win") << QStringLiteral("3") << QString();
}

void TestRoundResults::gameOverRefusesAResultThatIsNone()
{
    QFETCH(QString, result);
    QFETCH(QString, power1);
    QFETCH(QString, message);

    RoundFixture f(kFive);
    Tournament *round = f.startRound();
    QVERIFY(round);
    clickRow(round->MatchList1(), 0);
    setText(control<QComboBox>(*round, "Player1Win")->lineEdit(), result);
    setText(control<QLineEdit>(*round, "Player1Power"), power1);
    setText(control<QLineEdit>(*round, "Player2Power"), QStringLiteral("1"));
    click(*round, "GameDone");
    QCOMPARE(f.log.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        // Nothing is written, and the game stays selected with what was typed.
        QCOMPARE(f.row(kA), StandingsRow(0, 0));
        QCOMPARE(f.row(kB), StandingsRow(0, 0));
        QCOMPARE(f.count(QStringLiteral("ZuviGame")), 0);
        QCOMPARE(rowCount(round->MatchList1()), 3);
        QCOMPARE(Ui::selectedRow(round->MatchList1()), 0);
        return;
    }
    QCOMPARE(f.row(kA), StandingsRow(3, 3));
    QCOMPARE(f.row(kB), StandingsRow(0, 1));
}

QTEST_MAIN(TestRoundResults)
#include "tst_roundresults.moc"
