#include "page/pageserver.h"

#include "core/errorpath.h"
#include "page/reportrequest.h"
#include "publish/pagecode.h"
#include "publish/publishactions.h"
#include "publish/snapshot.h"
#include "round/scoring.h"
#include "tournament/tournamentprogress.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace Zuvi {

namespace {

/// A listening socket whose connections are watched before the HTTP server reads them: one
/// that sends a request larger than the limit (its line and headers included) before it is
/// answered, or stays silent longer than the idle time, is closed, so that a slow or
/// oversized client cannot hold the page's memory or its connections.
class GuardedTcpServer final : public QTcpServer
{
public:
    GuardedTcpServer(qint64 maxRequestBytes, int idleMs, QObject *parent)
        : QTcpServer(parent), m_maxRequestBytes(maxRequestBytes), m_idleMs(idleMs)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(m_idleMs);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        // Bytes received since the last answer: one request, or a few pipelined ones.
        const auto received = std::make_shared<qint64>(0);
        const qint64 limit = m_maxRequestBytes;
        connect(socket, &QTcpSocket::readyRead, socket, [socket, idle, received, limit] {
            idle->start();
            *received += socket->bytesAvailable();
            if (*received > limit)
                socket->abort();
        });
        connect(socket, &QTcpSocket::bytesWritten, socket, [idle, received] {
            idle->start();
            *received = 0;
        });
        idle->start();
        addPendingConnection(socket);
    }

private:
    qint64 m_maxRequestBytes;
    int m_idleMs;
};

using Status = QHttpServerResponder::StatusCode;

// The page may load its own script, style and data, and nothing else.
const QByteArray kPolicy = "default-src 'none'; script-src 'self'; style-src 'self'; "
                           "connect-src 'self'; img-src 'self'; base-uri 'none'; "
                           "form-action 'none'; frame-ancestors 'none'";

struct PageFile
{
    const char *path;
    const char *resource;
    const char *type;
};
const PageFile kFiles[] = {
    {"/", ":/page/index.html", "text/html; charset=utf-8"},
    {"/page.js", ":/page/page.js", "text/javascript; charset=utf-8"},
    {"/page.css", ":/page/page.css", "text/css; charset=utf-8"},
};

/// Writes one response: the security headers always, the body unless the request is HEAD.
void respond(QHttpServerResponder &responder, bool head, Status status, const QByteArray &type,
             const QByteArray &body, const QList<std::pair<QByteArray, QByteArray>> &extra = {})
{
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Security-Policy", kPolicy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-cache");
    if (!type.isEmpty())
        responder.writeHeader("Content-Type", type);
    for (const auto &header : extra)
        responder.writeHeader(header.first, header.second);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    if (head)
        responder.writeBody(QByteArray());
    else
        responder.writeBody(body);
}

/// True where a POST comes from the page's own origin: a browser names the origin of the page
/// that sent it (Origin), which must be this server as the request addressed it (Host); a
/// request without Origin is not a cross-site one (a browser always sends it on a cross-site
/// POST). A form or a script of another site is refused so, before anything is counted.
bool fromOwnPage(const QHttpServerRequest &request)
{
    const QByteArray site = request.value("Sec-Fetch-Site").trimmed().toLower();
    if (!site.isEmpty() && site != "same-origin" && site != "none")
        return false;
    const QByteArray origin = request.value("Origin").trimmed().toLower();
    if (origin.isEmpty())
        return true;
    const QByteArray host = request.value("Host").trimmed().toLower();
    return !host.isEmpty() && origin == "http://" + host;
}

/// A private link's path: /p/ and a code's letters (any, so that the answer says nothing of
/// whether the code is one).
bool isPrivateLink(const QString &path)
{
    if (!path.startsWith(QLatin1String("/p/")) || path.size() <= 3 || path.size() > 3 + 64)
        return false;
    return std::all_of(path.cbegin() + 3, path.cend(), [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
    });
}

QJsonObject pairingJson(const Publish::PairingRow &row)
{
    return {{QStringLiteral("table"), row.table},     {QStringLiteral("player1"), row.player1},
            {QStringLiteral("house1"), row.house1},   {QStringLiteral("score1"), row.score1},
            {QStringLiteral("player2"), row.player2}, {QStringLiteral("house2"), row.house2},
            {QStringLiteral("score2"), row.score2},   {QStringLiteral("recorded"), row.recorded}};
}

} // namespace

