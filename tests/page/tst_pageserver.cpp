// The players' page as served: its files with their security headers, the tournament as
// JSON with an ETag (an unchanged tournament costs a 304), GET and HEAD only, nothing of
// the data folder, and names served as data, never as markup.

#include "page/pagefixture.h"
#include "support/rowgame.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {
using Headers = QList<std::pair<QByteArray, QByteArray>>;
}

class TestPageServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filesCarryTheirPolicy_data();
    void filesCarryTheirPolicy();
    void stateFollowsTheTournament();
    void onlyGetAndHead_data();
    void onlyGetAndHead();
    void oversizedAndIdleConnectionsAreClosed_data();
    void oversizedAndIdleConnectionsAreClosed();
    void aRoomOfPhonesIsServedAtOnce();
    void twoHundredReportsWhileTheDeskRecords();
    void reportsAreAnswered_data();
    void reportsAreAnswered();
    void crossOriginPostsAreRefusedUncounted_data();
    void crossOriginPostsAreRefusedUncounted();
    void aWaitHoldsBackOneSenderOnly();
    void privateLinksServeThePage_data();
    void privateLinksServeThePage();
    void aLinksPageAsksWhoseItIs();
    void reportsNeedTheOptionTheFormAndTime();
    void nothingElseIsServed_data();
    void nothingElseIsServed();
};

void TestPageServer::filesCarryTheirPolicy_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("contains");
    QTest::newRow("page") << "/" << QByteArray("text/html; charset=utf-8")
                          << QByteArray("<script src=\"/page.js\" defer></script>");
    QTest::newRow("script") << "/page.js" << QByteArray("text/javascript; charset=utf-8")
                            << QByteArray("textContent");
    QTest::newRow("style") << "/page.css" << QByteArray("text/css; charset=utf-8")
                           << QByteArray("@media");
    QTest::newRow("data") << "/state.json" << QByteArray("application/json")
                          << QByteArray("\"pairings\"");
}

void TestPageServer::filesCarryTheirPolicy()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, contains);
    ServedTournament served;
    const Fetched page = fetch(served.url(path));
    QCOMPARE(page.status, 200);
    QCOMPARE(page.headers.value("content-type"), type);
    QVERIFY2(page.body.contains(contains), page.body.constData());
    // Nothing from elsewhere, no inline script, no sniffing.
    QCOMPARE(page.headers.value("content-security-policy"),
             QByteArray("default-src 'none'; script-src 'self'; style-src 'self'; connect-src "
                        "'self'; img-src 'self'; base-uri 'none'; form-action 'none'; "
                        "frame-ancestors 'none'"));
    QCOMPARE(page.headers.value("x-content-type-options"), QByteArray("nosniff"));
    QVERIFY(!page.body.contains("<script>"));
    QVERIFY(!page.body.contains("http://") || path == QLatin1String("/page.js"));
}

