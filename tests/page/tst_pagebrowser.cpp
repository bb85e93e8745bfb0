// The players' page in a real browser (Chromium, headless, a phone's width): it shows the
// round and the pairing from Zuvi's data, finds a name, and shows every name as text.

#include "page/pagefixture.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QDir>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

/// Runs headless Chromium on url with the extra arguments; returns what it printed, or
/// fails the test. The page server answers from this process while it waits.
QByteArray runBrowser(const QString &url, const QStringList &extra, QSize window = {375, 900})
{
    QString browser = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (browser.isEmpty())
        browser = QStandardPaths::findExecutable(QStringLiteral("chromium-browser"));
    if (browser.isEmpty()) {
        QTest::qFail("Chromium is not installed (Debian package chromium, which make test "
                     "installs)",
                     __FILE__, __LINE__);
        return {};
    }
    QTemporaryDir profile;
    QProcess process;
    QStringList arguments{
        QStringLiteral("--headless=new"),
        QStringLiteral("--no-sandbox"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--disable-dev-shm-usage"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--user-data-dir=") + profile.path(),
        QStringLiteral("--virtual-time-budget=5000"),
        QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height())};
    arguments += extra;
    arguments.append(url);
    process.start(browser, arguments);
    QElapsedTimer waited;
    waited.start();
    while (process.state() != QProcess::NotRunning && waited.elapsed() < 90000)
        QTest::qWait(50);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        QTest::qFail("Chromium did not finish", __FILE__, __LINE__);
    }
    return process.readAllStandardOutput();
}

} // namespace

class TestPageBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageShowsTheRoundAndFindsAName();
    void pageFitsAPhone();
    void aPrivateLinkShowsThePlayersGameOnly();
    void aPlayerReportsThroughTheirPrivateLink();
};

void TestPageBrowser::pageShowsTheRoundAndFindsAName()
{
    ServedTournament served;
    const QString dom = QString::fromUtf8(runBrowser(
        served.url(QStringLiteral("/#find=")) + QUrl::toPercentEncoding(QStringLiteral("zoë")),
        {QStringLiteral("--dump-dom")}));
    QVERIFY2(dom.contains(QStringLiteral("Round 1 of 2")), qPrintable(dom));
    QVERIFY(dom.contains(QStringLiteral("Up to date: heard from Zuvi")));
    QVERIFY(dom.contains(QStringLiteral("O'Neil, Bran")));
    QVERIFY(dom.contains(QString::fromUtf8("כהן, שרה")));
    // The name with markup is text: escaped in the page, never an element.
    QVERIFY(dom.contains(QStringLiteral("&lt;b&gt;Zoë&lt;/b&gt; &amp; co")));
    QVERIFY(!dom.contains(QStringLiteral("<b>Zoë</b>")));
    // Found by a part of the name, in any case: the table and the opponent.
    QVERIFY2(dom.contains(QStringLiteral("&lt;b&gt;Zoë&lt;/b&gt; &amp; co: table 1 against "
                                         "O'Neil, Bran")),
             qPrintable(dom));
}

void TestPageBrowser::pageFitsAPhone()
{
    ServedTournament served;
    served.model.setTakeReports(true);
    const QString url =
        served.url(QStringLiteral("/#find=")) + QUrl::toPercentEncoding(QStringLiteral("zoë"));
    QTemporaryDir dir;
    // A phone, and a laptop; kept for a look (and the README) where ZUVI_PAGE_PICTURES
    // names a folder.
    const QString keep = qEnvironmentVariable("ZUVI_PAGE_PICTURES");
    // A player's private link on a phone too.
    const QString link = served.url(QStringLiteral("/p/") +
                                    served.model.playerCode(served.model.seats().at(0).player2));
    for (const auto &[name, size, address] :
         {std::tuple{QStringLiteral("phone"), QSize(375, 812), url},
          std::tuple{QStringLiteral("laptop"), QSize(1280, 800), url},
          std::tuple{QStringLiteral("link-phone"), QSize(375, 812), link}}) {
        const QString picture = dir.filePath(name + QStringLiteral(".png"));
        runBrowser(address, {QStringLiteral("--screenshot=") + picture}, size);
        QImage image(picture);
        QVERIFY2(!image.isNull(), "no screenshot");
        QCOMPARE(image.width(), size.width());
        if (!keep.isEmpty())
            QVERIFY(image.save(QDir(keep).filePath(QStringLiteral("page-%1.png").arg(name))));
    }
}

