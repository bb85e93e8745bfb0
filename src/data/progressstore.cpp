#include "data/progressstore.h"

#include "data/dbconnection.h"
#include "data/statements.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

namespace Zuvi::Data::ProgressStore {

namespace {

const char *const kTables[][2] = {
    {"ZuviState", "CREATE TABLE IF NOT EXISTS ZuviState (Key TEXT PRIMARY KEY, Value)"},
    {"ZuviEntrant",
     "CREATE TABLE IF NOT EXISTS ZuviEntrant (Position INTEGER PRIMARY KEY, Name TEXT NOT "
     "NULL, House TEXT NOT NULL, ScoreText TEXT NOT NULL, NameShown INTEGER NOT NULL, "
     "Dropped INTEGER NOT NULL)"},
    {"ZuviSeat", "CREATE TABLE IF NOT EXISTS ZuviSeat (Seat INTEGER PRIMARY KEY, Player1 TEXT "
                 "NOT NULL, Player2 TEXT NOT NULL, Recorded INTEGER NOT NULL)"},
    {"ZuviGame",
     "CREATE TABLE IF NOT EXISTS ZuviGame (Id INTEGER PRIMARY KEY, Round INTEGER NOT NULL, "
     "Pairing INTEGER NOT NULL, Seat INTEGER NOT NULL, Player1 TEXT NOT NULL, Player2 TEXT "
     "NOT NULL, Result1 TEXT NOT NULL, Points1 INTEGER NOT NULL, Power1 REAL NOT NULL, "
     "Power2 REAL NOT NULL)"},
    {"ZuviMissedGame",
     "CREATE TABLE IF NOT EXISTS ZuviMissedGame (Round INTEGER NOT NULL, Pairing INTEGER NOT "
     "NULL, Seat INTEGER NOT NULL, Player1 TEXT NOT NULL, Player2 TEXT NOT NULL, PRIMARY KEY "
     "(Round, Pairing, Seat))"},
    {"ZuviEntrantPlayer", "CREATE TABLE IF NOT EXISTS ZuviEntrantPlayer (Name TEXT PRIMARY KEY, "
                          "PlayerId INTEGER NOT NULL)"},
};

QVariant scalar(const QHash<QString, QVariant> &values, const char *key)
{
    return values.value(QString::fromLatin1(key));
}

} // namespace

void upgrade(DbConnection &connection)
{
    int present = 0;
    {
        QSqlQuery query = connection.exec(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                           "('ZuviState', 'ZuviEntrant', 'ZuviSeat', 'ZuviGame', 'ZuviMissedGame', "
                           "'ZuviEntrantPlayer')"));
        if (connection.next(query))
            present = query.value(0).toInt();
    }
    // A file that has every table is only read, so that a read-only file still opens.
    if (present == int(std::size(kTables)))
        return;
    Transaction transaction(connection);
    for (const auto &table : kTables)
        connection.exec(QString::fromLatin1(table[1]));
    transaction.commit();
}