void TestPageServer::stateFollowsTheTournament()
{
    ServedTournament served;
    const Fetched first = fetch(served.url(QStringLiteral("/state.json")));
    QCOMPARE(first.status, 200);
    const QJsonObject state = QJsonDocument::fromJson(first.body).object();
    QCOMPARE(state.value(QStringLiteral("round")).toInt(), 1);
    QCOMPARE(state.value(QStringLiteral("rounds")).toInt(), 2);
    QVERIFY(state.value(QStringLiteral("roundOpen")).toBool());
    const QJsonArray pairings = state.value(QStringLiteral("pairings")).toArray();
    QCOMPARE(pairings.size(), 2);
    // Names as typed, markup and right-to-left letters included: data, not markup.
    QCOMPARE(pairings.at(0).toObject().value(QStringLiteral("player1")).toString(),
             QStringLiteral("O'Neil, Bran"));
    QCOMPARE(pairings.at(0).toObject().value(QStringLiteral("player2")).toString(),
             QStringLiteral("<b>Zoë</b> & co"));
    QCOMPARE(pairings.at(1).toObject().value(QStringLiteral("player1")).toString(),
             QString::fromUtf8("כהן, שרה"));
    QCOMPARE(state.value(QStringLiteral("standings")).toArray().size(), 0);

    // Unchanged: a 304 without a body.
    const QByteArray etag = first.headers.value("etag");
    QVERIFY(etag.startsWith('"'));
    const Fetched again =
        fetch(served.url(QStringLiteral("/state.json")), "GET", {{"If-None-Match", etag}});
    QCOMPARE(again.status, 304);
    QVERIFY(again.body.isEmpty());

    // A result recorded: new data, a new tag; between rounds the standings.
    recordAtRow(served.model, 0, QStringLiteral("Full Win"), 4, 1);
    const Fetched recorded =
        fetch(served.url(QStringLiteral("/state.json")), "GET", {{"If-None-Match", etag}});
    QCOMPARE(recorded.status, 200);
    QVERIFY(recorded.headers.value("etag") != etag);
    QVERIFY(QJsonDocument::fromJson(recorded.body)
                .object()
                .value(QStringLiteral("pairings"))
                .toArray()
                .at(0)
                .toObject()
                .value(QStringLiteral("recorded"))
                .toBool());
    recordAtRow(served.model, 0, QStringLiteral("True Draw"), 2, 2);
    served.model.endRound();
    const QJsonObject between =
        QJsonDocument::fromJson(fetch(served.url(QStringLiteral("/state.json"))).body).object();
    QCOMPARE(between.value(QStringLiteral("pairings")).toArray().size(), 0);
    const QJsonArray standings = between.value(QStringLiteral("standings")).toArray();
    QCOMPARE(standings.size(), 4);
    QCOMPARE(standings.at(0).toObject().value(QStringLiteral("name")).toString(),
             QStringLiteral("O'Neil, Bran"));
    QCOMPARE(standings.at(0).toObject().value(QStringLiteral("rank")).toInt(), 1);

    // With pairings reviewed first, round 2 stays off the page until it is published: the
    // page still says the round is next, with the standings.
    served.model.setReviewPairings(true);
    served.model.startRound(QStringLiteral("2"));
    const QJsonObject waiting =
        QJsonDocument::fromJson(fetch(served.url(QStringLiteral("/state.json"))).body).object();
    QVERIFY(!waiting.value(QStringLiteral("roundOpen")).toBool());
    QCOMPARE(waiting.value(QStringLiteral("round")).toInt(), 1);
    QCOMPARE(waiting.value(QStringLiteral("pairings")).toArray().size(), 0);
    QCOMPARE(waiting.value(QStringLiteral("standings")).toArray().size(), 4);
    served.model.publishPairing();
    const QJsonObject shown =
        QJsonDocument::fromJson(fetch(served.url(QStringLiteral("/state.json"))).body).object();
    QVERIFY(shown.value(QStringLiteral("roundOpen")).toBool());
    QCOMPARE(shown.value(QStringLiteral("round")).toInt(), 2);
    QCOMPARE(shown.value(QStringLiteral("pairings")).toArray().size(), 2);
}

void TestPageServer::onlyGetAndHead_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("HEAD of the data") << QByteArray("HEAD") << "/state.json" << 200;
    QTest::newRow("HEAD of the page") << QByteArray("HEAD") << "/" << 200;
    QTest::newRow("POST") << QByteArray("POST") << "/state.json" << 405;
    QTest::newRow("PUT") << QByteArray("PUT") << "/" << 405;
    QTest::newRow("DELETE") << QByteArray("DELETE") << "/state.json" << 405;
}

