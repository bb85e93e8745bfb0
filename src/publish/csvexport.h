#pragma once

#include "history/archive.h"
#include "history/league.h"
#include "publish/documents.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

namespace Zuvi::Publish {

/// The rows of a document as a CSV file holds them, header row first: the pairings by
/// table, the pairings by name, the standings or the recorded games. Nothing for the match
/// slips, which only print.
std::optional<QList<QStringList>> csvRows(DocumentKind kind, const Snapshot &snapshot);

/// The rows as CSV text: UTF-8, every field quoted (a quote inside doubled), fields
/// separated by commas, each record ended by CR LF.
QByteArray csvText(const QList<QStringList> &rows);

/// Writes the document as a CSV file, replacing the file only once it is complete.
/// Returns the reason when there is no CSV of the document or the file cannot be written.
std::optional<QString> writeCsv(DocumentKind kind, const Snapshot &snapshot, const QString &path);

/// The club's history as CSV rows, header first: one row per tournament and player, the
/// newest tournament first, each in its final standings' order.
QList<QStringList> historyCsvRows(const QList<History::ArchivedTournament> &tournaments);

/// A league table as CSV rows, header first.
QList<QStringList> leagueCsvRows(const QList<History::LeagueRow> &rows);

/// Writes rows as a CSV file, replacing the file only once it is complete. Returns the
/// reason where the file cannot be written.
std::optional<QString> writeCsvRows(const QList<QStringList> &rows, const QString &path);

} // namespace Zuvi::Publish
