#pragma once

#include <QString>

/// Times what the room is given at 5,000 entrants: the pairings by name written as PDF
/// (target: within 2 s), and what the big screen adds to a "Game Over" while it shows the
/// pairing (target: at most 5 ms). Works in an install of its own under dataFolder, prints
/// its rows and returns whether both targets were met.
bool benchPublish(const QString &dataFolder);
