#pragma once

#include "playereditor/recordconnection.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include <functional>

namespace Zuvi {

/// The rows of one table, read as they are needed: the model holds the identity of every
/// row (its SQLite rowid, or its key on the shared server), in the order of the table, and
/// reads the values of a row when it is shown, so that a long table costs a few bytes a row
/// rather than all its values.
/// A table whose rows have no rowid is read whole instead.
///
/// At most one row has a change pending: the data control's current record, changed, new
/// or to be deleted. A row is found for a write by the values it had when it was read: by
/// its key where the table has one, else by all its values. Every write runs in a
/// transaction of its own and must touch exactly one row of the table: a record that was
/// deleted or changed elsewhere since it was read (so that its key or its old values find
/// nothing) is refused with a description rather than reported as written, and a record
/// that matches several rows (a table without a key holding identical rows) changes none
/// of them.
///
/// Not a QSqlTableModel: that model keeps the values of every row it has read and counts
/// a write that found no row of the table, or several, as done.
///
/// A record may have one further column kept in a table of its own beside the table, one
/// row per record keyed by the record's rowid (setCompanion()): it is read with the record,
/// written in the same transaction as the record's other values and deleted with it.
///
/// Failures of the database throw Data::DbError; the model's refusals throw RecordRefusal.
class RecordTableModel final : public QAbstractTableModel
{
public:
    RecordTableModel(RecordConnection &connection, const QString &tableName);

    /// A column kept in a table of its own: the name it goes by (the boxes bind to it),
    /// and the side table with its key column (a record's rowid) and its value column.
    struct Companion
    {
        QString column;
        QString table;
        QString key;
        QString value;
    };
    /// Adds the companion column after the table's own columns; call before select(). It
    /// is left out where the side table is missing, where the table has a column of that
    /// name already, or where the table's rows have no rowids. An empty or NULL value is
    /// stored as no row.
    void setCompanion(const Companion &companion);

    int fieldIndex(const QString &name) const;
    bool isDirty() const { return m_op != Op::None; }
    /// The pending change is a new record into which nothing was typed.
    bool isUntouchedInsert() const;
    /// The pending change is a new record (not yet written).
    bool isInsert(int row) const { return m_op == Op::Insert && row == m_editRow; }
    /// The values the pending insert or update writes: every column of the table, those
    /// typed marked generated. A check before the write may refuse them (by throwing) or
    /// replace a typed value by the form in which it is stored. Null when no insert or
    /// update is pending.
    QSqlRecord *pendingValues();
    /// A value of a record as it was read, before any change typed into it (NULL for a
    /// new record). Throws DbError when the record cannot be read.
    QVariant storedValue(int row, int column) const;
    /// The row of the record with a rowid, or -1 (also for a table read without rowids).
    int rowOfRowid(qint64 rowid) const;
    /// The first stored row after a row (wrapping round to the first row, and ending with
    /// the row itself) with text containing a text in one of the columns, case ignored; -1
    /// when none has. Throws DbError.
    int nextRowContaining(int after, const QStringList &columns, const QString &text) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    /// Appends a new row, left as it came until values are set; only one change is
    /// pending at a time.
    void appendRecord();
    /// Marks a stored row for deletion, with any change made to it. Throws DbError when
    /// its values cannot be read.
    void markForDeletion(int row);

    /// Drops the pending change: a new row leaves the model, a stored one shows its
    /// values as they were read.
    void revertAll();
    void revertRow(int row);

    /// Reads the identities of the rows anew, dropping any pending change. Throws
    /// DbError; the model is then empty.
    void select();
    /// Reads the values of a stored row unless they are at hand. Throws DbError.
    void load(int row) const;
    /// Writes the pending change and reads the table anew: only the row written where it
    /// kept its place (an update in a table with a key), else every row. Throws DbError
    /// or RecordRefusal; a change that was not written stays pending.
    void submitChanges();
    /// The row of the record written by the last insert: found by its rowid, else the
    /// last row.
    int rowOfLastInsert() const;

private:
    enum class Op { None, Update, Insert, Delete };

    int storedCount() const { return int(m_byRowid ? m_ids.size() : m_records.size()); }
    QString escapedTable() const;
    QString columnList() const;
    QString readStatement() const;
    void readIdentities();
    void readRecords();
    void startEdit(Op op, int row);
    void clearEdit();
    QSqlRecord whereValues() const;

    int companionColumn() const { return int(m_fields.count()); }
    qint64 execWrite(const QString &statement, const QSqlRecord &values, const QSqlRecord &where);
    qint64 insertIntoTable();
    qint64 writeToRowAsRead(QSqlDriver::StatementType type, const QSqlRecord &values);
    void writeOneRow(const std::function<qint64()> &statement, const QString &what);
    void writeCompanion();

    RecordConnection &m_connection;
    QSqlDatabase m_db;
    QString m_tableName;
    QSqlRecord m_fields;
    QSqlIndex m_key;
    QString m_rowidName;
    bool m_byRowid = false;
    Companion m_companion;
    bool m_hasCompanion = false;

    // The rowid of every row, in order (or, for a table without rowids, every row).
    QList<qint64> m_ids;
    QList<QSqlRecord> m_records;

    // The row whose values were read last, and its values; found is false when the row
    // was gone by the time it was read.
    mutable QSqlQuery m_read;
    mutable bool m_readPrepared = false;
    mutable int m_loadedRow = -1;
    mutable QSqlRecord m_loaded;
    mutable QVariant m_loadedCompanion;
    mutable bool m_loadedFound = false;

    // The pending change: its row, the values as read (which find the row in the table)
    // and the values to write (those set are marked generated).
    Op m_op = Op::None;
    int m_editRow = -1;
    QSqlRecord m_base;
    bool m_baseFound = false;
    QSqlRecord m_edit;
    QVariant m_companionBase;
    QVariant m_companionEdit;
    bool m_companionSet = false;
    qint64 m_lastInsertRowid = 0;
};

} // namespace Zuvi
