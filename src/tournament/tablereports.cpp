#include "tournament/tablereports.h"

#include "round/scoring.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstring>

namespace Zuvi::Progress {

QString newPersonalCode(const std::function<quint32()> &random)
{
    constexpr int letters = int(sizeof(kCodeLetters)) - 1;
    QString code;
    for (int i = 0; i < kPersonalCodeLength; ++i)
        code.append(QLatin1Char(kCodeLetters[random() % letters]));
    return code;
}

QString normalizedCode(const QString &typed)
{
    QString code;
    for (const QChar c : typed) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('-'))
            continue;
        const QChar upper = c.toUpper();
        if (upper.unicode() == 0 || upper.unicode() > 127 ||
            !std::strchr(kCodeLetters, char(upper.unicode())))
            return QString();
        code.append(upper);
    }
    return code.size() == kPersonalCodeLength ? code : QString();
}

QString groupedCode(const QString &code)
{
    QStringList groups;
    for (qsizetype i = 0; i < code.size(); i += 3)
        groups.append(code.mid(i, 3));
    return groups.join(QLatin1Char(' '));
}

QString ownerOfCode(const State &state, const QString &code)
{
    const QString wanted = normalizedCode(code);
    if (wanted.isEmpty())
        return QString();
    for (auto it = state.playerCodes.cbegin(); it != state.playerCodes.cend(); ++it) {
        if (it.value() == wanted)
            return it.key();
    }
    return QString();
}

QString playerCodesText(const QMap<QString, QString> &codes)
{
    QJsonObject object;
    for (auto it = codes.cbegin(); it != codes.cend(); ++it)
        object.insert(it.key(), it.value());
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QMap<QString, QString> playerCodesFromText(const QString &text)
{
    QMap<QString, QString> codes;
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QString code = normalizedCode(it.value().toString());
        if (!code.isEmpty() && code == it.value().toString())
            codes.insert(it.key(), code);
    }
    return codes;
}

bool bookIsCurrent(const State &state)
{
    const ReportBook &book = state.reports;
    return state.roundOpen && book.round == state.roundcounter &&
           book.pairing == state.pairingNumber;
}

QList<std::pair<QString, QVariant>> reportStateValues(const State &state)
{
    return {{QStringLiteral("takeReports"), int(state.takeReports)},
            {QStringLiteral("confirmReports"), int(state.confirmReports)},
            {QStringLiteral("reports"), reportBookText(state.reports)},
            {QStringLiteral("playerCodes"), playerCodesText(state.playerCodes)}};
}

QList<std::pair<QString, QVariant>> stateValues(const State &state)
{
    QList<std::pair<QString, QVariant>> values{
        {QStringLiteral("rounds"), state.roundsText},
        {QStringLiteral("roundcounter"), int(state.roundcounter)},
        {QStringLiteral("randomFirst"), int(state.randomFirst)},
        {QStringLiteral("started"), int(state.started)},
        {QStringLiteral("startedAt"), state.startedAtMs},
        {QStringLiteral("roundOpen"), int(state.roundOpen)},
        {QStringLiteral("pairing"), state.pairingNumber},
        {QStringLiteral("clockRunning"), int(state.clockRunning)},
        {QStringLiteral("clockEnd"), state.clockEndMs},
        {QStringLiteral("clockLeft"), state.clockLeftSeconds},
        {QStringLiteral("avoidRematches"), int(state.avoidRematches)},
        {QStringLiteral("bigScreenOpen"), int(state.bigScreenOpen)},
        {QStringLiteral("reviewPairings"), int(state.reviewPairings)},
        {QStringLiteral("publishedRound"), state.publishedRound},
        {QStringLiteral("publishedPairing"), state.publishedPairing},
    };
    values += reportStateValues(state);
    return values;
}

QString reportBookText(const ReportBook &book)
{
    QJsonArray refused;
    for (auto it = book.refused.cbegin(); it != book.refused.cend(); ++it)
        refused.append(QJsonArray{it.key(), it.value()});
    QJsonArray reports;
    for (const Report &r : book.reports)
        reports.append(QJsonObject{{QStringLiteral("table"), r.table},
                                   {QStringLiteral("reporter"), r.reporter},
                                   {QStringLiteral("drop"), r.drop},
                                   {QStringLiteral("result1"), r.result1},
                                   {QStringLiteral("power1"), r.power1},
                                   {QStringLiteral("power2"), r.power2},
                                   {QStringLiteral("at"), double(r.at)},
                                   {QStringLiteral("fate"), int(r.fate)}});
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("round"), book.round},
                                                       {QStringLiteral("pairing"), book.pairing},
                                                       {QStringLiteral("refused"), refused},
                                                       {QStringLiteral("reports"), reports}})
                                 .toJson(QJsonDocument::Compact));
}

