#pragma once

#include "tournament/progresstypes.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Zuvi {

/// The most a report's body may hold; a field's longest text.
inline constexpr qsizetype kMaxReportBytes = 2048;
inline constexpr qsizetype kMaxReportField = 64;

/// Reads a report as the page posts it (application/x-www-form-urlencoded: table, code,
/// player 1 or 2, and either result, power1 and power2, or drop=1). Nothing, with the
/// reason in problem, for a body that is not one: too long, a field unknown, given twice
/// or too long, text that is not UTF-8, a table or player that is not a number in range.
/// Whether the result and powers are ones the desk takes is the model's to say.
std::optional<Progress::ReportRequest> parseReportRequest(const QByteArray &body,
                                                          QString *problem = nullptr);

} // namespace Zuvi