Progress::State read(DbConnection &connection)
{
    Progress::State state;
    QHash<QString, QVariant> values;
    {
        QSqlQuery query = connection.exec(QStringLiteral("SELECT Key, Value FROM ZuviState"));
        while (connection.next(query))
            values.insert(query.value(0).toString(), query.value(1));
    }
    state.roundsText = scalar(values, "rounds").toString();
    state.roundcounter = qint16(scalar(values, "roundcounter").toInt());
    if (state.roundcounter < 1)
        state.roundcounter = 1;
    state.randomFirst = qint16(scalar(values, "randomFirst").toInt());
    state.started = scalar(values, "started").toBool();
    state.roundOpen = scalar(values, "roundOpen").toBool();
    state.pairingNumber = scalar(values, "pairing").toInt();
    state.clockRunning = scalar(values, "clockRunning").toBool();
    state.clockEndMs = scalar(values, "clockEnd").toLongLong();
    state.clockLeftSeconds = scalar(values, "clockLeft").toLongLong();
    state.avoidRematches = scalar(values, "avoidRematches").toBool();

    connection.readRows(QStringLiteral("SELECT Name, House, ScoreText, NameShown, Dropped FROM "
                                       "ZuviEntrant ORDER BY Position"),
                        [&](const RowView &row) {
                            state.entrants.append({row.text(0), row.text(1), row.text(2),
                                                   row.value(3).toBool(), row.value(4).toBool()});
                        });
    {
        QHash<QString, qint64> players;
        connection.readRows(
            QStringLiteral("SELECT Name, PlayerId FROM ZuviEntrantPlayer"),
            [&](const RowView &row) { players.insert(row.text(0), row.value(1).toLongLong()); });
        for (Progress::Entrant &entrant : state.entrants)
            entrant.playerId = players.value(entrant.name);
    }
    connection.readRows(
        QStringLiteral("SELECT Player1, Player2, Recorded FROM ZuviSeat ORDER BY Seat"),
        [&](const RowView &row) {
            state.seats.append({row.text(0), row.text(1), row.value(2).toBool()});
        });
    connection.readRows(QStringLiteral("SELECT Id, Round, Pairing, Seat, Player1, Player2, "
                                       "Result1, Points1, Power1, Power2 FROM ZuviGame ORDER BY "
                                       "Id"),
                        [&](const RowView &row) {
                            Progress::Game game;
                            game.id = row.value(0).toLongLong();
                            game.round = row.value(1).toInt();
                            game.pairing = row.value(2).toInt();
                            game.seat = row.value(3).toInt();
                            game.player1 = row.text(4);
                            game.player2 = row.text(5);
                            game.result1 = row.text(6);
                            game.points1 = row.value(7).toInt();
                            game.power1 = row.value(8).toDouble();
                            game.power2 = row.value(9).toDouble();
                            state.games.append(game);
                        });
    connection.readRows(QStringLiteral("SELECT Round, Pairing, Seat, Player1, Player2 FROM "
                                       "ZuviMissedGame ORDER BY Round, Pairing, Seat"),
                        [&](const RowView &row) {
                            state.missed.append({row.value(0).toInt(), row.value(1).toInt(),
                                                 row.value(2).toInt(), row.text(3), row.text(4)});
                        });
    return state;
}

void clear(DbConnection &connection)
{
    for (const auto &table : kTables)
        connection.exec(QStringLiteral("DELETE FROM %1").arg(QString::fromLatin1(table[0])));
}

void writeScalars(DbConnection &connection, const Progress::State &state)
{
    connection.execForEach(
        QStringLiteral("INSERT OR REPLACE INTO ZuviState (Key, Value) VALUES (?, ?)"),
        {
            {QStringLiteral("rounds"), state.roundsText},
            {QStringLiteral("roundcounter"), int(state.roundcounter)},
            {QStringLiteral("randomFirst"), int(state.randomFirst)},
            {QStringLiteral("started"), int(state.started)},
            {QStringLiteral("roundOpen"), int(state.roundOpen)},
            {QStringLiteral("pairing"), state.pairingNumber},
            {QStringLiteral("clockRunning"), int(state.clockRunning)},
            {QStringLiteral("clockEnd"), state.clockEndMs},
            {QStringLiteral("clockLeft"), state.clockLeftSeconds},
            {QStringLiteral("avoidRematches"), int(state.avoidRematches)},
        });
}

void writeEntrants(DbConnection &connection, const QList<Progress::Entrant> &entrants)
{
    connection.exec(QStringLiteral("DELETE FROM ZuviEntrant"));
    QList<QVariantList> rows;
    rows.reserve(entrants.size());
    for (qsizetype i = 0; i < entrants.size(); ++i) {
        const Progress::Entrant &e = entrants.at(i);
        rows.append({qint64(i), e.name, e.house, e.scoreText, int(e.nameShown), int(e.dropped)});
    }
    connection.execForEach(
        QStringLiteral("INSERT INTO ZuviEntrant (Position, Name, House, "
                       "ScoreText, NameShown, Dropped) VALUES (?, ?, ?, ?, ?, ?)"),
        rows);
}

