// The tournament model on its own, over a store kept in memory: no window and no file.
// Every organiser's action is checked for what it changes in the model, what it hands the
// store, and that a store that fails leaves both as they were. With ZUVI_TEST_STORE=server
// the same tests run over the shared server's store on the test server.

#include "support/rowgame.h"
#include "support/memorytournamentstore.h"
#include "support/modeltexts.h"
#include "support/spytournamentstore.h"
#include "support/testserver.h"

#include "round/pairing.h"
#include "tournament/servertournamentstore.h"
#include "tournament/tournamentprogress.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Zuvi;
using namespace Zuvi::Test;
using Progress::Entrant;
using Progress::Seat;

namespace {

/// The entrants' names in the model's order.
QStringList namesOf(const QList<Entrant> &entrants)
{
    QStringList names;
    for (const Entrant &entrant : entrants)
        names.append(entrant.name);
    return names;
}

/// The store the tests run over: in memory, or (ZUVI_TEST_STORE=server) the shared
/// server's on an emptied test database.
std::unique_ptr<TournamentStore> storeUnderTest()
{
    if (qEnvironmentVariable("ZUVI_TEST_STORE") != QLatin1String("server"))
        return std::make_unique<MemoryTournamentStore>();
    QString problem;
    const std::optional<TestServer> server = TestServer::find(&problem);
    if (!server)
        qFatal("%s", qPrintable(problem));
    server->reset();
    return std::make_unique<ServerTournamentStore>(
        std::make_unique<Data::ServerLink>(server->address, QStringLiteral("Desk 1")));
}

/// A model over the store under test whose draw takes the first entrant left each time,
/// with the entrants given registered in order.
struct Fixture
{
    explicit Fixture(const QStringList &names = {})
    {
        model.setRandomSource([] { return 0.0; });
        for (const QString &name : names)
            model.addEntrant(name, QStringLiteral("Stark"));
    }

    std::unique_ptr<TournamentStore> inner = storeUnderTest();
    SpyTournamentStore store{*inner};
    TournamentProgress model{&store};
};

const QStringList kFour{"A", "B", "C", "D"};

using Request = TournamentProgress::ReportRequest;
using Outcome = TournamentProgress::ReportOutcome;

/// A report from table 1 (A plays B after the draw of kFour) with its right code unless
/// code says otherwise.
Request report(int reporter, const QString &result1, const QString &power1 = QStringLiteral("5"),
               const QString &power2 = QStringLiteral("2"), const QString &code = QString(),
               int table = 1)
{
    Request r;
    r.table = table;
    r.reporter = reporter;
    r.result1 = result1;
    r.power1 = power1;
    r.power2 = power2;
    r.code = code;
    return r;
}
const QStringList kFive{"A", "B", "C", "D", "E"};

} // namespace

Q_DECLARE_METATYPE(QList<Zuvi::TournamentProgress::ReportRequest>)
Q_DECLARE_METATYPE(QList<Zuvi::TournamentProgress::ReportOutcome>)

class TestTournamentProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void registrationRefusesTheSameEntrantTwice();
    void firstRoundIsDrawnAndStored();
    void lateEntrantJoinsTheStandingsAndTheNextRound();
    void droppedEntrantIsPairedNoMoreUntilReinstated();
    void byeScoresForPlayer1Only();
    void upAndDownSwapOpponentsOnly();
    void recordUndoAndReopenAreExactInverses();
    void gameOverRecordsOnlyTheGameNamed_data();
    void gameOverRecordsOnlyTheGameNamed();
    void pairingChangesSayWhichRows();
    void endRoundKeepsGamesNotRecordedForLate();
    void amendChangesTheStandingsByTheDifference();
    void resumeTakesOverWhatIsStored();
    void optionsAreStoredAndResumed();
    void pairingsWaitForPublishingWhenReviewed();
    void pairAgainIsRefusedWhileAGameIsRecorded();
    void eachTableHasACodeKeptWithThePairing();
    void reportsFromTheTables_data();
    void reportsFromTheTables();
    void theDeskDecidesOnReports();
    void failedStoreChangesNothing_data();
    void failedStoreChangesNothing();
};

