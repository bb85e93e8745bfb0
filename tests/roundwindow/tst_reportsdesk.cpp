// Results reported from the tables, as the organiser meets them: the options on the
// context menus, the table codes on the slips, the marked rows of the round window with
// "Take the report" (F8) and "Reject the reports" (Shift+F8), and the drop requests settled
// in the registration window.

#include "support/roundfixture.h"

#include "publish/publishactions.h"
#include "registration/throne.h"
#include "roundwindow/recordedgames.h"
#include "roundwindow/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"
#include "ui/textlistmodel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QList<Entrant> kSix{
    kA, kB, kC, kD, kE, {QStringLiteral("Fay"), QStringLiteral("Fox"), QStringLiteral("Tully")}};

/// Sends a report of a table's first or second player as the page does, with that player's
/// personal code.
TournamentProgress::ReportOutcome send(TournamentProgress &model, int table, int reporter,
                                       const QString &result, const QString &power1,
                                       const QString &power2)
{
    const Progress::Seat &seat = model.seats().at(table - 1);
    Progress::ReportRequest report;
    report.table = table;
    report.code = model.playerCode(reporter == 1 ? seat.player1 : seat.player2);
    report.result1 = result;
    report.power1 = power1;
    report.power2 = power2;
    return model.takeReport(report);
}

QString noteOf(const QAbstractItemView *list, int row, int role = Qt::ToolTipRole)
{
    return list->model()->index(row, 0).data(role).toString();
}

/// Turns a checkable command of the registration window's context menu on.
void check(Throne &throne, const char *name)
{
    auto *action = throne.findChild<QAction *>(QLatin1String(name));
    QVERIFY2(action, name);
    QVERIFY(action->isCheckable());
    QVERIFY(!action->isChecked()); // every new option starts off
    action->trigger();
}

} // namespace

class TestReportsDesk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportedGamesAreMarkedAndTakenAtTheDesk();
    void dropRequestsAreSettledAtRegistration();
};

