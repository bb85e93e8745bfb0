#include "players/playerimport.h"

#include "data/csvguard.h"
#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/playercountrystore.h"
#include "data/serverlink.h"

#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QSqlDriver>
#include <array>

#include <csv.h>
#include <sqlite3.h>

#include <memory>

namespace Zuvi::Players {

namespace {

// How many players are written between two reports of progress.
constexpr qsizetype kChunk = 2000;

// What makes two players the same: first name, last name and e-mail, each compared
// exactly (as UTF-8 bytes); NULL is a value of its own, apart from empty text. The key
// points into bytes kept elsewhere: the file's rows, or the stored players' keys.
struct PlayerKey
{
    QByteArrayView first;
    QByteArrayView last;
    QByteArrayView email;
    quint8 nulls = 0;

    friend bool operator==(const PlayerKey &a, const PlayerKey &b)
    {
        return a.nulls == b.nulls && a.first == b.first && a.last == b.last && a.email == b.email;
    }
    friend size_t qHash(const PlayerKey &key, size_t seed = 0)
    {
        return qHashMulti(seed, key.first, key.last, key.email, key.nulls);
    }
};

PlayerKey keyOf(const PlayerRow &row)
{
    return {row.utf8(kFirstName), row.utf8(kLastName), row.utf8(kEmail),
            quint8((row.isNull(kFirstName) ? 1 : 0) | (row.isNull(kLastName) ? 2 : 0) |
                   (row.isNull(kEmail) ? 4 : 0))};
}

// The stored players' keys, with the bytes they point into.
class StoredKeys final
{
public:
    // One stored player's names and e-mail, each null or text.
    void add(const std::array<QVariant, 3> &values)
    {
        QByteArray bytes;
        std::array<qsizetype, 3> ends{};
        quint8 nulls = 0;
        for (int i = 0; i < 3; ++i) {
            if (values[i].isNull())
                nulls |= quint8(1 << i);
            else
                bytes.append(values[i].toString().toUtf8());
            ends[i] = bytes.size();
        }
        addBytes(std::move(bytes), ends, nulls);
    }
    // The same from a row read straight from SQLite: text is taken as stored unless it is
    // not valid UTF-8 (then as its text reads), numbers as their text.
    void add(const Data::RowView &row)
    {
        QByteArray bytes;
        std::array<qsizetype, 3> ends{};
        quint8 nulls = 0;
        for (int i = 0; i < 3; ++i) {
            if (row.value(i).isNull()) {
                nulls |= quint8(1 << i);
            } else if (row.isNumber(i)) {
                bytes.append(row.text(i).toUtf8());
            } else {
                const QByteArrayView text = row.utf8(i);
                if (text.isValidUtf8())
                    bytes.append(text);
                else
                    bytes.append(QString::fromUtf8(text).toUtf8());
            }
            ends[i] = bytes.size();
        }
        addBytes(std::move(bytes), ends, nulls);
    }
    bool contains(const PlayerKey &key) const { return m_keys.contains(key); }

private:
    void addBytes(QByteArray bytes, const std::array<qsizetype, 3> &ends, quint8 nulls)
    {
        m_storage.append(std::move(bytes));
        const QByteArrayView stored(m_storage.last());
        m_keys.insert({stored.first(ends[0]), stored.sliced(ends[0], ends[1] - ends[0]),
                       stored.sliced(ends[1], ends[2] - ends[1]), nulls});
    }