PageServer::PageServer(TournamentProgress *progress, QObject *parent)
    : QAbstractHttpServer(parent), m_progress(progress)
{
    // Whatever changes in the tournament makes the page's data new.
    const auto stale = [this] { m_stale = true; };
    connect(m_progress, &TournamentProgress::entrantsChanged, this, stale);
    connect(m_progress, &TournamentProgress::pairingChanged, this, stale);
    connect(m_progress, &TournamentProgress::gamesChanged, this, stale);
    connect(m_progress, &TournamentProgress::roundChanged, this, stale);
    connect(m_progress, &TournamentProgress::clockChanged, this, stale);
    connect(m_progress, &TournamentProgress::publishedChanged, this, stale);
    connect(m_progress, &TournamentProgress::reportsChanged, this, stale);
}

quint16 PageServer::start(const QHostAddress &address, quint16 port, QString *problem)
{
    stop();
    auto *server = new GuardedTcpServer(m_maxRequestBytes, m_idleMs, this);
    // A room of phones connects at once when a pairing is announced: the default queue of
    // 50 connections not yet taken would leave the rest waiting for the network's retries.
    server->setListenBacklogSize(1024);
    if (!server->listen(address, port)) {
        if (problem)
            *problem = server->errorString();
        delete server;
        return 0;
    }
    bind(server);
    m_address = address;
    m_port = server->serverPort();
    m_stale = true;
    // The big screen shows the address to scan. Where the page is served on this computer
    // only, a phone could not open it: there is nothing to scan.
    if (!address.isLoopback())
        Publish::PageAddress::instance().setAddress(pageAddress());
    return m_port;
}

void PageServer::setLimits(qint64 maxRequestBytes, int idleMs)
{
    m_maxRequestBytes = std::max<qint64>(1024, maxRequestBytes);
    m_idleMs = std::max(10, idleMs);
}

void PageServer::stop()
{
    for (QTcpServer *server : servers()) {
        server->close();
        server->deleteLater();
    }
    if (m_port != 0 && Publish::PageAddress::instance().address() == pageAddress())
        Publish::PageAddress::instance().setAddress(QString());
    m_port = 0;
}

QString PageServer::pageAddress() const
{
    if (!m_port)
        return QString();
    QHostAddress shown = m_address;
    // Served at every address of this computer: the first of its network's addresses is the
    // one to give out.
    if (shown == QHostAddress::Any || shown == QHostAddress::AnyIPv4 ||
        shown == QHostAddress::AnyIPv6) {
        shown = QHostAddress::LocalHost;
        const auto addresses = QNetworkInterface::allAddresses();
        for (const QHostAddress &address : addresses) {
            if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol) {
                shown = address;
                break;
            }
        }
    }
    QString host = shown.toString();
    if (shown.protocol() == QAbstractSocket::IPv6Protocol)
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return QStringLiteral("http://%1:%2/").arg(host).arg(m_port);
}

QByteArray PageServer::stateJson()
{
    if (!m_stale && !m_json.isEmpty())
        return m_json;
    const Publish::Snapshot snapshot = Publish::roomSnapshot(*m_progress);
    QJsonObject state;
    state.insert(QStringLiteral("round"), snapshot.round);
    state.insert(QStringLiteral("roundOpen"), snapshot.roundOpen);
    state.insert(QStringLiteral("started"), snapshot.started);
    state.insert(QStringLiteral("final"), snapshot.final);
    if (snapshot.rounds)
        state.insert(QStringLiteral("rounds"), *snapshot.rounds);
    // The clock once it has been started: a count down, or the time left when it stopped.
    if (m_progress->clockRunning() || m_progress->clock().remainingSeconds() > 0)
        state.insert(QStringLiteral("clock"),
                     Round::RoundClock::caption(m_progress->clock().hours(),
                                                m_progress->clock().minutes(),
                                                m_progress->clock().seconds()));
    QJsonArray pairings;
    for (const Publish::PairingRow &row : snapshot.pairings)
        pairings.append(pairingJson(row));
    state.insert(QStringLiteral("pairings"), pairings);
    // The report form shows while the open round's results are taken from the tables.
    state.insert(QStringLiteral("reports"), m_acceptReports && m_progress->takeReports() &&
                                                snapshot.roundOpen && !snapshot.pairings.isEmpty());
    QJsonArray standings;
    if (!snapshot.roundOpen) {
        for (const Publish::RankedRow &row : snapshot.standings)
            standings.append(QJsonObject{{QStringLiteral("rank"), row.rank},
                                         {QStringLiteral("name"), row.name},
                                         {QStringLiteral("house"), row.house},
                                         {QStringLiteral("score"), Round::powerText(row.score)},
                                         {QStringLiteral("power"), Round::powerText(row.power)},
                                         {QStringLiteral("dropped"), row.dropped}});
    }
    state.insert(QStringLiteral("standings"), standings);
    m_json = QJsonDocument(state).toJson(QJsonDocument::Compact);
    m_etag =
        '"' + QCryptographicHash::hash(m_json, QCryptographicHash::Sha1).toHex().left(20) + '"';
    m_stale = false;
    return m_json;
}