void TestReportsDesk::reportedGamesAreMarkedAndTakenAtTheDesk()
{
    RoundFixture f(kSix);
    check(*f.throne, "TakeReports");
    check(*f.throne, "ConfirmReports");
    Tournament *round = f.startRound();
    QVERIFY(round);
    TournamentProgress &model = *f.throne->progress();
    QVERIFY(model.takeReports() && model.confirmReports());
    QListView *list = round->MatchList1();

    // Table 1: both agree (waiting for the desk). Table 2: one report. Table 3: they differ.
    QCOMPARE(send(model, 1, 1, "Full Win", "5", "2"), TournamentProgress::ReportOutcome::Taken);
    QCOMPARE(send(model, 1, 2, "Full Win", "5", "2"), TournamentProgress::ReportOutcome::Taken);
    QCOMPARE(send(model, 2, 2, "Modified Loss", "2", "4"),
             TournamentProgress::ReportOutcome::Taken);
    QCOMPARE(send(model, 3, 1, "True Draw", "3", "3"), TournamentProgress::ReportOutcome::Taken);
    QCOMPARE(send(model, 3, 2, "Full Loss", "0", "6"), TournamentProgress::ReportOutcome::Taken);
    QVERIFY2(noteOf(list, 0).startsWith(QStringLiteral("Both reports agree")),
             qPrintable(noteOf(list, 0)));
    QVERIFY(noteOf(list, 1).startsWith(QStringLiteral("Reported: ")));
    QVERIFY(noteOf(list, 2).startsWith(QStringLiteral("The reports differ: ")));
    QCOMPARE(noteOf(round->MatchList2(), 2), noteOf(list, 2));
    // Colour is not the only sign: a screen reader reads the note after the name.
    QVERIFY(noteOf(list, 1, Qt::AccessibleTextRole).contains(QStringLiteral("Reported: ")));
    QCOMPARE(list->model()->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             Ui::TextListModel::notedBackground());
    QCOMPARE(model.games().size(), 0);

    // F8 on table 1 records the agreed report; the next game takes the keyboard.
    Ui::selectRow(list, 0);
    QTest::keyClick(round, Qt::Key_F8);
    QCOMPARE(model.games().size(), 1);
    QCOMPARE(model.games().first().result1, QStringLiteral("Full Win"));
    QCOMPARE(model.games().first().power1, 5.0);
    QCOMPARE(Ui::selectedRow(list), 0);
    QVERIFY(noteOf(list, 0).startsWith(QStringLiteral("Reported: ")));

    // F8 on a single report fills the panel; "Game Over" records it as checked.
    QTest::keyClick(round, Qt::Key_F8);
    QCOMPARE(model.games().size(), 1);
    QCOMPARE(control<QComboBox>(*round, "Player1Win")->currentText(),
             QStringLiteral("Modified Loss"));
    QCOMPARE(control<QLineEdit>(*round, "Player1Power")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLineEdit>(*round, "Player2Power")->text(), QStringLiteral("4"));
    click(*round, "GameDone");
    QCOMPARE(model.games().size(), 2);
    QCOMPARE(model.games().last().result1, QStringLiteral("Modified Loss"));

    // Shift+F8 rejects the differing reports of table 3; its row is plain again.
    Ui::selectRow(list, 0);
    QVERIFY(noteOf(list, 0).startsWith(QStringLiteral("The reports differ")));
    QTest::keyClick(round, Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(noteOf(list, 0), QString());
    QCOMPARE(model.games().size(), 2);
    // F8 with nothing reported says so.
    QTest::keyClick(round, Qt::Key_F8);
    QCOMPARE(f.log.last(), QStringLiteral("No result has been reported from table 3."));

    // "Recorded games…" gives each table's reports with what became of them.
    {
        RecordedGamesDialog dialog(&model, round);
        auto *table = control<QTableView>(dialog, "RecordedGamesTable");
        const int last = table->model()->columnCount() - 1;
        QCOMPARE(table->model()->headerData(last, Qt::Horizontal).toString(),
                 QStringLiteral("Reports"));
        QCOMPARE(table->model()->index(0, last).data().toString(),
                 QStringLiteral("Adams, Ann: Full Win for Adams, Ann, 5 to 2 (recorded); Baker, "
                                "Bob: Full Win for Adams, Ann, 5 to 2 (recorded)"));
        QVERIFY(table->model()->index(1, last).data().toString().endsWith(
            QStringLiteral("(replaced)")));
    }

    // The commands show their keys in the lists' menu.
    QVERIFY(list->actions().contains(round->takeReportAction()));
    QCOMPARE(round->takeReportAction()->shortcut(), QKeySequence(Qt::Key_F8));
}

void TestReportsDesk::dropRequestsAreSettledAtRegistration()
{
    RoundFixture f({kA, kB, kC, kD});
    QVERIFY(f.startRound());
    TournamentProgress &model = *f.throne->progress();
    auto *drops = f.throne->findChild<QAction *>(QStringLiteral("DropRequests"));
    QVERIFY(drops);
    drops->trigger();
    QCOMPARE(f.log.last(), QStringLiteral("No player has asked to drop."));

    model.setTakeReports(true);
    Progress::ReportRequest request;
    request.code = model.playerCode(model.seats().at(0).player2);
    request.drop = true;
    QCOMPARE(model.takeReport(request), TournamentProgress::ReportOutcome::Taken);
    // The entrant's row is marked in the registration window (its score list keeps every
    // entrant during the first round).
    const QString name = kB.name();
    const int row = int(std::find_if(model.entrants().cbegin(), model.entrants().cend(),
                                     [&](const Progress::Entrant &e) { return e.name == name; }) -
                        model.entrants().cbegin());
    QVERIFY(noteOf(f.throne->PlayerScores(), row).contains(QStringLiteral("asks to drop")));

    // Declined: the request goes, the entrant stays.
    f.log.setAnswer(false);
    drops->trigger();
    QCOMPARE(
        f.log.questions().last(),
        QStringLiteral("%1 asks from the table to drop out of the tournament. Drop %1?").arg(name));
    QVERIFY(model.dropRequests().isEmpty());
    QVERIFY(!model.entrants().at(row).dropped);
    QCOMPARE(noteOf(f.throne->PlayerScores(), row), QString());

    // Asked again and confirmed: dropped as "Remove From Tournament" drops.
    QCOMPARE(model.takeReport(request), TournamentProgress::ReportOutcome::Taken);
    f.log.setAnswer(true);
    drops->trigger();
    QVERIFY(model.entrants().at(row).dropped);
    QVERIFY(model.dropRequests().isEmpty());
}

QTEST_MAIN(TestReportsDesk)
#include "tst_reportsdesk.moc"
