// The command line of the zuvi program: --help, --version and usage errors answer without
// a window (and without a display), with the usual texts and exit statuses.

#include "support/childprocess.h"

#include <QFileInfo>
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
    QTest::newRow("--server with the players' commands")
        << QStringList{"--server", "postgresql://zuvi@localhost/zuvi", "--export-players", "p.csv"}
        << 2 << QString() << QStringLiteral("The stored players are kept on this computer");
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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_cmdline.moc"
