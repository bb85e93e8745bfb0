// The tournament on a shared server: the same tournament as on one computer, results that
// reach the other stations at once and in place, conflicts between stations refused with
// their message and counted once, and faults of the server that write nothing and leave
// the station usable again.

#include "support/rowgame.h"
#include "support/teststation.h"
#include "support/childprocess.h"
#include "support/memorytournamentstore.h"
#include "support/modeltexts.h"
#include "support/testserver.h"
#include "support/testsupport.h"
#include "support/windowdrivers.h"

#include "core/errorpath.h"
#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"
#include "data/serverlink.h"
#include "history/archiveaccess.h"
#include "tournament/servertournamentstore.h"
#include "tournament/sqlitetournamentstore.h"
#include "tournament/tournamentprogress.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

void enter(TournamentProgress &model, const QStringList &names)
{
    for (const QString &name : names)
        model.addEntrant(name, QStringLiteral("Stark"));
}

/// A tournament with every kind of change: late entry, drop, a bye, Up/Down, record, undo,
/// amend, a game recorded late, three rounds.
void playTournament(TournamentProgress &model)
{
    for (const QString &name : {QStringLiteral("O'Brien, Seán"), QStringLiteral("Ünal, Ayşe"),
                                QStringLiteral("Cohen, \"Dov\""), QStringLiteral("Dunn, Dan")})
        model.addEntrant(name, QStringLiteral("Stark"));
    model.startRound(QStringLiteral("3"));
    model.swapOpponents(0, 1);
    recordAtRow(model, 0, QStringLiteral("Full Win"), 5.25, 2);
    recordAtRow(model, 0, QStringLiteral("Modified Win"), 3, 1e-3);
    QVERIFY(model.undoLastGame());
    recordAtRow(model, 0, QStringLiteral("True Draw"), 0, 0);
    model.endRound();
    model.addEntrant(QStringLiteral("Late, Lee"), QStringLiteral("Greyjoy"));
    model.startRound(QStringLiteral("3"));
    recordAtRow(model, 0, QStringLiteral("Full Loss"), 0.1, 4.7);
    model.endRound(); // two games not recorded, one of them a bye
    const Progress::MissedGame missed = model.missedGames().first();
    model.recordMissedGame(missed, QStringLiteral("Full Win"), 7, 0);
    model.amendGame(model.games().first().id, QStringLiteral("Modified Loss"), 2, 3);
    model.removeEntrant(1);
    model.startRound(QStringLiteral("3"));
    while (!model.openSeats().isEmpty())
        recordAtRow(model, 0, QStringLiteral("Full Win"), 1, 0);
    model.endRound();
}

} // namespace

class TestServerStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void storesWhatTheFileStores();
    void aResultShowsAtTheOtherStationInPlace();
    void theSameTableIsRecordedOnce();
    void pairingIsOneStationsActAtATime();
    void aStationBehindTheOthersIsRefused();
    void faultsWriteNothingAndTheStationGoesOn_data();
    void faultsWriteNothingAndTheStationGoesOn();
    void aServerThatCannotBeReachedSaysWhy_data();
    void aServerThatCannotBeReachedSaysWhy();
    void tablesGoBesideOthersOnce();
    void twoStationWindowsShowOneTournament();
    void aResultsOnlyStationTakesResultsOnly();
    void theCommandLineExportsTheSharedTournament();

private:
    std::optional<TestServer> m_server;
    std::unique_ptr<MessageLog> m_messages;
};

void TestServerStore::init()
{
    QString problem;
    m_server = TestServer::find(&problem);
    if (!m_server)
        QFAIL(qPrintable(problem));
    m_server->reset();
    m_messages = std::make_unique<MessageLog>();
}

void TestServerStore::cleanup()
{
    m_messages.reset();
    Core::resetEnding();
}

