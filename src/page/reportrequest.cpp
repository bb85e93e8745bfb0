#include "page/reportrequest.h"

#include <QSet>
#include <QStringDecoder>
#include <QUrl>

namespace Zuvi {

namespace {

std::optional<Progress::ReportRequest> refuse(QString *problem, const QString &why)
{
    if (problem)
        *problem = why;
    return std::nullopt;
}

/// True when every "%" of a field begins an escape of two hexadecimal digits, as a form
/// writes it (the decoder would read any two characters after it as some byte).
bool wellEscaped(QByteArrayView raw)
{
    const auto hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%')
            continue;
        if (i + 2 >= raw.size() || !hex(raw[i + 1]) || !hex(raw[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

/// One field's name or value decoded: "+" is a space, %XX a byte; the bytes must be UTF-8.
std::optional<QString> decodeField(QByteArray raw)
{
    raw.replace('+', ' ');
    const QByteArray bytes = QByteArray::fromPercentEncoding(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

namespace {

/// The fields of a form whose field names are among known, trimmed; nothing, with the reason
/// in problem, for a body that is not such a form.
std::optional<QHash<QString, QString>> readForm(const QByteArray &body, const QSet<QString> &known,
                                                QString *problem)
{
    const auto refused = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return std::optional<QHash<QString, QString>>();
    };
    if (body.size() > kMaxReportBytes)
        return refused(QStringLiteral("The report is too long."));
    QHash<QString, QString> fields;
    for (const QByteArray &pair : body.split('&')) {
        if (pair.isEmpty())
            continue;
        if (!wellEscaped(pair))
            return refused(QStringLiteral("The report is not written as a form is."));
        const qsizetype equals = pair.indexOf('=');
        const std::optional<QString> name = decodeField(equals < 0 ? pair : pair.left(equals));
        const std::optional<QString> value =
            decodeField(equals < 0 ? QByteArray() : pair.mid(equals + 1));
        if (!name || !value)
            return refused(QStringLiteral("The report is not UTF-8 text."));
        if (!known.contains(*name))
            return refused(QStringLiteral("The report has a field Zuvi does not know."));
        if (fields.contains(*name))
            return refused(QStringLiteral("The report gives a field twice."));
        if (value->size() > kMaxReportField)
            return refused(QStringLiteral("A field of the report is too long."));
        fields.insert(*name, value->trimmed());
    }
    return fields;
}

} // namespace

std::optional<Progress::ReportRequest> parseReportRequest(const QByteArray &body, QString *problem)
{
    // "player" is what an older page sent beside the table's code: it is read and left
    // unused, since the personal code alone says who reports.
    static const QSet<QString> known = {QStringLiteral("table"),  QStringLiteral("code"),
                                        QStringLiteral("player"), QStringLiteral("result"),
                                        QStringLiteral("power1"), QStringLiteral("power2"),
                                        QStringLiteral("drop")};
    const std::optional<QHash<QString, QString>> form = readForm(body, known, problem);
    if (!form)
        return std::nullopt;
    const QHash<QString, QString> &fields = *form;
    Progress::ReportRequest request;
    const QString tableText = fields.value(QStringLiteral("table"));
    if (!tableText.isEmpty()) {
        const std::optional<int> table = wholeNumber(tableText, 1, 99999);
        if (!table)
            return refuse(problem, QStringLiteral("The table is not a table's number."));
        request.table = *table;
    }
    request.code = fields.value(QStringLiteral("code"));
    if (request.code.isEmpty())
        return refuse(problem, QStringLiteral("Please give the code on your player card."));
    const QString drop = fields.value(QStringLiteral("drop"));
    if (!drop.isEmpty() && drop != QLatin1String("1"))
        return refuse(problem, QStringLiteral("The report is not one Zuvi knows."));
    request.drop = drop == QLatin1String("1");
    if (request.drop)
        return request;
    request.result1 = fields.value(QStringLiteral("result"));
    request.power1 = fields.value(QStringLiteral("power1"));
    request.power2 = fields.value(QStringLiteral("power2"));
    if (request.result1.isEmpty())
        return refuse(problem, QStringLiteral("Please choose the result."));
    return request;
}

std::optional<QString> parseCodeForm(const QByteArray &body, QString *problem)
{
    static const QSet<QString> known = {QStringLiteral("code")};
    const std::optional<QHash<QString, QString>> form = readForm(body, known, problem);
    if (!form)
        return std::nullopt;
    const QString code = form->value(QStringLiteral("code"));
    if (code.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("Please give the code on your player card.");
        return std::nullopt;
    }
    return code;
}

} // namespace Zuvi
