#pragma once

// Where this run keeps the stored players: on a shared tournament the server's PlayerInfo,
// which every station registers from, else players.db on this computer.

#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/serverlink.h"
#include "data/serverschema.h"
#include "tournament/storechoice.h"

namespace Zuvi::Players {

/// Runs work on the stored players' connection: a Data::ServerLink to the shared server
/// of this station's choice, or a Data::DbConnection to players.db.
template <typename Work> auto onStoredPlayers(Work &&work)
{
    if (const std::optional<Data::ServerAddress> &server = storeChoice().server) {
        Data::ServerLink link(*server, storeChoice().stationName());
        // A station that is the first on an empty database makes the tables.
        Data::ensureServerTables(link);
        return work(link);
    }
    Data::DbConnection connection(Data::playersDatabase());
    return work(connection);
}

} // namespace Zuvi::Players
