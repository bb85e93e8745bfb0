#include "data/backup.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDriver>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Zuvi::Data {

namespace {
constexpr int kKept = 10;

[[noreturn]] void raiseSqlite(sqlite3 *db, int rc)
{
    const QString text =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw DbError(rc & 0xff, text);
}

void prune(QDir folder)
{
    static const QRegularExpression pattern(QStringLiteral("^Tourny-round(\\d+)\\.db$"));
    QList<std::pair<qint64, QString>> copies;
    const QStringList names = folder.entryList(QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            copies.append({match.captured(1).toLongLong(), name});
    }
    std::sort(copies.begin(), copies.end());
    for (qsizetype i = 0; i + kKept < copies.size(); ++i)
        folder.remove(copies.at(i).second);
}
} // namespace

QString backupFolder()
{
    return installFolder() + QStringLiteral("/backups");
}

QString tournamentBackupFolder(qint64 startedAtMs)
{
    if (startedAtMs <= 0)
        return backupFolder();
    // Local time, as the organiser remembers the evening; sorts by date in any file list.
    return backupFolder() + QLatin1Char('/') +
           QDateTime::fromMSecsSinceEpoch(startedAtMs)
               .toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

void backupTournyDatabase(qint64 startedAtMs, int round)
{
    // Readable by the organiser only: the copies hold the players' names.
    for (const QString &folder : {backupFolder(), tournamentBackupFolder(startedAtMs)}) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
            throw DbError(14, QStringLiteral("unable to create %1: %2")
                                  .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        }
    }
    const QString folder = tournamentBackupFolder(startedAtMs);
    const QString target = folder + QStringLiteral("/Tourny-round%1.db").arg(round);
    const QString temporary = target + QStringLiteral(".new");
    QFile::remove(temporary);

    DbConnection source(tournyDatabase());
    auto *from = *static_cast<sqlite3 *const *>(source.database().driver()->handle().data());
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(to);
        QFile::remove(temporary);
        raiseSqlite(nullptr, rc);
    }
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        const DbError error(sqlite3_errcode(to) & 0xff, QString::fromUtf8(sqlite3_errmsg(to)));
        sqlite3_close(to);
        QFile::remove(temporary);
        throw error;
    }
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        rc = sqlite3_exec(to, "PRAGMA user_version", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        const DbError error(rc & 0xff, QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close(to);
        QFile::remove(temporary);
        throw error;
    }
    sqlite3_close(to);
    ::chmod(QFile::encodeName(temporary).constData(), 0600);
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        throw DbError(14, QStringLiteral("unable to write %1").arg(target));
    }
    prune(QDir(folder));
}

} // namespace Zuvi::Data
