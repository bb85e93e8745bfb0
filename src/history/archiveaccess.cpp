#include "history/archiveaccess.h"

#include "data/dbconnection.h"
#include "data/displayname.h"
#include "data/installfolder.h"
#include "data/statements.h"
#include "history/archivestorage.h"

namespace Zuvi::History {

namespace {

/// Runs work on the archive's connection, in one transaction where it writes.
template <typename Work>
auto onArchive(const std::optional<Data::ServerAddress> &server, const QString &station,
               bool writes, Work &&work)
{
    if (server) {
        Data::ServerLink link(*server, station);
        if (!writes)
            return work(link);
        Data::ServerTransaction transaction(link);
        auto result = work(link);
        transaction.commit();
        return result;
    }
    Data::DbConnection connection(Data::playersDatabase());
    if (!writes)
        return work(connection);
    Data::Transaction transaction(connection);
    auto result = work(connection);
    transaction.commit();
    return result;
}

} // namespace

QList<ArchivedTournament> ArchiveAccess::list(bool details) const
{
    return onArchive(m_server, m_station, false,
                     [&](auto &db) { return readArchives(db, details); });
}

QList<ArchivedGame> ArchiveAccess::games(qint64 id) const
{
    return onArchive(m_server, m_station, false,
                     [&](auto &db) { return readArchiveGames(db, id); });
}

QList<League> ArchiveAccess::leagues() const
{
    return onArchive(m_server, m_station, false, [&](auto &db) { return readLeagues(db); });
}

qint64 ArchiveAccess::saveLeague(const League &league) const
{
    return onArchive(m_server, m_station, true, [&](auto &db) { return writeLeague(db, league); });
}

void ArchiveAccess::removeLeague(qint64 id) const
{
    onArchive(m_server, m_station, true, [&](auto &db) {
        deleteLeague(db, id);
        return 0;
    });
}

qint64 ArchiveAccess::mergePlayer(qint64 from, qint64 into) const
{
    if (from == 0 || into == 0 || from == into)
        return 0;
    return onArchive(m_server, m_station, true,
                     [&](auto &db) { return mergePlayerHistory(db, from, into); });
}

void ArchiveAccess::rename(qint64 id, const QString &name) const
{
    onArchive(m_server, m_station, true, [&](auto &db) {
        renameArchive(db, id, name);
        return 0;
    });
}

void ArchiveAccess::remove(qint64 id) const
{
    onArchive(m_server, m_station, true, [&](auto &db) {
        deleteArchive(db, id);
        return 0;
    });
}

qint64 ArchiveAccess::add(const ArchivedTournament &tournament) const
{
    return onArchive(m_server, m_station, true,
                     [&](auto &db) { return writeArchive(db, tournament); });
}

} // namespace Zuvi::History

namespace Zuvi::History {

QHash<QString, qint64> ArchiveAccess::storedPlayersByName() const
{
    QHash<QString, qint64> ids;
    QSet<QString> shared;
    const auto take = [&](const QString &first, const QString &last, qint64 id) {
        const QString name = displayName(last, first);
        if (ids.contains(name))
            shared.insert(name);
        ids.insert(name, id);
    };
    if (m_server) {
        Data::ServerLink link(*m_server, m_station);
        QSqlQuery &query = link.exec(Data::Sql::selectServerPlayersWithIds());
        while (link.next(query))
            take(query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong());
        query.finish();
    } else {
        Data::DbConnection players(Data::playersDatabase());
        players.readRows(Data::Sql::selectPlayersWithIds(), [&](const Data::RowView &row) {
            take(row.text(0), row.text(1), row.value(2).toLongLong());
        });
    }
    for (const QString &name : std::as_const(shared))
        ids.remove(name);
    return ids;
}

} // namespace Zuvi::History
