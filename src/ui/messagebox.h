#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Zuvi::Ui {

/// Shows one of the system's messages: a modal box titled with the application title,
/// an OK button only and no icon. Returns when the user has closed it.
void message(QWidget *parent, const QString &text);

/// Replaces the box by a function that receives the text instead (tests record the
/// texts this way without blocking). An empty function restores the real box.
/// Returns the function that was installed before.
using MessageHandler = std::function<void(const QString &text)>;
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace Zuvi::Ui
