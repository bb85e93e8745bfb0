#pragma once

#include <QString>

namespace Zuvi::Data {

/// The folder that keeps copies of Tourny.db: "backups" in the installation folder.
QString backupFolder();

/// Copies Tourny.db, as committed, into the backups folder as Tourny-roundN.db through
/// SQLite's online backup, written beside its name first and moved into place when
/// complete. Only the copies of the ten highest rounds are kept. Throws DbError.
void backupTournyDatabase(int round);

} // namespace Zuvi::Data
