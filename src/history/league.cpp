#include "history/league.h"

#include "round/ranks.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>
#include <optional>

namespace Zuvi::History {

QString ArchivedTournament::winner() const
{
    QStringList first;
    for (const ArchivedEntrant &entrant : entrants) {
        if (entrant.rank == 1)
            first.append(entrant.name);
    }
    return first.join(QStringLiteral(" and "));
}

void markLateEntrants(ArchivedTournament &t, const QStringList &unrecordedFirstRound)
{
    QSet<QString> firstRound(unrecordedFirstRound.cbegin(), unrecordedFirstRound.cend());
    for (const ArchivedGame &game : std::as_const(t.games)) {
        if (game.round == 1)
            firstRound << game.player1 << game.player2;
    }
    for (ArchivedEntrant &e : t.entrants)
        e.late = !firstRound.isEmpty() && !firstRound.contains(e.name);
}

QString defaultName(const QDate &played)
{
    return QStringLiteral("Tournament of %1")
        .arg(QLocale(QLocale::English, QLocale::UnitedKingdom)
                 .toString(played, QStringLiteral("d MMMM yyyy")));
}

std::optional<QString> checkedName(const QString &typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty() || name.size() > 200)
        return std::nullopt;
    return name;
}

QList<ArchivedTournament> tournamentsOf(const League &league,
                                        const QList<ArchivedTournament> &tournaments)
{
    QList<ArchivedTournament> chosen;
    const QSet<qint64> ids(league.chosen.cbegin(), league.chosen.cend());
    for (const ArchivedTournament &t : tournaments) {
        if (league.oneByOne ? ids.contains(t.id) : t.played >= league.from && t.played <= league.to)
            chosen.append(t);
    }
    return chosen;
}

std::optional<QList<double>> parsePlacementPoints(const QString &typed)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList parts = typed.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 100)
        return std::nullopt;
    QList<double> points;
    for (const QString &part : parts) {
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok || !(value >= 0) || value > 1000000)
            return std::nullopt;
        points.append(value);
    }
    return points;
}

QList<LeagueRow> leagueTable(const QList<ArchivedTournament> &tournaments,
                             const LeagueScheme &scheme)
{
    struct Player
    {
        QString name;
        qint64 playerId = 0;
        QDate latest;
        QList<double> values;
    };
    QHash<QString, Player> players;
    QStringList order;
    for (const ArchivedTournament &tournament : tournaments) {
        for (const ArchivedEntrant &entrant : tournament.entrants) {
            const QString key = entrant.playerId != 0 ? QStringLiteral("#%1").arg(entrant.playerId)
                                                      : QStringLiteral("=") + entrant.name;
            auto it = players.find(key);
            if (it == players.end()) {
                it = players.insert(key,
                                    Player{entrant.name, entrant.playerId, tournament.played, {}});
                order.append(key);
            } else if (tournament.played >= it->latest) {
                it->name = entrant.name;
                it->latest = tournament.played;
            }
            double value = 0;
            switch (scheme.kind) {
            case LeagueScheme::Kind::Scores:
                value = entrant.score;
                break;
            case LeagueScheme::Kind::Placement:
                if (entrant.rank >= 1 && entrant.rank <= scheme.placementPoints.size())
                    value = scheme.placementPoints.at(entrant.rank - 1);
                break;
            case LeagueScheme::Kind::Participation:
                value = 1;
                break;
            }
            it->values.append(value);
        }
    }
    QList<LeagueRow> rows;
    rows.reserve(order.size());
    for (const QString &key : std::as_const(order)) {
        Player &player = players[key];
        std::sort(player.values.begin(), player.values.end(), std::greater<>());
        const qsizetype counted = scheme.bestOf > 0
                                      ? std::min<qsizetype>(scheme.bestOf, player.values.size())
                                      : player.values.size();
        double points = 0;
        for (qsizetype i = 0; i < counted; ++i)
            points += player.values.at(i);
        rows.append(
            {0, player.name, player.playerId, points, int(player.values.size()), int(counted)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const LeagueRow &a, const LeagueRow &b) {
        if (a.points != b.points)
            return a.points > b.points;
        return a.name < b.name;
    });
    QList<std::pair<double, double>> keys;
    for (const LeagueRow &row : rows)
        keys.append({row.points, 0});
    const QList<int> ranks = Round::sharedRanks(keys);
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i].rank = ranks.at(i);
    return rows;
}

std::optional<League> otherLeagueNamed(const QList<League> &leagues, const QString &name,
                                       qint64 current)
{
    // The name is compared as the store looks a league up by it: exactly.
    for (const League &league : leagues) {
        if (league.name == name && league.id != current)
            return league;
    }
    return std::nullopt;
}

} // namespace Zuvi::History