void TestPageServer::onlyGetAndHead()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(int, status);
    ServedTournament served;
    const Fetched fetched = fetch(served.url(path), method);
    QCOMPARE(fetched.status, status);
    if (status == 405)
        QCOMPARE(fetched.headers.value("allow"), QByteArray("GET, HEAD"));
    if (method == "HEAD") {
        QVERIFY(fetched.body.isEmpty());
        QVERIFY(fetched.headers.value("content-length").toInt() > 0);
    }
    QCOMPARE(fetched.headers.value("x-content-type-options"), QByteArray("nosniff"));
}

void TestPageServer::reportsAreAnswered_data()
{
    QTest::addColumn<QList<QByteArray>>("forms");
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<int>("recorded");
    QTest::addColumn<QString>("said");

    // {1} and {2}: the personal codes of table 1's first and second player.
    const QByteArray win = "table=1&code={1}&result=Full+Win&power1=5&power2=2";
    const QByteArray agree = "table=1&code={2}&result=Full+Win&power1=5&power2=2";
    const QByteArray wrong = "table=1&code=ACDEFGHJK&result=Full+Win&power1=5&power2=2";
    using F = QList<QByteArray>;
    using S = QList<int>;
    QTest::newRow("one player reports") << F{win} << S{200} << 0 << "is with the organiser";
    QTest::newRow("both agree: recorded")
        << F{win, agree} << S{200, 200} << 1 << "the result of table 1 is recorded";
    QTest::newRow("a report after the result changes nothing")
        << F{win, agree, "code={1}&result=Full+Loss&power1=0&power2=9"} << S{200, 200, 409} << 1
        << "recorded already";
    QTest::newRow("one sender posts both players' reports with one code: nothing recorded")
        << F{"table=1&code={1}&player=1&result=Full+Win&power1=15&power2=0",
             "table=1&code={1}&player=2&result=Full+Win&power1=15&power2=0"}
        << S{200, 200} << 0 << "is with the organiser";
    QTest::newRow("a report naming the other player's seat: the code decides who reports")
        << F{"table=1&code={2}&player=1&result=Full+Win&power1=5&power2=2",
             "table=1&code={1}&player=2&result=Full+Win&power1=5&power2=2"}
        << S{200, 200} << 1 << "the result of table 1 is recorded";
    QTest::newRow("the table named is not the code's: the code's table counts")
        << F{"table=2&code={1}&result=Full+Win&power1=5&power2=2", agree} << S{200, 200} << 1
        << "the result of table 1 is recorded";
    QTest::newRow("a wrong code") << F{wrong} << S{403} << 0 << "not on any player card";
    QTest::newRow("five wrong codes: the sender waits, even with a right code")
        << F{wrong, wrong, wrong, wrong, wrong, win} << S{403, 403, 403, 403, 403, 429} << 0
        << "please wait a minute";
    QTest::newRow("no code") << F{"table=1&result=Full+Win&power1=5&power2=2"} << S{400} << 0
                             << "code on your player card";
    QTest::newRow("a table that is no number")
        << F{"table=one&code={1}&result=Full+Win&power1=5&power2=2"} << S{400} << 0
        << "not a table's number";
    QTest::newRow("a field twice") << F{win + "&table=2"} << S{400} << 0 << "gives a field twice";
    QTest::newRow("a field Zuvi does not know")
        << F{win + "&name=Eve"} << S{400} << 0 << "field Zuvi does not know";
    QTest::newRow("bytes that are not UTF-8")
        << F{"table=1&code={1}&result=Full%FFWin"} << S{400} << 0 << "not UTF-8";
    QTest::newRow("a broken escape")
        << F{"table=1&code={1}&result=Full%2%99Win"} << S{400} << 0 << "not written as a form is";
    QTest::newRow("a report too long")
        << F{win + "&power2=" + QByteArray(3000, '9')} << S{400} << 0 << "too long";
    QTest::newRow("a result the desk does not know")
        << F{"table=1&code={1}&result=Victory&power1=5&power2=2"} << S{400} << 0
        << "choose a result";
    QTest::newRow("markup for a power")
        << F{"table=1&code={1}&result=Full+Win&power1=%3Cscript%3E&power2=2"} << S{400} << 0
        << "both powers as numbers";
}

