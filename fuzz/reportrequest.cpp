// What a phone posts as a report from its table, and what the tournament file keeps of the
// reports, under any bytes: reading never crashes, and what it accepts holds together. A
// report read is within its limits (no table, or one from 1 to 99999, a code, no field longer
// than allowed) and reads back the same once written as the page writes it, where that fits
// the limit. A book of reports read from any text counts refused reports at tables from 1 on,
// and written and read again it is the same book; personal codes read from any text are codes.

#include "check.h"

#include "page/reportrequest.h"
#include "tournament/tablereports.h"

#include <QUrl>

#include <cstdint>

using namespace Zuvi;

namespace {

QByteArray formOf(const Progress::ReportRequest &r)
{
    // Each value percent-encoded whole, as a browser's form encoding does ("%" too).
    QByteArray form;
    const auto add = [&form](const char *name, const QString &value) {
        if (!form.isEmpty())
            form += '&';
        form += QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
    };
    if (r.table != 0)
        add("table", QString::number(r.table));
    add("code", r.code);
    if (r.drop) {
        add("drop", QStringLiteral("1"));
    } else {
        add("result", r.result1);
        add("power1", r.power1);
        add("power2", r.power2);
    }
    return form;
}

bool same(const Progress::ReportRequest &a, const Progress::ReportRequest &b)
{
    return a.table == b.table && a.code == b.code && a.drop == b.drop && a.result1 == b.result1 &&
           a.power1 == b.power1 && a.power2 == b.power2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(bytes), qsizetype(size));
    QString problem;
    if (const std::optional<Progress::ReportRequest> r = parseReportRequest(body, &problem)) {
        ZUVI_CHECK(problem.isEmpty());
        ZUVI_CHECK(body.size() <= kMaxReportBytes);
        ZUVI_CHECK(r->table == 0 || (r->table >= 1 && r->table <= 99999));
        ZUVI_CHECK(!r->code.isEmpty() && r->code.size() <= kMaxReportField);
        ZUVI_CHECK(r->drop || !r->result1.isEmpty());
        ZUVI_CHECK(r->result1.size() <= kMaxReportField && r->power1.size() <= kMaxReportField &&
                   r->power2.size() <= kMaxReportField);
        // Written as the page writes it (which may take more bytes than the input did).
        const QByteArray form = formOf(*r);
        if (form.size() <= kMaxReportBytes) {
            const std::optional<Progress::ReportRequest> again = parseReportRequest(form);
            ZUVI_CHECK(again && same(*again, *r));
        }
    } else {
        ZUVI_CHECK(!problem.isEmpty());
    }

    const Progress::ReportBook book =
        Progress::reportBookFromText(QString::fromUtf8(body.constData(), body.size()));
    for (auto it = book.refused.cbegin(); it != book.refused.cend(); ++it)
        ZUVI_CHECK(it.key() >= 1 && it.value() > 0);
    const Progress::ReportBook again = Progress::reportBookFromText(Progress::reportBookText(book));
    ZUVI_CHECK(again.round == book.round && again.pairing == book.pairing);
    ZUVI_CHECK(again.refused == book.refused);
    ZUVI_CHECK(again.reports.size() == book.reports.size());
    for (int table = -1; table < 4; ++table)
        (void)Progress::tableReports(book, table);
    const QMap<QString, QString> codes =
        Progress::playerCodesFromText(QString::fromUtf8(body.constData(), body.size()));
    for (const QString &code : codes)
        ZUVI_CHECK(Progress::normalizedCode(code) == code && !code.isEmpty());
    return 0;
}
