#pragma once

#include "players/playerfile.h"

#include <functional>

namespace Zuvi::Data {
class DbConnection;
class ServerLink;
} // namespace Zuvi::Data

namespace Zuvi::Players {

/// What an import will do, worked out before anything is written.
struct ImportPreview
{
    /// Players of the file that are not stored yet: they will be written.
    qsizetype newPlayers = 0;
    /// Players of the file already stored (same first name, last name and e-mail,
    /// compared exactly, NULL only matching NULL): they will be skipped.
    qsizetype alreadyStored = 0;
    /// Rows that are not stored yet but repeat an earlier row of the file (same first name,
    /// last name and e-mail, compared exactly once the blanks around them are dropped, NULL
    /// as empty): written only when the organiser chooses to.
    qsizetype repeats = 0;
    /// The first of the new players and repeated rows, in the order of the file, as they
    /// will be stored...
    QList<QVariantList> firstRows;
    /// ...and for each of them, whether it repeats an earlier row.
    QList<bool> firstRowRepeats;
};

/// Compares the players of a file with the stored ones; reads only.
ImportPreview previewImport(Data::DbConnection &players, const PlayerTable &table,
                            int firstRows = 20);
/// The same against the stored players of the shared server.
ImportPreview previewImport(Data::ServerLink &players, const PlayerTable &table,
                            int firstRows = 20);

/// What an import did.
struct ImportResult
{
    qsizetype imported = 0;
    /// Players skipped as already stored.
    qsizetype skipped = 0;
    /// Rows skipped as repeating an earlier row of the file.
    qsizetype repeatsSkipped = 0;
    /// Rows of the file without a name, left out when it was read.
    qsizetype nameless = 0;
    /// The import was cancelled: nothing was written.
    bool canceled = false;
};

/// Told how many of the new players are written so far; returning false cancels the
/// import.
using ImportProgress = std::function<bool(qsizetype done, qsizetype total)>;

/// Whether rows that repeat an earlier row of the file are written.
enum class Repeats { Skip, Import };

/// Writes every player of the file that is not stored yet, with its country, in one
/// transaction: all of them or, when progress cancels or a write fails, none. A row that
/// repeats an earlier row of the file is written only when asked for; the earlier row
/// always is. The comparison with the stored players is made again inside the transaction,
/// so that players stored since the preview are skipped too. Database failures throw
/// Data::DbError.
ImportResult runImport(Data::DbConnection &players, const PlayerTable &table,
                       const ImportProgress &progress = {}, Repeats repeats = Repeats::Skip);
/// The same on the shared server (in one of its transactions; failures throw
/// Data::ServerError). Two stations importing at once write one after the other, so that
/// a player of both files is stored once.
ImportResult runImport(Data::ServerLink &players, const PlayerTable &table,
                       const ImportProgress &progress = {}, Repeats repeats = Repeats::Skip);

/// Whether an export writes the players' passwords: left out unless the organiser asks.
enum class Passwords { LeftOut, Included };

/// Writes every stored player, every column and the player's country last, as CSV (RFC 4180, UTF-8,
/// CRLF line ends, the header row first): text in quotes, NULL as an empty unquoted field, so that
/// reading the file back gives the same values. The "Password" column stays in its place but
/// is empty (as NULL) unless passwords are included. The file is readable and writable by
/// its owner only (mode 0600) and is replaced only when all of it is written. Returns the
/// number of players. Throws FileError when the file cannot be written, Data::DbError for
/// the database.
qsizetype exportPlayersCsv(Data::DbConnection &players, const QString &file, Passwords passwords);
/// The same for the stored players of the shared server.
qsizetype exportPlayersCsv(Data::ServerLink &players, const QString &file, Passwords passwords);

/// "1 player" or "N players", as the import and export report counts.
QString playerCount(qsizetype count);

/// "1 row" or "N rows".
QString rowCount(qsizetype count);

/// What an import reports when it is done: "Imported 3 players; skipped 1 player already
/// stored.", with the rows that repeat an earlier row of the file and the rows without a
/// name that were skipped, where there were any.
QString importSummary(const ImportResult &result);

/// What an export reports when it is done: "Exported 3 players to FILE."
QString exportSummary(qsizetype count, const QString &file);

} // namespace Zuvi::Players