void TestTournamentProgress::registrationRefusesTheSameEntrantTwice()
{
    Fixture f;
    using Add = TournamentProgress::AddResult;
    QCOMPARE(f.model.addEntrant(QStringLiteral("Lovelace, Ada"), QStringLiteral("Stark"), 7),
             Add::Added);
    // The same name, or the same stored player under another name, is entered already.
    QCOMPARE(f.model.addEntrant(QStringLiteral("Lovelace, Ada"), QStringLiteral("Tully"), 8),
             Add::AlreadyEntered);
    QCOMPARE(f.model.addEntrant(QStringLiteral("Other"), QStringLiteral("Tully"), 7),
             Add::AlreadyEntered);
    // A different stored player of the same name enters under a name of its own.
    QCOMPARE(
        f.model.entrantNameFor(QStringLiteral("Lovelace, Ada"), 8, QStringLiteral(" Z\u00fcrich ")),
        std::optional<QString>(QStringLiteral("Lovelace, Ada (Z\u00fcrich)")));
    QCOMPARE(f.model.entrantNameFor(QStringLiteral("Lovelace, Ada"), 8, QString()),
             std::optional<QString>(QStringLiteral("Lovelace, Ada (2)")));
    QCOMPARE(f.model.entrantNameFor(QStringLiteral("Lovelace, Ada"), 7, QString()),
             std::optional<QString>());
    QCOMPARE(f.model.entrantNameFor(QStringLiteral("Lovelace, Ada"), 0, QString()),
             std::optional<QString>());
    QCOMPARE(namesOf(f.store.stored.entrants), QStringList{"Lovelace, Ada"});
    QCOMPARE(f.store.stored.entrants.first().playerId, qint64(7));
}

void TestTournamentProgress::firstRoundIsDrawnAndStored()
{
    Fixture f(kFive);
    QSignalSpy pairing(&f.model, &TournamentProgress::pairingChanged);
    QCOMPARE(f.model.checkStart(QStringLiteral("3")), TournamentProgress::StartRefusal::None);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(pairing.count(), 1);
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-D", "E-Bye"}));
    QCOMPARE(f.model.RandomFirst(), qint16(1));
    // The standings hold every entrant at 0; the store holds the seats and the counters.
    QCOMPARE(standingsOf(f.store), (QStringList{"A 0 0", "B 0 0", "C 0 0", "D 0 0", "E 0 0"}));
    QCOMPARE(f.store.stored.seats.size(), 3);
    QVERIFY(f.store.stored.roundOpen);
    QVERIFY(f.store.stored.started);
    // The entrant list empties, its companion lists keep their rows.
    for (const Entrant &entrant : f.model.entrants())
        QVERIFY(!entrant.nameShown);
}

void TestTournamentProgress::lateEntrantJoinsTheStandingsAndTheNextRound()
{
    Fixture f(kFour);
    f.model.startRound(QStringLiteral("3"));
    f.model.addEntrant(QStringLiteral("E"), QStringLiteral("Tully"));
    // The round being played goes on without the late entrant.
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-D"}));
    QVERIFY(standingsOf(f.store).contains(QStringLiteral("E 0 0")));
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 1, 1);
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 1, 1);
    f.model.endRound();
    f.model.startRound(QStringLiteral("3"));
    // Score groups: A and C with 3, then B, D, E with 0; E meets the bye.
    QCOMPARE(openGames(f.model), (QStringList{"A-C", "B-D", "E-Bye"}));
}

void TestTournamentProgress::droppedEntrantIsPairedNoMoreUntilReinstated()
{
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("3"));
    f.model.endRound();
    // Between rounds every name shows; row 4 is E.
    QCOMPARE(f.model.entrantOfRow(4), 4);
    f.model.removeEntrant(4);
    QVERIFY(f.model.entrants().at(4).dropped);
    QVERIFY(f.store.stored.entrants.at(4).dropped);
    QCOMPARE(f.model.standings().size(), 5);
    QVERIFY(f.model.standings().at(4).dropped);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(openGames(f.model), (QStringList{"A-C", "B-D"}));
    f.model.endRound();
    f.model.reinstate(4);
    QVERIFY(!f.store.stored.entrants.at(4).dropped);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(openGames(f.model).size(), 3);
}

void TestTournamentProgress::byeScoresForPlayer1Only()
{
    Fixture f({"A", "B", "C"});
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-Bye"}));
    // The bye's power is never taken.
    recordAtRow(f.model, 1, QStringLiteral("Full Win"), 4, 99);
    QCOMPARE(standingsOf(f.store), (QStringList{"C 3 4", "A 0 0", "B 0 0"}));
    QCOMPARE(f.model.games().last().power2, 0.0);
}

