// zuvi-screens OUTDIR: renders each window of the application, filled with sample data,
// into OUTDIR/<objectName>.png for a visual check of the layouts. It works on a temporary
// installation folder of its own and never touches the user's data.

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "playereditor/playerinfo.h"
#include "publish_screens.h"
#include "history/archiveaccess.h"
#include "historywindow/historydialog.h"
#include "publish/bigscreen.h"
#include "publish/historydocuments.h"
#include "registration/dropplayerdialog.h"
#include "registration/stationdialog.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "roundwindow/tournament.h"
#include "ui/messagebox.h"
#include "ui/listutil.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

using namespace Zuvi;

namespace {

const char *const kSamplePlayers[][2] = {
    {"Ann", "Smith"},
    {"Bran", "O'Neil"},
    {"Zoë", "Müller"},
    {"Eddard", "Stark"},
    {"Tyrion", "Lannister"},
    {"Asha", "Greyjoy"},
    {"Stannis", "Baratheon"},
    {"Jon", "Snow"},
    {"Arya", ""},
    {"", "Hodor"},
    {"Davos", "Seaworth"},
    {"Brienne", "Tarth"},
};

void fillSamplePlayers()
{
    Data::DbConnection connection(Data::playersDatabase());
    connection.begin();
    QSqlQuery insert = connection.prepare(QStringLiteral(
        "INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email, City, \"Allow Email\") "
        "VALUES (?, ?, ?, ?, 1)"));
    for (const auto &player : kSamplePlayers) {
        const QString first = QString::fromUtf8(player[0]);
        const QString last = QString::fromUtf8(player[1]);
        connection.exec(insert, {first, last, first.toLower() + QStringLiteral("@example.org"),
                                 QStringLiteral("Winterfell")});
    }
    connection.commit();
}

bool save(QWidget *window, const QDir &out, const QString &name = QString())
{
    window->show();
    QApplication::processEvents();
    const QString file =
        out.filePath((name.isEmpty() ? window->objectName() : name) + QStringLiteral(".png"));
    const bool ok = window->grab().save(file);
    QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << file << "\n";
    return ok;
}

/// The registration window of a first start: no player stored yet.
bool renderFirstStart(const QDir &out)
{
    Throne throne(new TournamentProgress);
    return save(&throne, out, QStringLiteral("throne-first-start"));
}

/// The registration window with six entrants registered.
bool renderThrone(Throne &throne, const QDir &out)
{
    throne.House()->setEditText(QStringLiteral("Stark"));
    for (int i = 0; i < 6; ++i) {
        Ui::selectRow(throne.StoredPlayers(), i);
        throne.findChild<QPushButton *>(QStringLiteral("AddTourny"))->click();
    }
    return save(&throne, out);
}

/// The round window of the first round, drawn from the registered entrants, with the game
/// panel showing a game whose result is chosen, and the clock started.
bool renderTournament(Throne &throne, const QDir &out)
{
    throne.progress()->setRandomSource([] { return 0.0; });
    throne.findChild<QWidget *>(QStringLiteral("Rounds"))->setProperty("text", QStringLiteral("3"));
    throne.StartButton()->click();
    Tournament *round = throne.tournament();
    if (!round)
        return false;
    round->activateWindow();
    round->MatchList1()->setFocus();
    round->GameFrame()->show();
    Ui::selectRow(round->MatchList1(), 1);
    auto *result = round->findChild<QComboBox *>(QStringLiteral("Player1Win"));
    result->setCurrentIndex(2);
    Q_EMIT result->activated(2);
    round->findChild<QWidget *>(QStringLiteral("Player1Power"))->setProperty("text", "14");
    round->findChild<QWidget *>(QStringLiteral("Player2Power"))->setProperty("text", "9.5");
    round->findChild<QPushButton *>(QStringLiteral("StartTimer"))->click();
    QMetaObject::invokeMethod(round->findChild<QObject *>(QStringLiteral("Timer1")), "timeout");
    bool ok = save(round, out);
    // Results reported from the tables: the first table's two reports agree, the second's
    // differ, the third had reports refused; the mouse rests on the first row, whose tool
    // tip says the reports.
    TournamentProgress &model = *throne.progress();
    model.setTakeReports(true);
    model.setConfirmReports(true);
    const auto send = [&](int table, int reporter, const char *result, const char *power1,
                          const char *power2) {
        const Progress::Seat &seat = model.seats().at(table - 1);
        Progress::ReportRequest report;
        report.code = model.playerCode(reporter == 1 ? seat.player1 : seat.player2);
        report.result1 = QString::fromLatin1(result);
        report.power1 = QString::fromLatin1(power1);
        report.power2 = QString::fromLatin1(power2);
        model.takeReport(report);
    };
    send(1, 1, "Full Win", "12", "4");
    send(1, 2, "Full Win", "12", "4");
    send(2, 1, "True Draw", "8", "8");
    send(2, 2, "Modified Loss", "6", "9");
    // Table 3: three reports refused for a wrong code that named it.
    Progress::ReportRequest wrong;
    wrong.code = QStringLiteral("ACDEFGHJK");
    wrong.table = 3;
    for (int i = 0; i < 3; ++i)
        model.takeReport(wrong);
    ok = save(round, out, QStringLiteral("Tournament-reports")) && ok;
    // The game in the panel (table 2) is recorded elsewhere: the panel empties and says so.
    model.recordGame(model.openRoundGame(2), QStringLiteral("Modified Loss"), 6, 9);
    ok = save(round, out, QStringLiteral("Tournament-recorded-elsewhere")) && ok;
    return ok;
}

/// "Drop a player…" while the first round is played, and a message naming a player whose
/// name holds markup, shown as typed.
bool renderDropPlayer(Throne &throne, const QDir &out)
{
    DropPlayerDialog dialog(throne.progress()->playingNames(), &throne);
    bool ok = save(&dialog, out);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zuvi"),
                    QStringLiteral("<b>Bold</b>, Ann is no longer in the tournament."),
                    QMessageBox::Ok, &throne);
    Ui::prepareBox(box);
    box.setWindowModality(Qt::NonModal);
    ok = save(&box, out, QStringLiteral("MessageBox-markup-name")) && ok;
    return ok;
}

