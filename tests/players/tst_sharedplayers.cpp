// The stored players of a shared tournament are the server's: every station registers the
// same people, edits them in the player editor, and imports and exports them, and a file
// goes through the server exactly as it goes through the file on one computer.

#include "support/childprocess.h"
#include "support/testserver.h"
#include "support/testsupport.h"
#include "support/windowdrivers.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/serverlink.h"
#include "data/serverschema.h"
#include "playereditor/datacontrol.h"
#include "playereditor/playerinfo.h"
#include "players/playerfile.h"
#include "players/playerimport.h"
#include "registration/throne.h"
#include "tournament/servertournamentstore.h"
#include "tournament/storechoice.h"
#include "tournament/tournamentprogress.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

// A players' file with what organisers' files hold: apostrophes and quotes, letters beyond
// ASCII and right-to-left, a name that would run as a spreadsheet formula, a long text, a
// player without an e-mail, the same player twice, a country and none.
QByteArray playersFile()
{
    QByteArray csv = "\"First Name\",\"Last Name\",Email,City,\"Allow Email\",Country\r\n"
                     "Seán,O'Brien,sean@example.org,Dublin,1,Ireland\r\n"
                     "\"Dov \"\"the Bear\"\"\",Cohen,,Haifa,0,\r\n"
                     "Ayşe,Ünal,ayse@example.org,İzmir,1,Türkiye\r\n"
                     "سارة,العلي,sara@example.org,,0,\r\n"
                     "\"'=HYPERLINK(\"\"x\"\")\",Formula,f@example.org,,0,\r\n"
                     "Seán,O'Brien,sean@example.org,Dublin,1,Ireland\r\n";
    csv += "Long,";
    csv += QByteArray(5000, 'x');
    csv += ",long@example.org,,0,\r\n";
    return csv;
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The rows of a query on the server, each as its values joined by "|".
QStringList serverRows(Data::ServerLink &link, const QString &sql)
{
    QStringList rows;
    QSqlQuery &query = link.exec(sql);
    while (link.next(query)) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values.append(query.value(i).isNull() ? QStringLiteral("NULL")
                                                  : query.value(i).toString());
        rows.append(values.join(QLatin1Char('|')));
    }
    query.finish();
    return rows;
}

} // namespace

class TestSharedPlayers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void aFileGoesThroughTheServerAsThroughTheFile();
    void stationsRegisterAndEditTheSamePlayers();
    void aRecordDeletedAtAnotherStationIsNotWrittenBack();
    void aLostConnectionLosesNoTypingAndTheEditorGoesOn();
    void theCommandLineImportsAndExportsTheServersPlayers();

private:
    std::optional<TestServer> m_server;
    std::unique_ptr<MessageLog> m_messages;
};

void TestSharedPlayers::init()
{
    QString problem;
    m_server = TestServer::find(&problem);
    if (!m_server)
        QFAIL(qPrintable(problem));
    m_server->reset();
    m_messages = std::make_unique<MessageLog>();
}

void TestSharedPlayers::cleanup()
{
    setStoreChoice({});
    m_messages.reset();
    Core::resetEnding();
}

void TestSharedPlayers::aFileGoesThroughTheServerAsThroughTheFile()
{
    TempInstall install;
    QTemporaryDir folder;
    const Players::PlayerTable table =
        Players::readPlayerFile(writeFile(folder, QStringLiteral("in.csv"), playersFile()));

    Data::DbConnection file(Data::playersDatabase());
    Data::ServerLink server(m_server->address, QStringLiteral("Desk 1"));
    Data::ensureServerTables(server);
    const Players::ImportPreview fileView = Players::previewImport(file, table);
    const Players::ImportPreview serverView = Players::previewImport(server, table);
    QCOMPARE(serverView.newPlayers, fileView.newPlayers);
    QCOMPARE(serverView.repeats, 1);

    const Players::ImportResult inFile = Players::runImport(file, table);
    const Players::ImportResult onServer = Players::runImport(server, table);
    QCOMPARE(Players::importSummary(onServer), Players::importSummary(inFile));
    QCOMPARE(onServer.imported, 6);

    // Exported again, the two give the same bytes: every text, NULL, number and country
    // as it was, the formula guarded once.
    const QString fromFile = folder.filePath(QStringLiteral("file.csv"));
    const QString fromServer = folder.filePath(QStringLiteral("server.csv"));
    QCOMPARE(Players::exportPlayersCsv(file, fromFile, Players::Passwords::Included), 6);
    QCOMPARE(Players::exportPlayersCsv(server, fromServer, Players::Passwords::Included), 6);
    QCOMPARE(readFile(fromServer), readFile(fromFile));
    QVERIFY(readFile(fromServer).contains("\"'=HYPERLINK(\"\"x\"\")\""));
    QVERIFY(readFile(fromServer).contains("\"Ünal\""));

    // The same file again stores nothing; a cancelled import writes nothing.
    const Players::ImportResult again = Players::runImport(server, table);
    QCOMPARE(again.imported, 0);
    QCOMPARE(again.skipped, 7); // the repeated row is a stored player now as well
    Players::PlayerTable fresh = table;
    for (Players::PlayerRow &row : fresh.rows) {
        QVariantList values = row.toList();
        values[Players::kEmail] = QStringLiteral("new@example.org");
        row = values;
    }
    const Players::ImportResult cancelled =
        Players::runImport(server, fresh, [](qsizetype done, qsizetype) { return done == 0; });
    QVERIFY(cancelled.canceled);
    QCOMPARE(serverRows(server, QStringLiteral("SELECT count(*) FROM PlayerInfo")),
             QStringList{"6"});
    QCOMPARE(serverRows(server, QStringLiteral("SELECT count(*) FROM ZuviPlayerCountry")),
             QStringList{"2"});
}

