// Resuming a stored tournament through the real windows: a registration window is built,
// the tournament played to some point, the window destroyed without closing the round
// window (as a crash leaves it), and a new registration window built over what is stored.
// Also the start-up's upgrade of a Tourny.db made before the progress tables existed.

#include "support/roundfixture.h"

#include "core/errorpath.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = QStringLiteral("Tourny");

// The fifth entrant's apostrophe goes through every stored table and back.
const Entrant kONeill{"Eve", "O'Neill", "Stark"};
const QList<Entrant> kFive{kA, kB, kC, kD, kONeill};

/// Where the tournament stood when the registration window went.
enum class Stage {
    Registration,  // registered, not started
    Drawn,         // round 1 drawn, nothing recorded
    Swapped,       // an opponent moved down, a game recorded, another moved up
    BetweenRounds, // round 1 ended
    SecondRound,   // round 2 paired from the standings, a game recorded
};

/// Everything the two windows show.
struct Shown
{
    QStringList stored, names, houses, scores;
    QString rounds, startCaption;
    bool roundOpen = false;
    QStringList list1, list2;
    int selected1 = -1, selected2 = -1;
    bool operator==(const Shown &) const = default;
};

Shown shown(const Throne &throne)
{
    Shown s;
    s.stored = listTexts(throne.StoredPlayers());
    s.names = listTexts(throne.TournyPlayers());
    s.houses = listTexts(throne.PlayerHouses());
    s.scores = listTexts(throne.PlayerScores());
    s.rounds = throne.Rounds()->text();
    s.startCaption = throne.StartButton()->text();
    if (Tournament *round = throne.tournament()) {
        s.roundOpen = true;
        s.list1 = listTexts(round->MatchList1());
        s.list2 = listTexts(round->MatchList2());
        s.selected1 = Ui::selectedRow(round->MatchList1());
        s.selected2 = Ui::selectedRow(round->MatchList2());
    }
    return s;
}

char *toString(const Shown &s)
{
    const QString text =
        QStringLiteral("names %1 | houses %2 | scores %3 | rounds %4 | start %5 | open %6 | "
                       "list1 %7 | list2 %8 | selected %9 %10")
            .arg(s.names.join(u','), s.houses.join(u','), s.scores.join(u','), s.rounds,
                 s.startCaption, QString::number(s.roundOpen), s.list1.join(u','),
                 s.list2.join(u','))
            .arg(s.selected1)
            .arg(s.selected2);
    return qstrdup(qPrintable(text));
}

/// The five players stored, none registered yet, and the registration window shown as at
/// start-up.
struct Fixture : RoundFixture
{
    Fixture() : RoundFixture(kFive, 0) { throne->show(); }
};

/// Plays to the stage; returns false when a window did not open or a step failed.
bool playTo(Fixture &fixture, Stage stage)
{
    registerEntrants(*fixture.throne, kFive);
    if (stage == Stage::Registration)
        return !QTest::currentTestFailed();
    Tournament *round = fixture.startRound();
    if (!round)
        return false;
    if (stage == Stage::Drawn)
        return !QTest::currentTestFailed();
    if (stage == Stage::Swapped) {
        clickRow(round->MatchList2(), 0);
        click(*round, "MoveDown");
        recordGame(*round, 1, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("3"));
        clickRow(round->MatchList2(), 1);
        click(*round, "MoveUp");
        return !QTest::currentTestFailed();
    }
    for (const char *power : {"7", "4", "2.5"})
        recordGame(*round, 0, QStringLiteral("Modified Win"), QString::fromLatin1(power),
                   QStringLiteral("6"));
    click(*round, "EndTourny");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (stage == Stage::BetweenRounds)
        return !QTest::currentTestFailed();
    round = fixture.startRound();
    if (!round)
        return false;
    recordGame(*round, 1, QStringLiteral("True Draw"), QStringLiteral("1"), QStringLiteral("1"));
    return !QTest::currentTestFailed();
}

/// Seconds of a clock caption "hh:mm:ss".
int seconds(const QString &caption)
{
    const QStringList parts = caption.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    return parts.at(0).toInt() * 3600 + parts.at(1).toInt() * 60 + parts.at(2).toInt();
}

