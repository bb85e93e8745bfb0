#pragma once

#include <QString>

namespace Zuvi::Data {

/// The database names callers pass to a connection.
inline QString playersDatabase()
{
    return QStringLiteral("players");
}
inline QString tournyDatabase()
{
    return QStringLiteral("Tourny");
}

/// The installation folder: "zuvi" under the user's data folder ($XDG_DATA_HOME/zuvi,
/// by default ~/.local/share/zuvi). Read afresh on every call, so tests can point it
/// at a temporary folder through XDG_DATA_HOME.
QString installFolder();

/// The file of a database: its name followed by ".db" in the installation folder.
QString databaseFile(const QString &databaseName);

} // namespace Zuvi::Data