void TestTournamentProgress::upAndDownSwapOpponentsOnly()
{
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("3"));
    f.model.swapOpponents(2, 1);
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-Bye", "E-D"}));
    QCOMPARE(f.store.stored.seats.at(1).player2, QStringLiteral("Bye"));
    QCOMPARE(f.store.stored.seats.at(2).player2, QStringLiteral("D"));
    // A row that does not exist swaps nothing and writes nothing.
    const int changes = f.store.changes;
    f.model.swapOpponents(2, 3);
    QCOMPARE(f.store.changes, changes);
}

void TestTournamentProgress::recordUndoAndReopenAreExactInverses()
{
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("3"));
    const QStringList before = standingsOf(f.store);
    QSignalSpy games(&f.model, &TournamentProgress::gamesChanged);
    recordAtRow(f.model, 1, QStringLiteral("Modified Win"), 5, 2.5);
    recordAtRow(f.model, 0, QStringLiteral("True Draw"), 1, 1);
    QCOMPARE(games.count(), 2);
    QCOMPARE(openGames(f.model), (QStringList{"E-Bye"}));
    QCOMPARE(standingsOf(f.store), (QStringList{"C 2 5", "A 2 1", "D 1 2.5", "B 1 1", "E 0 0"}));
    // Undo brings the last game back at its row; reopen brings any game of the round back.
    QCOMPARE(f.model.undoLastGame(), std::optional<int>(0));
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "E-Bye"}));
    const qint64 first = f.model.openRoundGames().first().id;
    QCOMPARE(f.model.reopenGame(first), std::optional<int>(1));
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-D", "E-Bye"}));
    QCOMPARE(standingsOf(f.store), before);
    QVERIFY(f.store.stored.games.isEmpty());
    QCOMPARE(f.model.undoLastGame(), std::optional<int>());
}

void TestTournamentProgress::pairingChangesSayWhichRows()
{
    using Change = Progress::PairingChange;
    Fixture f(kFive);
    QSignalSpy spy(&f.model, &TournamentProgress::pairingChanged);
    const auto last = [&] { return spy.takeLast().at(0).value<Change>(); };
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(last().kind, Change::Kind::Whole);
    f.model.swapOpponents(1, 2);
    Change change = last();
    QCOMPARE(change.kind, Change::Kind::Swapped);
    QCOMPARE(change.row, 1);
    QCOMPARE(change.otherRow, 2);
    recordAtRow(f.model, 1, QStringLiteral("Full Win"), 1, 1);
    change = last();
    QCOMPARE(change.kind, Change::Kind::Recorded);
    QCOMPARE(change.row, 1);
    QVERIFY(f.model.undoLastGame());
    change = last();
    QCOMPARE(change.kind, Change::Kind::Reopened);
    QCOMPARE(change.row, 1);
    QVERIFY(spy.isEmpty());
}

void TestTournamentProgress::endRoundKeepsGamesNotRecordedForLate()
{
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("3"));
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 5, 2);
    f.model.endRound();
    QCOMPARE(f.model.roundcounter(), qint16(2));
    QCOMPARE(f.store.roundCopies, QList<int>{1});
    QCOMPARE(f.model.missedGames().size(), 2);
    QCOMPARE(f.store.stored.missed.size(), 2);
    QCOMPARE(f.model.missedGames().at(1).player2, QStringLiteral("Bye"));
    // Recorded late, the bye's game scores and leaves the missing games.
    f.model.recordMissedGame(f.model.missedGames().at(1), QStringLiteral("Full Win"), 7, 0);
    QCOMPARE(f.model.missedGames().size(), 1);
    QCOMPARE(f.store.stored.missed.size(), 1);
    QCOMPARE(standingsOf(f.store).first(), QStringLiteral("E 3 7"));
    QCOMPARE(f.model.entrants().first().scoreText, QStringLiteral("3(7)"));
    // A game already recorded late is not recorded again.
    const Progress::MissedGame gone{1, 1, 2, QStringLiteral("E"), QStringLiteral("Bye")};
    f.model.recordMissedGame(gone, QStringLiteral("Full Win"), 7, 0);
    QCOMPARE(standingsOf(f.store).first(), QStringLiteral("E 3 7"));
}

