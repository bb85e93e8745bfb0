#pragma once

#include <QString>

/// Every SQL text the windows issue. Values always reach SQLite as bound parameters.
namespace Zuvi::Data::Sql {

/// The stored players, in the order the database returns them.
inline QString selectPlayers()
{
    return QStringLiteral("Select [first name], [last name] from playerinfo");
}

/// The stored players as selectPlayers() lists them, each with its id.
inline QString selectPlayersWithIds()
{
    return QStringLiteral("Select [first name], [last name], rowid from playerinfo");
}

/// The stored players of a shared server, each with its id, in the order of the ids.
inline QString selectServerPlayersWithIds()
{
    return QStringLiteral("Select [first name], [last name], ID from playerinfo order by ID");
}

/// One stored player's city; binds the player's id.
inline QString selectPlayerCity()
{
    return QStringLiteral("Select City from playerinfo where rowid = ?");
}

/// Empties the standings before a tournament starts.
inline QString deleteStandings()
{
    return QStringLiteral("DELETE FROM TournyInfo");
}

/// One entrant with score and power 0; binds name and house.
inline QString insertEntrant()
{
    return QStringLiteral(
        "INSERT INTO TournyInfo([Name], [House], [Score], [Power]) VALUES (?, ?, '0', '0')");
}

/// The standings: score descending, then power descending, then name ascending.
inline QString selectStandings()
{
    return QStringLiteral("Select [name], [house], [score], [power] from TournyInfo "
                          "Order by [score] DESC, [power] DESC, [name]");
}

/// Adds a game's points and power to one entrant's row; binds points, power and name.
inline QString recordGame()
{
    return QStringLiteral(
        "UPDATE TournyInfo SET score = (score + ?), power = (power + ?) WHERE name = ? ");
}

} // namespace Zuvi::Data::Sql
