#pragma once

#include "history/archive.h"

#include <optional>

namespace Zuvi::History {

/// How a league turns each archived tournament into points.
struct LeagueScheme
{
    enum class Kind {
        Scores,       ///< the player's tournament score
        Placement,    ///< the points of the player's place (placementPoints[0] for first)
        Participation ///< one point for taking part
    };
    Kind kind = Kind::Scores;
    /// For Placement: the points of the first, second, … place; places beyond get 0.
    /// Tied players share a rank and each gets the points of that (the higher) place.
    QList<double> placementPoints{10, 8, 6, 5, 4, 3, 2, 1};
    /// Only the best this many events of each player count; 0 counts every event.
    int bestOf = 0;
};

/// A league kept by the club: a name, its tournaments (those played from one date to
/// another, both included, or tournaments chosen one by one), and its scheme.
struct League
{
    qint64 id = 0;
    QString name;
    QDate from;
    QDate to;
    /// The tournaments are the ones chosen, whatever their dates.
    bool oneByOne = false;
    QList<qint64> chosen; ///< the archived tournaments chosen, when oneByOne
    LeagueScheme scheme;
};

/// The tournaments of a league: those played within its dates, or those chosen.
QList<ArchivedTournament> tournamentsOf(const League &league,
                                        const QList<ArchivedTournament> &tournaments);

/// A league's placement table as typed ("10, 8, 6, 5"): numbers from 0 to 1,000,000
/// separated by commas or blanks, at most 100; nothing for anything else.
std::optional<QList<double>> parsePlacementPoints(const QString &typed);

/// One player of a league table.
struct LeagueRow
{
    int rank = 0; ///< shared where the points are equal
    QString name; ///< as in the player's latest event
    qint64 playerId = 0;
    double points = 0;
    int events = 0;  ///< tournaments played
    int counted = 0; ///< tournaments that counted (best of)
};

/// The league table over tournaments: one row per player (the stored player where known,
/// else the name), points descending, then name ascending; equal points share a rank.
QList<LeagueRow> leagueTable(const QList<ArchivedTournament> &tournaments,
                             const LeagueScheme &scheme);

/// The kept league that a league saved under name would replace, other than the league
/// with number current (the one being changed, 0 for a new one): saving under another
/// league's name replaces that league, so the organiser is asked first. Nothing when no
/// other league has that name.
std::optional<League> otherLeagueNamed(const QList<League> &leagues, const QString &name,
                                       qint64 current);

} // namespace Zuvi::History
