#include "ui/listutil.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace Zuvi::Ui {

namespace {
// The rows of the lists are one line of text each. The style's own item drawing lays out
// every row's text anew at each paint (a text layout per row), which made the repaint after
// a game was recorded or undone cost as much as the game's write. This draws the same
// panel (background, selection, a note's tint), text colour and focus frame, with the text
// on one line, elided at the right where it is too long.
class OneLineDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = item.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        QPalette::ColorGroup group = QPalette::Normal;
        if (!(item.state & QStyle::State_Enabled))
            group = QPalette::Disabled;
        else if (!(item.state & QStyle::State_Active))
            group = QPalette::Inactive;
        const bool selected = item.state & QStyle::State_Selected;
        painter->save();
        painter->setFont(item.font);
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect, int(item.displayAlignment) | Qt::TextSingleLine,
                          item.fontMetrics.elidedText(item.text, Qt::ElideRight, textRect.width()));
        painter->restore();
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, widget);
            focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
            focus.backgroundColor =
                item.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
    }
};
} // namespace

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
    list->setItemDelegate(new OneLineDelegate(list));
}

} // namespace Zuvi::Ui
