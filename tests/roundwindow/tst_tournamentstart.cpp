// The start button of the registration window: the number of rounds, the standings written
// in one transaction, and the one round window.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "roundwindow/tournament.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {
const QString kPleaseRounds = QStringLiteral("Please enter the number of rounds");
const QString kOver = QStringLiteral("The tournament is over!");
const QString kTourny = QStringLiteral("Tourny");

const QList<Entrant> kThree{
    {QStringLiteral("Ann"), QStringLiteral("Smith"), QStringLiteral("Stark")},
    {QStringLiteral("Bran"), QStringLiteral("O'Neil"), QStringLiteral("Night's Watch")},
    {QStringLiteral("Zoë"), QStringLiteral("Müller"), QStringLiteral("Greyjoy")}};

/// The standings as a previous tournament left them.
void leaveOldStandings(const TempInstall &install)
{
    install.exec(kTourny, QStringLiteral("INSERT INTO TournyInfo VALUES (?, ?, ?, ?)"),
                 {QStringLiteral("Old, Row"), QStringLiteral("Stark"), 7, 21.5});
}

QList<QVariantList> wholeTable(const TempInstall &install)
{
    return install.rows(kTourny, QStringLiteral("SELECT Name, House, Score, Power FROM "
                                                "TournyInfo ORDER BY rowid"));
}

const QList<QVariantList> kOldTable{{QStringLiteral("Old, Row"), QStringLiteral("Stark"), 7, 21.5}};
} // namespace

class TestTournamentStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startChecksTheNumberOfRounds_data();
    void startChecksTheNumberOfRounds();
    void secondClickWritesNothingAndOpensNoSecondWindow();
    void startWithNoEntrantsEmptiesStandingsAndPairsNothing();
    void failedInsertLeavesPreviousStandings();
};

void TestTournamentStart::startChecksTheNumberOfRounds_data()
{
    QTest::addColumn<QString>("rounds");
    QTest::addColumn<QString>("message"); // empty: the round window opens

    QTest::newRow("zero ends before the start") << QStringLiteral("0") << kOver;
    QTest::newRow("zero written 0.0") << QStringLiteral("0.0") << kOver;
    QTest::newRow("zero with blanks") << QStringLiteral("  0 ") << kOver;
    QTest::newRow("negative") << QStringLiteral("-1") << kPleaseRounds;
    QTest::newRow("negative beyond 16 bits") << QStringLiteral("-40000") << kPleaseRounds;
    QTest::newRow("empty") << QString() << kPleaseRounds;
    QTest::newRow("blanks only") << QStringLiteral("   ") << kPleaseRounds;
    QTest::newRow("not a number") << QStringLiteral("abc") << kPleaseRounds;
    QTest::newRow("number then letters") << QStringLiteral("3x") << kPleaseRounds;
    QTest::newRow("letter O for zero") << QStringLiteral("1O") << kPleaseRounds;
    QTest::newRow("fraction") << QStringLiteral("2.5") << kPleaseRounds;
    QTest::newRow("beyond 16 bits") << QStringLiteral("40000") << kPleaseRounds;
    QTest::newRow("hexadecimal") << QStringLiteral("0x3") << kPleaseRounds;
    QTest::newRow("very long digits") << QString(5000, QLatin1Char('9')) << kPleaseRounds;
    QTest::newRow("three") << QStringLiteral("3") << QString();
    QTest::newRow("three with blanks") << QStringLiteral(" 3 ") << QString();
    QTest::newRow("three written 3.0") << QStringLiteral("3.0") << QString();
    QTest::newRow("16-bit maximum") << QStringLiteral("32767") << QString();
}

