#pragma once

#include "data/serverlink.h"
#include "history/archive.h"
#include "history/league.h"

#include <optional>

namespace Zuvi::History {

/// The club's archive where this run keeps it: the stored players' file, or the shared
/// server (server set). Each call is one connection and, where it writes, one transaction;
/// failures throw DbError or ServerError.
class ArchiveAccess
{
public:
    explicit ArchiveAccess(std::optional<Data::ServerAddress> server, QString station = {})
        : m_server(std::move(server)), m_station(std::move(station))
    {
    }

    /// Every archived tournament, newest first, with its entrants; with details, its
    /// games as well.
    QList<ArchivedTournament> list(bool details = false) const;
    /// The games of one archived tournament.
    QList<ArchivedGame> games(qint64 id) const;
    void rename(qint64 id, const QString &name) const;
    /// Gives stored player from's archived tournaments to stored player into (two records
    /// of one person); returns how many entries moved. Nothing for a player merged into
    /// itself or an unknown one (0).
    qint64 mergePlayer(qint64 from, qint64 into) const;
    /// The leagues kept, by name; a league kept under its name (replacing one of that
    /// name); a league removed.
    QList<League> leagues() const;
    qint64 saveLeague(const League &league) const;
    void removeLeague(qint64 id) const;
    void remove(qint64 id) const;
    /// Adds a tournament of the past (for example brought in from an old file); returns
    /// its number.
    qint64 add(const ArchivedTournament &tournament) const;
    /// The stored players (beside the archive) by display name, for linking the entrants of
    /// a past tournament; a name that two players share is left out.
    QHash<QString, qint64> storedPlayersByName() const;

private:
    std::optional<Data::ServerAddress> m_server;
    QString m_station;
};

} // namespace Zuvi::History
