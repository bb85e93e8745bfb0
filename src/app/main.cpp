#include "app/cmdline.h"
#include "core/errorpath.h"
#include "app/identity.h"
#include "data/schema.h"
#include "registration/stationdialog.h"
#include "registration/throne.h"
#include "tournament/storechoice.h"
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

    // Where the tournament is kept: the server named on the command line, else the one
    // chosen last time (its password asked for again), else the files on this computer.
    if (!Zuvi::storeChoice().server)
        Zuvi::setStoreChoice(Zuvi::rememberedStoreChoice());

    // The store, the tournament model over it, then the windows that show the model. The
    // registration window takes the model over (it goes with the window); the store
    // outlives both. A new choice of store ("Connect to a shared tournament…") closes the
    // windows and opens them again over the new store.
    for (;;) {
        std::unique_ptr<Zuvi::TournamentStore> store;
        std::unique_ptr<Zuvi::Throne> throne;
        Zuvi::Core::runGuarded([&] {
            Zuvi::Data::ensureDatabases();
            store = Zuvi::openStoreForStation(nullptr);
            if (store)
                throne = std::make_unique<Zuvi::Throne>(new Zuvi::TournamentProgress(store.get()));
        });
        if (Zuvi::Core::isEnding() || !throne)
            return 1;
        bool chosenAgain = false;
        QObject::connect(throne.get(), &Zuvi::Throne::storeChosen, throne.get(), [&chosenAgain] {
            chosenAgain = true;
            QCoreApplication::exit(0);
        });
        throne->show();
        const int status = QApplication::exec();
        if (Zuvi::Core::isEnding())
            return 1;
        if (!chosenAgain)
            return status;
    }
}