/// The player editor opened from the registration window, showing a filled record.
bool renderPlayerInfo(Throne &throne, const QDir &out)
{
    {
        Data::DbConnection connection(Data::playersDatabase());
        connection.exec(
            QStringLiteral("UPDATE PlayerInfo SET Phone = '555-0142', Address = '12 Harbour Lane', "
                           "State = 'North', Zip = '10117', Webpage = 'www.example.org/ann', "
                           "Username1 = 'annsmith', Username2 = 'ann_s', Username3 = 'smithy', "
                           "Birthday = '04/11/1990', Password = 'secret' WHERE rowid = 1"));
    }
    // The editor opens at the player selected in the registration window: the first.
    Ui::selectRow(throne.StoredPlayers(), 0);
    throne.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    PlayerInfo *editor = throne.playerEditor();
    if (!editor)
        return false;
    editor->findChild<QLineEdit *>(QStringLiteral("Country"))->setText(QStringLiteral("England"));
    return save(editor, out);
}

/// "Connect to a shared tournament…" as a station fills it in.
bool renderStationDialog(const QDir &out)
{
    StationDialog dialog;
    for (const auto &[name, text] :
         {std::pair{"ServerHost", "tournament-server.local"}, std::pair{"ServerDatabase", "zuvi"},
          std::pair{"ServerUser", "zuvi"}, std::pair{"StationName", "Desk 2"}}) {
        dialog.findChild<QLineEdit *>(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
    }
    return save(&dialog, out);
}

/// "History…" over two archived evenings.
bool renderHistory(const QDir &out)
{
    const History::ArchiveAccess archive(std::nullopt);
    const QStringList names{QStringLiteral("O'Neil, Bran"), QStringLiteral("Müller, Zoë"),
                            QStringLiteral("Żółć, Łukasz"), QStringLiteral("Snow, Jon")};
    for (int week = 0; week < 2; ++week) {
        History::ArchivedTournament t;
        t.played = QDate(2026, 12, 3 + 7 * week);
        t.name = History::defaultName(t.played);
        t.rounds = 3;
        for (int i = 0; i < names.size(); ++i) {
            const QString &name = names.at((i + week) % names.size());
            t.entrants.append(
                {name, QStringLiteral("Stark"), 0, i + 1, double(9 - 3 * i), 12.5 - i, i == 3});
        }
        t.games.append({1, 1, names.at(0), names.at(1), QStringLiteral("Full Win"), 3, 7, 2});
        t.games.append({1, 2, names.at(2), names.at(3), QStringLiteral("True Draw"), 2, 4, 4});
        archive.add(t);
    }
    HistoryDialog dialog(archive);
    bool ok = save(&dialog, out);
    // The league tab, its table on a big screen and as a printed page.
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("HistoryTabs"));
    dialog.show();
    tabs->setCurrentIndex(2);
    QCoreApplication::processEvents();
    ok = save(&dialog, out, QStringLiteral("HistoryDialog-league")) && ok;
    if (Publish::BigScreen *screen = dialog.showOnBigScreen()) {
        screen->resize(1280, 720);
        ok = save(screen, out, QStringLiteral("BigScreen-league")) && ok;
    }
    const History::LeagueScheme scheme;
    const QList<History::ArchivedTournament> all = archive.list();
    const QImage page = Publish::renderPage(
        Publish::leagueDocument(QStringLiteral("Winter 2027"), scheme, int(all.size()),
                                History::leagueTable(all, scheme)),
        0, 100);
    ok = page.save(out.filePath(QStringLiteral("league-page.png"))) && ok;
    tabs->setCurrentIndex(0);
    if (Publish::BigScreen *screen = dialog.showOnBigScreen()) {
        screen->resize(1280, 720);
        ok = save(screen, out, QStringLiteral("BigScreen-past-standings")) && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: zuvi-screens OUTDIR\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    Ui::setMessageHandler([&err](const QString &text) { err << "message: " << text << "\n"; });
    bool ok = true;
    Core::runGuarded([&] {
        Data::ensureDatabases();
        ok = renderFirstStart(out) && ok;
        fillSamplePlayers();
        Throne throne(new TournamentProgress);
        ok = renderThrone(throne, out) && ok;
        ok = renderTournament(throne, out) && ok;
        ok = renderDropPlayer(throne, out) && ok;
        ok = renderPlayerInfo(throne, out) && ok;
        ok = renderStationDialog(out) && ok;
        ok = renderHistory(out) && ok;
        ok = renderPublishScreens(out) && ok;
    });
    return ok && !Core::isEnding() ? 0 : 1;
}