void TestPageServer::reportsAreAnswered()
{
    QFETCH(QList<QByteArray>, forms);
    QFETCH(QList<int>, statuses);
    QFETCH(int, recorded);
    QFETCH(QString, said);
    ServedTournament served;
    served.model.setTakeReports(true);
    const QByteArray first = served.model.playerCode(served.model.seats().at(0).player1).toLatin1();
    const QByteArray second =
        served.model.playerCode(served.model.seats().at(0).player2).toLatin1();
    QList<int> got;
    QString last;
    for (QByteArray form : std::as_const(forms)) {
        const Fetched answer = postReport(served.url(QStringLiteral("/report")),
                                          form.replace("{1}", first).replace("{2}", second));
        got.append(answer.status);
        QCOMPARE(answer.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(answer.headers.value("x-content-type-options"), QByteArray("nosniff"));
        const QJsonObject reply = QJsonDocument::fromJson(answer.body).object();
        QCOMPARE(reply.value(QStringLiteral("ok")).toBool(), answer.status == 200);
        last = reply.value(QStringLiteral("message")).toString();
    }
    QCOMPARE(got, statuses);
    QVERIFY2(last.contains(said), qPrintable(last));
    QCOMPARE(served.model.games().size(), recorded);
    // A game is recorded only from both players' reports, each with their own code.
    if (recorded == 0)
        QVERIFY(served.model.tableReports(1) != Progress::TableReports::Agreed);
    // The application goes on serving, and no personal code is ever served.
    const Fetched state = fetch(served.url(QStringLiteral("/state.json")));
    QCOMPARE(state.status, 200);
    for (const Progress::Entrant &entrant : served.model.entrants())
        QVERIFY(!state.body.contains(served.model.playerCode(entrant.name).toLatin1()));
    QCOMPARE(QJsonDocument::fromJson(state.body)[QStringLiteral("reports")].toBool(), true);
}

void TestPageServer::crossOriginPostsAreRefusedUncounted_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<Headers>("headers");
    using H = Headers;
    QTest::newRow("a form posted from another site")
        << QByteArray("/report") << H{{"Origin", "http://evil.example"}};
    QTest::newRow("a script of another port of this host")
        << QByteArray("/report") << H{{"Origin", "http://127.0.0.1:1"}};
    QTest::newRow("an opaque origin (a sandboxed frame, a file)")
        << QByteArray("/report") << H{{"Origin", "null"}};
    QTest::newRow("a cross-site request without Origin")
        << QByteArray("/report") << H{{"Sec-Fetch-Site", "cross-site"}};
    QTest::newRow("asking whose a code is, from another site")
        << QByteArray("/me") << H{{"Origin", "http://evil.example"}};
}

void TestPageServer::crossOriginPostsAreRefusedUncounted()
{
    QFETCH(QByteArray, path);
    QFETCH(Headers, headers);
    ServedTournament served;
    served.model.setTakeReports(true);
    headers.append(
        std::pair<QByteArray, QByteArray>("Content-Type", "application/x-www-form-urlencoded"));
    const QString url = served.url(QString::fromLatin1(path));
    // Many wrong codes and a right one from elsewhere: refused, and nothing counted.
    const QByteArray right =
        "code=" + served.model.playerCode(served.model.seats().at(0).player1).toLatin1() +
        (path == "/me" ? QByteArray() : QByteArray("&result=Full+Win&power1=5&power2=2"));
    const QByteArray wrong = path == "/me" ? QByteArray("code=ACDEFGHJK")
                                           : QByteArray("table=1&code=ACDEFGHJK&result=Full+Win&"
                                                        "power1=5&power2=2");
    for (int i = 0; i < 6; ++i) {
        const Fetched refused = fetch(url, "POST", headers, wrong);
        QCOMPARE(refused.status, 403);
        QVERIFY(refused.body.contains("only from Zuvi's own page"));
    }
    QCOMPARE(fetch(url, "POST", headers, right).status, 403);
    QCOMPARE(served.model.tableReports(1), Progress::TableReports::None);
    QCOMPARE(served.model.refusedReports(1), 0);
    QVERIFY(served.server.wrongCodeSenders().isEmpty());
    // The page's own request (its origin is the address it was sent to) goes through.
    const QByteArray own = "http://127.0.0.1:" + QByteArray::number(served.port);
    const Fetched taken = fetch(url, "POST",
                                {{"Origin", own},
                                 {"Sec-Fetch-Site", "same-origin"},
                                 {"Content-Type", "application/x-www-form-urlencoded"}},
                                right);
    QCOMPARE(taken.status, 200);
}

