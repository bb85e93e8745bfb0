#pragma once

// What the benchmark's parts share: timing an action over several repetitions, and a
// registration stored as the registration window leaves it.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace Zuvi::Bench {

/// Milliseconds of the repetitions of one action: the median, the fastest and the slowest.
struct Timing
{
    double median = 0;
    double min = 0;
    double max = 0;
};

/// The median, fastest and slowest of a list of times; zeroes for an empty list.
Timing summarise(QList<double> ms);

/// Runs setup (not timed; may be empty) and then the action (timed), reps times.
Timing measure(int reps, const std::function<void()> &setup, const std::function<void()> &action);

/// An action and its floor, each with an untimed set-up, timed in turns (action, floor,
/// action, ...), so that both meet the machine in the same state: a disk slower for a
/// while slows both, not one of them.
struct Turns
{
    std::function<void()> setup;
    std::function<void()> action;
    std::function<void()> floorSetup;
    std::function<void()> floor;
};
std::pair<Timing, Timing> measureInTurns(int reps, const Turns &turns);

/// Ends the run with status 2 and the text on stderr unless `done`: a step that did not do
/// its work would give a figure that means nothing.
void require(bool done, const QString &what);

/// Stores the entrants as a registration not yet started, with the houses in turn and the
/// number of rounds as typed, in one transaction of Tourny.db. Throws Data::DbError.
void storeRegistration(const QStringList &names, const QStringList &houses,
                       const QString &roundsText);

} // namespace Zuvi::Bench
