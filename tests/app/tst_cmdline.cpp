// The command line of the zuvi program: --help, --version and usage errors answer without
// a window (and without a display), with the usual texts and exit statuses.

#include "support/childprocess.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Zuvi::Test;

namespace {

/// Runs the program with its data folder in dataHome.
ZuviRun runWithDataHome(const QStringList &arguments, const QString &dataHome)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return runZuvi(arguments, environment);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutWindow_data();
    void answersWithoutWindow();
    void commandLineLeavesDataFolderAlone();
    void servePageUntilStopped();
};

void TestCommandLine::answersWithoutWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString version = QStringLiteral("zuvi " ZUVI_VERSION_TEXT "\n");
    const QString tryHelp = QStringLiteral("Try 'zuvi --help' for more information.\n");
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QString();
    QTest::newRow("-v") << QStringList{"-v"} << 0 << version << QString();
    QTest::newRow("--help lists the options")
        << QStringList{"--help"} << 0 << QStringLiteral("-v, --version") << QString();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << QStringLiteral("-h, --help") << QString();
    QTest::newRow("--help-all lists Qt's options")
        << QStringList{"--help-all"} << 0 << QStringLiteral("  -platform <value>") << QString();
    QTest::newRow("--help before an unknown option still helps")
        << QStringList{"--help", "--frobnicate"} << 2 << QString()
        << QStringLiteral("Unknown option 'frobnicate'");
    QTest::newRow("unknown long option")
        << QStringList{"--frobnicate"} << 2 << QString()
        << QStringLiteral("zuvi: Unknown option 'frobnicate'.\n") + tryHelp;
    QTest::newRow("unknown short option")
        << QStringList{"-x"} << 2 << QString()
        << QStringLiteral("zuvi: Unknown option 'x'.\n") + tryHelp;
    QTest::newRow("stray argument")
        << QStringList{"players.db"} << 2 << QString()
        << QStringLiteral("zuvi: Unexpected argument 'players.db'.\n") + tryHelp;
    QTest::newRow("Qt option without its value")
        << QStringList{"-platform"} << 2 << QString()
        << QStringLiteral("zuvi: Missing value after '-platform'.\n") + tryHelp;
    QTest::newRow("--server with an address that is not one")
        << QStringList{"--server", "http://example.org/zuvi", "--export", "standings", "x.csv"} << 2
        << QString() << QStringLiteral("is not a server address such as");
    QTest::newRow("--server without a database")
        << QStringList{"--server", "postgresql://zuvi@localhost:5432/"} << 2 << QString()
        << QStringLiteral("The server address names no database");
    QTest::newRow("--server with an option it does not know")
        << QStringList{"--server", "postgresql://zuvi@localhost/zuvi?host=/tmp"} << 2 << QString()
        << QStringLiteral("has an option Zuvi does not know: host");
    QTest::newRow("--station without --server")
        << QStringList{"--station", "Desk 2"} << 2 << QString()
        << QStringLiteral("zuvi: --station and --results-only go with --server.\n") + tryHelp;
    QTest::newRow("--port without --serve-page")
        << QStringList{"--port", "8080"} << 2 << QString()
        << QStringLiteral("zuvi: --port and --bind go with --serve-page.\n") + tryHelp;
    QTest::newRow("--serve-page with a port that is none")
        << QStringList{"--serve-page", "--port", "99999"} << 2 << QString()
        << QStringLiteral("zuvi: --port takes a number from 1 to 65535.");
    QTest::newRow("--serve-page with an address that is none")
        << QStringList{"--serve-page", "--bind", "<script>"} << 2 << QString()
        << QStringLiteral("--bind takes an address of this computer");
    QTest::newRow("value given to --version")
        << QStringList{"--version=1"} << 2 << QString()
        << QStringLiteral("zuvi: Unexpected value after '--version'.\n") + tryHelp;
}

void TestCommandLine::answersWithoutWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    const ZuviRun run = runWithDataHome(arguments, dataHome.path());
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    // A full expected text ends with a newline and must match exactly; a shorter one must
    // appear in the output.
    const auto matches = [](const QString &actual, const QString &expected) {
        return expected.endsWith(QLatin1Char('\n')) ? actual == expected
                                                    : actual.contains(expected);
    };
    QVERIFY2(matches(run.outText(), out), qPrintable(run.outText()));
    if (err.isEmpty())
        QVERIFY2(run.err.isEmpty(), qPrintable(run.errText()));
    else
        QVERIFY2(matches(run.errText(), err), qPrintable(run.errText()));
}

void TestCommandLine::commandLineLeavesDataFolderAlone()
{
    // Answering the command line neither starts Zuvi nor creates its data folder.
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    for (const QStringList &arguments :
         {QStringList{"--version"}, QStringList{"--help"}, QStringList{"--frobnicate"}}) {
        QVERIFY2(runWithDataHome(arguments, dataHome.path()).finished,
                 qPrintable(arguments.join(' ')));
        QVERIFY2(!QFileInfo::exists(dataHome.filePath(QStringLiteral("zuvi"))),
                 qPrintable(arguments.join(' ')));
    }
}

void TestCommandLine::servePageUntilStopped()
{
    // A free port: one the system gives, given back at once.
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QTemporaryDir dataHome;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    QProcess zuvi;
    zuvi.setProcessEnvironment(environment);
    zuvi.start(QStringLiteral(ZUVI_BINARY),
               {QStringLiteral("--serve-page"), QStringLiteral("--port"), QString::number(port)});
    QVERIFY(zuvi.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT(
        (output += zuvi.readAllStandardOutput()).contains("Serving the players' page"), 20000);
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/state.json").arg(port))));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 20000);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QVERIFY(reply->readAll().contains("\"pairings\""));
    delete reply;
    // Stopped as a service manager stops it: status 0.
    zuvi.terminate();
    QVERIFY(zuvi.waitForFinished(20000));
    QCOMPARE(zuvi.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zuvi.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_cmdline.moc"