void TestPageServer::aWaitHoldsBackOneSenderOnly()
{
    ServedTournament served;
    served.model.setTakeReports(true);
    const Progress::Seat seat = served.model.seats().at(0);
    const QByteArray first = "table=1&code=" + served.model.playerCode(seat.player1).toLatin1() +
                             "&result=Full+Win&power1=5&power2=2";
    const QByteArray second = "table=1&code=" + served.model.playerCode(seat.player2).toLatin1() +
                              "&result=Full+Win&power1=5&power2=2";
    const QByteArray wrong = "table=1&code=ACDEFGHJK&result=Full+Win&power1=5&power2=2";
    // A second phone gives five wrong codes: it waits, with its own right code too.
    for (int i = 0; i < 5; ++i) {
        const Fetched refused =
            postFrom(served.port, QStringLiteral("127.0.0.2"), "/report", wrong);
        QCOMPARE(refused.status, 403);
    }
    const Fetched waiting = postFrom(served.port, QStringLiteral("127.0.0.2"), "/report", second);
    QCOMPARE(waiting.status, 429);
    const int retry = waiting.headers.value("retry-after").toInt();
    QVERIFY2(retry > 50 && retry <= 60, waiting.headers.value("retry-after").constData());
    // Asking whose a code is waits as well.
    QCOMPARE(postFrom(served.port, QStringLiteral("127.0.0.2"), "/me", "code=ACDEFGHJK").status,
             429);
    // The table's players report from other phones with their own codes.
    QCOMPARE(postFrom(served.port, QStringLiteral("127.0.0.1"), "/report", first).status, 200);
    QCOMPARE(served.model.tableReports(1), Progress::TableReports::Reported);
    // The organiser sees the refusals at the table they named, and the waiting phone.
    QCOMPARE(served.model.refusedReports(1), 5);
    const QList<ReportWaits::Sender> senders = served.server.wrongCodeSenders();
    QCOMPARE(senders.size(), 1);
    QCOMPARE(senders.first().address, QStringLiteral("127.0.0.2"));
    QCOMPARE(senders.first().wrong, 5);
    QVERIFY(senders.first().leftMs > 0);
    // Lifted by the organiser, the phone reports again, and the game is recorded.
    QCOMPARE(served.server.liftWaits(), 1);
    QCOMPARE(postFrom(served.port, QStringLiteral("127.0.0.2"), "/report", second).status, 200);
    QCOMPARE(served.model.games().size(), 1);
}

void TestPageServer::privateLinksServeThePage_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("a player's link") << "{code}" << 200;
    QTest::newRow("a player's link in small letters") << "{code-small}" << 200;
    QTest::newRow("a code that is no one's: the same page") << "/p/ACDEFGHJK" << 200;
    QTest::newRow("letters that are no code: the same page") << "/p/hello-there" << 200;
    QTest::newRow("no code") << "/p/" << 404;
    QTest::newRow("a folder below") << "/p/ACDEFGHJK/page.js" << 404;
    QTest::newRow("markup") << "/p/%3Cb%3E" << 404;
}

