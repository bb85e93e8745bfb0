#pragma once

#include <QString>

/// Times the club's history in an install of its own under dataFolder: the last "End
/// Round" of a 5,000-entrant tournament with its archive (target: the archive adds at most
/// 200 ms), "History…" opened over 1,000 archived tournaments (within 100 ms), a league
/// table over 52 weekly tournaments of 64 players (within 50 ms) and a player's record over
/// 500 tournaments (within 50 ms). Prints its rows; returns whether the targets were met.
bool benchHistory(const QString &dataFolder);
