#pragma once

#include <QString>

namespace Zuvi::Data {

/// The statement that creates the player table: the fifteen columns the windows use,
/// plus a row identity that the player editor uses to find the row it writes.
QString createPlayerTable();
/// The statement that creates the standings table.
QString createTournyTable();

/// Makes a fresh install usable: creates the installation folder (mode 0700) and each
/// missing database file with its table and no rows (mode 0600), as an installer would.
/// An existing file is never replaced, whatever it holds: if it is damaged, the first
/// operation on it reports the failure. Then upgrades Tourny.db and players.db. Throws
/// DbError when creation or an upgrade fails.
void ensureDatabases();

/// Adds the tables that hold the tournament's progress to Tourny.db where they are
/// missing (a file made before they existed), in one transaction; TournyInfo and its rows
/// are not touched. Throws DbError, leaving the file as it was.
void upgradeTournyDatabase();

/// Adds the table that keeps the players' countries to players.db where it is missing, in
/// one transaction; PlayerInfo and its rows are not touched. A file that cannot be read or
/// has no player table is left as it is. Throws DbError, leaving the file as it was.
void upgradePlayersDatabase();

} // namespace Zuvi::Data
