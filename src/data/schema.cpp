#include "data/schema.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/playercountrystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace Zuvi::Data {

QString createPlayerTable()
{
    return QStringLiteral("CREATE TABLE PlayerInfo (ID INTEGER PRIMARY KEY, "
                          "\"First Name\" TEXT, \"Last Name\" TEXT, Email TEXT, Phone TEXT, "
                          "Address TEXT, City TEXT, State TEXT, Zip TEXT, Webpage TEXT, "
                          "Username1 TEXT, Username2 TEXT, Username3 TEXT, Birthday TEXT, "
                          "Password TEXT, \"Allow Email\" INTEGER DEFAULT 0)");
}

QString createTournyTable()
{
    return QStringLiteral(
        "CREATE TABLE TournyInfo (Name TEXT, House TEXT, Score INTEGER, Power REAL)");
}

namespace {

// The tables of the tournament's progress, beside the standings in Tourny.db.
const char *const kTables[][2] = {
    {"ZuviState", "CREATE TABLE IF NOT EXISTS ZuviState (Key TEXT PRIMARY KEY, Value)"},
    {"ZuviEntrant",
     "CREATE TABLE IF NOT EXISTS ZuviEntrant (Position INTEGER PRIMARY KEY, Name TEXT NOT "
     "NULL, House TEXT NOT NULL, ScoreText TEXT NOT NULL, NameShown INTEGER NOT NULL, "
     "Dropped INTEGER NOT NULL)"},
    {"ZuviSeat", "CREATE TABLE IF NOT EXISTS ZuviSeat (Seat INTEGER PRIMARY KEY, Player1 TEXT "
                 "NOT NULL, Player2 TEXT NOT NULL, Recorded INTEGER NOT NULL)"},
    {"ZuviGame",
     "CREATE TABLE IF NOT EXISTS ZuviGame (Id INTEGER PRIMARY KEY, Round INTEGER NOT NULL, "
     "Pairing INTEGER NOT NULL, Seat INTEGER NOT NULL, Player1 TEXT NOT NULL, Player2 TEXT "
     "NOT NULL, Result1 TEXT NOT NULL, Points1 INTEGER NOT NULL, Power1 REAL NOT NULL, "
     "Power2 REAL NOT NULL)"},
    {"ZuviMissedGame",
     "CREATE TABLE IF NOT EXISTS ZuviMissedGame (Round INTEGER NOT NULL, Pairing INTEGER NOT "
     "NULL, Seat INTEGER NOT NULL, Player1 TEXT NOT NULL, Player2 TEXT NOT NULL, PRIMARY KEY "
     "(Round, Pairing, Seat))"},
    {"ZuviEntrantPlayer", "CREATE TABLE IF NOT EXISTS ZuviEntrantPlayer (Name TEXT PRIMARY KEY, "
                          "PlayerId INTEGER NOT NULL)"},
};

void upgradeProgressTables(DbConnection &connection)
{
    int present = 0;
    {
        QSqlQuery query = connection.exec(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                           "('ZuviState', 'ZuviEntrant', 'ZuviSeat', 'ZuviGame', 'ZuviMissedGame', "
                           "'ZuviEntrantPlayer')"));
        if (connection.next(query))
            present = query.value(0).toInt();
    }
    // A file that has every table is only read, so that a read-only file still opens.
    if (present == int(std::size(kTables)))
        return;
    Transaction transaction(connection);
    for (const auto &table : kTables)
        connection.exec(QString::fromLatin1(table[1]));
    transaction.commit();
}

// The club's archive of finished tournaments, beside the stored players in players.db.
const char *const kArchiveTables[] = {
    "CREATE TABLE IF NOT EXISTS ZuviArchive (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL, Played "
    "TEXT NOT NULL, Rounds INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ZuviArchiveEntrant (ArchiveId INTEGER NOT NULL, Position INTEGER "
    "NOT NULL, Name TEXT NOT NULL, House TEXT NOT NULL, PlayerId INTEGER NOT NULL, Rank INTEGER "
    "NOT NULL, Score REAL NOT NULL, Power REAL NOT NULL, Dropped INTEGER NOT NULL, Late INTEGER "
    "NOT NULL DEFAULT 0, PRIMARY KEY (ArchiveId, Position))",
    "CREATE TABLE IF NOT EXISTS ZuviArchiveGame (ArchiveId INTEGER NOT NULL, Position INTEGER NOT "
    "NULL, Round INTEGER NOT NULL, TableNo INTEGER NOT NULL, Player1 TEXT NOT NULL, Player2 TEXT "
    "NOT NULL, Result1 TEXT NOT NULL, Points1 INTEGER NOT NULL, Power1 REAL NOT NULL, Power2 REAL "
    "NOT NULL, PRIMARY KEY (ArchiveId, Position))",
    "CREATE TABLE IF NOT EXISTS ZuviLeague (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL UNIQUE, "
    "FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, Scheme INTEGER NOT NULL, Placement TEXT NOT "
    "NULL, BestOf INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ZuviLeagueTournament (LeagueId INTEGER NOT NULL, ArchiveId "
    "INTEGER NOT NULL, PRIMARY KEY (LeagueId, ArchiveId))",
};