void TestSharedPlayers::stationsRegisterAndEditTheSamePlayers()
{
    TempInstall install;
    // A player of this computer's file is not one of the shared tournament's.
    install.addPlayers({{QStringLiteral("Local"), QStringLiteral("Only")}});
    StoreChoice choice;
    choice.server = m_server->address;
    choice.station = QStringLiteral("Desk 1");
    setStoreChoice(choice);
    install.addPlayers({{QStringLiteral("Ada"), QStringLiteral("Lovelace")},
                        {QStringLiteral("Alan"), QStringLiteral("Turing")}});

    Data::ServerLink link1(m_server->address, QStringLiteral("Desk 1"));
    Data::ServerLink link2(m_server->address, QStringLiteral("Desk 2"));
    ServerTournamentStore store1(link1);
    ServerTournamentStore store2(link2);
    Throne desk1(new TournamentProgress(&store1));
    Throne desk2(new TournamentProgress(&store2));
    QCOMPARE(listTexts(desk1.StoredPlayers()), (QStringList{"Lovelace, Ada", "Turing, Alan"}));
    QCOMPARE(listTexts(desk2.StoredPlayers()), listTexts(desk1.StoredPlayers()));

    // Desk 1 adds a player in the editor, with a country; the record goes to the server.
    PlayerInfo *editor = openEditor(desk1);
    QVERIFY(editor);
    QCOMPARE(editor->Adodc1()->caption(), QStringLiteral("Record: 1"));
    click(*editor, "cmdAdd");
    setText(control<QLineEdit>(*editor, "FirstName"), QStringLiteral("Grace"));
    setText(control<QLineEdit>(*editor, "LastName"), QStringLiteral("O'Hopper \"GH\""));
    setText(control<QLineEdit>(*editor, "Country"), QStringLiteral("Česko"));
    click(*editor, "cmdUpdate");
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('\n')));
    QCOMPARE(serverRows(link1, QStringLiteral("SELECT p.ID, [first name], [last name], Country "
                                              "FROM PlayerInfo p JOIN ZuviPlayerCountry c ON "
                                              "c.PlayerId = p.ID")),
             QStringList{"3|Grace|O'Hopper \"GH\"|Česko"});
    // Desk 1 changes Ada's e-mail: one row, found by its key.
    QTest::mouseClick(control<QAbstractButton>(*editor, "MoveFirst"), Qt::LeftButton);
    setText(control<QLineEdit>(*editor, "Email"), QStringLiteral("ada@example.org"));
    click(*editor, "cmdUpdate");
    QCOMPARE(serverRows(link1, QStringLiteral("SELECT Email FROM PlayerInfo ORDER BY ID")),
             (QStringList{"ada@example.org", "NULL", "NULL"}));
    click(*editor, "cmdClose");
    QTRY_VERIFY(!desk1.playerEditor());
    QCOMPARE(listTexts(desk1.StoredPlayers()),
             (QStringList{"Lovelace, Ada", "Turing, Alan", "O'Hopper \"GH\", Grace"}));

    // Desk 2 reads the stored players again with Reconnect and registers the new one: the
    // entrant is linked to the server's player.
    QAction *reconnect = desk2.findChild<QAction *>(QStringLiteral("Reconnect"));
    QVERIFY(reconnect);
    reconnect->trigger();
    QCOMPARE(listTexts(desk2.StoredPlayers()), listTexts(desk1.StoredPlayers()));
    registerEntrant(desk2, 2, QStringLiteral("Stark"));
    QCOMPARE(serverRows(link2, QStringLiteral("SELECT Name, PlayerId FROM ZuviEntrantPlayer")),
             QStringList{"O'Hopper \"GH\", Grace|3"});
    QCOMPARE(m_messages->texts(), QStringList());
}

