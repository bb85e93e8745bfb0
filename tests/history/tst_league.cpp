// The club's history without a window: shared ranks, league tables under each scheme,
// and the names an archived tournament may have.

#include "history/league.h"
#include "round/ranks.h"

#include <QTest>

using namespace Zuvi;
using namespace Zuvi::History;

namespace {

using Keys = QList<std::pair<double, double>>;

/// An entrant "name:playerId:score:power"; ranks are given by the standings' rule.
ArchivedTournament tournament(const QDate &played, const QStringList &entrants)
{
    ArchivedTournament t;
    t.played = played;
    QList<std::pair<double, double>> keys;
    for (const QString &text : entrants) {
        const QStringList parts = text.split(QLatin1Char(':'));
        ArchivedEntrant entrant;
        entrant.name = parts.at(0);
        entrant.playerId = parts.at(1).toLongLong();
        entrant.score = parts.at(2).toDouble();
        entrant.power = parts.at(3).toDouble();
        keys.append({entrant.score, entrant.power});
        t.entrants.append(entrant);
    }
    const QList<int> ranks = Round::sharedRanks(keys);
    for (qsizetype i = 0; i < ranks.size(); ++i)
        t.entrants[i].rank = ranks.at(i);
    return t;
}

/// "rank name points events/counted" per row.
QStringList rowsOf(const QList<LeagueRow> &rows)
{
    QStringList out;
    for (const LeagueRow &row : rows)
        out.append(QStringLiteral("%1 %2 %3 %4/%5")
                       .arg(row.rank)
                       .arg(row.name)
                       .arg(row.points)
                       .arg(row.events)
                       .arg(row.counted));
    return out;
}

const QDate kWeek1(2027, 1, 6);
const QDate kWeek2(2027, 1, 13);
const QDate kWeek3(2027, 1, 20);

} // namespace

class TestLeague : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ranksAreSharedAsInTheStandings_data();
    void ranksAreSharedAsInTheStandings();
    void leagueTables_data();
    void leagueTables();
    void archivedNames_data();
    void archivedNames();
    void placementTables_data();
    void placementTables();
    void leagueTakesItsTournaments();
    void savingUnderAnotherLeaguesNameIsFound_data();
    void savingUnderAnotherLeaguesNameIsFound();
};

void TestLeague::ranksAreSharedAsInTheStandings_data()
{
    QTest::addColumn<Keys>("rows");
    QTest::addColumn<QList<int>>("ranks");
    QTest::newRow("none") << Keys{} << QList<int>{};
    QTest::newRow("all different") << Keys{{9, 1}, {6, 5}, {3, 2}} << QList<int>{1, 2, 3};
    QTest::newRow("a tie takes two places")
        << Keys{{9, 1}, {6, 5}, {6, 5}, {3, 2}} << QList<int>{1, 2, 2, 4};
    QTest::newRow("same score, other power: no tie") << Keys{{6, 5}, {6, 4.5}} << QList<int>{1, 2};
    QTest::newRow("everyone tied") << Keys{{0, 0}, {0, 0}, {0, 0}} << QList<int>{1, 1, 1};
}

void TestLeague::ranksAreSharedAsInTheStandings()
{
    QFETCH(Keys, rows);
    QFETCH(QList<int>, ranks);
    QCOMPARE(Round::sharedRanks(rows), ranks);
}

void TestLeague::leagueTables_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("bestOf");
    QTest::addColumn<QStringList>("expected");

    // Three weeks: Ada everywhere, Bob missed week 2, Cy and Dee (no stored player, so
    // known by name) tied in week 1, Eve only in week 3 and renamed there.
    QTest::newRow("sum of scores") << int(LeagueScheme::Kind::Scores) << 0
                                   << QStringList{"1 Ada 21 3/3", "2 Bob 12 2/2", "3 Cy 8 3/3",
                                                  "4 Dee 4 2/2", "5 Eve Rename 3 1/1"};
    QTest::newRow("placement points; a tie each gets the higher place's points")
        << int(LeagueScheme::Kind::Placement) << 0
        << QStringList{"1 Ada 28 3/3", "2 Cy 19 3/3", "3 Bob 18 2/2", "4 Dee 12 2/2",
                       "5 Eve Rename 6 1/1"};
    QTest::newRow("a point for taking part; equal points share a rank")
        << int(LeagueScheme::Kind::Participation) << 0
        << QStringList{"1 Ada 3 3/3", "1 Cy 3 3/3", "3 Bob 2 2/2", "3 Dee 2 2/2",
                       "5 Eve Rename 1 1/1"};
    QTest::newRow("best 2 of 3: the worst event of each does not count")
        << int(LeagueScheme::Kind::Scores) << 2
        << QStringList{"1 Ada 15 3/2", "2 Bob 12 2/2", "3 Cy 6 3/2", "4 Dee 4 2/2",
                       "5 Eve Rename 3 1/1"};
}