void TestTournamentProgress::amendChangesTheStandingsByTheDifference()
{
    Fixture f(kFour);
    f.model.startRound(QStringLiteral("3"));
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 10, 4);
    recordAtRow(f.model, 0, QStringLiteral("Full Loss"), 1, 2);
    f.model.endRound();
    const qint64 id = f.model.games().first().id;
    f.model.amendGame(id, QStringLiteral("Modified Loss"), 6, 8);
    QCOMPARE(standingsOf(f.store), (QStringList{"D 3 2", "B 2 8", "A 1 6", "C 0 1"}));
    QCOMPARE(f.store.stored.games.first().result1, QStringLiteral("Modified Loss"));
    QCOMPARE(namesOf(f.model.entrants()), (QStringList{"D", "B", "A", "C"}));
}

void TestTournamentProgress::resumeTakesOverWhatIsStored()
{
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("1e1"));
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 5, 2);

    TournamentProgress again(&f.store);
    const auto stored = again.loadStored();
    QVERIFY(stored);
    QVERIFY(stored->started);
    QVERIFY(stored->roundOpen);
    QCOMPARE(stored->round, qint16(1));
    QCOMPARE(stored->rounds, std::optional<qint16>(10));
    QCOMPARE(stored->recorded, 1);
    QCOMPARE(stored->games, 3);
    QSignalSpy pairing(&again, &TournamentProgress::pairingChanged);
    again.resume();
    QCOMPARE(pairing.count(), 1);
    QCOMPARE(openGames(again), (QStringList{"C-D", "E-Bye"}));
    QCOMPARE(again.games().size(), 1);
    // And goes on: the undo reaches the game recorded before.
    QCOMPARE(again.undoLastGame(), std::optional<int>(0));
    QCOMPARE(standingsOf(f.store).first(), QStringLiteral("A 0 0"));

    // Nothing stored, nothing offered; a registration is offered as one.
    MemoryTournamentStore empty;
    QCOMPARE(TournamentProgress(&empty).loadStored().has_value(), false);
    Fixture registered({"A", "B"});
    const auto registration = TournamentProgress(&registered.store).loadStored();
    QVERIFY(registration);
    QVERIFY(!registration->started);
    QCOMPARE(registration->entrants, 2);
}

void TestTournamentProgress::optionsAreStoredAndResumed()
{
    Fixture f(kFour);
    f.model.setAvoidRematches(true);
    f.model.setBigScreenOpen(true);
    QVERIFY(f.store.stored.avoidRematches);
    QVERIFY(f.store.stored.bigScreenOpen);
    TournamentProgress again(&f.store);
    QVERIFY(again.loadStored());
    again.resume();
    QVERIFY(again.avoidRematches());
    QVERIFY(again.bigScreenOpen());
    // Setting it as it stands writes nothing.
    const int changes = f.store.changes;
    f.model.setAvoidRematches(true);
    QCOMPARE(f.store.changes, changes);
}

void TestTournamentProgress::pairingsWaitForPublishingWhenReviewed()
{
    Fixture f(kFive);
    // Off by default: every pairing is shown at once.
    f.model.startRound(QStringLiteral("3"));
    QVERIFY(f.model.pairingPublished());

    // Turned on during a round, the pairing shown stays shown.
    QSignalSpy published(&f.model, &TournamentProgress::publishedChanged);
    f.model.setReviewPairings(true);
    QVERIFY(f.model.pairingPublished());
    QCOMPARE(published.size(), 1);
    while (!f.model.openSeats().isEmpty())
        recordAtRow(f.model, 0, QStringLiteral("Full Win"), 5, 1);
    f.model.endRound();

    // The next pairing waits, also through Up/Down and a resume, until it is published.
    f.model.startRound(QStringLiteral("3"));
    QVERIFY(!f.model.pairingPublished());
    f.model.swapOpponents(0, 1);
    QVERIFY(!f.model.pairingPublished());
    {
        TournamentProgress again(&f.store);
        QVERIFY(again.loadStored());
        again.resume();
        QVERIFY(again.reviewPairings());
        QVERIFY(!again.pairingPublished());
    }
    const int changes = f.store.changes;
    f.model.publishPairing();
    QVERIFY(f.model.pairingPublished());
    QCOMPARE(f.store.changes, changes + 1);
    f.model.publishPairing(); // published already: nothing written
    QCOMPARE(f.store.changes, changes + 1);
    TournamentProgress again(&f.store);
    QVERIFY(again.loadStored());
    again.resume();
    QVERIFY(again.pairingPublished());

    // The round paired again is a new pairing: it waits too.
    QCOMPARE(f.model.repairRound(), TournamentProgress::RepairRefusal::None);
    QVERIFY(!f.model.pairingPublished());
    f.model.setReviewPairings(false);
    QVERIFY(f.model.pairingPublished());
}

