// What the room's documents hold: the pairing with houses and scores, the pairings by name,
// shared ranks in the standings, and the order of the match slips on their sheets.

#include "publish/snapshot.h"

#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Publish;

namespace {

Progress::State stateWith(const QList<std::pair<QString, QString>> &seats)
{
    Progress::State state;
    state.started = true;
    state.roundOpen = true;
    state.roundcounter = 2;
    for (const auto &[player1, player2] : seats) {
        state.seats.append({player1, player2, false});
        for (const QString &name : {player1, player2}) {
            if (name != QStringLiteral("Bye"))
                state.entrants.append({name, QStringLiteral("House of ") + name,
                                       QStringLiteral("3(%1)").arg(name.size()), false, false});
        }
    }
    return state;
}

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pairingTakesHouseAndScoreOfEachPlayer();
    void pairingsByNameFollowTheLocale_data();
    void pairingsByNameFollowTheLocale();
    void pairingsByNameListBothPlayersAndTheBye();
    void tiedEntrantsShareARank_data();
    void tiedEntrantsShareARank();
    void slipsStackInTableOrder_data();
    void slipsStackInTableOrder();
    void snapshotSaysWhichRoundAndWhetherFinal_data();
    void snapshotSaysWhichRoundAndWhetherFinal();
};

void TestSnapshot::pairingTakesHouseAndScoreOfEachPlayer()
{
    Progress::State state = stateWith({{"O'Neil, Bran", "Müller, Zoë"}, {"Snow, Jon", "Bye"}});
    state.seats[1].recorded = true;
    const QList<PairingRow> rows = pairingRows(state);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].table, 1);
    QCOMPARE(rows[0].house1, QStringLiteral("House of O'Neil, Bran"));
    QCOMPARE(rows[0].score1, QStringLiteral("3(12)"));
    QCOMPARE(rows[0].house2, QStringLiteral("House of Müller, Zoë"));
    QCOMPARE(rows[0].recorded, false);
    QCOMPARE(rows[1].table, 2);
    QVERIFY(rows[1].bye());
    QCOMPARE(rows[1].house2, QString());
    QCOMPARE(rows[1].score2, QString());
    QCOMPARE(rows[1].recorded, true);
}

void TestSnapshot::pairingsByNameFollowTheLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("accents sort with their letter")
        << "en_GB" << QStringList{"Zeller", "Émile", "Eddard", "Frank"}
        << QStringList{"Eddard", "Émile", "Frank", "Zeller"};
    QTest::newRow("C locale still puts accents with their letter")
        << "C" << QStringList{"Zeller", "Émile", "eddard", "Frank"}
        << QStringList{"eddard", "Émile", "Frank", "Zeller"};
    QTest::newRow("small letters among capitals")
        << "en_GB" << QStringList{"Doe", "de Vries", "Dane", "Baker"}
        << QStringList{"Baker", "Dane", "de Vries", "Doe"};
    QTest::newRow("umlaut in German sorts as its vowel")
        << "de_DE" << QStringList{"Muster", "Müller", "Mueller", "Maier"}
        << QStringList{"Maier", "Mueller", "Müller", "Muster"};
    QTest::newRow("Swedish puts Å after Z")
        << "sv_SE" << QStringList{"Åberg", "Zetterlund", "Andersson", "Berg"}
        << QStringList{"Andersson", "Berg", "Zetterlund", "Åberg"};
    // Punctuation counts and comes before letters: the comma after a last name keeps
    // "Smith, Zed" before "Smithers, Ann", and "O'Neil" stands before "Oakes".
    QTest::newRow("apostrophes and the comma of the display name")
        << "en_GB" << QStringList{"Smithers, Ann", "Oakes, Ann", "O'Neil, Bran", "Smith, Zed"}
        << QStringList{"O'Neil, Bran", "Oakes, Ann", "Smith, Zed", "Smithers, Ann"};
    QTest::newRow("numbers in names by their value")
        << "en_GB" << QStringList{"Player 10", "Player 9", "Player 1", "Player 2"}
        << QStringList{"Player 1", "Player 2", "Player 9", "Player 10"};
}

void TestSnapshot::pairingsByNameFollowTheLocale()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    // Seat the names two by two.
    QList<std::pair<QString, QString>> seats;
    for (qsizetype i = 0; i + 1 < names.size(); i += 2)
        seats.append({names.at(i), names.at(i + 1)});
    const QList<NameRow> rows = pairingsByName(pairingRows(stateWith(seats)), QLocale(locale));
    QStringList order;
    for (const NameRow &row : rows)
        order.append(row.name);
    QCOMPARE(order, expected);
}

void TestSnapshot::pairingsByNameListBothPlayersAndTheBye()
{
    Progress::State state = stateWith({{"Cole", "Abel"}, {"Baker", "Bye"}});
    state.seats[0].recorded = true;
    const QList<NameRow> rows =
        pairingsByName(pairingRows(state), QLocale(QStringLiteral("en_GB")));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].name, QStringLiteral("Abel"));
    QCOMPARE(rows[0].table, 1);
    QCOMPARE(rows[0].opponent, QStringLiteral("Cole"));
    QCOMPARE(rows[0].recorded, true);
    QCOMPARE(rows[1].name, QStringLiteral("Baker"));
    QCOMPARE(rows[1].table, 2);
    QCOMPARE(rows[1].opponent, QStringLiteral("Bye"));
    QCOMPARE(rows[1].house, QStringLiteral("House of Baker"));
    QCOMPARE(rows[1].recorded, false);
    QCOMPARE(rows[2].name, QStringLiteral("Cole"));
    QCOMPARE(rows[2].opponent, QStringLiteral("Abel"));
}

