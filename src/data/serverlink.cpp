#include "data/serverlink.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

namespace Zuvi::Data {

namespace {

const QStringList kSslModes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                               QStringLiteral("prefer"),    QStringLiteral("require"),
                               QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

QString fail(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
    return text;
}

/// A value for libpq's connection string: quoted, with its quotes and backslashes escaped.
QString conninfoValue(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

/// The statements are written once for both stores: "[a b]" names a column as Access and
/// SQLite write it; the server's tables have the same names in lower case.
QString forServer(const QString &sql)
{
    if (!sql.contains(QLatin1Char('[')))
        return sql;
    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\]]*)\\]"));
    QString result;
    qsizetype last = 0;
    auto it = bracketed.globalMatch(sql);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += sql.mid(last, match.capturedStart() - last);
        result += QLatin1Char('"') + match.captured(1).toLower() + QLatin1Char('"');
        last = match.capturedEnd();
    }
    result += sql.mid(last);
    return result;
}

/// True for a failure after which the connection cannot be used any more.
bool connectionLost(const QSqlError &error, const QSqlDatabase &db)
{
    if (error.type() == QSqlError::ConnectionError || !db.isOpen())
        return true;
    const QString code = error.nativeErrorCode();
    // No SQL state: libpq failed before the server answered (the connection is gone);
    // class 08 is a connection exception, 57P01 to 57P03 a server shutting down or a
    // terminated session.
    return code.isEmpty() || code.startsWith(QLatin1String("08")) ||
           code.startsWith(QLatin1String("57P"));
}

/// libpq's reason in one line: its first line without the severity ("ERROR:  ").
QString reasonOf(const QSqlError &error)
{
    QString reason = error.databaseText().trimmed();
    if (reason.isEmpty())
        reason = error.driverText().trimmed();
    reason = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
    // The server's address is in the message already; the severity says nothing more.
    static const QRegularExpression where(
        QStringLiteral("^connection to server (at|on) [^,]*(, port \\d+)? failed:\\s*"));
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s*"));
    reason.remove(where);
    reason.remove(severity);
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (reason.isEmpty())
        reason = QStringLiteral("no reason given");
    return reason;
}

} // namespace

std::optional<ServerAddress> ServerAddress::fromUrl(const QString &text, QString *problem)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() ||
        (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
        fail(problem, QStringLiteral("\"%1\" is not a server address such as "
                                     "postgresql://user@host:5432/database")
                          .arg(text.left(200)));
        return std::nullopt;
    }
    ServerAddress address;
    if (!url.host().isEmpty())
        address.host = url.host();
    address.port = url.port(5432);
    if (address.port < 1 || address.port > 65535) {
        fail(problem, QStringLiteral("The port must be a number from 1 to 65535."));
        return std::nullopt;
    }
    address.database = url.path().mid(1);
    address.user = url.userName();
    address.password = url.password();
    if (address.database.isEmpty() || address.database.contains(QLatin1Char('/'))) {
        fail(problem, QStringLiteral("The server address names no database: add it after the "
                                     "port, as in postgresql://user@host:5432/database"));
        return std::nullopt;
    }
    const QUrlQuery query(url);
    for (const auto &item : query.queryItems(QUrl::FullyDecoded)) {
        if (item.first == QLatin1String("sslmode") && kSslModes.contains(item.second)) {
            address.sslmode = item.second;
        } else {
            fail(problem, QStringLiteral("The server address has an option Zuvi does not "
                                         "know: %1 (only sslmode=%2)")
                              .arg(item.first.left(100), kSslModes.join(QLatin1Char('|'))));
            return std::nullopt;
        }
    }
    return address;
}

QString ServerAddress::url() const
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(user);
    url.setHost(host);
    url.setPort(port);
    url.setPath(QLatin1Char('/') + database);
    if (!sslmode.isEmpty())
        url.setQuery(QStringLiteral("sslmode=") + sslmode);
    return url.toString();
}

QString ServerAddress::where() const
{
    return QStringLiteral("%1:%2/%3").arg(host).arg(port).arg(database);
}

