#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>

#include <algorithm>

namespace Zuvi {

class TournamentProgress;

/// The players' page on the local network: a read-only page of its own (GET /, /page.js,
/// /page.css) and the tournament as JSON (GET /state.json: the round, the clock, the
/// pairing by table, the standings between rounds), which the page asks for every few
/// seconds. Where the organiser takes results from the page, players report their table's
/// result with its code (POST /report). Only names, houses, scores, powers and tables are served:
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

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    /// Answers POST /report: the status and the player's message.
    std::pair<int, QString> takeReport(const QHttpServerRequest &request);

    TournamentProgress *m_progress;
    int m_reportsPerMinute = kReportsPerMinute;
    bool m_acceptReports = true;
    // The times of the reports of each client address within the last minute.
    QHash<QString, QList<qint64>> m_reportTimes;
    QHostAddress m_address;
    quint16 m_port = 0;
    qint64 m_maxRequestBytes = kMaxRequestBytes;
    int m_idleMs = kIdleMs;
    QByteArray m_json;
    QByteArray m_etag;
    bool m_stale = true;
};

} // namespace Zuvi
