// The history window: the club's tournaments newest first, one shown with its standings and
// games, renamed (a bad name refused), deleted after a question, the league over them (by
// dates or chosen one by one), what the tab shows as PDF, CSV and on a big screen, and
// reached from the registration window's menu.

#include "support/childprocess.h"
#include "support/testsupport.h"
#include "support/windowdrivers.h"

#include "data/dbconnection.h"
#include "data/schema.h"
#include "history/archiveaccess.h"
#include "history/playerrecord.h"
#include "historywindow/historydialog.h"
#include "playereditor/playerinfo.h"
#include "publish/bigscreen.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

History::ArchivedTournament sample(const QString &name, const QDate &played,
                                   const QStringList &standings)
{
    History::ArchivedTournament t;
    t.name = name;
    t.played = played;
    t.rounds = 2;
    int rank = 0;
    for (const QString &entrant : standings)
        t.entrants.append(
            {entrant, QStringLiteral("Stark"), 0, ++rank, double(9 - 3 * rank), 1.5, false});
    t.games.append({1, 1, standings.at(0), standings.at(1), QStringLiteral("Full Win"), 3, 4, 1});
    t.games.append(
        {1, 2, standings.at(2), QStringLiteral("Bye"), QStringLiteral("Full Win"), 3, 0, 0});
    return t;
}

QStringList column(const QTableWidget *table, int c)
{
    QStringList texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts.append(table->item(r, c) ? table->item(r, c)->text() : QString());
    return texts;
}

void showLeagueTab(QWidget &dialog)
{
    control<QTabWidget>(dialog, "HistoryTabs")->setCurrentIndex(2);
}

/// Answers the next modal input dialog with text, then OK.
void answerInput(const QString &text)
{
    QTimer::singleShot(0, qApp, [text] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTest::qFail("no input dialog", __FILE__, __LINE__);
            return;
        }
        dialog->setTextValue(text);
        dialog->accept();
    });
}

} // namespace

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savingUnderAnotherLeaguesNameAsksFirst_data();
    void savingUnderAnotherLeaguesNameAsksFirst();
    void listsShowsRenamesAndDeletes();
    void openedFromTheRegistrationWindow();
    void playerRecordFromTheLists();
    void pastTournamentIsAdded();
    void leaguesChosenOneByOne();
    void tabShownLeavesAsADocument();
    void historyOfTwoRecordsIsMerged();
    void leaguesAreKept();
};

