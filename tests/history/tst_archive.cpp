// The archive written with the last round's end, in the same transaction: on the files of
// this computer (the tournament's file with the stored players' file), renamed, deleted,
// and never written half when the archive cannot be written.

#include "support/rowgame.h"
#include "support/testsupport.h"

#include "data/dberror.h"
#include "history/archiveaccess.h"
#include "tournament/sqlitetournamentstore.h"
#include "tournament/tournamentprogress.h"

#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

/// A two-round tournament of five (a bye each round), with a late entrant and a drop, up
/// to its last round's games recorded; the round is still open.
void playToTheLastGame(TournamentProgress &model)
{
    model.setRandomSource([] { return 0.0; });
    model.addEntrant(QStringLiteral("Ada"), QStringLiteral("Stark"), 7);
    model.addEntrant(QStringLiteral("Bob"), QStringLiteral("Tully"), 8);
    model.addEntrant(QStringLiteral("Cy"), QStringLiteral("Arryn"));
    model.addEntrant(QStringLiteral("Dee"), QStringLiteral("Tyrell"));
    model.addEntrant(QStringLiteral("Eve"), QStringLiteral("Greyjoy"));
    model.startRound(QStringLiteral("2"));
    while (!model.openSeats().isEmpty())
        recordAtRow(model, 0, QStringLiteral("Full Win"), 5, 1);
    model.endRound();
    model.addEntrant(QStringLiteral("Late, Lee"), QStringLiteral("Martell"));
    model.removeEntrant(3);
    model.startRound(QStringLiteral("2"));
    while (!model.openSeats().isEmpty())
        recordAtRow(model, 0, QStringLiteral("True Draw"), 2, 2);
}

QStringList entrantsOf(const History::ArchivedTournament &t)
{
    QStringList rows;
    for (const History::ArchivedEntrant &e : t.entrants)
        rows.append(QStringLiteral("%1 %2 %3 %4 %5 %6%7%8")
                        .arg(e.rank)
                        .arg(e.name, e.house)
                        .arg(e.score)
                        .arg(e.power)
                        .arg(e.playerId)
                        .arg(e.dropped ? QStringLiteral(" dropped") : QString(),
                             e.late ? QStringLiteral(" late") : QString()));
    return rows;
}

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lastEndRoundArchivesTheTournament();
    void archiveAfterAResume();
    void aFailingArchiveLeavesTheRoundOpen();
    void renameAndDelete();
    void leaguesKeepTheirTournaments();
    void resultsChangedAfterTheEndFollowInTheArchive();
};

void TestArchive::lastEndRoundArchivesTheTournament()
{
    TempInstall install;
    SqliteTournamentStore store;
    TournamentProgress model(&store);
    playToTheLastGame(model);
    const History::ArchiveAccess archive(std::nullopt);
    QVERIFY(archive.list().isEmpty()); // not before the last round ends
    model.endRound();

    const QList<History::ArchivedTournament> list = archive.list(true);
    QCOMPARE(list.size(), 1);
    const History::ArchivedTournament &t = list.first();
    QCOMPARE(t.name, History::defaultName(QDate::currentDate()));
    QCOMPARE(t.played, QDate::currentDate());
    QCOMPARE(t.rounds, 2);
    // The final standings with shared ranks, each entrant with its stored player (0 where it
    // was typed in), the dropped one marked, the late one among them.
    QCOMPARE(entrantsOf(t), (QStringList{"1 Ada Stark 5 7 7", "1 Eve Greyjoy 5 7 0",
                                         "3 Cy Arryn 4 7 0", "4 Late, Lee Martell 2 2 0 late",
                                         "5 Dee Tyrell 1 3 0", "6 Bob Tully 0 1 8 dropped"}));
    QCOMPARE(t.winner(), QStringLiteral("Ada and Eve"));
    // Every game, in round and table order, the bye's among them.
    QCOMPARE(t.games.size(), model.games().size());
    bool bye = false;
    for (qsizetype i = 1; i < t.games.size(); ++i)
        QVERIFY(std::tie(t.games.at(i - 1).round, t.games.at(i - 1).table) <
                std::tie(t.games.at(i).round, t.games.at(i).table));
    for (const History::ArchivedGame &g : t.games)
        bye = bye || g.player2 == QStringLiteral("Bye");
    QVERIFY(bye);
}