void TestTournamentProgress::pairAgainIsRefusedWhileAGameIsRecorded()
{
    using Refusal = TournamentProgress::RepairRefusal;
    Fixture f(kFour);
    QCOMPARE(f.model.repairRound(), Refusal::NoRound);
    f.model.startRound(QStringLiteral("3"));
    f.model.addEntrant(QStringLiteral("E"), QStringLiteral("Tully"));
    recordAtRow(f.model, 0, QStringLiteral("Full Win"), 1, 1);
    QCOMPARE(f.model.repairRound(), Refusal::GamesRecorded);
    QCOMPARE(openGames(f.model), (QStringList{"C-D"}));
    QVERIFY(f.model.undoLastGame());
    QCOMPARE(f.model.repairRound(), Refusal::None);
    QCOMPARE(openGames(f.model), (QStringList{"A-B", "C-D", "E-Bye"}));
    QCOMPARE(f.store.stored.seats.size(), 3);
    QCOMPARE(f.model.roundcounter(), qint16(1));
}

void TestTournamentProgress::failedStoreChangesNothing_data()
{
    // What the row does to round 1 (open, one game recorded) first, then the step whose
    // store fails.
    using Step = std::function<void(TournamentProgress &)>;
    QTest::addColumn<Step>("prepare");
    QTest::addColumn<Step>("step");
    const Step nothing = [](TournamentProgress &) {};
    const Step undo = [](TournamentProgress &m) { m.undoLastGame(); };
    const Step lateEntrant = [](TournamentProgress &m) {
        m.addEntrant(QStringLiteral("F"), QStringLiteral("X"));
    };
    QTest::newRow("add") << nothing << lateEntrant;
    QTest::newRow("drop") << lateEntrant << Step([](TournamentProgress &m) { m.removeEntrant(0); });
    QTest::newRow("option") << nothing
                            << Step([](TournamentProgress &m) { m.setAvoidRematches(true); });
    QTest::newRow("swap") << nothing << Step([](TournamentProgress &m) { m.swapOpponents(0, 1); });
    QTest::newRow("record") << nothing << Step([](TournamentProgress &m) {
        recordAtRow(m, 0, QStringLiteral("Full Win"), 3, 1);
    });
    QTest::newRow("undo") << nothing << undo;
    QTest::newRow("end round") << nothing << Step([](TournamentProgress &m) { m.endRound(); });
    QTest::newRow("pair again") << undo << Step([](TournamentProgress &m) { m.repairRound(); });
    QTest::newRow("clock") << nothing << Step([](TournamentProgress &m) { m.startClock(45); });
}

void TestTournamentProgress::failedStoreChangesNothing()
{
    QFETCH(std::function<void(TournamentProgress &)>, prepare);
    QFETCH(std::function<void(TournamentProgress &)>, step);
    Fixture f(kFive);
    f.model.startRound(QStringLiteral("3"));
    recordAtRow(f.model, 1, QStringLiteral("Full Win"), 3, 1);
    prepare(f.model);
    const Progress::State model = f.model.state();
    const QList<int> open = f.model.openSeats();
    const Progress::State stored = f.store.stored;
    const QStringList standings = standingsOf(f.store);
    QSignalSpy entrants(&f.model, &TournamentProgress::entrantsChanged);
    QSignalSpy pairing(&f.model, &TournamentProgress::pairingChanged);
    QSignalSpy games(&f.model, &TournamentProgress::gamesChanged);

    f.store.failNext = Failure(5, QStringLiteral("database is locked"));
    bool thrown = false;
    try {
        step(f.model);
    } catch (const Failure &failure) {
        thrown = true;
        QCOMPARE(failure.code(), 5);
    }
    QVERIFY(thrown);
    QCOMPARE(f.model.openSeats(), open);
    QCOMPARE(namesOf(f.model.entrants()), namesOf(model.entrants));
    for (qsizetype i = 0; i < model.entrants.size(); ++i)
        QCOMPARE(f.model.entrants().at(i).dropped, model.entrants.at(i).dropped);
    QCOMPARE(f.model.state().avoidRematches, model.avoidRematches);
    QCOMPARE(f.model.state().pairingNumber, model.pairingNumber);
    QCOMPARE(f.model.seats().at(0).player2, model.seats.at(0).player2);
    QCOMPARE(f.model.games().size(), model.games.size());
    QCOMPARE(f.model.roundcounter(), model.roundcounter);
    QCOMPARE(f.model.clockRunning(), model.clockRunning);
    QCOMPARE(f.store.stored.games.size(), stored.games.size());
    QCOMPARE(f.store.stored.entrants.size(), stored.entrants.size());
    QCOMPARE(standingsOf(f.store), standings);
    QCOMPARE(entrants.count() + pairing.count() + games.count(), 0);
}

