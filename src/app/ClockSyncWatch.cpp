#include "app/ClockSyncWatch.h"

ClockSyncWatch::ClockSyncWatch(Reader read, QObject* parent) : QObject(parent), m_read(std::move(read))
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ClockSyncWatch::check);
}

void ClockSyncWatch::start()
{
    check();
    m_timer.start();
}

void ClockSyncWatch::check()
{
    const ClockSyncState state = ClockSyncFromKernel(m_read());
    const bool changed = !m_checkedOnce || state.synchronized != m_state.synchronized;
    m_state = state;
    m_checkedOnce = true;
    emit checked(m_state, changed);
}
