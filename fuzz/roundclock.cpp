// The round clock under any sequence of "Start Timer" with any 16-bit number of minutes,
// ticks and window loads. The counters must stay in range (hours and minutes from 0 to
// 32767, seconds from 0 to 59), never wrap, show what they hold, and count the time left
// down by exactly one second a tick until the tick that stops at zero; so a start from 0
// seconds with m minutes stops after exactly m x 60 + 1 ticks.

#include "check.h"

#include "round/roundclock.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using Zuvi::Round::RoundClock;

namespace {

qint64 secondsLeft(const RoundClock &clock)
{
    return qint64(clock.hours()) * 3600 + qint64(clock.minutes()) * 60 + clock.seconds();
}

void checkCounters(const RoundClock &clock)
{
    ZUVI_CHECK(clock.hours() >= 0);
    ZUVI_CHECK(clock.minutes() >= 0);
    ZUVI_CHECK(clock.seconds() >= 0 && clock.seconds() <= 59);
}

// One tick, checked against the time left before it.
bool checkedTick(RoundClock &clock)
{
    const qint64 before = secondsLeft(clock);
    const QString shown = RoundClock::caption(clock.hours(), clock.minutes(), clock.seconds());
    const RoundClock::Tick tick = clock.tick();
    ZUVI_CHECK(tick.caption == shown);
    checkCounters(clock);
    if (before == 0) {
        ZUVI_CHECK(tick.stopped);
        ZUVI_CHECK(!clock.running());
        ZUVI_CHECK(secondsLeft(clock) == 0);
    } else {
        ZUVI_CHECK(!tick.stopped);
        ZUVI_CHECK(secondsLeft(clock) == before - 1);
        // Whole hours have left the minutes, unless the hours are at their ceiling.
        ZUVI_CHECK(clock.minutes() <= 59 || clock.hours() == 32767);
    }
    return tick.stopped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    RoundClock clock;
    checkCounters(clock);
    ZUVI_CHECK(secondsLeft(clock) == 0);

    bool ranOut = false;
    // Up to sixteen steps an input: long enough for every mix, short enough to run often.
    for (int step = 0; step < 16 && data.remaining_bytes() > 0; ++step) {
        switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            const qint16 minutes = data.ConsumeIntegral<qint16>();
            clock.start(minutes);
            // The limit replaces the time left (a negative count taken as 0).
            ZUVI_CHECK(clock.running());
            ZUVI_CHECK(clock.remainingSeconds() == (minutes < 0 ? 0 : qint64(minutes) * 60));
            ZUVI_CHECK(clock.minutes() < 60 && clock.seconds() == 0);
            checkCounters(clock);
            break;
        }
        case 1:
            clock.reset();
            ZUVI_CHECK(clock.remainingSeconds() == 0 && !clock.running());
            break;
        case 2: {
            // A start from 0 seconds and 0 hours, run out: m x 60 + 1 ticks exactly. Once
            // an input and with few minutes, as it takes that many ticks; the check of every
            // tick above carries the count to any number of minutes.
            if (ranOut)
                break;
            ranOut = true;
            const qint16 minutes = data.ConsumeIntegralInRange<qint16>(0, 3);
            RoundClock fresh;
            fresh.start(minutes);
            qint64 ticks = 0;
            bool stopped = false;
            while (!stopped && ticks <= qint64(minutes) * 60 + 1) {
                stopped = checkedTick(fresh);
                ++ticks;
            }
            ZUVI_CHECK(stopped && ticks == qint64(minutes) * 60 + 1);
            break;
        }
        default: {
            const int ticks = data.ConsumeIntegralInRange<int>(1, 64);
            for (int i = 0; i < ticks; ++i)
                checkedTick(clock);
            break;
        }
        }
    }
    return 0;
}
