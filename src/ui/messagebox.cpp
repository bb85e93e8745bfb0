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

namespace {
QuestionHandler &questionSlot()
{
    static QuestionHandler handler;
    return handler;
}
} // namespace

bool ask(QWidget *parent, const QString &text, DefaultAnswer byDefault)
{
    if (const QuestionHandler &handler = questionSlot())
        return handler(text, byDefault);
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(byDefault == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

QuestionHandler setQuestionHandler(QuestionHandler handler)
{
    return std::exchange(questionSlot(), std::move(handler));
}

} // namespace Zuvi::Ui