void TestPageServer::privateLinksServeThePage()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    ServedTournament served;
    const QString code = served.model.playerCode(served.model.entrants().at(0).name);
    path.replace(QStringLiteral("{code-small}"), QStringLiteral("/p/") + code.toLower());
    path.replace(QStringLiteral("{code}"), QStringLiteral("/p/") + code);
    const Fetched page = fetch(served.url(path));
    QCOMPARE(page.status, status);
    // Whether a code is anyone's, the page is the same: it never says, nor holds the code.
    if (status == 200) {
        QCOMPARE(page.body, fetch(served.url(QStringLiteral("/"))).body);
        QVERIFY(!page.body.contains(code.toLatin1()));
        QVERIFY(!page.headers.value("content-security-policy").isEmpty());
        QCOMPARE(page.headers.value("referrer-policy"), QByteArray("no-referrer"));
    }
}

void TestPageServer::aLinksPageAsksWhoseItIs()
{
    ServedTournament served;
    const QString name = served.model.entrants().at(1).name;
    const QByteArray code = served.model.playerCode(name).toLatin1();
    const QString me = served.url(QStringLiteral("/me"));
    const Fetched known = postReport(me, "code=" + code);
    QCOMPARE(known.status, 200);
    QCOMPARE(QJsonDocument::fromJson(known.body)[QStringLiteral("name")].toString(), name);
    // A wrong code says no more than a report with it would, and counts as one.
    const Fetched unknown = postReport(me, "code=ACDEFGHJK");
    QCOMPARE(unknown.status, 403);
    QVERIFY(!unknown.body.contains("name"));
    QCOMPARE(served.server.wrongCodeSenders().size(), 1);
    QCOMPARE(postReport(me, "code=" + code + "&table=1").status, 400);
    QCOMPARE(fetch(me).status, 405);
}

void TestPageServer::reportsNeedTheOptionTheFormAndTime()
{
    ServedTournament served;
    const QString report = served.url(QStringLiteral("/report"));
    const QByteArray right =
        "code=" + served.model.playerCode(served.model.seats().at(0).player1).toLatin1() +
        "&result=Full+Win&power1=5&power2=2";
    // Not taking reports: refused, and the page shows no form.
    QCOMPARE(postReport(report, right).status, 403);
    QCOMPARE(QJsonDocument::fromJson(
                 fetch(served.url(QStringLiteral("/state.json"))).body)[QStringLiteral("reports")]
                 .toBool(),
             false);
    served.model.setTakeReports(true);
    // Only POST, and only a form.
    const Fetched get = fetch(report);
    QCOMPARE(get.status, 405);
    QCOMPARE(get.headers.value("allow"), QByteArray("POST"));
    QCOMPARE(fetch(report, "POST", {{"Content-Type", "application/json"}}, right).status, 415);
    // A few reports a minute from one address (the refused form counted); then it waits,
    // told for how long.
    served.server.setReportLimit(3);
    QCOMPARE(postReport(report, right).status, 200);
    QCOMPARE(postReport(report, right).status, 200);
    const Fetched limited = postReport(report, right);
    QCOMPARE(limited.status, 429);
    QCOMPARE(limited.headers.value("retry-after"), QByteArray("60"));
    QCOMPARE(served.model.games().size(), 0);
    // Served without the organiser's window, the page takes no reports at all.
    served.server.setAcceptReports(false);
    served.server.setReportLimit(100);
    QCOMPARE(postReport(report, right).status, 403);
}

