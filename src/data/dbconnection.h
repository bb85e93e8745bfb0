#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>

class QSqlError;
struct sqlite3_stmt;

namespace Zuvi::Data {

/// One row handed out by DbConnection::readRows(). Its values are valid only during the
/// call that receives it.
class RowView final
{
public:
    explicit RowView(sqlite3_stmt *statement) : m_statement(statement) {}
    /// The value of a column as the Qt driver reads it: an integer as qlonglong, a real
    /// as double, text as QString, NULL as a null QVariant.
    QVariant value(int column) const;
    /// The column as text, as value(column).toString() gives it (empty for NULL).
    QString text(int column) const;
    /// The column as a whole number, as value(column).toLongLong() gives it for an integer
    /// (0 for NULL).
    qint64 integer(int column) const;
    /// True when the column holds a number, whose text is not its stored bytes.
    bool isNumber(int column) const;
    /// The bytes of a text column (empty for NULL), valid until the next column of the
    /// row is read.
    QByteArrayView utf8(int column) const;

private:
    sqlite3_stmt *m_statement;
};

/// One connection to one database file for the length of one operation. It opens the
/// existing file (never creating one) and closes it when the scope ends; on the main
/// thread, a connection to a named database that ended cleanly is kept for the next
/// operation on the same, unchanged file. Every failure
/// throws DbError with SQLite's result code and description. Queries made through it
/// must be destroyed before it, which declaring them after it in the same scope ensures.
/// An operation that ends with an exception inside begin()/commit() is rolled back when
/// the connection closes.
class DbConnection final
{
public:
    /// Opens the file of databaseName ("players" or "Tourny") in the installation folder.
    explicit DbConnection(const QString &databaseName);
    /// Opens the database file at an explicit path (creation, tools and tests);
    /// create allows SQLite to create a missing file.
    struct AtPath
    {
        QString filePath;
        bool create = false;
    };
    explicit DbConnection(const AtPath &where);
    ~DbConnection();

    Q_DISABLE_COPY_MOVE(DbConnection)

    /// Prepares a statement for binding and repeated execution.
    QSqlQuery prepare(const QString &sql);
    /// Executes a prepared statement with its values bound positionally.
    void exec(QSqlQuery &query, const QVariantList &values = {});
    /// Prepares and executes a statement; the query is returned positioned before the
    /// first row and forward-only.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    /// Reads the next row of a query, throwing if reading failed rather than ended.
    bool next(QSqlQuery &query);

    /// Runs a query straight through SQLite on this connection and hands every row to
    /// visit. For long lists: it reads the text as stored (UTF-8) and keeps no row cache,
    /// where QSqlQuery has SQLite convert every text to UTF-16 and copies every value
    /// through its cache.
    void readRows(const QString &sql, const std::function<void(const RowView &row)> &visit);

    /// Runs one statement once for every list of values, prepared once and straight
    /// through SQLite: for many rows in one transaction. Values bind as the Qt driver
    /// binds them (text, whole number, real number or NULL).
    void execForEach(const QString &sql, const QList<QVariantList> &rows);

    void begin();
    /// Commits through a COMMIT statement so that a failure carries SQLite's result code.
    void commit();

    /// The rows the last statement changed, and the rowid of the last row inserted, as
    /// SQLite's changes() and last_insert_rowid() give them.
    qint64 changes();
    qint64 lastInsertRowid();

    QSqlDatabase &database() { return m_db; }
    const QString &connectionName() const { return m_name; }

    /// The result code carried by a Qt SQL error (SQLite's primary code), or -1.
    static int resultCode(const QSqlError &error);
    /// Throws DbError for a Qt SQL error.
    [[noreturn]] static void raise(const QSqlError &error);

private:
    void open(const QString &filePath, bool create);

    QString m_name;
    QSqlDatabase m_db;
    // Handed back for the next operation on the same file when this one ends cleanly.
    bool m_kept = false;
    quint64 m_failuresAtOpen = 0;
};

/// One transaction on a connection for the length of a scope: BEGIN IMMEDIATE in the
/// constructor, COMMIT through commit(), ROLLBACK in the destructor unless committed.
/// Every failure throws DbError as the connection does; a rollback that fails in the
/// destructor is left to the connection's close, which rolls back as well.
class Transaction final
{
public:
    explicit Transaction(DbConnection &connection);
    ~Transaction();
    Q_DISABLE_COPY_MOVE(Transaction)

    /// Commits; afterwards the destructor does nothing.
    void commit();

private:
    DbConnection &m_connection;
    bool m_open = true;
};

} // namespace Zuvi::Data