void TestSharedPlayers::aRecordDeletedAtAnotherStationIsNotWrittenBack()
{
    TempInstall install;
    StoreChoice choice;
    choice.server = m_server->address;
    setStoreChoice(choice);
    install.addPlayers({{QStringLiteral("Ada"), QStringLiteral("Lovelace")}});
    Data::ServerLink link(m_server->address, QStringLiteral("Desk 1"));
    ServerTournamentStore store(link);
    Throne desk(new TournamentProgress(&store));
    PlayerInfo *editor = openEditor(desk);
    QVERIFY(editor);

    Data::ServerLink other(m_server->address, QStringLiteral("Desk 2"));
    other.exec(QStringLiteral("DELETE FROM PlayerInfo"));
    setText(control<QLineEdit>(*editor, "City"), QStringLiteral("London"));
    click(*editor, "cmdUpdate");
    QCOMPARE(m_messages->texts(),
             QStringList{"The record was not written: it was changed or deleted elsewhere since "
                         "it was read."});
    QCOMPARE(serverRows(link, QStringLiteral("SELECT count(*) FROM PlayerInfo")), QStringList{"0"});
    QCOMPARE(control<QLineEdit>(*editor, "City")->text(), QStringLiteral("London"));
}

void TestSharedPlayers::aLostConnectionLosesNoTypingAndTheEditorGoesOn()
{
    TempInstall install;
    StoreChoice choice;
    choice.server = m_server->address;
    choice.station = QStringLiteral("Editor desk");
    setStoreChoice(choice);
    install.addPlayers({{QStringLiteral("Ada"), QStringLiteral("Lovelace")}});
    Data::ServerLink link(m_server->address, QStringLiteral("Desk 1"));
    ServerTournamentStore store(link);
    Throne desk(new TournamentProgress(&store));
    PlayerInfo *editor = openEditor(desk);
    QVERIFY(editor);

    // The editor's connection is ended by the server.
    Data::ServerLink admin(m_server->address, QStringLiteral("admin"));
    admin.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                              "application_name LIKE ?"),
               {QStringLiteral("%Editor desk%")});
    setText(control<QLineEdit>(*editor, "City"), QStringLiteral("London"));
    click(*editor, "cmdUpdate");
    QCOMPARE(m_messages->texts().size(), 1);
    QVERIFY2(m_messages->last().contains(QStringLiteral("was lost")),
             qPrintable(m_messages->last()));
    QCOMPARE(m_messages->ends(), 0);
    QCOMPARE(control<QLineEdit>(*editor, "City")->text(), QStringLiteral("London"));
    QCOMPARE(serverRows(admin, QStringLiteral("SELECT City FROM PlayerInfo")), QStringList{"NULL"});

    // Refresh opens the table again; typed again, the record is written.
    click(*editor, "cmdRefresh");
    QCOMPARE(editor->Adodc1()->caption(), QStringLiteral("Record: 1"));
    setText(control<QLineEdit>(*editor, "City"), QStringLiteral("London"));
    click(*editor, "cmdUpdate");
    QCOMPARE(serverRows(admin, QStringLiteral("SELECT City FROM PlayerInfo")),
             QStringList{"London"});
}

void TestSharedPlayers::theCommandLineImportsAndExportsTheServersPlayers()
{
    TempInstall install;
    QTemporaryDir folder;
    const QString in = writeFile(folder, QStringLiteral("in.csv"), playersFile());
    const QString out = folder.filePath(QStringLiteral("out.csv"));
    // The child's data folder is the TempInstall's (its XDG_DATA_HOME is inherited).
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PGPASSWORD"), m_server->address.password);
    Data::ServerAddress address = m_server->address;
    address.password.clear();

    const ZuviRun imported =
        runZuvi({QStringLiteral("--server"), address.url(), QStringLiteral("--import-players"), in},
                environment);
    QVERIFY(imported.finished);
    QVERIFY2(imported.exitCode == 0, qPrintable(imported.errText()));
    QVERIFY2(imported.outText().startsWith(QStringLiteral("Imported 6 players; skipped")),
             qPrintable(imported.outText()));
    const ZuviRun exported = runZuvi(
        {QStringLiteral("--server"), address.url(), QStringLiteral("--export-players"), out},
        environment);
    QVERIFY(exported.finished);
    QVERIFY2(exported.exitCode == 0, qPrintable(exported.errText()));
    QCOMPARE(exported.outText(), QStringLiteral("Exported 6 players to %1.\n").arg(out));
    QVERIFY(readFile(out).contains("\"O'Brien\""));
    // The file on this computer was not touched.
    Data::DbConnection file(Data::playersDatabase());
    QSqlQuery count = file.exec(QStringLiteral("SELECT count(*) FROM PlayerInfo"));
    QVERIFY(file.next(count));
    QCOMPARE(count.value(0).toInt(), 0);
}

QTEST_MAIN(TestSharedPlayers)
#include "tst_sharedplayers.moc"
