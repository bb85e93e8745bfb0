#include "ui/listutil.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QListView>

namespace Zuvi::Ui {

int selectedRow(const QAbstractItemView *list)
{
    const QItemSelectionModel *selection = list->selectionModel();
    if (!selection)
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current))
        return current.row();
    const QModelIndexList rows = selection->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void selectRow(QAbstractItemView *list, int row)
{
    QItemSelectionModel *selection = list->selectionModel();
    if (!selection || !list->model())
        return;
    const QModelIndex index = list->model()->index(row, 0);
    if (!index.isValid()) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
}

void clearSelection(QAbstractItemView *list)
{
    if (QItemSelectionModel *selection = list->selectionModel())
        selection->clear();
}

int rowCount(const QAbstractItemView *list)
{
    return list->model() ? list->model()->rowCount() : 0;
}

void setUpListBox(QListView *list)
{
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

} // namespace Zuvi::Ui
