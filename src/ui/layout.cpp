#include "ui/layout.h"

#include "ui/twips.h"

#include <QAbstractButton>
#include <QLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QWidget>

namespace Zuvi::Ui {

void placeWidget(QWidget *widget, const char *objectName, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setGeometry(twipsRect(left, top, width, height));
}

void plainTextLabels(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setTextFormat(Qt::PlainText);
    for (QLabel *label : widget->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
}

QString plainToolTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(text.toHtmlEscaped());
}

void styleLabel(QLabel *label, bool border)
{
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Button);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (border) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
}

void fitLabelText(QLabel *label)
{
    QFont font = label->font();
    for (int spacing = 100; spacing >= 86; spacing -= 2) {
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        label->setFont(font);
        // The label's own measure, with its frame and indent, decides whether it fits.
        if (label->heightForWidth(label->width()) <= label->height())
            break;
    }
}

namespace {

constexpr qreal kSmallestShare = 0.7;
constexpr qreal kStep = 0.25;

/// The rectangle in which a button's style draws its caption.
QRect captionRect(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const bool check = qobject_cast<const QCheckBox *>(button) != nullptr;
    const bool radio = qobject_cast<const QRadioButton *>(button) != nullptr;
    const QStyle::SubElement element = check   ? QStyle::SE_CheckBoxContents
                                       : radio ? QStyle::SE_RadioButtonContents
                                               : QStyle::SE_PushButtonContents;
    return button->style()->subElementRect(element, &option, button);
}

/// A check box or radio button whose caption lies outside its box by design.
bool captionHidden(const QAbstractButton *button)
{
    const bool indicator =
        qobject_cast<const QCheckBox *>(button) || qobject_cast<const QRadioButton *>(button);
    return indicator && captionRect(button).width() <= 0;
}

bool labelFits(const QLabel *label)
{
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
        return true;
    // The rectangle in which QLabel draws its text: inside the frame and the margin, and
    // inside the indent, which a framed label without one takes as half an 'x' on each
    // side it aligns to.
    const QFontMetrics metrics = label->fontMetrics();
    const int margin = label->margin();
    QRect room = label->contentsRect().marginsRemoved(QMargins(margin, margin, margin, margin));
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment align = label->alignment();
        room.adjust(align & Qt::AlignLeft ? indent : 0, align & Qt::AlignTop ? indent : 0,
                    align & Qt::AlignRight ? -indent : 0, align & Qt::AlignBottom ? -indent : 0);
    }
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = metrics.boundingRect(room, flags, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool buttonFits(const QAbstractButton *button)
{
    if (button->text().isEmpty() || captionHidden(button))
        return true;
    const QRect room = captionRect(button);
    // One pixel on each side, so that the caption never touches the frame.
    const QSize needed =
        button->fontMetrics().size(Qt::TextShowMnemonic, button->text()) + QSize(2, 0);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool isCaptionControl(const QWidget *widget)
{
    return qobject_cast<const QLabel *>(widget) || qobject_cast<const QAbstractButton *>(widget);
}

} // namespace

bool textFits(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return labelFits(label);
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return buttonFits(button);
    return true;
}

void fitText(QWidget *control)
{
    if (!isCaptionControl(control))
        return;
    QVariant design = control->property(kDesignPointSize);
    if (!design.isValid()) {
        if (textFits(control))
            return; // never needed fitting: the control keeps the font it inherits
        design = control->font().pointSizeF();
        control->setProperty(kDesignPointSize, design);
    }
    const qreal designSize = design.toReal();
    if (designSize <= 0)
        return; // a pixel-sized font: left as it was drawn
    QFont font = control->font();
    for (qreal size = designSize; size >= designSize * kSmallestShare; size -= kStep) {
        font.setPointSizeF(size);
        control->setFont(font);
        if (textFits(control))
            return;
    }
}

void fitTexts(QWidget *window)
{
    // Layouts place their children only when shown: settle them before measuring.
    const auto layouts = window->findChildren<QLayout *>();
    for (QLayout *layout : layouts)
        layout->activate();
    const auto controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls)
        fitText(control);
}

void setTabChain(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

} // namespace Zuvi::Ui