void TestHistoryWindow::listsShowsRenamesAndDeletes()
{
    TempInstall install;
    MessageLog messages;
    const History::ArchiveAccess archive(std::nullopt);
    archive.add(sample(QStringLiteral("Autumn"), QDate(2026, 10, 1), {"Ada", "Bob", "Cy"}));
    archive.add(sample(QStringLiteral("Winter"), QDate(2026, 12, 3), {"Dee", "Eve", "Fay"}));

    HistoryDialog dialog(archive);
    dialog.show();
    auto *list = control<QTableWidget>(dialog, "HistoryTournaments");
    QCOMPARE(column(list, 1), (QStringList{"Winter", "Autumn"}));
    QCOMPARE(column(list, 0), (QStringList{"2026-12-03", "2026-10-01"}));
    QCOMPARE(column(list, 2), (QStringList{"3", "3"}));
    QCOMPARE(column(list, 3), (QStringList{"Dee", "Ada"}));

    // The one selected shows its standings and games.
    list->selectRow(1);
    auto *standings = control<QTableWidget>(dialog, "HistoryStandings");
    QCOMPARE(column(standings, 1), (QStringList{"Ada", "Bob", "Cy"}));
    QCOMPARE(column(standings, 0), (QStringList{"1", "2", "3"}));
    auto *games = control<QTableWidget>(dialog, "HistoryGames");
    QCOMPARE(column(games, 3), (QStringList{"Bob", "Bye"}));
    QCOMPARE(column(games, 6), (QStringList{"1", ""})); // the bye has no power 2

    // A blank name is refused and changes nothing; a name is kept as typed.
    answerInput(QStringLiteral("   "));
    click(dialog, "HistoryRename");
    QCOMPARE(messages.last(), QStringLiteral("Please enter a name of 1 to 200 letters."));
    QCOMPARE(archive.list().last().name, QStringLiteral("Autumn"));
    answerInput(QStringLiteral(" Autumn \"Cup\" d'Or "));
    click(dialog, "HistoryRename");
    QCOMPARE(archive.list().last().name, QStringLiteral("Autumn \"Cup\" d'Or"));
    QCOMPARE(column(list, 1).last(), QStringLiteral("Autumn \"Cup\" d'Or"));

    // Delete asks first; No keeps it, Yes removes it.
    list->selectRow(0);
    messages.setAnswer(false);
    click(dialog, "HistoryDelete");
    QCOMPARE(messages.questions().last(),
             QStringLiteral("Delete \"Winter\" of 2026-12-03 from the history? This cannot be "
                            "undone."));
    QCOMPARE(archive.list().size(), 2);
    messages.setAnswer(true);
    click(dialog, "HistoryDelete");
    QCOMPARE(archive.list().size(), 1);
    QCOMPARE(column(list, 1), (QStringList{"Autumn \"Cup\" d'Or"}));

    // The league over the tournaments shown, made when its tab is first shown.
    auto *league = control<QTableWidget>(dialog, "LeagueTable");
    QCOMPARE(league->rowCount(), 0);
    showLeagueTab(dialog);
    QCOMPARE(column(league, 1), (QStringList{"Ada", "Bob", "Cy"}));
    QCOMPARE(column(league, 2), (QStringList{"6", "3", "0"}));
    control<QComboBox>(dialog, "LeagueScheme")->setCurrentIndex(1);
    QCOMPARE(column(league, 2), (QStringList{"10", "8", "6"}));
}

