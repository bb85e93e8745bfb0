// The first-round draw under any list of entrants and any random source, the source's
// values outside [0, 1) and NaN included. Every entrant must be drawn exactly once into
// two equally long lists, "Bye" only last on the right and only for an odd count, and the
// draw must take exactly the entrants that a literal reading of the rule takes.

#include "check.h"

#include "pairinginvariants.h"

#include "round/firstdraw.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace Zuvi::Round;
using Zuvi::Test::pairingFault;

namespace {

// The value the source returns next: mostly in [0, 1), sometimes one of the values a
// faulty source could return.
double nextValue(FuzzedDataProvider &data)
{
    switch (data.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        return 1.0;
    case 1:
        return -data.ConsumeFloatingPoint<double>();
    case 2:
        return std::numeric_limits<double>::quiet_NaN();
    case 3:
        return data.ConsumeFloatingPoint<double>();
    case 4:
        return std::nextafter(1.0, 0.0);
    default:
        return data.ConsumeProbability<double>();
    }
}

// The rule read literally: h = n / 2 rounded half to even, h + 1 passes; each pass takes
// index floor(r * c) of the c entrants left into the left list and, if any remain, a
// second into the right list, else "Bye". An index outside the list is the nearest end
// (NaN the first entrant).
Pairing referenceDraw(QStringList entrants, const QList<double> &values)
{
    qsizetype next = 0;
    const auto take = [&] {
        const double scaled = std::floor(values.at(next++) * double(entrants.size()));
        qsizetype index = 0;
        if (scaled >= double(entrants.size()))
            index = entrants.size() - 1;
        else if (scaled > 0)
            index = qsizetype(scaled);
        return entrants.takeAt(index);
    };
    Pairing pairing;
    const qsizetype passes = qsizetype(roundHalfEven(double(entrants.size()) / 2)) + 1;
    for (qsizetype pass = 0; pass < passes; ++pass) {
        if (entrants.isEmpty())
            continue;
        pairing.left.append(take());
        pairing.right.append(entrants.isEmpty() ? bye() : take());
    }
    return pairing;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int count = data.ConsumeIntegralInRange<int>(0, 200);
    QStringList entrants;
    for (int i = 0; i < count; ++i) {
        // Each name is unique by its number, so "exactly once" can be checked; the rest is
        // any text at all.
        entrants.append(QString::number(i) + QLatin1Char('|') +
                        QString::fromUtf8(data.ConsumeRandomLengthString(12)));
    }
    QList<double> values;
    for (int i = 0; i < count; ++i)
        values.append(nextValue(data));

    QStringList drawn = entrants;
    qsizetype calls = 0;
    const Pairing pairing = drawFirstRound(drawn, [&] { return values.at(calls++); });

    ZUVI_CHECK(drawn.isEmpty());
    ZUVI_CHECK(calls == count); // one value per entrant drawn, none for "Bye"
    ZUVI_CHECK_NO_FAULT(pairingFault(entrants, pairing));

    const Pairing reference = referenceDraw(entrants, values);
    ZUVI_CHECK(pairing.left == reference.left);
    ZUVI_CHECK(pairing.right == reference.right);
    return 0;
}
