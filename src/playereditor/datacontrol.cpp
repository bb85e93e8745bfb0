#include "playereditor/datacontrol.h"

#include "app/errorpath.h"
#include "data/dbconnection.h"
#include "data/dberror.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QDataWidgetMapper>
#include <QHBoxLayout>
#include <QIcon>
#include <QItemDelegate>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QToolButton>

#include <functional>

namespace Zuvi {

/// The rows of one table, read as they are needed: the model holds the identity of every
/// row (its SQLite rowid), in the order of the table, and reads the values of a row when
/// it is shown, so that a long table costs a few bytes a row rather than all its values.
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
class RecordTableModel final : public QAbstractTableModel
{
public:
    RecordTableModel(Data::DbConnection &connection, const QString &tableName)
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
        m_byRowid = probe.prepare(
            QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(m_rowidName, escapedTable()));
    }

    int fieldIndex(const QString &name) const { return m_fields.indexOf(name); }
    QSqlError lastError() const { return m_error; }
    bool isDirty() const { return m_op != Op::None; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : storedCount() + (m_op == Op::Insert ? 1 : 0);
    }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_fields.count());
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
    }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
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

    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override
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

    /// Appends a new row, left as it came until values are set; only one change is
    /// pending at a time.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override
    {
        if (parent.isValid() || count != 1 || row != storedCount() || m_op != Op::None)
            return false;
        beginInsertRows(QModelIndex(), row, row);
        m_op = Op::Insert;
        m_editRow = row;
        m_edit = m_fields;
        m_edit.clearValues();
        for (int i = 0; i < m_edit.count(); ++i)
            m_edit.setGenerated(i, false);
        endInsertRows();
        return true;
    }

    /// Marks a stored row for deletion, with any change made to it.
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override
    {
        if (parent.isValid() || count != 1 || row < 0 || row >= storedCount() ||
            (m_op != Op::None && row != m_editRow))
            return false;
        if (m_op == Op::None) {
            try {
                load(row);
            } catch (const Data::DbError &error) {
                m_error = QSqlError(QString(), error.description(), QSqlError::StatementError,
                                    QString::number(error.code()));
                return false;
            }
            startEdit(Op::Delete, row);
        }
        m_op = Op::Delete;
        return true;
    }

    /// Drops the pending change: a new row leaves the model, a stored one shows its
    /// values as they were read.
    void revertAll()
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

    void revertRow(int row)
    {
        if (m_op != Op::None && row == m_editRow)
            revertAll();
    }

    /// Reads the identities of the rows anew, dropping any pending change. Throws
    /// DbError; the model is then empty.
    void select()
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

    /// Reads the values of a stored row unless they are at hand. Throws DbError.
    void load(int row) const
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
            // No statement stays open between the user's actions: the connection holds
            // no read lock.
            m_read.finish();
        } else {
            values = m_records.at(row);
        }
        m_loaded = values;
        m_loadedFound = found;
        m_loadedRow = row;
    }

    /// Writes the pending change and reads the table anew: only the row written where it
    /// kept its place (an update in a table with a key), else every row. Throws
    /// DbError; a change that was not written stays pending.
    void submitChanges()
    {
        switch (m_op) {
        case Op::None:
            return;
        case Op::Insert:
            if (!writeOneRow([this] { return insertIntoTable(); },
                             QStringLiteral("The new record was not written."), true))
                Data::DbConnection::raise(m_error);
            break;
        case Op::Update:
            if (!writeOneRow([this] { return updateInTable(); },
                             QStringLiteral("The record was not written"), false))
                Data::DbConnection::raise(m_error);
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
            if (!writeOneRow([this] { return deleteFromTable(); },
                             QStringLiteral("The record was not deleted"), false))
                Data::DbConnection::raise(m_error);
            break;
        }
        select();
    }

    /// The row of the record written by the last insert: found by its rowid, else the
    /// last row.
    int rowOfLastInsert() const
    {
        if (m_byRowid && m_lastInsertRowid != 0) {
            for (qsizetype row = m_ids.size() - 1; row >= 0; --row) {
                if (m_ids.at(row) == m_lastInsertRowid)
                    return int(row);
            }
        }
        return rowCount() - 1;
    }