/// Creates the archive's tables in players.db where they are missing; a file that has them
/// is only read, so that a read-only file still opens.
void upgradeArchiveTables(DbConnection &players)
{
    bool lateKept = false;
    try {
        QSqlQuery query = players.exec(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                           "('ZuviArchive', 'ZuviArchiveEntrant', 'ZuviArchiveGame', "
                           "'ZuviLeague', 'ZuviLeagueTournament')"));
        const bool tables =
            players.next(query) && query.value(0).toInt() == int(std::size(kArchiveTables));
        query.finish();
        // Archives written before late entries were marked lack the column.
        QSqlQuery late = players.exec(QStringLiteral(
            "SELECT count(*) FROM pragma_table_info('ZuviArchiveEntrant') WHERE name = 'Late'"));
        lateKept = players.next(late) && late.value(0).toInt() == 1;
        if (tables && lateKept)
            return;
    } catch (const DbError &) {
        // A damaged or locked file: the first operation that needs it reports it.
        return;
    }
    Transaction transaction(players);
    for (const char *statement : kArchiveTables)
        players.exec(QString::fromLatin1(statement));
    if (!lateKept) {
        // A table made just now has it already.
        QSqlQuery late = players.exec(QStringLiteral(
            "SELECT count(*) FROM pragma_table_info('ZuviArchiveEntrant') WHERE name = 'Late'"));
        const bool made = players.next(late) && late.value(0).toInt() == 1;
        late.finish();
        if (!made)
            players.exec(QStringLiteral(
                "ALTER TABLE ZuviArchiveEntrant ADD COLUMN Late INTEGER NOT NULL DEFAULT 0"));
    }
    transaction.commit();
}

[[noreturn]] void failCreate(const QString &path)
{
    const int err = errno;
    // SQLITE_CANTOPEN: the same number a failure to open the file reports.
    throw DbError(14, QStringLiteral("unable to create %1: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(err))));
}

void ensureFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent))
        failCreate(parent);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        failCreate(folder);
}

// Builds the database in a temporary file beside its final name and moves it into place
// only when its table exists, so that an interrupted creation never leaves a file
// without its table behind.
void createDatabase(const QString &path, const QString &createTable)
{
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
    {
        DbConnection connection(DbConnection::AtPath{temporary, true});
        connection.exec(createTable);
    }
    const QByteArray tempName = QFile::encodeName(temporary);
    if (::chmod(tempName.constData(), 0600) != 0)
        failCreate(temporary);
    // link() refuses an existing target, so a file that appeared meanwhile is kept.
    if (::link(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        if (err == EEXIST)
            return;
        errno = err;
        failCreate(path);
    }
    ::unlink(tempName.constData());
}
} // namespace

void ensureDatabases()
{
    const QString folder = installFolder();
    ensureFolder(folder);
    const struct
    {
        QString name;
        QString createTable;
    } databases[] = {{playersDatabase(), createPlayerTable()},
                     {tournyDatabase(), createTournyTable()}};
    for (const auto &database : databases) {
        const QString path = databaseFile(database.name);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            createDatabase(path, database.createTable);
    }
    upgradeTournyDatabase();
    upgradePlayersDatabase();
}

void upgradeTournyDatabase()
{
    DbConnection connection(tournyDatabase());
    upgradeProgressTables(connection);
}

void upgradePlayersDatabase()
{
    std::unique_ptr<DbConnection> connection;
    try {
        connection = std::make_unique<DbConnection>(playersDatabase());
    } catch (const DbError &) {
        // A file that cannot be opened is reported by the first operation that needs it.
        return;
    }
    PlayerCountryStore::upgrade(*connection);
    upgradeArchiveTables(*connection);
}

} // namespace Zuvi::Data
