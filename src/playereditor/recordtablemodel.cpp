#include "playereditor/recordtablemodel.h"

#include "data/dberror.h"
#include "playereditor/recordrefusal.h"

#include <QSqlError>
#include <QStringList>
#include <QVariantList>

#include <algorithm>

namespace Zuvi {

RecordTableModel::RecordTableModel(RecordConnection &connection, const QString &tableName)
    : m_connection(connection), m_db(connection.database()),
      m_tableName(connection.tableName(tableName)), m_fields(m_db.record(m_tableName)),
      m_key(m_db.primaryIndex(m_tableName)), m_read(m_db)
{
    m_read.setForwardOnly(true);
    if (m_fields.isEmpty())
        return;
    m_rowidName = m_connection.identity(escapedTable(), m_fields, m_key);
    m_byRowid = !m_rowidName.isEmpty();
}

void RecordTableModel::setCompanion(const Companion &companion)
{
    if (!m_byRowid || m_fields.contains(companion.column))
        return;
    const QString table = m_connection.tableName(companion.table);
    const QSqlRecord side = m_db.record(table);
    if (!side.contains(companion.key) || !side.contains(companion.value))
        return;
    beginResetModel();
    // The side table's names as the database spells them.
    m_companion = {companion.column, table, side.fieldName(side.indexOf(companion.key)),
                   side.fieldName(side.indexOf(companion.value))};
    m_hasCompanion = true;
    m_readPrepared = false;
    m_loadedRow = -1;
    endResetModel();
}

int RecordTableModel::fieldIndex(const QString &name) const
{
    const int index = m_fields.indexOf(name);
    if (index < 0 && m_hasCompanion && name == m_companion.column)
        return companionColumn();
    return index;
}

bool RecordTableModel::isUntouchedInsert() const
{
    if (m_op != Op::Insert || m_companionSet)
        return false;
    for (int i = 0; i < m_edit.count(); ++i) {
        if (m_edit.isGenerated(i))
            return false;
    }
    return true;
}

QSqlRecord *RecordTableModel::pendingValues()
{
    return m_op == Op::Insert || m_op == Op::Update ? &m_edit : nullptr;
}

QVariant RecordTableModel::storedValue(int row, int column) const
{
    if (m_op != Op::None && row == m_editRow)
        return column == companionColumn() ? m_companionBase : m_base.value(column);
    load(row);
    if (row != m_loadedRow)
        return QVariant();
    return column == companionColumn() ? m_loadedCompanion : m_loaded.value(column);
}

int RecordTableModel::rowOfRowid(qint64 rowid) const
{
    if (!m_byRowid)
        return -1;
    // The rowids are read in ascending order.
    const auto found = std::lower_bound(m_ids.cbegin(), m_ids.cend(), rowid);
    return found != m_ids.cend() && *found == rowid ? int(found - m_ids.cbegin()) : -1;
}

int RecordTableModel::nextRowContaining(int after, const QStringList &columns,
                                        const QString &text) const
{
    QList<int> positions;
    for (const QString &column : columns) {
        const int position = m_fields.indexOf(column);
        if (position >= 0)
            positions.append(position);
    }
    if (positions.isEmpty() || text.isEmpty())
        return -1;
    int first = -1;
    int next = -1;
    const auto consider = [&](int row) {
        if (row < 0)
            return;
        if (first < 0)
            first = row;
        if (next < 0 && row > after)
            next = row;
    };
    if (m_byRowid) {
        // One pass over the table in the order of its rowids, which is the order of the rows.
        QStringList names;
        for (const int position : std::as_const(positions))
            names.append(m_db.driver()->escapeIdentifier(m_fields.fieldName(position),
                                                         QSqlDriver::FieldName));
        m_connection.readRows(
            QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                .arg(m_rowidName, names.join(QStringLiteral(", ")), escapedTable()),
            [&](const RecordRow &row) {
                for (int i = 1; i <= int(names.size()); ++i) {
                    if (row.text(i).contains(text, Qt::CaseInsensitive)) {
                        consider(rowOfRowid(row.value(0).toLongLong()));
                        return;
                    }
                }
            });
    } else {
        for (int row = 0; row < int(m_records.size()); ++row) {
            for (const int position : std::as_const(positions)) {
                if (m_records.at(row).value(position).toString().contains(text,
                                                                          Qt::CaseInsensitive)) {
                    consider(row);
                    break;
                }
            }
        }
    }
    return next >= 0 ? next : first;
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : storedCount() + (m_op == Op::Insert ? 1 : 0);
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.count()) + (m_hasCompanion ? 1 : 0);
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
    const bool companion = m_hasCompanion && index.column() == companionColumn();
    if (m_op != Op::None && row == m_editRow)
        return companion ? m_companionEdit : m_edit.value(index.column());
    if (row != m_loadedRow) {
        try {
            load(row);
        } catch (const Data::DbError &) {
            return QVariant();
        }
    }
    if (row != m_loadedRow)
        return QVariant();
    return companion ? m_loadedCompanion : m_loaded.value(index.column());
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
    if (m_hasCompanion && index.column() == companionColumn()) {
        m_companionEdit = value;
        m_companionSet = true;
    } else {
        m_edit.setValue(index.column(), value);
        m_edit.setGenerated(index.column(), true);
    }
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
    m_companionBase = QVariant();
    m_companionEdit = QVariant();
    m_companionSet = false;
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
    m_loadedCompanion = m_companionBase;
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
            m_connection.raise(QSqlError(QStringLiteral("Unable to find table ") + m_tableName,
                                         QString(), QSqlError::StatementError));
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
    QVariant companion;
    bool found = true;
    if (m_byRowid) {
        if (!m_readPrepared) {
            if (!m_read.prepare(readStatement()))
                m_connection.raise(m_read.lastError());
            m_readPrepared = true;
        }
        m_read.bindValue(0, m_ids.at(row));
        if (!m_read.exec())
            m_connection.raise(m_read.lastError());
        found = m_read.next();
        if (!found && m_read.lastError().isValid()) {
            const QSqlError error = m_read.lastError();
            m_read.finish();
            m_connection.raise(error);
        }
        for (int i = 0; found && i < values.count(); ++i)
            values.setValue(i, m_read.value(i));
        if (found && m_hasCompanion)
            companion = m_read.value(values.count());
        // No statement stays open between the user's actions: the connection holds no
        // read lock.
        m_read.finish();
    } else {
        values = m_records.at(row);
    }
    m_loaded = values;
    m_loadedCompanion = companion;
    m_loadedFound = found;
    m_loadedRow = row;
}

