// Taking back and correcting recorded games through the real windows: Ctrl+Z and the match
// lists' "Undo last game" in the round window, and the "Recorded games" dialog that amends
// a game of an earlier round.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = QStringLiteral("Tourny");
const QString kNoUndo = QStringLiteral("There is no game to undo.");
const QString kPleasePower = QStringLiteral("Please enter each player's power as a number");

const QList<Entrant> kFive{kA, kB, kC, kD, kE};

QString text(const QWidget &window, const char *name)
{
    if (auto *label = window.findChild<QLabel *>(QString::fromLatin1(name)))
        return label->text();
    if (auto *combo = window.findChild<QComboBox *>(QString::fromLatin1(name)))
        return combo->currentText();
    return control<QLineEdit>(window, name)->text();
}

/// What the game panel shows: both players, both results and both powers.
QStringList panel(const Tournament &round)
{
    return {text(round, "Player1"),    text(round, "Player2"),      text(round, "Player1Win"),
            text(round, "Player2Win"), text(round, "Player1Power"), text(round, "Player2Power")};
}

QAction *listAction(const QListView *list, const QString &caption)
{
    const QList<QAction *> actions = list->actions();
    for (QAction *action : actions) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

/// Runs one step on the round window as the organiser does it:
///   "rec|row|result|power1|power2"  select the game at row, fill in the panel, Game Over
///   "done"                          Game Over with the panel as it stands
///   "undo"                          Ctrl+Z in the match list
///   "menu undo"                     "Undo last game" of the match list's context menu
///   "up|row", "down|row"            select row of MatchList2 and click Up or Down
/// Returns false for a step it does not know.
bool runStep(Tournament &round, const QString &step)
{
    const QStringList parts = step.split(QLatin1Char('|'));
    const QString &command = parts.first();
    if (command == QStringLiteral("rec") && parts.size() == 5) {
        recordGame(round, parts.at(1).toInt(), parts.at(2), parts.at(3), parts.at(4));
    } else if (command == QStringLiteral("done")) {
        click(round, "GameDone");
    } else if (command == QStringLiteral("undo")) {
        round.MatchList1()->setFocus();
        QTest::keyClick(round.MatchList1(), Qt::Key_Z, Qt::ControlModifier);
    } else if (command == QStringLiteral("menu undo")) {
        QAction *undo = listAction(round.MatchList1(), QStringLiteral("Undo last game"));
        if (!undo || undo->shortcut() != QKeySequence(QKeySequence::Undo))
            return false;
        undo->trigger();
    } else if ((command == QStringLiteral("up") || command == QStringLiteral("down")) &&
               parts.size() == 2) {
        clickRow(round.MatchList2(), parts.at(1).toInt());
        click(round, command == QStringLiteral("up") ? "MoveUp" : "MoveDown");
    } else {
        return false;
    }
    return true;
}

QString standing(const Entrant &entrant, double score, double power)
{
    return QStringLiteral("%1 %2 %3").arg(entrant.name()).arg(score).arg(power);
}

QStringList zeroStandings()
{
    return {standing(kA, 0, 0), standing(kB, 0, 0), standing(kC, 0, 0), standing(kD, 0, 0),
            standing(kE, 0, 0)};
}

/// The games as stored: every column, oldest first.
QList<QVariantList> storedGames(const TempInstall &install)
{
    return install.rows(kTourny, QStringLiteral("SELECT * FROM ZuviGame ORDER BY Id"));
}

/// The registration window's lists as "name score(power)", in their order.
QStringList shownStandings(const Throne &throne)
{
    const QStringList names = listTexts(throne.TournyPlayers());
    const QStringList scores = listTexts(throne.PlayerScores());
    QStringList rows;
    for (qsizetype i = 0; i < names.size() && i < scores.size(); ++i)
        rows.append(names.at(i) + QLatin1Char(' ') + scores.at(i));
    return rows;
}

/// The standings table as "name score(power)" in standings order.
QStringList storedStandingsInOrder(const TempInstall &install)
{
    QStringList rows;
    const QList<QVariantList> stored = install.rows(
        kTourny, QStringLiteral("SELECT Name, Score, Power FROM TournyInfo ORDER BY Score DESC, "
                                "Power DESC, Name"));
    for (const QVariantList &row : stored)
        rows.append(QStringLiteral("%1 %2(%3)")
                        .arg(row.at(0).toString())
                        .arg(row.at(1).toDouble())
                        .arg(row.at(2).toDouble()));
    return rows;
}

} // namespace

