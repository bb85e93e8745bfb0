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
/// An existing file is never touched, whatever it holds: if it is damaged, the first
/// operation on it reports the failure. Throws DbError when creation fails.
void ensureDatabases();

} // namespace Zuvi::Data