void TestHistoryWindow::openedFromTheRegistrationWindow()
{
    TempInstall install;
    MessageLog messages;
    History::ArchiveAccess(std::nullopt)
        .add(sample(QStringLiteral("Autumn"), QDate(2026, 10, 1), {"Ada", "Bob", "Cy"}));
    Throne throne(new TournamentProgress);
    throne.show();
    QAction *history = throne.findChild<QAction *>(QStringLiteral("History"));
    QVERIFY(history);
    QCOMPARE(history->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    bool shown = false;
    whenDialogOpens("HistoryDialog", [&](QDialog &dialog) {
        shown = column(control<QTableWidget>(dialog, "HistoryTournaments"), 1) ==
                QStringList{QStringLiteral("Autumn")};
    });
    history->trigger();
    QVERIFY(shown);
}

void TestHistoryWindow::playerRecordFromTheLists()
{
    TempInstall install;
    MessageLog messages;
    storePlayers(install, {{"Ada", "Lovelace", "Stark"}, {"Alan", "Turing", "Tully"}});
    // Stored player 1 won an archived evening against stored player 2.
    History::ArchivedTournament evening;
    evening.name = QStringLiteral("Autumn");
    evening.played = QDate(2026, 10, 1);
    evening.entrants = {{"Lovelace, Ada", "Stark", 1, 1, 3, 5, false},
                        {"Turing, Alan", "Tully", 2, 2, 0, 1, false}};
    evening.games = {{1, 1, "Lovelace, Ada", "Turing, Alan", "Full Win", 3, 5, 1}};
    History::ArchiveAccess(std::nullopt).add(evening);

    Throne throne(new TournamentProgress);
    throne.show();
    QAction *stored = throne.findChild<QAction *>(QStringLiteral("StoredPlayerRecord"));
    QVERIFY(stored);
    // Nothing selected: said so.
    stored->trigger();
    QCOMPARE(messages.last(), QStringLiteral("Please select a player"));
    clickRow(throne.StoredPlayers(), 0);
    QString summary;
    QStringList opponents;
    whenDialogOpens("PlayerRecordDialog", [&](QDialog &dialog) {
        summary = control<QLabel>(dialog, "PlayerRecordSummary")->text();
        opponents = column(control<QTableWidget>(dialog, "PlayerRecordHeadToHead"), 0);
    });
    stored->trigger();
    QCOMPARE(summary, QStringLiteral("1 tournament; 1 won, 0 drawn, 0 lost, 0 byes; 3 points. "
                                     "Houses: Stark."));
    QCOMPARE(opponents, QStringList{QStringLiteral("Turing, Alan")});

    // From the player editor: the record shown (the second), and the history.
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    editor->showPlayer(2);
    summary.clear();
    whenDialogOpens("PlayerRecordDialog", [&](QDialog &dialog) {
        summary = control<QLabel>(dialog, "PlayerRecordSummary")->text();
    });
    editor->findChild<QAction *>(QStringLiteral("EditorPlayerRecord"))->trigger();
    QVERIFY2(summary.startsWith(QStringLiteral("1 tournament; 0 won, 0 drawn, 1 lost")),
             qPrintable(summary));
    bool history = false;
    whenDialogOpens("HistoryDialog", [&](QDialog &) { history = true; });
    editor->findChild<QAction *>(QStringLiteral("EditorHistory"))->trigger();
    QVERIFY(history);
}

void TestHistoryWindow::pastTournamentIsAdded()
{
    TempInstall install;
    MessageLog messages;
    storePlayers(install, {{"Ada", "Lovelace", "Stark"}});
    // A tournament file of an earlier season: its standings only.
    QTemporaryDir dir;
    const QString past = dir.filePath(QStringLiteral("Tourny.db"));
    {
        Data::DbConnection file(Data::DbConnection::AtPath{past, true});
        file.exec(Data::createTournyTable());
        file.execForEach(QStringLiteral("INSERT INTO TournyInfo VALUES (?, ?, ?, ?)"),
                         {{QStringLiteral("Turing, Alan"), QStringLiteral("Tully"), 6, 9.5},
                          {QStringLiteral("Lovelace, Ada"), QStringLiteral("Stark"), 6, 9.5},
                          {QStringLiteral("Hopper, Grace"), QStringLiteral("Arryn"), 3, 2.0}});
    }
    const QString damaged = dir.filePath(QStringLiteral("damaged.db"));
    {
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const History::ArchiveAccess archive(std::nullopt);
    HistoryDialog dialog(archive);

    // A date that is none, and a file that is none: refused, nothing added.
    answerInput(QStringLiteral("14/03/2025"));
    dialog.addPastTournament(past);
    QVERIFY(messages.last().startsWith(QStringLiteral("Please enter the date as YYYY-MM-DD")));
    answerInput(QStringLiteral("2025-03-14"));
    dialog.addPastTournament(damaged);
    QVERIFY2(messages.last().contains(QStringLiteral("cannot be added")),
             qPrintable(messages.last()));
    QVERIFY(archive.list().isEmpty());

    answerInput(QStringLiteral("2025-03-14"));
    dialog.addPastTournament(past);
    const QList<History::ArchivedTournament> list = archive.list();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().played, QDate(2025, 3, 14));
    QCOMPARE(list.first().name, QStringLiteral("Tournament of 14 March 2025"));
    // Ranked as the printed standings rank them; the stored player found by name.
    QCOMPARE(list.first().entrants.at(0).rank, 1);
    QCOMPARE(list.first().entrants.at(1).rank, 1);
    QCOMPARE(list.first().entrants.at(2).rank, 3);
    QCOMPARE(list.first().entrants.at(0).name, QStringLiteral("Lovelace, Ada"));
    QCOMPARE(list.first().entrants.at(0).playerId, 1);
    QCOMPARE(list.first().entrants.at(1).playerId, 0);
    QCOMPARE(column(control<QTableWidget>(dialog, "HistoryTournaments"), 1),
             QStringList{QStringLiteral("Tournament of 14 March 2025")});
}

void TestHistoryWindow::savingUnderAnotherLeaguesNameAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps the league there was") << false;
    QTest::newRow("Yes replaces it") << true;
}