void TestTournamentProgress::eachTableHasACodeKeptWithThePairing()
{
    Fixture f(kFive);
    f.model.setTakeReports(true);
    f.model.startRound(QStringLiteral("3"));
    const QString one = f.model.tableCode(1);
    const QString two = f.model.tableCode(2);
    QCOMPARE(one.size(), Progress::kCodeLength);
    for (const QChar c : one + two)
        QVERIFY(QByteArray(Progress::kCodeLetters).contains(char(c.unicode())));
    QCOMPARE(f.model.tableCode(0), QString());
    QCOMPARE(f.model.tableCode(4), QString());
    // A report and the codes survive a resume.
    QCOMPARE(f.model.takeReport(report(1, QStringLiteral("Full Win"), "5", "2", one)),
             Outcome::Taken);
    TournamentProgress again(&f.store);
    QVERIFY(again.loadStored());
    again.resume();
    QVERIFY(again.takeReports());
    QCOMPARE(again.tableCode(1), one);
    QCOMPARE(again.tableCode(2), two);
    QCOMPARE(again.tableReports(1), Progress::TableReports::Reported);
    // The bye's table takes no report.
    QCOMPARE(f.model.takeReport(
                 report(1, QStringLiteral("Full Win"), "5", "2", f.model.tableCode(3), 3)),
             Outcome::NoSuchTable);
    // A new round has new codes; the old ones lapse.
    while (!f.model.openSeats().isEmpty())
        recordAtRow(f.model, 0, QStringLiteral("Full Win"), 1, 0);
    f.model.endRound();
    QCOMPARE(f.model.tableCode(1), QString());
    QCOMPARE(f.model.takeReport(report(1, QStringLiteral("Full Win"))), Outcome::NotTaking);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(f.model.tableCode(1).size(), Progress::kCodeLength);
    // Turned off, nothing is taken and no code is shown.
    f.model.setTakeReports(false);
    QCOMPARE(f.model.tableCode(1), QString());
    QCOMPARE(f.model.takeReport(report(1, QStringLiteral("Full Win"))), Outcome::NotTaking);
}

