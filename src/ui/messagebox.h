#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace Zuvi::Ui {

/// Shows one of the system's messages: a modal box titled with the application title,
/// an OK button only and no icon. Returns when the user has closed it.
void message(QWidget *parent, const QString &text);

/// What every box of message() and ask() is given before it shows: its text as plain
/// text, and modality over the whole application.
void prepareBox(QMessageBox &box);

/// Replaces the box by a function that receives the text instead (tests record the
/// texts this way without blocking). An empty function restores the real box.
/// Returns the function that was installed before.
using MessageHandler = std::function<void(const QString &text)>;
MessageHandler setMessageHandler(MessageHandler handler);

/// Which answer Return gives in a question box.
enum class DefaultAnswer { Yes, No };

/// Asks a question in a box titled with the application title, with the buttons Yes and
/// No: Return answers the default (Yes unless told otherwise), Escape answers No. A
/// question whose Yes cannot be taken back (a deletion, a round ended with games missing)
/// makes No the default. Returns true for Yes.
bool ask(QWidget *parent, const QString &text, DefaultAnswer byDefault = DefaultAnswer::Yes);

/// Replaces the question box by a function that receives the text and the default answer
/// and gives the answer (tests). An empty function restores the real box. Returns the one
/// installed before.
using QuestionHandler = std::function<bool(const QString &text, DefaultAnswer byDefault)>;
QuestionHandler setQuestionHandler(QuestionHandler handler);

} // namespace Zuvi::Ui