/// Creates Tourny.db as an older version made it: the standings table alone, with rows.
void makeOldTournyFile(const QString &path, bool withRows)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot create %s", qPrintable(path));
        QSqlQuery query(db);
        if (!query.exec(Data::createTournyTable()))
            qFatal("%s", qPrintable(query.lastError().text()));
        if (withRows) {
            for (const char *sql :
                 {"INSERT INTO TournyInfo VALUES ('Adams, Ann', 'Stark', '0', '0')",
                  "INSERT INTO TournyInfo VALUES ('O''Neill, Eve', 'Greyjoy', 7, 21.5)",
                  "INSERT INTO TournyInfo VALUES ('Ölund, Åsa', NULL, 3, 0.1)"}) {
                if (!query.exec(QString::fromUtf8(sql)))
                    qFatal("%s", qPrintable(query.lastError().text()));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kStandingsRows = QStringLiteral(
    "SELECT rowid, Name, typeof(Name), House, typeof(House), Score, typeof(Score), Power, "
    "typeof(Power) FROM TournyInfo ORDER BY rowid");

} // namespace

class TestResume : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resumeShowsWhatWasShown_data();
    void resumeShowsWhatWasShown();
    void resumeWithTheClockRunning();
    void questionNamesTheRoundsAsANumber_data();
    void questionNamesTheRoundsAsANumber();
    void finishedTournamentIsNotOffered();
    void answeringNoStartsAfresh();
    void oldFileGainsTheProgressTables_data();
    void oldFileGainsTheProgressTables();
    void fileThatCannotBeUpgradedIsLeftAsItWas_data();
    void fileThatCannotBeUpgradedIsLeftAsItWas();
};

void TestResume::resumeShowsWhatWasShown_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::addColumn<QString>("question");

    QTest::newRow("registration") << Stage::Registration
                                  << "5 entrants are registered. Resume the registration?";
    QTest::newRow("right after the draw")
        << Stage::Drawn
        << "A tournament is in progress: round 1 of 3, 0 of 3 games recorded. Resume it?";
    QTest::newRow("after Up/Down")
        << Stage::Swapped
        << "A tournament is in progress: round 1 of 3, 1 of 3 games recorded. Resume it?";
    QTest::newRow("between rounds")
        << Stage::BetweenRounds << "A tournament is in progress: round 2 of 3 is next. Resume it?";
    QTest::newRow("second round")
        << Stage::SecondRound
        << "A tournament is in progress: round 2 of 3, 1 of 3 games recorded. Resume it?";
}

void TestResume::questionNamesTheRoundsAsANumber_data()
{
    QTest::addColumn<QString>("rounds");
    QTest::newRow("digits") << QStringLiteral("10");
    QTest::newRow("blanks around") << QStringLiteral(" 10 ");
    QTest::newRow("exponent") << QStringLiteral("1e1");
    QTest::newRow("point zero") << QStringLiteral("10.0");
    QTest::newRow("plus sign") << QStringLiteral("+10");
}

void TestResume::questionNamesTheRoundsAsANumber()
{
    QFETCH(QString, rounds);
    RoundFixture fixture({kA, kB});
    QVERIFY(fixture.startRound(rounds));
    QVERIFY(fixture.restart(true));
    QCOMPARE(fixture.log.questions(),
             QStringList{QStringLiteral("A tournament is in progress: round 1 of 10, 0 of 1 games "
                                        "recorded. Resume it?")});
}

void TestResume::resumeShowsWhatWasShown()
{
    QFETCH(Stage, stage);
    QFETCH(QString, question);

    Fixture fixture;
    QVERIFY(playTo(fixture, stage));
    QCOMPARE(fixture.log.texts(), QStringList());
    const Shown before = shown(*fixture.throne);
    const QList<QVariantList> standings = standingsByName(fixture.install);
    const qint16 roundcounter = fixture.throne->roundcounter();

    QVERIFY(fixture.restart(true));

    QCOMPARE(fixture.log.questions(), QStringList{question});
    Shown expected = before;
    // Resumed, nothing is selected.
    expected.selected1 = expected.selected2 = -1;
    QCOMPARE(shown(*fixture.throne), expected);
    QCOMPARE(fixture.throne->roundcounter(), roundcounter);
    QCOMPARE(standingsByName(fixture.install), standings);
    QCOMPARE(fixture.log.texts(), QStringList());

    // And the tournament goes on from there.
    if (Tournament *round = fixture.throne->tournament()) {
        const QString player1 = before.list1.first();
        const QString player2 = before.list2.first();
        const int games = fixture.count(QStringLiteral("ZuviGame"));
        recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("9"), QStringLiteral("8"));
        QCOMPARE(fixture.log.texts(), QStringList());
        QCOMPARE(listTexts(round->MatchList1()), before.list1.mid(1));
        QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), games + 1);
        const QList<QVariantList> game = fixture.install.rows(
            kTourny, QStringLiteral("SELECT Player1, Player2, Points1, Power1 FROM ZuviGame "
                                    "ORDER BY Id DESC LIMIT 1"));
        QCOMPARE(game, (QList<QVariantList>{{player1, player2, 3, 9.0}}));
        // Ctrl+Z takes back the games of the round one by one, those recorded before the
        // restart too, until every game of the round is open again.
        const int seats = fixture.count(QStringLiteral("ZuviSeat"));
        // The resumed round window is active at once: its keys go to it without a click.
        QVERIFY(QTest::qWaitForWindowActive(round));
        for (int open = rowCount(round->MatchList1()); open < seats; ++open) {
            round->MatchList1()->setFocus();
            QTest::keyClick(round->MatchList1(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(rowCount(round->MatchList1()), open + 1);
        }
        QCOMPARE(fixture.log.texts(), QStringList());
        round->MatchList1()->setFocus();
        QTest::keyClick(round->MatchList1(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.log.texts(), QStringList{QStringLiteral("There is no game to undo.")});
        QCOMPARE(fixture.count(QStringLiteral("ZuviSeat WHERE Recorded = 1")), 0);
        QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), stage == Stage::SecondRound ? 3 : 0);
    } else {
        QVERIFY(!before.roundOpen);
        round = fixture.startRound();
        QVERIFY(round);
        // Five entrants: two games and a bye, whichever round this is.
        QCOMPARE(rowCount(round->MatchList1()), 3);
        QCOMPARE(listTexts(round->MatchList2()).count(QStringLiteral("Bye")), 1);
        if (stage == Stage::Registration)
            QCOMPARE(listTexts(round->MatchList1()),
                     (QStringList{kA.name(), kC.name(), kONeill.name()}));
    }
}

