#pragma once

#include "history/archive.h"
#include "history/league.h"
#include "publish/documents.h"
#include "publish/snapshot.h"

#include <QList>
#include <QString>

#include <optional>

namespace Zuvi::Publish {

/// An archived tournament as the documents show a finished one: its final standings and
/// its games (in round and table order), the titles beginning with its name.
Snapshot archivedSnapshot(const History::ArchivedTournament &tournament);

/// How a league counts, in words: "Placement points 10, 8, 6, 5; best 4 events".
QString schemeText(const History::LeagueScheme &scheme);

/// A league table as a document: "Winter 2027: league table" (or "League table" without a
/// name), the number of tournaments and the scheme under it, one row per player.
TableDocument leagueDocument(const QString &name, const History::LeagueScheme &scheme,
                             int tournaments, const QList<History::LeagueRow> &rows);

/// Writes a league table to path as PDF or CSV by the path's extension (letter case
/// aside). Returns the reason when the extension is neither or the file cannot be written;
/// the file is then left as it was.
std::optional<QString> exportLeague(const TableDocument &document,
                                    const QList<History::LeagueRow> &rows, const QString &path);

} // namespace Zuvi::Publish
