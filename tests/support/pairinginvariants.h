#pragma once

// What every pairing of a round must keep, whatever rule made it, and what the games so far
// say of a pairing (rematches, byes): shared by the pairing's tests and its fuzz targets.
// Written apart from the pairing's own code, so that a fault there is not copied here.
// QtCore only.

#include "round/pairing.h"
#include "round/rematchpairing.h"
#include "round/standingspairing.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>

namespace Zuvi::Test {

/// What is wrong with a pairing of the given entrants, or an empty text when nothing is:
/// two equally long lists, every entrant exactly once, "Bye" only last on the right and
/// only for an odd count.
inline QString pairingFault(const QStringList &entrants, const Round::Pairing &pairing)
{
    if (pairing.left.size() != pairing.right.size())
        return QStringLiteral("lists of %1 and %2 entries")
            .arg(pairing.left.size())
            .arg(pairing.right.size());
    if (pairing.left.size() != (entrants.size() + 1) / 2)
        return QStringLiteral("%1 games for %2 entrants")
            .arg(pairing.left.size())
            .arg(entrants.size());
    QStringList paired = pairing.left + pairing.right;
    if (entrants.size() % 2 != 0) {
        if (pairing.right.last() != Round::bye())
            return QStringLiteral("an odd field without \"Bye\" last on the right");
        paired.removeAt(paired.size() - 1);
    }
    if (paired.contains(Round::bye()))
        return QStringLiteral("\"Bye\" elsewhere than last on the right");
    QStringList expected = entrants;
    paired.sort();
    expected.sort();
    if (paired != expected)
        return QStringLiteral("paired %1, expected %2")
            .arg(paired.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
    return {};
}

/// The names of the standings rows in their order, without those in `left`.
inline QStringList namesOf(const QList<Round::StandingsRow> &rows, const QSet<QString> &left = {})
{
    QStringList names;
    for (const Round::StandingsRow &row : rows) {
        if (!left.contains(row.name))
            names.append(row.name);
    }
    return names;
}

/// Who has met whom and how many byes each entrant had, from the games recorded so far. A
/// game against "Bye" is a bye for the other side; a game of an entrant against itself, or
/// of "Bye" against "Bye", is neither.
class GameHistory
{
public:
    explicit GameHistory(const QList<Round::PlayedGame> &games)
    {
        for (const Round::PlayedGame &game : games) {
            const bool leftIsBye = game.left == Round::bye();
            const bool rightIsBye = game.right == Round::bye();
            if (leftIsBye != rightIsBye)
                ++m_byes[leftIsBye ? game.right : game.left];
            else if (!leftIsBye && game.left != game.right)
                m_met.insert(pairKey(game.left, game.right));
        }
    }

    bool met(const QString &a, const QString &b) const { return m_met.contains(pairKey(a, b)); }
    int byes(const QString &name) const { return m_byes.value(name); }

    /// Games of the pairing between entrants who have met before.
    int rematches(const Round::Pairing &pairing) const
    {
        int count = 0;
        for (qsizetype i = 0; i < pairing.left.size() && i < pairing.right.size(); ++i)
            count += int(met(pairing.left.at(i), pairing.right.at(i)));
        return count;
    }

    /// The fewest rematches with which an even list of entrants can be paired, found by
    /// trying every pairing: for small lists only.
    int fewestRematches(QStringList field) const
    {
        if (field.isEmpty())
            return 0;
        const QString first = field.takeFirst();
        int best = INT_MAX;
        for (qsizetype i = 0; i < field.size() && best > 0; ++i) {
            QStringList rest = field;
            const QString partner = rest.takeAt(i);
            best = std::min(best, int(met(first, partner)) + fewestRematches(rest));
        }
        return best;
    }

private:
    static QString pairKey(const QString &a, const QString &b)
    {
        return a < b ? a + QChar(0) + b : b + QChar(0) + a;
    }

    QSet<QString> m_met;
    QHash<QString, int> m_byes;
};

} // namespace Zuvi::Test
