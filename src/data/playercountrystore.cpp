#include "data/playercountrystore.h"

#include "data/dbconnection.h"
#include "data/dberror.h"

#include <QSqlQuery>

namespace Zuvi::Data::PlayerCountryStore {

QString tableName()
{
    return QStringLiteral("ZuviPlayerCountry");
}

QString keyColumn()
{
    return QStringLiteral("PlayerId");
}

QString valueColumn()
{
    return QStringLiteral("Country");
}

namespace {

bool hasTable(DbConnection &players, const QString &name)
{
    QSqlQuery query = players.exec(
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        {name});
    return players.next(query) && query.value(0).toInt() > 0;
}

} // namespace

void upgrade(DbConnection &players)
{
    bool playerTable = false;
    try {
        if (hasTable(players, tableName()))
            return;
        playerTable = hasTable(players, QStringLiteral("PlayerInfo"));
    } catch (const DbError &) {
        // A damaged or locked file: the first operation that needs it reports it.
        return;
    }
    if (!playerTable)
        return;
    Transaction transaction(players);
    players.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS ZuviPlayerCountry (PlayerId INTEGER "
                                "PRIMARY KEY, Country TEXT NOT NULL)"));
    transaction.commit();
}

bool exists(DbConnection &players)
{
    return hasTable(players, tableName());
}

QString countryOf(const QString &idExpression)
{
    return QStringLiteral("(SELECT Country FROM ZuviPlayerCountry WHERE PlayerId = %1)")
        .arg(idExpression);
}

void removeOrphans(DbConnection &players)
{
    players.exec(QStringLiteral(
        "DELETE FROM ZuviPlayerCountry WHERE PlayerId NOT IN (SELECT rowid FROM PlayerInfo)"));
}

void writeCountries(DbConnection &players, const QList<QVariantList> &idAndCountry)
{
    QList<QVariantList> rows;
    rows.reserve(idAndCountry.size());
    for (const QVariantList &row : idAndCountry) {
        if (row.size() == 2 && !row.at(1).isNull() && !row.at(1).toString().isEmpty())
            rows.append(row);
    }
    if (rows.isEmpty())
        return;
    players.execForEach(QStringLiteral("INSERT OR REPLACE INTO ZuviPlayerCountry (PlayerId, "
                                       "Country) VALUES (?, ?)"),
                        rows);
}

} // namespace Zuvi::Data::PlayerCountryStore
