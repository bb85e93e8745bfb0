#pragma once

// The archive's statements, written once for both places the club's history is kept: the
// stored players' file (players.db, attached to the tournament's file while a tournament
// is archived) and a shared server. Connection is Data::DbConnection or Data::ServerLink;
// prefix names the attached file ("players.") or is empty. Each function runs in the
// caller's transaction.

#include "data/dbconnection.h"
#include "history/archive.h"
#include "history/league.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <type_traits>

namespace Zuvi::History {

/// Deletes the entrants and the games of archived tournament id (its row stays).
template <typename Connection>
void deleteArchiveRows(Connection &db, qint64 id, const QString &prefix = {})
{
    for (const char *table : {"ZuviArchiveGame", "ZuviArchiveEntrant"})
        db.exec(QStringLiteral("DELETE FROM %1%2 WHERE ArchiveId = ?")
                    .arg(prefix, QLatin1String(table)),
                {id});
}

/// Writes the entrants and the games of archived tournament id.
template <typename Connection>
void writeArchiveRows(Connection &db, qint64 id, const ArchivedTournament &t, const QString &prefix)
{
    QList<QVariantList> entrants;
    entrants.reserve(t.entrants.size());
    for (qsizetype i = 0; i < t.entrants.size(); ++i) {
        const ArchivedEntrant &e = t.entrants.at(i);
        entrants.append({id, int(i), e.name, e.house, e.playerId, e.rank, e.score, e.power,
                         int(e.dropped), int(e.late)});
    }
    db.execForEach(
        QStringLiteral("INSERT INTO %1ZuviArchiveEntrant (ArchiveId, Position, Name, "
                       "House, PlayerId, Rank, Score, Power, Dropped, Late) VALUES (?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(prefix),
        entrants);
    QList<QVariantList> games;
    games.reserve(t.games.size());
    for (qsizetype i = 0; i < t.games.size(); ++i) {
        const ArchivedGame &g = t.games.at(i);
        games.append({id, int(i), g.round, g.table, g.player1, g.player2, g.result1, g.points1,
                      g.power1, g.power2});
    }
    db.execForEach(QStringLiteral("INSERT INTO %1ZuviArchiveGame (ArchiveId, Position, Round, "
                                  "TableNo, Player1, Player2, Result1, Points1, Power1, Power2) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                       .arg(prefix),
                   games);
}

/// Writes a finished tournament, its entrants and its games; returns its number.
template <typename Connection>
qint64 writeArchive(Connection &db, const ArchivedTournament &t, const QString &prefix = {})
{
    qint64 id = 0;
    {
        auto &&insert = db.exec(
            QStringLiteral("INSERT INTO %1ZuviArchive (Name, Played, Rounds) VALUES (?, ?, ?) "
                           "RETURNING Id")
                .arg(prefix),
            {t.name, t.played.toString(Qt::ISODate), t.rounds});
        if (db.next(insert))
            id = insert.value(0).toLongLong();
        insert.finish();
    }
    writeArchiveRows(db, id, t, prefix);
    return id;
}

/// Remembers with the tournament's state (ZuviState, in the tournament's own database)
/// which archived tournament its last round's end wrote.
template <typename Connection> void rememberArchive(Connection &db, qint64 id)
{
    db.exec(QStringLiteral("INSERT INTO ZuviState (Key, Value) VALUES ('archive', ?) ON CONFLICT "
                           "(Key) DO UPDATE SET Value = excluded.Value"),
            {QString::number(id)});
}

/// A result of the finished tournament changed after its last round: the archived
/// tournament its last round's end wrote gets t's entrants, games and rounds, keeping its
/// name and date. Nothing where none was remembered or it has been deleted since.
template <typename Connection>
void rewriteArchive(Connection &db, const ArchivedTournament &t, const QString &prefix = {})
{
    qint64 id = 0;
    {
        auto &&kept = db.exec(QStringLiteral("SELECT Value FROM ZuviState WHERE Key = 'archive'"));
        if (db.next(kept))
            id = kept.value(0).toLongLong();
        kept.finish();
    }
    if (id <= 0)
        return;
    {
        auto &&present = db.exec(
            QStringLiteral("SELECT count(*) FROM %1ZuviArchive WHERE Id = ?").arg(prefix), {id});
        const bool found = db.next(present) && present.value(0).toLongLong() > 0;
        present.finish();
        if (!found)
            return;
    }
    deleteArchiveRows(db, id, prefix);
    db.exec(QStringLiteral("UPDATE %1ZuviArchive SET Rounds = ? WHERE Id = ?").arg(prefix),
            {t.rounds, id});
    writeArchiveRows(db, id, t, prefix);
}

/// Every archived tournament, newest first; with details, its entrants and games as well.
template <typename Connection> QList<ArchivedTournament> readArchives(Connection &db, bool details)
{
    QList<ArchivedTournament> list;
    QHash<qint64, qsizetype> at;
    {
        auto &&query = db.exec(QStringLiteral(
            "SELECT Id, Name, Played, Rounds FROM ZuviArchive ORDER BY Played DESC, Id DESC"));
        while (db.next(query)) {
            ArchivedTournament t;
            t.id = query.value(0).toLongLong();
            t.name = query.value(1).toString();
            t.played = QDate::fromString(query.value(2).toString(), Qt::ISODate);
            t.rounds = query.value(3).toInt();
            at.insert(t.id, list.size());
            list.append(t);
        }
    }
    {
        // The entrants always: the list shows their number and the winner, the league
        // ranks them. A long past has tens of thousands: the file's rows are read straight.
        const QString sql = QStringLiteral(
            "SELECT ArchiveId, Name, House, PlayerId, Rank, Score, Power, Dropped, Late FROM "
            "ZuviArchiveEntrant ORDER BY ArchiveId, Position");
        const auto take = [&](qint64 id, ArchivedEntrant entrant) {
            const auto found = at.constFind(id);
            if (found != at.constEnd())
                list[*found].entrants.append(std::move(entrant));
        };
        if constexpr (std::is_same_v<Connection, Data::DbConnection>) {
            db.readRows(sql, [&](const Data::RowView &row) {
                take(row.value(0).toLongLong(),
                     {row.text(1), row.text(2), row.value(3).toLongLong(), row.value(4).toInt(),
                      row.value(5).toDouble(), row.value(6).toDouble(), row.value(7).toInt() != 0,
                      row.value(8).toInt() != 0});
            });
        } else {
            auto &&query = db.exec(sql);
            while (db.next(query)) {
                take(query.value(0).toLongLong(),
                     {query.value(1).toString(), query.value(2).toString(),
                      query.value(3).toLongLong(), query.value(4).toInt(),
                      query.value(5).toDouble(), query.value(6).toDouble(),
                      query.value(7).toInt() != 0, query.value(8).toInt() != 0});
            }
        }
    }
    if (details) {
        auto &&query = db.exec(QStringLiteral(
            "SELECT ArchiveId, Round, TableNo, Player1, Player2, Result1, Points1, Power1, "
            "Power2 FROM ZuviArchiveGame ORDER BY ArchiveId, Position"));
        while (db.next(query)) {
            const auto found = at.constFind(query.value(0).toLongLong());
            if (found == at.constEnd())
                continue;
            list[*found].games.append({query.value(1).toInt(), query.value(2).toInt(),
                                       query.value(3).toString(), query.value(4).toString(),
                                       query.value(5).toString(), query.value(6).toInt(),
                                       query.value(7).toDouble(), query.value(8).toDouble()});
        }
    }
    return list;
}

/// The games of one archived tournament, in round and table order.
template <typename Connection> QList<ArchivedGame> readArchiveGames(Connection &db, qint64 id)
{
    QList<ArchivedGame> games;
    auto &&query = db.exec(QStringLiteral("SELECT Round, TableNo, Player1, Player2, Result1, "
                                          "Points1, Power1, Power2 FROM ZuviArchiveGame WHERE "
                                          "ArchiveId = ? ORDER BY Position"),
                           {id});
    while (db.next(query)) {
        games.append({query.value(0).toInt(), query.value(1).toInt(), query.value(2).toString(),
                      query.value(3).toString(), query.value(4).toString(), query.value(5).toInt(),
                      query.value(6).toDouble(), query.value(7).toDouble()});
    }
    return games;
}

/// Every league kept, by name. A league chosen one by one is kept without dates.
template <typename Connection> QList<League> readLeagues(Connection &db)
{
    QList<League> leagues;
    QHash<qint64, qsizetype> at;
    {
        auto &&query = db.exec(QStringLiteral("SELECT Id, Name, FromDate, ToDate, Scheme, "
                                              "Placement, BestOf FROM ZuviLeague ORDER BY Name"));
        while (db.next(query)) {
            League league;
            league.id = query.value(0).toLongLong();
            league.name = query.value(1).toString();
            league.oneByOne = query.value(2).toString().isEmpty();
            league.from = QDate::fromString(query.value(2).toString(), Qt::ISODate);
            league.to = QDate::fromString(query.value(3).toString(), Qt::ISODate);
            league.scheme.kind = LeagueScheme::Kind(std::clamp(query.value(4).toInt(), 0, 2));
            if (const auto points = parsePlacementPoints(query.value(5).toString()))
                league.scheme.placementPoints = *points;
            league.scheme.bestOf = std::max(0, query.value(6).toInt());
            at.insert(league.id, leagues.size());
            leagues.append(league);
        }
    }
    auto &&chosen = db.exec(QStringLiteral(
        "SELECT LeagueId, ArchiveId FROM ZuviLeagueTournament ORDER BY LeagueId, ArchiveId"));
    while (db.next(chosen)) {
        const auto found = at.constFind(chosen.value(0).toLongLong());
        if (found != at.constEnd())
            leagues[*found].chosen.append(chosen.value(1).toLongLong());
    }
    return leagues;
}

template <typename Connection> void deleteLeague(Connection &db, qint64 id)
{
    db.exec(QStringLiteral("DELETE FROM ZuviLeagueTournament WHERE LeagueId = ?"), {id});
    db.exec(QStringLiteral("DELETE FROM ZuviLeague WHERE Id = ?"), {id});
}

/// Keeps a league under its name (replacing one of that name); returns its number.
template <typename Connection> qint64 writeLeague(Connection &db, const League &league)
{
    QStringList points;
    for (double value : league.scheme.placementPoints)
        points.append(QString::number(value));
    {
        auto &&before =
            db.exec(QStringLiteral("SELECT Id FROM ZuviLeague WHERE Name = ?"), {league.name});
        const qint64 replaced = db.next(before) ? before.value(0).toLongLong() : 0;
        before.finish();
        if (replaced != 0)
            deleteLeague(db, replaced);
    }
    // One by one: no dates, the tournaments in a table of their own.
    const QString from = league.oneByOne ? QStringLiteral("") : league.from.toString(Qt::ISODate);
    const QString to = league.oneByOne ? QStringLiteral("") : league.to.toString(Qt::ISODate);
    auto &&insert =
        db.exec(QStringLiteral("INSERT INTO ZuviLeague (Name, FromDate, ToDate, Scheme, Placement, "
                               "BestOf) VALUES (?, ?, ?, ?, ?, ?) RETURNING Id"),
                {league.name, from, to, int(league.scheme.kind), points.join(QStringLiteral(", ")),
                 league.scheme.bestOf});
    const qint64 id = db.next(insert) ? insert.value(0).toLongLong() : 0;
    insert.finish();
    if (league.oneByOne) {
        QList<QVariantList> rows;
        const QSet<qint64> unique(league.chosen.cbegin(), league.chosen.cend());
        for (qint64 archive : unique)
            rows.append({id, archive});
        db.execForEach(QStringLiteral("INSERT INTO ZuviLeagueTournament (LeagueId, ArchiveId) "
                                      "VALUES (?, ?)"),
                       rows);
    }
    return id;
}

/// Every archived entrant of stored player from becomes stored player into's: two records
/// that are one person get one history. Returns the entrants moved.
template <typename Connection> qint64 mergePlayerHistory(Connection &db, qint64 from, qint64 into)
{
    auto &&count = db.exec(
        QStringLiteral("SELECT count(*) FROM ZuviArchiveEntrant WHERE PlayerId = ?"), {from});
    const qint64 moved = db.next(count) ? count.value(0).toLongLong() : 0;
    count.finish();
    db.exec(QStringLiteral("UPDATE ZuviArchiveEntrant SET PlayerId = ? WHERE PlayerId = ?"),
            {into, from});
    return moved;
}

template <typename Connection> void renameArchive(Connection &db, qint64 id, const QString &name)
{
    db.exec(QStringLiteral("UPDATE ZuviArchive SET Name = ? WHERE Id = ?"), {name, id});
}

template <typename Connection> void deleteArchive(Connection &db, qint64 id)
{
    deleteArchiveRows(db, id);
    // A league that chose it counts it no more.
    db.exec(QStringLiteral("DELETE FROM ZuviLeagueTournament WHERE ArchiveId = ?"), {id});
    db.exec(QStringLiteral("DELETE FROM ZuviArchive WHERE Id = ?"), {id});
}

} // namespace Zuvi::History
