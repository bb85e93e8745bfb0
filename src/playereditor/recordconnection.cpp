#include "playereditor/recordconnection.h"

#include "data/dbconnection.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlError>
#include <QSqlQuery>

namespace Zuvi {

namespace {

class FileRow final : public RecordRow
{
public:
    explicit FileRow(const Data::RowView &row) : m_row(row) {}
    QVariant value(int column) const override { return m_row.value(column); }
    QString text(int column) const override { return m_row.text(column); }

private:
    const Data::RowView &m_row;
};

// The stored players' file: rows are identified by SQLite's rowid.
class FileConnection final : public RecordConnection
{
public:
    explicit FileConnection(const QString &databaseName) : m_connection(databaseName) {}

    QSqlDatabase database() override { return m_connection.database(); }
    QString tableName(const QString &name) const override { return name; }

    QString identity(const QString &escapedTable, const QSqlRecord &fields,
                     const QSqlIndex &) override
    {
        // The rowid goes by any of its three names that no column of the table takes.
        QString name;
        for (const QString &candidate :
             {QStringLiteral("rowid"), QStringLiteral("_rowid_"), QStringLiteral("oid")}) {
            if (!fields.contains(candidate)) {
                name = candidate;
                break;
            }
        }
        if (name.isEmpty() || fields.isEmpty())
            return QString();
        // A table without rowids (or a view) cannot be read by rowid.
        QSqlQuery probe(m_connection.database());
        return probe.prepare(QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(name, escapedTable))
                   ? name
                   : QString();
    }

    void readRows(const QString &sql,
                  const std::function<void(const RecordRow &row)> &visit) override
    {
        m_connection.readRows(sql, [&](const Data::RowView &row) { visit(FileRow(row)); });
    }

    QVariant exec(const QString &sql, const QVariantList &values) override
    {
        QSqlQuery query = m_connection.exec(sql, values);
        return query.isSelect() && m_connection.next(query) ? query.value(0) : QVariant();
    }

    qint64 write(const QString &sql, const QVariantList &values, const QString &,
                 qint64 *inserted) override
    {
        {
            QSqlQuery query = m_connection.prepare(sql);
            m_connection.exec(query, values);
        }
        if (inserted)
            *inserted = m_connection.lastInsertRowid();
        return m_connection.changes();
    }

    void begin() override { m_connection.begin(); }
    void commit() override { m_connection.commit(); }
    void rollback() noexcept override
    {
        // A rollback that fails is left to the connection's close, which rolls back too.
        try {
            m_connection.exec(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
    }
    [[noreturn]] void raise(const QSqlError &error) override { Data::DbConnection::raise(error); }

private:
    Data::DbConnection m_connection;
};

class ServerRow final : public RecordRow
{
public:
    explicit ServerRow(const QSqlQuery &query) : m_query(query) {}
    QVariant value(int column) const override { return m_query.value(column); }
    QString text(int column) const override { return m_query.value(column).toString(); }

private:
    const QSqlQuery &m_query;
};

// The shared server: its tables' names are in lower case, and rows are identified by the
// table's whole-number key.
class ServerConnection final : public RecordConnection
{
public:
    ServerConnection(const Data::ServerAddress &address, const QString &station)
        : m_link(address, station)
    {
        m_link.connect();
    }

    QSqlDatabase database() override { return m_link.database(); }
    QString tableName(const QString &name) const override { return name.toLower(); }

    QString identity(const QString &, const QSqlRecord &fields, const QSqlIndex &key) override
    {
        if (key.count() != 1)
            return QString();
        const int type = fields.field(key.fieldName(0)).metaType().id();
        const bool whole = type == QMetaType::Int || type == QMetaType::LongLong ||
                           type == QMetaType::UInt || type == QMetaType::ULongLong;
        return whole ? m_link.database().driver()->escapeIdentifier(key.fieldName(0),
                                                                    QSqlDriver::FieldName)
                     : QString();
    }

    void readRows(const QString &sql,
                  const std::function<void(const RecordRow &row)> &visit) override
    {
        QSqlQuery &query = m_link.exec(sql);
        const ServerRow row(query);
        while (m_link.next(query))
            visit(row);
        query.finish();
    }

    QVariant exec(const QString &sql, const QVariantList &values) override
    {
        QSqlQuery &query = m_link.exec(sql, values);
        QVariant first;
        if (query.isSelect() && m_link.next(query))
            first = query.value(0);
        query.finish();
        return first;
    }

    qint64 write(const QString &sql, const QVariantList &values, const QString &identityColumn,
                 qint64 *inserted) override
    {
        const bool returning = inserted && !identityColumn.isEmpty() &&
                               sql.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive);
        QSqlQuery &query = m_link.exec(
            returning ? sql + QStringLiteral(" RETURNING ") + identityColumn : sql, values);
        if (!returning)
            return query.numRowsAffected();
        // The rows returned are the rows written (the driver reads them one by one and
        // counts none as affected).
        qint64 changed = 0;
        while (m_link.next(query)) {
            *inserted = query.value(0).toLongLong();
            ++changed;
        }
        return changed;
    }

    void begin() override { m_link.begin(); }
    void commit() override { m_link.commit(); }
    void rollback() noexcept override { m_link.rollback(); }
    [[noreturn]] void raise(const QSqlError &error) override { m_link.raise(error); }

private:
    Data::ServerLink m_link;
};

} // namespace

std::unique_ptr<RecordConnection> RecordConnection::openFile(const QString &databaseName)
{
    return std::make_unique<FileConnection>(databaseName);
}

std::unique_ptr<RecordConnection> RecordConnection::openServer(const Data::ServerAddress &address,
                                                               const QString &station)
{
    return std::make_unique<ServerConnection>(address, station);
}

} // namespace Zuvi
