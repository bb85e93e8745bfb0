// A player's record over archived tournaments: placings, wins, draws, losses and byes,
// points, houses, and head-to-head, one person across renames.

#include "history/playerrecord.h"

#include <QTest>

using namespace Zuvi::History;

namespace {

ArchivedTournament evening(const QDate &played, const QList<ArchivedEntrant> &entrants,
                           const QList<ArchivedGame> &games)
{
    ArchivedTournament t;
    t.name = defaultName(played);
    t.played = played;
    t.entrants = entrants;
    t.games = games;
    return t;
}

} // namespace

class TestPlayerRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordOverTournaments();
    void aPlayerNotKnownByIdIsKnownByName();
};

void TestPlayerRecord::recordOverTournaments()
{
    // Ada (stored player 7) plays three evenings; in the last she is entered as "Ada L.".
    // Bob (8) is met twice, Cy (no stored player) once; one bye.
    const QList<ArchivedTournament> archive{
        evening(QDate(2027, 1, 6),
                {{"Ada", "Stark", 7, 1, 6, 9, false},
                 {"Bob", "Tully", 8, 2, 3, 4, false},
                 {"Cy", "Arryn", 0, 3, 0, 1, false}},
                {{1, 1, "Ada", "Bob", "Full Win", 3, 5, 2},
                 {1, 2, "Cy", "Bye", "Full Win", 3, 0, 0},
                 {2, 1, "Cy", "Ada", "Modified Loss", 1, 1, 4}}),
        evening(QDate(2027, 1, 13),
                {{"Bob", "Tully", 8, 1, 3, 5, false}, {"Ada", "Greyjoy", 7, 2, 0, 2, false}},
                {{1, 1, "Bob", "Ada", "Modified Win", 2, 5, 2}}),
        evening(QDate(2027, 1, 20),
                {{"Ada L.", "Stark", 7, 1, 5, 6, false}, {"Dee", "Tyrell", 9, 2, 2, 3, false}},
                {{1, 1, "Ada L.", "Dee", "True Draw", 2, 3, 3},
                 {2, 1, "Ada L.", "Bye", "Full Win", 3, 3, 0}}),
        evening(QDate(2027, 1, 27), {{"Eve", "Stark", 10, 1, 3, 3, false}}, {}),
    };
    const PlayerRecord record = playerRecord(archive, 7, QStringLiteral("Lovelace, Ada"));
    QCOMPARE(record.name, QStringLiteral("Ada L."));
    QCOMPARE(record.placings.size(), 3);
    QCOMPARE(record.placings.at(0).played, QDate(2027, 1, 20)); // newest first
    QCOMPARE(record.placings.at(1).rank, 2);
    QCOMPARE(record.placings.at(2).entrants, 3);
    QCOMPARE(record.wins, 2);   // against Bob, against Cy (as player 2, Cy's loss)
    QCOMPARE(record.draws, 1);  // against Dee
    QCOMPARE(record.losses, 1); // against Bob, as player 2 of his win
    QCOMPARE(record.byes, 1);
    QCOMPARE(record.points, 11.0);
    QCOMPARE(record.houses, (QStringList{"Stark", "Greyjoy"}));
    QCOMPARE(record.headToHead.size(), 3);
    QCOMPARE(record.headToHead.at(0).opponent, QStringLiteral("Bob"));
    QCOMPARE(record.headToHead.at(0).wins, 1);
    QCOMPARE(record.headToHead.at(0).losses, 1);
    QCOMPARE(record.headToHead.at(1).opponent, QStringLiteral("Cy"));
    QCOMPARE(record.headToHead.at(1).wins, 1);
    QCOMPARE(record.headToHead.at(2).opponent, QStringLiteral("Dee"));
    QCOMPARE(record.headToHead.at(2).draws, 1);

    // Someone who never played has an empty record.
    const PlayerRecord none = playerRecord(archive, 99, QStringLiteral("Nobody"));
    QVERIFY(none.placings.isEmpty());
    QCOMPARE(none.wins + none.draws + none.losses + none.byes, 0);
}

void TestPlayerRecord::aPlayerNotKnownByIdIsKnownByName()
{
    // Cy typed in (no stored player) and stored player 4, entered as "Cy (2)".
    const QList<ArchivedTournament> archive{
        evening(QDate(2027, 1, 6),
                {{"Cy", "Arryn", 0, 1, 3, 1, false}, {"Cy (2)", "Stark", 4, 2, 0, 0, false}},
                {{1, 1, "Cy", "Cy (2)", "Full Win", 3, 1, 0}}),
    };
    const PlayerRecord typed = playerRecord(archive, 0, QStringLiteral("Cy"));
    QCOMPARE(typed.placings.size(), 1);
    QCOMPARE(typed.placings.first().rank, 1);
    QCOMPARE(typed.wins, 1);
    const PlayerRecord stored = playerRecord(archive, 4, QStringLiteral("Cy"));
    QCOMPARE(stored.name, QStringLiteral("Cy (2)"));
    QCOMPARE(stored.placings.first().rank, 2);
    QCOMPARE(stored.losses, 1);
    QCOMPARE(stored.headToHead.first().opponent, QStringLiteral("Cy"));
}

QTEST_GUILESS_MAIN(TestPlayerRecord)
#include "tst_playerrecord.moc"
