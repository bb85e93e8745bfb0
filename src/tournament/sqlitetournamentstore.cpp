#include "tournament/sqlitetournamentstore.h"

#include "tournament/tablereports.h"

#include "data/backup.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/statements.h"
#include "history/archivestorage.h"

#include <QHash>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <string>
#include <string_view>
#include <unordered_map>

namespace Zuvi {

using Data::DbConnection;
using Data::RowView;
using Data::Transaction;

namespace {

QVariant scalar(const QHash<QString, QVariant> &values, const char *key)
{
    return values.value(QString::fromLatin1(key));
}

// The texts of a stored tournament repeat: every seat, game and game left unrecorded names
// two entrants, and houses, scores and results come from short lists. Each distinct text is
// decoded once and shared by every row that holds it, which saves a decoding and an
// allocation per row and keeps one copy of each name in memory.
class SharedTexts final
{
public:
    QString text(const RowView &row, int column)
    {
        if (row.isNumber(column))
            return row.text(column);
        const QByteArrayView bytes = row.utf8(column);
        // An empty text and NULL stay apart, as each reads on its own.
        if (bytes.isEmpty())
            return row.text(column);
        const std::string_view key(bytes.data(), std::size_t(bytes.size()));
        if (const auto found = m_texts.find(key); found != m_texts.end())
            return found->second;
        QString decoded = QString::fromUtf8(bytes);
        m_texts.emplace(std::string(key), decoded);
        return decoded;
    }

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_texts;
};

Progress::State readState(DbConnection &connection)
{
    Progress::State state;
    SharedTexts texts;
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
    state.startedAtMs = scalar(values, "startedAt").toLongLong();
    state.roundOpen = scalar(values, "roundOpen").toBool();
    state.pairingNumber = scalar(values, "pairing").toInt();
    state.clockRunning = scalar(values, "clockRunning").toBool();
    state.clockEndMs = scalar(values, "clockEnd").toLongLong();
    state.clockLeftSeconds = scalar(values, "clockLeft").toLongLong();
    state.avoidRematches = scalar(values, "avoidRematches").toBool();
    state.bigScreenOpen = scalar(values, "bigScreenOpen").toBool();
    state.reviewPairings = scalar(values, "reviewPairings").toBool();
    state.publishedRound = scalar(values, "publishedRound").toInt();
    state.publishedPairing = scalar(values, "publishedPairing").toInt();
    state.takeReports = scalar(values, "takeReports").toBool();
    state.confirmReports = scalar(values, "confirmReports").toBool();
    state.reports = Progress::reportBookFromText(scalar(values, "reports").toString());
    state.playerCodes = Progress::playerCodesFromText(scalar(values, "playerCodes").toString());

    connection.readRows(QStringLiteral("SELECT Name, House, ScoreText, NameShown, Dropped FROM "
                                       "ZuviEntrant ORDER BY Position"),
                        [&](const RowView &row) {
                            state.entrants.append({texts.text(row, 0), texts.text(row, 1),
                                                   texts.text(row, 2), row.value(3).toBool(),
                                                   row.value(4).toBool()});
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
            state.seats.append({texts.text(row, 0), texts.text(row, 1), row.value(2).toBool()});
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
                            game.player1 = texts.text(row, 4);
                            game.player2 = texts.text(row, 5);
                            game.result1 = texts.text(row, 6);
                            game.points1 = row.value(7).toInt();
                            game.power1 = row.value(8).toDouble();
                            game.power2 = row.value(9).toDouble();
                            state.games.append(game);
                        });
    connection.readRows(QStringLiteral("SELECT Round, Pairing, Seat, Player1, Player2 FROM "
                                       "ZuviMissedGame ORDER BY Round, Pairing, Seat"),
                        [&](const RowView &row) {
                            state.missed.append({row.value(0).toInt(), row.value(1).toInt(),
                                                 row.value(2).toInt(), texts.text(row, 3),
                                                 texts.text(row, 4)});
                        });
    return state;
}

void clearProgress(DbConnection &connection)
{
    for (const char *table : {"ZuviState", "ZuviEntrant", "ZuviSeat", "ZuviGame", "ZuviMissedGame",
                              "ZuviEntrantPlayer"})
        connection.exec(QStringLiteral("DELETE FROM %1").arg(QString::fromLatin1(table)));
}

/// Attaches the stored players' file, where the club's archive lives, as "players", so
/// that one transaction writes both files. It is attached as it is opened (the URI form
/// with mode=rw): a missing file is an error, never an empty file made in its place.
void attachPlayers(DbConnection &connection)
{
    connection.exec(QStringLiteral("ATTACH DATABASE ? AS players"),
                    {QUrl::fromLocalFile(Data::databaseFile(Data::playersDatabase()))
                         .toString(QUrl::FullyEncoded) +
                     QStringLiteral("?mode=rw")});
}

/// A result of a finished tournament changed: its archived results follow, in the caller's
/// transaction (the players' file attached).
void rewriteArchived(DbConnection &connection, const QList<Progress::StandingsRow> &standings,
                     const TournamentStore::ArchiveOf &archiveOf)
{
    if (!archiveOf)
        return;
    if (const std::optional<History::ArchivedTournament> archived = archiveOf(standings))
        History::rewriteArchive(connection, *archived, QStringLiteral("players."));
}

void writeScalars(DbConnection &connection, const Progress::State &state)
{
    QList<QVariantList> rows;
    for (const auto &[key, value] : Progress::stateValues(state))
        rows.append({key, value});
    connection.execForEach(
        QStringLiteral("INSERT OR REPLACE INTO ZuviState (Key, Value) VALUES (?, ?)"), rows);
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

QList<Progress::StandingsRow> readStandings(DbConnection &connection)
{
    QList<Progress::StandingsRow> rows;
    connection.readRows(Data::Sql::selectStandings(), [&](const RowView &row) {
        rows.append(
            {row.text(0), row.text(1), row.value(2).toDouble(), row.value(3).toDouble(), false});
    });
    return rows;
}

void applyChanges(DbConnection &connection, const QList<TournamentStore::StandingsChange> &changes)
{
    if (changes.isEmpty())
        return;
    QSqlQuery update = connection.prepare(Data::Sql::recordGame());
    for (const TournamentStore::StandingsChange &change : changes)
        connection.exec(update, {change.points, change.power, change.name});
}

/// Where the stored record is a finished tournament's, it is replaced by next's entrants
/// and counters (in the caller's transaction).
void replaceFinished(DbConnection &connection, const Progress::State &next, bool fresh)
{
    if (!fresh)
        return;
    clearProgress(connection);
    writeEntrants(connection, next.entrants);
    writePlayerLinks(connection, next.entrants);
    writeScalars(connection, next);
}

/// Pairs next in the caller's transaction, with the standings as it has them, and stores
/// the seats and, where the pairing changed them, the entrants.
void pairAndWrite(DbConnection &connection, Progress::State &next,
                  const TournamentStore::Pairer &pair)
{
    if (pair(next, [&connection] { return readStandings(connection); }))
        writeEntrants(connection, next.entrants);
    writeSeats(connection, next.seats);
}

} // namespace

Progress::State SqliteTournamentStore::read()
{
    DbConnection connection(Data::tournyDatabase());
    return readState(connection);
}

QList<Progress::StandingsRow> SqliteTournamentStore::standings()
{
    DbConnection connection(Data::tournyDatabase());
    return readStandings(connection);
}

void SqliteTournamentStore::clear()
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    clearProgress(connection);
    transaction.commit();
}

void SqliteTournamentStore::addEntrant(const Progress::State &next, int position,
                                       const Progress::Entrant &entrant, bool intoStandings,
                                       bool fresh)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    replaceFinished(connection, next, fresh);
    if (intoStandings)
        connection.exec(Data::Sql::insertEntrant(), {entrant.name, entrant.house});
    appendEntrant(connection, position, entrant);
    transaction.commit();
}

