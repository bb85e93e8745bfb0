#include "page/servecommand.h"

#include "core/errorpath.h"
#include "data/schema.h"
#include "page/pageserver.h"
#include "tournament/tournamentprogress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <csignal>

namespace Zuvi::Page {

namespace {

std::atomic<bool> s_stop{false};

extern "C" void stopServing(int)
{
    s_stop = true;
}

} // namespace

int serveFromCommandLine(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool portOk = true;
    const int port = parser.isSet(QStringLiteral("port"))
                         ? parser.value(QStringLiteral("port")).toInt(&portOk)
                         : 8080;
    if (!portOk || port < 1 || port > 65535) {
        err << QStringLiteral("zuvi: --port takes a number from 1 to 65535.") << Qt::endl;
        return 2;
    }
    const QString bindText = parser.isSet(QStringLiteral("bind"))
                                 ? parser.value(QStringLiteral("bind"))
                                 : QStringLiteral("127.0.0.1");
    const QHostAddress address(bindText);
    if (address.isNull()) {
        err << QStringLiteral("zuvi: --bind takes an address of this computer, such as "
                              "127.0.0.1 or 192.168.1.20, not '%1'.")
                   .arg(bindText.left(100))
            << Qt::endl;
        return 2;
    }
    try {
        Data::ensureDatabases();
        // What is stored, as it stands (a finished tournament's standings among it).
        TournamentProgress progress;
        progress.loadStored();
        progress.resume();
        PageServer server(&progress);
        // The organiser's window takes the reports: a page served apart from it would keep
        // them where the window never looks.
        server.setAcceptReports(false);
        QString problem;
        if (!server.start(address, quint16(port), &problem)) {
            err << QStringLiteral("zuvi: The page cannot be served at %1, port %2: %3")
                       .arg(address.toString())
                       .arg(port)
                       .arg(problem)
                << Qt::endl;
            return 1;
        }
        out << QStringLiteral("Serving the players' page at %1 (stop with Ctrl+C).")
                   .arg(server.pageAddress())
            << Qt::endl;
        std::signal(SIGINT, stopServing);
        std::signal(SIGTERM, stopServing);
        QTimer stopCheck;
        QObject::connect(&stopCheck, &QTimer::timeout, [] {
            if (s_stop)
                QCoreApplication::quit();
        });
        stopCheck.start(100);
        // The files are read again every two seconds: another Zuvi may be changing them.
        QTimer reread;
        QObject::connect(&reread, &QTimer::timeout,
                         [&progress] { Core::runGuarded([&progress] { progress.reload(); }); });
        if (!progress.isShared())
            reread.start(2000);
        QCoreApplication::exec();
        out << QStringLiteral("Stopped serving the players' page.") << Qt::endl;
        return 0;
    } catch (const std::exception &error) {
        err << QStringLiteral("zuvi: The page cannot be served: %1").arg(Core::failureText(error))
            << Qt::endl;
        return 1;
    }
}

} // namespace Zuvi::Page
