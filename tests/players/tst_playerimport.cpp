// Importing players from the old Access file and from CSV, and exporting them, through
// the real readers, the import and the export over a temporary install: every column of
// the legacy rows, CSV's quoting, byte-order mark, separators and line breaks, each kind of
// bad file, the duplicate test, rows without a name and rows that repeat an earlier row,
// the players' countries, a cancelled import, the round trip of an export, and the two
// commands of the command line.

#include "support/childprocess.h"
#include "support/testsupport.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "players/accessreader.h"
#include "players/playercommands.h"
#include "players/playerfile.h"
#include "players/playerimport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <unistd.h>

Q_DECLARE_METATYPE(Zuvi::Players::Repeats)

using namespace Zuvi;
using Zuvi::Test::runZuvi;
using Zuvi::Test::TempInstall;
using Zuvi::Test::ZuviRun;

namespace {

const QString kPlayers = Data::playersDatabase();
const QVariant kNull;

// Every stored player as a file row: the player table's columns, then the country.
QString selectAll()
{
    return QStringLiteral("SELECT \"First Name\", \"Last Name\", Email, Phone, Address, City, "
                          "State, Zip, Webpage, Username1, Username2, Username3, Birthday, "
                          "Password, \"Allow Email\", (SELECT Country FROM ZuviPlayerCountry "
                          "WHERE PlayerId = PlayerInfo.ID) FROM PlayerInfo ORDER BY ID");
}

QVariant text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// A player as a file row: the names, then column positions with their values; every other
// column NULL and "Allow Email" as given.
QVariantList player(const QVariant &first, const QVariant &last,
                    const QList<std::pair<int, QVariant>> &others = {},
                    const QVariant &allowEmail = 0LL)
{
    QVariantList row(Players::playerColumns().size());
    row[Players::kFirstName] = first;
    row[Players::kLastName] = last;
    for (const auto &[column, value] : others)
        row[column] = value;
    row[Players::kAllowEmail] = allowEmail;
    return row;
}

// Compares values with their kind: NULL only equals NULL, text only text, and
// "Allow Email" as a number.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.typeId() == b.typeId() && a.toString() == b.toString();
    return a.toLongLong() == b.toLongLong();
}

QString describe(const QVariantList &row)
{
    QStringList parts;
    for (const QVariant &value : row)
        parts.append(value.isNull() ? QStringLiteral("NULL")
                     : value.typeId() == QMetaType::QString
                         ? QLatin1Char('"') + value.toString() + QLatin1Char('"')
                         : value.toString());
    return parts.join(QStringLiteral(", "));
}

bool sameRows(const QList<QVariantList> &actual, const QList<QVariantList> &expected)
{
    bool same = actual.size() == expected.size();
    for (qsizetype r = 0; same && r < actual.size(); ++r) {
        same = actual.at(r).size() == expected.at(r).size();
        for (qsizetype c = 0; same && c < actual.at(r).size(); ++c)
            same = sameValue(actual.at(r).at(c), expected.at(r).at(c));
    }
    if (!same) {
        for (const QVariantList &row : actual)
            qWarning("actual:   %s", qPrintable(describe(row)));
        for (const QVariantList &row : expected)
            qWarning("expected: %s", qPrintable(describe(row)));
    }
    return same;
}

bool sameRows(const QList<Players::PlayerRow> &actual, const QList<QVariantList> &expected)
{
    return sameRows(Players::rowValues(actual), expected);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray legacyBytes()
{
    QFile file(QStringLiteral(ZUVI_LEGACY_MDB));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the legacy fixture is missing: %s", ZUVI_LEGACY_MDB);
    return file.readAll();
}

// The four rows of the legacy file, every column as it must be stored.
QList<QVariantList> legacyRows()
{
    using namespace Players;
    return {
        player(text("Ada"), text("Lovelace"),
               {{kEmail, text("ada@example.org")},
                {3, text("555-0100")},
                {4, text("12 St James's Sq")},
                {5, text("London")},
                // Stored as empty text in the file, which is not NULL.
                {6, text("")},
                {7, text("SW1Y")},
                {8, text("http://example.org/ada")},
                {9, text("ada1")},
                {12, text("1980-12-10")},
                {13, text("secret")}},
               1LL),
        player(text("Zoë"), text("Ångström"),
               {{kEmail, text("zoe@example.org")},
                {4, text("Kungsgatan 1")},
                {5, text("Göteborg")},
                {7, text("41119")},
                {9, text("zoe")},
                {10, text("zoe_a")},
                {11, text("ångström")},
                {12, text("1975-02-28")}},
               0LL),
        player(text("Дмитрий"), text("Иванов"), {{5, text("Москва")}}, 0LL),
        player(text("太郎"), text("山田"),
               {{kEmail, text("taro@example.jp")}, {5, text("東京")}, {12, text("2001-01-31")}},
               1LL),
    };
}

// The legacy rows as an export without passwords writes them: the column kept, empty.
QList<QVariantList> withoutPasswords(QList<QVariantList> rows)
{
    for (QVariantList &row : rows)
        row[Players::kPassword] = QVariant();
    return rows;
}

// True when nobody but the file's owner may read or write it.
bool ownerOnly(const QString &file)
{
    return (QFile::permissions(file) & 0x0077).toInt() == 0;
}

qsizetype storedCount()
{
    Data::DbConnection connection(kPlayers);
    QSqlQuery query = connection.exec(QStringLiteral("SELECT count(*) FROM PlayerInfo"));
    return connection.next(query) ? query.value(0).toLongLong() : -1;
}

Players::ImportResult import(const QString &file, const Players::ImportProgress &progress = {})
{
    const Players::PlayerTable table = Players::readPlayerFile(file);
    Data::DbConnection connection(kPlayers);
    return Players::runImport(connection, table, progress);
}

} // namespace

