#pragma once

#include "history/archive.h"

namespace Zuvi::History {

/// One opponent of a player over the archived tournaments.
struct HeadToHead
{
    QString opponent; ///< as in their latest game
    int wins = 0;
    int draws = 0;
    int losses = 0;
};

/// A player's record over the archived tournaments: the player is the stored player
/// (playerId) where known, else the entrants of that name.
struct PlayerRecord
{
    QString name; ///< as in the latest tournament played
    /// Each tournament played, newest first: its date, name, the place and the score.
    struct Placing
    {
        QDate played;
        QString tournament;
        int rank = 0;
        int entrants = 0;
        double score = 0;
    };
    QList<Placing> placings;
    int wins = 0; ///< games won against an opponent (a bye is counted apart)
    int draws = 0;
    int losses = 0;
    int byes = 0;
    double points = 0;            ///< the tournaments' scores added up
    QStringList houses;           ///< each house played, most played first
    QList<HeadToHead> headToHead; ///< most games first, then by name
};

/// The record of a player over tournaments (in any order).
PlayerRecord playerRecord(const QList<ArchivedTournament> &tournaments, qint64 playerId,
                          const QString &name);

} // namespace Zuvi::History
