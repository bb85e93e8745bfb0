#include "round/roundclock.h"

#include <algorithm>
#include <limits>

namespace Zuvi::Round {

void RoundClock::start(qint16 minutes)
{
    // A count below 0 would never come down to 00:00:00 and the clock would run for ever.
    const qint16 limit = minutes < 0 ? qint16(0) : minutes;
    // The limit is the time left from now: what stood on the clock before is dropped, and
    // the first tick already shows it as hours and minutes (90 as 01:30:00).
    m_hours = qint16(limit / 60);
    m_minutes = qint16(limit % 60);
    m_seconds = 0;
    m_running = true;
}

void RoundClock::reset()
{
    m_hours = 0;
    m_minutes = 0;
    m_seconds = 0;
    m_running = false;
}

void RoundClock::restore(qint64 seconds, bool running)
{
    seconds = std::max<qint64>(seconds, 0);
    const qint64 hours = std::min<qint64>(seconds / 3600, std::numeric_limits<qint16>::max());
    seconds -= hours * 3600;
    // Beyond the hours' ceiling the minutes hold the rest, as tick() leaves them.
    const qint64 minutes = std::min<qint64>(seconds / 60, std::numeric_limits<qint16>::max());
    m_hours = qint16(hours);
    m_minutes = qint16(minutes);
    m_seconds = qint16(std::min<qint64>(seconds - minutes * 60, 59));
    m_running = running && remainingSeconds() > 0;
}

RoundClock::Tick RoundClock::tick()
{
    Tick result{caption(m_hours, m_minutes, m_seconds), false};

    // Whole hours move out of the minutes (start() and restore() already split them; this
    // keeps the count right whatever the counters hold). Once the hours are at their
    // ceiling the minutes simply stay above 59, which counts down just the same.
    while (m_minutes > 59 && m_hours < std::numeric_limits<qint16>::max()) {
        ++m_hours;
        m_minutes -= 60;
    }

    if (m_seconds != 0) {
        --m_seconds;
    } else if (m_minutes != 0) {
        --m_minutes;
        m_seconds = 59;
    } else if (m_hours != 0) {
        --m_hours;
        m_minutes = 59;
        m_seconds = 59;
    } else {
        m_running = false;
        result.stopped = true;
    }
    return result;
}

QString RoundClock::caption(qint16 hours, qint16 minutes, qint16 seconds)
{
    const auto part = [](qint16 counter) {
        const QString digits = QString::number(counter);
        return counter < 10 ? QLatin1Char('0') + digits : digits;
    };
    return part(hours) + QLatin1Char(':') + part(minutes) + QLatin1Char(':') + part(seconds);
}

} // namespace Zuvi::Round