class TestPlayerImport final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void legacyRowArrivesExact_data();
    void legacyRowArrivesExact();
    void accessDates_data();
    void accessDates();
    void csvReadsAsStored_data();
    void csvReadsAsStored();
    void badFileIsRefusedAndNothingWritten_data();
    void badFileIsRefusedAndNothingWritten();
    void duplicatesAreSkipped();
    void namelessRowsAndRepeatsAreCounted_data();
    void namelessRowsAndRepeatsAreCounted();
    void countriesAreExportedAndImported();
    void countryTableIsAddedAtStartUp_data();
    void countryTableIsAddedAtStartUp();
    void playerStoredAfterPreviewIsSkipped();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void exportReadsBackExactly();
    void formulaSignsAreGuardedAndReadBack_data();
    void formulaSignsAreGuardedAndReadBack();
    void exportToUnwritablePlaceWritesNothing();
    void exportIsPrivateAndLeavesOutPasswordsUnlessAsked_data();
    void exportIsPrivateAndLeavesOutPasswordsUnlessAsked();
    void commandLineImportsAndExports();
    void commandLineReportsBadFile();
    void zuviBinaryRunsTheCommands();
};

void TestPlayerImport::legacyRowArrivesExact_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("plain ASCII, apostrophe, empty State") << 0;
    QTest::newRow("Latin-1 letters stored compressed") << 1;
    QTest::newRow("Cyrillic, NULL nearly everywhere") << 2;
    QTest::newRow("CJK") << 3;
}

void TestPlayerImport::legacyRowArrivesExact()
{
    QFETCH(int, row);
    TempInstall install;
    QTemporaryDir dir;
    const QString file = writeFile(dir, QStringLiteral("players.mdb"), legacyBytes());

    const Players::ImportResult result = import(file);
    QCOMPARE(result.imported, 4);
    QCOMPARE(result.skipped, 0);
    const QList<QVariantList> stored = install.rows(kPlayers, selectAll());
    QCOMPARE(stored.size(), 4);
    QVERIFY(sameRows(QList<QVariantList>{stored.at(row)}, {legacyRows().at(row)}));
}

void TestPlayerImport::accessDates_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("expected"); // null: no valid date
    QTest::newRow("midnight: the date alone") << 29565.0 << QStringLiteral("1980-12-10");
    QTest::newRow("noon: the time added") << 29565.5 << QStringLiteral("1980-12-10 12:00:00");
    QTest::newRow("the first day of the count") << 0.0 << QStringLiteral("1899-12-30");
    QTest::newRow("before the count, with a time")
        << -1.25 << QStringLiteral("1899-12-29 06:00:00");
    QTest::newRow("a second before midnight rounds to the second")
        << 29565.0 + 86399.4 / 86400.0 << QStringLiteral("1980-12-10 23:59:59");
    QTest::newRow("the last day Access takes") << 2958465.0 << QStringLiteral("9999-12-31");
    QTest::newRow("past the year 9999") << 2958466.0 << QString();
    QTest::newRow("before the year 100") << -657435.0 << QString();
    QTest::newRow("not a number") << std::nan("") << QString();
}

void TestPlayerImport::accessDates()
{
    QFETCH(double, days);
    QFETCH(QString, expected);
    const std::optional<QString> actual = Players::accessDateText(days);
    QCOMPARE(actual.has_value(), !expected.isNull());
    if (actual)
        QCOMPARE(*actual, expected);
}

