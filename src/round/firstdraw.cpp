#include "round/firstdraw.h"

#include <cmath>

namespace Zuvi::Round {

namespace {

// Index floor(r * count) of a list of count entries, kept inside the list whatever the
// source returns (a value of 1, a negative one or NaN would otherwise point outside it).
qsizetype drawIndex(const UniformRandom &random, qsizetype count)
{
    const double scaled = std::floor(random() * static_cast<double>(count));
    if (!(scaled >= 0.0))
        return 0;
    if (scaled >= static_cast<double>(count))
        return count - 1;
    return static_cast<qsizetype>(scaled);
}

QString takeDrawn(QStringList &entrants, const UniformRandom &random)
{
    return entrants.takeAt(drawIndex(random, entrants.size()));
}

} // namespace

Pairing drawFirstRound(QStringList &entrants, const UniformRandom &random)
{
    Pairing pairing;
    const qsizetype passes =
        static_cast<qsizetype>(roundHalfEven(static_cast<double>(entrants.size()) / 2.0)) + 1;
    pairing.left.reserve(passes);
    pairing.right.reserve(passes);
    for (qsizetype pass = 0; pass < passes; ++pass) {
        if (entrants.isEmpty())
            continue;
        pairing.left.append(takeDrawn(entrants, random));
        if (entrants.isEmpty())
            pairing.right.append(bye());
        else
            pairing.right.append(takeDrawn(entrants, random));
    }
    return pairing;
}

} // namespace Zuvi::Round
