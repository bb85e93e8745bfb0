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

/// A report of entrant who (A plays B at table 1 after the draw of kFour, C plays D at table
/// 2) with who's own personal code ("@A": filled in by withCodes()) unless code says
/// otherwise, naming table.
Request report(const QString &who, const QString &result1,
               const QString &power1 = QStringLiteral("5"),
               const QString &power2 = QStringLiteral("2"), const QString &code = QString(),
               int table = 1)
{
    Request r;
    r.table = table;
    r.result1 = result1;
    r.power1 = power1;
    r.power2 = power2;
    r.code = code.isNull() ? QLatin1Char('@') + who : code;
    return r;
}

/// The request with "@name" replaced by name's personal code, as a player types it: in
/// small letters, grouped as the card prints it (case and spaces are ignored).
Request withCodes(Request request, const TournamentProgress &model)
{
    if (request.code.startsWith(QLatin1Char('@')))
        request.code = Progress::groupedCode(model.playerCode(request.code.mid(1))).toLower();
    return request;
}

/// "I am dropping" from who, with who's code.
Request dropOf(const QString &who)
{
    Request r = report(who, QString(), QString(), QString());
    r.drop = true;
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
    void everyEntrantHasAPersonalCodeKeptWithTheTournament();
    void reportsFromTheTables_data();
    void reportsFromTheTables();
    void aCodeSpeaksForItsOwnerOnly();
    void reportsFollowOpponentsWhoChangePlaces();
    void aBookKeptWithTableCodesStillReads();
    void typedCodesAreRead_data();
    void typedCodesAreRead();
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

void TestTournamentProgress::everyEntrantHasAPersonalCodeKeptWithTheTournament()
{
    Fixture f(kFive);
    f.model.setTakeReports(true);
    f.model.startRound(QStringLiteral("3"));
    QSet<QString> codes;
    for (const QString &name : kFive) {
        const QString code = f.model.playerCode(name);
        QCOMPARE(code.size(), Progress::kPersonalCodeLength);
        for (const QChar c : code)
            QVERIFY(QByteArray(Progress::kCodeLetters).contains(char(c.unicode())));
        QCOMPARE(f.model.ownerOfCode(code), name);
        codes.insert(code);
    }
    QCOMPARE(codes.size(), kFive.size());
    // A report and the codes survive a resume.
    QCOMPARE(f.model.takeReport(withCodes(report("A", QStringLiteral("Full Win")), f.model)),
             Outcome::Taken);
    TournamentProgress again(&f.store);
    QVERIFY(again.loadStored());
    again.resume();
    QVERIFY(again.takeReports());
    for (const QString &name : kFive)
        QCOMPARE(again.playerCode(name), f.model.playerCode(name));
    QCOMPARE(again.tableReports(1), Progress::TableReports::Reported);
    // The player with the bye has no result to report, but may ask to drop.
    QCOMPARE(f.model.takeReport(withCodes(report("E", QStringLiteral("Full Win")), f.model)),
             Outcome::NoSuchTable);
    QCOMPARE(f.model.takeReport(withCodes(dropOf("E"), f.model)), Outcome::Taken);
    QCOMPARE(f.model.dropRequests(), QStringList{"E"});
    // A late entrant gets a code at once; a lost code stops working when a new one is given.
    f.model.addEntrant(QStringLiteral("F"), QStringLiteral("Stark"));
    QCOMPARE(f.model.playerCode(QStringLiteral("F")).size(), Progress::kPersonalCodeLength);
    const QString lost = f.model.playerCode(QStringLiteral("B"));
    const QString renewed = f.model.renewPlayerCode(QStringLiteral("B"));
    QVERIFY(renewed != lost);
    QCOMPARE(f.model.playerCode(QStringLiteral("B")), renewed);
    Request withLost = report("B", QStringLiteral("Full Win"), "5", "2", lost);
    QCOMPARE(f.model.takeReport(withLost), Outcome::WrongCode);
    QCOMPARE(f.model.takeReport(withCodes(report("B", QStringLiteral("Full Win")), f.model)),
             Outcome::Recorded);
    QCOMPARE(f.model.renewPlayerCode(QStringLiteral("Nobody")), QString());
    // The codes are for the tournament: the next round keeps them; off, nothing is taken.
    while (!f.model.openSeats().isEmpty())
        recordAtRow(f.model, 0, QStringLiteral("Full Win"), 1, 0);
    f.model.endRound();
    QCOMPARE(f.model.takeReport(withCodes(report("A", QStringLiteral("Full Win")), f.model)),
             Outcome::NotTaking);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(f.model.playerCode(QStringLiteral("B")), renewed);
    f.model.setTakeReports(false);
    QCOMPARE(f.model.takeReport(withCodes(report("A", QStringLiteral("Full Win")), f.model)),
             Outcome::NotTaking);
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
        << false << R{report("A", win)} << O{Outcome::Taken} << "" << reported;
    QTest::newRow("both agree: recorded")
        << false << R{report("A", win), report("B", win)} << O{Outcome::Taken, Outcome::Recorded}
        << "A-B Full Win 5 2" << none;
    QTest::newRow("both agree, the desk confirms")
        << true << R{report("A", win), report("B", win)} << O{Outcome::Taken, Outcome::Taken} << ""
        << int(Progress::TableReports::Agreed);
    QTest::newRow("they disagree on a power")
        << false << R{report("A", win), report("B", win, "5", "3")}
        << O{Outcome::Taken, Outcome::Taken} << "" << int(Progress::TableReports::Disputed);
    QTest::newRow("a later report replaces the player's own")
        << false << R{report("A", win), report("A", draw, "1", "1"), report("B", draw, "1", "1")}
        << O{Outcome::Taken, Outcome::Taken, Outcome::Recorded} << "A-B True Draw 1 1" << none;
    QTest::newRow("one code twice is one player's report: nothing recorded")
        << false << R{report("A", win), report("A", win)} << O{Outcome::Taken, Outcome::Taken} << ""
        << reported;
    QTest::newRow("one code twice, the table named as the other player's: still one report")
        << false << R{report("B", win, "5", "2", QString(), 1), report("B", win)}
        << O{Outcome::Taken, Outcome::Taken} << "" << reported;
    QTest::newRow("a wrong code is refused")
        << false << R{report("A", win, "5", "2", "WRONG")} << O{Outcome::WrongCode} << "" << none;
    R wrongs(6, report("A", win, "5", "2", "ACDEFGHJK"));
    wrongs.append(report("A", win));
    QTest::newRow("wrong codes lock no table: the player's own code still reports")
        << false << wrongs
        << O{Outcome::WrongCode, Outcome::WrongCode, Outcome::WrongCode, Outcome::WrongCode,
             Outcome::WrongCode, Outcome::WrongCode, Outcome::Taken}
        << "" << reported;
    QTest::newRow("a result the desk does not know")
        << false << R{report("A", QStringLiteral("Victory"))} << O{Outcome::BadReport} << ""
        << none;
    QTest::newRow("a negative power")
        << false << R{report("A", win, "-1")} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a power that is no number")
        << false << R{report("A", win, "5", "<b>2</b>")} << O{Outcome::BadReport} << "" << none;
    QTest::newRow("a report after both agreed changes nothing")
        << false << R{report("A", win), report("B", win), report("B", draw)}
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
    for (const Request &request : std::as_const(requests))
        got.append(f.model.takeReport(withCodes(request, f.model)));
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

void TestTournamentProgress::aCodeSpeaksForItsOwnerOnly()
{
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.setConfirmReports(true);
    f.model.startRound(QStringLiteral("3"));
    const auto send = [&](const Request &request) {
        return f.model.takeReport(withCodes(request, f.model));
    };
    // C's code counts at C's table, whatever table the form named; the reporter is C.
    QCOMPARE(send(report("C", QStringLiteral("Full Win"), "5", "2", QString(), 1)), Outcome::Taken);
    QCOMPARE(f.model.tableReports(1), Progress::TableReports::None);
    QCOMPARE(f.model.pendingReports(2).size(), 1);
    QCOMPARE(f.model.pendingReports(2).first().reporter, 1);
    // One phone "reports for both players" with D's code: one report of D, never agreed.
    QCOMPARE(send(report("D", QStringLiteral("Full Win"), "5", "2", QString(), 2)), Outcome::Taken);
    QCOMPARE(send(report("D", QStringLiteral("Full Win"), "5", "2", QString(), 2)), Outcome::Taken);
    QCOMPARE(f.model.pendingReports(2).size(), 2);
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::Agreed);
    // "I am dropping" with one's own code drops oneself only: B's code cannot drop A.
    QCOMPARE(send(dropOf("B")), Outcome::Taken);
    QCOMPARE(f.model.dropRequests(), QStringList{"B"});
    Request named = dropOf("A");
    named.code = QStringLiteral("@B");
    QCOMPARE(send(named), Outcome::Taken);
    QCOMPARE(f.model.dropRequests(), QStringList{"B"});
    // Wrong codes are counted at the table they named, for the organiser; none names none.
    QCOMPARE(send(report("A", QStringLiteral("Full Win"), "5", "2", "WRONG", 1)),
             Outcome::WrongCode);
    QCOMPARE(send(report("A", QStringLiteral("Full Win"), "5", "2", "WRONG", 1)),
             Outcome::WrongCode);
    QCOMPARE(send(report("A", QStringLiteral("Full Win"), "5", "2", "WRONG", 0)),
             Outcome::WrongCode);
    QCOMPARE(f.model.refusedReports(1), 2);
    QCOMPARE(f.model.refusedReports(2), 0);

    TournamentProgress again(&f.store);
    QVERIFY(again.loadStored());
    again.resume();
    QCOMPARE(again.refusedReports(1), 2);
}

void TestTournamentProgress::reportsFollowOpponentsWhoChangePlaces()
{
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.startRound(QStringLiteral("3"));
    QCOMPARE(f.model.takeReport(withCodes(report("A", QStringLiteral("Full Win")), f.model)),
             Outcome::Taken);
    QCOMPARE(f.model.takeReport(withCodes(report("D", QStringLiteral("Full Loss")), f.model)),
             Outcome::Taken);
    QCOMPARE(f.model.takeReport(withCodes(dropOf("B"), f.model)), Outcome::Taken);
    // B and D change places: the results reported were about games that are no more; B's
    // wish to drop goes with B, and no report counts for whoever sits in B's place now.
    f.model.swapOpponents(0, 1);
    QCOMPARE(f.model.seats().at(1).player2, QStringLiteral("B"));
    QCOMPARE(f.model.tableReports(1), Progress::TableReports::None);
    QCOMPARE(f.model.tableReports(2), Progress::TableReports::None);
    QCOMPARE(f.model.dropRequests(), QStringList{"B"});
    // C reports with the game as it stands now, and B agrees: recorded for C against B.
    QCOMPARE(f.model.takeReport(withCodes(report("C", QStringLiteral("Full Win")), f.model)),
             Outcome::Taken);
    QCOMPARE(f.model.takeReport(withCodes(report("B", QStringLiteral("Full Win")), f.model)),
             Outcome::Recorded);
    QCOMPARE(f.model.games().last().player2, QStringLiteral("B"));
}

void TestTournamentProgress::aBookKeptWithTableCodesStillReads()
{
    // A book written before personal codes: a code and its wrong codes per table.
    const Progress::ReportBook book = Progress::reportBookFromText(QStringLiteral(
        R"({"round":2,"pairing":3,"codes":[["K7QMA",1],["XH4RT",0]],"reports":[)"
        R"({"table":1,"reporter":2,"drop":false,"result1":"Full Win","power1":5,"power2":2,)"
        R"("at":1700000000000,"fate":0}]})"));
    QCOMPARE(book.round, 2);
    QCOMPARE(book.pairing, 3);
    QCOMPARE(book.reports.size(), 1);
    QCOMPARE(book.reports.first().reporter, 2);
    QCOMPARE(book.reports.first().fate, Progress::Report::Fate::Pending);
    QVERIFY(book.refused.isEmpty());
    // Written and read again, it is the same book.
    QCOMPARE(Progress::reportBookFromText(Progress::reportBookText(book)), book);
}

void TestTournamentProgress::typedCodesAreRead_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::newRow("as kept") << "K7QMA4RTX"
                             << "K7QMA4RTX";
    QTest::newRow("grouped, small letters") << "k7q ma4-rtx"
                                            << "K7QMA4RTX";
    QTest::newRow("a letter left out of the alphabet") << "K7QMA4RTO"
                                                       << "";
    QTest::newRow("one letter short") << "K7QMA4RT"
                                      << "";
    QTest::newRow("one letter long") << "K7QMA4RTXA"
                                     << "";
    QTest::newRow("a letter beyond ASCII") << QString::fromUtf8("K7QMA4RTÄ") << "";
    QTest::newRow("nothing") << ""
                             << "";
}

void TestTournamentProgress::typedCodesAreRead()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QCOMPARE(Progress::normalizedCode(typed), code);
}

void TestTournamentProgress::theDeskDecidesOnReports()
{
    Fixture f(kFour);
    f.model.setTakeReports(true);
    f.model.setConfirmReports(true);
    f.model.startRound(QStringLiteral("3"));
    const auto send = [&](int table, int reporter, const QString &result) {
        const Seat &seat = f.model.seats().at(table - 1);
        return f.model.takeReport(withCodes(
            report(reporter == 1 ? seat.player1 : seat.player2, result, "4", "1"), f.model));
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
    const Request drop = withCodes(dropOf("B"), f.model);
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
               m.ensurePlayerCodes();
               const Seat &seat = m.seats().at(0);
               for (const QString &player : {seat.player1, seat.player2}) {
                   TournamentProgress::ReportRequest r;
                   r.table = 1;
                   r.code = m.playerCode(player);
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