void SqliteTournamentStore::changeEntrants(const QList<Progress::Entrant> &entrants)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    writeEntrants(connection, entrants);
    transaction.commit();
}

void SqliteTournamentStore::setOptions(const Progress::State &next, bool fresh)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    replaceFinished(connection, next, fresh);
    writeScalars(connection, next);
    transaction.commit();
}

void SqliteTournamentStore::saveReports(const Progress::State &next)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    QList<QVariantList> rows;
    for (const auto &[key, value] : Progress::reportStateValues(next))
        rows.append({key, value});
    connection.execForEach(
        QStringLiteral("INSERT OR REPLACE INTO ZuviState (Key, Value) VALUES (?, ?)"), rows);
    transaction.commit();
}

void SqliteTournamentStore::startRound(Progress::State &next, bool firstStart, bool fresh,
                                       const Pairer &pair)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    replaceFinished(connection, next, fresh);
    if (firstStart) {
        // The old standings go and the entrants come in one transaction: a failure
        // part-way leaves the previous table as it was.
        connection.exec(Data::Sql::deleteStandings());
        QList<QVariantList> rows;
        rows.reserve(next.entrants.size());
        for (const Progress::Entrant &entrant : next.entrants)
            rows.append({entrant.name, entrant.house});
        connection.execForEach(Data::Sql::insertEntrant(), rows);
        // Games of an earlier tournament in this file belong to it, not to this one.
        connection.exec(QStringLiteral("DELETE FROM ZuviGame"));
        connection.exec(QStringLiteral("DELETE FROM ZuviMissedGame"));
    }
    if (pair)
        pairAndWrite(connection, next, pair);
    writeScalars(connection, next);
    transaction.commit();
}

