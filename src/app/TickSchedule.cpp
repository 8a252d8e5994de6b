#include "app/TickSchedule.h"

#include <algorithm>
#include <cerrno>
#include <time.h>

TickSchedule::Ns TickSchedule::now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Ns(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void TickSchedule::sleepUntil(Ns deadline)
{
    const timespec ts{time_t(deadline / 1'000'000'000), long(deadline % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void TickSchedule::advance(Ns now)
{
    if (m_due - now > kLongestWait) {
        m_due = now + kPeriod;
        return;
    }
    m_due += kPeriod;
    if (m_due <= now)
        m_due = now + kPeriod;
}

int TickSchedule::timerDelayMs(Ns now) const
{
    return int(std::max<Ns>(0, (m_due - kLead - now) / 1'000'000));
}
