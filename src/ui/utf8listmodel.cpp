#include "ui/utf8listmodel.h"

namespace Zuvi::Ui {

void Utf8ListModel::Rows::reserve(qsizetype rows, qsizetype bytes)
{
    m_ends.reserve(rows);
    m_bytes.reserve(bytes);
}

void Utf8ListModel::Rows::append(std::initializer_list<QByteArrayView> pieces)
{
    for (const QByteArrayView piece : pieces)
        m_bytes.append(piece);
    m_ends.append(m_bytes.size());
}

Utf8ListModel::Utf8ListModel(QObject *parent) : QAbstractListModel(parent) {}

int Utf8ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.m_ends.size());
}

QVariant Utf8ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.m_ends.size() || role != Qt::DisplayRole)
        return QVariant();
    return text(index.row());
}

QString Utf8ListModel::text(int row) const
{
    if (row < 0 || row >= m_rows.m_ends.size())
        return QString();
    const qsizetype start = row == 0 ? 0 : m_rows.m_ends.at(row - 1);
    return QString::fromUtf8(
        QByteArrayView(m_rows.m_bytes).sliced(start, m_rows.m_ends.at(row) - start));
}

void Utf8ListModel::resetRows(Rows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

} // namespace Zuvi::Ui
