#pragma once

// Results reported from the tables on the players' page: the personal codes, the reports
// and what they come to. Pure functions over the open round's ReportBook.

#include "tournament/progresstypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <utility>

namespace Zuvi::Progress {

/// The letters of a personal code: no 0/O, 1/I/L, 2/Z, 5/S, 8/B, which a card's print or a
/// phone's keyboard could mix up.
inline constexpr char kCodeLetters[] = "ACDEFGHJKMNPQRTUVWXY34679";
/// Nine of the 25 letters: 25^9 codes, nearly 42 bits, too many to find by trying.
inline constexpr int kPersonalCodeLength = 9;

/// A personal code drawn from random (a value at least as large as the number of letters;
/// the application uses the system's random source).
QString newPersonalCode(const std::function<quint32()> &random);
/// A code as typed or read from a link, in the form codes are kept: letters in capitals,
/// spaces and hyphens (as the card groups it) left out. Empty where it cannot be a code.
QString normalizedCode(const QString &typed);
/// A code as a card prints it: in groups of three ("K7Q MA4 RTX").
QString groupedCode(const QString &code);
/// The entrant whose personal code code is (as typed: normalizedCode() applies), or empty.
QString ownerOfCode(const State &state, const QString &code);

/// The personal codes as stored (JSON, name to code), and read back: a damaged text, or an
/// entry that is not a code, reads as no code.
QString playerCodesText(const QMap<QString, QString> &codes);
QMap<QString, QString> playerCodesFromText(const QString &text);

/// The reports' state values as stored beside the tournament's other values: the two options
/// (0 or 1), the book (reportBookText()) and the personal codes (playerCodesText()), by key.
QList<std::pair<QString, QVariant>> reportStateValues(const State &state);
/// Every value of a tournament's state as the stores keep them, key by key: its counters,
/// options and clock, then its reports (reportStateValues()).
QList<std::pair<QString, QVariant>> stateValues(const State &state);

/// The book as it is stored (JSON), and read back; a damaged text reads as an empty book.
/// A book kept before personal codes (with a code per table) reads with its reports.
QString reportBookText(const ReportBook &book);
ReportBook reportBookFromText(const QString &text);

/// The book of state belongs to its open round's pairing.
bool bookIsCurrent(const State &state);

/// Where a table's reports stand.
enum class TableReports {
    None,     ///< nothing pending
    Reported, ///< one player reported
    Agreed,   ///< both players, each with their own code, reported the same result and powers
    Disputed, ///< both reported, differently
};
/// The pending result reports of a table (drop requests left out), oldest first.
QList<Report> pendingResults(const ReportBook &book, int table);
/// The same for every table that has any, in one pass.
QHash<int, QList<Report>> pendingResultsByTable(const ReportBook &book);
TableReports tableReports(const ReportBook &book, int table);
/// Where a table stands with these pending reports (as pendingResults() gives them).
TableReports tableReportsOf(const QList<Report> &pending);
/// The agreed report of a table, where both players' reports agree.
std::optional<Report> agreedReport(const ReportBook &book, int table);
/// A report in words for the organiser: "Lovelace, Ada: Full Win for Lovelace, Ada, 5 to 2".
QString reportText(const Report &report, const Seat &seat);

} // namespace Zuvi::Progress