void SqliteTournamentStore::swapSeats(int seatA, const Progress::Seat &a, int seatB,
                                      const Progress::Seat &b)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    writeSeat(connection, seatA, a);
    writeSeat(connection, seatB, b);
    transaction.commit();
}

qint64 SqliteTournamentStore::recordGame(const Progress::Game &game, const Progress::Seat &seat,
                                         const QList<StandingsChange> &changes)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    applyChanges(connection, changes);
    const qint64 id = insertGame(connection, game);
    writeSeat(connection, game.seat, seat);
    transaction.commit();
    return id;
}

void SqliteTournamentStore::reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                                       const QList<StandingsChange> &changes)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    applyChanges(connection, changes);
    deleteGame(connection, game.id);
    writeSeat(connection, game.seat, seat);
    transaction.commit();
}

QList<Progress::Entrant> SqliteTournamentStore::amendGame(const Progress::Game &game,
                                                          const QList<StandingsChange> &changes,
                                                          const EntrantsOf &entrantsOf,
                                                          const ArchiveOf &archiveOf)
{
    DbConnection connection(Data::tournyDatabase());
    if (archiveOf)
        attachPlayers(connection);
    Transaction transaction(connection);
    applyChanges(connection, changes);
    updateGame(connection, game);
    const QList<Progress::StandingsRow> standings = readStandings(connection);
    QList<Progress::Entrant> entrants = entrantsOf(standings);
    writeEntrants(connection, entrants);
    rewriteArchived(connection, standings, archiveOf);
    transaction.commit();
    return entrants;
}

QList<Progress::Entrant>
SqliteTournamentStore::recordMissedGame(Progress::Game &game, const Progress::MissedGame &missed,
                                        const QList<StandingsChange> &changes,
                                        const EntrantsOf &entrantsOf, const ArchiveOf &archiveOf)
{
    DbConnection connection(Data::tournyDatabase());
    if (archiveOf)
        attachPlayers(connection);
    Transaction transaction(connection);
    applyChanges(connection, changes);
    const qint64 id = insertGame(connection, game);
    deleteMissed(connection, missed);
    const QList<Progress::StandingsRow> standings = readStandings(connection);
    QList<Progress::Entrant> entrants = entrantsOf(standings);
    writeEntrants(connection, entrants);
    rewriteArchived(connection, standings, archiveOf);
    transaction.commit();
    game.id = id;
    return entrants;
}

QList<Progress::Entrant> SqliteTournamentStore::endRound(const Progress::State &next,
                                                         const QList<Progress::MissedGame> &missed,
                                                         const EntrantsOf &entrantsOf,
                                                         const ArchiveOf &archiveOf)
{
    QList<Progress::Entrant> entrants;
    {
        DbConnection connection(Data::tournyDatabase());
        // The archive lives beside the stored players: their file joins this one, so that
        // one transaction writes the end of the round and the archive in both, or neither.
        // The file is attached as it is opened (the URI form with mode=rw): a missing file is
        // an error, never an empty file made in its place.
        if (archiveOf) {
            connection.exec(QStringLiteral("ATTACH DATABASE ? AS players"),
                            {QUrl::fromLocalFile(Data::databaseFile(Data::playersDatabase()))
                                 .toString(QUrl::FullyEncoded) +
                             QStringLiteral("?mode=rw")});
        }
        Transaction transaction(connection);
        insertMissed(connection, missed);
        const QList<Progress::StandingsRow> standings = readStandings(connection);
        entrants = entrantsOf(standings);
        if (archiveOf) {
            if (const std::optional<History::ArchivedTournament> archived = archiveOf(standings))
                History::rememberArchive(
                    connection,
                    History::writeArchive(connection, *archived, QStringLiteral("players.")));
        }
        writeEntrants(connection, entrants);
        writeSeats(connection, next.seats);
        writeScalars(connection, next);
        transaction.commit();
    }
    // A copy of the file after every round: whatever happens to it later, this round is
    // not lost.
    Data::backupTournyDatabase(next.startedAtMs, next.roundcounter - 1);
    return entrants;
}

void SqliteTournamentStore::leaveRound(Progress::State &next, const Pairer &pair)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    if (pair)
        pairAndWrite(connection, next, pair);
    else
        writeSeats(connection, next.seats);
    writeScalars(connection, next);
    transaction.commit();
}

void SqliteTournamentStore::saveClock(const Progress::State &next)
{
    DbConnection connection(Data::tournyDatabase());
    Transaction transaction(connection);
    writeScalars(connection, next);
    transaction.commit();
}

} // namespace Zuvi