void TestPlayerImport::csvReadsAsStored_data()
{
    using namespace Players;
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<QVariantList>>("expected");
    QTest::addColumn<QStringList>("ignored");
    QTest::addColumn<int>("blankRows");

    QTest::newRow("comma, CRLF line ends")
        << QByteArray("First Name,Last Name\r\nAda,Lovelace\r\nAlan,Turing\r\n")
        << QList<QVariantList>{player(text("Ada"), text("Lovelace")),
                               player(text("Alan"), text("Turing"))}
        << QStringList() << 0;
    QTest::newRow("semicolon, LF, no line end at the end")
        << QByteArray("First Name;Last Name;Email\nZoë;Ångström;zoe@example.org")
        << QList<QVariantList>{player(text("Zoë"), text("Ångström"),
                                      {{kEmail, text("zoe@example.org")}})}
        << QStringList() << 0;
    QTest::newRow("byte-order mark before the header")
        << QByteArray("\xEF\xBB\xBF"
                      "First Name,Last Name\nДмитрий,Иванов\n")
        << QList<QVariantList>{player(text("Дмитрий"), text("Иванов"))} << QStringList() << 0;
    QTest::newRow("lone CR line ends")
        << QByteArray("First Name,Last Name\rA,B\rC,D")
        << QList<QVariantList>{player(text("A"), text("B")), player(text("C"), text("D"))}
        << QStringList() << 0;
    QTest::newRow("quoted comma, quote and semicolon")
        << QByteArray("\"First Name\",\"Last Name\",Address\n\"Smith, Jr.\",\"O\"\"Brien\","
                      "\"1; 2\"\n")
        << QList<QVariantList>{player(text("Smith, Jr."), text("O\"Brien"), {{4, text("1; 2")}})}
        << QStringList() << 0;
    QTest::newRow("line breaks inside quotes are kept")
        << QByteArray("First Name,Last Name,Address\r\nAda,Lovelace,\"12 St James's Sq\r\n"
                      "London\"\r\nAlan,Turing,\"Bletchley\nPark\"\r\n")
        << QList<QVariantList>{player(text("Ada"), text("Lovelace"),
                                      {{4, text("12 St James's Sq\r\nLondon")}}),
                               player(text("Alan"), text("Turing"), {{4, text("Bletchley\nPark")}})}
        << QStringList() << 0;
    QTest::newRow("empty unquoted field is NULL, quoted empty field is empty text")
        << QByteArray("First Name,Last Name,Email\nAda,,\"\"\n")
        << QList<QVariantList>{player(text("Ada"), kNull, {{kEmail, text("")}})} << QStringList()
        << 0;
    QTest::newRow("blanks around a value belong to it")
        << QByteArray("First Name,Last Name\n  Ada , Lovelace\t\n")
        << QList<QVariantList>{player(text("  Ada "), text(" Lovelace\t"))} << QStringList() << 0;
    QTest::newRow("header in any case; unknown columns listed and ignored")
        << QByteArray("first name, LAST NAME ,Country,email,Notes\nAda,Lovelace,UK,a@b,x\n")
        << QList<QVariantList>{player(text("Ada"), text("Lovelace"),
                                      {{kEmail, text("a@b")}, {kCountry, text("UK")}})}
        << QStringList{QStringLiteral("Notes")} << 0;
    QTest::newRow("Allow Email as yes/no words and numbers; empty stays NULL")
        << QByteArray("Last Name,Allow Email\nA,yes\nB,No\nC,TRUE\nD,0\nE,-1\nF,\n")
        << QList<QVariantList>{player(kNull, text("A"), {}, 1LL),
                               player(kNull, text("B"), {}, 0LL),
                               player(kNull, text("C"), {}, 1LL),
                               player(kNull, text("D"), {}, 0LL),
                               player(kNull, text("E"), {}, 1LL),
                               player(kNull, text("F"), {}, kNull)}
        << QStringList() << 0;
    QTest::newRow("every column, in another order")
        << QByteArray("Country,Allow Email,Password,Birthday,Username3,Username2,Username1,"
                      "Webpage,Zip,State,City,Address,Phone,Email,Last Name,First Name\n"
                      "co,1,pw,1980-12-10,u3,u2,u1,w,z,s,c,a,p,e,l,f\n")
        << QList<QVariantList>{QVariantList{text("f"), text("l"), text("e"), text("p"), text("a"),
                                            text("c"), text("s"), text("z"), text("w"), text("u1"),
                                            text("u2"), text("u3"), text("1980-12-10"), text("pw"),
                                            1LL, text("co")}}
        << QStringList() << 0;
    QTest::newRow("empty lines and rows of empty fields left out")
        << QByteArray("First Name,Last Name\n\nAda,Lovelace\n,,\n\"\",\n")
        << QList<QVariantList>{player(text("Ada"), text("Lovelace"))} << QStringList() << 2;
    QTest::newRow("a trailing empty field is no column")
        << QByteArray("First Name,Last Name\nAda,Lovelace,\n")
        << QList<QVariantList>{player(text("Ada"), text("Lovelace"))} << QStringList() << 0;
    QTest::newRow("fewer fields than columns: the rest NULL")
        << QByteArray("First Name,Last Name,Email\nAda\n")
        << QList<QVariantList>{player(text("Ada"), kNull)} << QStringList() << 0;
    QTest::newRow("the header alone: no players")
        << QByteArray("First Name,Last Name\r\n") << QList<QVariantList>() << QStringList() << 0;
}

void TestPlayerImport::csvReadsAsStored()
{
    QFETCH(QByteArray, csv);
    QFETCH(QList<QVariantList>, expected);
    QFETCH(QStringList, ignored);
    QFETCH(int, blankRows);
    TempInstall install;
    QTemporaryDir dir;
    const QString file = writeFile(dir, QStringLiteral("players.csv"), csv);

    const Players::PlayerTable table = Players::readPlayerFile(file);
    QCOMPARE(table.ignoredColumns, ignored);
    QCOMPARE(table.blankRows, blankRows);
    QVERIFY(sameRows(table.rows, expected));

    // What is read is what is stored.
    Data::DbConnection connection(kPlayers);
    const Players::ImportResult result = Players::runImport(connection, table);
    QCOMPARE(result.imported, expected.size());
    QVERIFY(sameRows(install.rows(kPlayers, selectAll()), expected));
}

