#include "tournament/servertournamentstore.h"

#include "tournament/tablereports.h"

#include "data/serverlink.h"
#include "data/serverschema.h"
#include "data/statements.h"
#include "history/archivestorage.h"

#include <QHash>
#include <QSqlDriver>
#include <QVariant>

namespace Zuvi {

using Data::ServerConflict;
using Data::ServerError;
using Data::ServerLink;
using Data::ServerTransaction;

namespace {

const QString kChannel = QStringLiteral("zuvi_changes");
const QString kCounter = QStringLiteral("serial");
// The key of the advisory lock held by the station that pairs.
constexpr qint64 kPairingLock = 0x5A5550;
// How soon the tournament is read again after another station's change (several changes
// in that time are read once), the longest wait between two tries of a lost server, and
// how often an idle station checks that its connection still stands.
constexpr int kReadAgainMs = 30;
constexpr int kLongestRetryMs = 30000;
constexpr int kWatchMs = 10000;

QString upsertState()
{
    return QStringLiteral("INSERT INTO ZuviState (Key, Value) VALUES (?, ?) ON CONFLICT (Key) DO "
                          "UPDATE SET Value = excluded.Value");
}

QString stateText(const QVariant &value)
{
    return value.toString();
}

void writeScalars(ServerLink &link, const Progress::State &state)
{
    for (const auto &[key, value] : Progress::stateValues(state))
        link.exec(upsertState(), {key, stateText(value)});
}

Progress::State readState(ServerLink &link, qint64 *counter)
{
    Progress::State state;
    QHash<QString, QString> values;
    {
        QSqlQuery &query = link.exec(QStringLiteral("SELECT Key, Value FROM ZuviState"));
        while (link.next(query))
            values.insert(query.value(0).toString(), query.value(1).toString());
    }
    const auto value = [&](const char *key) { return values.value(QString::fromLatin1(key)); };
    *counter = value("serial").toLongLong();
    state.roundsText = value("rounds");
    state.roundcounter = qint16(value("roundcounter").toInt());
    if (state.roundcounter < 1)
        state.roundcounter = 1;
    state.randomFirst = qint16(value("randomFirst").toInt());
    state.started = value("started").toInt() != 0;
    state.startedAtMs = value("startedAt").toLongLong();
    state.roundOpen = value("roundOpen").toInt() != 0;
    state.pairingNumber = value("pairing").toInt();
    state.clockRunning = value("clockRunning").toInt() != 0;
    state.clockEndMs = value("clockEnd").toLongLong();
    state.clockLeftSeconds = value("clockLeft").toLongLong();
    state.avoidRematches = value("avoidRematches").toInt() != 0;
    state.bigScreenOpen = value("bigScreenOpen").toInt() != 0;
    state.reviewPairings = value("reviewPairings").toInt() != 0;
    state.publishedRound = value("publishedRound").toInt();
    state.publishedPairing = value("publishedPairing").toInt();
    state.takeReports = value("takeReports").toInt() != 0;
    state.confirmReports = value("confirmReports").toInt() != 0;
    state.reports = Progress::reportBookFromText(value("reports"));
    state.playerCodes = Progress::playerCodesFromText(value("playerCodes"));

    {
        QSqlQuery &query = link.exec(QStringLiteral("SELECT Name, House, ScoreText, NameShown, "
                                                    "Dropped FROM ZuviEntrant ORDER BY Position"));
        while (link.next(query)) {
            state.entrants.append({query.value(0).toString(), query.value(1).toString(),
                                   query.value(2).toString(), query.value(3).toInt() != 0,
                                   query.value(4).toInt() != 0});
        }
    }
    {
        QHash<QString, qint64> players;
        QSqlQuery &query =
            link.exec(QStringLiteral("SELECT Name, PlayerId FROM ZuviEntrantPlayer"));
        while (link.next(query))
            players.insert(query.value(0).toString(), query.value(1).toLongLong());
        for (Progress::Entrant &entrant : state.entrants)
            entrant.playerId = players.value(entrant.name);
    }
    {
        QSqlQuery &query = link.exec(
            QStringLiteral("SELECT Player1, Player2, Recorded FROM ZuviSeat ORDER BY Seat"));
        while (link.next(query)) {
            state.seats.append({query.value(0).toString(), query.value(1).toString(),
                                query.value(2).toInt() != 0});
        }
    }
    {
        QSqlQuery &query = link.exec(
            QStringLiteral("SELECT Id, Round, Pairing, Seat, Player1, Player2, Result1, Points1, "
                           "Power1, Power2, Station FROM ZuviGame ORDER BY Id"));
        while (link.next(query)) {
            Progress::Game game;
            game.id = query.value(0).toLongLong();
            game.round = query.value(1).toInt();
            game.pairing = query.value(2).toInt();
            game.seat = query.value(3).toInt();
            game.player1 = query.value(4).toString();
            game.player2 = query.value(5).toString();
            game.result1 = query.value(6).toString();
            game.points1 = query.value(7).toInt();
            game.power1 = query.value(8).toDouble();
            game.power2 = query.value(9).toDouble();
            game.station = query.value(10).toString();
            state.games.append(game);
        }
    }
    {
        QSqlQuery &query = link.exec(QStringLiteral("SELECT Round, Pairing, Seat, Player1, Player2 "
                                                    "FROM ZuviMissedGame ORDER BY Round, "
                                                    "Pairing, Seat"));
        while (link.next(query)) {
            state.missed.append({query.value(0).toInt(), query.value(1).toInt(),
                                 query.value(2).toInt(), query.value(3).toString(),
                                 query.value(4).toString()});
        }
    }
    return state;
}

QList<Progress::StandingsRow> readStandings(ServerLink &link)
{
    QList<Progress::StandingsRow> rows;
    QSqlQuery &query = link.exec(Data::Sql::selectStandings());
    while (link.next(query)) {
        rows.append({query.value(0).toString(), query.value(1).toString(),
                     query.value(2).toDouble(), query.value(3).toDouble(), false});
    }
    return rows;
}

void clearProgress(ServerLink &link)
{
    link.exec(QStringLiteral("DELETE FROM ZuviState WHERE Key <> ?"), {kCounter});
    for (const char *table :
         {"ZuviEntrant", "ZuviSeat", "ZuviGame", "ZuviMissedGame", "ZuviEntrantPlayer"})
        link.exec(QStringLiteral("DELETE FROM %1").arg(QString::fromLatin1(table)));
}

/// A result of a finished tournament changed: its archived results follow, in the caller's
/// transaction.
void rewriteArchived(ServerLink &link, const QList<Progress::StandingsRow> &standings,
                     const TournamentStore::ArchiveOf &archiveOf)
{
    if (!archiveOf)
        return;
    if (const std::optional<History::ArchivedTournament> archived = archiveOf(standings))
        History::rewriteArchive(link, *archived);
}

void writeEntrants(ServerLink &link, const QList<Progress::Entrant> &entrants)
{
    link.exec(QStringLiteral("DELETE FROM ZuviEntrant"));
    QList<QVariantList> rows;
    rows.reserve(entrants.size());
    for (qsizetype i = 0; i < entrants.size(); ++i) {
        const Progress::Entrant &e = entrants.at(i);
        rows.append({int(i), e.name, e.house, e.scoreText, int(e.nameShown), int(e.dropped)});
    }
    link.execForEach(QStringLiteral("INSERT INTO ZuviEntrant (Position, Name, House, ScoreText, "
                                    "NameShown, Dropped) VALUES (?, ?, ?, ?, ?, ?)"),
                     rows);
}

void writePlayerLink(ServerLink &link, const Progress::Entrant &e)
{
    if (e.playerId != 0) {
        link.exec(QStringLiteral("INSERT INTO ZuviEntrantPlayer (Name, PlayerId) VALUES (?, ?) ON "
                                 "CONFLICT (Name) DO UPDATE SET PlayerId = excluded.PlayerId"),
                  {e.name, e.playerId});
    }
}

void writeSeats(ServerLink &link, const QList<Progress::Seat> &seats)
{
    link.exec(QStringLiteral("DELETE FROM ZuviSeat"));
    QList<QVariantList> rows;
    rows.reserve(seats.size());
    for (qsizetype i = 0; i < seats.size(); ++i)
        rows.append({int(i), seats.at(i).player1, seats.at(i).player2, int(seats.at(i).recorded)});
    link.execForEach(
        QStringLiteral(
            "INSERT INTO ZuviSeat (Seat, Player1, Player2, Recorded) VALUES (?, ?, ?, ?)"),
        rows);
}

void writeSeat(ServerLink &link, int seat, const Progress::Seat &value)
{
    link.exec(QStringLiteral("INSERT INTO ZuviSeat (Seat, Player1, Player2, Recorded) VALUES (?, "
                             "?, ?, ?) ON CONFLICT (Seat) DO UPDATE SET Player1 = "
                             "excluded.Player1, Player2 = excluded.Player2, Recorded = "
                             "excluded.Recorded"),
              {seat, value.player1, value.player2, int(value.recorded)});
}

qint64 insertGame(ServerLink &link, const Progress::Game &g)
{
    QSqlQuery &query = link.exec(
        QStringLiteral("INSERT INTO ZuviGame (Round, Pairing, Seat, Player1, Player2, Result1, "
                       "Points1, Power1, Power2, Station) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "RETURNING Id"),
        {g.round, g.pairing, g.seat, g.player1, g.player2, g.result1, g.points1, g.power1, g.power2,
         link.station()});
    if (!link.next(query))
        throw ServerError(0, QStringLiteral("The server did not return the game's number."));
    return query.value(0).toLongLong();
}

void applyChanges(ServerLink &link, const QList<TournamentStore::StandingsChange> &changes)
{
    for (const TournamentStore::StandingsChange &change : changes)
        link.exec(Data::Sql::recordGame(), {change.points, change.power, change.name});
}

void replaceFinished(ServerLink &link, const Progress::State &next, bool fresh)
{
    if (!fresh)
        return;
    clearProgress(link);
    writeEntrants(link, next.entrants);
    for (const Progress::Entrant &e : next.entrants)
        writePlayerLink(link, e);
    writeScalars(link, next);
}

void pairAndWrite(ServerLink &link, Progress::State &next, const TournamentStore::Pairer &pair)
{
    if (pair(next, [&link] { return readStandings(link); }))
        writeEntrants(link, next.entrants);
    writeSeats(link, next.seats);
}

/// One stored value of the state, read in the caller's transaction.
QString storedValue(ServerLink &link, const QString &key)
{
    QSqlQuery &query =
        link.exec(QStringLiteral("SELECT Value FROM ZuviState WHERE Key = ?"), {key});
    return link.next(query) ? query.value(0).toString() : QString();
}

} // namespace

ServerTournamentStore::ServerTournamentStore(std::unique_ptr<ServerLink> link, Role role)
    : ServerTournamentStore(*link, role)
{
    m_ownLink = std::move(link);
}

ServerTournamentStore::ServerTournamentStore(ServerLink &link, Role role)
    : m_link(link), m_role(role)
{
    m_reloadTimer.setSingleShot(true);
    // Several changes of other stations in a moment are read once.
    m_reloadTimer.setInterval(kReadAgainMs);
    QObject::connect(&m_reloadTimer, &QTimer::timeout, &m_context, [this] { readAgain(); });
    // A lost connection is noticed even while the station is idle, and opened again.
    m_watchTimer.setInterval(kWatchMs);
    QObject::connect(&m_watchTimer, &QTimer::timeout, &m_context, [this] {
        try {
            m_link.exec(QStringLiteral("SELECT 1"));
        } catch (const ServerError &) {
            scheduleReload();
        }
    });
    m_watchTimer.start();
    Data::ensureServerTables(m_link);
    // The change counter's row is what every change locks first.
    QSqlQuery &counter =
        m_link.exec(QStringLiteral("SELECT count(*) FROM ZuviState WHERE Key = ?"), {kCounter});
    if (!m_link.next(counter) || counter.value(0).toInt() == 0) {
        m_link.exec(QStringLiteral("INSERT INTO ZuviState (Key, Value) VALUES (?, ?) ON CONFLICT "
                                   "(Key) DO NOTHING"),
                    {kCounter, QStringLiteral("0")});
    }
    listen();
}

ServerTournamentStore::~ServerTournamentStore() = default;

QString ServerTournamentStore::station() const
{
    return m_link.station();
}

void ServerTournamentStore::setChangeHandler(std::function<void()> handler)
{
    m_changeHandler = std::move(handler);
}

void ServerTournamentStore::scheduleReload()
{
    if (!m_reloadTimer.isActive())
        m_reloadTimer.start();
}

void ServerTournamentStore::readAgain()
{
    if (!m_link.isConnected()) {
        // The server is tried again quietly, less and less often, until it answers; then
        // the tournament is read as it is stored now.
        try {
            m_link.connect();
            listen();
        } catch (const ServerError &) {
            m_retryMs = qMin(m_retryMs * 2, kLongestRetryMs);
            m_reloadTimer.start(m_retryMs);
            return;
        }
    }
    m_retryMs = kReadAgainMs;
    m_reloadTimer.setInterval(kReadAgainMs);
    if (m_changeHandler)
        m_changeHandler();
}

void ServerTournamentStore::listen()
{
    QSqlDriver *driver = m_link.database().driver();
    if (driver->subscribedToNotifications().contains(kChannel))
        return;
    if (m_listeningDriver != driver) {
        QObject::connect(
            driver, &QSqlDriver::notification, &m_context,
            [this](const QString &name, QSqlDriver::NotificationSource source, const QVariant &) {
                if (name == kChannel && source != QSqlDriver::SelfSource)
                    scheduleReload();
            });
        m_listeningDriver = driver;
    }
    if (!driver->subscribeToNotification(kChannel)) {
        throw ServerError(0, QStringLiteral("The server %1 does not let this station follow "
                                            "the others' changes.")
                                 .arg(m_link.address().where()));
    }
}

template <typename Write>
auto ServerTournamentStore::change(Check check, Act act, const char *step, Write &&write)
{
    if (act == Act::Organise && m_role == Role::ResultsOnly) {
        throw ServerError(0, QStringLiteral("%1 takes results only: registration, pairing and "
                                            "the end of a round are done at a full station.")
                                 .arg(m_link.station()));
    }
    try {
        listen();
        ServerTransaction transaction(m_link);
        if (check == Check::Pairing) {
            QSqlQuery &lock =
                m_link.exec(QStringLiteral("SELECT pg_try_advisory_xact_lock(?)"), {kPairingLock});
            if (!m_link.next(lock) || !lock.value(0).toBool()) {
                const int round =
                    qMax(1, storedValue(m_link, QStringLiteral("roundcounter")).toInt());
                throw ServerConflict(
                    QStringLiteral("Round %1 is being paired at another station.").arg(round));
            }
        }
        QSqlQuery &counterQuery = m_link.exec(
            QStringLiteral("SELECT Value FROM ZuviState WHERE Key = ? FOR UPDATE"), {kCounter});
        const qint64 stored = m_link.next(counterQuery) ? counterQuery.value(0).toLongLong() : 0;
        if (check != Check::Unchecked && m_seen >= 0 && stored != m_seen) {
            throw ServerConflict(QStringLiteral("The tournament was changed at another station a "
                                                "moment ago. It is shown as it is now: please "
                                                "look and try again."));
        }
        auto finish = [&] {
            m_link.exec(upsertState(), {kCounter, QString::number(stored + 1)});
            m_link.exec(QStringLiteral("INSERT INTO ZuviStep (Serial, Station, Step) VALUES (?, ?, "
                                       "?) ON CONFLICT (Serial) DO NOTHING"),
                        {stored + 1, m_link.station(), QString::fromLatin1(step)});
            m_link.exec(QStringLiteral("SELECT pg_notify(?, ?)"), {kChannel, m_link.station()});
            transaction.commit();
            // A change on top of one this station has not read yet leaves it behind: its
            // next checked change is refused until it has read the tournament again.
            if (stored == m_seen || m_seen < 0)
                m_seen = stored + 1;
        };
        if constexpr (std::is_void_v<decltype(write())>) {
            write();
            finish();
        } else {
            auto result = write();
            finish();
            return result;
        }
    } catch (const ServerError &) {
        scheduleReload();
        throw;
    }
}

Progress::State ServerTournamentStore::read()
{
    listen();
    // One snapshot: the counter read is the one the state read belongs to.
    m_link.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    qint64 counter = 0;
    Progress::State state;
    try {
        state = readState(m_link, &counter);
        m_link.commit();
    } catch (...) {
        m_link.rollback();
        throw;
    }
    m_seen = counter;
    return state;
}

QList<Progress::StandingsRow> ServerTournamentStore::standings()
{
    return readStandings(m_link);
}

void ServerTournamentStore::clear()
{
    change(Check::Counter, Act::Organise, "tournament cleared", [&] { clearProgress(m_link); });
}

void ServerTournamentStore::addEntrant(const Progress::State &next, int position,
                                       const Progress::Entrant &entrant, bool intoStandings,
                                       bool fresh)
{
    change(Check::Pairing, Act::Organise, "entrant added", [&] {
        replaceFinished(m_link, next, fresh);
        if (intoStandings)
            m_link.exec(Data::Sql::insertEntrant(), {entrant.name, entrant.house});
        m_link.exec(QStringLiteral("INSERT INTO ZuviEntrant (Position, Name, House, ScoreText, "
                                   "NameShown, Dropped) VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT "
                                   "(Position) DO UPDATE SET Name = excluded.Name, House = "
                                   "excluded.House, ScoreText = excluded.ScoreText, NameShown = "
                                   "excluded.NameShown, Dropped = excluded.Dropped"),
                    {position, entrant.name, entrant.house, entrant.scoreText,
                     int(entrant.nameShown), int(entrant.dropped)});
        writePlayerLink(m_link, entrant);
    });
}

void ServerTournamentStore::changeEntrants(const QList<Progress::Entrant> &entrants)
{
    change(Check::Pairing, Act::Organise, "entrants changed",
           [&] { writeEntrants(m_link, entrants); });
}

void ServerTournamentStore::setOptions(const Progress::State &next, bool fresh)
{
    // The options and whether the big screen is open: any station may set them (a
    // results-only station opens its own big screen), under the change counter's check.
    change(Check::Counter, Act::Result, "options set", [&] {
        replaceFinished(m_link, next, fresh);
        writeScalars(m_link, next);
    });
}

void ServerTournamentStore::startRound(Progress::State &next, bool firstStart, bool fresh,
                                       const Pairer &pair)
{
    change(Check::Pairing, Act::Organise, "round started", [&] {
        replaceFinished(m_link, next, fresh);
        if (firstStart) {
            m_link.exec(Data::Sql::deleteStandings());
            QList<QVariantList> rows;
            rows.reserve(next.entrants.size());
            for (const Progress::Entrant &entrant : next.entrants)
                rows.append({entrant.name, entrant.house});
            m_link.execForEach(Data::Sql::insertEntrant(), rows);
            m_link.exec(QStringLiteral("DELETE FROM ZuviGame"));
            m_link.exec(QStringLiteral("DELETE FROM ZuviMissedGame"));
        }
        if (pair)
            pairAndWrite(m_link, next, pair);
        writeScalars(m_link, next);
    });
}

void ServerTournamentStore::swapSeats(int seatA, const Progress::Seat &a, int seatB,
                                      const Progress::Seat &b)
{
    change(Check::Pairing, Act::Organise, "opponents swapped", [&] {
        writeSeat(m_link, seatA, a);
        writeSeat(m_link, seatB, b);
    });
}

qint64 ServerTournamentStore::recordGame(const Progress::Game &game, const Progress::Seat &seat,
                                         const QList<StandingsChange> &changes)
{
    return change(Check::Unchecked, Act::Result, "game recorded", [&] {
        // The table must still be open in the pairing this station shows: the check runs
        // under the change counter's lock, so two stations never both record it.
        const bool samePairing =
            storedValue(m_link, QStringLiteral("roundOpen")).toInt() != 0 &&
            storedValue(m_link, QStringLiteral("roundcounter")).toInt() == game.round &&
            storedValue(m_link, QStringLiteral("pairing")).toInt() == game.pairing;
        if (!samePairing) {
            throw ServerConflict(QStringLiteral("The pairing of round %1 was changed at another "
                                                "station a moment ago. It is shown as it is now.")
                                     .arg(game.round));
        }
        QSqlQuery &open = m_link.exec(
            QStringLiteral("SELECT Recorded, Player1, Player2 FROM ZuviSeat WHERE Seat = ?"),
            {game.seat});
        if (!m_link.next(open) || open.value(1).toString() != game.player1 ||
            open.value(2).toString() != game.player2) {
            throw ServerConflict(QStringLiteral("The pairing of round %1 was changed at another "
                                                "station a moment ago. It is shown as it is now.")
                                     .arg(game.round));
        }
        if (open.value(0).toInt() != 0) {
            throw ServerConflict(
                QStringLiteral("Table %1 was recorded at another station a moment ago.")
                    .arg(game.seat + 1));
        }
        applyChanges(m_link, changes);
        const qint64 id = insertGame(m_link, game);
        writeSeat(m_link, game.seat, seat);
        return id;
    });
}

void ServerTournamentStore::reopenGame(const Progress::Game &game, const Progress::Seat &seat,
                                       const QList<StandingsChange> &changes)
{
    change(Check::Unchecked, Act::Result, "game taken back", [&] {
        QSqlQuery &gone = m_link.exec(
            QStringLiteral("DELETE FROM ZuviGame WHERE Id = ? RETURNING Id"), {game.id});
        if (!m_link.next(gone)) {
            throw ServerConflict(QStringLiteral("The game of table %1 was taken back at another "
                                                "station a moment ago.")
                                     .arg(game.seat + 1));
        }
        applyChanges(m_link, changes);
        writeSeat(m_link, game.seat, seat);
    });
}

QList<Progress::Entrant> ServerTournamentStore::amendGame(const Progress::Game &game,
                                                          const QList<StandingsChange> &changes,
                                                          const EntrantsOf &entrantsOf,
                                                          const ArchiveOf &archiveOf)
{
    return change(Check::Counter, Act::Result, "game amended", [&] {
        applyChanges(m_link, changes);
        m_link.exec(
            QStringLiteral("UPDATE ZuviGame SET Result1 = ?, Points1 = ?, Power1 = ?, "
                           "Power2 = ?, Station = ? WHERE Id = ?"),
            {game.result1, game.points1, game.power1, game.power2, m_link.station(), game.id});
        const QList<Progress::StandingsRow> standings = readStandings(m_link);
        QList<Progress::Entrant> entrants = entrantsOf(standings);
        writeEntrants(m_link, entrants);
        rewriteArchived(m_link, standings, archiveOf);
        return entrants;
    });
}

QList<Progress::Entrant>
ServerTournamentStore::recordMissedGame(Progress::Game &game, const Progress::MissedGame &missed,
                                        const QList<StandingsChange> &changes,
                                        const EntrantsOf &entrantsOf, const ArchiveOf &archiveOf)
{
    return change(Check::Unchecked, Act::Result, "game recorded late", [&] {
        QSqlQuery &gone = m_link.exec(QStringLiteral("DELETE FROM ZuviMissedGame WHERE Round = ? "
                                                     "AND Pairing = ? AND Seat = ? RETURNING Seat"),
                                      {missed.round, missed.pairing, missed.seat});
        if (!m_link.next(gone)) {
            throw ServerConflict(
                QStringLiteral("Table %1 of round %2 was recorded at another station a moment ago.")
                    .arg(missed.seat + 1)
                    .arg(missed.round));
        }
        applyChanges(m_link, changes);
        game.id = insertGame(m_link, game);
        const QList<Progress::StandingsRow> standings = readStandings(m_link);
        QList<Progress::Entrant> entrants = entrantsOf(standings);
        writeEntrants(m_link, entrants);
        rewriteArchived(m_link, standings, archiveOf);
        return entrants;
    });
}

QList<Progress::Entrant> ServerTournamentStore::endRound(const Progress::State &next,
                                                         const QList<Progress::MissedGame> &missed,
                                                         const EntrantsOf &entrantsOf,
                                                         const ArchiveOf &archiveOf)
{
    return change(Check::Pairing, Act::Organise, "round ended", [&] {
        QList<QVariantList> rows;
        rows.reserve(missed.size());
        for (const Progress::MissedGame &g : missed)
            rows.append({g.round, g.pairing, g.seat, g.player1, g.player2});
        m_link.execForEach(QStringLiteral("INSERT INTO ZuviMissedGame (Round, Pairing, Seat, "
                                          "Player1, Player2) VALUES (?, ?, ?, ?, ?)"),
                           rows);
        const QList<Progress::StandingsRow> standings = readStandings(m_link);
        QList<Progress::Entrant> entrants = entrantsOf(standings);
        writeEntrants(m_link, entrants);
        writeSeats(m_link, next.seats);
        writeScalars(m_link, next);
        if (archiveOf) {
            if (const std::optional<History::ArchivedTournament> archived = archiveOf(standings))
                History::rememberArchive(m_link, History::writeArchive(m_link, *archived));
        }
        return entrants;
    });
}

void ServerTournamentStore::leaveRound(Progress::State &next, const Pairer &pair)
{
    change(Check::Pairing, Act::Organise, "round left", [&] {
        if (pair)
            pairAndWrite(m_link, next, pair);
        else
            writeSeats(m_link, next.seats);
        writeScalars(m_link, next);
    });
}

void ServerTournamentStore::saveReports(const Progress::State &next)
{
    // Only the reports and their options, as the clock writes only its own values.
    change(Check::Unchecked, Act::Result, "reports kept", [&] {
        for (const auto &[key, value] : Progress::reportStateValues(next))
            m_link.exec(upsertState(), {key, stateText(value)});
    });
}

void ServerTournamentStore::saveClock(const Progress::State &next)
{
    // Only the clock's own values: every station's clock runs out at the same moment, and
    // none of them may write back the rest of a state it read earlier.
    change(Check::Unchecked, Act::Result, "clock set", [&] {
        m_link.exec(upsertState(),
                    {QStringLiteral("clockRunning"), QString::number(int(next.clockRunning))});
        m_link.exec(upsertState(), {QStringLiteral("clockEnd"), QString::number(next.clockEndMs)});
        m_link.exec(upsertState(),
                    {QStringLiteral("clockLeft"), QString::number(next.clockLeftSeconds)});
    });
}

} // namespace Zuvi
