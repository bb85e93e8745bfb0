#pragma once

#include "data/dberror.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <optional>

class QSqlError;

namespace Zuvi::Data {

/// Where a shared tournament is kept: a PostgreSQL server, its database and the role that
/// connects. The password is held in memory only, never written to the settings, a log or
/// a message; where it is empty, libpq looks in its usual places (PGPASSFILE, ~/.pgpass, a
/// service file).
struct ServerAddress
{
    QString host = QStringLiteral("localhost");
    int port = 5432;
    QString database;
    QString user;
    /// libpq's sslmode (disable, allow, prefer, require, verify-ca, verify-full); empty
    /// leaves libpq's default.
    QString sslmode;
    QString password;

    /// Reads "postgresql://user@host:port/database?sslmode=require" (the password, where
    /// the address carries one, goes to password). Nothing, with problem set, for an
    /// address that is not one.
    static std::optional<ServerAddress> fromUrl(const QString &url, QString *problem = nullptr);
    /// The address as fromUrl() reads it, without the password.
    QString url() const;
    /// "host:port/database", for messages.
    QString where() const;
};

/// A step on the shared server that was not done, and why: its transaction was rolled
/// back, so nothing of it is stored. The station carries on (the message is shown, the
/// tournament is read again as stored) instead of ending as a local failure does.
class ServerError : public Interruption
{
public:
    using Interruption::Interruption;
};

/// Another station changed what this step was about a moment before: the step is not
/// done, and the tournament is shown as it is now stored.
class ServerConflict final : public ServerError
{
public:
    explicit ServerConflict(QString description) : ServerError(0, std::move(description)) {}
};

/// The one connection of a station to the shared server. It opens on first use and again
/// after it was lost; each statement is prepared once per connection. Every failure throws
/// ServerError with the server's message.
class ServerLink final
{
public:
    /// station names this station in the server's list of sessions.
    ServerLink(ServerAddress address, QString station);
    ~ServerLink();
    Q_DISABLE_COPY_MOVE(ServerLink)

    const ServerAddress &address() const { return m_address; }
    const QString &station() const { return m_station; }

    /// Opens the connection where it is not open. Throws ServerError naming the host and
    /// libpq's reason.
    void connect();
    /// Closes the connection: the next step opens it again.
    void disconnect();
    bool isConnected() const;
    /// The connection, opened where it was not.
    QSqlDatabase database();

    /// Runs a statement with its values bound; the query is positioned before its first
    /// row. The statement is prepared once per connection.
    QSqlQuery &exec(const QString &sql, const QVariantList &values = {});
    /// Reads the next row of a query, throwing if reading failed rather than ended.
    bool next(QSqlQuery &query);
    /// Runs one statement once for every list of values.
    void execForEach(const QString &sql, const QList<QVariantList> &rows);

    void begin();
    void commit();
    /// Rolls back an open transaction; a failure drops the connection instead.
    void rollback() noexcept;

    /// Throws ServerError for a Qt SQL error; where the connection was lost, it is closed
    /// so that the next step opens it again.
    [[noreturn]] void raise(const QSqlError &error);

private:
    ServerAddress m_address;
    QString m_station;
    QString m_name;
    QHash<QString, QSqlQuery> m_statements;
};

/// One transaction on the shared server for the length of a scope: BEGIN in the
/// constructor, COMMIT through commit(), ROLLBACK in the destructor unless committed.
class ServerTransaction final
{
public:
    explicit ServerTransaction(ServerLink &link);
    ~ServerTransaction();
    Q_DISABLE_COPY_MOVE(ServerTransaction)

    void commit();

private:
    ServerLink &m_link;
    bool m_open = true;
};

} // namespace Zuvi::Data
