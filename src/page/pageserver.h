#pragma once

#include "page/reportwaits.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>

#include <algorithm>
#include <optional>
#include <utility>

namespace Zuvi {

class TournamentProgress;

/// The players' page on the local network: a read-only page of its own (GET /, /page.js,
/// /page.css; the same page at a player's private link /p/<code>) and the tournament as JSON
/// (GET /state.json: the round, the clock, the pairing by table, the standings between
/// rounds), which the page asks for every few seconds. A private link's page asks whose it
/// is (POST /me); where the organiser takes results from the page, players report their
/// table's result with their personal codes (POST /report). Both take requests only from
/// the page's own origin; wrong codes make their sender wait (ReportWaits). Only names,
/// houses, scores, powers and tables are served:
/// nothing else of the stored players, and no file of the data folder. Every response carries a
/// content security policy that lets the page load nothing from elsewhere and run no inline script.
class PageServer final : public QAbstractHttpServer
{
    Q_OBJECT

public:
    explicit PageServer(TournamentProgress *progress, QObject *parent = nullptr);

    /// Listens at address and port (0: any free port). Returns the port, or 0 with the
    /// reason in problem.
    quint16 start(const QHostAddress &address, quint16 port, QString *problem);
    void stop();
    bool isServing() const { return m_port != 0; }
    /// The address to give out ("http://192.168.1.20:8080/"), empty while not serving.
    QString pageAddress() const;

    /// The tournament as the page reads it.
    QByteArray stateJson();

    /// What a connection may cost: a request (its line, headers and body) larger than
    /// maxRequestBytes, or a connection that sends and receives nothing for idleMs, is
    /// closed. Applies to the connections made after the next start().
    void setLimits(qint64 maxRequestBytes, int idleMs);
    static constexpr qint64 kMaxRequestBytes = 16 * 1024;
    static constexpr int kIdleMs = 30000;

    /// Reports (POST /report) taken from one client address in a minute; more are refused
    /// until the minute has passed.
    void setReportLimit(int perMinute) { m_reportsPerMinute = std::max(1, perMinute); }
    static constexpr int kReportsPerMinute = 12;
    /// Whether this page takes reports at all: the page served without a window
    /// (--serve-page) does not, since the organiser's window would not hear of them.
    void setAcceptReports(bool accept) { m_acceptReports = accept; }

    /// The senders that gave wrong codes, those waiting first.
    QList<ReportWaits::Sender> wrongCodeSenders() const;
    /// Lets every waiting sender report again (the organiser's command). Returns how many
    /// were waiting.
    int liftWaits();

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    /// Answers POST /report: the status and the player's message.
    std::pair<int, QString> takeReport(const QHttpServerRequest &request);
    /// Answers POST /me: the status, and the name of the code's owner or the message.
    std::pair<int, QString> identify(const QHttpServerRequest &request);
    /// Refuses a sender that reports too often or waits for its wrong codes (the status and
    /// the message); nothing where it may go on. Counts the request.
    std::optional<std::pair<int, QString>> holdBack(const QString &sender, qint64 now);

    TournamentProgress *m_progress;
    int m_reportsPerMinute = kReportsPerMinute;
    bool m_acceptReports = true;
    // The times of the reports of each client address within the last minute.
    QHash<QString, QList<qint64>> m_reportTimes;
    ReportWaits m_waits;
    // The Retry-After of the last request held back.
    qint64 m_retryAfterSeconds = 60;
    QHostAddress m_address;
    quint16 m_port = 0;
    qint64 m_maxRequestBytes = kMaxRequestBytes;
    int m_idleMs = kIdleMs;
    QByteArray m_json;
    QByteArray m_etag;
    bool m_stale = true;
};

} // namespace Zuvi