private:
    enum class Op { None, Update, Insert, Delete };

    int storedCount() const { return int(m_byRowid ? m_ids.size() : m_records.size()); }

    QString escapedTable() const
    {
        return m_db.driver()->escapeIdentifier(m_tableName, QSqlDriver::TableName);
    }

    QString columnList() const
    {
        QStringList columns;
        for (int i = 0; i < m_fields.count(); ++i)
            columns.append(
                m_db.driver()->escapeIdentifier(m_fields.fieldName(i), QSqlDriver::FieldName));
        return columns.join(QStringLiteral(", "));
    }

    QString readStatement() const
    {
        return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(columnList(), escapedTable(), m_rowidName);
    }

    void readIdentities()
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

    void readRecords()
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

    void startEdit(Op op, int row)
    {
        m_op = op;
        m_editRow = row;
        m_base = m_loaded;
        m_baseFound = m_loadedFound;
        m_edit = m_loaded;
        for (int i = 0; i < m_edit.count(); ++i)
            m_edit.setGenerated(i, false);
    }

    void clearEdit()
    {
        m_op = Op::None;
        m_editRow = -1;
        m_edit = QSqlRecord();
        m_base = QSqlRecord();
        m_baseFound = false;
    }

    /// The values that find the row being written: its key as read, or all its values.
    QSqlRecord whereValues() const
    {
        QSqlRecord where = m_key.isEmpty() ? QSqlRecord(m_fields) : QSqlRecord(m_key);
        for (int i = 0; i < where.count(); ++i)
            where.setValue(i, m_base.value(where.fieldName(i)));
        return where;
    }

    bool exec(const QString &statement, const QSqlRecord &values, const QSqlRecord &where)
    {
        QSqlQuery query(m_db);
        if (!query.prepare(statement)) {
            m_error = query.lastError();
            return false;
        }
        for (int i = 0; i < values.count(); ++i) {
            if (values.isGenerated(i))
                query.addBindValue(values.value(i));
        }
        for (int i = 0; i < where.count(); ++i) {
            if (where.isGenerated(i) && !where.isNull(i))
                query.addBindValue(where.value(i));
        }
        if (!query.exec()) {
            m_error = query.lastError();
            return false;
        }
        return true;
    }

    bool insertIntoTable()
    {
        QSqlDriver *driver = m_db.driver();
        const QString statement =
            driver->sqlStatement(QSqlDriver::InsertStatement, m_tableName, m_edit, true);
        // A new record left as it came (nothing typed) is written with the table's
        // defaults.
        if (statement.isEmpty())
            return exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(escapedTable()),
                        QSqlRecord(), QSqlRecord());
        return exec(statement, m_edit, QSqlRecord());
    }

    bool updateInTable() { return writeToRowAsRead(QSqlDriver::UpdateStatement, m_edit); }

    bool deleteFromTable() { return writeToRowAsRead(QSqlDriver::DeleteStatement, QSqlRecord()); }

    // Updates or deletes the row as it was read, found by its key (or by all its values in
    // a table without one). A record gone before it was read is not looked for.
    bool writeToRowAsRead(QSqlDriver::StatementType type, const QSqlRecord &values)
    {
        if (!m_baseFound)
            return true;
        QSqlDriver *driver = m_db.driver();
        const QSqlRecord where = whereValues();
        const QString statement = driver->sqlStatement(type, m_tableName, values, true);
        const QString condition =
            driver->sqlStatement(QSqlDriver::WhereStatement, m_tableName, where, true);
        if (statement.isEmpty() || condition.isEmpty()) {
            m_error = QSqlError(QStringLiteral("No Fields to update"), QString(),
                                QSqlError::StatementError);
            return false;
        }
        return exec(statement + QLatin1Char(' ') + condition, values, where);
    }

    bool fail(const QSqlError &error)
    {
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        m_error = error;
        return false;
    }

    static QSqlError ownError(const QString &description)
    {
        return QSqlError(QString(), description, QSqlError::StatementError);
    }

    bool writeOneRow(const std::function<bool()> &statement, const QString &what, bool insert)
    {
        {
            QSqlQuery begin(m_db);
            if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                m_error = begin.lastError();
                return false;
            }
        }
        if (!statement())
            return fail(m_error);
        qint64 changed = 0;
        {
            QSqlQuery count(m_db);
            if (!count.exec(QStringLiteral("SELECT changes(), last_insert_rowid()")) ||
                !count.next())
                return fail(count.lastError());
            // A row that was not there to be read has changed nothing.
            changed = m_op == Op::Insert || m_baseFound ? count.value(0).toLongLong() : 0;
            if (insert)
                m_lastInsertRowid = count.value(1).toLongLong();
        }
        if (changed == 0)
            return fail(ownError(
                what + QStringLiteral(": it was changed or deleted elsewhere since it was read.")));
        if (changed > 1)
            return fail(ownError(what + QStringLiteral(": it matches several rows of the table.")));
        QSqlQuery commit(m_db);
        if (!commit.exec(QStringLiteral("COMMIT")))
            return fail(commit.lastError());
        return true;
    }

    Data::DbConnection &m_connection;
    QSqlDatabase m_db;
    QString m_tableName;
    QSqlRecord m_fields;
    QSqlIndex m_key;
    QString m_rowidName;
    bool m_byRowid = false;
    QSqlError m_error;

    // The rowid of every row, in order (or, for a table without rowids, every row).
    QList<qint64> m_ids;
    QList<QSqlRecord> m_records;

    // The row whose values were read last, and its values; found is false when the row
    // was gone by the time it was read.
    mutable QSqlQuery m_read;
    mutable bool m_readPrepared = false;
    mutable int m_loadedRow = -1;
    mutable QSqlRecord m_loaded;
    mutable bool m_loadedFound = false;

    // The pending change: its row, the values as read (which find the row in the table)
    // and the values to write (those set are marked generated).
    Op m_op = Op::None;
    int m_editRow = -1;
    QSqlRecord m_base;
    bool m_baseFound = false;
    QSqlRecord m_edit;
    qint64 m_lastInsertRowid = 0;
};