void appendEntrant(DbConnection &connection, int position, const Progress::Entrant &e)
{
    connection.exec(QStringLiteral("INSERT OR REPLACE INTO ZuviEntrant (Position, Name, House, "
                                   "ScoreText, NameShown, Dropped) VALUES (?, ?, ?, ?, ?, ?)"),
                    {position, e.name, e.house, e.scoreText, int(e.nameShown), int(e.dropped)});
    if (e.playerId != 0)
        connection.exec(QStringLiteral("INSERT OR REPLACE INTO ZuviEntrantPlayer (Name, PlayerId) "
                                       "VALUES (?, ?)"),
                        {e.name, e.playerId});
}

void writePlayerLinks(DbConnection &connection, const QList<Progress::Entrant> &entrants)
{
    QList<QVariantList> rows;
    for (const Progress::Entrant &e : entrants) {
        if (e.playerId != 0)
            rows.append({e.name, e.playerId});
    }
    connection.execForEach(
        QStringLiteral("INSERT OR REPLACE INTO ZuviEntrantPlayer (Name, PlayerId) VALUES (?, ?)"),
        rows);
}

void writeSeats(DbConnection &connection, const QList<Progress::Seat> &seats)
{
    connection.exec(QStringLiteral("DELETE FROM ZuviSeat"));
    QList<QVariantList> rows;
    rows.reserve(seats.size());
    for (qsizetype i = 0; i < seats.size(); ++i)
        rows.append(
            {qint64(i), seats.at(i).player1, seats.at(i).player2, int(seats.at(i).recorded)});
    connection.execForEach(
        QStringLiteral(
            "INSERT INTO ZuviSeat (Seat, Player1, Player2, Recorded) VALUES (?, ?, ?, ?)"),
        rows);
}

void writeSeat(DbConnection &connection, int seat, const Progress::Seat &value)
{
    connection.exec(QStringLiteral("INSERT OR REPLACE INTO ZuviSeat (Seat, Player1, Player2, "
                                   "Recorded) VALUES (?, ?, ?, ?)"),
                    {seat, value.player1, value.player2, int(value.recorded)});
}

qint64 insertGame(DbConnection &connection, const Progress::Game &g)
{
    QSqlQuery query = connection.exec(
        QStringLiteral("INSERT INTO ZuviGame (Round, Pairing, Seat, Player1, Player2, Result1, "
                       "Points1, Power1, Power2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {g.round, g.pairing, g.seat, g.player1, g.player2, g.result1, g.points1, g.power1,
         g.power2});
    return query.lastInsertId().toLongLong();
}

void deleteGame(DbConnection &connection, qint64 id)
{
    connection.exec(QStringLiteral("DELETE FROM ZuviGame WHERE Id = ?"), {id});
}

void updateGame(DbConnection &connection, const Progress::Game &g)
{
    connection.exec(QStringLiteral("UPDATE ZuviGame SET Result1 = ?, Points1 = ?, Power1 = ?, "
                                   "Power2 = ? WHERE Id = ?"),
                    {g.result1, g.points1, g.power1, g.power2, g.id});
}

void insertMissed(DbConnection &connection, const QList<Progress::MissedGame> &games)
{
    QList<QVariantList> rows;
    rows.reserve(games.size());
    for (const Progress::MissedGame &g : games)
        rows.append({g.round, g.pairing, g.seat, g.player1, g.player2});
    connection.execForEach(
        QStringLiteral("INSERT OR REPLACE INTO ZuviMissedGame (Round, Pairing, Seat, Player1, "
                       "Player2) VALUES (?, ?, ?, ?, ?)"),
        rows);
}

void deleteMissed(DbConnection &connection, const Progress::MissedGame &game)
{
    connection.exec(
        QStringLiteral("DELETE FROM ZuviMissedGame WHERE Round = ? AND Pairing = ? AND Seat = ?"),
        {game.round, game.pairing, game.seat});
}

void addToStandings(DbConnection &connection, const QString &name, int points, double power)
{
    connection.exec(Sql::recordGame(), {points, power, name});
}

} // namespace Zuvi::Data::ProgressStore
