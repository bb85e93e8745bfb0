// What a phone posts as a report from its table, and what the tournament file keeps of the
// reports, under any bytes: reading never crashes, and what it accepts holds together. A
// report read is within its limits (a table from 1 to 99999, the first or second player, a
// code, no field longer than allowed) and reads back the same once written as the page
// writes it, where that fits the limit. A book of reports read from any text has a wrong-code count
// for every code, and written and read again it is the same book.

#include "check.h"

#include "page/reportrequest.h"
#include "tournament/tablereports.h"

#include <QUrlQuery>

#include <cstdint>

using namespace Zuvi;

namespace {

QByteArray formOf(const Progress::ReportRequest &r)
{
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("table"), QString::number(r.table));
    form.addQueryItem(QStringLiteral("code"), r.code);
    form.addQueryItem(QStringLiteral("player"), QString::number(r.reporter));
    if (r.drop) {
        form.addQueryItem(QStringLiteral("drop"), QStringLiteral("1"));
    } else {
        form.addQueryItem(QStringLiteral("result"), r.result1);
        form.addQueryItem(QStringLiteral("power1"), r.power1);
        form.addQueryItem(QStringLiteral("power2"), r.power2);
    }
    return form.query(QUrl::FullyEncoded).toUtf8().replace("+", "%2B");
}

bool same(const Progress::ReportRequest &a, const Progress::ReportRequest &b)
{
    return a.table == b.table && a.code == b.code && a.reporter == b.reporter && a.drop == b.drop &&
           a.result1 == b.result1 && a.power1 == b.power1 && a.power2 == b.power2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(bytes), qsizetype(size));
    QString problem;
    if (const std::optional<Progress::ReportRequest> r = parseReportRequest(body, &problem)) {
        ZUVI_CHECK(problem.isEmpty());
        ZUVI_CHECK(body.size() <= kMaxReportBytes);
        ZUVI_CHECK(r->table >= 1 && r->table <= 99999);
        ZUVI_CHECK(r->reporter == 1 || r->reporter == 2);
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
    ZUVI_CHECK(book.codes.size() == book.wrong.size());
    const Progress::ReportBook again = Progress::reportBookFromText(Progress::reportBookText(book));
    ZUVI_CHECK(again.round == book.round && again.pairing == book.pairing);
    ZUVI_CHECK(again.codes == book.codes && again.wrong == book.wrong);
    ZUVI_CHECK(again.reports.size() == book.reports.size());
    for (int table = -1; table < 4; ++table)
        (void)Progress::tableReports(book, table);
    return 0;
}