    QList<QByteArray> m_storage;
    QSet<PlayerKey> m_keys;
};

// What becomes of each row of a file: a new player, one already stored, or a new row that
// repeats an earlier row of the file.
enum class RowFate : quint8 { New, Stored, Repeat };

QList<RowFate> fatesOf(const StoredKeys &stored, const PlayerTable &table)
{
    QList<RowFate> fates;
    fates.reserve(table.rows.size());
    // What makes a row repeat an earlier row of the same file: first name, last name and
    // e-mail as the organiser reads them, without the blanks around them, NULL as empty
    // text. The few texts with blanks to take off are kept trimmed here.
    QSet<PlayerKey> seen;
    seen.reserve(table.rows.size());
    QList<QByteArray> trimmed;
    const auto withoutBlanks = [&](QByteArrayView text) {
        QByteArray scratch;
        const QByteArrayView result = trimmedUtf8(text, scratch);
        if (result.data() != scratch.constData() || scratch.isEmpty())
            return result;
        trimmed.append(std::move(scratch));
        return QByteArrayView(trimmed.last());
    };
    for (const PlayerRow &row : table.rows) {
        const PlayerKey key{withoutBlanks(row.utf8(kFirstName)), withoutBlanks(row.utf8(kLastName)),
                            withoutBlanks(row.utf8(kEmail)), 0};
        const bool repeat = seen.contains(key);
        seen.insert(key);
        fates.append(stored.contains(keyOf(row)) ? RowFate::Stored
                     : repeat                    ? RowFate::Repeat
                                                 : RowFate::New);
    }
    return fates;
}

StoredKeys storedKeys(Data::DbConnection &players)
{
    StoredKeys keys;
    players.readRows(QStringLiteral("SELECT \"First Name\", \"Last Name\", Email FROM PlayerInfo"),
                     [&](const Data::RowView &row) { keys.add(row); });
    return keys;
}

StoredKeys storedKeys(Data::ServerLink &players)
{
    StoredKeys keys;
    QSqlQuery &query =
        players.exec(QStringLiteral("SELECT [First Name], [Last Name], Email FROM PlayerInfo"));
    while (players.next(query))
        keys.add({query.value(0), query.value(1), query.value(2)});
    query.finish();
    return keys;
}

// The player table's own columns as the statements for both places write them: the
// server's are the same names in lower case.
QString bracketedColumns()
{
    QStringList bracketed;
    for (int c = 0; c < kTableColumns; ++c)
        bracketed.append(QLatin1Char('[') + playerColumns().at(c) + QLatin1Char(']'));
    return bracketed.join(QStringLiteral(", "));
}

// The player table's own columns, quoted.
QString quotedColumns()
{
    QStringList quoted;
    for (int c = 0; c < kTableColumns; ++c)
        quoted.append(QLatin1Char('"') + playerColumns().at(c) + QLatin1Char('"'));
    return quoted.join(QStringLiteral(", "));
}

QString insertPlayer()
{
    QStringList marks(kTableColumns, QStringLiteral("?"));
    return QStringLiteral("INSERT INTO PlayerInfo(%1) VALUES (%2)")
        .arg(quotedColumns(), marks.join(QStringLiteral(", ")));
}

// Writes players (the player table's columns of each row) straight through SQLite on the
// connection's own handle, inside the transaction open on it, binding each row's bytes as
// they are: the general binding of the connection converts and copies every value twice.
class PlayerInserter final
{
public:
    explicit PlayerInserter(Data::DbConnection &players)
    {
        const QVariant handle = players.database().driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3 *const *>(handle.constData());
        if (!m_db)
            throw Data::DbError(-1, QStringLiteral("the SQLite driver is not available"));
        const QByteArray sql = insertPlayer().toUtf8();
        sqlite3_stmt *raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
            fail();
        m_statement.reset(raw);
    }

    // Writes one player and returns its id. The row's texts are bound as the bytes it
    // keeps them in.
    qint64 insert(const PlayerRow &row)
    {
        sqlite3_stmt *statement = m_statement.get();
        for (int i = 0; i < kTableColumns; ++i) {
            int rc;
            if (row.isNull(i)) {
                rc = sqlite3_bind_null(statement, i + 1);
            } else if (i == kAllowEmail) {
                rc = sqlite3_bind_int64(statement, i + 1, row.allowEmail());
            } else {
                const QByteArrayView text = row.utf8(i);
                // Empty text is bound as text, never as NULL.
                rc = sqlite3_bind_text(statement, i + 1, text.data() ? text.data() : "",
                                       int(text.size()), SQLITE_STATIC);
            }
            if (rc != SQLITE_OK)
                fail();
        }
        if (sqlite3_step(statement) != SQLITE_DONE)
            fail();
        sqlite3_reset(statement);
        return sqlite3_last_insert_rowid(m_db);
    }

private:
    [[noreturn]] void fail() const
    {
        throw Data::DbError(sqlite3_errcode(m_db) & 0xff, QString::fromUtf8(sqlite3_errmsg(m_db)));
    }

