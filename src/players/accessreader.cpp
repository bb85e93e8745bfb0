#include "players/accessreader.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>

// mdbtools' header uses glib's types without including glib itself.
#include <glib.h>
#include <mdbtools.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Zuvi::Players {

namespace {

// The start of an Access file: a page number 0, then the engine's name.
constexpr char kJetSignature[] = "\x00\x01\x00\x00Standard Jet DB";
constexpr char kAceSignature[] = "\x00\x01\x00\x00Standard ACE DB";
constexpr qsizetype kSignatureBytes = 20; // both names end with a NUL
constexpr qsizetype kVersionOffset = 0x14;

// How long the reading process may go without sending anything before it is taken to be
// stuck on a damaged file.
constexpr int kSilenceMs = 20000;

// What the reading process reports. Every message starts with one of these bytes.
enum Message : quint8 {
    kFailed = 'F',  // followed by one of Failure
    kColumns = 'H', // column count, then for each: type, name
    kRow = 'R',     // one value per column
    kEnd = 'E',     // the number of rows the table says it holds
};

enum Failure : quint8 {
    kCannotOpen = 1,
    kNoCatalog = 2,
    kNoTable = 3,
    kBadTable = 4,
    kBadRow = 5,
};

enum ValueTag : quint8 {
    kNull = 0,
    kText = 1,  // UTF-8 bytes
    kYesNo = 2, // one byte, 0 or 1
    kDate = 3,  // a double, Access's date
    kOther = 4, // a kind of value that is not read (binary, OLE, ...)
};

// ---------------------------------------------------------------------------------------
// The reading process: libmdb, glib and the pipe only, and it ends with _exit().

class PipeWriter final
{
public:
    explicit PipeWriter(int fd) : m_fd(fd) { m_buffer.reserve(kChunk); }

    void bytes(const void *data, size_t size)
    {
        m_buffer.append(static_cast<const char *>(data), size);
        if (m_buffer.size() >= kChunk)
            flush();
    }
    void u8(quint8 value) { bytes(&value, 1); }
    void u32(quint32 value) { bytes(&value, sizeof value); }
    void text(const char *value)
    {
        const size_t size = value ? std::strlen(value) : 0;
        u32(quint32(size));
        bytes(value, size);
    }

    void flush()
    {
        const char *data = m_buffer.data();
        size_t left = m_buffer.size();
        while (left > 0) {
            const ssize_t written = ::write(m_fd, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                ::_exit(3);
            data += written;
            left -= size_t(written);
        }
        m_buffer.clear();
    }

    [[noreturn]] void fail(Failure failure)
    {
        u8(kFailed);
        u8(failure);
        flush();
        ::_exit(0);
    }

private:
    static constexpr size_t kChunk = 64 * 1024;
    int m_fd;
    std::string m_buffer;
};

void sendValue(PipeWriter &out, MdbHandle *mdb, const MdbColumn *column, const MdbField &field)
{
    if (column->col_type == MDB_BOOL) {
        // A yes/no value lives in the row's null mask: a set bit is yes.
        out.u8(kYesNo);
        out.u8(field.is_null ? 0 : 1);
        return;
    }
    if (field.is_null) {
        out.u8(kNull);
        return;
    }
    const int pageSize = int(mdb->fmt->pg_size);
    if (field.start < 0 || field.siz < 0 || field.start > pageSize - field.siz) {
        out.fail(kBadRow);
    }
    switch (column->col_type) {
    case MDB_DATETIME: {
        if (field.siz != 8)
            out.fail(kBadRow);
        const double days = mdb_get_double(mdb->pg_buf, field.start);
        out.u8(kDate);
        out.bytes(&days, sizeof days);
        return;
    }
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY: {
        char *text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
        out.u8(kText);
        out.text(text);
        g_free(text);
        return;
    }
    default:
        out.u8(kOther);
        return;
    }
}

[[noreturn]] void readInChild(const char *path, int fd)
{
    PipeWriter out(fd);
    MdbHandle *mdb = mdb_open(path, MDB_NOFLAGS);
    if (!mdb)
        out.fail(kCannotOpen);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        out.fail(kNoCatalog);
    MdbCatalogEntry *entry = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *candidate = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (candidate->object_type == MDB_TABLE &&
            g_ascii_strcasecmp(candidate->object_name, "PlayerInfo") == 0) {
            entry = candidate;
            break;
        }
    }
    if (!entry)
        out.fail(kNoTable);
    MdbTableDef *table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table) || table->num_cols == 0 ||
        table->num_cols != table->columns->len)
        out.fail(kBadTable);

    const unsigned int columnCount = table->num_cols;
    std::vector<const MdbColumn *> columns(columnCount);
    out.u8(kColumns);
    out.u32(columnCount);
    for (unsigned int i = 0; i < columnCount; ++i) {
        columns[i] = static_cast<const MdbColumn *>(g_ptr_array_index(table->columns, i));
        out.u8(quint8(columns[i]->col_type));
        out.text(columns[i]->name);
    }

    std::vector<MdbField> fields(columnCount);
    std::vector<int> fieldOf(columnCount);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // The row just read is still on the current page: crack it once more to learn
        // which values are NULL, which the bound form of the library does not tell.
        int start = 0;
        size_t size = 0;
        if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row - 1), &start, &size) != 0)
            out.fail(kBadRow);
        const int count = mdb_crack_row(table, start & 0x1fff, size, fields.data());
        if (count < 0 || unsigned(count) > columnCount)
            out.fail(kBadRow);
        std::fill(fieldOf.begin(), fieldOf.end(), -1);
        for (int i = 0; i < count; ++i) {
            if (fields[i].colnum < 0 || unsigned(fields[i].colnum) >= columnCount)
                out.fail(kBadRow);
            fieldOf[fields[i].colnum] = i;
        }
        out.u8(kRow);
        for (unsigned int c = 0; c < columnCount; ++c) {
            if (fieldOf[c] < 0)
                out.u8(kNull);
            else
                sendValue(out, mdb, columns[c], fields[fieldOf[c]]);
        }
    }
    out.u8(kEnd);
    out.u32(table->num_rows);
    out.flush();
    ::_exit(0);
}

