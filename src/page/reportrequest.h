#pragma once

#include "tournament/progresstypes.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Zuvi {

/// The most a report's body may hold; a field's longest text.
inline constexpr qsizetype kMaxReportBytes = 2048;
inline constexpr qsizetype kMaxReportField = 64;

/// Reads a report as the page posts it (application/x-www-form-urlencoded: the personal
/// code, the table meant where the page knows it, and either result, power1 and power2, or
/// drop=1; a "player" field of an older page is read and ignored). Nothing, with the reason
/// in problem, for a body that is not one: too long, a field unknown, given twice or too
/// long, text that is not UTF-8, a table that is not a number in range, no code.
/// Whether the code, the result and the powers are ones the desk takes is the model's to say.
std::optional<Progress::ReportRequest> parseReportRequest(const QByteArray &body,
                                                          QString *problem = nullptr);
/// Reads the form with which a private link's page asks whose it is: code only.
std::optional<QString> parseCodeForm(const QByteArray &body, QString *problem = nullptr);

} // namespace Zuvi