void TestPlayerImport::badFileIsRefusedAndNothingWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("cause");

    const QByteArray mdb = legacyBytes();
    QByteArray renamed = mdb;
    const QByteArray tableName = QByteArray("P\0l\0a\0y\0e\0r\0I\0n\0f\0o\0", 20);
    QVERIFY(renamed.count(tableName) == 1);
    renamed.replace(tableName, QByteArray("P\0l\0a\0y\0e\0r\0D\0a\0t\0a\0", 20));

    QTest::newRow("empty file") << "players.csv" << QByteArray() << "the file is empty";
    QTest::newRow("a picture") << "players.csv" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                               << "it is neither an Access database nor a CSV file";
    QTest::newRow("text named .mdb")
        << "players.mdb" << QByteArray("First Name\nAda\n") << "it is not an Access database";
    QTest::newRow("Access file without PlayerInfo")
        << "players.mdb" << renamed << "it has no table PlayerInfo";
    QTest::newRow("Access file cut in the middle of a page")
        << "players.mdb" << mdb.left(40000) << "it is damaged or truncated";
    QTest::newRow("Access file cut before its table")
        << "players.mdb" << mdb.left(16 * 4096) << "it is damaged or truncated";
    QTest::newRow("Access file cut before its rows")
        << "players.mdb" << mdb.left(26 * 4096) << "it is damaged or truncated";
    QTest::newRow("Access file of its first page alone")
        << "players.mdb" << mdb.left(4096) << "it is damaged or truncated";
    QTest::newRow("no usable column")
        << "players.csv" << QByteArray("Name,E-mail\nAda,a@b\n") << "no usable column";
    QTest::newRow("no header row")
        << "players.csv" << QByteArray("\r\n\r\n") << "it holds no header row";
    QTest::newRow("a column named twice") << "players.csv" << QByteArray("Email,First Name,EMAIL\n")
                                          << "the column \"Email\" is named twice";
    QTest::newRow("unclosed quote: its line")
        << "players.csv"
        << QByteArray("First Name,Last Name\r\nAda,\"Love\r\nlace\"\r\nAlan,\"Turing\r\nGrace,"
                      "Hopper\r\n")
        << "line 4: a quoted field begins here and is never closed";
    QTest::newRow("stray quote inside a field")
        << "players.csv" << QByteArray("First Name,Last Name\nAda,Love\"lace\n")
        << "line 2: a quote mark stands inside a field";
    QTest::newRow("text after a closing quote")
        << "players.csv" << QByteArray("First Name,Last Name\nAda,Lovelace\n\"Al\"an,T\n")
        << "line 3: a quote mark stands inside a field";
    QTest::newRow("not UTF-8") << "players.csv" << QByteArray("First Name\nAda\nZo\xEB\n")
                               << "line 3: it is not UTF-8";
    QTest::newRow("UTF-16") << "players.csv"
                            << QByteArray("\xFF\xFE"
                                          "F\0i\0",
                                          6)
                            << "it is UTF-16 text";
    QTest::newRow("Allow Email neither yes nor no")
        << "players.csv" << QByteArray("First Name,Allow Email\nAda,1\nAlan,maybe\n")
        << "line 3: \"Allow Email\" is \"maybe\"";
    QTest::newRow("more fields than columns")
        << "players.csv" << QByteArray("First Name,Last Name\nAda,Lovelace,London\n")
        << "line 2: it has 3 fields, but the header row names 2 columns";
    QTest::newRow("a folder") << "folder" << QByteArray() << "it is not a file";
    QTest::newRow("a missing file") << "missing" << QByteArray() << "it cannot be read";
}

void TestPlayerImport::badFileIsRefusedAndNothingWritten()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cause);
    TempInstall install;
    install.addPlayers({{QStringLiteral("Grace"), QStringLiteral("Hopper")}});
    const QList<QVariantList> before = install.rows(kPlayers, selectAll());
    QTemporaryDir dir;
    QString file = dir.filePath(name);
    if (name == QStringLiteral("folder"))
        QVERIFY(QDir(dir.path()).mkdir(name));
    else if (name != QStringLiteral("missing"))
        file = writeFile(dir, name, bytes);

    try {
        import(file);
        QFAIL("the file was taken");
    } catch (const Players::FileError &error) {
        QCOMPARE(error.file(), file);
        QVERIFY2(error.text().startsWith(file + QStringLiteral(": ")), qPrintable(error.text()));
        QVERIFY2(error.cause().startsWith(cause), qPrintable(error.cause()));
    }
    QVERIFY(sameRows(install.rows(kPlayers, selectAll()), before));
}

void TestPlayerImport::duplicatesAreSkipped()
{
    TempInstall install;
    QTemporaryDir dir;
    const QString mdb = writeFile(dir, QStringLiteral("players.mdb"), legacyBytes());
    QCOMPARE(import(mdb).imported, 4);

    // Same first name, last name and e-mail, compared exactly: only the first two rows are
    // stored already; case, blanks, another e-mail and empty text for NULL all differ. (The
    // rows that differ by blanks and by empty text repeat a row of the file: they are
    // imported here as the organiser may choose.)
    const QString csv = writeFile(dir, QStringLiteral("players.csv"),
                                  "First Name,Last Name,Email,City\n"
                                  "Ada,Lovelace,ada@example.org,Paris\n"
                                  "Дмитрий,Иванов,,Minsk\n"
                                  "ada,Lovelace,ada@example.org,\n"
                                  "Ada ,Lovelace,ada@example.org,\n"
                                  "Ada,Lovelace,ada@example.com,\n"
                                  "Дмитрий,Иванов,\"\",\n");
    const Players::PlayerTable table = Players::readPlayerFile(csv);
    Data::DbConnection connection(kPlayers);
    const Players::ImportPreview preview = Players::previewImport(connection, table);
    QCOMPARE(preview.newPlayers + preview.repeats, 4);
    QCOMPARE(preview.alreadyStored, 2);
    QCOMPARE(preview.firstRows.size(), 4);
    QCOMPARE(preview.firstRows.first().at(0).toString(), QStringLiteral("ada"));

    const Players::ImportResult result =
        Players::runImport(connection, table, {}, Players::Repeats::Import);
    QCOMPARE(result.imported, 4);
    QCOMPARE(result.skipped, 2);
    QCOMPARE(storedCount(), 8);
    // The stored players kept their own values.
    QCOMPARE(install
                 .rows(kPlayers, QStringLiteral("SELECT count(*) FROM PlayerInfo WHERE City "
                                                "IN ('Paris', 'Minsk')"))
                 .first()
                 .first()
                 .toInt(),
             0);

    // A second run finds every one of them stored.
    const Players::ImportResult again =
        Players::runImport(connection, table, {}, Players::Repeats::Import);
    QCOMPARE(again.imported, 0);
    QCOMPARE(again.skipped, 6);
    QCOMPARE(storedCount(), 8);
}