void TestHistoryWindow::savingUnderAnotherLeaguesNameAsksFirst()
{
    // A new league saved under a kept league's name once replaced it without a word.
    QFETCH(bool, answer);
    TempInstall install;
    MessageLog messages;
    const History::ArchiveAccess archive(std::nullopt);
    archive.add(sample(QStringLiteral("Autumn"), QDate(2026, 10, 1), {"Ada", "Bob", "Cy"}));
    archive.add(sample(QStringLiteral("Spring"), QDate(2027, 3, 3), {"Bob", "Ada", "Cy"}));
    HistoryDialog dialog(archive);
    showLeagueTab(dialog);
    dialog.show();
    auto *from = control<QDateEdit>(dialog, "LeagueFrom");
    from->setDate(QDate(2026, 9, 1));
    answerInput(QStringLiteral("Winter"));
    click(dialog, "LeagueSave");
    QCOMPARE(archive.leagues().size(), 1);
    // Saved again under its own name: no question.
    answerInput(QStringLiteral("Winter"));
    click(dialog, "LeagueSave");
    QCOMPARE(messages.questions(), QStringList());

    // A new league (from "Every tournament") under the same name.
    auto *choice = control<QComboBox>(dialog, "LeagueChoice");
    choice->setCurrentIndex(0);
    Q_EMIT choice->activated(0);
    from->setDate(QDate(2027, 1, 1));
    messages.setAnswer(answer);
    answerInput(QStringLiteral("Winter"));
    click(dialog, "LeagueSave");
    QCOMPARE(messages.questions(),
             QStringList{QStringLiteral(
                 "A league named \"Winter\" is kept already. Replace it with this one?")});
    QVERIFY(messages.questionDefaults().constLast() == Ui::DefaultAnswer::No);
    const QList<History::League> kept = archive.leagues();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().from, answer ? QDate(2027, 1, 1) : QDate(2026, 9, 1));
}