void TestServerStore::storesWhatTheFileStores()
{
    MemoryTournamentStore memory;
    TournamentProgress local(&memory);
    local.setRandomSource([] { return 0.0; });
    playTournament(local);

    // The file on this computer, as the default store keeps it.
    TempInstall install;
    SqliteTournamentStore file;
    TournamentProgress onFile(&file);
    onFile.setRandomSource([] { return 0.0; });
    playTournament(onFile);
    QCOMPARE(standingsOf(file), standingsOf(memory));
    QCOMPARE(gamesOf(onFile), gamesOf(local));

    Station station(m_server->address, QStringLiteral("Desk 1"));
    playTournament(station.model);
    QCOMPARE(standingsOf(station.store), standingsOf(memory));
    QCOMPARE(entrantsOf(station.model), entrantsOf(local));
    QCOMPARE(station.model.games().size(), local.games().size());
    QCOMPARE(station.model.roundcounter(), local.roundcounter());

    QCOMPARE(gamesOf(station.model), gamesOf(local));
    QCOMPARE(station.model.missedGames().size(), local.missedGames().size());

    // The last round's end archived the tournament in each: the same standings and games.
    const auto archivedOf = [](const History::ArchivedTournament &t) {
        QStringList rows{t.name, QString::number(t.rounds)};
        for (const History::ArchivedEntrant &e : t.entrants)
            rows.append(QStringLiteral("%1 %2 %3 %4")
                            .arg(e.rank)
                            .arg(e.name)
                            .arg(e.score)
                            .arg(QString::number(e.power, 'g', 17)));
        for (const History::ArchivedGame &g : t.games)
            rows.append(QStringLiteral("%1/%2 %3-%4 %5")
                            .arg(g.round)
                            .arg(g.table)
                            .arg(g.player1, g.player2, g.result1));
        return rows;
    };
    QCOMPARE(memory.archives.size(), 1);
    const QList<History::ArchivedTournament> onServer =
        History::ArchiveAccess(m_server->address).list(true);
    const QList<History::ArchivedTournament> inFile =
        History::ArchiveAccess(std::nullopt).list(true);
    QCOMPARE(onServer.size(), 1);
    QCOMPARE(inFile.size(), 1);
    QCOMPARE(archivedOf(onServer.first()), archivedOf(memory.archives.first()));
    QCOMPARE(archivedOf(inFile.first()), archivedOf(memory.archives.first()));

    // A game amended after the end: each archive follows, in the amendment's transaction.
    for (TournamentProgress *model : {&local, &onFile, &station.model})
        model->amendGame(model->games().first().id, QStringLiteral("Modified Loss"), 1, 8);
    const QStringList amended = archivedOf(memory.archives.first());
    QVERIFY(amended != archivedOf(onServer.first()));
    QCOMPARE(archivedOf(History::ArchiveAccess(m_server->address).list(true).first()), amended);
    QCOMPARE(archivedOf(History::ArchiveAccess(std::nullopt).list(true).first()), amended);

    // A station that joins later reads the same tournament.
    Station other(m_server->address, QStringLiteral("Desk 2"));
    QVERIFY(!other.model.loadStored()); // a finished tournament is not offered
    other.model.resume();
    QCOMPARE(gamesOf(other.model), gamesOf(local));
    QCOMPARE(entrantsOf(other.model), entrantsOf(local));
}

void TestServerStore::aResultShowsAtTheOtherStationInPlace()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    Station desk2(m_server->address, QStringLiteral("Desk 2"));
    enter(desk1.model, {"A", "B", "C", "D", "E", "F"});
    desk1.model.startRound(QStringLiteral("2"));
    desk2.join();
    QCOMPARE(openGames(desk2.model), openGames(desk1.model));

    QSignalSpy pairing(&desk2.model, &TournamentProgress::pairingChanged);
    recordAtRow(desk1.model, 1, QStringLiteral("Full Win"), 4, 1);
    QTRY_COMPARE(desk2.model.openSeats().size(), 2);
    QCOMPARE(openGames(desk2.model), openGames(desk1.model));
    QCOMPARE(desk2.model.games().size(), 1);
    // One row left the lists: the other rows (and a selection on them) stay.
    QCOMPARE(pairing.count(), 1);
    const auto change = pairing.first().first().value<Progress::PairingChange>();
    QCOMPARE(change.kind, Progress::PairingChange::Kind::Recorded);
    QCOMPARE(change.row, 1);

    // An undo comes back in place too.
    pairing.clear();
    QVERIFY(desk1.model.undoLastGame());
    QTRY_COMPARE(desk2.model.openSeats().size(), 3);
    QCOMPARE(pairing.count(), 1);
    QCOMPARE(pairing.first().first().value<Progress::PairingChange>().kind,
             Progress::PairingChange::Kind::Reopened);

    // The end of the round and the next pairing reach the other station as well.
    recordAtRow(desk1.model, 0, QStringLiteral("Full Win"), 4, 1);
    desk1.model.endRound();
    QTRY_VERIFY(!desk2.model.roundOpen());
    QCOMPARE(desk2.model.roundcounter(), qint16(2));
    QCOMPARE(entrantsOf(desk2.model), entrantsOf(desk1.model));
}

