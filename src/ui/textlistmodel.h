#pragma once

#include <QAbstractListModel>
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

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QStringList &texts() const { return m_texts; }
    /// Replaces the rows; greyed (if not empty) flags each row.
    void setTexts(const QStringList &texts, const QList<bool> &greyed = {});
    /// Replaces every row in one reset: nothing stays selected.
    void resetTexts(const QStringList &texts, const QList<bool> &greyed = {});

private:
    QStringList m_texts;
    QList<bool> m_greyed;
};

} // namespace Zuvi::Ui
