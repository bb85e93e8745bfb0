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
const QString kRoundsRange =
    QStringLiteral("Please enter the number of rounds as a whole number from 1 to 99");
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
    void roundsChangedAfterTheStartAreCheckedAndAsked_data();
    void roundsChangedAfterTheStartAreCheckedAndAsked();
    void secondClickWritesNothingAndOpensNoSecondWindow();
    void startWithNoEntrantsEmptiesStandingsAndPairsNothing();
    void failedInsertLeavesPreviousStandings();
};

void TestTournamentStart::startChecksTheNumberOfRounds_data()
{
    QTest::addColumn<QString>("rounds");
    QTest::addColumn<QString>("message"); // empty: the round window opens

    // 0 rounds once ended the tournament before it started.
    QTest::newRow("zero refused") << QStringLiteral("0") << kRoundsRange;
    QTest::newRow("zero written 0.0") << QStringLiteral("0.0") << kRoundsRange;
    QTest::newRow("zero with blanks") << QStringLiteral("  0 ") << kRoundsRange;
    QTest::newRow("negative") << QStringLiteral("-1") << kPleaseRounds;
    QTest::newRow("negative beyond 16 bits") << QStringLiteral("-40000") << kPleaseRounds;
    QTest::newRow("empty") << QString() << kPleaseRounds;
    QTest::newRow("blanks only") << QStringLiteral("   ") << kPleaseRounds;
    QTest::newRow("not a number") << QStringLiteral("abc") << kRoundsRange;
    QTest::newRow("number then letters") << QStringLiteral("3x") << kRoundsRange;
    QTest::newRow("letter O for zero") << QStringLiteral("1O") << kRoundsRange;
    QTest::newRow("fraction") << QStringLiteral("2.5") << kRoundsRange;
    QTest::newRow("beyond 16 bits") << QStringLiteral("40000") << kRoundsRange;
    QTest::newRow("hexadecimal") << QStringLiteral("0x3") << kRoundsRange;
    QTest::newRow("very long digits") << QString(5000, QLatin1Char('9')) << kRoundsRange;
    QTest::newRow("past the most rounds") << QStringLiteral("100") << kRoundsRange;
    QTest::newRow("16-bit maximum") << QStringLiteral("32767") << kRoundsRange;
    QTest::newRow("three") << QStringLiteral("3") << QString();
    QTest::newRow("three with blanks") << QStringLiteral(" 3 ") << QString();
    QTest::newRow("three written 3.0") << QStringLiteral("3.0") << QString();
    QTest::newRow("one") << QStringLiteral("1") << QString();
    QTest::newRow("the most rounds") << QStringLiteral("99") << QString();
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

void TestTournamentStart::roundsChangedAfterTheStartAreCheckedAndAsked_data()
{
    // A tournament of 3 rounds, round 1 ended; round 2 open or not yet started. A number
    // below the round reached once made the tournament run for ever, and a changed number
    // changed its length without a word.
    QTest::addColumn<bool>("roundOpen");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("message");  // empty: none
    QTest::addColumn<QString>("question"); // empty: none
    QTest::addColumn<QString>("stored");   // the number of rounds stored afterwards

    const QString reached =
        QStringLiteral("The tournament has already reached round 2: please enter at least 2 "
                       "rounds");
    const QString toTwo =
        QStringLiteral("The tournament is set to 3 rounds. Change it to 2 rounds?");
    const QString toFive =
        QStringLiteral("The tournament is set to 3 rounds. Change it to 5 rounds?");
    QTest::newRow("open: fewer than the round played")
        << true << "1" << true << reached << QString() << "3";
    QTest::newRow("open: zero") << true << "0" << true << kRoundsRange << QString() << "3";
    QTest::newRow("open: changed, answered No")
        << true << "2" << false << QString() << toTwo << "3";
    QTest::newRow("open: changed, answered Yes")
        << true << "2" << true << QString() << toTwo << "2";
    QTest::newRow("open: the same number written otherwise")
        << true << "3.0" << false << QString() << QString() << "3.0";
    QTest::newRow("between: more rounds, answered Yes")
        << false << "5" << true << QString() << toFive << "5";
    QTest::newRow("between: more rounds, answered No")
        << false << "5" << false << QString() << toFive << "3";
    QTest::newRow("between: the rounds ended is the end")
        << false << "1" << true << kOver << QString() << "3";
    QTest::newRow("between: zero") << false << "0" << true << kRoundsRange << QString() << "3";
}

void TestTournamentStart::roundsChangedAfterTheStartAreCheckedAndAsked()
{
    QFETCH(bool, roundOpen);
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    QFETCH(QString, message);
    QFETCH(QString, question);
    QFETCH(QString, stored);

    RoundFixture fixture(kThree);
    Throne &throne = *fixture.throne;
    Tournament *round = fixture.startRound(QStringLiteral("3"));
    QVERIFY(round);
    fixture.log.setAnswer(true);
    click(*round, "EndTourny");
    QTRY_VERIFY(!throne.tournament());
    if (roundOpen)
        QVERIFY(fixture.startRound(QStringLiteral("3")));
    const qint16 counter = throne.roundcounter();
    fixture.log.clear();
    const qsizetype asked = fixture.log.questions().size();

    fixture.log.setAnswer(answer);
    setText(throne.Rounds(), typed);
    click(throne, "StartButton");

    QCOMPARE(fixture.log.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(fixture.log.questions().mid(asked),
             question.isEmpty() ? QStringList() : QStringList{question});
    // The question defaults to No: Return keeps the tournament's length.
    if (!question.isEmpty())
        QVERIFY(fixture.log.questionDefaults().last() == Ui::DefaultAnswer::No);
    QCOMPARE(throne.progress()->roundsText().trimmed(), stored);
    QCOMPARE(throne.roundcounter(), counter);
    // A No puts the stored number back in the box.
    if (!question.isEmpty() && !answer)
        QCOMPARE(throne.Rounds()->text(), QStringLiteral("3"));
    const bool opens = message.isEmpty() && (question.isEmpty() || answer);
    QCOMPARE(throne.tournament() != nullptr, opens || roundOpen);
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
