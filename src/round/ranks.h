#pragma once

#include <QList>

#include <utility>

namespace Zuvi::Round {

/// The ranks of rows given in standings order, by their score and power: a row with the
/// same score and power as the row above shares its rank, and the next different row takes
/// its position (1, 2, 2, 4).
inline QList<int> sharedRanks(const QList<std::pair<double, double>> &scoreAndPower)
{
    QList<int> ranks;
    ranks.reserve(scoreAndPower.size());
    for (qsizetype i = 0; i < scoreAndPower.size(); ++i) {
        if (i > 0 && scoreAndPower.at(i) == scoreAndPower.at(i - 1))
            ranks.append(ranks.constLast());
        else
            ranks.append(int(i) + 1);
    }
    return ranks;
}

} // namespace Zuvi::Round
