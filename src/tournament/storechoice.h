#pragma once

#include "data/serverlink.h"
#include "tournament/tournamentstore.h"

#include <memory>
#include <optional>

namespace Zuvi {

/// Where this run keeps the tournament: the files on this computer (the default), or a
/// shared server with this station's name and role.
struct StoreChoice
{
    std::optional<Data::ServerAddress> server;
    /// The station's name ("Desk 2"); empty: the computer's name.
    QString station;
    /// A results-only station records, takes back and amends games; it does not register,
    /// pair or end a round.
    bool resultsOnly = false;

    /// The station's name as other stations see it.
    QString stationName() const;
};

/// The choice for this process: the command line or the windows set it before the store
/// is opened.
void setStoreChoice(StoreChoice choice);
const StoreChoice &storeChoice();

/// Opens the store of the current choice: the files, or the server (connecting, and
/// creating the tables an empty database lacks). Throws ServerError where the server
/// cannot be reached.
std::unique_ptr<TournamentStore> openChosenStore();

/// The choice remembered from the last "Connect to a shared tournament…", without the
/// password (which is never written); the files where nothing is remembered.
StoreChoice rememberedStoreChoice();
/// Remembers choice for the next start, without its password; the files' choice forgets
/// the server.
void rememberStoreChoice(const StoreChoice &choice);

} // namespace Zuvi