void TestServerStore::theSameTableIsRecordedOnce()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    Station desk2(m_server->address, QStringLiteral("Desk 2"));
    enter(desk1.model, {"A", "B", "C", "D"});
    desk1.model.startRound(QStringLiteral("2"));
    desk2.join();

    // Both desks record table 1 before either hears of the other.
    recordAtRow(desk1.model, 0, QStringLiteral("Full Win"), 6, 2);
    try {
        recordAtRow(desk2.model, 0, QStringLiteral("Full Loss"), 1, 9);
        QFAIL("the second record of table 1 was accepted");
    } catch (const Data::ServerConflict &conflict) {
        QCOMPARE(conflict.description(),
                 QStringLiteral("Table 1 was recorded at another station a moment ago."));
    }
    // Counted once, with the first desk's result; the second desk then shows it.
    QCOMPARE(standingsOf(desk1.store).first(), QStringLiteral("A 3 6"));
    QTRY_COMPARE(desk2.model.games().size(), 1);
    QCOMPARE(desk2.model.games().first().result1, QStringLiteral("Full Win"));
    QCOMPARE(openGames(desk2.model), QStringList{QStringLiteral("C-D")});
    // Through a window's handler the refusal is a message, and the station goes on.
    Core::runGuarded([&] { recordAtRow(desk1.model, 0, QStringLiteral("True Draw"), 0, 0); });
    Core::runGuarded([&] { recordAtRow(desk2.model, 0, QStringLiteral("True Draw"), 0, 0); });
    QCOMPARE(m_messages->last(),
             QStringLiteral("Table 2 was recorded at another station a moment ago."));
    QCOMPARE(m_messages->ends(), 0);
    QVERIFY(!Core::isEnding());
}

void TestServerStore::pairingIsOneStationsActAtATime()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    enter(desk1.model, {"A", "B", "C", "D"});
    desk1.model.startRound(QStringLiteral("3"));
    recordAtRow(desk1.model, 0, QStringLiteral("Full Win"), 1, 0);
    recordAtRow(desk1.model, 0, QStringLiteral("Full Win"), 1, 0);
    desk1.model.endRound();

    // Another station is pairing: it holds the pairing's lock for its transaction.
    Data::ServerLink other(m_server->address, QStringLiteral("Desk 2"));
    Data::ServerTransaction pairing(other);
    other.exec(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {qint64(0x5A5550)});
    try {
        desk1.model.startRound(QStringLiteral("3"));
        QFAIL("a second station paired at the same time");
    } catch (const Data::ServerConflict &conflict) {
        QCOMPARE(conflict.description(),
                 QStringLiteral("Round 2 is being paired at another station."));
    }
    QVERIFY(!desk1.model.roundOpen());
    QVERIFY(desk1.model.seats().isEmpty());
    pairing.commit();
    desk1.model.startRound(QStringLiteral("3"));
    QVERIFY(desk1.model.roundOpen());
}

void TestServerStore::aStationBehindTheOthersIsRefused()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    Station desk2(m_server->address, QStringLiteral("Desk 2"));
    enter(desk1.model, {"A", "B", "C", "D"});
    desk2.join();
    desk1.model.startRound(QStringLiteral("2"));
    // Desk 2 has not heard of the start yet and starts too: refused, nothing paired twice.
    const QList<Progress::Seat> seats = desk1.model.seats();
    try {
        desk2.model.startRound(QStringLiteral("2"));
        QFAIL("a station behind the others paired");
    } catch (const Data::ServerConflict &conflict) {
        QVERIFY2(conflict.description().contains(QStringLiteral("another station")),
                 qPrintable(conflict.description()));
    }
    Station check(m_server->address, QStringLiteral("check"));
    check.join();
    QCOMPARE(check.model.seats().size(), seats.size());
    QCOMPARE(check.model.state().pairingNumber, desk1.model.state().pairingNumber);
    // Read again, desk 2 shows the round desk 1 paired and records in it.
    QTRY_VERIFY(desk2.model.roundOpen());
    QCOMPARE(openGames(desk2.model), openGames(desk1.model));
    recordAtRow(desk2.model, 0, QStringLiteral("Full Win"), 1, 0);
    QTRY_COMPARE(desk1.model.openSeats().size(), 1);
}