void TestTournamentProgress::reportsFromTheTables_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QList<Request>>("requests");
    QTest::addColumn<QList<Outcome>>("outcomes");
    QTest::addColumn<QString>("games");
    QTest::addColumn<int>("state");

    const QString win = QStringLiteral("Full Win");
    const QString draw = QStringLiteral("True Draw");
    using R = QList<Request>;
    using O = QList<Outcome>;
    const int none = int(Progress::TableReports::None);
    const int reported = int(Progress::TableReports::Reported);
    QTest::newRow("one player: it waits")
        << false << R{report(1, win)} << O{Outcome::Taken} << "" << reported;
    QTest::newRow("both agree: recorded")
        << false << R{report(1, win), report(2, win)} << O{Outcome::Taken, Outcome::Recorded}
        << "A-B Full Win 5 2" << none;
    QTest::newRow("both agree, the desk confirms")
        << true << R{report(1, win), report(2, win)} << O{Outcome::Taken, Outcome::Taken} << ""
        << int(Progress::TableReports::Agreed);
    QTest::newRow("they disagree on a power")
        << false << R{report(1, win), report(2, win, "5", "3")} << O{Outcome::Taken, Outcome::Taken}
        << "" << int(Progress::TableReports::Disputed);
    QTest::newRow("a later report replaces the player's own")
        << false << R{report(1, win), report(1, draw, "1", "1"), report(2, draw, "1", "1")}
        << O{Outcome::Taken, Outcome::Taken, Outcome::Recorded} << "A-B True Draw 1 1" << none;
    QTest::newRow("a wrong code is refused")
        << false << R{report(1, win, "5", "2", "WRONG")} << O{Outcome::WrongCode} << "" << none;
    R wrongs(5, report(1, win, "5", "2", "WRONG"));
    wrongs.append(report(1, win));
    QTest::newRow("five wrong codes close the table")
        << false << wrongs << O{Outcome::WrongCode, Outcome::WrongCode, Outcome::WrongCode,
                                Outcome::WrongCode, Outcome::Locked,    Outcome::Locked}
        << "" << none;
    QTest::newRow("a result the desk does not know")
        << false << R{report(1, QStringLiteral("Victory"))} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a negative power")
        << false << R{report(1, win, "-1")} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a power that is no number")
        << false << R{report(1, win, "5", "<b>2</b>")} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a third player")
        << false << R{report(3, win)} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a table that is not there")
        << false
        << R{report(1, win, "5", "2", QString(), 9), report(1, win, "5", "2", QString(), 0)}
        << O{Outcome::NoSuchTable, Outcome::NoSuchTable} << "" << none;
    QTest::newRow("a report after both agreed changes nothing")
        << false << R{report(1, win), report(2, win), report(2, draw)}
        << O{Outcome::Taken, Outcome::Recorded, Outcome::AlreadyRecorded} << "A-B Full Win 5 2"
        << none;
}

void TestTournamentProgress::reportsFromTheTables()
{
    QFETCH(bool, confirm);
    QFETCH(QList<Request>, requests);
    QFETCH(QList<Outcome>, outcomes);
    QFETCH(QString, games);
    QFETCH(int, state);
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.setConfirmReports(confirm);
    f.model.startRound(QStringLiteral("3"));
    QList<Outcome> got;
    for (Request request : std::as_const(requests)) {
        // The right code, typed in small letters: case is ignored.
        if (request.code.isNull())
            request.code = f.model.tableCode(request.table).toLower();
        got.append(f.model.takeReport(request));
    }
    QCOMPARE(got, outcomes);
    QStringList recorded;
    for (const Progress::Game &g : f.model.games())
        recorded.append(QStringLiteral("%1-%2 %3 %4 %5")
                            .arg(g.player1, g.player2, g.result1)
                            .arg(g.power1)
                            .arg(g.power2));
    QCOMPARE(recorded.join(QLatin1Char(';')), games);
    QCOMPARE(int(f.model.tableReports(1)), state);
    // Table 2 heard nothing of it.
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::None);
    QCOMPARE(f.model.openSeats().size(), games.isEmpty() ? 2 : 1);
}

void TestTournamentProgress::theDeskDecidesOnReports()
{
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.setConfirmReports(true);
    f.model.startRound(QStringLiteral("3"));
    const auto send = [&](int table, int reporter, const QString &result) {
        return f.model.takeReport(
            report(reporter, result, "4", "1", f.model.tableCode(table), table));
    };
    QSignalSpy reports(&f.model, &TournamentProgress::reportsChanged);
    // Agreed reports wait for the desk's key; a single report cannot be recorded so.
    QCOMPARE(send(1, 1, "Full Win"), Outcome::Taken);
    QVERIFY(!f.model.recordReport(1));
    QCOMPARE(send(1, 2, "Full Win"), Outcome::Taken);
    QCOMPARE(reports.count(), 2);
    QVERIFY(f.model.recordReport(1));
    QCOMPARE(f.model.games().size(), 1);
    QCOMPARE(f.model.tableReports(1), Progress::TableReports::None);
    // Table 2 (now row 0): disputed, rejected.
    QCOMPARE(send(2, 1, "Full Win"), Outcome::Taken);
    QCOMPARE(send(2, 2, "Full Loss"), Outcome::Taken);
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::Disputed);
    QCOMPARE(f.model.pendingReports(2).size(), 2);
    f.model.rejectReports(2);
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::None);
    // Reported again, then recorded at the desk: the report lapses, the desk's result stands.
    QCOMPARE(send(2, 1, "Full Win"), Outcome::Taken);
    recordAtRow(f.model, 0, QStringLiteral("Modified Loss"), 2, 3);
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::None);
    QCOMPARE(f.model.games().last().result1, QStringLiteral("Modified Loss"));

    // "I am dropping": the organiser is asked, the request settled once decided.
    Request drop = report(2, QString(), QString(), QString(), f.model.tableCode(1), 1);
    drop.drop = true;
    QCOMPARE(f.model.takeReport(drop), Outcome::Taken);
    QCOMPARE(f.model.dropRequests(), QStringList{"B"});
    f.model.settleDropRequest(QStringLiteral("B"), true);
    QCOMPARE(f.model.dropRequests(), QStringList());
    QVERIFY(f.model.entrants().at(1).dropped);
    // Asked again by a player who has dropped: refused.
    QCOMPARE(f.model.takeReport(drop), Outcome::AlreadyDropped);
}