ServerLink::ServerLink(ServerAddress address, QString station)
    : m_address(std::move(address)), m_station(std::move(station))
{
    static QAtomicInt counter;
    m_name = QStringLiteral("zuvi-server-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    db.setHostName(m_address.host);
    db.setPort(m_address.port);
    db.setDatabaseName(m_address.database);
    db.setUserName(m_address.user);
    db.setPassword(m_address.password);
    QStringList options{QStringLiteral("connect_timeout=5")};
    if (!m_address.sslmode.isEmpty())
        options << QStringLiteral("sslmode=") + m_address.sslmode;
    QString application = QStringLiteral("Zuvi");
    if (!m_station.isEmpty())
        application += QStringLiteral(": ") + m_station.left(40);
    // The options are separated by semicolons before libpq reads them.
    application.remove(QLatin1Char(';'));
    options << QStringLiteral("application_name=") + conninfoValue(application);
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

ServerLink::~ServerLink()
{
    m_statements.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void ServerLink::connect()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        return;
    m_statements.clear();
    if (!db.isValid() || !db.driver()) {
        throw ServerError(
            0, QStringLiteral("Zuvi cannot reach a PostgreSQL server: its driver for Qt is not "
                              "installed (Debian package libqt6sql6-psql)."));
    }
    if (!db.open()) {
        const QString reason = reasonOf(db.lastError());
        db.close();
        throw ServerError(
            0,
            QStringLiteral("The server %1 cannot be reached: %2").arg(m_address.where(), reason));
    }
}

void ServerLink::disconnect()
{
    m_statements.clear();
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    db.close();
}

bool ServerLink::isConnected() const
{
    return QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase ServerLink::database()
{
    connect();
    return QSqlDatabase::database(m_name, false);
}

void ServerLink::raise(const QSqlError &error)
{
    const QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (connectionLost(error, db)) {
        const QString reason = reasonOf(error);
        disconnect();
        throw ServerError(0, QStringLiteral("The connection to the server %1 was lost (%2). "
                                            "Nothing of this step was stored.")
                                 .arg(m_address.where(), reason));
    }
    throw ServerError(0, QStringLiteral("The server %1 refused this step: %2. Nothing of it "
                                        "was stored.")
                             .arg(m_address.where(), reasonOf(error)));
}

QSqlQuery &ServerLink::exec(const QString &sql, const QVariantList &values)
{
    connect();
    if (values.isEmpty()) {
        // Statements without values (BEGIN, COMMIT, LISTEN, the creation of tables) cannot
        // all be prepared on the server: they run as they are.
        QSqlQuery &query = m_statements[QString()];
        query = QSqlQuery(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.exec(forServer(sql)))
            raise(query.lastError());
        return query;
    }
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.prepare(forServer(sql)))
            raise(query.lastError());
        it = m_statements.insert(sql, query);
    }
    QSqlQuery &query = *it;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values.at(i));
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        raise(error);
    }
    return query;
}

bool ServerLink::next(QSqlQuery &query)
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        raise(query.lastError());
    return false;
}

void ServerLink::execForEach(const QString &sql, const QList<QVariantList> &rows)
{
    if (rows.isEmpty())
        return;
    // A plain INSERT of many rows goes as few statements of many rows each: one round trip
    // per statement, not per row.
    static const QRegularExpression plainInsert(
        QStringLiteral("^(INSERT\\s.*\\sVALUES\\s*)(\\([?,\\s]*\\))\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = plainInsert.match(sql);
    if (!match.hasMatch()) {
        for (const QVariantList &row : rows)
            exec(sql, row);
        return;
    }
    const qsizetype columns = qMax<qsizetype>(1, rows.first().size());
    const qsizetype perStatement = qMax<qsizetype>(1, 4000 / columns);
    for (qsizetype start = 0; start < rows.size(); start += perStatement) {
        const qsizetype count = qMin(perStatement, rows.size() - start);
        QString statement = match.captured(1);
        QVariantList values;
        values.reserve(count * columns);
        for (qsizetype i = 0; i < count; ++i) {
            if (i > 0)
                statement += QStringLiteral(", ");
            statement += match.captured(2);
            values += rows.at(start + i);
        }
        exec(statement, values);
    }
}

void ServerLink::begin()
{
    exec(QStringLiteral("BEGIN"));
}

void ServerLink::commit()
{
    exec(QStringLiteral("COMMIT"));
}

void ServerLink::rollback() noexcept
{
    try {
        if (isConnected())
            exec(QStringLiteral("ROLLBACK"));
    } catch (...) {
        disconnect();
    }
}

ServerTransaction::ServerTransaction(ServerLink &link) : m_link(link)
{
    m_link.begin();
}

ServerTransaction::~ServerTransaction()
{
    if (m_open)
        m_link.rollback();
}

void ServerTransaction::commit()
{
    m_open = false;
    m_link.commit();
}

} // namespace Zuvi::Data
