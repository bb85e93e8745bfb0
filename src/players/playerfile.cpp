#include "players/playerfile.h"

#include "players/accessreader.h"
#include "players/csvreader.h"

#include <QFile>
#include <QFileInfo>

namespace Zuvi::Players {

const QStringList &playerColumns()
{
    static const QStringList columns = {
        QStringLiteral("First Name"), QStringLiteral("Last Name"), QStringLiteral("Email"),
        QStringLiteral("Phone"),      QStringLiteral("Address"),   QStringLiteral("City"),
        QStringLiteral("State"),      QStringLiteral("Zip"),       QStringLiteral("Webpage"),
        QStringLiteral("Username1"),  QStringLiteral("Username2"), QStringLiteral("Username3"),
        QStringLiteral("Birthday"),   QStringLiteral("Password"),  QStringLiteral("Allow Email"),
        QStringLiteral("Country")};
    return columns;
}

int playerColumnIndex(QStringView name)
{
    const QStringView trimmed = name.trimmed();
    const QStringList &columns = playerColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (trimmed.compare(columns.at(i), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<int> parseYesNo(QStringView text)
{
    const QStringView value = text.trimmed();
    for (const char *yes : {"1", "-1", "yes", "true"}) {
        if (value.compare(QLatin1StringView(yes), Qt::CaseInsensitive) == 0)
            return 1;
    }
    for (const char *no : {"0", "no", "false"}) {
        if (value.compare(QLatin1StringView(no), Qt::CaseInsensitive) == 0)
            return 0;
    }
    return std::nullopt;
}

PlayerRow::PlayerRow(const QVariantList &values)
{
    Parts parts;
    QList<QByteArray> texts;
    texts.reserve(kColumns);
    for (int c = 0; c < kColumns && c < values.size(); ++c) {
        const QVariant &value = values.at(c);
        if (value.isNull())
            continue;
        parts.nulls &= ~(1u << c);
        if (c == kAllowEmail) {
            parts.allowEmail = value.toLongLong();
            continue;
        }
        texts.append(value.toString().toUtf8());
        parts.texts[c] = texts.last();
    }
    *this = PlayerRow(parts);
}

PlayerRow::PlayerRow(const Parts &parts) : m_nulls(parts.nulls), m_allowEmail(parts.allowEmail)
{
    qsizetype length = 0;
    for (int c = 0; c < kColumns; ++c) {
        if (!isNull(c) && c != kAllowEmail)
            length += parts.texts[c].size();
    }
    m_text.reserve(length);
    for (int c = 0; c < kColumns; ++c) {
        if (!isNull(c) && c != kAllowEmail)
            m_text.append(parts.texts[c]);
        m_ends[c] = qint32(m_text.size());
    }
}

QByteArrayView PlayerRow::utf8(int column) const
{
    const qint32 start = column == 0 ? 0 : m_ends[column - 1];
    return QByteArrayView(m_text).sliced(start, m_ends[column] - start);
}

QVariant PlayerRow::at(int column) const
{
    if (column < 0 || column >= kColumns || isNull(column))
        return QVariant();
    if (column == kAllowEmail)
        return QVariant(qlonglong(m_allowEmail));
    const QString text = QString::fromUtf8(utf8(column));
    return text.isNull() ? QStringLiteral("") : text;
}

QVariantList PlayerRow::toList() const
{
    QVariantList values;
    values.reserve(kColumns);
    for (int c = 0; c < kColumns; ++c)
        values.append(at(c));
    return values;
}

QList<QVariantList> rowValues(const QList<PlayerRow> &rows)
{
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (const PlayerRow &row : rows)
        values.append(row.toList());
    return values;
}

QByteArrayView trimmedUtf8(QByteArrayView text, QByteArray &scratch)
{
    const auto plain = [](char c) { return uchar(c) < 0x80 && !QChar::isSpace(uchar(c)); };
    // Most texts begin and end with a letter of ASCII: nothing to take off, nothing decoded.
    if (text.isEmpty() || (plain(text.front()) && plain(text.back())))
        return text;
    scratch = QString::fromUtf8(text).trimmed().toUtf8();
    return scratch;
}

FileError::FileError(QString file, QString cause)
    : m_file(std::move(file)), m_cause(std::move(cause)), m_what(text().toUtf8())
{
}

QString FileError::text() const
{
    return m_file + QStringLiteral(": ") + m_cause;
}

bool isBlankRow(const QVariantList &row)
{
    for (int i = 0; i < row.size(); ++i) {
        if (i != kAllowEmail && !row.at(i).isNull() && !row.at(i).toString().isEmpty())
            return false;
    }
    return true;
}

bool isNameless(const QVariantList &row)
{
    return row.value(kFirstName).toString().trimmed().isEmpty() &&
           row.value(kLastName).toString().trimmed().isEmpty();
}

bool isNameless(const PlayerRow &row)
{
    QByteArray scratch;
    return trimmedUtf8(row.utf8(kFirstName), scratch).isEmpty() &&
           trimmedUtf8(row.utf8(kLastName), scratch).isEmpty();
}

QList<int> mapColumns(const QString &file, const QStringList &names, QStringList *ignored)
{
    QList<int> targets;
    targets.reserve(names.size());
    QList<bool> taken(playerColumns().size(), false);
    for (const QString &name : names) {
        const int target = playerColumnIndex(name);
        if (target >= 0 && taken.at(target))
            throw FileError(
                file,
                QStringLiteral("the column \"%1\" is named twice").arg(playerColumns().at(target)));
        if (target >= 0)
            taken[target] = true;
        else if (ignored)
            ignored->append(name);
        targets.append(target);
    }
    if (!taken.at(kFirstName) && !taken.at(kLastName))
        throw FileError(file, QStringLiteral("no usable column: neither \"First Name\" nor "
                                             "\"Last Name\" is among its columns"));
    return targets;
}

namespace {

PlayerTable readAnyPlayerFile(const QString &file)
{
    QFile input(file);
    if (!QFileInfo(file).isFile() && QFileInfo::exists(file))
        throw FileError(file, QStringLiteral("it is not a file"));
    if (!input.open(QIODevice::ReadOnly))
        throw FileError(file, QStringLiteral("it cannot be read (%1)").arg(input.errorString()));
    const QByteArray start = input.read(accessSignatureSize());
    if (input.error() != QFileDevice::NoError)
        throw FileError(file, QStringLiteral("it cannot be read (%1)").arg(input.errorString()));
    if (start.isEmpty())
        throw FileError(file, QStringLiteral("the file is empty"));
    if (isAccessSignature(start)) {
        input.close();
        return readAccess(file);
    }
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QStringLiteral("mdb") || suffix == QStringLiteral("accdb"))
        throw FileError(file, QStringLiteral("it is not an Access database"));
    // A player list is a few megabytes; a far larger file is not one, and reading it whole
    // would only exhaust memory.
    constexpr qint64 kMaxCsvBytes = qint64(256) << 20;
    if (input.size() > kMaxCsvBytes)
        throw FileError(file,
                        QStringLiteral("it is too large for a CSV player list (over 256 MB)"));
    input.seek(0);
    const QByteArray data = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw FileError(file, QStringLiteral("it cannot be read (%1)").arg(input.errorString()));
    return readCsv(file, data);
}

} // namespace

PlayerTable readPlayerFile(const QString &file)
{
    PlayerTable table = readAnyPlayerFile(file);
    const qsizetype before = table.rows.size();
    table.rows.removeIf([](const PlayerRow &row) { return isNameless(row); });
    table.namelessRows = int(before - table.rows.size());
    return table;
}

} // namespace Zuvi::Players