class TestCorrection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void undo_data();
    void undo();
    void ctrlZInPowerBoxUndoesTyping();
    void amend_data();
    void amend();
};

void TestCorrection::undo_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("list1");
    QTest::addColumn<QStringList>("list2");
    QTest::addColumn<int>("selected");      // game selected afterwards
    QTest::addColumn<QStringList>("panel"); // empty: not checked
    QTest::addColumn<QStringList>("standings");
    QTest::addColumn<QStringList>("messages");

    const QString a = kA.name(), b = kB.name(), c = kC.name(), d = kD.name(), e = kE.name();
    const QString bye = QStringLiteral("Bye");
    const QStringList all1{a, c, e};
    const QStringList all2{b, d, bye};

    QTest::newRow("bye game") << QStringList{"rec|2|Full Win|4|9", "undo"} << all1 << all2 << 2
                              << QStringList{e, bye, "Full Win", "Full Loss", "4", ""}
                              << zeroStandings() << QStringList();
    QTest::newRow("Down, game, undo")
        << QStringList{"down|0", "rec|1|Modified Win|6|2", "undo"} << all1 << QStringList{d, b, bye}
        << 1 << QStringList{c, b, "Modified Win", "Modified Loss", "6", "2"} << zeroStandings()
        << QStringList();
    // The swap after the game moves the bye up; the game comes back at its own seat.
    QTest::newRow("game, Up, undo")
        << QStringList{"rec|0|Full Win|5|3", "up|1", "undo"} << all1 << QStringList{b, bye, d} << 0
        << QStringList{a, b, "Full Win", "Full Loss", "5", "3"} << zeroStandings() << QStringList();
    QTest::newRow("undo twice") << QStringList{"rec|0|Full Win|5|3", "rec|0|Modified Loss|2|7",
                                               "undo", "undo"}
                                << all1 << all2 << 0
                                << QStringList{a, b, "Full Win", "Full Loss", "5", "3"}
                                << zeroStandings() << QStringList();
    QTest::newRow("undo once of two")
        << QStringList{"rec|0|Full Win|5|3", "rec|0|Modified Loss|2|7", "undo"} << QStringList{c, e}
        << QStringList{d, bye} << 0 << QStringList{c, d, "Modified Loss", "Modified Win", "2", "7"}
        << QStringList{standing(kA, 3, 5), standing(kB, 0, 3), standing(kC, 0, 0),
                       standing(kD, 0, 0), standing(kE, 0, 0)}
        << QStringList();
    QTest::newRow("undo, then another result")
        << QStringList{"rec|0|Full Win|5|3", "undo", "rec|0|Full Loss|1|8"} << QStringList{c, e}
        << QStringList{d, bye} << 0 << QStringList()
        << QStringList{standing(kA, 0, 1), standing(kB, 3, 8), standing(kC, 0, 0),
                       standing(kD, 0, 0), standing(kE, 0, 0)}
        << QStringList();
    QTest::newRow("undo, then Game Over as shown")
        << QStringList{"rec|0|Full Win|5|3", "undo", "done"} << QStringList{c, e}
        << QStringList{d, bye} << 0 << QStringList()
        << QStringList{standing(kA, 3, 5), standing(kB, 0, 3), standing(kC, 0, 0),
                       standing(kD, 0, 0), standing(kE, 0, 0)}
        << QStringList();
    QTest::newRow("context menu entry")
        << QStringList{"rec|1|True Draw|4|4", "menu undo"} << all1 << all2 << 1
        << QStringList{c, d, "True Draw", "True Draw", "4", "4"} << zeroStandings()
        << QStringList();
    QTest::newRow("nothing to undo") << QStringList{"undo"} << all1 << all2 << -1 << QStringList()
                                     << zeroStandings() << QStringList{kNoUndo};
    QTest::newRow("nothing left to undo")
        << QStringList{"rec|1|True Draw|4|4", "undo", "undo"} << all1 << all2 << 1
        << QStringList{c, d, "True Draw", "True Draw", "4", "4"} << zeroStandings()
        << QStringList{kNoUndo};
}