void TestResume::resumeWithTheClockRunning()
{
    Fixture fixture;
    QVERIFY(playTo(fixture, Stage::Drawn));
    Tournament *round = fixture.throne->tournament();
    setText(control<QLineEdit>(*round, "Minutes"), QStringLiteral("30"));
    click(*round, "StartTimer");
    QVERIFY(round->Timer1()->isActive());

    QVERIFY(fixture.restart(true));

    QCOMPARE(fixture.log.questions().size(), 1);
    round = fixture.throne->tournament();
    QVERIFY(round);
    QVERIFY(round->Timer1()->isActive());
    const QLabel *clock = control<QLabel>(*round, "FullTime");
    const int left = seconds(clock->text());
    QVERIFY2(left > 30 * 60 - 30 && left <= 30 * 60, qPrintable(clock->text()));
    // It runs: the caption counts down.
    QTRY_VERIFY_WITH_TIMEOUT(seconds(clock->text()) < left, 5000);
    QVERIFY(round->Timer1()->isActive());
}

void TestResume::finishedTournamentIsNotOffered()
{
    Fixture fixture;
    registerEntrants(*fixture.throne, {kA, kB});
    Tournament *round = fixture.startRound(QStringLiteral("1"));
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("3"));
    click(*round, "EndTourny");
    const QList<QVariantList> standings = standingsByName(fixture.install);

    QVERIFY(fixture.restart(true));

    QCOMPARE(fixture.log.questions(), QStringList());
    QVERIFY(!fixture.throne->tournament());
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), QStringList());
    QCOMPARE(listTexts(fixture.throne->PlayerScores()), QStringList());
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Tournament"));
    QCOMPARE(standingsByName(fixture.install), standings);

    // The next tournament starts afresh, whatever the file still holds of the last one:
    // its registration is offered after a restart, as any other.
    registerEntrants(*fixture.throne, {kA, kB, kC});
    QVERIFY(fixture.restart(true));
    QCOMPARE(fixture.log.questions(),
             QStringList{QStringLiteral("3 entrants are registered. Resume the registration?")});
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()),
             (QStringList{kA.name(), kB.name(), kC.name()}));
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()),
             (QStringList{kA.house, kB.house, kC.house}));
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Tournament"));
    round = fixture.startRound(QStringLiteral("2"));
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList1()), (QStringList{kA.name(), kC.name()}));
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{kB.name(), QStringLiteral("Bye")}));
    QCOMPARE(fixture.count(QStringLiteral("ZuviGame")), 0);
    QCOMPARE(fixture.count(QStringLiteral("ZuviEntrant")), 3);
    QCOMPARE(standingsByName(fixture.install).size(), 3);
    QCOMPARE(fixture.log.texts(), QStringList());
}