bool PageServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    const QString path = request.url().path();
    const auto method = request.method();
    const bool head = method == QHttpServerRequest::Method::Head;
    if (path == QLatin1String("/report") || path == QLatin1String("/me")) {
        if (method != QHttpServerRequest::Method::Post) {
            respond(responder, head, Status::MethodNotAllowed, "text/plain; charset=utf-8",
                    "Only POST.\n", {{"Allow", "POST"}});
            return true;
        }
        const bool me = path == QLatin1String("/me");
        std::pair<int, QString> answer;
        if (!fromOwnPage(request))
            answer = {403, QStringLiteral("Reports are taken only from Zuvi's own page.")};
        else
            answer = me ? identify(request) : takeReport(request);
        const auto &[status, text] = answer;
        QJsonObject reply{{QStringLiteral("ok"), status == 200}};
        reply.insert(me && status == 200 ? QStringLiteral("name") : QStringLiteral("message"),
                     text);
        // A sender held back is told how long it waits, in seconds.
        QList<std::pair<QByteArray, QByteArray>> extra;
        if (status == 429)
            extra.append({"Retry-After", QByteArray::number(m_retryAfterSeconds)});
        respond(responder, false, Status(status), "application/json",
                QJsonDocument(reply).toJson(QJsonDocument::Compact), extra);
        return true;
    }
    if (method != QHttpServerRequest::Method::Get && !head) {
        respond(responder, false, Status::MethodNotAllowed, "text/plain; charset=utf-8",
                "Only GET and HEAD.\n", {{"Allow", "GET, HEAD"}});
        return true;
    }
    if (path == QLatin1String("/state.json")) {
        const QByteArray json = stateJson();
        if (request.value("If-None-Match") == m_etag) {
            respond(responder, true, Status::NotModified, QByteArray(), QByteArray(),
                    {{"ETag", m_etag}});
            return true;
        }
        respond(responder, head, Status::Ok, "application/json", json, {{"ETag", m_etag}});
        return true;
    }
    // A private link is the page itself: its script reads the code from the path.
    const QString served = isPrivateLink(path) ? QStringLiteral("/") : path;
    for (const PageFile &file : kFiles) {
        if (served == QLatin1String(file.path)) {
            QFile resource(QString::fromLatin1(file.resource));
            const QByteArray body =
                resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
            respond(responder, head, Status::Ok, file.type, body);
            return true;
        }
    }
    respond(responder, head, Status::NotFound, "text/plain; charset=utf-8", "Not found.\n");
    return true;
}

QList<ReportWaits::Sender> PageServer::wrongCodeSenders() const
{
    return m_waits.senders(QDateTime::currentMSecsSinceEpoch());
}

int PageServer::liftWaits()
{
    return m_waits.liftAll(QDateTime::currentMSecsSinceEpoch());
}

std::optional<std::pair<int, QString>> PageServer::holdBack(const QString &sender, qint64 now)
{
    if (const qint64 left = m_waits.waitLeft(sender, now); left > 0) {
        m_retryAfterSeconds = (left + 999) / 1000;
        const qint64 minutes = (left + 59999) / 60000;
        return std::pair{429, minutes == 1
                                  ? QStringLiteral("Too many wrong codes from this phone: please "
                                                   "wait a minute, or ask the organiser.")
                                  : QStringLiteral("Too many wrong codes from this phone: please "
                                                   "wait %1 minutes, or ask the organiser.")
                                        .arg(minutes)};
    }
    // Each address may send a few reports a minute: enough for a player, a mistake or two and
    // a reload of the page, too few to try codes one after the other.
    QList<qint64> &times = m_reportTimes[sender];
    times.removeIf([now](qint64 at) { return now - at >= 60000; });
    if (times.size() >= m_reportsPerMinute) {
        m_retryAfterSeconds = 60;
        return std::pair{429,
                         QStringLiteral("Too many reports from this phone: please wait a minute.")};
    }
    times.append(now);
    if (m_reportTimes.size() > 4096) {
        // Addresses that have not reported within the minute are forgotten.
        m_reportTimes.removeIf([now](const auto &entry) {
            return entry.value().isEmpty() || now - entry.value().last() >= 60000;
        });
    }
    return std::nullopt;
}

