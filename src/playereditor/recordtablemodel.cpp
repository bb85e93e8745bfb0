#include "playereditor/recordtablemodel.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "playereditor/recordrefusal.h"

#include <QSqlError>
#include <QStringList>
#include <QVariantList>

namespace Zuvi {

RecordTableModel::RecordTableModel(Data::DbConnection &connection, const QString &tableName)
    : m_connection(connection), m_db(connection.database()), m_tableName(tableName),
      m_fields(m_db.record(tableName)), m_key(m_db.primaryIndex(tableName)), m_read(m_db)
{
    m_read.setForwardOnly(true);
    // The rowid goes by any of its three names that no column of the table takes.
    for (const QString &name :
         {QStringLiteral("rowid"), QStringLiteral("_rowid_"), QStringLiteral("oid")}) {
        if (!m_fields.contains(name)) {
            m_rowidName = name;
            break;
        }
    }
    if (m_rowidName.isEmpty() || m_fields.isEmpty())
        return;
    // A table without rowids (or a view) cannot be read by rowid.
    QSqlQuery probe(m_db);
    m_byRowid =
        probe.prepare(QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(m_rowidName, escapedTable()));
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : storedCount() + (m_op == Op::Insert ? 1 : 0);
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.count());
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const int row = index.row();
    if (m_op != Op::None && row == m_editRow)
        return m_edit.value(index.column());
    if (row != m_loadedRow) {
        try {
            load(row);
        } catch (const Data::DbError &) {
            return QVariant();
        }
    }
    return row == m_loadedRow ? m_loaded.value(index.column()) : QVariant();
}

bool RecordTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount())
        return false;
    const int row = index.row();
    if (m_op != Op::None && row != m_editRow)
        return false;
    const QVariant old = data(index, Qt::EditRole);
    if (m_op != Op::Insert && value == old && value.isNull() == old.isNull())
        return true;
    if (m_op == Op::None) {
        if (row != m_loadedRow)
            return false;
        startEdit(Op::Update, row);
    }
    m_edit.setValue(index.column(), value);
    m_edit.setGenerated(index.column(), true);
    Q_EMIT dataChanged(index, index);
    return true;
}

void RecordTableModel::appendRecord()
{
    // The data control writes a pending change before it adds a record.
    if (m_op != Op::None)
        throw RecordRefusal(QStringLiteral("A record cannot be added while a change is pending."));
    const int row = storedCount();
    beginInsertRows(QModelIndex(), row, row);
    m_op = Op::Insert;
    m_editRow = row;
    m_edit = m_fields;
    m_edit.clearValues();
    for (int i = 0; i < m_edit.count(); ++i)
        m_edit.setGenerated(i, false);
    endInsertRows();
}

void RecordTableModel::markForDeletion(int row)
{
    // Only the data control's current record, which holds any pending change, is deleted.
    if (row < 0 || row >= storedCount() || (m_op != Op::None && row != m_editRow))
        throw RecordRefusal(QStringLiteral("The record cannot be deleted."));
    if (m_op == Op::None) {
        load(row);
        startEdit(Op::Delete, row);
    }
    m_op = Op::Delete;
}