void TestPageBrowser::aPrivateLinkShowsThePlayersGameOnly()
{
    ServedTournament served;
    served.model.setTakeReports(true);
    const QString zoe = served.model.seats().at(0).player2;
    const QString code = served.model.playerCode(zoe);
    const QString dom = QString::fromUtf8(
        runBrowser(served.url(QStringLiteral("/p/") + code), {QStringLiteral("--dump-dom")}));
    // The player's own game first, as text; the results and powers name both players.
    QVERIFY2(dom.contains(QStringLiteral("&lt;b&gt;Zoë&lt;/b&gt; &amp; co: table 1 against "
                                         "O'Neil, Bran.")),
             qPrintable(dom));
    QVERIFY(dom.contains(QStringLiteral("Power of &lt;b&gt;Zoë&lt;/b&gt; &amp; co")));
    QVERIFY(dom.contains(QStringLiteral("O'Neil, Bran: Full Win")));
    QVERIFY(!dom.contains(QStringLiteral("<b>Zoë</b>")));
    // No one's code is on the page, the link's own included (it is only in the address).
    for (const Progress::Entrant &entrant : served.model.entrants())
        QVERIFY(!dom.contains(served.model.playerCode(entrant.name)));
    // Without a private link there is no report form: only the way to one's own page.
    const QString plain = QString::fromUtf8(
        runBrowser(served.url(QStringLiteral("/")), {QStringLiteral("--dump-dom")}));
    QVERIFY2(plain.contains(QStringLiteral("<form id=\"report\" novalidate=\"\" hidden=\"\">")),
             qPrintable(plain));
    QVERIFY(plain.contains(QStringLiteral("Code on your player card")));
    // A link whose code is no one's says so, and offers no report.
    const QString unknown = QString::fromUtf8(
        runBrowser(served.url(QStringLiteral("/p/ACDEFGHJK")), {QStringLiteral("--dump-dom")}));
    QVERIFY2(unknown.contains(QStringLiteral("not on any player card")), qPrintable(unknown));
}

void TestPageBrowser::aPlayerReportsThroughTheirPrivateLink()
{
    // Both players of table 1 open their own links; the page's form is filled and sent as a
    // player would (by a content script of a test extension, since the page runs no script
    // but its own): the two reports agree and the game is recorded.
    ServedTournament served;
    served.model.setTakeReports(true);
    QTemporaryDir extension;
    QFile manifest(extension.filePath(QStringLiteral("manifest.json")));
    QVERIFY(manifest.open(QIODevice::WriteOnly));
    manifest.write(R"({"manifest_version": 3, "name": "player", "version": "1",
        "content_scripts": [{"matches": ["<all_urls>"], "js": ["player.js"],
                             "run_at": "document_idle"}]})");
    manifest.close();
    QFile script(extension.filePath(QStringLiteral("player.js")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(R"(
        const play = setInterval(() => {
          const form = document.getElementById('report');
          const result = document.getElementById('report-result');
          if (!form || form.hidden || result.options.length < 2)
            return;
          clearInterval(play);
          result.value = 'Full Win';
          document.getElementById('report-power1').value = '7';
          document.getElementById('report-power2').value = '3';
          document.getElementById('report-send').click();
        }, 100);)");
    script.close();
    const QStringList arguments{QStringLiteral("--dump-dom"),
                                QStringLiteral("--load-extension=") + extension.path(),
                                QStringLiteral("--disable-extensions-except=") + extension.path()};
    const Progress::Seat seat = served.model.seats().at(0);
    const QString first = QString::fromUtf8(runBrowser(
        served.url(QStringLiteral("/p/") + served.model.playerCode(seat.player1)), arguments));
    QVERIFY2(first.contains(QStringLiteral("your report for table 1 is with the organiser")),
             qPrintable(first));
    QCOMPARE(served.model.tableReports(1), Progress::TableReports::Reported);
    const QString second = QString::fromUtf8(runBrowser(
        served.url(QStringLiteral("/p/") + served.model.playerCode(seat.player2).toLower()),
        arguments));
    QVERIFY2(second.contains(QStringLiteral("the result of table 1 is recorded")),
             qPrintable(second));
    QCOMPARE(served.model.games().size(), 1);
    QCOMPARE(served.model.games().first().result1, QStringLiteral("Full Win"));
    QCOMPARE(served.model.games().first().power1, 7.0);
}

QTEST_MAIN(TestPageBrowser)
#include "tst_pagebrowser.moc"
