#pragma once

#include "data/serverlink.h"

#include <QSqlDatabase>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

class QSqlError;

namespace Zuvi::Data {
class DbConnection;
}

namespace Zuvi {

/// One row handed to RecordConnection::readRows(); valid only during the call.
class RecordRow
{
public:
    virtual ~RecordRow() = default;
    virtual QVariant value(int column) const = 0;
    /// The column as text (empty for NULL).
    virtual QString text(int column) const = 0;
};

/// The database under the record control: the stored players' file on this computer, or
/// the shared server. Each tells the model how its rows are identified and how a write
/// reports the rows it changed; everything else is plain SQL on database(). Failures throw
/// Data::DbError (the file) or Data::ServerError (the server).
class RecordConnection
{
public:
    virtual ~RecordConnection() = default;

    /// The connection, for the driver's record(), primaryIndex() and escaping, and for
    /// queries of the model's own.
    virtual QSqlDatabase database() = 0;
    /// The name a table goes by on this connection.
    virtual QString tableName(const QString &name) const = 0;
    /// The column that identifies the rows of a table and orders them, given its columns
    /// and key; empty where the rows have no such identity (they are then read whole).
    virtual QString identity(const QString &escapedTable, const QSqlRecord &fields,
                             const QSqlIndex &key) = 0;
    /// Runs a query and hands every row to visit.
    virtual void readRows(const QString &sql,
                          const std::function<void(const RecordRow &row)> &visit) = 0;
    /// Runs a statement with its values bound; a SELECT's first value is returned.
    virtual QVariant exec(const QString &sql, const QVariantList &values = {}) = 0;
    /// Runs an INSERT, UPDATE or DELETE and returns the number of rows it changed; for an
    /// INSERT, inserted receives the identity (identityColumn) of the new row.
    virtual qint64 write(const QString &sql, const QVariantList &values,
                         const QString &identityColumn, qint64 *inserted) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    /// Throws the connection's failure for a Qt SQL error.
    [[noreturn]] virtual void raise(const QSqlError &error) = 0;

    /// The stored players' file of this computer (databaseName as DbConnection takes it).
    static std::unique_ptr<RecordConnection> openFile(const QString &databaseName);
    /// The shared server, one connection for as long as the record control lives.
    static std::unique_ptr<RecordConnection> openServer(const Data::ServerAddress &address,
                                                        const QString &station);
};

/// One transaction on a record connection for the length of a scope.
class RecordTransaction final
{
public:
    explicit RecordTransaction(RecordConnection &connection) : m_connection(connection)
    {
        m_connection.begin();
    }
    ~RecordTransaction()
    {
        if (m_open)
            m_connection.rollback();
    }
    Q_DISABLE_COPY_MOVE(RecordTransaction)

    void commit()
    {
        m_connection.commit();
        m_open = false;
    }

private:
    RecordConnection &m_connection;
    bool m_open = true;
};

} // namespace Zuvi
