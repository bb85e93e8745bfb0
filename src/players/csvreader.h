#pragma once

#include "players/playerfile.h"

#include <QByteArray>

namespace Zuvi::Players {

/// Reads players from CSV text (UTF-8, with or without a byte-order mark; comma or
/// semicolon between fields, as the header row uses; RFC 4180 quoting). The header row
/// names the columns. An empty unquoted field is NULL and a quoted empty field ("") is
/// empty text, so that an export reads back exactly. file names the file in errors.
PlayerTable readCsv(const QString &file, const QByteArray &data);

} // namespace Zuvi::Players
