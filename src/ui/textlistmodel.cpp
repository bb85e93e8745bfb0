#include "ui/textlistmodel.h"

#include "ui/layout.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace Zuvi::Ui {

namespace {
// Rows that may change in place before a refill becomes a reset.
constexpr int kInPlaceRows = 2;
} // namespace

TextListModel::TextListModel(QObject *parent) : QAbstractListModel(parent) {}

int TextListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

QColor TextListModel::greyedText()
{
    // Between the text and the list's background, nearer the text: lighter than the other
    // rows, yet 4.5:1 or more against the background (the disabled colour of most styles
    // is far below that).
    const QPalette palette = QGuiApplication::palette();
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const auto mix = [](int a, int b) { return (a * 55 + b * 45) / 100; };
    return QColor(mix(text.red(), base.red()), mix(text.green(), base.green()),
                  mix(text.blue(), base.blue()));
}

QColor TextListModel::notedBackground()
{
    // A light amber: the text's contrast on it stays as on white.
    return QColor(0xff, 0xf0, 0xb3);
}

void TextListModel::setNotes(const QStringList &notes)
{
    // A list without notes keeps none (a list of 100,000 stored players would otherwise
    // hold as many empty texts).
    QStringList next = notes;
    const bool any = std::any_of(next.cbegin(), next.cend(),
                                 [](const QString &note) { return !note.isEmpty(); });
    if (any)
        next.resize(m_texts.size());
    else
        next.clear();
    QList<int> changed;
    const qsizetype rows = std::min(m_texts.size(), std::max(next.size(), m_notes.size()));
    for (qsizetype row = 0; row < rows; ++row) {
        if (m_notes.value(row) != next.value(row))
            changed.append(int(row));
    }
    m_notes = std::move(next);
    for (int row : std::as_const(changed))
        Q_EMIT dataChanged(index(row), index(row));
}

QVariant TextListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_texts.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_texts.at(index.row());
    const QString note = m_notes.value(index.row());
    if (!note.isEmpty()) {
        if (role == Qt::ToolTipRole)
            return plainToolTip(note);
        if (role == Qt::BackgroundRole)
            return QBrush(notedBackground());
        if (role == Qt::AccessibleTextRole)
            return QStringLiteral("%1 (%2)").arg(m_texts.at(index.row()), note);
    }
    const bool greyed = index.row() < m_greyed.size() && m_greyed.at(index.row());
    if (role == Qt::ForegroundRole && greyed)
        return QBrush(greyedText());
    if (role == Qt::AccessibleTextRole && greyed && !m_greyedNote.isEmpty())
        return QStringLiteral("%1 (%2)").arg(m_texts.at(index.row()), m_greyedNote);
    if (role == Qt::AccessibleDescriptionRole && greyed)
        return m_greyedNote;
    return QVariant();
}

void TextListModel::setTexts(const QStringList &texts, const QList<bool> &greyed)
{
    QList<bool> flags = greyed;
    flags.resize(texts.size(), false);
    const qsizetype old = m_texts.size();

    if (texts.size() > old && old > 0 &&
        std::equal(m_texts.cbegin(), m_texts.cend(), texts.cbegin()) &&
        std::equal(m_greyed.cbegin(), m_greyed.cend(), flags.cbegin())) {
        beginInsertRows(QModelIndex(), int(old), int(texts.size() - 1));
        m_texts = texts;
        m_greyed = flags;
        endInsertRows();
        return;
    }
    if (texts.size() == old && old > 0) {
        QList<int> changed;
        for (qsizetype i = 0; i < old && changed.size() <= kInPlaceRows; ++i) {
            if (m_texts.at(i) != texts.at(i) || m_greyed.at(i) != flags.at(i))
                changed.append(int(i));
        }
        if (changed.size() <= kInPlaceRows) {
            for (int row : changed) {
                if (row < m_notes.size())
                    m_notes[row].clear();
            }
            m_texts = texts;
            m_greyed = flags;
            for (int row : changed)
                Q_EMIT dataChanged(index(row), index(row));
            return;
        }
    }
    resetTexts(texts, flags);
}

void TextListModel::resetTexts(const QStringList &texts, const QList<bool> &greyed)
{
    beginResetModel();
    m_texts = texts;
    m_greyed = greyed;
    m_greyed.resize(texts.size(), false);
    m_notes.clear();
    endResetModel();
}

void TextListModel::insertText(int row, const QString &text)
{
    if (row < 0 || row > m_texts.size())
        return;
    beginInsertRows(QModelIndex(), row, row);
    m_texts.insert(row, text);
    m_greyed.insert(row, false);
    if (row < m_notes.size())
        m_notes.insert(row, QString());
    endInsertRows();
}

void TextListModel::removeText(int row)
{
    if (row < 0 || row >= m_texts.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_texts.removeAt(row);
    m_greyed.removeAt(row);
    if (row < m_notes.size())
        m_notes.removeAt(row);
    endRemoveRows();
}

void TextListModel::setText(int row, const QString &text)
{
    if (row < 0 || row >= m_texts.size() || m_texts.at(row) == text)
        return;
    m_texts[row] = text;
    Q_EMIT dataChanged(index(row), index(row));
}

} // namespace Zuvi::Ui
