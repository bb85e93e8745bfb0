// The club's history: archiving a large tournament, the history window over a long past,
// a season's league table and one player's record.

#include "history_bench.h"

#include "benchsupport.h"

#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "history/archiveaccess.h"
#include "history/archivestorage.h"
#include "history/league.h"
#include "history/playerrecord.h"
#include "historywindow/historydialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace Zuvi;
using Zuvi::Bench::measure;
using Zuvi::Bench::Timing;

namespace {

/// A weekly tournament of players entrants drawn from a club of members.
History::ArchivedTournament weekly(int week, int players, int members)
{
    History::ArchivedTournament t;
    t.played = QDate(2026, 1, 7).addDays(7 * week);
    t.name = History::defaultName(t.played);
    t.rounds = 5;
    for (int i = 0; i < players; ++i) {
        const int member = (i * 7 + week * 13) % members + 1;
        t.entrants.append({QStringLiteral("Member %1").arg(member), QStringLiteral("Stark"), member,
                           i + 1, double(15 - (i * 15) / players), double(players - i), false});
    }
    for (int round = 1; round <= t.rounds; ++round) {
        for (int table = 0; table < players / 2; ++table)
            t.games.append({round, table + 1, t.entrants.at(2 * table).name,
                            t.entrants.at(2 * table + 1).name, QStringLiteral("Full Win"), 3, 5,
                            1});
    }
    return t;
}

bool report(const char *action, const char *scale, const Timing &t, int reps, double limit)
{
    const bool met = t.median <= limit;
    std::printf("%-30s %-30s %10.2f %10.2f - %-9.2f %5d  %s within %.0f ms\n", action, scale,
                t.median, t.min, t.max, reps, met ? "target:" : "MISSED:", limit);
    return met;
}

} // namespace

bool benchHistory(const QString &dataFolder)
{
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("history"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
    Data::ensureDatabases();
    std::printf("\nThe club's history\n");
    bool met = true;

    // Archiving a 5,000-entrant tournament of 8 rounds: its part of the last End Round.
    const History::ArchivedTournament national = weekly(0, 5000, 100000);
    {
        Data::DbConnection tourny(Data::tournyDatabase());
        tourny.exec(QStringLiteral("ATTACH DATABASE ? AS players"),
                    {Data::databaseFile(Data::playersDatabase())});
        const Timing archiving = measure(5, {}, [&] {
            Data::Transaction transaction(tourny);
            History::writeArchive(tourny, national, QStringLiteral("players."));
            transaction.commit();
        });
        met = report("Archive at the last End Round", "5,000 entrants, 12,500 games", archiving, 5,
                     200) &&
              met;
    }

    // 1,000 archived tournaments of 16 players (and the five large ones above).
    {
        Data::DbConnection players(Data::playersDatabase());
        Data::Transaction transaction(players);
        for (int week = 0; week < 1000; ++week)
            History::writeArchive(players, weekly(week, 16, 64));
        transaction.commit();
    }
    const History::ArchiveAccess archive(std::nullopt);
    const Timing opening = measure(5, {}, [&] {
        HistoryDialog dialog(archive);
        dialog.show();
        QApplication::processEvents();
    });
    met = report("History opened", "1,005 archived tournaments", opening, 5, 100) && met;

    // A season: 52 weekly tournaments of 64 players.
    QList<History::ArchivedTournament> season;
    for (int week = 0; week < 52; ++week)
        season.append(weekly(week, 64, 100));
    History::LeagueScheme scheme;
    scheme.kind = History::LeagueScheme::Kind::Placement;
    scheme.bestOf = 30;
    const Timing league = measure(11, {}, [&] {
        Bench::require(!History::leagueTable(season, scheme).isEmpty(), QStringLiteral("league"));
    });
    met = report("League table", "52 tournaments of 64 players", league, 11, 50) && met;

    // One player over 500 tournaments.
    QList<History::ArchivedTournament> past;
    for (int week = 0; week < 500; ++week)
        past.append(weekly(week, 16, 20));
    const Timing record = measure(11, {}, [&] {
        Bench::require(!History::playerRecord(past, 1, QString()).placings.isEmpty(),
                       QStringLiteral("record"));
    });
    met = report("A player's record", "500 tournaments", record, 11, 50) && met;
    return met;
}