void TestServerStore::faultsWriteNothingAndTheStationGoesOn_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("connection killed") << "kill"
                                       << "was lost";
    QTest::newRow("statement timeout") << "timeout"
                                       << "statement timeout";
    QTest::newRow("permission denied") << "permission"
                                       << "permission denied";
    QTest::newRow("server stopped") << "stop"
                                    << "was lost";
}

void TestServerStore::faultsWriteNothingAndTheStationGoesOn()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Data::ServerLink admin(m_server->address, QStringLiteral("admin"));
    Data::ServerAddress address = m_server->address;
    if (fault == QLatin1String("permission")) {
        // A role that may read the tournament but not change it.
        admin.exec(QStringLiteral("DROP ROLE IF EXISTS zuvi_reader"));
        admin.exec(QStringLiteral("CREATE ROLE zuvi_reader LOGIN PASSWORD 'reader'"));
    }
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    enter(desk1.model, {"A", "B", "C", "D"});
    desk1.model.startRound(QStringLiteral("2"));
    const QStringList before = standingsOf(desk1.store);

    std::unique_ptr<Station> desk;
    if (fault == QLatin1String("permission")) {
        admin.exec(QStringLiteral("GRANT USAGE ON SCHEMA public TO zuvi_reader"));
        admin.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO zuvi_reader"));
        address.user = QStringLiteral("zuvi_reader");
        address.password = QStringLiteral("reader");
    }
    desk = std::make_unique<Station>(address, QStringLiteral("Desk 2"));
    desk->join();

    std::unique_ptr<Data::ServerTransaction> blocking;
    QProcess control;
    const auto serverControl = [&](const QStringList &arguments) {
        QStringList command{m_server->bin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                            m_server->folder + QStringLiteral("/data"), QStringLiteral("-w")};
        command += arguments;
        if (geteuid() == 0)
            command = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--")} +
                      command;
        control.start(geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst(), command);
        QVERIFY(control.waitForFinished(60000));
        QCOMPARE(control.exitCode(), 0);
    };
    if (fault == QLatin1String("kill")) {
        admin.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                  "application_name = ?"),
                   {QStringLiteral("Zuvi: Desk 2")});
    } else if (fault == QLatin1String("timeout")) {
        blocking = std::make_unique<Data::ServerTransaction>(admin);
        admin.exec(QStringLiteral("LOCK TABLE TournyInfo IN ACCESS EXCLUSIVE MODE"));
        desk->link.exec(QStringLiteral("SET statement_timeout = 300"));
    } else if (fault == QLatin1String("stop")) {
        serverControl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
    }

    try {
        recordAtRow(desk->model, 0, QStringLiteral("Full Win"), 5, 0);
        QFAIL("the step went through");
    } catch (const Data::ServerError &error) {
        QVERIFY2(error.description().contains(message, Qt::CaseInsensitive),
                 qPrintable(error.description()));
        QVERIFY(!error.description().contains(m_server->address.password));
    }
    // Nothing changed in the station's memory.
    QCOMPARE(desk->model.games().size(), 0);
    QCOMPARE(desk->model.openSeats().size(), 2);

    // The server back as it was: nothing of the step was stored, and the station goes on.
    blocking.reset();
    if (fault == QLatin1String("stop")) {
        serverControl({QStringLiteral("-l"), m_server->folder + QStringLiteral("/server.log"),
                       QStringLiteral("-o"),
                       QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2")
                           .arg(m_server->address.port)
                           .arg(m_server->folder),
                       QStringLiteral("start")});
    }
    Data::ServerLink check(m_server->address, QStringLiteral("check"));
    ServerTournamentStore checkStore(check);
    QCOMPARE(standingsOf(checkStore), before);
    QCOMPARE(checkStore.read().games.size(), 0);
    if (fault == QLatin1String("permission")) {
        admin.exec(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO zuvi_reader"));
    } else if (fault == QLatin1String("timeout")) {
        desk->link.exec(QStringLiteral("SET statement_timeout = 0"));
    }
    recordAtRow(desk->model, 0, QStringLiteral("Full Win"), 5, 0);
    QCOMPARE(standingsOf(checkStore).first(), QStringLiteral("A 3 5"));
    desk.reset();
    if (fault == QLatin1String("permission")) {
        admin.exec(QStringLiteral("DROP OWNED BY zuvi_reader"));
        admin.exec(QStringLiteral("DROP ROLE zuvi_reader"));
    }
}

