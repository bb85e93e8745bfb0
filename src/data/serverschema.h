#pragma once

namespace Zuvi::Data {

class ServerLink;

/// Creates the tables of the stored players and the tournament in the server's database
/// where they are missing, in one transaction, so that the first station to connect to an
/// empty database prepares it for every other. Two stations that connect at once do not
/// both create: the second waits for the first and finds the tables.
void ensureServerTables(ServerLink &link);

} // namespace Zuvi::Data