namespace {

/// Carries values between the model and the bound boxes. A box writes its value back
/// only when the user changed it, so that browsing never rewrites a record (a NULL
/// column stays NULL, a number stays a number). Check boxes carry a yes/no column as
/// their checked state.
class BoxDelegate final : public QItemDelegate
{
public:
    using QItemDelegate::QItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QVariant value = index.data(Qt::EditRole);
        if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
            const QString text = value.toString();
            if (edit->text() != text)
                edit->setText(text);
            edit->setModified(false);
        } else if (auto *button = qobject_cast<QAbstractButton *>(editor)) {
            button->setChecked(value.toBool());
        } else {
            QItemDelegate::setEditorData(editor, index);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        const QVariant value = model->data(index, Qt::EditRole);
        if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
            if (edit->isModified() && edit->text() != value.toString())
                model->setData(index, edit->text());
        } else if (auto *button = qobject_cast<QAbstractButton *>(editor)) {
            if (button->isChecked() != value.toBool())
                model->setData(index, button->isChecked() ? 1 : 0);
        } else {
            QItemDelegate::setModelData(editor, model, index);
        }
    }
};

QIcon arrowIcon(bool forward, bool toEnd)
{
    const int size = 12;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const qreal top = 2, bottom = size - 2, middle = size / 2.0;
    QPolygonF triangle;
    if (forward)
        triangle << QPointF(3, top) << QPointF(9, middle) << QPointF(3, bottom);
    else
        triangle << QPointF(9, top) << QPointF(3, middle) << QPointF(9, bottom);
    painter.drawPolygon(triangle);
    if (toEnd)
        painter.drawRect(QRectF(forward ? 9 : 1.5, top, 1.5, bottom - top));
    painter.end();
    return QIcon(pixmap);
}

QString notOpenText(const QString &table)
{
    return QStringLiteral("The table %1 is not open.").arg(table);
}

} // namespace

