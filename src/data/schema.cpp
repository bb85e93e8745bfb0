#include "data/schema.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/progressstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
}

void upgradeTournyDatabase()
{
    DbConnection connection(tournyDatabase());
    ProgressStore::upgrade(connection);
}

} // namespace Zuvi::Data
