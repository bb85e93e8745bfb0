#include "ui/layout.h"

#include "ui/twips.h"

#include <QLabel>
#include <QWidget>

namespace Zuvi::Ui {

void placeWidget(QWidget *widget, const char *objectName, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setGeometry(twipsRect(left, top, width, height));
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

void setTabChain(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

} // namespace Zuvi::Ui
