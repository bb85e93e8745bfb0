#include "ui/listutil.h"

#include <QItemSelectionModel>
#include <QListWidget>

namespace Zuvi::Ui {

int selectedRow(const QListWidget *list)
{
    const QItemSelectionModel *selection = list->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current))
        return current.row();
    const QModelIndexList rows = selection->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void clearSelection(QListWidget *list)
{
    list->selectionModel()->clear();
}

void removeRowUnselected(QListWidget *list, int index)
{
    delete list->takeItem(index);
    clearSelection(list);
}

void setUpListBox(QListWidget *list)
{
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace Zuvi::Ui