void TestTournamentStart::startChecksTheNumberOfRounds()
{
    QFETCH(QString, rounds);
    QFETCH(QString, message);
    RoundFixture fixture(kThree);
    leaveOldStandings(fixture.install);

    Tournament *round = start(*fixture.throne, rounds);

    if (!message.isEmpty()) {
        // Refused or over: nothing written, nothing drawn, no window.
        QCOMPARE(fixture.log.texts(), QStringList{message});
        QCOMPARE(wholeTable(fixture.install), kOldTable);
        QVERIFY(!round);
        QCOMPARE(openRoundWindows(), 0);
        QCOMPARE(fixture.throne->RandomFirst(), qint16(0));
        QCOMPARE(fixture.throne->roundcounter(), qint16(1));
        QCOMPARE(listTexts(fixture.throne->TournyPlayers()),
                 (QStringList{"Smith, Ann", "O'Neil, Bran", "Müller, Zoë"}));
        return;
    }
    QCOMPARE(fixture.log.texts(), QStringList());
    // The old standings are gone; every entrant is in with score and power 0.
    QCOMPARE(wholeTable(fixture.install),
             (QList<QVariantList>{{"Smith, Ann", "Stark", 0, 0.0},
                                  {"O'Neil, Bran", "Night's Watch", 0, 0.0},
                                  {"Müller, Zoë", "Greyjoy", 0, 0.0}}));
    QVERIFY(round);
    QVERIFY(round->isVisible());
    QCOMPARE(openRoundWindows(), 1);
    QCOMPARE(fixture.throne->RandomFirst(), qint16(1));
    QCOMPARE(listTexts(round->MatchList1()), (QStringList{"Smith, Ann", "Müller, Zoë"}));
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{"O'Neil, Bran", "Bye"}));
}

void TestTournamentStart::secondClickWritesNothingAndOpensNoSecondWindow()
{
    RoundFixture fixture(kThree);
    Tournament *round = start(*fixture.throne, QStringLiteral("3"));
    QVERIFY(round);
    const QStringList left = listTexts(round->MatchList1());
    const QStringList right = listTexts(round->MatchList2());

    // A game recorded meanwhile must survive the second click.
    fixture.install.exec(kTourny, QStringLiteral("UPDATE TournyInfo SET Score = 3, Power = 9 WHERE "
                                                 "Name = 'Smith, Ann'"));
    const QList<QVariantList> before = wholeTable(fixture.install);
    click(*fixture.throne, "StartButton");

    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.throne->tournament(), round);
    QCOMPARE(openRoundWindows(), 1);
    QVERIFY(round->isVisible());
    QCOMPARE(wholeTable(fixture.install), before);
    QCOMPARE(listTexts(round->MatchList1()), left);
    QCOMPARE(listTexts(round->MatchList2()), right);
    QCOMPARE(fixture.throne->RandomFirst(), qint16(1));
}

void TestTournamentStart::startWithNoEntrantsEmptiesStandingsAndPairsNothing()
{
    TempInstall install;
    leaveOldStandings(install);
    MessageLog log;
    Throne throne(new TournamentProgress);
    Tournament *round = start(throne, QStringLiteral("2"));
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(wholeTable(install), QList<QVariantList>());
    QVERIFY(round);
    QCOMPARE(rowCount(round->MatchList1()), 0);
    QCOMPARE(rowCount(round->MatchList2()), 0);
    QCOMPARE(throne.RandomFirst(), qint16(1));
}

void TestTournamentStart::failedInsertLeavesPreviousStandings()
{
    RoundFixture fixture(kThree);
    leaveOldStandings(fixture.install);
    // The database refuses the third entrant, after the delete and two inserts have run.
    fixture.install.exec(kTourny,
                         QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON TournyInfo "
                                        "WHEN NEW.Name = 'Müller, Zoë' BEGIN "
                                        "SELECT RAISE(ABORT, 'entrant refused'); END"));

    Tournament *round = start(*fixture.throne, QStringLiteral("3"));

    QCOMPARE(fixture.log.texts().size(), 1);
    QVERIFY2(fixture.log.last().startsWith(QStringLiteral("Error ")),
             qPrintable(fixture.log.last()));
    QVERIFY2(fixture.log.last().endsWith(QStringLiteral(": entrant refused")),
             qPrintable(fixture.log.last()));
    QCOMPARE(fixture.log.ends(), 1);
    QCOMPARE(wholeTable(fixture.install), kOldTable);
    QVERIFY(!round);
    QCOMPARE(openRoundWindows(), 0);
    QCOMPARE(fixture.throne->RandomFirst(), qint16(0));
}

QTEST_MAIN(TestTournamentStart)
#include "tst_tournamentstart.moc"
