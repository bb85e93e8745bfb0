#pragma once

// A tournament served as the players' page on the loopback, and a blocking GET for the
// tests: the server answers from this process's event loop while the request waits.

#include "support/memorytournamentstore.h"

#include "page/pageserver.h"
#include "tournament/tournamentprogress.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTimer>

namespace Zuvi::Test {

struct Fetched
{
    int status = 0;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; ///< lower-case names
};

inline Fetched fetch(const QString &url, const QByteArray &method = "GET",
                     const QList<std::pair<QByteArray, QByteArray>> &headers = {},
                     const QByteArray &body = {})
{
    static QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    // A HEAD sent as a custom verb would wait for the body its length announces.
    QNetworkReply *reply =
        method == "HEAD" ? manager.head(request) : manager.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    Fetched fetched;
    fetched.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    fetched.body = reply->readAll();
    for (const auto &pair : reply->rawHeaderPairs())
        fetched.headers.insert(pair.first.toLower(), pair.second);
    reply->deleteLater();
    return fetched;
}

/// Four entrants (one of them with markup in the name, one written right to left) in
/// round 1 of 2, served on a free port of the loopback.
struct ServedTournament
{
    ServedTournament()
    {
        model.setRandomSource([] { return 0.0; });
        for (const char *name : {"O'Neil, Bran", "<b>Zoë</b> & co", "כהן, שרה", "Snow, Jon"})
            model.addEntrant(QString::fromUtf8(name), QStringLiteral("Stark"));
        model.startRound(QStringLiteral("2"));
        QString problem;
        port = server.start(QHostAddress::LocalHost, 0, &problem);
        if (!port)
            qFatal("no page server: %s", qPrintable(problem));
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }

    MemoryTournamentStore store;
    TournamentProgress model{&store};
    PageServer server{&model};
    quint16 port = 0;
};

/// Posts a report as the page does.
inline Fetched postReport(const QString &url, const QByteArray &form)
{
    return fetch(url, "POST", {{"Content-Type", "application/x-www-form-urlencoded"}}, form);
}

/// Posts a form to path of the page served at port on the loopback, from the loopback
/// address from (127.0.0.2 is a second phone), as a browser does; the status and body.
inline Fetched postFrom(quint16 port, const QString &from, const QByteArray &path,
                        const QByteArray &form)
{
    QTcpSocket phone;
    Fetched fetched;
    if (!phone.bind(QHostAddress(from)))
        return fetched;
    phone.connectToHost(QHostAddress::LocalHost, port);
    if (!phone.waitForConnected(5000))
        return fetched;
    phone.write("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                "\r\nOrigin: http://127.0.0.1:" + QByteArray::number(port) +
                "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                QByteArray::number(form.size()) + "\r\n\r\n" + form);
    // The server answers from this thread's event loop.
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QEventLoop loop;
        QObject::connect(&phone, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        reply += phone.readAll();
        const qsizetype end = reply.indexOf("\r\n\r\n");
        if (end < 0)
            continue;
        const qsizetype at = reply.toLower().indexOf("content-length:");
        const qsizetype length =
            at < 0 ? 0 : reply.mid(at + 15, reply.indexOf("\r\n", at) - at - 15).trimmed().toInt();
        if (reply.size() >= end + 4 + length) {
            fetched.status = reply.mid(9, 3).toInt();
            fetched.body = reply.mid(end + 4, length);
            for (const QByteArray &line : reply.left(end).split('\n').mid(1)) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    fetched.headers.insert(line.left(colon).trimmed().toLower(),
                                           line.mid(colon + 1).trimmed());
            }
            break;
        }
    }
    return fetched;
}

} // namespace Zuvi::Test
