// Checks the PC clock's synchronisation every minute, for the status panel and the service's journal.
#pragma once

#include "platform/ClockSync.h"

#include <QObject>
#include <QTimer>
#include <functional>

class ClockSyncWatch : public QObject
{
    Q_OBJECT

public:
    using Reader = std::function<KernelClockReading()>;
    explicit ClockSyncWatch(Reader read = ReadKernelClock, QObject* parent = nullptr);

    // Checks now, then every minute.
    void start();
    void check();
    const ClockSyncState& state() const { return m_state; }

    static constexpr int kIntervalMs = 60'000;

signals:
    // After every check; `changed` when the synchronised state differs from the check before (always on the first).
    void checked(const ClockSyncState& state, bool changed);

private:
    Reader m_read;
    QTimer m_timer;
    ClockSyncState m_state;
    bool m_checkedOnce = false;
};