void TestLeague::leagueTables()
{
    QFETCH(int, kind);
    QFETCH(int, bestOf);
    QFETCH(QStringList, expected);
    const QList<ArchivedTournament> tournaments{
        tournament(kWeek1, {"Ada:1:9:10", "Bob:2:6:8", "Cy:3:3:4", "Dee:0:3:4"}),
        tournament(kWeek2, {"Ada:1:6:2", "Cy:3:3:1", "Dee:0:1:0"}),
        tournament(kWeek3, {"Bob:2:6:9", "Ada:1:6:3", "Eve Rename:5:3:3", "Cy:3:2:1"}),
    };
    LeagueScheme scheme;
    scheme.kind = LeagueScheme::Kind(kind);
    scheme.bestOf = bestOf;
    QCOMPARE(rowsOf(leagueTable(tournaments, scheme)), expected);
}

void TestLeague::archivedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept"); // null: refused
    QTest::newRow("as typed") << "Winter Open"
                              << "Winter Open";
    QTest::newRow("blanks around go") << "  Spring  "
                                      << "Spring";
    QTest::newRow("letters beyond ASCII and quotes") << "Turniej \"Żółć\" d'hiver"
                                                     << "Turniej \"Żółć\" d'hiver";
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("blanks only") << " \t " << QString();
    QTest::newRow("too long") << QString(201, QLatin1Char('x')) << QString();
}

void TestLeague::archivedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    const std::optional<QString> name = checkedName(typed);
    QCOMPARE(name.has_value(), !kept.isNull());
    if (name)
        QCOMPARE(*name, kept);
    QCOMPARE(defaultName(QDate(2026, 12, 10)), QStringLiteral("Tournament of 10 December 2026"));
}

void TestLeague::placementTables_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept"); // empty: refused
    QTest::newRow("commas") << "10, 8, 6, 5"
                            << "10 8 6 5";
    QTest::newRow("blanks and fractions") << " 3 1.5\t0 "
                                          << "3 1.5 0";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("commas only") << " , ,"
                                 << "";
    QTest::newRow("negative") << "10, -1"
                              << "";
    QTest::newRow("word") << "10, eight"
                          << "";
    QTest::newRow("not a number") << "nan"
                                  << "";
    QTest::newRow("huge") << "1e300"
                          << "";
    QTest::newRow("too many places")
        << QStringList(101, QStringLiteral("1")).join(QLatin1Char(',')) << "";
}

void TestLeague::placementTables()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    const std::optional<QList<double>> points = parsePlacementPoints(typed);
    QStringList shown;
    for (double value : points.value_or(QList<double>{}))
        shown.append(QString::number(value));
    QCOMPARE(points.has_value(), !kept.isEmpty());
    QCOMPARE(shown.join(QLatin1Char(' ')), kept);
}

void TestLeague::leagueTakesItsTournaments()
{
    const QList<ArchivedTournament> all{tournament(kWeek3, {"Ada:1:3:0"}),
                                        tournament(kWeek2, {"Bob:2:3:0"}),
                                        tournament(kWeek1, {"Cy:3:3:0"})};
    League league;
    league.from = kWeek2;
    league.to = kWeek3;
    QCOMPARE(tournamentsOf(league, all).size(), 2); // both ends included
    QCOMPARE(rowsOf(leagueTable(tournamentsOf(league, all), league.scheme)),
             (QStringList{"1 Ada 3 1/1", "1 Bob 3 1/1"}));
    league.to = kWeek1;
    QVERIFY(tournamentsOf(league, all).isEmpty()); // first day after the last

    // Chosen one by one, the dates do not count; a choice that is no longer in the
    // archive counts nothing.
    QList<ArchivedTournament> numbered = all;
    for (qsizetype i = 0; i < numbered.size(); ++i)
        numbered[i].id = i + 1;
    league.oneByOne = true;
    league.chosen = {1, 3, 99};
    QCOMPARE(rowsOf(leagueTable(tournamentsOf(league, numbered), league.scheme)),
             (QStringList{"1 Ada 3 1/1", "1 Cy 3 1/1"}));
    league.chosen.clear();
    QVERIFY(tournamentsOf(league, numbered).isEmpty());
}

void TestLeague::savingUnderAnotherLeaguesNameIsFound_data()
{
    // Saving a league under another's name once replaced that league without a word.
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("current");  // the league being changed, 0 for a new one
    QTest::addColumn<qint64>("replaced"); // 0: none
    QTest::newRow("a new league under a kept name") << "Winter" << qint64(0) << qint64(1);
    QTest::newRow("a kept league renamed to another's name") << "Winter" << qint64(2) << qint64(1);
    QTest::newRow("a kept league saved under its own name") << "Winter" << qint64(1) << qint64(0);
    QTest::newRow("a name nobody has") << "Autumn" << qint64(0) << qint64(0);
    QTest::newRow("another case is another name") << "winter" << qint64(0) << qint64(0);
}

void TestLeague::savingUnderAnotherLeaguesNameIsFound()
{
    QFETCH(QString, name);
    QFETCH(qint64, current);
    QFETCH(qint64, replaced);
    QList<League> kept(2);
    kept[0].id = 1;
    kept[0].name = QStringLiteral("Winter");
    kept[1].id = 2;
    kept[1].name = QStringLiteral("Summer");
    const std::optional<League> other = otherLeagueNamed(kept, name, current);
    QCOMPARE(other ? other->id : 0, replaced);
}

QTEST_GUILESS_MAIN(TestLeague)
#include "tst_league.moc"