    struct Finalize
    {
        void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
    };

    sqlite3 *m_db = nullptr;
    std::unique_ptr<sqlite3_stmt, Finalize> m_statement;
};

// Appends one field as RFC 4180 wants it: in quotes, each quote inside doubled.
void appendQuoted(QByteArray &out, QByteArrayView text)
{
    const qsizetype at = out.size();
    // The most a field can need: every byte a quote, doubled, and the two around it.
    out.resize(at + 2 * text.size() + 2);
    const size_t written =
        csv_write(out.data() + at, size_t(out.size() - at), text.data(), size_t(text.size()));
    out.resize(at + qsizetype(written));
}

// The players' CSV file as it is written, whichever database the players come from: the
// header row first, then a row per player, each field as its kind wants it; the file is
// replaced only when commit() finds all of it written. Throws FileError.
class PlayersCsv final
{
public:
    explicit PlayersCsv(const QString &file) : m_file(file), m_output(file)
    {
        if (!m_output.open(QIODevice::WriteOnly))
            throw failed();
        // The file holds players' addresses and birthdays (and passwords, if asked): its
        // owner's alone, whatever the umask, and whatever mode a file it replaces had.
        if (!m_output.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw failed();
        for (const QString &column : playerColumns())
            text(column.toUtf8());
        endRow();
        m_rows = 0;
    }

    // NULL: an empty field, unquoted.
    void null() { separate(); }
    void number(QByteArrayView digits)
    {
        separate();
        m_buffer.append(digits);
    }
    // Text in quotes; a formula's sign first gets an apostrophe before it, which the import
    // reads off again.
    void text(QByteArrayView text)
    {
        separate();
        if (Data::looksLikeFormula(text))
            appendQuoted(m_buffer, QByteArray(1, '\'') + text.toByteArray());
        else
            appendQuoted(m_buffer, text);
    }
    void endRow()
    {
        m_buffer.append("\r\n");
        m_field = 0;
        ++m_rows;
        if (m_buffer.size() >= 256 * 1024)
            flush();
    }
    // Writes what is left and replaces the file; returns the number of players written.
    qsizetype commit()
    {
        flush();
        if (!m_output.commit())
            throw failed();
        return m_rows;
    }

private:
    void separate()
    {
        if (m_field++ > 0)
            m_buffer.append(',');
    }
    void flush()
    {
        if (m_output.write(m_buffer) != m_buffer.size())
            throw failed();
        m_buffer.clear();
    }
    FileError failed() const
    {
        return FileError(m_file,
                         QStringLiteral("it cannot be written (%1)").arg(m_output.errorString()));
    }

    QString m_file;
    QSaveFile m_output;
    QByteArray m_buffer;
    int m_field = 0;
    qsizetype m_rows = 0;
};

ImportPreview previewAgainst(const StoredKeys &stored, const PlayerTable &table, int firstRows)
{
    const QList<RowFate> fates = fatesOf(stored, table);
    ImportPreview preview;
    for (qsizetype i = 0; i < table.rows.size(); ++i) {
        switch (fates.at(i)) {
        case RowFate::Stored:
            ++preview.alreadyStored;
            continue;
        case RowFate::New:
            ++preview.newPlayers;
            break;
        case RowFate::Repeat:
            ++preview.repeats;
            break;
        }
        if (preview.firstRows.size() < firstRows) {
            preview.firstRows.append(table.rows.at(i).toList());
            preview.firstRowRepeats.append(fates.at(i) == RowFate::Repeat);
        }
    }
    return preview;
}

// The rows of the file to write, in order, and the result so far (what is skipped).
QList<qsizetype> rowsToWrite(const StoredKeys &stored, const PlayerTable &table, Repeats repeats,
                             ImportResult &result)
{
    const QList<RowFate> fates = fatesOf(stored, table);
    QList<qsizetype> fresh;
    fresh.reserve(table.rows.size());
    result.nameless = table.namelessRows;
    for (qsizetype i = 0; i < table.rows.size(); ++i) {
        if (fates.at(i) == RowFate::Stored)
            ++result.skipped;
        else if (fates.at(i) == RowFate::Repeat && repeats == Repeats::Skip)
            ++result.repeatsSkipped;
        else
            fresh.append(i);
    }
    return fresh;
}

} // namespace

ImportPreview previewImport(Data::DbConnection &players, const PlayerTable &table, int firstRows)
{
    return previewAgainst(storedKeys(players), table, firstRows);
}

ImportPreview previewImport(Data::ServerLink &players, const PlayerTable &table, int firstRows)
{
    return previewAgainst(storedKeys(players), table, firstRows);
}

ImportResult runImport(Data::DbConnection &players, const PlayerTable &table,
                       const ImportProgress &progress, Repeats repeats)
{
    Data::Transaction transaction(players);
    ImportResult result;
    const QList<qsizetype> fresh = rowsToWrite(storedKeys(players), table, repeats, result);
    const qsizetype total = fresh.size();
    if (progress && !progress(0, total)) {
        result.canceled = true;
        return result;
    }
    // A country stored under the id of a player deleted since would pass to the new player
    // given that id.
    if (Data::PlayerCountryStore::exists(players))
        Data::PlayerCountryStore::removeOrphans(players);
    QList<QVariantList> countries;
    PlayerInserter inserter(players);
    for (qsizetype done = 0; done < total;) {
        const qsizetype end = std::min(total, done + kChunk);
        for (qsizetype i = done; i < end; ++i) {
            const PlayerRow &row = table.rows.at(fresh.at(i));
            const qint64 id = inserter.insert(row);
            if (!row.utf8(kCountry).isEmpty())
                countries.append({id, row.at(kCountry)});
        }
        done = end;
        if (progress && !progress(done, total)) {
            // The transaction rolls back as it goes out of scope.
            result.canceled = true;
            return result;
        }
    }
    Data::PlayerCountryStore::writeCountries(players, countries);
    transaction.commit();
    result.imported = total;
    return result;
}

qsizetype exportPlayersCsv(Data::DbConnection &players, const QString &file, Passwords passwords)
{
    const bool leaveOut = passwords == Passwords::LeftOut;
    PlayersCsv csv(file);
    const int columns = int(playerColumns().size());
    const bool countries = Data::PlayerCountryStore::exists(players);
    players.readRows(QStringLiteral("SELECT %1, %2 FROM PlayerInfo ORDER BY rowid")
                         .arg(quotedColumns(), countries ? Data::PlayerCountryStore::countryOf(
                                                               QStringLiteral("PlayerInfo.rowid"))
                                                         : QStringLiteral("NULL")),
                     [&](const Data::RowView &row) {
                         for (int c = 0; c < columns; ++c) {
                             if (c == kPassword && leaveOut) {
                                 csv.null();
                                 continue;
                             }
                             if (row.isNumber(c)) {
                                 csv.number(row.text(c).toUtf8());
                                 continue;
                             }
                             // SQLite hands out no text at all for NULL.
                             const QByteArrayView text = row.utf8(c);
                             if (text.data())
                                 csv.text(text);
                             else
                                 csv.null();
                         }
                         csv.endRow();
                     });
    return csv.commit();
}

ImportResult runImport(Data::ServerLink &players, const PlayerTable &table,
                       const ImportProgress &progress, Repeats repeats)
{
    Data::ServerTransaction transaction(players);
    // One import at a time: two stations importing the same file store it once.
    players.exec(QStringLiteral("LOCK TABLE PlayerInfo IN SHARE ROW EXCLUSIVE MODE"));
    ImportResult result;
    const QList<qsizetype> fresh = rowsToWrite(storedKeys(players), table, repeats, result);
    const qsizetype total = fresh.size();
    if (progress && !progress(0, total)) {
        result.canceled = true;
        return result;
    }
    players.exec(QStringLiteral(
        "DELETE FROM ZuviPlayerCountry WHERE PlayerId NOT IN (SELECT ID FROM PlayerInfo)"));
    // The new players' ids are taken from the table's own sequence at once, so that their
    // countries can be written beside them without asking for each id.
    QList<qint64> ids;
    ids.reserve(total);
    if (total > 0) {
        QSqlQuery &next = players.exec(
            QStringLiteral("SELECT nextval(pg_get_serial_sequence('playerinfo', 'id')) FROM "
                           "generate_series(1, ?)"),
            {qlonglong(total)});
        while (players.next(next))
            ids.append(next.value(0).toLongLong());
        next.finish();
    }
    const QString insert =
        QStringLiteral("INSERT INTO PlayerInfo (ID, %1) VALUES (%2)")
            .arg(bracketedColumns(),
                 QStringList(kTableColumns + 1, QStringLiteral("?")).join(QStringLiteral(", ")));
    QList<QVariantList> countries;
    for (qsizetype done = 0; done < total;) {
        const qsizetype end = std::min(total, done + kChunk);
        QList<QVariantList> rows;
        rows.reserve(end - done);
        for (qsizetype i = done; i < end; ++i) {
            const PlayerRow &row = table.rows.at(fresh.at(i));
            QVariantList values{ids.at(i)};
            values += row.toList().mid(0, kTableColumns);
            rows.append(values);
            if (!row.utf8(kCountry).isEmpty())
                countries.append({ids.at(i), row.at(kCountry)});
        }
        players.execForEach(insert, rows);
        done = end;
        if (progress && !progress(done, total)) {
            result.canceled = true;
            return result;
        }
    }
    players.execForEach(
        QStringLiteral("INSERT INTO ZuviPlayerCountry (PlayerId, Country) VALUES (?, ?)"),
        countries);
    transaction.commit();
    result.imported = total;
    return result;
}

qsizetype exportPlayersCsv(Data::ServerLink &players, const QString &file, Passwords passwords)
{
    const bool leaveOut = passwords == Passwords::LeftOut;
    PlayersCsv csv(file);
    const int columns = int(playerColumns().size());
    QSqlQuery &query = players.exec(
        QStringLiteral("SELECT %1, (SELECT Country FROM ZuviPlayerCountry WHERE PlayerId = "
                       "PlayerInfo.ID) FROM PlayerInfo ORDER BY ID")
            .arg(bracketedColumns()));
    while (players.next(query)) {
        for (int c = 0; c < columns; ++c) {
            const QVariant value = query.value(c);
            if (value.isNull() || (c == kPassword && leaveOut))
                csv.null();
            else if (value.typeId() != QMetaType::QString)
                csv.number(value.toString().toUtf8());
            else
                csv.text(value.toString().toUtf8());
        }
        csv.endRow();
    }
    query.finish();
    return csv.commit();
}

QString playerCount(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 player") : QStringLiteral("%1 players").arg(count);
}

QString rowCount(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(count);
}

QString importSummary(const ImportResult &result)
{
    QStringList skipped{QStringLiteral("%1 already stored").arg(playerCount(result.skipped))};
    if (result.repeatsSkipped > 0)
        skipped.append((result.repeatsSkipped == 1
                            ? QStringLiteral("1 row that repeats")
                            : QStringLiteral("%1 rows that repeat").arg(result.repeatsSkipped)) +
                       QStringLiteral(" an earlier row of the file"));
    if (result.nameless > 0)
        skipped.append(QStringLiteral("%1 without a name").arg(rowCount(result.nameless)));
    const QString last = skipped.takeLast();
    const QString listed =
        skipped.isEmpty() ? last
                          : skipped.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Imported %1; skipped %2.").arg(playerCount(result.imported), listed);
}

QString exportSummary(qsizetype count, const QString &file)
{
    return QStringLiteral("Exported %1 to %2.").arg(playerCount(count), file);
}

} // namespace Zuvi::Players