void TestPageServer::oversizedAndIdleConnectionsAreClosed_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("answered");
    QTest::newRow("a request within the limit")
        << QByteArray("GET /state.json HTTP/1.1\r\nHost: zuvi\r\n\r\n") << true;
    QTest::newRow("headers beyond the limit, never ended")
        << QByteArray("GET / HTTP/1.1\r\nHost: zuvi\r\nX-Padding: ") + QByteArray(8000, 'a')
        << false;
    QTest::newRow("a body beyond the limit")
        << QByteArray("POST /state.json HTTP/1.1\r\nHost: zuvi\r\nContent-Length: 9000\r\n\r\n") +
               QByteArray(9000, 'b')
        << false;
    QTest::newRow("nothing: an idle connection") << QByteArray() << false;
}

void TestPageServer::oversizedAndIdleConnectionsAreClosed()
{
    QFETCH(QByteArray, sent);
    QFETCH(bool, answered);
    ServedTournament served;
    served.server.setLimits(4096, 300);
    QString problem;
    const quint16 port = served.server.start(QHostAddress::LocalHost, 0, &problem);
    QVERIFY2(port, qPrintable(problem));

    // The server runs in this thread: the client waits by running the event loop.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
    if (!sent.isEmpty())
        client.write(sent);
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();
    // The server answers, or closes the connection: within the idle time and a margin.
    while (client.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 3000) {
        QTest::qWait(20);
        reply += client.readAll();
        if (answered && reply.contains("\r\n\r\n"))
            break;
    }
    if (answered) {
        QVERIFY2(reply.startsWith("HTTP/1.1 200"), reply.constData());
        // Answered, the connection stays open until it has been idle for the idle time.
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 3000);
    } else {
        QVERIFY2(!reply.contains("200 OK"), reply.constData());
        QCOMPARE(client.state(), QAbstractSocket::UnconnectedState);
    }
    QVERIFY(clock.elapsed() < 3000);
    // The page goes on serving others.
    const Fetched after = fetch(QStringLiteral("http://127.0.0.1:%1/state.json").arg(port));
    QCOMPARE(after.status, 200);
}

void TestPageServer::aRoomOfPhonesIsServedAtOnce()
{
    // 500 phones connect at the same moment (a pairing announced) and each asks for the
    // tournament: every one is answered, on the loopback, within a few seconds.
    ServedTournament served;
    QList<QTcpSocket *> phones;
    QList<QByteArray> replies(500);
    for (int i = 0; i < 500; ++i) {
        auto *phone = new QTcpSocket(this);
        phone->connectToHost(QHostAddress::LocalHost, served.port);
        phone->write("GET /state.json HTTP/1.1\r\nHost: zuvi\r\n\r\n");
        phones.append(phone);
    }
    QElapsedTimer clock;
    clock.start();
    int answered = 0;
    while (answered < phones.size() && clock.elapsed() < 5000) {
        QTest::qWait(10);
        answered = 0;
        for (qsizetype i = 0; i < phones.size(); ++i) {
            replies[i] += phones.at(i)->readAll();
            const qsizetype end = replies.at(i).indexOf("\r\n\r\n");
            answered += end > 0 && replies.at(i).endsWith("}") ? 1 : 0;
        }
    }
    qDeleteAll(phones);
    QCOMPARE(answered, 500);
}

