#pragma once

#include <QString>
#include <QStringList>

namespace Zuvi::Round {

/// The placeholder opponent of an entrant left without one. Compared exactly.
inline QString bye()
{
    return QStringLiteral("Bye");
}

/// The pairing of a round: entry i of left (MatchList1, player 1) plays entry i of right
/// (MatchList2, player 2). Both lists are equally long; "Bye" stands only in right, last.
struct Pairing
{
    QStringList left;
    QStringList right;
};

/// Rounds to the nearest whole number, halves to the even neighbour (2.5 gives 2,
/// 3.5 gives 4, -2.5 gives -2).
double roundHalfEven(double value);

} // namespace Zuvi::Round
