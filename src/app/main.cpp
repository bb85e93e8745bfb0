#include "app/cmdline.h"
#include "core/errorpath.h"
#include "app/identity.h"
#include "data/schema.h"
#include "registration/throne.h"
#include "tournament/sqlitetournamentstore.h"
#include "tournament/tournamentprogress.h"

#include <QApplication>

#include <csignal>
#include <memory>
#include <optional>

int main(int argc, char *argv[])
{
    // A file-size limit reached while writing must be a reported database error, not a
    // sudden death of the process.
    std::signal(SIGXFSZ, SIG_IGN);

    Zuvi::App::setApplicationIdentity();
    // --help, --version and the actions that work without a window end here.
    if (const std::optional<int> status = Zuvi::App::runCommandLine(argc, argv))
        return *status;

    QApplication app(argc, argv);
    // No application display name: Qt would append it to every window title.
    QApplication::setWindowIcon(Zuvi::App::applicationIcon());

    // The store, the tournament model over it, then the windows that show the model. The
    // registration window takes the model over (it goes with the window); the store
    // outlives both.
    Zuvi::SqliteTournamentStore store;
    std::unique_ptr<Zuvi::Throne> throne;
    Zuvi::Core::runGuarded([&] {
        Zuvi::Data::ensureDatabases();
        throne = std::make_unique<Zuvi::Throne>(new Zuvi::TournamentProgress(&store));
    });
    if (Zuvi::Core::isEnding() || !throne)
        return 1;
    throne->show();
    const int status = QApplication::exec();
    return Zuvi::Core::isEnding() ? 1 : status;
}
