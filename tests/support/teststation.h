#pragma once

// One station of a shared tournament inside a test: its own kept connection to the test
// server, its store and its model, as a station process has them.

#include "data/serverlink.h"
#include "tournament/servertournamentstore.h"
#include "tournament/tournamentprogress.h"

namespace Zuvi::Test {

struct Station
{
    Station(const Data::ServerAddress &address, const QString &name)
        : link(address, name), store(link), model(&store)
    {
        model.setRandomSource([] { return 0.0; });
    }
    /// Takes over what the server holds, as a start-up does.
    void join()
    {
        if (model.loadStored())
            model.resume();
    }

    Data::ServerLink link;
    ServerTournamentStore store;
    TournamentProgress model;
};

} // namespace Zuvi::Test
