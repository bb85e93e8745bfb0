// zuvi --export standings|pairings|games FILE: the stored tournament's documents written by
// the built program with no display, nothing to export, and files that cannot be written.

#include "support/rowgame.h"
#include "support/childprocess.h"
#include "support/testsupport.h"
#include "history/archiveaccess.h"
#include "tournament/tournamentprogress.h"

#include <QFile>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

class TestExportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void exportsTheStoredTournament_data();
    void exportsTheStoredTournament();
    void standingsWithoutProgressAreExportedAsStored_data();
    void standingsWithoutProgressAreExportedAsStored();
    void historyIsExportedAsCsv();
    void leagueIsExportedByName();
    void nothingToExport_data();
    void nothingToExport();
    void fileThatCannotBeWritten_data();
    void fileThatCannotBeWritten();
    void wrongCommandLine_data();
    void wrongCommandLine();

private:
    /// Stores a tournament in round 2 of 3 with one game recorded in it.
    void storeTournament();
    QString path(const QString &name) const { return QDir(m_install->folder()).filePath(name); }

    std::unique_ptr<Test::TempInstall> m_install;
};

void TestExportCommand::init()
{
    m_install = std::make_unique<Test::TempInstall>();
}

void TestExportCommand::cleanup()
{
    m_install.reset();
}

void TestExportCommand::storeTournament()
{
    TournamentProgress progress;
    progress.setRandomSource([] { return 0.0; });
    for (const char *name : {"O'Neil, Bran", "Müller, Zoë", "Żółć, Łukasz"})
        progress.addEntrant(QString::fromUtf8(name), QStringLiteral("Stark"));
    progress.startRound(QStringLiteral("3"));
    recordAtRow(progress, 0, QStringLiteral("Full Win"), 12, 4);
    recordAtRow(progress, 0, QStringLiteral("Full Win"), 6, 0);
    progress.endRound();
    progress.startRound(QStringLiteral("3"));
    recordAtRow(progress, 0, QStringLiteral("Modified Win"), 9, 8);
}

void TestExportCommand::exportsTheStoredTournament_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("contains");

    QTest::newRow("standings as CSV")
        << "standings"
        << "standings.csv"
        << QStringList{"\"rank\",\"name\",\"house\",\"score\",\"power\",\"dropped\"\r\n",
                       "\"O'Neil, Bran\"", "\"Müller, Zoë\"", "\"Żółć, Łukasz\""};
    QTest::newRow("standings as PDF")
        << "standings"
        << "standings.pdf"
        << QStringList{"Standings during round 2", "O'Neil, Bran", "Żółć, Łukasz"};
    QTest::newRow("pairings as CSV")
        << "pairings"
        << "pairings.csv" << QStringList{"\"round\",\"table\",\"player1\"", "\"Bye\"", "\"yes\""};
    QTest::newRow("pairings as PDF")
        << "pairings"
        << "pairings.pdf" << QStringList{"Round 2: pairings by table", "Bye"};
    QTest::newRow("pairings by name as PDF")
        << "pairings-by-name"
        << "names.pdf" << QStringList{"Round 2: pairings by name"};
    // Table 2 is the bye's: it has no slip.
    QTest::newRow("slips as PDF") << "slips"
                                  << "slips.pdf" << QStringList{"Table 1", "Power of player 1:"};
    QTest::newRow("games as CSV") << "games"
                                  << "games.csv"
                                  << QStringList{"\"1\",\"1\",\"",
                                                 "\"Full Win\",\"3\",\"0\",\"12\",\"4\"",
                                                 "\"Modified Win\",\"2\",\"1\",\"9\",\"8\"",
                                                 "\"Bye\",\"Full Win\",\"3\",\"\""};
    QTest::newRow("games as PDF") << "games"
                                  << "games.pdf" << QStringList{"Recorded games", "Modified Win"};
}

void TestExportCommand::exportsTheStoredTournament()
{
    QFETCH(QString, document);
    QFETCH(QString, file);
    QFETCH(QStringList, contains);
    storeTournament();
    const ZuviRun run = runZuvi({QStringLiteral("--export"), document, path(file)});
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errText()));
    QVERIFY2(run.outText().startsWith(QStringLiteral("Wrote ")), qPrintable(run.outText()));
    QString text;
    if (file.endsWith(QStringLiteral(".pdf"))) {
        text = pdfText(path(file));
    } else {
        QFile written(path(file));
        QVERIFY(written.open(QIODevice::ReadOnly));
        text = QString::fromUtf8(written.readAll());
    }
    for (const QString &expected : contains)
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in:\n") + text));
}

