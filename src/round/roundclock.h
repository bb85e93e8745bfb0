#pragma once

#include <QString>
#include <QtGlobal>

namespace Zuvi::Round {

/// The count-down of a round, free of timers and widgets: the window turns its timer on
/// at start() and off when tick() reports that the count stopped.
///
/// Each round's clock starts from nothing: pairing a new round calls reset(), so that no
/// time left over from an earlier round is ever added to a later one.
class RoundClock final
{
public:
    /// "Start Timer": the limit replaces the whole time left, split into hours and minutes
    /// below 60, with the seconds at 0, so that a limit typed while the clock runs is the
    /// time it shows next. A negative count is taken as 0, so that the clock always runs out.
    void start(qint16 minutes);

    /// What pairing a new round does: every counter to 0, the clock idle.
    void reset();

    struct Tick
    {
        QString caption; ///< what FullTime shows after this tick
        bool stopped;    ///< the count reached 0 and the timer goes off
    };
    /// One tick: shows the counters as they stand, carries whole hours out of the minutes,
    /// then counts one second down (or stops when all three are 0).
    Tick tick();

    /// The time the counters hold, in seconds.
    qint64 remainingSeconds() const
    {
        return qint64(m_hours) * 3600 + qint64(m_minutes) * 60 + m_seconds;
    }
    /// Sets the counters to a time left, split into hours, minutes and seconds, and the
    /// clock running or not: a resumed round's clock goes on where it stood.
    void restore(qint64 seconds, bool running);

    bool running() const { return m_running; }
    qint16 hours() const { return m_hours; }
    qint16 minutes() const { return m_minutes; }
    qint16 seconds() const { return m_seconds; }

    /// The display of three counters: each below 10 gets a "0" in front; joined by ":".
    static QString caption(qint16 hours, qint16 minutes, qint16 seconds);

private:
    qint16 m_hours = 0;
    qint16 m_minutes = 0;
    qint16 m_seconds = 0;
    bool m_running = false;
};

} // namespace Zuvi::Round
