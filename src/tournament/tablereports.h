#pragma once

// Results reported from the tables on the players' page: each table's code, the reports
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

/// The letters of a table's code: no 0/O, 1/I/L, 2/Z, 5/S, 8/B, which a slip's print or a
/// phone's keyboard could mix up.
inline constexpr char kCodeLetters[] = "ACDEFGHJKMNPQRTUVWXY34679";
inline constexpr int kCodeLength = 5;
/// Wrong codes after which a table takes no more reports in the round.
inline constexpr int kWrongCodesAllowed = 5;

/// A code for each of tables tables, drawn from random (a value at least as large as the
/// number of letters).
QStringList newTableCodes(int tables, const std::function<quint32()> &random);

/// The reports' state values as stored beside the tournament's other values: the two options
/// (0 or 1) and the book (reportBookText()), by key.
QList<std::pair<QString, QVariant>> reportStateValues(const State &state);
/// Every value of a tournament's state as the stores keep them, key by key: its counters,
/// options and clock, then its reports (reportStateValues()).
QList<std::pair<QString, QVariant>> stateValues(const State &state);

/// The book as it is stored (JSON), and read back; a damaged text reads as an empty book.
QString reportBookText(const ReportBook &book);
ReportBook reportBookFromText(const QString &text);

/// The book of state belongs to its open round's pairing.
bool bookIsCurrent(const State &state);
/// The code of a table (1-based) of the open round where reports are taken; else empty.
QString tableCodeOf(const State &state, int table);

/// Where a table's reports stand.
enum class TableReports {
    None,     ///< nothing pending
    Reported, ///< one player reported
    Agreed,   ///< both players reported the same result and powers
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