void TestExportCommand::standingsWithoutProgressAreExportedAsStored_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("contains");
    QTest::newRow("PDF") << "stored.pdf"
                         << QStringList{"Standings as stored", "O'Neil, Bran", "Żółć, Łukasz"};
    QTest::newRow("CSV") << "stored.csv"
                         << QStringList{"\"1\",\"O'Neil, Bran\",\"Stark\",\"6\",\"12.5\",\"no\"",
                                        "\"2\",\"Żółć, Łukasz\",\"Greyjoy\",\"3\",\"4\",\"no\""};
}

void TestExportCommand::standingsWithoutProgressAreExportedAsStored()
{
    QFETCH(QString, file);
    QFETCH(QStringList, contains);
    // A file from before the progress was kept: the standings alone.
    m_install->exec(QStringLiteral("Tourny"),
                    QStringLiteral("INSERT INTO TournyInfo (Name, House, Score, Power) VALUES "
                                   "(?, ?, ?, ?), (?, ?, ?, ?)"),
                    {QStringLiteral("Żółć, Łukasz"), QStringLiteral("Greyjoy"), 3, 4.0,
                     QStringLiteral("O'Neil, Bran"), QStringLiteral("Stark"), 6, 12.5});
    const ZuviRun run =
        runZuvi({QStringLiteral("--export"), QStringLiteral("standings"), path(file)});
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errText()));
    QString text;
    if (file.endsWith(QStringLiteral(".pdf"))) {
        text = pdfText(path(file));
    } else {
        QFile written(path(file));
        QVERIFY(written.open(QIODevice::ReadOnly));
        text = QString::fromUtf8(written.readAll());
    }
    for (const QString &expected : contains)
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in:\n") + text));
}

void TestExportCommand::historyIsExportedAsCsv()
{
    // Two rounds of three, played to the end: the last End Round archives them.
    {
        TournamentProgress progress;
        progress.setRandomSource([] { return 0.0; });
        for (const char *name : {"=O'Neil, Bran", "Müller, Zoë", "Żółć, Łukasz"})
            progress.addEntrant(QString::fromUtf8(name), QStringLiteral("Stark"));
        for (int round = 0; round < 2; ++round) {
            progress.startRound(QStringLiteral("2"));
            while (!progress.openSeats().isEmpty())
                recordAtRow(progress, 0, QStringLiteral("Full Win"), 4, 1);
            progress.endRound();
        }
    }
    const ZuviRun run =
        runZuvi({QStringLiteral("--export"), QStringLiteral("history"), path("history.csv")});
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errText()));
    QFile written(path("history.csv"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    QVERIFY2(
        text.startsWith(QStringLiteral("\"tournament\",\"date\",\"rounds\",\"rank\",\"name\"")),
        qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 4);
    // A name a spreadsheet would run is written as text.
    QVERIFY2(text.contains(QStringLiteral("\"'=O'Neil, Bran\"")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("\"Żółć, Łukasz\"")));
    // Only as CSV.
    const ZuviRun pdf =
        runZuvi({QStringLiteral("--export"), QStringLiteral("history"), path("history.pdf")});
    QCOMPARE(pdf.exitCode, 2);
    QVERIFY(pdf.errText().contains(QStringLiteral("needs one FILE.csv")));
}

void TestExportCommand::leagueIsExportedByName()
{
    // Two archived evenings, the second outside the league's dates.
    const History::ArchiveAccess archive(std::nullopt);
    for (const QDate &played : {QDate(2027, 1, 6), QDate(2027, 4, 7)}) {
        History::ArchivedTournament t;
        t.name = History::defaultName(played);
        t.played = played;
        t.rounds = 1;
        t.entrants = {{QStringLiteral("=Ada"), QStringLiteral("Stark"), 1, 1, 3, 5, false},
                      {QStringLiteral("Bob"), QStringLiteral("Tully"), 2, 2, 0, 1, false}};
        archive.add(t);
    }
    History::League winter;
    winter.name = QStringLiteral("Winter 2027");
    winter.from = QDate(2027, 1, 1);
    winter.to = QDate(2027, 3, 31);
    winter.scheme.kind = History::LeagueScheme::Kind::Placement;
    archive.saveLeague(winter);

    const ZuviRun run = runZuvi({QStringLiteral("--export"), QStringLiteral("league"),
                                 QStringLiteral("Winter 2027"), path("league.csv")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errText()));
    QFile written(path("league.csv"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()),
             QStringLiteral("\"rank\",\"player\",\"points\",\"events\",\"counted\"\r\n"
                            "\"1\",\"'=Ada\",\"10\",\"1\",\"1\"\r\n"
                            "\"2\",\"Bob\",\"8\",\"1\",\"1\"\r\n"));
    // As PDF: the same table, printed.
    const ZuviRun pdf = runZuvi({QStringLiteral("--export"), QStringLiteral("league"),
                                 QStringLiteral("Winter 2027"), path("league.PDF")});
    QVERIFY2(pdf.exitCode == 0, qPrintable(pdf.errText()));
    QFile pdfFile(path("league.PDF"));
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QVERIFY(pdfFile.readAll().startsWith("%PDF"));
    const ZuviRun text = runZuvi({QStringLiteral("--export"), QStringLiteral("league"),
                                  QStringLiteral("Winter 2027"), path("league.txt")});
    QCOMPARE(text.exitCode, 2);
    QVERIFY(!QFile::exists(path("league.txt")));

    const ZuviRun unknown = runZuvi({QStringLiteral("--export"), QStringLiteral("league"),
                                     QStringLiteral("Summer"), path("other.csv")});
    QCOMPARE(unknown.exitCode, 1);
    QVERIFY2(unknown.errText().contains(QStringLiteral("There is no league \"Summer\" (kept: "
                                                       "Winter 2027).")),
             qPrintable(unknown.errText()));
    QVERIFY(!QFile::exists(path("other.csv")));
    const ZuviRun noFile = runZuvi(
        {QStringLiteral("--export"), QStringLiteral("league"), QStringLiteral("Winter 2027")});
    QCOMPARE(noFile.exitCode, 2);
}

void TestExportCommand::nothingToExport_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("registered"); // entrants registered, not started
    QTest::addColumn<QString>("message");

    QTest::newRow("standings of a fresh install")
        << "standings" << false << "the tournament has not started";
    QTest::newRow("pairings before the start") << "pairings" << true << "no round is being played";
    QTest::newRow("games before any") << "games" << true << "none has been recorded";
}

