#include "ui/layout.h"

#include "ui/twips.h"

#include <QLabel>
#include <QWidget>

namespace Zuvi::Ui {

void placeWidget(QWidget *widget, const char *objectName, int left, int top, int width,
                 int height)
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

void setTabChain(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

} // namespace Zuvi::Ui
