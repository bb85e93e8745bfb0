#include "history/pasttournament.h"

#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/displayname.h"
#include "data/installfolder.h"
#include "data/statements.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Zuvi::History {

namespace {

bool hasTable(Data::DbConnection &db, const QString &name)
{
    QSqlQuery query = db.exec(
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        {name});
    return db.next(query) && query.value(0).toInt() > 0;
}

} // namespace

ArchivedTournament readPastTournament(const QString &file, const QDate &played,
                                      const QHash<QString, qint64> &stored)
{
    Data::DbConnection db(Data::DbConnection::AtPath{file, false});
    if (!hasTable(db, QStringLiteral("TournyInfo")))
        throw Failure(0, QStringLiteral("%1 holds no standings (no table TournyInfo).")
                             .arg(QFileInfo(file).fileName()));
    QList<ArchivedEntrant> standings;
    db.readRows(Data::Sql::selectStandings(), [&](const Data::RowView &row) {
        ArchivedEntrant e;
        e.name = row.text(0);
        e.house = row.text(1);
        e.score = row.value(2).toDouble();
        e.power = row.value(3).toDouble();
        e.playerId = stored.value(e.name);
        standings.append(e);
    });
    if (standings.isEmpty())
        throw Failure(0, QStringLiteral("%1 holds no standings.").arg(QFileInfo(file).fileName()));
    if (hasTable(db, QStringLiteral("ZuviEntrant"))) {
        QHash<QString, bool> dropped;
        db.readRows(QStringLiteral("SELECT Name, Dropped FROM ZuviEntrant"),
                    [&](const Data::RowView &row) {
                        dropped.insert(row.text(0), row.value(1).toInt() != 0);
                    });
        for (ArchivedEntrant &e : standings)
            e.dropped = dropped.value(e.name);
    }
    QList<ArchivedGame> games;
    if (hasTable(db, QStringLiteral("ZuviGame"))) {
        db.readRows(QStringLiteral("SELECT Round, Seat, Player1, Player2, Result1, Points1, "
                                   "Power1, Power2 FROM ZuviGame ORDER BY Round, Seat, Id"),
                    [&](const Data::RowView &row) {
                        games.append({row.value(0).toInt(), row.value(1).toInt() + 1, row.text(2),
                                      row.text(3), row.text(4), row.value(5).toInt(),
                                      row.value(6).toDouble(), row.value(7).toDouble()});
                    });
    }
    // Where the file kept its games, an entrant without a game of the first round (played or
    // left unrecorded) entered late.
    QStringList unrecorded;
    if (hasTable(db, QStringLiteral("ZuviMissedGame"))) {
        db.readRows(QStringLiteral("SELECT Player1, Player2 FROM ZuviMissedGame WHERE Round = 1"),
                    [&](const Data::RowView &row) { unrecorded << row.text(0) << row.text(1); });
    }
    int rounds = 0;
    if (hasTable(db, QStringLiteral("ZuviState"))) {
        QSqlQuery query = db.exec(QStringLiteral("SELECT Value FROM ZuviState WHERE Key = ?"),
                                  {QStringLiteral("roundcounter")});
        if (db.next(query))
            rounds = query.value(0).toInt() - 1;
    }
    return archiveOf(played, rounds, std::move(standings), std::move(games), unrecorded);
}

} // namespace Zuvi::History
