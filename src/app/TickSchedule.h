// When the ticks fall due: on a fixed monotonic schedule, so that late wake-ups neither add up nor come in bursts.
#pragma once

#include <cstdint>

class TickSchedule
{
public:
    using Ns = std::int64_t; // nanoseconds of the monotonic clock

    static constexpr Ns kPeriod = 333'000'000;
    // The event loop's timer wakes this early; the rest is slept precisely, so a tick costs the GUI thread at most
    // a few milliseconds of waiting.
    static constexpr Ns kLead = 2'000'000;
    // After a packet is written, before anything else in the tick.
    static constexpr Ns kHandOverPause = 200'000;
    // A tick that runs this much before its deadline was not woken by the timer (a direct call): it runs now.
    static constexpr Ns kLongestWait = 10'000'000;

    static Ns now();
    // Sleeps until `deadline`, unaffected by the wall clock.
    static void sleepUntil(Ns deadline);

    void start(Ns now) { m_due = now + kPeriod; }
    Ns due() const { return m_due; }
    // Whether a tick running at `now` waits for its deadline first.
    bool waitsFor(Ns now) const { return m_due > now && m_due - now <= kLongestWait; }
    // The tick that fell due has run; `now` is when it began. The next one is a period after the deadline, or a
    // period from now when the tick ran a whole period late or before its time.
    void advance(Ns now);
    // Milliseconds from `now` until the timer should wake for the next tick.
    int timerDelayMs(Ns now) const;

private:
    Ns m_due = 0;
};