void TestPlayerImport::namelessRowsAndRepeatsAreCounted_data()
{
    QTest::addColumn<Players::Repeats>("repeats");
    QTest::addColumn<QStringList>("stored"); // "Last, First <e-mail>" in the order written
    QTest::addColumn<QString>("summary");
    QTest::newRow("repeats not chosen: only the first of each is written")
        << Players::Repeats::Skip
        << QStringList{"Lovelace, Ada <ada@example.org>", "Turing, Alan <NULL>",
                       "Hopper, Grace <g@navy.mil>"}
        << "Imported 3 players; skipped 1 player already stored, 4 rows that repeat an earlier "
           "row of the file and 2 rows without a name.";
    QTest::newRow("repeats chosen: written as they stand")
        << Players::Repeats::Import << QStringList{"Lovelace, Ada <ada@example.org>",
                                                   "Turing, Alan <NULL>",
                                                   " Lovelace ,  Ada  <ada@example.org >",
                                                   "Turing, Alan <>",
                                                   "Hopper, Grace <g@navy.mil>",
                                                   "Hopper, \u00a0Grace\u3000 <g@navy.mil>",
                                                   "Lovelace, Ada <ada@example.org>"}
        << "Imported 7 players; skipped 1 player already stored and 2 rows without a name.";
}

void TestPlayerImport::namelessRowsAndRepeatsAreCounted()
{
    QFETCH(Players::Repeats, repeats);
    QFETCH(QStringList, stored);
    QFETCH(QString, summary);
    TempInstall install;
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email) "
                                "VALUES ('Edsger', 'Dijkstra', 'ewd@example.nl')"));
    QTemporaryDir dir;
    // Blanks around the names and the e-mail (a space or a tab, or a no-break or wide space),
    // and empty text for NULL, make a repeat; case does not. A row with blanks for both names, or
    // an e-mail alone, has no name.
    const QString csv = writeFile(dir, QStringLiteral("players.csv"),
                                  "First Name,Last Name,Email,City\n"
                                  "Ada,Lovelace,ada@example.org,London\n"
                                  "Alan,Turing,,\n"
                                  "   ,\t,lost@example.org,Nowhere\n"
                                  " Ada , Lovelace ,ada@example.org ,Paris\n"
                                  "Alan,Turing,\"\",\n"
                                  ",,,Somewhere\n"
                                  "Grace,Hopper,g@navy.mil,\n"
                                  "\xC2\xA0Grace\xE3\x80\x80,Hopper,g@navy.mil,\n"
                                  "Edsger,Dijkstra,ewd@example.nl,\n"
                                  "Ada,Lovelace,ada@example.org,London\n");
    const Players::PlayerTable table = Players::readPlayerFile(csv);
    QCOMPARE(table.namelessRows, 2);
    QCOMPARE(table.blankRows, 0);
    QCOMPARE(table.rows.size(), 8);

    Data::DbConnection connection(kPlayers);
    const Players::ImportPreview preview = Players::previewImport(connection, table);
    QCOMPARE(preview.newPlayers, 3);
    QCOMPARE(preview.alreadyStored, 1);
    QCOMPARE(preview.repeats, 4);
    QCOMPARE(preview.firstRowRepeats, (QList<bool>{false, false, true, true, false, true, true}));

    const Players::ImportResult result = Players::runImport(connection, table, {}, repeats);
    QCOMPARE(Players::importSummary(result), summary);
    QStringList names;
    const auto rows = install.rows(
        kPlayers, QStringLiteral("SELECT \"Last Name\" || ', ' || \"First Name\" || ' <' || "
                                 "coalesce(Email, 'NULL') || '>' FROM PlayerInfo ORDER BY ID"));
    for (const QVariantList &row : rows)
        names.append(row.at(0).toString());
    QCOMPARE(names, QStringList{"Dijkstra, Edsger <ewd@example.nl>"} + stored);
}

void TestPlayerImport::countriesAreExportedAndImported()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ada"), QStringLiteral("Lovelace")},
                        {QStringLiteral("Alan"), QStringLiteral("Turing")},
                        {QStringLiteral("Zoë"), QStringLiteral("Ångström")}});
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO ZuviPlayerCountry(PlayerId, Country) VALUES (1, ?), "
                                "(3, ?)"),
                 {QStringLiteral("England"), QStringLiteral("Sverige, \"Norden\"")});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.csv"));
    {
        Data::DbConnection connection(kPlayers);
        QCOMPARE(Players::exportPlayersCsv(connection, file, Players::Passwords::Included), 3);
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QVERIFY(lines.at(0).endsWith(",\"Allow Email\",\"Country\"\r"));
    QVERIFY(lines.at(1).endsWith(",0,\"England\"\r"));
    QVERIFY(lines.at(2).endsWith(",0,\r"));
    QVERIFY(lines.at(3).endsWith(",0,\"Sverige, \"\"Norden\"\"\"\r"));

    // Into another install, each player arrives with its country; a country left behind
    // by a player deleted there does not pass to the new player given its id.
    TempInstall other;
    other.addPlayers({{QStringLiteral("Old"), QStringLiteral("Player")}});
    other.exec(kPlayers, QStringLiteral("INSERT INTO ZuviPlayerCountry VALUES (1, 'Atlantis'), "
                                        "(2, 'Lemuria')"));
    other.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo"));
    const Players::PlayerTable table = Players::readPlayerFile(file);
    Data::DbConnection connection(kPlayers);
    QCOMPARE(Players::runImport(connection, table).imported, 3);
    QCOMPARE(
        other.rows(kPlayers, QStringLiteral("SELECT ID, \"First Name\", coalesce((SELECT "
                                            "Country FROM ZuviPlayerCountry WHERE PlayerId "
                                            "= ID), '(none)') FROM PlayerInfo ORDER BY ID")),
        (QList<QVariantList>{{1, QStringLiteral("Ada"), QStringLiteral("England")},
                             {2, QStringLiteral("Alan"), QStringLiteral("(none)")},
                             {3, QStringLiteral("Zoë"), QStringLiteral("Sverige, \"Norden\"")}}));
    QCOMPARE(other.rows(kPlayers, QStringLiteral("SELECT count(*) FROM ZuviPlayerCountry")),
             QList<QVariantList>{{2}});
}

