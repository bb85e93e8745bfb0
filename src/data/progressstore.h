#pragma once

#include "data/progresstypes.h"

namespace Zuvi::Data {

class DbConnection;

/// The tables that hold the tournament's progress beside the standings in Tourny.db.
/// Every function works on an open connection; the caller holds the transaction.
namespace ProgressStore {

/// Creates the progress tables where they are missing, in one transaction; a file that
/// already has them is only read. Throws DbError (the file is then left as it was).
void upgrade(DbConnection &connection);

/// Reads everything stored.
Progress::State read(DbConnection &connection);

/// Empties the progress tables.
void clear(DbConnection &connection);

/// The round counter, the flags, the number of rounds and the clock.
void writeScalars(DbConnection &connection, const Progress::State &state);

/// Every entrant, replacing those stored.
void writeEntrants(DbConnection &connection, const QList<Progress::Entrant> &entrants);
/// One entrant appended at position (its index in the list), with its stored player.
void appendEntrant(DbConnection &connection, int position, const Progress::Entrant &entrant);
/// The stored player of every entrant that has one, added to (or replacing) those kept.
void writePlayerLinks(DbConnection &connection, const QList<Progress::Entrant> &entrants);

/// The open round's seats, replacing those stored.
void writeSeats(DbConnection &connection, const QList<Progress::Seat> &seats);
/// One seat as it now stands.
void writeSeat(DbConnection &connection, int seat, const Progress::Seat &value);

/// A recorded game; returns its id.
qint64 insertGame(DbConnection &connection, const Progress::Game &game);
void deleteGame(DbConnection &connection, qint64 id);
void updateGame(DbConnection &connection, const Progress::Game &game);

/// Games of an ended round that were not recorded, added to those kept.
void insertMissed(DbConnection &connection, const QList<Progress::MissedGame> &games);
/// A game no longer missing: it was recorded late.
void deleteMissed(DbConnection &connection, const Progress::MissedGame &game);

/// Adds points and power to one entrant's standings row (negative to take them back).
void addToStandings(DbConnection &connection, const QString &name, int points, double power);

} // namespace ProgressStore
} // namespace Zuvi::Data
