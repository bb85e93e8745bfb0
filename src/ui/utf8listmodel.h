#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>

namespace Zuvi::Ui {

/// The rows of a long list box of plain texts (the stored players), kept as UTF-8 in one
/// buffer: a hundred thousand rows are two allocations, not a hundred thousand texts, and
/// a row is decoded only when it is shown or asked for.
class Utf8ListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit Utf8ListModel(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Utf8ListModel)

    /// Rows gathered for one refill.
    class Rows final
    {
    public:
        void reserve(qsizetype rows, qsizetype bytes);
        /// Appends one row made of the given pieces of UTF-8, one after the other.
        void append(std::initializer_list<QByteArrayView> pieces);
        qsizetype size() const { return m_ends.size(); }

    private:
        friend class Utf8ListModel;
        QByteArray m_bytes;
        QList<qsizetype> m_ends;
    };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    /// The text of a row (empty for a row that does not exist).
    QString text(int row) const;
    /// Replaces every row; the view is reset and nothing stays selected.
    void resetRows(Rows rows);
    /// How many bytes the rows hold, to reserve as much for the next refill.
    qsizetype byteSize() const { return m_rows.m_bytes.size(); }

private:
    Rows m_rows;
};

} // namespace Zuvi::Ui
