#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace Zuvi::History {

/// One entrant of a finished tournament, in the order of its final standings.
struct ArchivedEntrant
{
    QString name; ///< the name as it was entered then
    QString house;
    qint64 playerId = 0; ///< the stored player it was registered from, 0 when unknown
    int rank = 0;        ///< shared ranks, as the printed standings give them
    double score = 0;
    double power = 0;
    bool dropped = false;
    bool late = false; ///< entered after the first round was paired
};

/// One game of a finished tournament.
struct ArchivedGame
{
    int round = 0;
    int table = 0; ///< 1-based
    QString player1;
    QString player2; ///< "Bye" for a bye
    QString result1;
    int points1 = 0;
    double power1 = 0;
    double power2 = 0;
};

/// A finished tournament as the club keeps it.
struct ArchivedTournament
{
    qint64 id = 0; ///< given when it is written
    QString name;
    QDate played;
    int rounds = 0;
    QList<ArchivedEntrant> entrants; ///< final standings order
    QList<ArchivedGame> games;       ///< round and table order

    /// The names of the entrants ranked first, joined by " and ".
    QString winner() const;
};

/// The archive of a finished tournament, however it was read (the live tournament at the
/// end of its last round, or a tournament file of the past): standings (in standings
/// order, with their stored players and drops) ranked with shared ranks as the printed
/// standings rank them, the games in round and table order, the number of rounds (at least
/// the last round that has a game), the late entrants marked (markLateEntrants()) and the
/// default name of the date played.
ArchivedTournament archiveOf(const QDate &played, int rounds, QList<ArchivedEntrant> standings,
                             QList<ArchivedGame> games, const QStringList &unrecordedFirstRound);

/// Marks the entrants who entered late: those without a game of the first round, played
/// (in t's games) or left unrecorded (the players of unrecordedFirstRound). Where nothing
/// of the first round is known (a file that kept no games), nobody is marked.
void markLateEntrants(ArchivedTournament &t, const QStringList &unrecordedFirstRound);

/// The name a tournament gets when it is archived: "Tournament of 10 December 2026".
QString defaultName(const QDate &played);

/// A name for an archived tournament as typed: blanks around it go; empty, or longer than
/// 200 characters, is refused (nothing).
std::optional<QString> checkedName(const QString &typed);

} // namespace Zuvi::History
