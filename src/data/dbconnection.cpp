#include "data/dbconnection.h"

#include "data/dberror.h"
#include "data/installfolder.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace Zuvi::Data {

namespace {
// How long a statement waits for another connection's lock before it fails.
constexpr int kBusyTimeoutMs = 1000;

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("zuvi-%1").arg(counter.fetchAndAddRelaxed(1));
}

// Every failure raised through a connection; a connection that saw one is not kept.
QAtomicInteger<quint64> g_failures;

// A connection of the main thread kept open between operations, with the identity of the
// file it was opened on. Opening a connection (the file, its schema) costs more than most
// single-row operations; a kept one is handed out again only while its path still names
// the same file with the same permissions, so a file renamed away, replaced or made
// read-only is opened afresh and fails as a new connection would.
struct KeptConnection
{
    QString path;
    QString name;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    bool busy = false;
};

constexpr std::size_t kMostKept = 4;

bool identify(const QString &path, KeptConnection &into)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    into.device = status.st_dev;
    into.inode = status.st_ino;
    into.mode = status.st_mode;
    into.owner = status.st_uid;
    return true;
}

bool sameFile(const KeptConnection &a, const KeptConnection &b)
{
    return a.device == b.device && a.inode == b.inode && a.mode == b.mode && a.owner == b.owner;
}

void closeConnection(const QString &name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

std::vector<KeptConnection> &keptConnections()
{
    static std::vector<KeptConnection> kept;
    static bool cleanup = false;
    if (!cleanup) {
        cleanup = true;
        // Closed while the application (and the SQL driver it loaded) still exists; an
        // application made after it arms the routine again.
        qAddPostRoutine([] {
            for (const KeptConnection &connection : kept)
                closeConnection(connection.name);
            kept.clear();
            cleanup = false;
        });
    }
    return kept;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

bool mayKeep()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
} // namespace

DbConnection::DbConnection(const QString &databaseName)
{
    const QString path = databaseFile(databaseName);
    if (!mayKeep()) {
        open(path, false);
        return;
    }
    KeptConnection now;
    const bool exists = identify(path, now);
    std::vector<KeptConnection> &kept = keptConnections();
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->path != path || it->busy)
            continue;
        if (exists && sameFile(*it, now)) {
            it->busy = true;
            m_name = it->name;
            m_db = QSqlDatabase::database(m_name, false);
            m_kept = true;
            m_failuresAtOpen = g_failures.loadRelaxed();
            return;
        }
        closeConnection(it->name);
        kept.erase(it);
        break;
    }
    open(path, false);
    if (!exists || !identify(path, now))
        return;
    if (kept.size() >= kMostKept) {
        const auto idle =
            std::find_if(kept.begin(), kept.end(), [](const KeptConnection &k) { return !k.busy; });
        if (idle == kept.end())
            return;
        closeConnection(idle->name);
        kept.erase(idle);
    }
    now.path = path;
    now.name = m_name;
    now.busy = true;
    kept.push_back(now);
    m_kept = true;
    m_failuresAtOpen = g_failures.loadRelaxed();
}

DbConnection::DbConnection(const AtPath &where)
{
    open(where.filePath, where.create);
}

void DbConnection::open(const QString &filePath, bool create)
{
    m_name = nextConnectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    if (!m_db.isValid()) {
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw DbError(-1, QStringLiteral("the SQLite driver is not available"));
    }
    // The URI form with mode=rw opens only an existing file: a missing file is an error,
    // never an empty database created in its place.
    const QString uri = QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded) +
                        (create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw"));
    m_db.setDatabaseName(uri);
    m_db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        if (resultCode(error) < 0)
            throw DbError(14, QStringLiteral("unable to open database file"));
        raise(error);
    }
}

DbConnection::~DbConnection()
{
    if (m_name.isEmpty())
        return;
    if (m_kept) {
        std::vector<KeptConnection> &kept = keptConnections();
        const auto it = std::find_if(kept.begin(), kept.end(),
                                     [this](const KeptConnection &k) { return k.name == m_name; });
        if (it != kept.end()) {
            // Kept only when it is as a new one would be: no failure seen, no transaction
            // left open, no other database attached.
            sqlite3 *db = handleOf(m_db);
            const bool clean = db && g_failures.loadRelaxed() == m_failuresAtOpen &&
                               sqlite3_get_autocommit(db) != 0 && !sqlite3_db_name(db, 2);
            if (clean) {
                it->busy = false;
                m_db = QSqlDatabase();
                return;
            }
            kept.erase(it);
        }
    }
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlQuery DbConnection::prepare(const QString &sql)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        raise(query.lastError());
    return query;
}

