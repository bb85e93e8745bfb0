#pragma once

// The tournament model and its store written as lines of text, so that two tournaments (two
// stores, two stations, a run and its resume) compare in one QCOMPARE that shows the
// difference. Numbers are written to the last digit.

#include "tournament/tournamentprogress.h"
#include "tournament/tournamentstore.h"

#include <QLatin1Char>
#include <QStringList>

namespace Zuvi::Test {

/// "name score power" for every standings row, in standings order.
inline QStringList standingsOf(TournamentStore &store)
{
    QStringList rows;
    for (const Progress::StandingsRow &row : store.standings())
        rows.append(QStringLiteral("%1 %2 %3")
                        .arg(row.name)
                        .arg(row.score)
                        .arg(QString::number(row.power, 'g', 17)));
    return rows;
}

/// The open round as "player1-player2" per open seat, in list order.
inline QStringList openGames(const TournamentProgress &model)
{
    QStringList games;
    for (int seat : model.openSeats())
        games.append(model.seats().at(seat).player1 + QLatin1Char('-') +
                     model.seats().at(seat).player2);
    return games;
}

/// Every game with its round, pairing, seat, result and powers.
inline QStringList gamesOf(const TournamentProgress &model)
{
    QStringList rows;
    for (const Progress::Game &g : model.games())
        rows.append(
            QStringLiteral("%1/%2/%3 %4-%5 %6 %7 %8 %9")
                .arg(g.round)
                .arg(g.pairing)
                .arg(g.seat)
                .arg(g.player1, g.player2, g.result1)
                .arg(g.points1)
                .arg(QString::number(g.power1, 'g', 17), QString::number(g.power2, 'g', 17)));
    return rows;
}

/// Every entrant as the lists show it: name, house, score text, shown, dropped.
inline QStringList entrantsOf(const TournamentProgress &model)
{
    QStringList rows;
    for (const Progress::Entrant &e : model.entrants())
        rows.append(QStringLiteral("%1|%2|%3|%4|%5")
                        .arg(e.name, e.house, e.scoreText)
                        .arg(e.nameShown)
                        .arg(e.dropped));
    return rows;
}

} // namespace Zuvi::Test
