#include "history/playerrecord.h"

#include <QHash>

#include <algorithm>

namespace Zuvi::History {

namespace {

enum class Outcome { Win, Draw, Loss };

/// Player 1's outcome from the result chosen for player 1.
Outcome player1Outcome(const QString &result)
{
    if (result == QLatin1String("Full Win") || result == QLatin1String("Modified Win"))
        return Outcome::Win;
    if (result == QLatin1String("True Draw"))
        return Outcome::Draw;
    return Outcome::Loss;
}

QString keyOf(qint64 playerId, const QString &name)
{
    return playerId != 0 ? QStringLiteral("#%1").arg(playerId) : QStringLiteral("=") + name;
}

} // namespace

PlayerRecord playerRecord(const QList<ArchivedTournament> &tournaments, qint64 playerId,
                          const QString &name)
{
    PlayerRecord record;
    QList<const ArchivedTournament *> ordered;
    for (const ArchivedTournament &t : tournaments)
        ordered.append(&t);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto *a, const auto *b) { return a->played > b->played; });
    QHash<QString, int> houses;
    QHash<QString, HeadToHead> opponents;
    QHash<QString, QDate> opponentSeen;
    const QString self = keyOf(playerId, name);
    for (const ArchivedTournament *t : std::as_const(ordered)) {
        const ArchivedEntrant *me = nullptr;
        QHash<QString, QString> keyOfName;
        for (const ArchivedEntrant &e : t->entrants) {
            keyOfName.insert(e.name, keyOf(e.playerId, e.name));
            if (keyOf(e.playerId, e.name) == self)
                me = &e;
        }
        if (!me)
            continue;
        if (record.name.isEmpty())
            record.name = me->name;
        record.placings.append({t->played, t->name, me->rank, int(t->entrants.size()), me->score});
        record.points += me->score;
        ++houses[me->house];
        for (const ArchivedGame &g : t->games) {
            const bool first = g.player1 == me->name;
            if (!first && g.player2 != me->name)
                continue;
            if (g.player2 == QLatin1String("Bye")) {
                ++record.byes;
                continue;
            }
            Outcome outcome = player1Outcome(g.result1);
            if (!first && outcome != Outcome::Draw)
                outcome = outcome == Outcome::Win ? Outcome::Loss : Outcome::Win;
            const QString opponentName = first ? g.player2 : g.player1;
            const QString key = keyOfName.value(opponentName, QStringLiteral("=") + opponentName);
            HeadToHead &h = opponents[key];
            // Tournaments are read newest first: the first name met is the latest.
            if (!opponentSeen.contains(key)) {
                h.opponent = opponentName;
                opponentSeen.insert(key, t->played);
            }
            switch (outcome) {
            case Outcome::Win:
                ++record.wins;
                ++h.wins;
                break;
            case Outcome::Draw:
                ++record.draws;
                ++h.draws;
                break;
            case Outcome::Loss:
                ++record.losses;
                ++h.losses;
                break;
            }
        }
    }
    QList<std::pair<QString, int>> houseCounts;
    for (auto it = houses.cbegin(); it != houses.cend(); ++it)
        houseCounts.append({it.key(), it.value()});
    std::sort(houseCounts.begin(), houseCounts.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    for (const auto &house : houseCounts)
        record.houses.append(house.first);
    for (const HeadToHead &h : std::as_const(opponents))
        record.headToHead.append(h);
    std::sort(record.headToHead.begin(), record.headToHead.end(),
              [](const HeadToHead &a, const HeadToHead &b) {
                  const int games = a.wins + a.draws + a.losses;
                  const int other = b.wins + b.draws + b.losses;
                  return games != other ? games > other : a.opponent < b.opponent;
              });
    return record;
}

} // namespace Zuvi::History
