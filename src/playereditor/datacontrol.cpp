#include "playereditor/datacontrol.h"

#include "core/errorpath.h"
#include "data/dberror.h"
#include "playereditor/boxdelegate.h"
#include "playereditor/recordrefusal.h"
#include "playereditor/recordtablemodel.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QDataWidgetMapper>
#include <QHBoxLayout>
#include <QIcon>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSqlDriver>
#include <QToolButton>

namespace Zuvi {

namespace {

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
                Core::guarded([this, which = which] { navigate(which); }));

    // The same moves from the keyboard; each goes through its button, which is disabled
    // where the move makes no sense.
    const std::pair<QToolButton *, QKeySequence> keys[] = {
        {m_first, QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        {m_previous, QKeySequence(Qt::Key_PageUp)},
        {m_next, QKeySequence(Qt::Key_PageDown)},
        {m_last, QKeySequence(Qt::CTRL | Qt::Key_PageDown)}};
    for (const auto &[button, key] : keys) {
        button->setAccessibleName(button->toolTip());
        auto *action = new QAction(button->toolTip(), this);
        action->setObjectName(button->objectName() + QStringLiteral("Action"));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, button, &QToolButton::click);
        m_navigation.append(action);
    }
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

void DataControl::setCompanion(const RecordTableModel::Companion &companion)
{
    m_companion = companion;
}

void DataControl::setWriteCheck(WriteCheck check)
{
    m_check = std::move(check);
}

void DataControl::setServer(std::optional<Data::ServerAddress> server, QString station)
{
    m_server = std::move(server);
    m_station = std::move(station);
}

void DataControl::open(const QString &databaseName, const QString &tableName)
{
    m_databaseName = databaseName;
    m_tableName = tableName;
    try {
        reopen();
    } catch (const Failure &error) {
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
    m_model->appendRecord();
    m_inserted = true;
    setCurrent(row);
    Q_EMIT moveComplete();
}

void DataControl::updateBatch()
{
    requireOpen();
    writeCurrent(Write::Asked);
}

void DataControl::leaveRecord()
{
    if (m_model)
        writeCurrent();
}

bool DataControl::isNewRecord() const
{
    return hasCurrent() && m_inserted && m_model->isInsert(m_row);
}

QVariant DataControl::storedValue(const QString &column) const
{
    if (!hasCurrent() || isNewRecord())
        return QVariant();
    const int index = m_model->fieldIndex(column);
    return index < 0 ? QVariant() : m_model->storedValue(m_row, index);
}

bool DataControl::moveToId(qint64 id)
{
    requireOpen();
    if (m_model->rowOfRowid(id) < 0)
        return false;
    // Writing may have read the table anew: the record is looked up again.
    return writeThenMove([this, id] { return m_model->rowOfRowid(id); });
}

bool DataControl::findNext(const QStringList &columns, const QString &text)
{
    requireOpen();
    return writeThenMove([this, &columns, &text] {
        // After a delete the record after the deleted one stands at the current row and
        // is the first to look at.
        const int after = m_deleted ? m_row - 1 : m_row;
        return m_model->nextRowContaining(after, columns, text);
    });
}

bool DataControl::writeThenMove(const std::function<int()> &rowAfterWrite)
{
    bool moved = false;
    try {
        writeCurrent();
        const int row = rowAfterWrite();
        if (row >= 0) {
            setCurrent(row);
            moved = true;
        }
    } catch (...) {
        Q_EMIT moveComplete();
        throw;
    }
    Q_EMIT moveComplete();
    return moved;
}

void DataControl::deleteCurrent()
{
    requireOpen();
    if (!hasCurrent())
        throw RecordRefusal(QStringLiteral("There is no current record."));
    const int row = m_row;
    if (m_inserted && row == m_model->rowCount() - 1) {
        // A new record that was never written only leaves the model.
        m_model->revertRow(row);
        m_inserted = false;
        setCurrent(row, true);
        return;
    }
    m_model->markForDeletion(row);
    try {
        m_model->submitChanges();
    } catch (const Failure &) {
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
                throw RecordRefusal(QStringLiteral("There is no record after the last one."));
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
            throw RecordRefusal(QStringLiteral("The table has no records to move to."));
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
    } catch (const Failure &error) {
        // A change that cannot be written (or is refused) keeps its record current and its
        // text typed.
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

    std::unique_ptr<RecordConnection> connection =
        m_server ? RecordConnection::openServer(*m_server, m_station)
                 : RecordConnection::openFile(m_databaseName);
    // The model reports any failure to read the table's columns as a table it cannot
    // find; a statement on the table first reports SQLite's own reason (a damaged file,
    // a lock held elsewhere, a missing table).
    connection->exec(QStringLiteral("SELECT * FROM %1 LIMIT 0")
                         .arg(connection->database().driver()->escapeIdentifier(
                             connection->tableName(m_tableName), QSqlDriver::TableName)));
    auto model = std::make_unique<RecordTableModel>(*connection, m_tableName);
    if (m_companion)
        model->setCompanion(*m_companion);
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
        throw RecordRefusal(notOpenText(m_tableName));
}

void DataControl::selectAll()
{
    m_inserted = false;
    m_model->select();
}

void DataControl::writeCurrent(Write why)
{
    if (!m_model)
        return;
    if (hasCurrent())
        m_mapper->submit();
    if (!m_model->isDirty())
        return;
    const int row = m_row;
    const bool inserted = m_inserted;
    if (why == Write::Leaving && m_model->isUntouchedInsert()) {
        // Nothing was typed into the new record: it only leaves the model. The position
        // stays past the last record, so that a move goes where it would have gone.
        m_model->revertAll();
        m_inserted = false;
        setCurrent(row);
        return;
    }
    if (QSqlRecord *values = m_model->pendingValues(); values && m_check)
        m_check(*values);
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