void TestServerStore::aServerThatCannotBeReachedSaysWhy_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong password") << "password"
                                    << "password authentication failed";
    QTest::newRow("no such database") << "database"
                                      << "does not exist";
    QTest::newRow("nothing listens") << "port"
                                     << "Connection refused";
}

void TestServerStore::aServerThatCannotBeReachedSaysWhy()
{
    QFETCH(QString, change);
    QFETCH(QString, reason);
    Data::ServerAddress address = m_server->address;
    if (change == QLatin1String("password"))
        address.password = QStringLiteral("not-the-password-0'; DROP TABLE x; --");
    else if (change == QLatin1String("database"))
        address.database = QStringLiteral("no_such_database");
    else
        address.port = 1;
    Data::ServerLink link(address, QStringLiteral("Desk 9"));
    try {
        link.connect();
        QFAIL("connected");
    } catch (const Data::ServerError &error) {
        QVERIFY2(error.description().startsWith(
                     QStringLiteral("The server 127.0.0.1:%1/%2 cannot be reached: ")
                         .arg(address.port)
                         .arg(address.database)),
                 qPrintable(error.description()));
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        QVERIFY(!error.description().contains(address.password));
    }
}

void TestServerStore::tablesGoBesideOthersOnce()
{
    Data::ServerLink admin(m_server->address, QStringLiteral("admin"));
    admin.exec(QStringLiteral("CREATE TABLE notes (id INTEGER, text TEXT)"));
    admin.exec(QStringLiteral("INSERT INTO notes VALUES (1, 'kept')"));
    // Two stations connecting to the same empty database: one creates, the other finds.
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    Station desk2(m_server->address, QStringLiteral("Desk 2"));
    desk1.model.addEntrant(QStringLiteral("A"), QStringLiteral("Stark"));
    desk2.join();
    QCOMPARE(desk2.model.entrants().size(), 1);
    QSqlQuery &notes = admin.exec(QStringLiteral("SELECT text FROM notes"));
    QVERIFY(admin.next(notes));
    QCOMPARE(notes.value(0).toString(), QStringLiteral("kept"));
}

void TestServerStore::twoStationWindowsShowOneTournament()
{
    TempInstall install;
    const QList<Entrant> entrants{{"Ada", "Lovelace", "Stark"},
                                  {"Alan", "Turing", "Lannister"},
                                  {"Grace", "Hopper", "Tyrell"},
                                  {"Edsger", "Dijkstra", "Martell"}};
    storePlayers(install, entrants);
    Data::ServerLink link1(m_server->address, QStringLiteral("Desk 1"));
    Data::ServerLink link2(m_server->address, QStringLiteral("Desk 2"));
    ServerTournamentStore store1(link1);
    ServerTournamentStore store2(link2);
    Throne desk1(new TournamentProgress(&store1));
    desk1.progress()->setRandomSource(firstEntrant);
    Throne desk2(new TournamentProgress(&store2));
    desk1.show();
    desk2.show();

    registerEntrants(desk1, entrants);
    QTRY_COMPARE(listTexts(desk2.TournyPlayers()), listTexts(desk1.TournyPlayers()));
    Tournament *round1 = start(desk1, QStringLiteral("2"));
    QVERIFY(round1);
    // The round opens at the other desk with the same pairing.
    QTRY_VERIFY(desk2.tournament());
    Tournament *round2 = desk2.tournament();
    QCOMPARE(listTexts(round2->MatchList1()), listTexts(round1->MatchList1()));

    // Desk 2 is on table 2 with a power typed when desk 1 records table 1: its row moves
    // up, its selection and its typing stay.
    clickRow(round2->MatchList1(), 1);
    auto *power = control<QLineEdit>(*round2, "Player1Power");
    setText(power, QStringLiteral("7"));
    recordGame(*round1, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("1"));
    QTRY_COMPARE(rowCount(round2->MatchList1()), 1);
    QCOMPARE(Ui::selectedRow(round2->MatchList1()), 0);
    QCOMPARE(power->text(), QStringLiteral("7"));
    QCOMPARE(desk2.progress()->games().first().station, QStringLiteral("Desk 1"));

    // Desk 2 records table 2; desk 1 ends the round; desk 2's round window goes.
    recordGame(*round2, 0, QStringLiteral("True Draw"), QStringLiteral("3"), QStringLiteral("3"));
    QTRY_COMPARE(rowCount(round1->MatchList1()), 0);
    click(*round1, "EndTourny");
    QTRY_VERIFY(!desk2.tournament());
    QTRY_COMPARE(listTexts(desk2.PlayerScores()), listTexts(desk1.PlayerScores()));
    QVERIFY(m_messages->texts().isEmpty());
}