void TestCorrection::undo()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, list1);
    QFETCH(QStringList, list2);
    QFETCH(int, selected);
    QFETCH(QStringList, panel);
    QFETCH(QStringList, standings);
    QFETCH(QStringList, messages);

    RoundFixture fixture(kFive);
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    for (const QString &step : std::as_const(steps))
        QVERIFY2(runStep(*round, step), qPrintable(step));

    QCOMPARE(fixture.log.texts(), messages);
    QCOMPARE(listTexts(round->MatchList1()), list1);
    QCOMPARE(listTexts(round->MatchList2()), list2);
    QCOMPARE(Ui::selectedRow(round->MatchList1()), selected);
    if (!panel.isEmpty()) {
        QVERIFY(round->GameFrame()->isVisible());
        QCOMPARE(::panel(*round), panel);
    }
    QCOMPARE(fixture.standings(), standings);
    // What is stored agrees with what is shown: one record per recorded game, each seat
    // marked recorded once.
    const int recorded = 3 - int(list1.size());
    QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), recorded);
    QCOMPARE(fixture.count(QStringLiteral("ZuviSeat WHERE Recorded = 1")), recorded);
    QCOMPARE(fixture.count(QStringLiteral("ZuviSeat")), 3);
}

void TestCorrection::ctrlZInPowerBoxUndoesTyping()
{
    RoundFixture fixture(kFive);
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("3"));
    clickRow(round->MatchList1(), 0);
    auto *power = control<QLineEdit>(*round, "Player1Power");
    power->setFocus();
    power->selectAll();
    QTest::keyClicks(power, QStringLiteral("12"));
    QCOMPARE(power->text(), QStringLiteral("12"));

    QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);

    // The box took back its typing; the recorded game stays recorded.
    QVERIFY(power->text() != QStringLiteral("12"));
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(rowCount(round->MatchList1()), 2);
    QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), 1);

    // The same keys in the match list take the game back.
    round->MatchList1()->setFocus();
    QTest::keyClick(round->MatchList1(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(rowCount(round->MatchList1()), 3);
    QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), 0);
}

void TestCorrection::amend_data()
{
    QTest::addColumn<int>("game"); // row of the dialog's table: round 1's games, oldest first
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("power1");
    QTest::addColumn<QString>("power2");
    QTest::addColumn<QStringList>("messages");
    // (name, score change, power change) of each standings row that changes.
    QTest::addColumn<QList<QVariantList>>("changes");
    QTest::addColumn<QVariantList>("stored"); // Result1, Points1, Power1, Power2; empty: as was

    // Round 1: A-B Full Win 5/3, C-D Modified Win 4/4, E-Bye Full Win 6.
    QTest::newRow("result and powers")
        << 0 << "Full Loss"
        << "2"
        << "6" << QStringList() << QList<QVariantList>{{kA.name(), -3, -3.0}, {kB.name(), 3, 3.0}}
        << QVariantList{"Full Loss", 0, 2.0, 6.0};
    QTest::newRow("powers only") << 1 << "Modified Win"
                                 << "4.5"
                                 << "1" << QStringList()
                                 << QList<QVariantList>{{kC.name(), 0, 0.5}, {kD.name(), 0, -3.0}}
                                 << QVariantList{"Modified Win", 2, 4.5, 1.0};
    QTest::newRow("to a draw") << 1 << "True Draw"
                               << "4"
                               << "4" << QStringList() << QList<QVariantList>{}
                               << QVariantList{"True Draw", 2, 4.0, 4.0};
    QTest::newRow("bye game") << 2 << "Modified Win"
                              << "7"
                              << "" << QStringList() << QList<QVariantList>{{kE.name(), -1, 1.0}}
                              << QVariantList{"Modified Win", 2, 7.0, 0.0};
    QTest::newRow("power 1 not a number")
        << 0 << "Full Loss"
        << "abc"
        << "6" << QStringList{kPleasePower} << QList<QVariantList>{} << QVariantList{};
    QTest::newRow("power 2 with a decimal comma")
        << 1 << "Full Win"
        << "3"
        << "1,5" << QStringList{kPleasePower} << QList<QVariantList>{} << QVariantList{};
    // As in "Game Over", an empty power counts as 0.
    QTest::newRow("power 2 empty")
        << 1 << "Full Win"
        << "3"
        << "" << QStringList() << QList<QVariantList>{{kC.name(), 1, -1.0}, {kD.name(), -1, -4.0}}
        << QVariantList{"Full Win", 3, 3.0, 0.0};
}