void TestPlayerImport::countryTableIsAddedAtStartUp_data()
{
    QTest::addColumn<bool>("hasTable");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("error"); // 0: none
    QTest::newRow("a file from before: the table is added") << false << false << 0;
    QTest::newRow("a read-only file that has it is only read") << true << true << 0;
    QTest::newRow("a read-only file without it is reported and left alone") << false << true << 8;
}

void TestPlayerImport::countryTableIsAddedAtStartUp()
{
    QFETCH(bool, hasTable);
    QFETCH(bool, readOnly);
    QFETCH(int, error);
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ada"), QStringLiteral("Lovelace")}});
    if (!hasTable)
        install.exec(kPlayers, QStringLiteral("DROP TABLE ZuviPlayerCountry"));
    const QString path = install.file(kPlayers);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    if (readOnly && ::geteuid() == 0)
        QSKIP("root writes any file whatever its mode");
    if (readOnly)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));

    int code = 0;
    try {
        Data::ensureDatabases();
    } catch (const Data::DbError &failure) {
        code = failure.code();
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(code, error);
    const auto tables = install.rows(
        kPlayers,
        QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'ZuviPlayerCountry'"));
    QCOMPARE(tables.size(), hasTable || error == 0 ? 1 : 0);
    QCOMPARE(storedCount(), 1);
    if (readOnly) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void TestPlayerImport::playerStoredAfterPreviewIsSkipped()
{
    TempInstall install;
    QTemporaryDir dir;
    const QString csv = writeFile(dir, QStringLiteral("players.csv"),
                                  "First Name,Last Name\nAda,Lovelace\nAlan,Turing\n");
    const Players::PlayerTable table = Players::readPlayerFile(csv);
    Data::DbConnection connection(kPlayers);
    QCOMPARE(Players::previewImport(connection, table).newPlayers, 2);

    install.addPlayers({{QStringLiteral("Alan"), QStringLiteral("Turing")}});
    const Players::ImportResult result = Players::runImport(connection, table);
    QCOMPARE(result.imported, 1);
    QCOMPARE(result.skipped, 1);
    QCOMPARE(storedCount(), 2);
}

void TestPlayerImport::cancelWritesNothing_data()
{
    QTest::addColumn<qsizetype>("cancelAt");
    QTest::newRow("before the first row") << qsizetype(0);
    QTest::newRow("after the first rows") << qsizetype(2000);
    QTest::newRow("after the last row, before the commit") << qsizetype(5000);
}

void TestPlayerImport::cancelWritesNothing()
{
    QFETCH(qsizetype, cancelAt);
    TempInstall install;
    install.addPlayers({{QStringLiteral("Grace"), QStringLiteral("Hopper")}});
    QTemporaryDir dir;
    QByteArray csv("First Name,Last Name,Email\n");
    for (int i = 0; i < 5000; ++i)
        csv += "Player,Number " + QByteArray::number(i) + ",p" + QByteArray::number(i) + "@x\n";
    const QString file = writeFile(dir, QStringLiteral("players.csv"), csv);

    QList<qsizetype> reports;
    const Players::ImportResult result = import(file, [&](qsizetype done, qsizetype total) {
        reports.append(done);
        return !(total == 5000 && done == cancelAt);
    });
    QVERIFY(result.canceled);
    QCOMPARE(result.imported, 0);
    QCOMPARE(reports.last(), cancelAt);
    QCOMPARE(storedCount(), 1);

    // Without cancelling, the same file is written whole, with progress to its end.
    reports.clear();
    const Players::ImportResult whole = import(file, [&](qsizetype done, qsizetype) {
        reports.append(done);
        return true;
    });
    QVERIFY(!whole.canceled);
    QCOMPARE(whole.imported, 5000);
    QCOMPARE(reports.first(), 0);
    QCOMPARE(reports.last(), 5000);
    QCOMPARE(storedCount(), 5001);
}

void TestPlayerImport::exportReadsBackExactly()
{
    TempInstall install;
    QTemporaryDir dir;
    QCOMPARE(import(writeFile(dir, QStringLiteral("legacy.mdb"), legacyBytes())).imported, 4);
    // Values that need quoting, blanks, empty text beside NULL, and NULL "Allow Email".
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email, "
                                "Address, City, State, \"Allow Email\") VALUES (?, ?, ?, ?, ?, "
                                "?, ?)"),
                 {QStringLiteral(" O\"Brien, \"\"Jr.\" "), QStringLiteral("Smith;\tx"),
                  QStringLiteral(""), QStringLiteral("1 Road\r\nTown\nCounty\r"),
                  QStringLiteral("=1+2"), QStringLiteral("\"\""), QVariant()});
    const QList<QVariantList> stored = install.rows(kPlayers, selectAll());
    QCOMPARE(stored.size(), 5);

    const QString file = dir.filePath(QStringLiteral("export.csv"));
    {
        Data::DbConnection connection(kPlayers);
        QCOMPARE(Players::exportPlayersCsv(connection, file, Players::Passwords::Included), 5);
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    QVERIFY(bytes.startsWith("\"First Name\",\"Last Name\",\"Email\",\"Phone\",\"Address\","
                             "\"City\",\"State\",\"Zip\",\"Webpage\",\"Username1\","
                             "\"Username2\",\"Username3\",\"Birthday\",\"Password\","
                             "\"Allow Email\",\"Country\"\r\n\"Ada\",\"Lovelace\","));
    QVERIFY(bytes.endsWith(",,,,,,,,\r\n"));

    // Read back, the export is every stored player, every value exact...
    const Players::PlayerTable table = Players::readPlayerFile(file);
    QVERIFY(sameRows(table.rows, stored));
    // ...so importing it finds every player already stored...
    Data::DbConnection connection(kPlayers);
    const Players::ImportPreview preview = Players::previewImport(connection, table);
    QCOMPARE(preview.newPlayers, 0);
    QCOMPARE(preview.alreadyStored, 5);

    // ...and into an empty install it stores the same table.
    TempInstall other;
    Data::DbConnection fresh(kPlayers);
    QCOMPARE(Players::runImport(fresh, table).imported, 5);
    QVERIFY(sameRows(other.rows(kPlayers, selectAll()), stored));
}

void TestPlayerImport::formulaSignsAreGuardedAndReadBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("=") << "=1+2" << QByteArray("\"'=1+2\"");
    QTest::newRow("+") << "+44 20" << QByteArray("\"'+44 20\"");
    QTest::newRow("-") << "-5" << QByteArray("\"'-5\"");
    QTest::newRow("@") << "@home" << QByteArray("\"'@home\"");
    QTest::newRow("tab") << "\tTab" << QByteArray("\"'\tTab\"");
    QTest::newRow("carriage return") << "\rCR" << QByteArray("\"'\rCR\"");
    QTest::newRow("one apostrophe before a sign") << "'=x" << QByteArray("\"''=x\"");
    QTest::newRow("two apostrophes before a sign") << "''+y" << QByteArray("\"'''+y\"");
    QTest::newRow("an apostrophe before a letter") << "'hello" << QByteArray("\"'hello\"");
    QTest::newRow("an apostrophe alone") << "'" << QByteArray("\"'\"");
    QTest::newRow("a sign inside") << "a=b" << QByteArray("\"a=b\"");
}

