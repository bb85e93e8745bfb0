// Results reported from the tables, as the organiser meets them: the options on the
// context menus, the player cards with their personal codes (and a lost card's new code),
// the marked rows of the round window with "Take the report" (F8) and "Reject the reports"
// (Shift+F8), the reports refused for a wrong code, and the drop requests settled in the
// registration window.

#include "support/childprocess.h"
#include "support/roundfixture.h"

#include "publish/documents.h"
#include "publish/pagecode.h"
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
#include <QTemporaryDir>
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
    void cardsCarryEachEntrantsOwnCode_data();
    void cardsCarryEachEntrantsOwnCode();
    void aLostCardGetsANewCode();
    void refusedReportsAreMarkedAtTheirTable();
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

/// Cards and documents written as PDF into dir, with the organiser's choices answered.
struct CardsToPdf
{
    explicit CardsToPdf(const QString &path)
    {
        Publish::PublishDialogs dialogs;
        dialogs.chooseCardsPdf = [](QWidget *) { return std::optional<bool>(true); };
        dialogs.chooseCardsFile = [path](QWidget *) { return path; };
        previous = Publish::setPublishDialogs(dialogs);
    }
    ~CardsToPdf() { Publish::setPublishDialogs(previous); }
    Q_DISABLE_COPY_MOVE(CardsToPdf)
    Publish::PublishDialogs previous;
};

void TestReportsDesk::cardsCarryEachEntrantsOwnCode_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("says");
    QTest::newRow("the page served on the network: each card has its link")
        << "http://192.168.1.20:8080/"
        << "http://192.168.1.20:8080/p/{code}";
    QTest::newRow("the page not served: the card says so")
        << ""
        << "was not on the network when this card was printed";
}