// ---------------------------------------------------------------------------------------
// This process: start the reader, gather what it sends, and turn it into players.

class Cursor final
{
public:
    Cursor(const QByteArray &data, const QString &file) : m_data(data), m_file(file) {}

    bool atEnd() const { return m_pos >= m_data.size(); }
    quint8 u8() { return quint8(take(1)[0]); }
    quint32 u32()
    {
        quint32 value;
        std::memcpy(&value, take(sizeof value).data(), sizeof value);
        return value;
    }
    double real()
    {
        double value;
        std::memcpy(&value, take(sizeof value).data(), sizeof value);
        return value;
    }
    QByteArrayView bytes() { return take(u32()); }

    [[noreturn]] void damaged() const
    {
        throw FileError(m_file, QStringLiteral("it is damaged or truncated"));
    }

private:
    QByteArrayView take(qsizetype size)
    {
        if (size < 0 || size > m_data.size() - m_pos)
            damaged();
        const QByteArrayView view(m_data.constData() + m_pos, size);
        m_pos += size;
        return view;
    }

    const QByteArray &m_data;
    const QString &m_file;
    qsizetype m_pos = 0;
};

// Runs the reader on the file and returns everything it sent; throws when it failed.
QByteArray runReader(const QString &file)
{
    const QByteArray path = QFile::encodeName(file);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw FileError(file, QStringLiteral("it cannot be read (%1)")
                                  .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        throw FileError(file, QStringLiteral("it cannot be read (%1)")
                                  .arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    if (child == 0) {
        // The library's own complaints about a damaged file go nowhere: the damage is
        // reported here, in the organiser's words.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::close(fds[0]);
        readInChild(path.constData(), fds[1]);
    }
    ::close(fds[1]);

    QByteArray received;
    bool stuck = false;
    char buffer[64 * 1024];
    for (;;) {
        pollfd waiting{fds[0], POLLIN, 0};
        const int ready = ::poll(&waiting, 1, kSilenceMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            stuck = true;
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        received.append(buffer, got);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (stuck || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw FileError(file, QStringLiteral("it is damaged or truncated"));
    return received;
}

QString failureText(quint8 failure)
{
    switch (failure) {
    case kCannotOpen:
        return QStringLiteral("it cannot be opened as an Access database");
    case kNoCatalog:
        return QStringLiteral("it is damaged: its list of tables cannot be read");
    case kNoTable:
        return QStringLiteral("it has no table PlayerInfo");
    default:
        return QStringLiteral("it is damaged or truncated");
    }
}

} // namespace

qsizetype accessSignatureSize()
{
    return kVersionOffset + 4;
}

bool isAccessSignature(QByteArrayView start)
{
    if (start.size() < kSignatureBytes)
        return false;
    const QByteArrayView head = start.first(kSignatureBytes);
    return head == QByteArrayView(kJetSignature, kSignatureBytes) ||
           head == QByteArrayView(kAceSignature, kSignatureBytes);
}

std::optional<QString> accessDateText(double days)
{
    // 100-01-01 and 9999-12-31, the first and the last day Access takes.
    if (!std::isfinite(days) || days <= -657435.0 || days >= 2958466.0)
        return std::nullopt;
    qint64 day = qint64(std::trunc(days));
    // Before 1899-12-30 the whole part counts back and the fraction is still the time of day.
    qint64 seconds = std::llround(std::fabs(days - double(day)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (seconds != 0)
        text += QLatin1Char(' ') +
                QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("HH:mm:ss"));
    return text;
}

PlayerTable readAccess(const QString &file)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        throw FileError(file, QStringLiteral("it cannot be read (%1)").arg(input.errorString()));
    const QByteArray start = input.read(accessSignatureSize());
    if (!isAccessSignature(start) || start.size() < accessSignatureSize())
        throw FileError(file, QStringLiteral("it is not an Access database"));
    // Jet 3 files are made of 2 KB pages, later ones of 4 KB pages; a file that is not a
    // whole number of them, or too short to hold its tables, has lost its end.
    const quint8 version = quint8(start[kVersionOffset]);
    const qint64 pageSize = version == 0 ? 2048 : 4096;
    if (input.size() % pageSize != 0 || input.size() < 3 * pageSize)
        throw FileError(file, QStringLiteral("it is damaged or truncated"));
    input.close();

    const QByteArray received = runReader(file);
    Cursor in(received, file);
    if (in.atEnd())
        in.damaged();
    quint8 message = in.u8();
    if (message == kFailed)
        throw FileError(file, failureText(in.u8()));
    if (message != kColumns)
        in.damaged();

    const quint32 columnCount = in.u32();
    if (columnCount == 0 || columnCount > 255)
        in.damaged();
    QStringList names;
    QList<int> types;
    for (quint32 i = 0; i < columnCount; ++i) {
        types.append(in.u8());
        names.append(QString::fromUtf8(in.bytes()));
    }
    PlayerTable table;
    const QList<int> targets = mapColumns(file, names, &table.ignoredColumns);
    // Without a column of its own, "Allow Email" gets the value a new record gets: no.
    const QVariant allowEmail = targets.contains(kAllowEmail) ? QVariant() : QVariant(0LL);

    qint64 rowNumber = 0;
    for (;;) {
        message = in.u8();
        if (message == kFailed)
            throw FileError(file, failureText(in.u8()));
        if (message == kEnd)
            break;
        if (message != kRow)
            in.damaged();
        ++rowNumber;
        QVariantList row(playerColumns().size());
        row[kAllowEmail] = allowEmail;
        for (quint32 c = 0; c < columnCount; ++c) {
            const int target = targets.at(c);
            const quint8 tag = in.u8();
            const auto wrong = [&](const QString &what) {
                return FileError(
                    file,
                    QStringLiteral("row %1: \"%2\" %3").arg(rowNumber).arg(names.at(c), what));
            };
            switch (tag) {
            case kNull:
                break;
            case kText: {
                const QByteArrayView bytes = in.bytes();
                if (target == kAllowEmail) {
                    const std::optional<int> yes = parseYesNo(QString::fromUtf8(bytes));
                    if (!yes)
                        throw wrong(QStringLiteral("is not yes or no"));
                    row[target] = qlonglong(*yes);
                } else if (target >= 0) {
                    // Empty text stays empty text, apart from NULL.
                    QString text = QString::fromUtf8(bytes);
                    row[target] = text.isNull() ? QStringLiteral("") : text;
                }
                break;
            }
            case kYesNo: {
                const int yes = in.u8() ? 1 : 0;
                if (target == kAllowEmail)
                    row[target] = qlonglong(yes);
                else if (target >= 0)
                    row[target] = QString::number(yes);
                break;
            }
            case kDate: {
                const double days = in.real();
                if (target < 0)
                    break;
                const std::optional<QString> text = accessDateText(days);
                if (!text)
                    throw wrong(QStringLiteral("holds no valid date"));
                if (target == kAllowEmail)
                    throw wrong(QStringLiteral("is not yes or no"));
                row[target] = *text;
                break;
            }
            case kOther:
                if (target >= 0)
                    throw wrong(QStringLiteral("holds values of a kind that cannot be imported "
                                               "(type %1)")
                                    .arg(types.at(c)));
                break;
            default:
                in.damaged();
            }
        }
        if (isBlankRow(row))
            ++table.blankRows;
        else
            table.rows.append(std::move(row));
    }
    const quint32 expected = in.u32();
    if (quint64(rowNumber) != expected || !in.atEnd())
        throw FileError(file, QStringLiteral("it is damaged or truncated: %1 of its %2 rows "
                                             "can be read")
                                  .arg(rowNumber)
                                  .arg(expected));
    return table;
}

} // namespace Zuvi::Players