void DbConnection::exec(QSqlQuery &query, const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values.at(i));
    if (!query.exec())
        raise(query.lastError());
}

QSqlQuery DbConnection::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = prepare(sql);
    exec(query, values);
    return query;
}

bool DbConnection::next(QSqlQuery &query)
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        raise(query.lastError());
    return false;
}

QVariant RowView::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(column));
    }
}

QString RowView::text(int column) const
{
    return isNumber(column) ? value(column).toString() : QString::fromUtf8(utf8(column));
}

qint64 RowView::integer(int column) const
{
    if (sqlite3_column_type(m_statement, column) == SQLITE_INTEGER)
        return sqlite3_column_int64(m_statement, column);
    return value(column).toLongLong();
}

bool RowView::isNumber(int column) const
{
    const int type = sqlite3_column_type(m_statement, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

QByteArrayView RowView::utf8(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(bytes, bytes ? sqlite3_column_bytes(m_statement, column) : 0);
}

namespace {
sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3 *result = *static_cast<sqlite3 *const *>(handle.constData()))
            return result;
    }
    throw DbError(-1, QStringLiteral("the SQLite driver is not available"));
}

[[noreturn]] void raiseSqlite(sqlite3 *db)
{
    g_failures.fetchAndAddRelaxed(1);
    throw DbError(sqlite3_errcode(db) & 0xff, QString::fromUtf8(sqlite3_errmsg(db)));
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

Statement prepareSqlite(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK)
        raiseSqlite(db);
    return Statement(raw, sqlite3_finalize);
}
} // namespace

void DbConnection::execForEach(const QString &sql, const QList<QVariantList> &rows)
{
    sqlite3 *db = sqliteHandle(m_db);
    const Statement statement = prepareSqlite(db, sql);
    sqlite3_stmt *raw = statement.get();
    for (const QVariantList &values : rows) {
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QVariant &value = values.at(i);
            const int index = int(i + 1);
            int rc;
            switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
            case QMetaType::UnknownType:
                rc = sqlite3_bind_null(raw, index);
                break;
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::Short:
                rc = sqlite3_bind_int64(raw, index, value.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(raw, index, value.toDouble());
                break;
            default: {
                // A null text binds NULL, as the Qt driver binds it.
                const QString string = value.toString();
                if (string.isNull()) {
                    rc = sqlite3_bind_null(raw, index);
                    break;
                }
                const QByteArray text = string.toUtf8();
                rc = sqlite3_bind_text(raw, index, text.constData(), int(text.size()),
                                       SQLITE_TRANSIENT);
                break;
            }
            }
            if (rc != SQLITE_OK)
                raiseSqlite(db);
        }
        if (sqlite3_step(raw) != SQLITE_DONE)
            raiseSqlite(db);
        sqlite3_reset(raw);
        sqlite3_clear_bindings(raw);
    }
}

void DbConnection::readRows(const QString &sql,
                            const std::function<void(const RowView &row)> &visit)
{
    sqlite3 *db = sqliteHandle(m_db);
    const Statement statement = prepareSqlite(db, sql);
    sqlite3_stmt *raw = statement.get();
    const RowView row(raw);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        visit(row);
    if (rc != SQLITE_DONE)
        raiseSqlite(db);
}

// BEGIN and COMMIT go straight to SQLite: nothing to bind, nothing to read, and no
// statement to prepare through the driver at every step.
void DbConnection::begin()
{
    sqlite3 *db = sqliteHandle(m_db);
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseSqlite(db);
}

void DbConnection::commit()
{
    sqlite3 *db = sqliteHandle(m_db);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseSqlite(db);
}

qint64 DbConnection::changes()
{
    return sqlite3_changes64(sqliteHandle(m_db));
}

qint64 DbConnection::lastInsertRowid()
{
    return sqlite3_last_insert_rowid(sqliteHandle(m_db));
}

Transaction::Transaction(DbConnection &connection) : m_connection(connection)
{
    m_connection.begin();
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    // Runs while an exception unwinds: a failing rollback must not throw again.
    QSqlQuery rollback(m_connection.database());
    rollback.exec(QStringLiteral("ROLLBACK"));
}

void Transaction::commit()
{
    m_connection.commit();
    m_open = false;
}

int DbConnection::resultCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        return -1;
    // Extended result codes carry the primary code in their low byte.
    return code & 0xff;
}

void DbConnection::raise(const QSqlError &error)
{
    QString description = error.databaseText();
    if (description.isEmpty())
        description = error.driverText();
    if (description.isEmpty())
        description = QStringLiteral("unknown database error");
    g_failures.fetchAndAddRelaxed(1);
    throw DbError(resultCode(error), description);
}

} // namespace Zuvi::Data
