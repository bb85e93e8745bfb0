#include "ui/messagebox.h"

#include "ui/apptitle.h"

#include <QMessageBox>

#include <utility>

namespace Zuvi::Ui {

namespace {
MessageHandler &handlerSlot()
{
    static MessageHandler handler;
    return handler;
}
} // namespace

void message(QWidget *parent, const QString &text)
{
    if (const MessageHandler &handler = handlerSlot()) {
        handler(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MessageHandler setMessageHandler(MessageHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

} // namespace Zuvi::Ui
