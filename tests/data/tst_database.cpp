// The data store: first-start creation, damaged files on the error path, bound values.

#include "support/testsupport.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "data/statements.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"

#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QTest>

using namespace Zuvi;
using Zuvi::Test::MessageLog;
using Zuvi::Test::TempInstall;

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartCreatesFolderFilesAndTables();
    void existingFilesAreLeftAlone();
    void damagedFileTakesTheErrorPath_data();
    void damagedFileTakesTheErrorPath();
    void openingMissingFileNeverCreatesIt();
    void boundValuesRoundTrip_data();
    void boundValuesRoundTrip();
    void standingsOrderBreaksTiesByName();
    void connectionsLeaveNoWarnings();
    void keptConnectionFollowsTheFile_data();
    void keptConnectionFollowsTheFile();
};

void TestDatabase::firstStartCreatesFolderFilesAndTables()
{
    TempInstall install(false);
    QVERIFY(!QFileInfo::exists(install.folder()));
    Data::ensureDatabases();

    const QFileInfo folder(install.folder());
    QVERIFY(folder.isDir());
    QCOMPARE(QFile::permissions(folder.filePath()) & 0x0077, QFileDevice::Permissions());
    for (const QString &name : {Data::playersDatabase(), Data::tournyDatabase()}) {
        const QString path = install.file(name);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QVERIFY(path.endsWith(name + QStringLiteral(".db")));
        // Owner read and write only: the player table holds personal data.
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                             QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".new")));
    }
    QCOMPARE(install.rows(Data::playersDatabase(), Data::Sql::selectPlayers()).size(), 0);
    QCOMPARE(install.rows(Data::tournyDatabase(), Data::Sql::selectStandings()).size(), 0);
    // Every column the windows use is there, spelled as they spell it.
    install.exec(Data::playersDatabase(),
                 QStringLiteral("SELECT \"First Name\", \"Last Name\", Email, Phone, Address, "
                                "City, State, Zip, Webpage, Username1, Username2, Username3, "
                                "Birthday, Password, \"Allow Email\" FROM PlayerInfo"));
}

void TestDatabase::existingFilesAreLeftAlone()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")}});
    Data::ensureDatabases();
    QCOMPARE(install.rows(Data::playersDatabase(), Data::Sql::selectPlayers()).size(), 1);
}

void TestDatabase::damagedFileTakesTheErrorPath_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("dropTable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not a database")
        << QByteArray(4096, 'x') << false << QStringLiteral("Error 26: file is not a database");
    QTest::newRow("table missing")
        << QByteArray() << true << QStringLiteral("Error 1: no such table: playerinfo");
}

void TestDatabase::damagedFileTakesTheErrorPath()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, dropTable);
    QFETCH(QString, expected);

    TempInstall install;
    const QString path = install.file(Data::playersDatabase());
    if (dropTable) {
        install.exec(Data::playersDatabase(), QStringLiteral("DROP TABLE PlayerInfo"));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytesBefore = before.readAll();
    before.close();

    Data::ensureDatabases();
    MessageLog log;
    Core::runGuarded([] { Throne throne(new TournamentProgress); });
    QCOMPARE(log.texts(), QStringList{expected});
    QCOMPARE(log.ends(), 1);
    QVERIFY(Core::isEnding());

    // The damaged file is neither replaced nor repaired.
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytesBefore);
}

void TestDatabase::openingMissingFileNeverCreatesIt()
{
    TempInstall install;
    const QString path = install.file(Data::tournyDatabase());
    QVERIFY(QFile::remove(path));
    try {
        Data::DbConnection connection(Data::tournyDatabase());
        connection.exec(Data::Sql::deleteStandings());
        QFAIL("opening a missing file succeeded");
    } catch (const Data::DbError &error) {
        QCOMPARE(error.code(), 14);
        QCOMPARE(error.description(), QStringLiteral("unable to open database file"));
    }
    QVERIFY(!QFileInfo::exists(path));
}

void TestDatabase::boundValuesRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("house");
    QTest::newRow("apostrophe") << QStringLiteral("O'Neil, Bran") << QStringLiteral("Stark's");
    QTest::newRow("quotes") << QStringLiteral("\"Big\", Al") << QStringLiteral("\"Lannister\"");
    QTest::newRow("non-ASCII") << QStringLiteral("Müller, Zoë") << QStringLiteral("Grëyjoy");
    QTest::newRow("sql fragment") << QStringLiteral("x'); DROP TABLE TournyInfo; --")
                                  << QStringLiteral("'; --");
}

