#include "app/cmdline.h"

#include "core/errorpath.h"
#include "data/dberror.h"
#include "players/playercommands.h"
#include "page/servecommand.h"
#include "publish/exportcommand.h"
#include "tournament/storechoice.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <memory>
#include <new>

namespace Zuvi::App {

const std::vector<CommandLineAction> &commandLineActions()
{
    // Register an action here: its option (names, help text, value name), the application
    // object it needs and the function that does the work, e.g.
    //   {QCommandLineOption(QStringList{QStringLiteral("frobnicate")},
    //                       QCoreApplication::translate("cmdline", "Frobnicate FILE."),
    //                       QStringLiteral("FILE")),
    //    ActionNeeds::Core, &Zuvi::Something::frobnicateFromCommandLine},
    // The handler gets the parser (its option's value, positionalArguments() for more
    // values) and returns the exit status.
    static const std::vector<CommandLineAction> actions = {
        {QCommandLineOption(QStringList{QStringLiteral("import-players")},
                            QCoreApplication::translate(
                                "cmdline", "Import the players of an Access database (.mdb, "
                                           ".accdb) or a CSV file that are not stored yet."),
                            QStringLiteral("FILE")),
         ActionNeeds::Core, &Zuvi::Players::importPlayersFromCommandLine},
        {QCommandLineOption(
             QStringList{QStringLiteral("export-players")},
             QCoreApplication::translate("cmdline", "Write every stored player to a CSV file."),
             QStringLiteral("FILE.csv")),
         ActionNeeds::Core, &Zuvi::Players::exportPlayersFromCommandLine},
        {QCommandLineOption(
             QStringList{QStringLiteral("export")},
             QCoreApplication::translate(
                 "cmdline", "Write a document of the stored tournament to FILE, as PDF or CSV by "
                            "FILE's extension (.pdf, .csv). DOCUMENT is one of standings, "
                            "pairings, pairings-by-name, slips (PDF only), games, history (CSV "
                            "only: every archived tournament, one row per player), or league "
                            "NAME FILE (a league kept in the history)."),
             QStringLiteral("DOCUMENT")),
         ActionNeeds::Gui, &Zuvi::Publish::exportFromCommandLine},
        {QCommandLineOption(
             QStringList{QStringLiteral("serve-page")},
             QCoreApplication::translate(
                 "cmdline", "Serve the stored tournament's players' page without a window until "
                            "stopped (Ctrl+C), at --bind ADDRESS (default 127.0.0.1) and --port "
                            "N (default 8080).")),
         ActionNeeds::Gui, &Zuvi::Page::serveFromCommandLine},
    };
    return actions;
}

namespace {

void printOut(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void printError(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

int usageError(const QString &message)
{
    const QString name = QCoreApplication::applicationName();
    printError(
        QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(name, message));
    return kUsageError;
}

// QApplication's and QGuiApplication's own options.
const char *const kQtOptionsWithValue[] = {"platform",
                                           "platformpluginpath",
                                           "platformtheme",
                                           "plugin",
                                           "qwindowgeometry",
                                           "geometry",
                                           "qwindowtitle",
                                           "title",
                                           "qwindowicon",
                                           "icon",
                                           "session",
                                           "display",
                                           "name",
                                           "style",
                                           "stylesheet",
                                           "qmljsdebugger"};
const char *const kQtOptionsWithoutValue[] = {"reverse", "widgetcount", "testability",
                                              "nograb",  "dograb",      "sync"};

/// Qt's own options: accepted (and hidden from --help) so that "zuvi -style fusion" starts
/// the windows as before; the application object takes them out of its arguments.
void addQtOptions(QCommandLineParser &parser)
{
    for (const char *name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kQtOptionsWithoutValue) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

/// The help text's part on Qt's own options, for --help-all.
QString qtOptionsHelp()
{
    QString text = QCoreApplication::translate(
        "cmdline", "\nQt options, which start the windows as usual (see the Qt documentation):\n");
    for (const char *name : kQtOptionsWithValue)
        text += QStringLiteral("  -%1 <value>\n").arg(QLatin1String(name));
    for (const char *name : kQtOptionsWithoutValue)
        text += QStringLiteral("  -%1\n").arg(QLatin1String(name));
    return text;
}

std::unique_ptr<QCoreApplication> makeApplication(ActionNeeds needs, int &argc, char **argv)
{
    // Actions never show a window: without a platform named by the user they run on the
    // offscreen one, so that they work over ssh and in scripts with no display.
    if (needs != ActionNeeds::Core && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    switch (needs) {
    case ActionNeeds::Gui:
        return std::make_unique<QGuiApplication>(argc, argv);
    case ActionNeeds::Widgets:
        return std::make_unique<QApplication>(argc, argv);
    case ActionNeeds::Core:
        break;
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

/// Runs an action's handler; a database failure or any other exception is reported on
/// stderr and gives exit status 1.
int runAction(const CommandLineAction &action, const QCommandLineParser &parser)
{
    const QString name = QCoreApplication::applicationName();
    try {
        return action.run(parser);
    } catch (const Data::DbError &error) {
        printError(name + QStringLiteral(": ") +
                   Core::fatalText(error.code(), error.description()) + QLatin1Char('\n'));
    } catch (const std::bad_alloc &) {
        printError(name + QStringLiteral(": ") +
                   Core::fatalText(7, QStringLiteral("out of memory")) + QLatin1Char('\n'));
    } catch (const std::exception &error) {
        printError(name + QStringLiteral(": ") + QString::fromLocal8Bit(error.what()) +
                   QLatin1Char('\n'));
    }
    return 1;
}

} // namespace

std::optional<int> runCommandLine(int &argc, char **argv)
{
    if (argc <= 1)
        return std::nullopt;

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    // Long options with one dash as well ("-style"), as Qt's own options are written.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "cmdline", "Runs a card-game tournament: players, registration, pairings, results "
                   "and standings. Without options it opens the registration window."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const CommandLineAction &action : commandLineActions())
        parser.addOption(action.option);
    // Where the tournament is kept, for the windows and --export.
    const QCommandLineOption server(
        QStringList{QStringLiteral("server")},
        QCoreApplication::translate(
            "cmdline", "Work on the tournament shared on a PostgreSQL server, for this start "
                       "(the windows) or with --export, --import-players, --export-players and "
                       "--serve-page. The password is asked for, or taken "
                       "from PGPASSWORD, ~/.pgpass or a service file; it is never stored."),
        QStringLiteral("postgresql://user@host:port/database"));
    const QCommandLineOption station(
        QStringList{QStringLiteral("station")},
        QCoreApplication::translate("cmdline", "With --server: this station's name, as the "
                                               "recorded games show it (default: the computer's "
                                               "name)."),
        QStringLiteral("NAME"));
    const QCommandLineOption resultsOnly(
        QStringList{QStringLiteral("results-only")},
        QCoreApplication::translate("cmdline", "With --server: this station records, takes "
                                               "back and amends results only."));
    parser.addOptions({server, station, resultsOnly});
    // Where --serve-page serves.
    const QCommandLineOption port(
        QStringList{QStringLiteral("port")},
        QCoreApplication::translate("cmdline", "With --serve-page: the port."),
        QStringLiteral("N"));
    const QCommandLineOption bind(
        QStringList{QStringLiteral("bind")},
        QCoreApplication::translate("cmdline", "With --serve-page: the address to serve at."),
        QStringLiteral("ADDRESS"));
    parser.addOptions({port, bind});
    // What --export-players writes.
    const QCommandLineOption withPasswords(
        QStringList{QStringLiteral("with-passwords")},
        QCoreApplication::translate("cmdline", "With --export-players: write the players' "
                                               "passwords too (left out otherwise)."));
    parser.addOption(withPasswords);
    addQtOptions(parser);

    const bool understood = parser.parse(arguments);

    const CommandLineAction *chosen = nullptr;
    QStringList chosenNames;
    if (understood) {
        for (const CommandLineAction &action : commandLineActions()) {
            if (parser.isSet(action.option.names().constFirst())) {
                chosen = &action;
                chosenNames.append(QStringLiteral("--") + action.option.names().constFirst());
            }
        }
    }
    const bool wantsHelpAll = understood && parser.isSet(QStringLiteral("help-all"));
    const bool wantsHelp = understood && (parser.isSet(help) || wantsHelpAll);
    const bool wantsVersion = understood && parser.isSet(version);
    // The server's address is checked before anything starts, and chosen for the run.
    QString serverProblem;
    if (understood && !wantsHelp && !wantsVersion && parser.isSet(server)) {
        StoreChoice choice;
        choice.server = Data::ServerAddress::fromUrl(parser.value(server), &serverProblem);
        choice.station = parser.value(station);
        choice.resultsOnly = parser.isSet(resultsOnly);
        if (choice.server)
            setStoreChoice(std::move(choice));
    }
    const bool serverOptionAlone =
        understood && !parser.isSet(server) && (parser.isSet(station) || parser.isSet(resultsOnly));
    const bool pageOptionAlone =
        understood && (parser.isSet(port) || parser.isSet(bind)) &&
        !(chosen && chosen->option.names().constFirst() == QLatin1String("serve-page"));
    if (understood && !wantsHelp && !wantsVersion && !chosen &&
        parser.positionalArguments().isEmpty() && serverProblem.isEmpty() && !serverOptionAlone &&
        !pageOptionAlone)
        return std::nullopt; // only Qt's options and the server's: the windows start

    const std::unique_ptr<QCoreApplication> application = makeApplication(
        chosen && !wantsHelp && !wantsVersion ? chosen->needs : ActionNeeds::Core, argc, argv);
    if (!understood)
        return usageError(parser.errorText());
    if (wantsHelp) {
        printOut(parser.helpText() + (wantsHelpAll ? qtOptionsHelp() : QString()));
        return 0;
    }
    if (wantsVersion) {
        printOut(QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                               QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!serverProblem.isEmpty())
        return usageError(serverProblem);
    if (serverOptionAlone)
        return usageError(QCoreApplication::translate(
            "cmdline", "--station and --results-only go with --server."));
    if (pageOptionAlone)
        return usageError(QCoreApplication::translate("cmdline", "--port and --bind go with "
                                                                 "--serve-page."));
    if (chosenNames.size() > 1)
        return usageError(QCoreApplication::translate("cmdline", "Give only one of %1.")
                              .arg(chosenNames.join(QStringLiteral(", "))));
    if (!chosen)
        return usageError(QCoreApplication::translate("cmdline", "Unexpected argument '%1'.")
                              .arg(parser.positionalArguments().constFirst()));
    return runAction(*chosen, parser);
}

} // namespace Zuvi::App
