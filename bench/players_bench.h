#pragma once

#include <QString>

/// Times the import of players: 100,000 from a CSV file through the real reader and
/// import, against inserting the same rows directly through SQLite, and the old Access
/// fixture through the real reader and import. Works in an install of its own under
/// dataFolder, prints its rows and returns whether the CSV import met its targets (within
/// 2 s and within 3x its floor).
bool benchPlayerFiles(const QString &dataFolder);