void TestExportCommand::nothingToExport()
{
    QFETCH(QString, document);
    QFETCH(bool, registered);
    QFETCH(QString, message);
    if (registered) {
        TournamentProgress progress;
        progress.addEntrant(QStringLiteral("Abel"), QStringLiteral("Stark"));
    }
    const QString file = path(QStringLiteral("out.csv"));
    const ZuviRun run = runZuvi({QStringLiteral("--export"), document, file});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errText().contains(QStringLiteral("zuvi: ")) && run.errText().contains(message),
             qPrintable(run.errText()));
    QVERIFY(!QFile::exists(file));
}

void TestExportCommand::fileThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("file");
    // Tests run as root, where file modes stop nothing: a folder that is missing, and a
    // "folder" that is a regular file.
    QTest::newRow("missing folder, PDF") << "missing/standings.pdf";
    QTest::newRow("missing folder, CSV") << "missing/standings.csv";
    QTest::newRow("under a regular file") << "Tourny.db/standings.csv";
}

void TestExportCommand::fileThatCannotBeWritten()
{
    QFETCH(QString, file);
    storeTournament();
    const ZuviRun run =
        runZuvi({QStringLiteral("--export"), QStringLiteral("standings"), path(file)});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errText().contains(QStringLiteral("zuvi: Standings not exported: ")),
             qPrintable(run.errText()));
    QVERIFY(!QFile::exists(path(file)));
}

void TestExportCommand::wrongCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown document") << QStringList{"--export", "scores", "x.csv"}
                                      << "--export takes one of standings, pairings";
    QTest::newRow("no file") << QStringList{"--export", "standings"} << "needs one FILE";
    QTest::newRow("two files") << QStringList{"--export", "standings", "a.csv", "b.csv"}
                               << "needs one FILE";
    QTest::newRow("slips as CSV") << QStringList{"--export", "slips", "slips.csv"}
                                  << "printed or saved as PDF only";
    QTest::newRow("neither PDF nor CSV")
        << QStringList{"--export", "standings", "x.txt"} << "must end in .pdf or .csv";
}

void TestExportCommand::wrongCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    storeTournament();
    // Give the files a place in the temporary folder.
    for (qsizetype i = 2; i < arguments.size(); ++i)
        arguments[i] = path(arguments[i]);
    const ZuviRun run = runZuvi(arguments);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode != 0, qPrintable(run.outText()));
    QVERIFY2(run.errText().contains(message), qPrintable(run.errText()));
    for (qsizetype i = 2; i < arguments.size(); ++i)
        QVERIFY(!QFile::exists(arguments[i]));
}

QTEST_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