DataControl::DataControl(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const auto makeButton = [this](const char *name, const QString &tip, const QIcon &icon) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        button->setIcon(icon);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(24);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        return button;
    };
    m_first = makeButton("MoveFirst", QStringLiteral("First record"), arrowIcon(false, true));
    m_previous =
        makeButton("MovePrevious", QStringLiteral("Previous record"), arrowIcon(false, false));
    m_next = makeButton("MoveNext", QStringLiteral("Next record"), arrowIcon(true, false));
    m_last = makeButton("MoveLast", QStringLiteral("Last record"), arrowIcon(true, true));

    m_caption = new QLabel(QStringLiteral("Adodc1"), this);
    m_caption->setObjectName(QStringLiteral("Caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_caption->setAutoFillBackground(true);
    m_caption->setBackgroundRole(QPalette::Base);
    m_caption->setForegroundRole(QPalette::Text);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);

    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    m_delegate = std::make_unique<BoxDelegate>();
    m_mapper = std::make_unique<QDataWidgetMapper>();
    m_mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_mapper->setItemDelegate(m_delegate.get());

    const std::pair<QToolButton *, Button> buttons[] = {{m_first, Button::First},
                                                        {m_previous, Button::Previous},
                                                        {m_next, Button::Next},
                                                        {m_last, Button::Last}};
    for (const auto &[button, which] : buttons)
        connect(button, &QToolButton::clicked, this,
                App::guarded([this, which = which] { navigate(which); }));
}

DataControl::~DataControl()
{
    // The mapper lets go of the boxes and the model before the connection closes.
    m_mapper.reset();
    m_model.reset();
    m_connection.reset();
}

void DataControl::bind(QWidget *box, const QString &column)
{
    m_bindings.append({box, column});
}

void DataControl::open(const QString &databaseName, const QString &tableName)
{
    m_databaseName = databaseName;
    m_tableName = tableName;
    try {
        reopen();
    } catch (const Data::DbError &error) {
        showCurrent();
        report(error.description());
    }
}

QString DataControl::caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString &text)
{
    m_caption->setText(text);
}

bool DataControl::isOpen() const
{
    return m_model != nullptr;
}

int DataControl::recordCount() const
{
    return m_model ? m_model->rowCount() : 0;
}

bool DataControl::hasCurrent() const
{
    return m_model && !m_deleted && m_row >= 0 && m_row < m_model->rowCount();
}

int DataControl::absolutePosition() const
{
    return hasCurrent() ? m_row + 1 : -1;
}

bool DataControl::isEof() const
{
    return recordCount() == 0 || m_row >= recordCount();
}

void DataControl::addNew()
{
    requireOpen();
    writeCurrent();
    const int row = m_model->rowCount();
    if (!m_model->insertRow(row))
        Data::DbConnection::raise(m_model->lastError());
    m_inserted = true;
    setCurrent(row);
    Q_EMIT moveComplete();
}

void DataControl::updateBatch()
{
    requireOpen();
    writeCurrent();
}

void DataControl::deleteCurrent()
{
    requireOpen();
    if (!hasCurrent())
        throw Data::DbError(-1, QStringLiteral("There is no current record."));
    const int row = m_row;
    if (m_inserted && row == m_model->rowCount() - 1) {
        // A new record that was never written only leaves the model.
        m_model->revertRow(row);
        m_inserted = false;
        setCurrent(row, true);
        return;
    }
    if (!m_model->removeRow(row))
        Data::DbConnection::raise(m_model->lastError());
    try {
        m_model->submitChanges();
    } catch (const Data::DbError &) {
        // The record stays, as it was read; what was typed into it goes with the delete.
        m_model->revertAll();
        setCurrent(row);
        throw;
    }
    setCurrent(row, true);
}

void DataControl::moveNext()
{
    requireOpen();
    try {
        if (m_deleted) {
            // The record after the deleted one already stands at its row.
            setCurrent(m_row);
        } else {
            writeCurrent();
            if (isEof())
                throw Data::DbError(-1, QStringLiteral("There is no record after the last one."));
            setCurrent(m_row + 1);
        }
    } catch (...) {
        Q_EMIT moveComplete();
        throw;
    }
    Q_EMIT moveComplete();
}

void DataControl::moveLast()
{
    requireOpen();
    try {
        writeCurrent();
        if (m_model->rowCount() == 0) {
            setCurrent(-1);
            throw Data::DbError(-1, QStringLiteral("The table has no records to move to."));
        }
        setCurrent(m_model->rowCount() - 1);
    } catch (...) {
        Q_EMIT moveComplete();
        throw;
    }
    Q_EMIT moveComplete();
}

