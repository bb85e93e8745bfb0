#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace Zuvi::Core {

/// Runs one event handler under the application's single error path. A database failure
/// (or any other exception) stops the handler, is reported as "Error N: description" (in
/// the message box where the windows presented it) and then ends the application with a non-zero
/// exit status. An Interruption (a shared server's refusal or loss, after which nothing was
/// written) is shown as its description and the application carries on. Once the application is
/// ending, no further handler runs. Exceptions never escape into Qt.
void runGuarded(const std::function<void()> &handler);

/// Wraps a handler that takes no arguments for connect(): every window connects its
/// handlers through this, so that the error path is implemented once. (A signal's
/// arguments are dropped; handlers that need one call runGuarded themselves.)
template <typename F> auto guarded(F &&handler)
{
    return [handler = std::forward<F>(handler)]() { runGuarded(handler); };
}

/// The text shown for a fatal error.
QString fatalText(int code, const QString &description);

/// What a command-line action prints for a failure it reports before exiting: the text
/// of a fatal error for the system's own failures and for memory running out, the
/// exception's own text otherwise.
QString failureText(const std::exception &error);

/// True once a fatal error has been reported: main() then returns 1.
bool isEnding();

/// What ending the application does after the message was closed. By default it closes
/// what the presenter shows and leaves the event loop with exit status 1; tests replace it to
/// record the end instead. Returns the hook that was installed before.
using EndHook = std::function<void()>;
EndHook setEndHook(EndHook hook);

/// How the error path reaches the organiser: show() shows a failure's text and waits until
/// it was read, end() closes what is open before the application ends. The windows install
/// theirs (a message box; every window hidden); without them the text goes to the standard
/// error, so that the model and the command line need no windows. Returns the presenter
/// installed before.
struct Presenter
{
    std::function<void(const QString &text)> show;
    std::function<void()> end;
};
Presenter setPresenter(Presenter presenter);

/// Clears the ending state (tests that provoke several fatal errors in one process).
void resetEnding();

} // namespace Zuvi::Core
