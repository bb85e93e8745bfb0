#pragma once

#include "players/playerimport.h"

#include <QString>

class QCommandLineParser;
class QTextStream;

namespace Zuvi::Players {

/// zuvi --import-players FILE: imports every player of an Access database or CSV file
/// that is not stored yet, without a window or a preview, and prints how many were
/// imported and how many skipped. Creates the installation folder and the databases when
/// they are missing. Returns the exit status: 0, or 1 after printing the cause on err with
/// nothing written.
int importPlayersCommand(const QString &file, QTextStream &out, QTextStream &err);

/// zuvi --export-players FILE.csv [--with-passwords]: writes every stored player to a CSV
/// file (mode 0600; the passwords only when asked) and prints how many. Returns the exit
/// status: 0, or 1 after printing the cause on err with no file written.
int exportPlayersCommand(const QString &file, Passwords passwords, QTextStream &out,
                         QTextStream &err);

/// The two commands as the command line runs them: the file is the option's value, the
/// report goes to stdout and stderr.
int importPlayersFromCommandLine(const QCommandLineParser &parser);
int exportPlayersFromCommandLine(const QCommandLineParser &parser);

} // namespace Zuvi::Players