using Refusal = TournamentProgress::RecordRefusal;
/// What happens to the model before "Game Over" is given for the game it named.
using Meanwhile = std::function<void(TournamentProgress &)>;

void TestTournamentProgress::gameOverRecordsOnlyTheGameNamed_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QString>("games");

    const Meanwhile nothing = [](TournamentProgress &) {};
    QTest::newRow("an open game is recorded at its own table")
        << 2 << nothing << Refusal::None << "C-D Modified Loss 3 4";
    // The fault of the trials: table 1 leaves the lists, table 2 takes its row; the result
    // meant for table 1 must not land on table 2.
    QTest::newRow("a game recorded by its players' reports meanwhile")
        << 1 << Meanwhile([](TournamentProgress &m) {
               for (int reporter : {1, 2}) {
                   TournamentProgress::ReportRequest r;
                   r.table = 1;
                   r.reporter = reporter;
                   r.code = m.tableCode(1);
                   r.result1 = QStringLiteral("Full Win");
                   r.power1 = QStringLiteral("5");
                   r.power2 = QStringLiteral("2");
                   m.takeReport(r);
               }
           })
        << Refusal::Recorded << "A-B Full Win 5 2";
    QTest::newRow("a game recorded at the desk meanwhile")
        << 1 << Meanwhile([](TournamentProgress &m) {
               m.recordGame(m.openRoundGame(1), QStringLiteral("True Draw"), 1, 1);
           })
        << Refusal::Recorded << "A-B True Draw 1 1";
    QTest::newRow("a game of a pairing made again")
        << 1 << Meanwhile([](TournamentProgress &m) { m.repairRound(); }) << Refusal::NotOpen << "";
    QTest::newRow("a game of an ended round")
        << 1 << Meanwhile([](TournamentProgress &m) { m.endRound(); }) << Refusal::NotOpen << "";
    QTest::newRow("a table the pairing does not have")
        << 3 << nothing << Refusal::NoSuchTable << "";
    QTest::newRow("no table") << 0 << nothing << Refusal::NoSuchTable << "";
}

void TestTournamentProgress::gameOverRecordsOnlyTheGameNamed()
{
    QFETCH(int, table);
    QFETCH(Meanwhile, meanwhile);
    QFETCH(Refusal, refusal);
    QFETCH(QString, games);
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.startRound(QStringLiteral("3"));
    // The panel names its game when it is shown; the model changes before "Game Over".
    const Progress::GameRef named = f.model.openRoundGame(table);
    meanwhile(f.model);
    const QStringList standingsBefore = standingsOf(f.store);
    const qsizetype openBefore = f.model.openSeats().size();
    QCOMPARE(f.model.recordGame(named, QStringLiteral("Modified Loss"), 3, 4), refusal);
    QStringList recorded;
    for (const Progress::Game &g : f.model.games())
        recorded.append(QStringLiteral("%1-%2 %3 %4 %5")
                            .arg(g.player1, g.player2, g.result1)
                            .arg(g.power1)
                            .arg(g.power2));
    QCOMPARE(recorded.join(QLatin1Char(';')), games);
    if (refusal != Refusal::None) {
        // A refusal changes nothing: no standings, no seat.
        QCOMPARE(standingsOf(f.store), standingsBefore);
        QCOMPARE(f.model.openSeats().size(), openBefore);
    } else {
        QVERIFY(!f.model.isOpen(named));
        QCOMPARE(f.model.recordedGame(named)->seat, table - 1);
    }
}

QTEST_GUILESS_MAIN(TestTournamentProgress)
#include "tst_tournamentprogress.moc"
