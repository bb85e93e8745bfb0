#include "ui/messagebox.h"

#include "core/errorpath.h"
#include "ui/apptitle.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <utility>

namespace Zuvi::Ui {

void prepareBox(QMessageBox &box)
{
    // Messages carry names, houses and file names as the organiser typed them: a player
    // named "<b>Ann</b>" is shown with the brackets, never in bold.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
}

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
    prepareBox(box);
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
    prepareBox(box);
    return box.exec() == QMessageBox::Yes;
}

QuestionHandler setQuestionHandler(QuestionHandler handler)
{
    return std::exchange(questionSlot(), std::move(handler));
}

} // namespace Zuvi::Ui

namespace Zuvi::Ui {

namespace {
// The error path shows its failures in the message box and hides every window before the
// application ends; installed wherever the windows are linked in.
[[maybe_unused]] const bool s_presenterInstalled = [] {
    Core::setPresenter({[](const QString &text) { message(nullptr, text); },
                        [] {
                            const auto windows = QApplication::topLevelWidgets();
                            for (QWidget *window : windows)
                                window->hide();
                        }});
    return true;
}();
} // namespace

} // namespace Zuvi::Ui