void TestCorrection::amend()
{
    QFETCH(int, game);
    QFETCH(QString, result);
    QFETCH(QString, power1);
    QFETCH(QString, power2);
    QFETCH(QStringList, messages);
    QFETCH(QList<QVariantList>, changes);
    QFETCH(QVariantList, stored);

    RoundFixture fixture(kFive);
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("3"));
    recordGame(*round, 0, QStringLiteral("Modified Win"), QStringLiteral("4"), QStringLiteral("4"));
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("6"), QStringLiteral(""));
    click(*round, "EndTourny");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    round = fixture.startRound();
    QVERIFY(round);
    // One game of the open round is recorded too: it is not amended, and stays as it is.
    recordGame(*round, 0, QStringLiteral("Full Loss"), QStringLiteral("1"), QStringLiteral("2"));
    QCOMPARE(fixture.log.texts(), QStringList());

    const QList<QVariantList> standingsBefore = standingsByName(fixture.install);
    const QList<QVariantList> gamesBefore = storedGames(fixture.install);
    QCOMPARE(gamesBefore.size(), 4);
    const QStringList list1 = listTexts(round->MatchList1());
    const QStringList list2 = listTexts(round->MatchList2());
    const QList<QVariantList> seatsBefore =
        fixture.install.rows(kTourny, QStringLiteral("SELECT * FROM ZuviSeat ORDER BY Seat"));

    const QStringList shownBefore = shownStandings(*fixture.throne);

    bool done = false;
    whenDialogOpens("RecordedGamesDialog", [&](QDialog &dialog) {
        auto *table = control<QTableView>(dialog, "RecordedGamesTable");
        if (table->model()->rowCount() != 4)
            return;
        table->selectRow(game);
        auto *amendButton = control<QPushButton>(dialog, "AmendGame");
        if (!amendButton->isEnabled() || control<QPushButton>(dialog, "ReopenGame")->isEnabled())
            return;
        setText(control<QComboBox>(dialog, "AmendResult")->lineEdit(), result);
        auto *box2 = control<QLineEdit>(dialog, "AmendPower2");
        setText(control<QLineEdit>(dialog, "AmendPower1"), power1);
        if (box2->isEnabled())
            setText(box2, power2);
        QTest::mouseClick(amendButton, Qt::LeftButton);
        done = true;
    });
    round->recordedGamesAction()->trigger();
    QVERIFY(done);

    QCOMPARE(fixture.log.texts(), messages);
    // The standings change by the difference for the game's players, and only for them.
    QList<QVariantList> expected = standingsBefore;
    for (QVariantList &row : expected) {
        for (const QVariantList &change : std::as_const(changes)) {
            if (change.at(0) == row.at(0)) {
                row[1] = row.at(1).toDouble() + change.at(1).toDouble();
                row[2] = row.at(2).toDouble() + change.at(2).toDouble();
            }
        }
    }
    const QList<QVariantList> standingsAfter = standingsByName(fixture.install);
    QCOMPARE(standingsAfter.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(standingsAfter.at(i).at(0), expected.at(i).at(0));
        QCOMPARE(standingsAfter.at(i).at(1).toDouble(), expected.at(i).at(1).toDouble());
        QCOMPARE(standingsAfter.at(i).at(2).toDouble(), expected.at(i).at(2).toDouble());
    }
    // Only the amended record changes; the round being played is not paired again.
    QList<QVariantList> gamesExpected = gamesBefore;
    if (!stored.isEmpty()) {
        // Columns: Id, Round, Pairing, Seat, Player1, Player2, Result1, Points1, Power1, Power2.
        for (int i = 0; i < 4; ++i)
            gamesExpected[game][6 + i] = stored.at(i);
    }
    const QList<QVariantList> gamesAfter = storedGames(fixture.install);
    QCOMPARE(gamesAfter.size(), gamesExpected.size());
    for (qsizetype i = 0; i < gamesExpected.size(); ++i) {
        for (int column = 0; column < 10; ++column) {
            if (column >= 8)
                QCOMPARE(gamesAfter.at(i).at(column).toDouble(),
                         gamesExpected.at(i).at(column).toDouble());
            else
                QCOMPARE(gamesAfter.at(i).at(column).toString(),
                         gamesExpected.at(i).at(column).toString());
        }
    }
    QCOMPARE(listTexts(round->MatchList1()), list1);
    QCOMPARE(listTexts(round->MatchList2()), list2);
    QCOMPARE(fixture.install.rows(kTourny, QStringLiteral("SELECT * FROM ZuviSeat ORDER BY Seat")),
             seatsBefore);
    // The registration window shows the standings as they now are; a refusal leaves it.
    if (messages.isEmpty())
        QCOMPARE(shownStandings(*fixture.throne), storedStandingsInOrder(fixture.install));
    else
        QCOMPARE(shownStandings(*fixture.throne), shownBefore);
}

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
