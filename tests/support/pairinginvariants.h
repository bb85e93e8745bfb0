#pragma once

// What every pairing of a round must keep, whatever rule made it: shared by the pairing's
// tests and its fuzz targets. QtCore only.

#include "round/pairing.h"

#include <QString>
#include <QStringList>

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

} // namespace Zuvi::Test