void RecordTableModel::submitChanges()
{
    switch (m_op) {
    case Op::None:
        return;
    case Op::Insert:
        writeOneRow([this] { return insertIntoTable(); },
                    QStringLiteral("The new record was not written."));
        break;
    case Op::Update:
        writeOneRow([this] { return writeToRowAsRead(QSqlDriver::UpdateStatement, m_edit); },
                    QStringLiteral("The record was not written"));
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
        writeOneRow([this] { return writeToRowAsRead(QSqlDriver::DeleteStatement, QSqlRecord()); },
                    QStringLiteral("The record was not deleted"));
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
    QString columns = columnList();
    // The companion's value, found by the record's rowid.
    if (m_hasCompanion) {
        QSqlDriver *driver = m_db.driver();
        columns += QStringLiteral(", (SELECT %1 FROM %2 WHERE %3 = %4.%5)")
                       .arg(driver->escapeIdentifier(m_companion.value, QSqlDriver::FieldName),
                            driver->escapeIdentifier(m_companion.table, QSqlDriver::TableName),
                            driver->escapeIdentifier(m_companion.key, QSqlDriver::FieldName),
                            escapedTable(), m_rowidName);
    }
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
        .arg(columns, escapedTable(), m_rowidName);
}

void RecordTableModel::readIdentities()
{
    // In the table's own order, which is the order of its rowids.
    QList<qint64> ids;
    bool complete = true;
    m_connection.readRows(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(m_rowidName, escapedTable()),
        [&](const RecordRow &row) {
            const QVariant id = row.value(0);
            complete = complete && !id.isNull();
            ids.append(id.toLongLong());
        });
    if (complete) {
        m_ids = std::move(ids);
    } else {
        m_byRowid = false;
        m_hasCompanion = false;
    }
}

void RecordTableModel::readRecords()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(columnList(), escapedTable())))
        m_connection.raise(query.lastError());
    while (query.next()) {
        QSqlRecord values = m_fields;
        for (int i = 0; i < values.count(); ++i)
            values.setValue(i, query.value(i));
        m_records.append(values);
    }
    if (query.lastError().isValid())
        m_connection.raise(query.lastError());
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
    m_companionBase = m_loadedCompanion;
    m_companionEdit = m_loadedCompanion;
    m_companionSet = false;
}