void TestPlayerImport::formulaSignsAreGuardedAndReadBack()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, field);
    TempInstall install;
    QTemporaryDir dir;
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", City) "
                                "VALUES (?, ?, ?)"),
                 {value, QStringLiteral("Lovelace"), value});
    const QList<QVariantList> stored = install.rows(kPlayers, selectAll());
    const QString file = dir.filePath(QStringLiteral("export.csv"));
    {
        Data::DbConnection connection(kPlayers);
        QCOMPARE(Players::exportPlayersCsv(connection, file, Players::Passwords::Included), 1);
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    // The row's first field, as a spreadsheet reads it: text, not a formula.
    QVERIFY2(bytes.contains("\r\n" + field + ",\"Lovelace\""), bytes.constData());

    // Zuvi's own import reads it back exactly.
    const Players::PlayerTable table = Players::readPlayerFile(file);
    QVERIFY(sameRows(table.rows, stored));
    TempInstall other;
    Data::DbConnection fresh(kPlayers);
    QCOMPARE(Players::runImport(fresh, table).imported, 1);
    QVERIFY(sameRows(other.rows(kPlayers, selectAll()), stored));
}

void TestPlayerImport::exportToUnwritablePlaceWritesNothing()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Grace"), QStringLiteral("Hopper")}});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("missing folder/export.csv"));
    Data::DbConnection connection(kPlayers);
    try {
        Players::exportPlayersCsv(connection, file, Players::Passwords::Included);
        QFAIL("the file was written");
    } catch (const Players::FileError &error) {
        QVERIFY2(error.text().startsWith(file + QStringLiteral(": it cannot be written")),
                 qPrintable(error.text()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestPlayerImport::commandLineImportsAndExports()
{
    // A first run: the installation folder and its databases do not exist yet.
    TempInstall install(false);
    QVERIFY(!QFile::exists(install.file(kPlayers)));
    QTemporaryDir dir;
    const QString mdb = writeFile(dir, QStringLiteral("players.mdb"), legacyBytes());
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);

    QCOMPARE(Players::importPlayersCommand(mdb, outStream, errStream), 0);
    QCOMPARE(out, QStringLiteral("Imported 4 players; skipped 0 players already stored.\n"));
    QCOMPARE(err, QString());
    QVERIFY(sameRows(install.rows(kPlayers, selectAll()), legacyRows()));

    out.clear();
    QCOMPARE(Players::importPlayersCommand(mdb, outStream, errStream), 0);
    QCOMPARE(out, QStringLiteral("Imported 0 players; skipped 4 players already stored.\n"));

    out.clear();
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    QCOMPARE(Players::exportPlayersCommand(csv, Players::Passwords::LeftOut, outStream, errStream),
             0);
    QCOMPARE(out, QStringLiteral("Exported 4 players to %1.\n").arg(csv));
    QCOMPARE(err, QString());
    QVERIFY(sameRows(Players::readPlayerFile(csv).rows, withoutPasswords(legacyRows())));
    out.clear();
    QCOMPARE(Players::exportPlayersCommand(csv, Players::Passwords::Included, outStream, errStream),
             0);
    QVERIFY(sameRows(Players::readPlayerFile(csv).rows, legacyRows()));

    // Columns the table does not have are named.
    out.clear();
    const QString extra =
        writeFile(dir, QStringLiteral("extra.csv"), "Last Name,Notes\nHopper,USA\n");
    QCOMPARE(Players::importPlayersCommand(extra, outStream, errStream), 0);
    QCOMPARE(out, QStringLiteral("Imported 1 player; skipped 0 players already stored.\n"
                                 "Columns not imported: Notes.\n"));

    // Rows without a name and rows that repeat an earlier row are skipped and counted.
    out.clear();
    const QString mixed = writeFile(dir, QStringLiteral("mixed.csv"),
                                    "First Name,Last Name,Email\n"
                                    "Grace,Hopper,g@navy.mil\n"
                                    " ,,nobody@example.org\n"
                                    "Grace , Hopper,g@navy.mil \n"
                                    "Alan,Turing,\n"
                                    "Alan,Turing,\"\"\n");
    QCOMPARE(Players::importPlayersCommand(mixed, outStream, errStream), 0);
    QCOMPARE(out, QStringLiteral("Imported 2 players; skipped 0 players already stored, 2 rows "
                                 "that repeat an earlier row of the file and 1 row without a "
                                 "name.\n"));
    QCOMPARE(err, QString());
}

void TestPlayerImport::exportIsPrivateAndLeavesOutPasswordsUnlessAsked_data()
{
    // Exports were once written readable by everyone, passwords included.
    QTest::addColumn<bool>("included");
    QTest::addColumn<bool>("replacing"); // a file readable by everyone is there already
    QTest::newRow("passwords left out, new file") << false << false;
    QTest::newRow("passwords left out, replacing a readable file") << false << true;
    QTest::newRow("passwords asked for, new file") << true << false;
    QTest::newRow("passwords asked for, replacing a readable file") << true << true;
}

void TestPlayerImport::exportIsPrivateAndLeavesOutPasswordsUnlessAsked()
{
    QFETCH(bool, included);
    QFETCH(bool, replacing);
    TempInstall install;
    QTemporaryDir dir;
    QCOMPARE(import(writeFile(dir, QStringLiteral("players.mdb"), legacyBytes())).imported, 4);
    const QString file = dir.filePath(QStringLiteral("export.csv"));
    if (replacing) {
        writeFile(dir, QStringLiteral("export.csv"), "old");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    {
        Data::DbConnection connection(kPlayers);
        QCOMPARE(Players::exportPlayersCsv(connection, file,
                                           included ? Players::Passwords::Included
                                                    : Players::Passwords::LeftOut),
                 4);
    }
    QVERIFY(ownerOnly(file));
    // The column stays where the import looks for it; only its values go.
    const Players::PlayerTable table = Players::readPlayerFile(file);
    QVERIFY(table.ignoredColumns.isEmpty());
    QVERIFY(sameRows(table.rows, included ? legacyRows() : withoutPasswords(legacyRows())));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().contains("secret"), included);
}

void TestPlayerImport::commandLineReportsBadFile()
{
    TempInstall install(false);
    QTemporaryDir dir;
    const QString file =
        writeFile(dir, QStringLiteral("players.csv"), "First Name,Last Name\nAda,\"Lovelace\n");
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QCOMPARE(Players::importPlayersCommand(file, outStream, errStream), 1);
    QCOMPARE(out, QString());
    QCOMPARE(err, QStringLiteral("zuvi: players not imported: %1: line 2: a quoted field "
                                 "begins here and is never closed\n")
                      .arg(file));
    // Nothing was written, not even the databases.
    QVERIFY(!QFile::exists(install.file(kPlayers)));

    err.clear();
    const QString target = dir.filePath(QStringLiteral("no folder/out.csv"));
    QCOMPARE(
        Players::exportPlayersCommand(target, Players::Passwords::LeftOut, outStream, errStream),
        1);
    QVERIFY2(err.startsWith(QStringLiteral("zuvi: players not exported: %1: it cannot be "
                                           "written")
                                .arg(target)),
             qPrintable(err));
    QVERIFY(!QFile::exists(target));
}

void TestPlayerImport::zuviBinaryRunsTheCommands()
{
    TempInstall install(false);
    QTemporaryDir dir;
    const QString mdb = writeFile(dir, QStringLiteral("players.mdb"), legacyBytes());
    ZuviRun run = runZuvi({QStringLiteral("--import-players"), mdb});
    QVERIFY(run.finished);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, QByteArray("Imported 4 players; skipped 0 players already stored.\n"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(storedCount(), 4);

    const QString csv = dir.filePath(QStringLiteral("players.csv"));
    run = runZuvi({QStringLiteral("--export-players"), csv});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, (QStringLiteral("Exported 4 players to %1.\n").arg(csv)).toUtf8());
    QVERIFY(sameRows(Players::readPlayerFile(csv).rows, withoutPasswords(legacyRows())));
    QVERIFY(ownerOnly(csv));
    // The passwords only when asked for.
    const QString withPasswords = dir.filePath(QStringLiteral("with-passwords.csv"));
    run = runZuvi(
        {QStringLiteral("--export-players"), withPasswords, QStringLiteral("--with-passwords")});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(sameRows(Players::readPlayerFile(withPasswords).rows, legacyRows()));
    QVERIFY(ownerOnly(withPasswords));

    const QString bad = writeFile(dir, QStringLiteral("bad.mdb"), legacyBytes().left(5000));
    run = runZuvi({QStringLiteral("--import-players"), bad});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, QStringLiteral("zuvi: players not imported: %1: it is damaged or truncated\n")
                          .arg(bad)
                          .toUtf8());
    QCOMPARE(storedCount(), 4);
}

QTEST_GUILESS_MAIN(TestPlayerImport)
#include "tst_playerimport.moc"
