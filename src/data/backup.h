#pragma once

#include <QString>

namespace Zuvi::Data {

/// The folder that keeps copies of Tourny.db: "backups" in the installation folder.
QString backupFolder();

/// The folder of one tournament's copies: a folder of the backups folder named by the
/// local date and time of its first start ("2026-12-11_19-30-05"), so that each tournament
/// keeps its own. A tournament stored without its start (startedAtMs 0) keeps its copies
/// in the backups folder itself, as before.
QString tournamentBackupFolder(qint64 startedAtMs);

/// Copies Tourny.db, as committed, into the tournament's backup folder as Tourny-roundN.db
/// through SQLite's online backup, written beside its name first and moved into place when
/// complete. Only the copies of the tournament's ten highest rounds are kept; other
/// tournaments' copies are never touched. Throws DbError.
void backupTournyDatabase(qint64 startedAtMs, int round);

} // namespace Zuvi::Data
