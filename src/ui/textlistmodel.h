#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QStringList>

namespace Zuvi::Ui {

/// The rows of one list box: texts, some of them greyed. A refill tells the view as
/// little as it must, so that what the organiser selected stays where it can: rows added
/// at the end are inserted, a change of a row or two in place keeps the selection, and
/// anything else is one reset that leaves nothing selected.
class TextListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TextListModel(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TextListModel)

    /// The colour of a greyed row's text (a dropped entrant): set apart from the other rows
    /// and still readable on the list's background.
    static QColor greyedText();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QStringList &texts() const { return m_texts; }
    /// Replaces the rows; greyed (if not empty) flags each row.
    void setTexts(const QStringList &texts, const QList<bool> &greyed = {});
    /// Replaces every row in one reset: nothing stays selected.
    void resetTexts(const QStringList &texts, const QList<bool> &greyed = {});
    /// One row inserted before row (at the end for the row count), not greyed.
    void insertText(int row, const QString &text);
    /// One row taken out.
    void removeText(int row);
    /// The text of one row changed in place; the selection stays.
    void setText(int row, const QString &text);
    /// What a greyed row means, for screen readers: they read "text (note)" where the
    /// screen shows the text greyed, so that colour is not the only sign.
    void setGreyedNote(const QString &note) { m_greyedNote = note; }
    /// A note on each row (empty: none), kept with its row as rows come and go: shown as
    /// the row's tool tip on a tinted background, and read after the row's text.
    void setNotes(const QStringList &notes);
    QString note(int row) const { return m_notes.value(row); }
    /// The tint of a row with a note.
    static QColor notedBackground();

private:
    QStringList m_texts;
    QList<bool> m_greyed;
    // The note of each row; empty while no row has one, and then no longer than the rows.
    QStringList m_notes;
    QString m_greyedNote;
};

} // namespace Zuvi::Ui