void TestArchive::archiveAfterAResume()
{
    TempInstall install;
    SqliteTournamentStore store;
    {
        TournamentProgress model(&store);
        playToTheLastGame(model);
    }
    TournamentProgress again(&store);
    QVERIFY(again.loadStored());
    again.resume();
    again.endRound();
    QCOMPARE(History::ArchiveAccess(std::nullopt).list().size(), 1);
}

void TestArchive::aFailingArchiveLeavesTheRoundOpen()
{
    TempInstall install;
    SqliteTournamentStore store;
    TournamentProgress model(&store);
    playToTheLastGame(model);
    const QList<QVariantList> standings =
        install.rows(QStringLiteral("Tourny"), QStringLiteral("SELECT * FROM TournyInfo"));
    // The archive cannot be written: the end of the round is not written either.
    install.exec(QStringLiteral("players"), QStringLiteral("DROP TABLE ZuviArchiveGame"));
    QVERIFY_THROWS_EXCEPTION(Data::DbError, model.endRound());
    QVERIFY(model.roundOpen());
    QVERIFY(store.read().roundOpen);
    QCOMPARE(store.read().roundcounter, qint16(2));
    QCOMPARE(install.rows(QStringLiteral("Tourny"), QStringLiteral("SELECT * FROM TournyInfo")),
             standings);
    QCOMPARE(
        install.rows(QStringLiteral("players"), QStringLiteral("SELECT count(*) FROM ZuviArchive"))
            .first()
            .first()
            .toInt(),
        0);
}

void TestArchive::renameAndDelete()
{
    TempInstall install;
    SqliteTournamentStore store;
    TournamentProgress model(&store);
    playToTheLastGame(model);
    model.endRound();
    const History::ArchiveAccess archive(std::nullopt);
    const qint64 id = archive.list().first().id;
    archive.rename(id, QStringLiteral("Winter \"Żółć\" Open; DROP TABLE ZuviArchive"));
    QCOMPARE(archive.list().first().name,
             QStringLiteral("Winter \"Żółć\" Open; DROP TABLE ZuviArchive"));
    archive.remove(id);
    QVERIFY(archive.list().isEmpty());
    QCOMPARE(
        install
            .rows(QStringLiteral("players"), QStringLiteral("SELECT count(*) FROM ZuviArchiveGame"))
            .first()
            .first()
            .toInt(),
        0);
}

void TestArchive::leaguesKeepTheirTournaments()
{
    TempInstall install;
    const History::ArchiveAccess archive(std::nullopt);
    History::ArchivedTournament t;
    t.name = QStringLiteral("Week");
    t.entrants.append({QStringLiteral("Ada"), QStringLiteral("Stark")});
    t.played = QDate(2027, 1, 6);
    const qint64 first = archive.add(t);
    t.played = QDate(2027, 1, 13);
    const qint64 second = archive.add(t);

    History::League chosen;
    chosen.name = QStringLiteral("Chosen");
    chosen.oneByOne = true;
    chosen.chosen = {second, first, second};
    archive.saveLeague(chosen);
    History::League dated = chosen;
    dated.oneByOne = false;
    dated.chosen.clear();
    dated.name = QStringLiteral("Dated");
    dated.from = QDate(2027, 1, 1);
    dated.to = QDate(2027, 1, 31);
    archive.saveLeague(dated);

    QList<History::League> kept = archive.leagues();
    QCOMPARE(kept.size(), 2);
    QVERIFY(kept.at(0).oneByOne);
    QCOMPARE(kept.at(0).chosen, (QList<qint64>{first, second}));
    QVERIFY(!kept.at(1).oneByOne);
    QCOMPARE(kept.at(1).from, QDate(2027, 1, 1));
    QVERIFY(kept.at(1).chosen.isEmpty());

    // Kept again under its name, a league replaces its tournaments; a tournament deleted
    // leaves every league that chose it.
    chosen.chosen = {first, second};
    archive.saveLeague(chosen);
    archive.remove(first);
    kept = archive.leagues();
    QCOMPARE(kept.at(0).chosen, (QList<qint64>{second}));
    archive.removeLeague(kept.at(0).id);
    QCOMPARE(install
                 .rows(QStringLiteral("players"),
                       QStringLiteral("SELECT count(*) FROM ZuviLeagueTournament"))
                 .first()
                 .first()
                 .toInt(),
             0);
}

