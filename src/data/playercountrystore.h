#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

namespace Zuvi::Data {
class DbConnection;
}

/// Each stored player's country, kept in a table of our own beside PlayerInfo in
/// players.db: one row for each player that has a country, keyed by the player's id
/// (PlayerInfo's rowid). PlayerInfo itself keeps its shape.
namespace Zuvi::Data::PlayerCountryStore {

/// The table, its key column (the player's id) and its value column.
QString tableName();
QString keyColumn();
QString valueColumn();

/// Creates the table where players.db has PlayerInfo but not this table yet, in one
/// transaction. A file that already has it is only read, so that a read-only file still
/// opens. A file that cannot be read or has no player table is left as it is: the first
/// operation on it reports what is wrong. Throws DbError when the table cannot be made.
void upgrade(DbConnection &players);

/// True when players.db has the table.
bool exists(DbConnection &players);

/// An expression that gives the country of the player whose id is idExpression (for a
/// column of a statement over PlayerInfo); NULL when the player has none.
QString countryOf(const QString &idExpression);

/// Removes the rows of players no longer stored, so that a new player who is given the id
/// of a deleted one does not take over that player's country. Inside the caller's
/// transaction.
void removeOrphans(DbConnection &players);

/// Stores the countries of many players at once, each row a player's id and a country
/// text; rows without a country (NULL or empty) are left out. Inside the caller's
/// transaction.
void writeCountries(DbConnection &players, const QList<QVariantList> &idAndCountry);

} // namespace Zuvi::Data::PlayerCountryStore