std::pair<int, QString> PageServer::identify(const QHttpServerRequest &request)
{
    const QString sender = request.remoteAddress().toString();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (const auto refused = holdBack(sender, now))
        return *refused;
    if (!request.value("Content-Type").startsWith("application/x-www-form-urlencoded"))
        return {415, QStringLiteral("The request is not a form Zuvi knows.")};
    QString problem;
    const std::optional<QString> code = parseCodeForm(request.body(), &problem);
    if (!code)
        return {400, problem};
    const QString name = m_progress->ownerOfCode(*code);
    if (name.isEmpty()) {
        // Asking whose a code is counts as a report would: a wrong code is a wrong code.
        m_waits.wrongCode(sender, now);
        return {403, QStringLiteral("The code of this link is not on any player card: please "
                                    "ask the organiser.")};
    }
    return {200, name};
}

std::pair<int, QString> PageServer::takeReport(const QHttpServerRequest &request)
{
    using Outcome = TournamentProgress::ReportOutcome;
    if (!m_acceptReports || !m_progress->takeReports())
        return {403, QStringLiteral("Results are not taken on this page: please report at the "
                                    "desk.")};
    const QString client = request.remoteAddress().toString();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (const auto refused = holdBack(client, now))
        return *refused;
    if (!request.value("Content-Type").startsWith("application/x-www-form-urlencoded"))
        return {415, QStringLiteral("The report is not a form Zuvi knows.")};
    QString problem;
    const std::optional<TournamentProgress::ReportRequest> report =
        parseReportRequest(request.body(), &problem);
    if (!report)
        return {400, problem};
    std::optional<Outcome> outcome;
    // A failure to keep the report is the organiser's to see; the player is told to report at
    // the desk.
    Core::runGuarded([&] { outcome = m_progress->takeReport(*report); });
    if (!outcome)
        return {503, QStringLiteral("The report could not be kept: please report at the desk.")};
    if (*outcome == Outcome::WrongCode)
        m_waits.wrongCode(client, now);
    // The table is the code's owner's, whatever table the form named.
    const int table = m_progress->tableOf(m_progress->ownerOfCode(report->code));
    switch (*outcome) {
    case Outcome::Taken:
        return {200, report->drop ? QStringLiteral("The organiser has your wish to drop from "
                                                   "table %1 and will confirm it.")
                                        .arg(table)
                                  : QStringLiteral("Thank you: your report for table %1 is "
                                                   "with the organiser.")
                                        .arg(table)};
    case Outcome::Recorded:
        return {200, QStringLiteral("Thank you: both reports agree, and the result of table %1 "
                                    "is recorded.")
                         .arg(table)};
    case Outcome::NotTaking:
        return {403, QStringLiteral("Results are not taken on this page: please report at the "
                                    "desk.")};
    case Outcome::NoSuchTable:
        return {404, QStringLiteral("You have no game of this round waiting for a result.")};
    case Outcome::AlreadyRecorded:
        return {409, QStringLiteral("The result of table %1 is recorded already. Please see the "
                                    "organiser if it is wrong.")
                         .arg(table)};
    case Outcome::WrongCode:
        return {403, QStringLiteral("That code is not on any player card. Please look at your "
                                    "card, or ask the organiser.")};
    case Outcome::BadReport:
        return {400, QStringLiteral("Please choose a result and give both powers as numbers "
                                    "(0 or more).")};
    case Outcome::AlreadyDropped:
        return {409, QStringLiteral("You have dropped already.")};
    }
    return {400, QStringLiteral("The report is not one Zuvi knows.")};
}

void PageServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    respond(responder, false, Status::NotFound, "text/plain; charset=utf-8", "Not found.\n");
}

} // namespace Zuvi