void TestResume::answeringNoStartsAfresh()
{
    Fixture fixture;
    QVERIFY(playTo(fixture, Stage::SecondRound));
    const QList<QVariantList> standings = standingsByName(fixture.install);

    QVERIFY(fixture.restart(false));

    QCOMPARE(fixture.log.questions().size(), 1);
    QVERIFY(!fixture.throne->tournament());
    QCOMPARE(openRoundWindows(), 0);
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()), QStringList());
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()), QStringList());
    QCOMPARE(listTexts(fixture.throne->PlayerScores()), QStringList());
    QCOMPARE(fixture.throne->Rounds()->text(), QString());
    QCOMPARE(fixture.throne->StartButton()->text(), QStringLiteral("Start Tournament"));
    QCOMPARE(fixture.throne->roundcounter(), qint16(1));
    QCOMPARE(fixture.throne->RandomFirst(), qint16(0));
    for (const char *table : {"ZuviState", "ZuviEntrant", "ZuviSeat", "ZuviGame"})
        QCOMPARE(fixture.count(QString::fromLatin1(table)), 0);
    // The standings stay until the next tournament's start replaces them.
    QCOMPARE(standingsByName(fixture.install), standings);

    // Asked again, there is nothing to resume; a new tournament starts with its draw.
    QVERIFY(fixture.restart(true));
    QCOMPARE(fixture.log.questions().size(), 1);
    registerEntrants(*fixture.throne, {kA, kB, kC});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(listTexts(round->MatchList1()), (QStringList{kA.name(), kC.name()}));
    QCOMPARE(standingsByName(fixture.install).size(), 3);
}

void TestResume::oldFileGainsTheProgressTables_data()
{
    QTest::addColumn<bool>("withRows");
    QTest::newRow("standings rows") << true;
    QTest::newRow("no rows") << false;
}

void TestResume::oldFileGainsTheProgressTables()
{
    QFETCH(bool, withRows);
    TempInstall install(false);
    MessageLog log;
    QVERIFY(QDir().mkpath(QFileInfo(install.file(kTourny)).absolutePath()));
    makeOldTournyFile(install.file(kTourny), withRows);
    const QList<QVariantList> rowsBefore = install.rows(kTourny, kStandingsRows);
    const QString schema =
        QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'TournyInfo'");
    const QList<QVariantList> schemaBefore = install.rows(kTourny, schema);

    Core::runGuarded([] { Data::ensureDatabases(); });

    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(log.ends(), 0);
    QCOMPARE(install.rows(kTourny, QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                                  "'table' ORDER BY name")),
             (QList<QVariantList>{{"TournyInfo"},
                                  {"ZuviEntrant"},
                                  {"ZuviEntrantPlayer"},
                                  {"ZuviGame"},
                                  {"ZuviMissedGame"},
                                  {"ZuviSeat"},
                                  {"ZuviState"}}));
    QCOMPARE(install.rows(kTourny, kStandingsRows), rowsBefore);
    QCOMPARE(install.rows(kTourny, schema), schemaBefore);

    // The window starts as on a fresh file: nothing to resume, and a tournament can start.
    Throne throne(new TournamentProgress);
    throne.progress()->setRandomSource(firstEntrant);
    QCOMPARE(log.questions(), QStringList());
    install.addPlayers({{"Ann", "Adams"}, {"Bob", "Baker"}});
    throne.FillNames();
    registerEntrants(throne, {kA, kB});
    QVERIFY(start(throne, QStringLiteral("2")));
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(standingsByName(install).size(), 2);

    // A second start-up finds the tables and leaves the file as it is.
    const QList<QVariantList> everything = install.rows(kTourny, kStandingsRows);
    Core::runGuarded([] { Data::ensureDatabases(); });
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(install.rows(kTourny, kStandingsRows), everything);
}

void TestResume::fileThatCannotBeUpgradedIsLeftAsItWas_data()
{
    QTest::addColumn<bool>("locked"); // else: the file is no database at all
    QTest::newRow("locked by another program") << true;
    QTest::newRow("not a database") << false;
}

void TestResume::fileThatCannotBeUpgradedIsLeftAsItWas()
{
    QFETCH(bool, locked);
    TempInstall install(false);
    MessageLog log;
    const QString path = install.file(kTourny);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (locked) {
        makeOldTournyFile(path, true);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("These are not the standings you are looking for.\n").repeated(90));
    }
    const QByteArray bytes = fileBytes(path);
    QVERIFY(!bytes.isEmpty());

    {
        // Another program holds the write lock for as long as the upgrade tries.
        QSqlDatabase other =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        if (locked) {
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
        }

        Core::runGuarded([] { Data::ensureDatabases(); });

        if (locked) {
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));

    // The error path reported it and ended; the file is as it was, byte for byte, with no
    // journal left beside it.
    QCOMPARE(log.texts().size(), 1);
    QVERIFY2(log.last().startsWith(QStringLiteral("Error ")), qPrintable(log.last()));
    QCOMPARE(log.ends(), 1);
    QCOMPARE(fileBytes(path), bytes);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")) ||
            QFileInfo(path + QStringLiteral("-wal")).size() == 0);
}

QTEST_MAIN(TestResume)
#include "tst_resume.moc"