void TestPageServer::twoHundredReportsWhileTheDeskRecords()
{
    // 100 tables: both players of every table report at once (200 reports, sent together)
    // while the organiser records the first 30 tables at the desk. Every game is recorded
    // exactly once; a report that comes after the desk's result is refused, not counted.
    MemoryTournamentStore store;
    TournamentProgress model(&store);
    model.setRandomSource([] { return 0.0; });
    for (int i = 0; i < 200; ++i)
        model.addEntrant(QStringLiteral("Player %1").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("Stark"));
    model.startRound(QStringLiteral("3"));
    model.setTakeReports(true);
    PageServer server(&model);
    server.setReportLimit(1000); // every phone is 127.0.0.1 here
    QString problem;
    const quint16 port = server.start(QHostAddress::LocalHost, 0, &problem);
    QVERIFY2(port, qPrintable(problem));

    static QNetworkAccessManager manager;
    QList<QNetworkReply *> replies;
    for (int table = 1; table <= 100; ++table) {
        for (int player = 1; player <= 2; ++player) {
            QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/report").arg(port)));
            request.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArray("application/x-www-form-urlencoded"));
            const Progress::Seat &seat = model.seats().at(table - 1);
            const QByteArray form =
                QStringLiteral("table=%1&code=%2&result=Full+Win&power1=4&power2=1")
                    .arg(table)
                    .arg(model.playerCode(player == 1 ? seat.player1 : seat.player2))
                    .toUtf8();
            replies.append(manager.post(request, form));
        }
    }
    QElapsedTimer clock;
    clock.start();
    // The desk records its 30 tables (each the first open row that is one of them) while
    // the reports arrive.
    int deskRecorded = 0;
    while (deskRecorded < 30 && clock.elapsed() < 30000) {
        const QList<int> &open = model.openSeats();
        const auto row =
            std::find_if(open.cbegin(), open.cend(), [](int seat) { return seat < 30; });
        if (row != open.cend()) {
            recordAtRow(model, int(row - open.cbegin()), QStringLiteral("Modified Win"), 2, 1);
            ++deskRecorded;
        } else {
            break;
        }
        QTest::qWait(1);
    }
    const auto finished = [&] {
        return std::all_of(replies.cbegin(), replies.cend(),
                           [](const QNetworkReply *r) { return r->isFinished(); });
    };
    while (!finished() && clock.elapsed() < 60000)
        QTest::qWait(5);
    QVERIFY2(finished(), "the reports were not all answered within a minute");
    QMap<int, int> statuses;
    for (QNetworkReply *reply : std::as_const(replies)) {
        ++statuses[reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()];
        reply->deleteLater();
    }
    // Taken, or refused as recorded already (the desk was first): nothing else.
    for (auto it = statuses.cbegin(); it != statuses.cend(); ++it)
        QVERIFY2(it.key() == 200 || it.key() == 409, qPrintable(QString::number(it.key())));
    QCOMPARE(statuses.value(200) + statuses.value(409), 200);
    QVERIFY(deskRecorded > 0);
    // Every table once: 100 games, no seat twice, no open seat left.
    QCOMPARE(model.games().size(), 100);
    QSet<int> seats;
    for (const Progress::Game &game : model.games())
        seats.insert(game.seat);
    QCOMPARE(seats.size(), 100);
    QVERIFY(model.openSeats().isEmpty());
    qInfo("200 reports and %d desk results in %lld ms", deskRecorded, clock.elapsed());
}

void TestPageServer::nothingElseIsServed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("a database") << "/players.db";
    QTest::newRow("up a folder") << "/../Tourny.db";
    QTest::newRow("up a folder, encoded") << "/%2e%2e/%2e%2e/etc/passwd";
    QTest::newRow("a resource's own path") << "/:/page/index.html";
    QTest::newRow("index by name") << "/index.html";
}

void TestPageServer::nothingElseIsServed()
{
    QFETCH(QString, path);
    TempInstall install;
    install.exec(QStringLiteral("players"),
                 QStringLiteral("INSERT INTO PlayerInfo (\"First Name\", \"Last Name\", Email, "
                                "Phone) VALUES ('Bran', 'O''Neil', 'bran@example.org', '555')"));
    ServedTournament served;
    const Fetched fetched = fetch(served.url(path));
    QCOMPARE(fetched.status, 404);
    QVERIFY(!fetched.body.contains("SQLite"));
    // The data never carries what the stored players hold beyond their names.
    const QByteArray state = fetch(served.url(QStringLiteral("/state.json"))).body;
    QVERIFY(!state.contains("example.org"));
    QVERIFY(!state.contains("555"));
}

QTEST_MAIN(TestPageServer)
#include "tst_pageserver.moc"