void TestDatabase::boundValuesRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, house);
    TempInstall install;
    install.exec(Data::tournyDatabase(), Data::Sql::insertEntrant(), {name, house});
    install.exec(Data::tournyDatabase(), Data::Sql::recordGame(), {3, 12.5, name});
    const auto rows = install.rows(Data::tournyDatabase(), Data::Sql::selectStandings());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toString(), name);
    QCOMPARE(rows[0][1].toString(), house);
    QCOMPARE(rows[0][2].toInt(), 3);
    QCOMPARE(rows[0][3].toDouble(), 12.5);
}

void TestDatabase::standingsOrderBreaksTiesByName()
{
    TempInstall install;
    for (const char *name : {"Cole, C", "Abel, A", "Bast, B", "Dane, D"})
        install.exec(Data::tournyDatabase(), Data::Sql::insertEntrant(),
                     {QString::fromLatin1(name), QStringLiteral("Stark")});
    install.exec(Data::tournyDatabase(), Data::Sql::recordGame(),
                 {3, 10, QStringLiteral("Dane, D")});
    install.exec(Data::tournyDatabase(), Data::Sql::recordGame(),
                 {3, 10, QStringLiteral("Cole, C")});
    install.exec(Data::tournyDatabase(), Data::Sql::recordGame(),
                 {0, 4, QStringLiteral("Bast, B")});
    QStringList order;
    for (const auto &row : install.rows(Data::tournyDatabase(), Data::Sql::selectStandings()))
        order.append(row[0].toString());
    QCOMPARE(order, (QStringList{"Cole, C", "Dane, D", "Bast, B", "Abel, A"}));
}

void TestDatabase::connectionsLeaveNoWarnings()
{
    TempInstall install;
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    const QStringList before = QSqlDatabase::connectionNames();
    for (int i = 0; i < 3; ++i)
        install.rows(Data::playersDatabase(), Data::Sql::selectPlayers());
    // One operation after another reuse one kept connection; none is left per operation.
    QVERIFY(QSqlDatabase::connectionNames().size() <= before.size() + 1);
}

// A connection kept between operations must never outlive the file it was opened on: a
// file replaced or renamed away between two operations is seen as a new connection would
// see it. (Permissions are part of the file's identity too; the fault table checks them in
// a process without root.)
void TestDatabase::keptConnectionFollowsTheFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("unchanged") << QString() << false << QStringLiteral("Second, S");
    QTest::newRow("replaced by another file")
        << QStringLiteral("replace") << false << QStringLiteral("Other, O");
    QTest::newRow("renamed away") << QStringLiteral("rename") << true << QString();
}

void TestDatabase::keptConnectionFollowsTheFile()
{
    QFETCH(QString, change);
    QFETCH(bool, writeFails);
    QFETCH(QString, nameAfter);
    TempInstall install;
    const QString path = install.file(Data::tournyDatabase());
    // An earlier operation leaves its connection kept.
    install.exec(Data::tournyDatabase(), Data::Sql::insertEntrant(),
                 {QStringLiteral("First, F"), QStringLiteral("Stark")});
    const QString other = install.folder() + QStringLiteral("/other.db");
    QVERIFY(QFile::copy(path, other));
    {
        Data::DbConnection connection(Data::DbConnection::AtPath{other});
        connection.exec(QStringLiteral("DELETE FROM TournyInfo"));
    }
    if (change == QStringLiteral("replace")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(other, path));
    } else if (change == QStringLiteral("rename")) {
        QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));
    }
    const QString second = change == QStringLiteral("replace") ? QStringLiteral("Other, O")
                                                               : QStringLiteral("Second, S");
    bool failed = false;
    try {
        install.exec(Data::tournyDatabase(), Data::Sql::insertEntrant(),
                     {second, QStringLiteral("Stark")});
    } catch (const Data::DbError &) {
        failed = true;
    }
    QCOMPARE(failed, writeFails);
    if (change == QStringLiteral("rename")) {
        // Nothing was written to the file renamed away either.
        Data::DbConnection away(Data::DbConnection::AtPath{path + QStringLiteral(".away")});
        QSqlQuery count = away.exec(QStringLiteral("SELECT count(*) FROM TournyInfo"));
        QVERIFY(away.next(count));
        QCOMPARE(count.value(0).toInt(), 1);
        return;
    }
    QStringList names;
    for (const auto &row : install.rows(Data::tournyDatabase(), Data::Sql::selectStandings()))
        names.append(row[0].toString());
    QVERIFY2(names.contains(nameAfter), qPrintable(names.join(u'|')));
    if (change == QStringLiteral("replace"))
        QCOMPARE(names, QStringList{nameAfter});
}

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
