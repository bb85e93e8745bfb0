#include "players/csvreader.h"

#include "data/csvguard.h"

#include <csv.h>

#include <exception>
#include <memory>

namespace Zuvi::Players {

namespace {

// Every character belongs to its field: RFC 4180 keeps blanks, so a name keeps its blanks.
int noSpace(unsigned char)
{
    return 0;
}

// The line breaks in bytes: LF, CRLF and a lone CR each end a line.
qsizetype countLines(QByteArrayView bytes)
{
    qsizetype lines = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

// The separator the header row uses: a semicolon when it has semicolons and no commas
// outside quotes, otherwise a comma.
unsigned char separatorOf(QByteArrayView data)
{
    bool quoted = false;
    int commas = 0;
    int semicolons = 0;
    for (const char c : data) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > 0 && commas == 0 ? ';' : ',';
}

// The parser's state between libcsv's callbacks: one record is gathered field by field
// and handed to the table when it ends.
class CsvBuilder final
{
public:
    CsvBuilder(const QString &file, qsizetype expectedRows) : m_file(file)
    {
        m_table.rows.reserve(expectedRows);
    }

    // libcsv is C: an exception must not unwind through it. The first failure is kept,
    // the rest of the text is passed over, and the failure is thrown when parsing returns.
    void field(const char *bytes, size_t size)
    {
        if (m_error)
            return;
        try {
            takeField(bytes, size);
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    void recordEnd(int terminator)
    {
        if (m_error)
            return;
        try {
            takeRecordEnd(terminator);
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    void rethrow() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

    [[noreturn]] void fail(qsizetype line, const QString &cause) const
    {
        throw FileError(m_file, QStringLiteral("line %1: %2").arg(line).arg(cause));
    }

    // The line on which the field being read began.
    qsizetype line() const { return m_line; }
    bool haveHeader() const { return m_haveHeader; }
    PlayerTable &table() { return m_table; }

private:
    void takeField(const char *bytes, size_t size)
    {
        if (m_fields.isEmpty())
            m_recordLine = m_line;
        m_lastWasCr = false;
        if (!bytes) {
            m_fields.append({m_bytes.size(), 0, true});
            return;
        }
        const QByteArrayView view(bytes, qsizetype(size));
        // The apostrophe written before a formula's sign is read off again.
        const QByteArrayView text = Data::hasFormulaGuard(view) ? view.sliced(1) : view;
        if (!text.isValidUtf8())
            fail(m_recordLine, QStringLiteral("it is not UTF-8 text (save it as \"CSV UTF-8\")"));
        // The bytes are kept as they are until the row is made: no text object per field.
        // A field that is present but empty is empty text, not NULL.
        m_fields.append({m_bytes.size(), text.size(), false});
        m_bytes.append(text);
        m_line += countLines(view);
    }

    void takeRecordEnd(int terminator)
    {
        // A CRLF pair ends one line: the CR counts, the LF after it does not.
        if (!(terminator == '\n' && m_lastWasCr))
            ++m_line;
        m_lastWasCr = terminator == '\r';
        if (m_fields.isEmpty())
            return;
        if (!m_haveHeader)
            takeHeader();
        else
            takeRow();
        m_fields.clear();
        // Emptied, not freed: one buffer serves every row.
        m_bytes.truncate(0);
    }

    struct Field
    {
        qsizetype start = 0;
        qsizetype size = 0;
        bool null = true;
    };

    QByteArrayView bytesOf(const Field &field) const
    {
        return QByteArrayView(m_bytes).sliced(field.start, field.size);
    }

    QString textOf(const Field &field) const
    {
        if (field.null)
            return QString();
        const QString text = QString::fromUtf8(bytesOf(field));
        return text.isNull() ? QStringLiteral("") : text;
    }

    void takeHeader()
    {
        m_haveHeader = true;
        QStringList names;
        for (const Field &name : std::as_const(m_fields))
            names.append(textOf(name).trimmed());
        m_targets = mapColumns(m_file, names, &m_table.ignoredColumns);
        m_hasAllowEmail = m_targets.contains(kAllowEmail);
    }

    void takeRow()
    {
        if (m_fields.size() > m_targets.size()) {
            for (qsizetype i = m_targets.size(); i < m_fields.size(); ++i) {
                if (m_fields.at(i).size > 0)
                    fail(m_recordLine, QStringLiteral("it has %1 fields, but the header row "
                                                      "names %2 columns")
                                           .arg(m_fields.size())
                                           .arg(m_targets.size()));
            }
        }
        PlayerRow::Parts parts;
        // Without a column of its own, "Allow Email" gets the value a new record gets: no.
        if (!m_hasAllowEmail)
            parts.nulls &= ~(1u << kAllowEmail);
        bool blank = true;
        const qsizetype count = std::min(m_fields.size(), m_targets.size());
        for (qsizetype i = 0; i < count; ++i) {
            const int target = m_targets.at(i);
            const Field &field = m_fields.at(i);
            if (target < 0 || field.null)
                continue;
            if (target == kAllowEmail) {
                if (field.size == 0)
                    continue;
                const QString value = textOf(field);
                const std::optional<int> yes = parseYesNo(value);
                if (!yes)
                    fail(m_recordLine, QStringLiteral("\"Allow Email\" is \"%1\"; it must be "
                                                      "yes or no (1, 0, true or false)")
                                           .arg(value));
                parts.allowEmail = *yes;
                parts.nulls &= ~(1u << kAllowEmail);
            } else {
                blank = blank && field.size == 0;
                parts.texts[target] = bytesOf(field);
                parts.nulls &= ~(1u << target);
            }
        }
        if (blank) {
            ++m_table.blankRows;
            return;
        }
        m_table.rows.append(PlayerRow(parts));
    }

    QString m_file;
    QList<Field> m_fields;
    QByteArray m_bytes;
    QList<int> m_targets;
    PlayerTable m_table;
    qsizetype m_line = 1;
    qsizetype m_recordLine = 1;
    bool m_lastWasCr = false;
    bool m_haveHeader = false;
    bool m_hasAllowEmail = false;
    std::exception_ptr m_error;
};

void onField(void *bytes, size_t size, void *builder)
{
    static_cast<CsvBuilder *>(builder)->field(static_cast<const char *>(bytes), size);
}

void onRecordEnd(int terminator, void *builder)
{
    static_cast<CsvBuilder *>(builder)->recordEnd(terminator);
}

struct ParserFree
{
    void operator()(csv_parser *parser) const { csv_free(parser); }
};

} // namespace

PlayerTable readCsv(const QString &file, const QByteArray &data)
{
    QByteArrayView text(data);
    if (text.isEmpty())
        throw FileError(file, QStringLiteral("the file is empty"));
    if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF"))
        throw FileError(file, QStringLiteral("it is UTF-16 text; save it as \"CSV UTF-8\""));
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    // Text has no NUL bytes; a file with them is some other kind of file.
    if (text.contains('\0'))
        throw FileError(file, QStringLiteral("it is neither an Access database nor a CSV file"));

    csv_parser parser;
    // Strict: a stray quote is an error, and so is a quote left open at the end. Every
    // line break is reported so that lines can be counted; an empty unquoted field comes
    // as a null pointer (NULL).
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL | CSV_EMPTY_IS_NULL) != 0)
        throw std::bad_alloc();
    const std::unique_ptr<csv_parser, ParserFree> owner(&parser);
    csv_set_delim(&parser, separatorOf(text));
    csv_set_space_func(&parser, noSpace);

    // A row per line, roughly: the list of rows is made large enough once.
    CsvBuilder builder(file, text.count('\n') + 1);
    const size_t parsed =
        csv_parse(&parser, text.data(), size_t(text.size()), onField, onRecordEnd, &builder);
    builder.rethrow();
    if (parsed < size_t(text.size())) {
        if (csv_error(&parser) == CSV_ENOMEM)
            throw std::bad_alloc();
        // The line of the offending character.
        builder.fail(1 + countLines(text.first(qsizetype(parsed))),
                     QStringLiteral("a quote mark stands inside a field; a field that holds "
                                    "quote marks must be enclosed in quotes, each inner one "
                                    "doubled"));
    }
    const qsizetype pendingLine = builder.line();
    const int finished = csv_fini(&parser, onField, onRecordEnd, &builder);
    builder.rethrow();
    if (finished != 0) {
        builder.fail(pendingLine, QStringLiteral("a quoted field begins here and is never "
                                                 "closed"));
    }
    if (!builder.haveHeader())
        throw FileError(file, QStringLiteral("it holds no header row naming the columns"));
    return std::move(builder.table());
}

} // namespace Zuvi::Players