void TestSnapshot::tiedEntrantsShareARank_data()
{
    // Rows as score, power; in standings order.
    QTest::addColumn<QList<QPointF>>("rows");
    QTest::addColumn<QList<int>>("ranks");

    QTest::newRow("no ties") << QList<QPointF>{{6, 20}, {3, 30}, {0, 5}} << QList<int>{1, 2, 3};
    QTest::newRow("tie in the middle skips the next rank")
        << QList<QPointF>{{6, 20}, {3, 12}, {3, 12}, {0, 5}} << QList<int>{1, 2, 2, 4};
    QTest::newRow("tie at the top")
        << QList<QPointF>{{3, 7}, {3, 7}, {3, 7}, {3, 6}} << QList<int>{1, 1, 1, 4};
    QTest::newRow("same score, different power do not tie")
        << QList<QPointF>{{3, 10}, {3, 9.5}} << QList<int>{1, 2};
    QTest::newRow("same power, different score do not tie")
        << QList<QPointF>{{6, 10}, {3, 10}} << QList<int>{1, 2};
    QTest::newRow("everybody level") << QList<QPointF>{{0, 0}, {0, 0}} << QList<int>{1, 1};
    QTest::newRow("two ties in a row")
        << QList<QPointF>{{6, 1}, {6, 1}, {3, 1}, {3, 1}} << QList<int>{1, 1, 3, 3};
    QTest::newRow("fractional powers added up alike")
        << QList<QPointF>{{3, 0.1 + 0.2}, {3, 0.1 + 0.2}} << QList<int>{1, 1};
    QTest::newRow("empty") << QList<QPointF>{} << QList<int>{};
}

void TestSnapshot::tiedEntrantsShareARank()
{
    QFETCH(QList<QPointF>, rows);
    QFETCH(QList<int>, ranks);
    QList<Progress::StandingsRow> standings;
    for (qsizetype i = 0; i < rows.size(); ++i)
        standings.append({QStringLiteral("Player %1").arg(i), QStringLiteral("Stark"), rows[i].x(),
                          rows[i].y(), i == 1});
    const QList<RankedRow> ranked = rankStandings(standings);
    QList<int> got;
    for (const RankedRow &row : ranked)
        got.append(row.rank);
    QCOMPARE(got, ranks);
    if (ranked.size() > 1)
        QVERIFY(ranked[1].dropped && !ranked[0].dropped);
}

void TestSnapshot::slipsStackInTableOrder_data()
{
    QTest::addColumn<int>("tables");
    QTest::addColumn<QList<QList<int>>>("sheets");

    QTest::newRow("1 table") << 1 << QList<QList<int>>{{1, 0, 0, 0}};
    QTest::newRow("4 tables") << 4 << QList<QList<int>>{{1, 2, 3, 4}};
    QTest::newRow("5 tables") << 5 << QList<QList<int>>{{1, 3, 5, 0}, {2, 4, 0, 0}};
    QTest::newRow("17 tables") << 17
                               << QList<QList<int>>{{1, 6, 11, 16},
                                                    {2, 7, 12, 17},
                                                    {3, 8, 13, 0},
                                                    {4, 9, 14, 0},
                                                    {5, 10, 15, 0}};
    QTest::newRow("no tables") << 0 << QList<QList<int>>{};
}

void TestSnapshot::slipsStackInTableOrder()
{
    QFETCH(int, tables);
    QFETCH(QList<QList<int>>, sheets);
    const QList<std::array<int, kSlipsPerSheet>> got = slipSheets(tables);
    QList<QList<int>> places;
    for (const auto &sheet : got)
        places.append(QList<int>(sheet.begin(), sheet.end()));
    QCOMPARE(places, sheets);

    // Cut the pile into four stacks and lay them one on another: every table once, in order.
    QList<int> laid;
    for (int place = 0; place < kSlipsPerSheet; ++place) {
        for (const auto &sheet : got) {
            if (sheet[place] != 0)
                laid.append(sheet[place]);
        }
    }
    QList<int> order;
    for (int table = 1; table <= tables; ++table)
        order.append(table);
    QCOMPARE(laid, order);
}

void TestSnapshot::snapshotSaysWhichRoundAndWhetherFinal_data()
{
    QTest::addColumn<bool>("roundOpen");
    QTest::addColumn<int>("roundcounter");
    QTest::addColumn<bool>("over");
    QTest::addColumn<int>("round");
    QTest::addColumn<bool>("final");
    QTest::addColumn<int>("pairings");

    QTest::newRow("round 2 in play") << true << 2 << false << 2 << false << 1;
    QTest::newRow("between rounds 2 and 3") << false << 3 << false << 2 << false << 0;
    QTest::newRow("after the last round") << false << 4 << true << 3 << true << 0;
}

void TestSnapshot::snapshotSaysWhichRoundAndWhetherFinal()
{
    QFETCH(bool, roundOpen);
    QFETCH(int, roundcounter);
    QFETCH(bool, over);
    Progress::State state = stateWith({{"Abel", "Cole"}});
    state.roundOpen = roundOpen;
    state.roundcounter = qint16(roundcounter);
    const QList<Progress::StandingsRow> standings = {{"Abel", "Stark", 3, 1, false},
                                                     {"Cole", "Tully", 0, 0, false}};
    const Snapshot snapshot = makeSnapshot(state, standings, 3, over);
    QTEST(snapshot.round, "round");
    QTEST(snapshot.final, "final");
    QTEST(int(snapshot.pairings.size()), "pairings");
    QCOMPARE(snapshot.rounds, std::optional<int>(3));
    QCOMPARE(snapshot.standings.size(), 2);
}

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
