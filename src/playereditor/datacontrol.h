#pragma once

#include "playereditor/recordtablemodel.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAbstractItemDelegate;
class QDataWidgetMapper;
class QAction;
class QLabel;
class QToolButton;

namespace Zuvi {

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
///
/// A new record into which nothing was typed is dropped, not written, when the user moves
/// away from it (a move, a further new record, a refresh, the window closing); only
/// updateBatch() asks for it to be written.
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
    /// Adds a column kept in a table of its own beside the table (see RecordTableModel);
    /// boxes bind to it by its name. Set before open().
    void setCompanion(const RecordTableModel::Companion &companion);
    /// A check run before a record is written, on the values to be written (every column
    /// of the table, those typed since the record was read marked generated). It refuses
    /// the record by throwing RecordRefusal, and may replace a typed value by the form in
    /// which it is stored.
    using WriteCheck = std::function<void(QSqlRecord &values)>;
    void setWriteCheck(WriteCheck check);

    /// Opens the table of a database and makes its first record current. A failure is
    /// shown in the message box; the control then stays closed and empty, and
    /// refresh() tries again.
    void open(const QString &databaseName, const QString &tableName);
    /// Keeps the table on the shared server instead of the file databaseName names (the
    /// station's name goes with the connection); set before open().
    void setServer(std::optional<Data::ServerAddress> server, QString station);

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
    /// Writes the pending change as a move away from the record does (a new record into
    /// which nothing was typed is dropped). Nothing happens while the table is not open.
    void leaveRecord();

    /// True when the current record is a new one that has not been written yet.
    bool isNewRecord() const;
    /// A column of the current record as it is stored, before any change typed into it;
    /// NULL for a new record or without a current record.
    QVariant storedValue(const QString &column) const;
    /// Makes the record with a row identity (rowid) current, after writing a pending
    /// change; returns false, and stays where it is, when the table has no such record.
    bool moveToId(qint64 id);
    /// Makes the next record current whose text in one of the columns contains a text,
    /// case ignored, after writing a pending change: the search runs on from the current
    /// record to the last and then from the first. Returns false, and stays where it is,
    /// when no record matches.
    bool findNext(const QStringList &columns, const QString &text);

    /// "First record", "Previous record", "Next record" and "Last record" with their keys
    /// (Ctrl+Page Up, Page Up, Page Down, Ctrl+Page Down), for the window's context menu:
    /// the arrow buttons take no focus, and these reach them from the keyboard.
    QList<QAction *> navigationActions() const { return m_navigation; }

Q_SIGNALS:
    /// Emitted after every change of the current record, also after a move that failed.
    void moveComplete();

private:
    /// Writes the pending change, then moves to the row rowAfterWrite() gives (looked up
    /// after the write, which may read the table anew), or stays where a negative row
    /// says there is none; moveComplete() follows either way. True when it moved.
    bool writeThenMove(const std::function<int()> &rowAfterWrite);

    enum class Button { First, Previous, Next, Last };
    // Why a pending change is written: the user asked for it, or is moving away.
    enum class Write { Asked, Leaving };

    struct Binding
    {
        QPointer<QWidget> box;
        QString column;
    };

    void navigate(Button button);
    void reopen();
    void requireOpen() const;
    void selectAll();
    void writeCurrent(Write why = Write::Leaving);
    void setCurrent(int row, bool deleted = false);
    void showCurrent();
    void report(const QString &description);
    bool hasCurrent() const;

    std::unique_ptr<RecordConnection> m_connection;
    std::unique_ptr<RecordTableModel> m_model;
    std::unique_ptr<QAbstractItemDelegate> m_delegate;
    std::unique_ptr<QDataWidgetMapper> m_mapper;

    QString m_databaseName;
    std::optional<Data::ServerAddress> m_server;
    QString m_station;
    QString m_tableName;
    QList<Binding> m_bindings;
    std::optional<RecordTableModel::Companion> m_companion;
    WriteCheck m_check;
    // The current row of the model; -1 before the first row, rowCount() past the last.
    int m_row = -1;
    // The current record was deleted: the row index already names the record after it.
    bool m_deleted = false;
    // The last row of the model is a new record that has not been written yet.
    bool m_inserted = false;

    QList<QAction *> m_navigation;
    QToolButton *m_first = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QLabel *m_caption = nullptr;
};

} // namespace Zuvi