void RecordTableModel::revertAll()
{
    if (m_op == Op::None)
        return;
    const int row = m_editRow;
    if (m_op == Op::Insert) {
        beginRemoveRows(QModelIndex(), row, row);
        clearEdit();
        endRemoveRows();
        return;
    }
    m_loaded = m_base;
    m_loadedFound = m_baseFound;
    m_loadedRow = row;
    clearEdit();
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RecordTableModel::revertRow(int row)
{
    if (m_op != Op::None && row == m_editRow)
        revertAll();
}

void RecordTableModel::select()
{
    beginResetModel();
    clearEdit();
    m_loadedRow = -1;
    m_ids.clear();
    m_records.clear();
    try {
        if (m_fields.isEmpty())
            Data::DbConnection::raise(
                QSqlError(QStringLiteral("Unable to find table ") + m_tableName, QString(),
                          QSqlError::StatementError));
        if (m_byRowid)
            readIdentities();
        if (!m_byRowid)
            readRecords();
    } catch (...) {
        m_ids.clear();
        m_records.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void RecordTableModel::load(int row) const
{
    if (row < 0 || row >= storedCount() || row == m_loadedRow)
        return;
    QSqlRecord values = m_fields;
    values.clearValues();
    bool found = true;
    if (m_byRowid) {
        if (!m_readPrepared) {
            if (!m_read.prepare(readStatement()))
                Data::DbConnection::raise(m_read.lastError());
            m_readPrepared = true;
        }
        m_read.bindValue(0, m_ids.at(row));
        if (!m_read.exec())
            Data::DbConnection::raise(m_read.lastError());
        found = m_read.next();
        if (!found && m_read.lastError().isValid()) {
            const QSqlError error = m_read.lastError();
            m_read.finish();
            Data::DbConnection::raise(error);
        }
        for (int i = 0; found && i < values.count(); ++i)
            values.setValue(i, m_read.value(i));
        // No statement stays open between the user's actions: the connection holds no
        // read lock.
        m_read.finish();
    } else {
        values = m_records.at(row);
    }
    m_loaded = values;
    m_loadedFound = found;
    m_loadedRow = row;
}

void RecordTableModel::submitChanges()
{
    switch (m_op) {
    case Op::None:
        return;
    case Op::Insert:
        writeOneRow([this] { insertIntoTable(); },
                    QStringLiteral("The new record was not written."), true);
        break;
    case Op::Update:
        writeOneRow([this] { writeToRowAsRead(QSqlDriver::UpdateStatement, m_edit); },
                    QStringLiteral("The record was not written"), false);
        if (m_byRowid && m_key.count() > 0) {
            const int row = m_editRow;
            clearEdit();
            // Read again when it is shown next.
            m_loadedRow = -1;
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            return;
        }
        break;
    case Op::Delete:
        writeOneRow([this] { writeToRowAsRead(QSqlDriver::DeleteStatement, QSqlRecord()); },
                    QStringLiteral("The record was not deleted"), false);
        break;
    }
    select();
}

int RecordTableModel::rowOfLastInsert() const
{
    if (m_byRowid && m_lastInsertRowid != 0) {
        for (qsizetype row = m_ids.size() - 1; row >= 0; --row) {
            if (m_ids.at(row) == m_lastInsertRowid)
                return int(row);
        }
    }
    return rowCount() - 1;
}

QString RecordTableModel::escapedTable() const
{
    return m_db.driver()->escapeIdentifier(m_tableName, QSqlDriver::TableName);
}

QString RecordTableModel::columnList() const
{
    QStringList columns;
    for (int i = 0; i < m_fields.count(); ++i)
        columns.append(
            m_db.driver()->escapeIdentifier(m_fields.fieldName(i), QSqlDriver::FieldName));
    return columns.join(QStringLiteral(", "));
}

QString RecordTableModel::readStatement() const
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
        .arg(columnList(), escapedTable(), m_rowidName);
}

void RecordTableModel::readIdentities()
{
    // In the table's own order, which is the order of its rowids.
    QList<qint64> ids;
    bool complete = true;
    m_connection.readRows(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(m_rowidName, escapedTable()),
        [&](const Data::RowView &row) {
            const QVariant id = row.value(0);
            complete = complete && !id.isNull();
            ids.append(id.toLongLong());
        });
    if (complete)
        m_ids = std::move(ids);
    else
        m_byRowid = false;
}

void RecordTableModel::readRecords()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(columnList(), escapedTable())))
        Data::DbConnection::raise(query.lastError());
    while (query.next()) {
        QSqlRecord values = m_fields;
        for (int i = 0; i < values.count(); ++i)
            values.setValue(i, query.value(i));
        m_records.append(values);
    }
    if (query.lastError().isValid())
        Data::DbConnection::raise(query.lastError());
}

