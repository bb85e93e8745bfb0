#pragma once

#include <QHash>

#include "history/archive.h"

namespace Zuvi::History {

/// A tournament of the past read from a tournament file (a Tourny.db of an earlier season,
/// or a copy kept at the end of a round), for the archive: its standings as stored, ranked
/// as the printed standings rank them, its games where the file kept them, the number of
/// rounds, and the date given. Each entrant is linked to the stored player of the same
/// display name where exactly one has it (stored: ArchiveAccess::storedPlayersByName()).
/// Throws DbError where the file cannot be read, Failure where it holds no standings.
ArchivedTournament readPastTournament(const QString &file, const QDate &played,
                                      const QHash<QString, qint64> &stored);

} // namespace Zuvi::History
