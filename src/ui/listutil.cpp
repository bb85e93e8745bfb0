#include "ui/listutil.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHash>
#include <QScrollBar>
#include <QStaticText>
#include <QStyleOptionSlider>
#include <QItemSelectionModel>
#include <QListView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <memory>
#include <unordered_map>

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
        const QStaticText &text = lineOf(item.text, item.font, item.fontMetrics, textRect.width());
        const QSizeF size = text.size();
        qreal x = textRect.left();
        if (item.displayAlignment & Qt::AlignRight)
            x = textRect.right() + 1 - size.width();
        else if (item.displayAlignment & Qt::AlignHCenter)
            x = textRect.left() + (textRect.width() - size.width()) / 2;
        qreal y = textRect.top() + (textRect.height() - size.height()) / 2;
        if (item.displayAlignment & Qt::AlignTop)
            y = textRect.top();
        else if (item.displayAlignment & Qt::AlignBottom)
            y = textRect.bottom() + 1 - size.height();
        painter->drawStaticText(QPointF(x, y), text);
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

    // The lists' rows are all one height (uniform sizes): the view asks for the first row's
    // size at every layout. The style's answer is kept for as long as that row, its font and
    // the style's options stay the same.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (m_hintValid && text == m_hintText && option.font == m_hintFont &&
            option.rect.size() == m_hintRect)
            return m_hint;
        m_hint = QStyledItemDelegate::sizeHint(option, index);
        m_hintText = text;
        m_hintFont = option.font;
        m_hintRect = option.rect.size();
        m_hintValid = true;
        return m_hint;
    }

private:
    // A row's text laid out once, elided to the row's width, and drawn from then on without
    // being shaped again. The lines are shared by every list (a round window's lists show
    // the names the registration window laid out already), kept by font and width, and at
    // most so many; they go with the last list.
    struct Lines
    {
        // Node-based: a group stays where it is while others are added.
        std::unordered_map<QString, QHash<QString, QStaticText>> byFontAndWidth;
        qsizetype count = 0;
        // Counts the clearings, after which every list looks its group up again.
        quint64 generation = 0;
    };

    static std::shared_ptr<Lines> sharedLines()
    {
        static std::weak_ptr<Lines> shared;
        std::shared_ptr<Lines> lines = shared.lock();
        if (!lines) {
            lines = std::make_shared<Lines>();
            shared = lines;
        }
        return lines;
    }

    const QStaticText &lineOf(const QString &text, const QFont &font, const QFontMetrics &metrics,
                              int width) const
    {
        constexpr qsizetype kMostLines = 8192;
        if (m_lines->count >= kMostLines) {
            m_lines->byFontAndWidth.clear();
            m_lines->count = 0;
            ++m_lines->generation;
        }
        if (!m_group || m_generation != m_lines->generation || font != m_font || width != m_width) {
            m_group =
                &m_lines->byFontAndWidth[font.key() + QLatin1Char('|') + QString::number(width)];
            m_generation = m_lines->generation;
            m_font = font;
            m_width = width;
        }
        auto found = m_group->find(text);
        if (found == m_group->end()) {
            QStaticText line(metrics.elidedText(text, Qt::ElideRight, width));
            line.setTextFormat(Qt::PlainText);
            line.setPerformanceHint(QStaticText::AggressiveCaching);
            line.prepare(QTransform(), font);
            found = m_group->insert(text, line);
            ++m_lines->count;
        }
        return *found;
    }

    std::shared_ptr<Lines> m_lines = sharedLines();
    mutable QHash<QString, QStaticText> *m_group = nullptr;
    mutable quint64 m_generation = 0;
    mutable QSize m_hint;
    mutable QString m_hintText;
    mutable QFont m_hintFont;
    mutable QSize m_hintRect;
    mutable bool m_hintValid = false;
    mutable QFont m_font;
    mutable int m_width = -1;
};
// A list's scroll bar repaints at every change of the list's length, though a row more or
// less in a long list seldom moves its handle by a pixel. This one repaints only when what
// it shows changes: its handle, its arrows' states or its enabled state.
class SteadyScrollBar final : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override
    {
        if (change == SliderRangeChange || change == SliderValueChange) {
            const Look now = look();
            if (now == m_shown) {
                // Nothing on screen changes; a transient style still shows the bar.
                if (!style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this))
                    return;
            }
            m_shown = now;
        }
        QScrollBar::sliderChange(change);
    }

    void paintEvent(QPaintEvent *event) override
    {
        m_shown = look();
        QScrollBar::paintEvent(event);
    }

private:
    struct Look
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool empty = false;
        friend bool operator==(const Look &, const Look &) = default;
    };

    Look look() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        this),
                value() == minimum(), value() == maximum(), minimum() == maximum()};
    }

    Look m_shown;
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
    list->setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, list));
}

} // namespace Zuvi::Ui