void RecordTableModel::startEdit(Op op, int row)
{
    m_op = op;
    m_editRow = row;
    m_base = m_loaded;
    m_baseFound = m_loadedFound;
    m_edit = m_loaded;
    for (int i = 0; i < m_edit.count(); ++i)
        m_edit.setGenerated(i, false);
}

void RecordTableModel::clearEdit()
{
    m_op = Op::None;
    m_editRow = -1;
    m_edit = QSqlRecord();
    m_base = QSqlRecord();
    m_baseFound = false;
}

/// The values that find the row being written: its key as read, or all its values.
QSqlRecord RecordTableModel::whereValues() const
{
    QSqlRecord where = m_key.isEmpty() ? QSqlRecord(m_fields) : QSqlRecord(m_key);
    for (int i = 0; i < where.count(); ++i)
        where.setValue(i, m_base.value(where.fieldName(i)));
    return where;
}

// Runs one write with the values set (those marked generated), then the values that find
// the row; a NULL among those is matched by the statement's IS NULL and bound not at all.
void RecordTableModel::execWrite(const QString &statement, const QSqlRecord &values,
                                 const QSqlRecord &where)
{
    QVariantList bound;
    for (int i = 0; i < values.count(); ++i) {
        if (values.isGenerated(i))
            bound.append(values.value(i));
    }
    for (int i = 0; i < where.count(); ++i) {
        if (where.isGenerated(i) && !where.isNull(i))
            bound.append(where.value(i));
    }
    QSqlQuery query = m_connection.prepare(statement);
    m_connection.exec(query, bound);
}

void RecordTableModel::insertIntoTable()
{
    QSqlDriver *driver = m_db.driver();
    const QString statement =
        driver->sqlStatement(QSqlDriver::InsertStatement, m_tableName, m_edit, true);
    // A new record left as it came (nothing typed) is written with the table's defaults.
    if (statement.isEmpty())
        execWrite(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(escapedTable()), QSqlRecord(),
                  QSqlRecord());
    else
        execWrite(statement, m_edit, QSqlRecord());
}

// Updates or deletes the row as it was read, found by its key (or by all its values in a
// table without one). A record gone before it was read is not looked for.
void RecordTableModel::writeToRowAsRead(QSqlDriver::StatementType type, const QSqlRecord &values)
{
    if (!m_baseFound)
        return;
    QSqlDriver *driver = m_db.driver();
    const QSqlRecord where = whereValues();
    const QString statement = driver->sqlStatement(type, m_tableName, values, true);
    const QString condition =
        driver->sqlStatement(QSqlDriver::WhereStatement, m_tableName, where, true);
    if (statement.isEmpty() || condition.isEmpty())
        throw RecordRefusal(QStringLiteral("No Fields to update"));
    execWrite(statement + QLatin1Char(' ') + condition, values, where);
}

// One statement in a transaction of its own, kept only when it changed exactly one row.
void RecordTableModel::writeOneRow(const std::function<void()> &statement, const QString &what,
                                   bool insert)
{
    Data::Transaction transaction(m_connection);
    statement();
    qint64 changed = 0;
    {
        QSqlQuery count =
            m_connection.exec(QStringLiteral("SELECT changes(), last_insert_rowid()"));
        if (!m_connection.next(count))
            Data::DbConnection::raise(count.lastError());
        // A row that was not there to be read has changed nothing.
        changed = m_op == Op::Insert || m_baseFound ? count.value(0).toLongLong() : 0;
        if (insert)
            m_lastInsertRowid = count.value(1).toLongLong();
    }
    if (changed == 0)
        throw RecordRefusal(
            what + QStringLiteral(": it was changed or deleted elsewhere since it was read."));
    if (changed > 1)
        throw RecordRefusal(what + QStringLiteral(": it matches several rows of the table."));
    transaction.commit();
}

} // namespace Zuvi
