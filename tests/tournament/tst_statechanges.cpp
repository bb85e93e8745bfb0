// Comparing two states of the tournament, as a station does when another one changed it:
// each kind of change is told apart, so that the views follow exactly what moved and a game
// recorded elsewhere does not make the lists start again.

#include "tournament/statechanges.h"

#include <QTest>

#include <functional>

using namespace Zuvi::Progress;

namespace {

/// An open round 2 of four entrants, one game recorded.
State openRound()
{
    State s;
    s.started = true;
    s.roundsText = QStringLiteral("3");
    s.roundcounter = 2;
    s.roundOpen = true;
    s.pairingNumber = 3;
    for (const char *name : {"A", "B", "C", "D"})
        s.entrants.append(
            {QString::fromLatin1(name), QStringLiteral("Stark"), QStringLiteral("3(5)")});
    s.seats = {{QStringLiteral("A"), QStringLiteral("C"), true},
               {QStringLiteral("B"), QStringLiteral("D"), false}};
    Game game;
    game.id = 7;
    game.round = 2;
    game.pairing = 3;
    game.player1 = QStringLiteral("A");
    game.player2 = QStringLiteral("C");
    game.result1 = QStringLiteral("Full Win");
    s.games = {game};
    return s;
}

using Change = std::function<void(State &)>;

QString flagsOf(const StateChanges &c)
{
    QStringList flags;
    const std::pair<bool, const char *> all[] = {
        {c.clock, "clock"},         {c.samePairing, "samePairing"}, {c.pairing, "pairing"},
        {c.round, "round"},         {c.entrants, "entrants"},       {c.games, "games"},
        {c.published, "published"}, {c.reports, "reports"}};
    for (const auto &[set, name] : all) {
        if (set)
            flags.append(QString::fromLatin1(name));
    }
    return flags.join(QLatin1Char(' '));
}

} // namespace

class TestStateChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachChangeIsToldApart_data();
    void eachChangeIsToldApart();
};

void TestStateChanges::eachChangeIsToldApart_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("flags");

    QTest::newRow("nothing") << Change([](State &) {}) << "samePairing";
    QTest::newRow("a game recorded at its seat") << Change([](State &s) {
        s.seats[1].recorded = true;
        Game g = s.games.first();
        g.id = 8;
        g.seat = 1;
        s.games.append(g);
    }) << "samePairing games";
    QTest::newRow("a game amended")
        << Change([](State &s) { s.games[0].power1 = 9; }) << "samePairing games";
    QTest::newRow("the opponents swapped")
        << Change([](State &s) { std::swap(s.seats[0].player2, s.seats[1].player2); }) << "pairing";
    QTest::newRow("the round paired again")
        << Change([](State &s) { s.pairingNumber = 4; }) << "pairing";
    QTest::newRow("the round ended") << Change([](State &s) {
        s.roundOpen = false;
        s.roundcounter = 3;
        s.seats.clear();
    }) << "pairing round";
    QTest::newRow("an entrant dropped")
        << Change([](State &s) { s.entrants[3].dropped = true; }) << "samePairing entrants";
    QTest::newRow("the clock started") << Change([](State &s) {
        s.clockRunning = true;
        s.clockEndMs = 1000;
    }) << "clock samePairing";
    QTest::newRow("pairings reviewed first")
        << Change([](State &s) { s.reviewPairings = true; }) << "samePairing published";
    QTest::newRow("a report came in") << Change([](State &s) {
        Report r;
        r.table = 2;
        r.reporter = 1;
        s.reports.reports.append(r);
    }) << "samePairing reports";
    QTest::newRow("the number of rounds changed")
        << Change([](State &s) { s.roundsText = QStringLiteral("4"); }) << "samePairing round";
}

void TestStateChanges::eachChangeIsToldApart()
{
    QFETCH(Change, change);
    QFETCH(QString, flags);
    const State before = openRound();
    State after = before;
    change(after);
    QCOMPARE(flagsOf(compareStates(before, after)), flags);
}

QTEST_APPLESS_MAIN(TestStateChanges)
#include "tst_statechanges.moc"