void TestHistoryWindow::leaguesAreKept()
{
    TempInstall install;
    MessageLog messages;
    const History::ArchiveAccess archive(std::nullopt);
    archive.add(sample(QStringLiteral("Autumn"), QDate(2026, 10, 1), {"Ada", "Bob", "Cy"}));
    archive.add(sample(QStringLiteral("Winter"), QDate(2026, 12, 3), {"Cy", "Bob", "Ada"}));
    archive.add(sample(QStringLiteral("Spring"), QDate(2027, 3, 3), {"Bob", "Ada", "Cy"}));

    {
        HistoryDialog dialog(archive);
        showLeagueTab(dialog);
        dialog.show();
        auto *league = control<QTableWidget>(dialog, "LeagueTable");
        // Every tournament at first: each player played all three.
        QCOMPARE(column(league, 3), (QStringList{"3", "3", "3"}));
        control<QDateEdit>(dialog, "LeagueFrom")->setDate(QDate(2026, 11, 1));
        control<QComboBox>(dialog, "LeagueScheme")->setCurrentIndex(1);
        auto *placement = control<QLineEdit>(dialog, "LeaguePlacement");

        // A bad placement table or a first day after the last is refused; nothing is kept.
        placement->setText(QStringLiteral("5, -1"));
        click(dialog, "LeagueSave");
        QVERIFY(messages.last().startsWith(QStringLiteral("Please enter the placement points")));
        placement->setText(QStringLiteral("5, 2"));
        control<QDateEdit>(dialog, "LeagueTo")->setDate(QDate(2026, 10, 1));
        click(dialog, "LeagueSave");
        QCOMPARE(messages.last(), QStringLiteral("The league's first day comes after its last."));
        answerInput(QStringLiteral("   "));
        control<QDateEdit>(dialog, "LeagueTo")->setDate(QDate(2027, 12, 31));
        click(dialog, "LeagueSave");
        QCOMPARE(messages.last(), QStringLiteral("Please enter a name of 1 to 200 letters."));
        QVERIFY(archive.leagues().isEmpty());

        QCOMPARE(column(league, 1), (QStringList{"Bob", "Cy", "Ada"}));
        QCOMPARE(column(league, 2), (QStringList{"7", "5", "2"}));
        answerInput(QStringLiteral(" Club \"League\" d'hiver "));
        click(dialog, "LeagueSave");
    }
    const QList<History::League> kept = archive.leagues();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().name, QStringLiteral("Club \"League\" d'hiver"));
    QCOMPARE(kept.first().scheme.placementPoints, (QList<double>{5, 2}));

    // Chosen again in a new window, it shows its dates and scheme; deleting asks first.
    HistoryDialog dialog(archive);
    showLeagueTab(dialog);
    dialog.show();
    auto *choice = control<QComboBox>(dialog, "LeagueChoice");
    QCOMPARE(choice->count(), 2);
    choice->setCurrentIndex(1);
    Q_EMIT choice->activated(1);
    QCOMPARE(control<QDateEdit>(dialog, "LeagueFrom")->date(), QDate(2026, 11, 1));
    QCOMPARE(control<QLineEdit>(dialog, "LeaguePlacement")->text(), QStringLiteral("5, 2"));
    QCOMPARE(column(control<QTableWidget>(dialog, "LeagueTable"), 2), (QStringList{"7", "5", "2"}));
    messages.setAnswer(false);
    click(dialog, "LeagueDelete");
    QCOMPARE(archive.leagues().size(), 1);
    messages.setAnswer(true);
    click(dialog, "LeagueDelete");
    QVERIFY(archive.leagues().isEmpty());
    QCOMPARE(choice->count(), 1);
    QCOMPARE(archive.list().size(), 3); // its tournaments stay
}