void TestReportsDesk::cardsCarryEachEntrantsOwnCode()
{
    QFETCH(QString, address);
    QFETCH(QString, says);
    RoundFixture f({kA, kB, kC, kD});
    Publish::PageAddress::instance().setAddress(address);
    const auto unset = qScopeGuard([] { Publish::PageAddress::instance().setAddress(QString()); });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cards.pdf"));
    CardsToPdf choices(path);
    // Before the start, the cards give every entrant a code.
    auto *cards = f.throne->findChild<QAction *>(QStringLiteral("PlayerCards"));
    QVERIFY(cards);
    QCOMPARE(cards->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    cards->trigger();
    TournamentProgress &model = *f.throne->progress();
    const QString text = pdfText(path);
    for (const Entrant &entrant : {kA, kB, kC, kD}) {
        const QString code = model.playerCode(entrant.name());
        QCOMPARE(code.size(), Progress::kPersonalCodeLength);
        QVERIFY2(text.contains(entrant.name()), qPrintable(text));
        QVERIFY2(text.contains(Progress::groupedCode(code)), qPrintable(text));
        if (!address.isEmpty()) {
            QString link = says;
            QVERIFY2(text.contains(link.replace(QStringLiteral("{code}"), code)), qPrintable(text));
        }
    }
    if (address.isEmpty())
        QVERIFY2(text.simplified().contains(says), qPrintable(text));
    // The round window's menu has the command too; the slips carry no code of anyone's.
    Tournament *round = f.startRound();
    QVERIFY(round);
    QVERIFY(round->findChild<QAction *>(QStringLiteral("PlayerCards")));
    model.setTakeReports(true);
    const QString slips = dir.filePath(QStringLiteral("slips.pdf"));
    QVERIFY(
        !Publish::writePdf(Publish::DocumentKind::MatchSlips, Publish::takeSnapshot(model), slips));
    const QString slipText = pdfText(slips);
    QVERIFY(slipText.contains(kA.name()));
    for (const Entrant &entrant : {kA, kB, kC, kD})
        QVERIFY(!slipText.contains(Progress::groupedCode(model.playerCode(entrant.name()))));
}

void TestReportsDesk::aLostCardGetsANewCode()
{
    RoundFixture f({kA, kB, kC, kD});
    TournamentProgress &model = *f.throne->progress();
    model.ensurePlayerCodes();
    const QString lost = model.playerCode(kB.name());
    auto *renew = f.throne->findChild<QAction *>(QStringLiteral("NewPlayerCode"));
    QVERIFY(renew);
    QVERIFY(f.throne->TournyPlayers()->actions().contains(renew));
    // Nothing selected: said so, nothing changed.
    f.throne->TournyPlayers()->clearSelection();
    f.throne->TournyPlayers()->setCurrentIndex({});
    renew->trigger();
    QCOMPARE(f.log.last(), QStringLiteral("Please select a player"));
    // Asked, and answered No: the code stays.
    Ui::selectRow(f.throne->TournyPlayers(), 1);
    f.log.setAnswer(false);
    renew->trigger();
    QCOMPARE(f.log.questions().last(),
             QStringLiteral("Give %1 a new personal code? The code on %1's card stops working at "
                            "once.")
                 .arg(kB.name()));
    QCOMPARE(model.playerCode(kB.name()), lost);
    // Yes: a new code, the old one refused, and the new card printed at once.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.pdf"));
    CardsToPdf choices(path);
    f.log.setAnswer(true);
    renew->trigger();
    const QString renewed = model.playerCode(kB.name());
    QVERIFY(renewed != lost);
    QCOMPARE(model.ownerOfCode(lost), QString());
    QCOMPARE(model.ownerOfCode(renewed), kB.name());
    const QString text = pdfText(path);
    QVERIFY2(text.contains(Progress::groupedCode(renewed)), qPrintable(text));
    QVERIFY(!text.contains(kA.name()));
    // The others keep theirs; the tournament's file keeps them all for a resume.
    QVERIFY(!model.playerCode(kA.name()).isEmpty());
    TournamentProgress again;
    QVERIFY(again.loadStored());
    again.resume();
    for (const Entrant &entrant : {kA, kB, kC, kD})
        QCOMPARE(again.playerCode(entrant.name()), model.playerCode(entrant.name()));
}

void TestReportsDesk::refusedReportsAreMarkedAtTheirTable()
{
    RoundFixture f({kA, kB, kC, kD});
    check(*f.throne, "TakeReports");
    Tournament *round = f.startRound();
    QVERIFY(round);
    TournamentProgress &model = *f.throne->progress();
    Progress::ReportRequest wrong;
    wrong.code = QStringLiteral("ACDEFGHJK");
    wrong.table = 2;
    wrong.result1 = QStringLiteral("Full Win");
    wrong.power1 = wrong.power2 = QStringLiteral("1");
    QCOMPARE(model.takeReport(wrong), TournamentProgress::ReportOutcome::WrongCode);
    QCOMPARE(model.takeReport(wrong), TournamentProgress::ReportOutcome::WrongCode);
    QListView *list = round->MatchList1();
    QCOMPARE(noteOf(list, 0), QString());
    QCOMPARE(noteOf(list, 1), QStringLiteral("2 reports refused for a wrong code"));
    QCOMPARE(list->model()->index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             Ui::TextListModel::notedBackground());
    // Its players still report with their own codes; "Recorded games…" keeps the count.
    QCOMPARE(send(model, 2, 1, "Full Win", "4", "1"), TournamentProgress::ReportOutcome::Taken);
    QCOMPARE(send(model, 2, 2, "Full Win", "4", "1"), TournamentProgress::ReportOutcome::Recorded);
    RecordedGamesDialog dialog(&model, round);
    auto *table = control<QTableView>(dialog, "RecordedGamesTable");
    const int last = table->model()->columnCount() - 1;
    QVERIFY2(table->model()->index(0, last).data().toString().endsWith(
                 QStringLiteral("; 2 reports refused for a wrong code")),
             qPrintable(table->model()->index(0, last).data().toString()));
    // No page is served: no phone waits, and the round window's command says so.
    const QList<QAction *> menu = round->MatchList1()->actions();
    const auto lift = std::find_if(menu.cbegin(), menu.cend(), [](const QAction *action) {
        return action->objectName() == QLatin1String("LiftWaits");
    });
    QVERIFY(lift != menu.cend());
    (*lift)->trigger();
    QCOMPARE(f.log.last(), QStringLiteral("No phone waits after wrong codes."));
}

QTEST_MAIN(TestReportsDesk)
#include "tst_reportsdesk.moc"