ReportBook reportBookFromText(const QString &text)
{
    ReportBook book;
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    book.round = object.value(QStringLiteral("round")).toInt();
    book.pairing = object.value(QStringLiteral("pairing")).toInt();
    // A book kept before personal codes has "codes" (each table's code and its wrong codes)
    // instead: they no longer let a report in, and its reports read as they are.
    const QJsonArray refused = object.value(QStringLiteral("refused")).toArray();
    for (const QJsonValue &entry : refused) {
        const int table = entry.toArray().at(0).toInt();
        const int count = entry.toArray().at(1).toInt();
        if (table >= 1 && count > 0)
            book.refused.insert(table, count);
    }
    const QJsonArray reports = object.value(QStringLiteral("reports")).toArray();
    for (const QJsonValue &value : reports) {
        const QJsonObject o = value.toObject();
        Report r;
        r.table = o.value(QStringLiteral("table")).toInt();
        r.reporter = o.value(QStringLiteral("reporter")).toInt();
        r.drop = o.value(QStringLiteral("drop")).toBool();
        r.result1 = o.value(QStringLiteral("result1")).toString();
        r.power1 = o.value(QStringLiteral("power1")).toDouble();
        r.power2 = o.value(QStringLiteral("power2")).toDouble();
        // A damaged file's time is no time; its powers out of range make it no report.
        const double at = o.value(QStringLiteral("at")).toDouble();
        r.at = std::isfinite(at) && std::fabs(at) < 9e18 ? qint64(at) : 0;
        const int fate = o.value(QStringLiteral("fate")).toInt();
        r.fate = fate >= 0 && fate <= int(Report::Fate::Replaced) ? Report::Fate(fate)
                                                                  : Report::Fate::Rejected;
        const auto fits = [](double power) {
            return std::isfinite(power) && power >= 0 && power <= 1e15;
        };
        if (!fits(r.power1) || !fits(r.power2) || (r.reporter != 1 && r.reporter != 2)) {
            r.power1 = fits(r.power1) ? r.power1 : 0;
            r.power2 = fits(r.power2) ? r.power2 : 0;
            r.fate = Report::Fate::Rejected;
        }
        book.reports.append(r);
    }
    return book;
}

QList<Report> pendingResults(const ReportBook &book, int table)
{
    QList<Report> pending;
    for (const Report &r : book.reports) {
        if (r.table == table && !r.drop && r.fate == Report::Fate::Pending)
            pending.append(r);
    }
    return pending;
}

QHash<int, QList<Report>> pendingResultsByTable(const ReportBook &book)
{
    QHash<int, QList<Report>> pending;
    for (const Report &r : book.reports) {
        if (!r.drop && r.fate == Report::Fate::Pending)
            pending[r.table].append(r);
    }
    return pending;
}

TableReports tableReports(const ReportBook &book, int table)
{
    return tableReportsOf(pendingResults(book, table));
}

TableReports tableReportsOf(const QList<Report> &pending)
{
    if (pending.isEmpty())
        return TableReports::None;
    // Each player has one pending report at most (a later one replaces the earlier); the
    // latest of each counts. Only a report from each of the two players can agree.
    const Report *first = nullptr;
    const Report *second = nullptr;
    for (const Report &r : pending)
        (r.reporter == 1 ? first : second) = &r;
    if (!first || !second)
        return TableReports::Reported;
    return first->result1 == second->result1 && first->power1 == second->power1 &&
                   first->power2 == second->power2
               ? TableReports::Agreed
               : TableReports::Disputed;
}

std::optional<Report> agreedReport(const ReportBook &book, int table)
{
    if (tableReports(book, table) != TableReports::Agreed)
        return std::nullopt;
    return pendingResults(book, table).last();
}

QString reportText(const Report &report, const Seat &seat)
{
    const QString &reporter = report.reporter == 1 ? seat.player1 : seat.player2;
    if (report.drop)
        return QStringLiteral("%1 asks to drop").arg(reporter);
    return QStringLiteral("%1: %2 for %3, %4 to %5")
        .arg(reporter, report.result1, seat.player1, Round::powerText(report.power1),
             Round::powerText(report.power2));
}

} // namespace Zuvi::Progress