void TestHistoryWindow::leaguesChosenOneByOne()
{
    TempInstall install;
    MessageLog messages;
    const History::ArchiveAccess archive(std::nullopt);
    archive.add(sample(QStringLiteral("January"), QDate(2027, 1, 6), {"Ada", "Bob", "Cy"}));
    archive.add(sample(QStringLiteral("February"), QDate(2027, 2, 3), {"Bob", "Cy", "Ada"}));
    archive.add(sample(QStringLiteral("April"), QDate(2027, 4, 7), {"Cy", "Bob", "Ada"}));
    {
        HistoryDialog dialog(archive);
        showLeagueTab(dialog);
        dialog.show();
        auto *league = control<QTableWidget>(dialog, "LeagueTable");
        auto *tournaments = control<QListWidget>(dialog, "LeagueTournaments");
        QCOMPARE(tournaments->count(), 3);
        // By dates, the ticks follow the dates and cannot be changed by hand.
        control<QDateEdit>(dialog, "LeagueFrom")->setDate(QDate(2027, 2, 1));
        QCOMPARE(tournaments->item(2)->checkState(), Qt::Unchecked); // January
        QVERIFY(!(tournaments->item(0)->flags() & Qt::ItemIsUserCheckable));

        // One by one: it starts from what the dates took; January and April only.
        control<QComboBox>(dialog, "LeagueChoosing")->setCurrentIndex(1);
        QVERIFY(!control<QDateEdit>(dialog, "LeagueFrom")->isEnabled());
        QCOMPARE(tournaments->item(0)->checkState(), Qt::Checked);
        tournaments->item(1)->setCheckState(Qt::Unchecked);
        tournaments->item(0)->setCheckState(Qt::Unchecked);
        // Nothing ticked is refused when kept.
        click(dialog, "LeagueSave");
        QCOMPARE(messages.last(), QStringLiteral("Please tick the tournaments of the league."));
        QVERIFY(archive.leagues().isEmpty());
        tournaments->item(0)->setCheckState(Qt::Checked);
        tournaments->item(2)->setCheckState(Qt::Checked);
        control<QComboBox>(dialog, "LeagueScheme")->setCurrentIndex(1);
        control<QLineEdit>(dialog, "LeaguePlacement")->setText(QStringLiteral("5, 3, 1"));
        // Ada 5 + 1, Cy 1 + 5, Bob 3 + 3: all tied.
        QCOMPARE(column(league, 0), (QStringList{"1", "1", "1"}));
        QCOMPARE(column(league, 2), (QStringList{"6", "6", "6"}));
        answerInput(QStringLiteral("Winter 2027"));
        click(dialog, "LeagueSave");
    }
    QCOMPARE(archive.leagues().size(), 1);
    QVERIFY(archive.leagues().first().oneByOne);
    QCOMPARE(archive.leagues().first().chosen.size(), 2);

    // Chosen again later, it shows as kept: its ticks, its table.
    HistoryDialog again(archive);
    showLeagueTab(again);
    auto *choice = control<QComboBox>(again, "LeagueChoice");
    choice->setCurrentIndex(1);
    Q_EMIT choice->activated(1);
    QCOMPARE(control<QComboBox>(again, "LeagueChoosing")->currentIndex(), 1);
    auto *tournaments = control<QListWidget>(again, "LeagueTournaments");
    QCOMPARE(tournaments->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(column(control<QTableWidget>(again, "LeagueTable"), 3), (QStringList{"2", "2", "2"}));
}

void TestHistoryWindow::tabShownLeavesAsADocument()
{
    TempInstall install;
    MessageLog messages;
    QTemporaryDir folder;
    const auto file = [&](const char *name) { return folder.filePath(QString::fromLatin1(name)); };
    const History::ArchiveAccess archive(std::nullopt);
    History::ArchivedTournament quiet =
        sample(QStringLiteral("Quiet"), QDate(2027, 1, 6), {"Ada", "Bob", "Cy"});
    quiet.games.clear();
    archive.add(quiet);
    archive.add(
        sample(QStringLiteral("Winter \"Open\""), QDate(2027, 1, 13), {"Żaneta", "=Bob", "Cy"}));
    HistoryDialog dialog(archive);
    dialog.show();
    auto *tabs = control<QTabWidget>(dialog, "HistoryTabs");

    // The standings of the tournament selected (the newest): titled with its name, as PDF
    // and as CSV, the CSV guarded against formulas as every document's is.
    QVERIFY(!dialog.exportShown(file("standings.pdf")));
    const QString text = pdfText(file("standings.pdf"));
    QVERIFY2(text.contains(QStringLiteral("Winter \"Open\": Final standings")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Żaneta")));
    QVERIFY(!dialog.exportShown(file("standings.csv")));
    QFile csv(file("standings.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(csv.readAll()).contains(QStringLiteral("\"'=Bob\"")));

    // Its games, on the games tab; the league on the league tab.
    tabs->setCurrentIndex(1);
    QVERIFY(!dialog.exportShown(file("games.pdf")));
    QVERIFY(pdfText(file("games.pdf")).contains(QStringLiteral("Recorded games")));
    tabs->setCurrentIndex(2);
    QVERIFY(!dialog.exportShown(file("league.pdf")));
    const QString league = pdfText(file("league.pdf"));
    QVERIFY2(league.contains(QStringLiteral("League table")), qPrintable(league));
    QVERIFY(league.contains(QStringLiteral("2 tournaments")));

    // Nothing to show, or a file that is neither PDF nor CSV: refused, nothing written.
    const std::optional<QString> txt = dialog.exportShown(file("league.txt"));
    QCOMPARE(txt.value_or(QString()), QStringLiteral("The file's name must end in .pdf or .csv."));
    QVERIFY(!QFile::exists(file("league.txt")));
    tabs->setCurrentIndex(1);
    control<QTableWidget>(dialog, "HistoryTournaments")->selectRow(1); // Quiet: no games
    QCOMPARE(dialog.exportShown(file("none.pdf")).value_or(QString()),
             QStringLiteral("There are no games: none has been recorded."));
    QVERIFY(messages.last().endsWith(QStringLiteral("none has been recorded.")));
    QVERIFY(!QFile::exists(file("none.pdf")));

    // On a big screen of the history's own: the tab shown, then the next one chosen.
    tabs->setCurrentIndex(0);
    Publish::BigScreen *screen = dialog.showOnBigScreen();
    QVERIFY(screen);
    QCOMPARE(screen->heading(), QStringLiteral("Quiet: Final standings"));
    QCOMPARE(screen->roundText(), QStringLiteral("Quiet"));
    QCOMPARE(screen->columnHeadings().mid(0, 5),
             (QStringList{"Rank", "Name", "House", "Score", "Power"}));
    QCOMPARE(screen->rowTexts().size(), 3);
    tabs->setCurrentIndex(2);
    QCOMPARE(dialog.showOnBigScreen(), screen);
    QCOMPARE(screen->heading(), QStringLiteral("League table"));
    QCOMPARE(screen->columnHeadings(),
             (QStringList{"Rank", "Player", "Points", "Events", "Counted"}));
    QVERIFY(screen->rowTexts().first().startsWith(QStringLiteral("1 | ")));
}

void TestHistoryWindow::historyOfTwoRecordsIsMerged()
{
    TempInstall install;
    MessageLog messages;
    storePlayers(install, {{"Ada", "Lovelace", "Stark"}, {"Ada", "Byron", "Stark"}});
    const History::ArchiveAccess archive(std::nullopt);
    for (const auto &[played, id] : {std::pair{QDate(2026, 10, 1), 1}, {QDate(2026, 11, 5), 2}}) {
        History::ArchivedTournament t;
        t.name = History::defaultName(played);
        t.played = played;
        t.entrants = {{id == 1 ? QStringLiteral("Lovelace, Ada") : QStringLiteral("Byron, Ada"),
                       QStringLiteral("Stark"), id, 1, 3, 1, false}};
        archive.add(t);
    }
    Throne throne(new TournamentProgress);
    throne.show();
    QAction *merge = throne.findChild<QAction *>(QStringLiteral("MergeHistory"));
    QVERIFY(merge);
    clickRow(throne.StoredPlayers(), 1); // Byron, Ada: stored player 2

    // Asked and answered No: nothing moves.
    answerInput(QStringLiteral("Lovelace, Ada (no. 1)"));
    messages.setAnswer(false);
    merge->trigger();
    QVERIFY(messages.questions().last().startsWith(
        QStringLiteral("Give the history of Byron, Ada to Lovelace, Ada?")));
    QCOMPARE(History::playerRecord(archive.list(), 1, QString()).placings.size(), 1);

    answerInput(QStringLiteral("Lovelace, Ada (no. 1)"));
    messages.setAnswer(true);
    merge->trigger();
    QCOMPARE(messages.last(), QStringLiteral("1 archived tournament moved to Lovelace, Ada."));
    // One person now: both evenings are stored player 1's.
    const History::PlayerRecord record = History::playerRecord(archive.list(), 1, QString());
    QCOMPARE(record.placings.size(), 2);
    QCOMPARE(record.name, QStringLiteral("Byron, Ada")); // as in the latest evening
    QVERIFY(History::playerRecord(archive.list(), 2, QString()).placings.isEmpty());
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
