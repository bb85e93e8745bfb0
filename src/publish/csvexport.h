#pragma once

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

} // namespace Zuvi::Publish
