#pragma once

#include "publish/documents.h"

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;
class QTextStream;

namespace Zuvi::Publish {

/// The document a command-line name stands for: "pairings" (by table), "pairings-by-name",
/// "slips", "standings" or "games"; nothing for any other name.
std::optional<DocumentKind> documentFromName(const QString &name);

/// The names documentFromName() takes, in the order --help lists them.
QStringList documentNames();

/// zuvi --export DOCUMENT FILE: writes the stored tournament's document as PDF or CSV by the
/// file's extension. Exit status 0 when written; 1 when there is nothing to export or the
/// file or the database cannot be used; 2 when the command line is wrong. Messages go to err.
int exportCommand(const QString &document, const QStringList &files, QTextStream &out,
                  QTextStream &err);

/// The handler registered for --export.
int exportFromCommandLine(const QCommandLineParser &parser);

} // namespace Zuvi::Publish
