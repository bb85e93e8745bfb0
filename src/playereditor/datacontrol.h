#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QAbstractItemDelegate;
class QDataWidgetMapper;
class QLabel;
class QToolButton;

namespace Zuvi::Data {
class DbConnection;
}

namespace Zuvi {

class RecordTableModel;

/// A data control: a navigation bar over one whole table that keeps a current record
/// and shows it in the boxes bound to it by column name. It holds its own connection to
/// the database for as long as it lives. A changed or added record is written when
/// another record becomes current or when updateBatch() asks for it; each write is one
/// row in one transaction.
///
/// The record operations throw Data::DbError when the database fails and RecordRefusal
/// when the control refuses (no table open, no current record, a record changed elsewhere),
/// each with a description; the control's own work (opening the table, moving with its
/// buttons) shows the description in the message box instead and leaves the window usable.
class DataControl final : public QWidget
{
    Q_OBJECT

public:
    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;
    Q_DISABLE_COPY_MOVE(DataControl)

    /// Binds a box to a column: a line edit shows and edits the column's text, a check
    /// box or other button its yes/no value as the checked state. Bind before open().
    void bind(QWidget *box, const QString &column);

    /// Opens the table of a database and makes its first record current. A failure is
    /// shown in the message box; the control then stays closed and empty, and
    /// refresh() tries again.
    void open(const QString &databaseName, const QString &tableName);

    /// The text between the navigation buttons.
    QString caption() const;
    void setCaption(const QString &text);

    bool isOpen() const;
    /// The number of records.
    int recordCount() const;
    /// The 1-based position of the current record, or -1 when there is none.
    int absolutePosition() const;
    /// True when no record is current because the position went past the last record
    /// (or the table is empty).
    bool isEof() const;
    /// Appends a new record and makes it current, after writing a pending change.
    void addNew();
    /// Writes the pending change of the current record, if there is one.
    void updateBatch();
    /// Removes the current record from the table at once, discarding any change typed
    /// into it. Until the next move no record is current.
    void deleteCurrent();
    /// Moves to the next record; past the last one no record is current (isEof()).
    void moveNext();
    /// Moves to the last record; fails on an empty table.
    void moveLast();
    /// Reads the whole table anew (opening it if it is not open) and makes the first
    /// record current, after writing a pending change.
    void refresh();

Q_SIGNALS:
    /// Emitted after every change of the current record, also after a move that failed.
    void moveComplete();

private:
    enum class Button { First, Previous, Next, Last };

    struct Binding
    {
        QPointer<QWidget> box;
        QString column;
    };

    void navigate(Button button);
    void reopen();
    void requireOpen() const;
    void selectAll();
    void writeCurrent();
    void setCurrent(int row, bool deleted = false);
    void showCurrent();
    void report(const QString &description);
    bool hasCurrent() const;

    std::unique_ptr<Data::DbConnection> m_connection;
    std::unique_ptr<RecordTableModel> m_model;
    std::unique_ptr<QAbstractItemDelegate> m_delegate;
    std::unique_ptr<QDataWidgetMapper> m_mapper;

    QString m_databaseName;
    QString m_tableName;
    QList<Binding> m_bindings;
    // The current row of the model; -1 before the first row, rowCount() past the last.
    int m_row = -1;
    // The current record was deleted: the row index already names the record after it.
    bool m_deleted = false;
    // The last row of the model is a new record that has not been written yet.
    bool m_inserted = false;

    QToolButton *m_first = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QLabel *m_caption = nullptr;
};

} // namespace Zuvi
