#include "benchsupport.h"

#include "tournament/sqlitetournamentstore.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Zuvi::Bench {

Timing summarise(QList<double> ms)
{
    if (ms.isEmpty())
        return {};
    std::sort(ms.begin(), ms.end());
    const qsizetype n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, ms.first(), ms.last()};
}

Timing measure(int reps, const std::function<void()> &setup, const std::function<void()> &action)
{
    QList<double> ms;
    ms.reserve(reps);
    for (int i = 0; i < reps; ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        action();
        ms.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return summarise(ms);
}

std::pair<Timing, Timing> measureInTurns(int reps, const Turns &turns)
{
    QList<double> app;
    QList<double> floor;
    const auto timed = [](const std::function<void()> &setup, const std::function<void()> &work,
                          QList<double> &into) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        work();
        into.append(double(timer.nsecsElapsed()) / 1e6);
    };
    for (int i = 0; i < reps; ++i) {
        timed(turns.setup, turns.action, app);
        timed(turns.floorSetup, turns.floor, floor);
    }
    return {summarise(app), summarise(floor)};
}

void require(bool done, const QString &what)
{
    if (done)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(2);
}

void storeRegistration(const QStringList &names, const QStringList &houses,
                       const QString &roundsText)
{
    Progress::State state;
    state.roundsText = roundsText;
    state.entrants.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        state.entrants.append(
            {names.at(i), houses.at(i % houses.size()), QStringLiteral("0(0)"), true, false});
    // Stored as a new tournament's first step stores it: whatever was stored goes first.
    SqliteTournamentStore().setOptions(state, true);
}

} // namespace Zuvi::Bench
