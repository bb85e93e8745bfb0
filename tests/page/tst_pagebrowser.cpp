// The players' page in a real browser (Chromium, headless, a phone's width): it shows the
// round and the pairing from Zuvi's data, finds a name, and shows every name as text.

#include "page/pagefixture.h"

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
    void reportFormIsFilledFromTheNameFound();
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
    for (const auto &[name, size] : {std::pair{QStringLiteral("phone"), QSize(375, 812)},
                                     std::pair{QStringLiteral("laptop"), QSize(1280, 800)}}) {
        const QString picture = dir.filePath(name + QStringLiteral(".png"));
        runBrowser(url, {QStringLiteral("--screenshot=") + picture}, size);
        QImage image(picture);
        QVERIFY2(!image.isNull(), "no screenshot");
        QCOMPARE(image.width(), size.width());
        if (!keep.isEmpty())
            QVERIFY(image.save(QDir(keep).filePath(QStringLiteral("page-%1.png").arg(name))));
    }
}

void TestPageBrowser::reportFormIsFilledFromTheNameFound()
{
    ServedTournament served;
    served.model.setTakeReports(true);
    const QString dom = QString::fromUtf8(runBrowser(
        served.url(QStringLiteral("/#find=")) + QUrl::toPercentEncoding(QStringLiteral("zoë")),
        {QStringLiteral("--dump-dom")}));
    QVERIFY2(dom.contains(QStringLiteral("<section id=\"report-section\">")), qPrintable(dom));
    // The name found fills the table and the player; the results name both players, as
    // text; the table's code is nowhere on the page.
    QVERIFY(dom.contains(QStringLiteral("Power of &lt;b&gt;Zoë&lt;/b&gt; &amp; co")));
    QVERIFY(dom.contains(QStringLiteral("O'Neil, Bran: Full Win")));
    QVERIFY(!dom.contains(served.model.tableCode(1)));
    QVERIFY(!dom.contains(QStringLiteral("<b>Zoë</b>")));
    // Keeping the form's state is the page's own: the table typed is the one found.
    QVERIFY2(dom.contains(
                 QStringLiteral("<option value=\"2\">&lt;b&gt;Zoë&lt;/b&gt; &amp; co</option>")),
             qPrintable(dom));
}

QTEST_MAIN(TestPageBrowser)
#include "tst_pagebrowser.moc"
