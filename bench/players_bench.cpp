// The import of players: a club's spreadsheet of 100,000 players read and written by the
// real CSV reader and import (what "Import players…" and --import-players do after the
// preview), against the floor of inserting the same rows directly through SQLite's C API;
// and the old Access fixture, the only Access file there is (no writer makes a larger one
// here), through the real reader in its child process and the import.

#include "players_bench.h"

#include "benchsupport.h"

#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "players/playerfile.h"
#include "players/playerimport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <cstdio>

using namespace Zuvi;
using Zuvi::Bench::measure;
using Zuvi::Bench::Timing;

namespace {

constexpr int kPlayers = 100000;
constexpr int kReps = 5;
constexpr double kLimitMs = 2000;
constexpr double kFloorRatio = 3;

// A fresh, empty player database, as a first start makes it.
void freshDatabase()
{
    const QString file = Data::databaseFile(Data::playersDatabase());
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
    Data::ensureDatabases();
}

// Every value of a generated player as text, NULL as a null QByteArray; "Allow Email" last.
QList<QList<QByteArray>> makeRows(int count)
{
    static const char *const firsts[] = {"Anna", "Zoë",    "Дмитрий", "太郎", "Siobhán",
                                         "José", "Łukasz", "Renée",   "Kofi", "Priya"};
    static const char *const lasts[] = {"O'Brien", "Ångström",   "Иванов",     "山田",
                                        "Nguyễn",  "de la Cruz", "Smith, Jr.", "\"The Rock\"",
                                        "Müller",  "Okafor"};
    QRandomGenerator random(11);
    QList<QList<QByteArray>> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        rows.append(
            {QByteArray(firsts[i % 10]) + ' ' + n, QByteArray(lasts[(i / 10) % 10]),
             "player" + n + "@example.org",
             i % 3 ? "555-" + QByteArray::number(random.bounded(1000000, 9999999)) : QByteArray(),
             QByteArray::number(random.bounded(1, 2000)) + " Market Street\nFlat 2",
             "Saint-Étienne", i % 4 ? QByteArray("Loire") : QByteArray(),
             QByteArray::number(random.bounded(10000, 99999)),
             i % 5 ? QByteArray() : "https://example.org/~p" + n, "p" + n, QByteArray(),
             QByteArray(),
             "19" + QByteArray::number(random.bounded(50, 99)) + "-0" +
                 QByteArray::number(random.bounded(1, 9)) + "-1" +
                 QByteArray::number(random.bounded(0, 9)),
             "secret", QByteArray::number(i % 2)});
    }
    return rows;
}

// The rows as a spreadsheet saves them: header first, text quoted where it must be, CRLF.
QByteArray toCsv(const QList<QList<QByteArray>> &rows)
{
    QByteArray csv = Players::playerColumns().join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const QList<QByteArray> &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                csv += ',';
            const QByteArray &value = row.at(c);
            if (value.contains(',') || value.contains('"') || value.contains('\n'))
                csv += '"' + QByteArray(value).replace("\"", "\"\"") + '"';
            else if (value.isEmpty() && !value.isNull())
                csv += "\"\"";
            else
                csv += value;
        }
        csv += "\r\n";
    }
    return csv;
}

// The floor: one connection, one transaction, one statement prepared once, each row bound
// and stepped.
void insertDirectly(const QList<QList<QByteArray>> &rows)
{
    sqlite3 *db = nullptr;
    const QByteArray file = QFile::encodeName(Data::databaseFile(Data::playersDatabase()));
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        qFatal("floor: cannot open the database");
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email, Phone, "
                       "Address, City, State, Zip, Webpage, Username1, Username2, Username3, "
                       "Birthday, Password, \"Allow Email\") VALUES "
                       "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (const QList<QByteArray> &row : rows) {
        for (int c = 0; c < 14; ++c) {
            const QByteArray &value = row.at(c);
            if (value.isNull())
                sqlite3_bind_null(insert, c + 1);
            else
                sqlite3_bind_text(insert, c + 1, value.constData(), int(value.size()),
                                  SQLITE_STATIC);
        }
        sqlite3_bind_int(insert, 15, row.at(14).toInt());
        if (sqlite3_step(insert) != SQLITE_DONE)
            qFatal("floor: insert failed: %s", sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("floor: commit failed: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
}

qsizetype importFile(const QString &file)
{
    const Players::PlayerTable table = Players::readPlayerFile(file);
    Data::DbConnection connection(Data::playersDatabase());
    return Players::runImport(connection, table).imported;
}

void printRow(const char *action, const char *scale, const Timing &app, const Timing &floor)
{
    std::printf("%-30s %-30s %10.2f %10.2f - %-9.2f %10.2f %6.2fx %5d\n", action, scale, app.median,
                app.min, app.max, floor.median, floor.median > 0 ? app.median / floor.median : 0.0,
                kReps);
}

// The values of players as read from a file, as text for the floor's binding.
QList<QList<QByteArray>> asBytes(const QList<QVariantList> &players)
{
    QList<QList<QByteArray>> rows;
    for (const QVariantList &player : players) {
        QList<QByteArray> row;
        for (const QVariant &value : player)
            row.append(value.isNull() ? QByteArray() : value.toString().toUtf8());
        rows.append(row);
    }
    return rows;
}

} // namespace

bool benchPlayerFiles(const QString &dataFolder)
{
    const QByteArray previousXdg = qgetenv("XDG_DATA_HOME");
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("import"));
    QDir().mkpath(folder);
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder));

    const QList<QList<QByteArray>> rows = makeRows(kPlayers);
    const QString csvFile = QDir(folder).filePath(QStringLiteral("players.csv"));
    {
        QFile csv(csvFile);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(toCsv(rows)) < 0)
            qFatal("cannot write %s", qPrintable(csvFile));
    }
    qsizetype imported = 0;
    const Timing csvApp = measure(kReps, freshDatabase, [&] { imported = importFile(csvFile); });
    if (imported != kPlayers)
        qFatal("the CSV import wrote %lld players, not %d", qint64(imported), kPlayers);
    const Timing csvFloor = measure(kReps, freshDatabase, [&] { insertDirectly(rows); });

    const QString mdbFile = QDir(folder).filePath(QStringLiteral("legacy-players.mdb"));
    QFile::remove(mdbFile);
    if (!QFile::copy(QStringLiteral(ZUVI_LEGACY_MDB), mdbFile))
        qFatal("cannot copy the legacy Access fixture");
    const Timing mdbApp = measure(kReps, freshDatabase, [&] { imported = importFile(mdbFile); });
    if (imported != 4)
        qFatal("the Access import wrote %lld players, not 4", qint64(imported));
    const QList<QList<QByteArray>> legacyRows =
        asBytes(Players::rowValues(Players::readPlayerFile(mdbFile).rows));
    const Timing mdbFloor = measure(kReps, freshDatabase, [&] { insertDirectly(legacyRows); });

    std::printf("\nimport of players (file read, duplicate test against the stored players, "
                "one transaction; floor: the same rows inserted directly through SQLite)\n");
    printRow("Import players: CSV", "100,000 players, 15 columns", csvApp, csvFloor);
    printRow("Import players: Access .mdb", "4 players (the legacy fixture)", mdbApp, mdbFloor);
    const bool met = csvApp.median <= kLimitMs && csvApp.median <= kFloorRatio * csvFloor.median;
    if (!met)
        std::printf("MISSED: Import players: CSV (target: within %.0f ms and %.0fx its floor)\n",
                    kLimitMs, kFloorRatio);

    qputenv("XDG_DATA_HOME", previousXdg);
    return met;
}