void DataControl::refresh()
{
    if (!m_model) {
        reopen();
        return;
    }
    writeCurrent();
    try {
        selectAll();
        setCurrent(m_model->rowCount() > 0 ? 0 : -1);
    } catch (...) {
        setCurrent(-1);
        Q_EMIT moveComplete();
        throw;
    }
    Q_EMIT moveComplete();
}

void DataControl::navigate(Button button)
{
    try {
        requireOpen();
        writeCurrent();
        const int count = m_model->rowCount();
        int row = -1;
        if (count > 0) {
            switch (button) {
            case Button::First:
                row = 0;
                break;
            case Button::Previous:
                row = qBound(0, m_row - 1, count - 1);
                break;
            case Button::Next:
                // After a delete the next record already stands at the current row.
                row = qBound(0, m_deleted ? m_row : m_row + 1, count - 1);
                break;
            case Button::Last:
                row = count - 1;
                break;
            }
        }
        setCurrent(row);
    } catch (const Data::DbError &error) {
        // A change that cannot be written keeps its record current and its text typed.
        Q_EMIT moveComplete();
        report(error.description());
        return;
    }
    Q_EMIT moveComplete();
}

void DataControl::reopen()
{
    m_mapper->clearMapping();
    m_model.reset();
    m_connection.reset();
    m_row = -1;
    m_deleted = false;
    m_inserted = false;

    auto connection = std::make_unique<Data::DbConnection>(m_databaseName);
    // The model reports any failure to read the table's columns as a table it cannot
    // find; a statement on the table first reports SQLite's own reason (a damaged file,
    // a lock held elsewhere, a missing table).
    connection->exec(QStringLiteral("SELECT * FROM %1 LIMIT 0")
                         .arg(connection->database().driver()->escapeIdentifier(
                             m_tableName, QSqlDriver::TableName)));
    auto model = std::make_unique<RecordTableModel>(*connection, m_tableName);
    model->select();
    // The first record is read before the control counts as open.
    model->load(0);
    m_connection = std::move(connection);
    m_model = std::move(model);

    m_mapper->setModel(m_model.get());
    for (const Binding &binding : std::as_const(m_bindings)) {
        const int column = m_model->fieldIndex(binding.column);
        if (binding.box && column >= 0)
            m_mapper->addMapping(binding.box, column);
    }
    setCurrent(m_model->rowCount() > 0 ? 0 : -1);
    Q_EMIT moveComplete();
}

void DataControl::requireOpen() const
{
    if (!m_model)
        throw Data::DbError(-1, notOpenText(m_tableName));
}

void DataControl::selectAll()
{
    m_inserted = false;
    m_model->select();
}

void DataControl::writeCurrent()
{
    if (!m_model)
        return;
    if (hasCurrent())
        m_mapper->submit();
    if (!m_model->isDirty())
        return;
    const int row = m_row;
    const bool inserted = m_inserted;
    // On failure the change stays in the model and in the boxes; nothing moves.
    m_model->submitChanges();
    // Writing re-reads the table: find the record that was current again.
    m_inserted = false;
    setCurrent(inserted ? m_model->rowOfLastInsert() : qMin(row, m_model->rowCount() - 1));
}

void DataControl::setCurrent(int row, bool deleted)
{
    // The values of a record are read as it becomes current; a failure to read them
    // leaves the current record as it was.
    if (m_model && !deleted)
        m_model->load(row);
    m_row = row;
    m_deleted = deleted;
    showCurrent();
}

void DataControl::showCurrent()
{
    const bool current = hasCurrent();
    if (current)
        m_mapper->setCurrentIndex(m_row);
    for (const Binding &binding : std::as_const(m_bindings)) {
        QWidget *box = binding.box;
        if (!box)
            continue;
        // Without a current record (or a column to show) a box takes no typing, so
        // nothing typed there can be lost silently.
        const bool editable =
            current && m_mapper->mappedSection(box) >= 0 && m_mapper->model() != nullptr;
        if (auto *edit = qobject_cast<QLineEdit *>(box)) {
            if (!current)
                edit->clear();
            edit->setReadOnly(!editable);
        } else if (auto *button = qobject_cast<QAbstractButton *>(box)) {
            if (!current)
                button->setChecked(false);
            button->setEnabled(editable);
        }
    }
}

void DataControl::report(const QString &description)
{
    Ui::message(window(), description);
}

} // namespace Zuvi