void TestArchive::resultsChangedAfterTheEndFollowInTheArchive()
{
    TempInstall install;
    SqliteTournamentStore store;
    TournamentProgress model(&store);
    playToTheLastGame(model);
    // The last game is left unrecorded when the last round ends.
    QVERIFY(model.undoLastGame());
    model.endRound();
    const History::ArchiveAccess archive(std::nullopt);
    const qint64 id = archive.list().first().id;
    archive.rename(id, QStringLiteral("Winter Open"));
    const int games = int(archive.list(true).first().games.size());
    const auto scoreOf = [](const History::ArchivedTournament &t, const QString &name) {
        for (const History::ArchivedEntrant &e : t.entrants) {
            if (e.name == name)
                return e.score;
        }
        return -1.0;
    };

    // Recorded late, the game joins the archive; its name and date stay.
    QCOMPARE(model.missedGames().size(), 1);
    const Progress::MissedGame missed = model.missedGames().first();
    const double before = scoreOf(archive.list().first(), missed.player1);
    model.recordMissedGame(missed, QStringLiteral("Full Win"), 9, 0);
    History::ArchivedTournament kept = archive.list(true).first();
    QCOMPARE(kept.id, id);
    QCOMPARE(kept.name, QStringLiteral("Winter Open"));
    QCOMPARE(kept.games.size(), games + 1);
    QCOMPARE(scoreOf(kept, missed.player1), before + 3);

    // Amended, a game changes the archived standings at once.
    const Progress::Game first = model.games().first();
    model.amendGame(first.id, QStringLiteral("Modified Loss"), 0, 9);
    kept = archive.list(true).first();
    QCOMPARE(kept.games.first().result1, QStringLiteral("Modified Loss"));
    QCOMPARE(kept.entrants.size(), 6);

    // An amendment the archive cannot take is not written either: one transaction.
    const QList<QVariantList> standings =
        install.rows(QStringLiteral("Tourny"), QStringLiteral("SELECT * FROM TournyInfo"));
    install.exec(QStringLiteral("players"),
                 QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ZuviArchiveGame BEGIN "
                                "SELECT RAISE(ABORT, 'refused'); END"));
    QVERIFY_THROWS_EXCEPTION(Data::DbError,
                             model.amendGame(first.id, QStringLiteral("Full Win"), 9, 0));
    QCOMPARE(install.rows(QStringLiteral("Tourny"), QStringLiteral("SELECT * FROM TournyInfo")),
             standings);
    QCOMPARE(archive.list(true).first().games.first().result1, QStringLiteral("Modified Loss"));
    install.exec(QStringLiteral("players"), QStringLiteral("DROP TRIGGER refuse"));

    // Deleted from the history, the tournament is not brought back by a later change.
    archive.remove(id);
    model.amendGame(first.id, QStringLiteral("True Draw"), 4, 4);
    QVERIFY(archive.list().isEmpty());
    QCOMPARE(install
                 .rows(QStringLiteral("players"),
                       QStringLiteral("SELECT count(*) FROM ZuviArchiveEntrant"))
                 .first()
                 .first()
                 .toInt(),
             0);
}

QTEST_MAIN(TestArchive)
#include "tst_archive.moc"
