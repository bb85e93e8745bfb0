#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <functional>
#include <optional>
#include <vector>

namespace Zuvi::App {

/// The application object a command-line action runs with. None of them opens a window:
/// Gui and Widgets run on the offscreen platform unless QT_QPA_PLATFORM names another.
enum class ActionNeeds {
    Core,    ///< QCoreApplication: files, databases, text output
    Gui,     ///< QGuiApplication: fonts, painting, PDF
    Widgets, ///< QApplication: anything that needs the widget classes
};

/// One command-line action: its option, the application object it needs and its handler.
/// The handler reads its values from the parser (option values and positional arguments),
/// does its work without a window, reports on stdout/stderr and returns the exit status.
struct CommandLineAction
{
    QCommandLineOption option;
    ActionNeeds needs = ActionNeeds::Core;
    std::function<int(const QCommandLineParser &parser)> run;
};

/// Every command-line action, in the order --help lists them. This is the one place where
/// an action is registered (see cmdline.cpp).
const std::vector<CommandLineAction> &commandLineActions();

/// Exit status of a command line that cannot be understood (unknown option, missing value,
/// stray argument): the usual status of a usage error.
inline constexpr int kUsageError = 2;

/// Reads the command line before any application object exists. With no option it returns
/// nothing and main() starts the windows as always (Qt's own options, such as -platform or
/// -style, are left for QApplication). Otherwise it answers --help and --version, reports a
/// usage error with exit status 2, or runs the one action asked for, and returns the exit
/// status.
std::optional<int> runCommandLine(int &argc, char **argv);

} // namespace Zuvi::App
