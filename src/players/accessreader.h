#pragma once

#include "players/playerfile.h"

#include <QByteArrayView>

#include <optional>

namespace Zuvi::Players {

/// How many bytes at the start of a file tell an Access database.
qsizetype accessSignatureSize();
/// True when a file starts as an Access database (Jet 3, Jet 4 or its later form).
bool isAccessSignature(QByteArrayView start);

/// Reads the table PlayerInfo of an Access database, matching its columns to ours by name.
/// Text arrives as Unicode, yes/no as 0 or 1, NULL as NULL and a date as accessDateText()
/// gives it. The file is read in a child process, so that a damaged file that trips the
/// reading library ends only that process and is reported here as damaged.
PlayerTable readAccess(const QString &file);

/// An Access date (days since 1899-12-30, the fraction the time of day) as text:
/// YYYY-MM-DD, followed by " HH:MM:SS" only when the time is not midnight. Empty when the
/// value lies outside the years 100 to 9999 that Access allows.
std::optional<QString> accessDateText(double days);

} // namespace Zuvi::Players