void TestServerStore::aResultsOnlyStationTakesResultsOnly()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    enter(desk1.model, {"A", "B", "C", "D", "E", "F"});
    Data::ServerLink link(m_server->address, QStringLiteral("Results 1"));
    ServerTournamentStore store(link, ServerTournamentStore::Role::ResultsOnly);
    TournamentProgress results(&store);
    QVERIFY(results.loadStored());
    results.resume();
    const QString refusal = QStringLiteral("Results 1 takes results only: registration, pairing "
                                           "and the end of a round are done at a full station.");
    const std::function<void()> organisersActs[] = {
        [&] { results.addEntrant(QStringLiteral("G"), QStringLiteral("Stark")); },
        [&] { results.removeEntrant(0); },
        [&] { results.startRound(QStringLiteral("2")); },
    };
    for (const auto &act : organisersActs) {
        try {
            act();
            QFAIL("a results-only station registered or paired");
        } catch (const Data::ServerError &error) {
            QCOMPARE(error.description(), refusal);
        }
    }
    QCOMPARE(results.entrants().size(), 6);
    QVERIFY(!results.roundOpen());
    // The full station pairs; the results-only one records, takes back and records again.
    desk1.model.startRound(QStringLiteral("2"));
    QTRY_VERIFY(results.roundOpen());
    recordAtRow(results, 0, QStringLiteral("Full Win"), 2, 1);
    QVERIFY(results.undoLastGame());
    recordAtRow(results, 0, QStringLiteral("True Draw"), 2, 1);
    try {
        results.swapOpponents(0, 1);
        QFAIL("a results-only station changed the pairing");
    } catch (const Data::ServerError &error) {
        QCOMPARE(error.description(), refusal);
    }
    QTRY_COMPARE(desk1.model.games().size(), 1);
    QCOMPARE(desk1.model.games().first().station, QStringLiteral("Results 1"));
    // Every stored step keeps the station that made it.
    QStringList steps;
    QSqlQuery &log =
        link.exec(QStringLiteral("SELECT Station, Step FROM ZuviStep ORDER BY Serial"));
    while (link.next(log))
        steps.append(log.value(0).toString() + QStringLiteral(": ") + log.value(1).toString());
    QCOMPARE(steps.mid(steps.size() - 4),
             (QStringList{"Desk 1: round started", "Results 1: game recorded",
                          "Results 1: game taken back", "Results 1: game recorded"}));
}

void TestServerStore::theCommandLineExportsTheSharedTournament()
{
    Station desk1(m_server->address, QStringLiteral("Desk 1"));
    enter(desk1.model, {"Ünal, Ayşe", "O'Brien, Seán", "C", "D"});
    desk1.model.startRound(QStringLiteral("2"));
    recordAtRow(desk1.model, 0, QStringLiteral("Full Win"), 4, 1);
    desk1.model.endRound();

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("standings.csv"));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
    // The password reaches libpq the usual way, never on the command line.
    environment.insert(QStringLiteral("PGPASSWORD"), m_server->address.password);
    Data::ServerAddress address = m_server->address;
    address.password.clear();
    const ZuviRun run = runZuvi({QStringLiteral("--server"), address.url(),
                                 QStringLiteral("--export"), QStringLiteral("standings"), file},
                                environment);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errText()));
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    QVERIFY2(text.contains(QStringLiteral("Ünal, Ayşe")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("O'Brien, Seán")));

    // A wrong password: a clear reason and exit status 1, nothing written.
    environment.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("wrong"));
    const QString other = folder.filePath(QStringLiteral("other.csv"));
    const ZuviRun refused =
        runZuvi({QStringLiteral("--server"), address.url(), QStringLiteral("--export"),
                 QStringLiteral("standings"), other},
                environment);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.errText().contains(QStringLiteral("password authentication failed")),
             qPrintable(refused.errText()));
    QVERIFY(!QFileInfo::exists(other));
}

QTEST_MAIN(TestServerStore)
#include "tst_serverstore.moc"