void RecordTableModel::clearEdit()
{
    m_op = Op::None;
    m_editRow = -1;
    m_edit = QSqlRecord();
    m_base = QSqlRecord();
    m_baseFound = false;
    m_companionBase = QVariant();
    m_companionEdit = QVariant();
    m_companionSet = false;
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
// Returns the number of rows it changed.
qint64 RecordTableModel::execWrite(const QString &statement, const QSqlRecord &values,
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
    return m_connection.write(statement, bound, m_rowidName, &m_lastInsertRowid);
}

qint64 RecordTableModel::insertIntoTable()
{
    QSqlDriver *driver = m_db.driver();
    const QString statement =
        driver->sqlStatement(QSqlDriver::InsertStatement, m_tableName, m_edit, true);
    // A new record with nothing typed into its columns is written with the table's defaults.
    if (statement.isEmpty())
        return execWrite(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(escapedTable()),
                         QSqlRecord(), QSqlRecord());
    return execWrite(statement, m_edit, QSqlRecord());
}

// Updates or deletes the row as it was read, found by its key (or by all its values in a
// table without one); returns the number of rows found. A record gone before it was read
// is not looked for. A change of the companion column alone writes nothing to the table:
// the row is only looked for.
qint64 RecordTableModel::writeToRowAsRead(QSqlDriver::StatementType type, const QSqlRecord &values)
{
    if (!m_baseFound)
        return 0;
    QSqlDriver *driver = m_db.driver();
    const QSqlRecord where = whereValues();
    QString statement = driver->sqlStatement(type, m_tableName, values, true);
    const QString condition =
        driver->sqlStatement(QSqlDriver::WhereStatement, m_tableName, where, true);
    if (statement.isEmpty() && type == QSqlDriver::UpdateStatement && m_companionSet &&
        !condition.isEmpty()) {
        QVariantList bound;
        for (int i = 0; i < where.count(); ++i) {
            if (where.isGenerated(i) && !where.isNull(i))
                bound.append(where.value(i));
        }
        return m_connection
            .exec(QStringLiteral("SELECT count(*) FROM %1 %2").arg(escapedTable(), condition),
                  bound)
            .toLongLong();
    }
    if (statement.isEmpty() || condition.isEmpty())
        throw RecordRefusal(QStringLiteral("No Fields to update"));
    return execWrite(statement + QLatin1Char(' ') + condition, values, where);
}

// Writes the companion column of the record just inserted, updated or deleted, inside the
// record's transaction. A new record's id may have been a deleted record's: whatever is
// stored under it goes first.
void RecordTableModel::writeCompanion()
{
    if (!m_hasCompanion || (m_op == Op::Update && !m_companionSet))
        return;
    const qint64 id = m_op == Op::Insert ? m_lastInsertRowid : m_ids.at(m_editRow);
    QSqlDriver *driver = m_db.driver();
    const QString table = driver->escapeIdentifier(m_companion.table, QSqlDriver::TableName);
    const QString key = driver->escapeIdentifier(m_companion.key, QSqlDriver::FieldName);
    m_connection.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, key), {id});
    if (m_op == Op::Delete || m_companionEdit.isNull() || m_companionEdit.toString().isEmpty())
        return;
    m_connection.exec(
        QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
            .arg(table, key, driver->escapeIdentifier(m_companion.value, QSqlDriver::FieldName)),
        {id, m_companionEdit.toString()});
}

// One statement in a transaction of its own, kept only when it changed exactly one row;
// the companion column is written in the same transaction.
void RecordTableModel::writeOneRow(const std::function<qint64()> &statement, const QString &what)
{
    RecordTransaction transaction(m_connection);
    const qint64 changed = statement();
    if (changed == 0)
        throw RecordRefusal(
            what + QStringLiteral(": it was changed or deleted elsewhere since it was read."));
    if (changed > 1)
        throw RecordRefusal(what + QStringLiteral(": it matches several rows of the table."));
    writeCompanion();
    transaction.commit();
}

} // namespace Zuvi
