// The PC clock's synchronisation with network time, as the system reports it, and what the operator is told.
#pragma once

#include <QByteArray>
#include <QString>

struct ClockSyncState
{
    enum class Source { None, Timedatectl, Kernel };
    Source source = Source::None;
    bool synchronized = false;
    bool ntpEnabled = false;      // timedatectl: the time service is switched on
    bool canNtp = true;           // timedatectl: a time service is installed at all
    qint64 estimatedErrorUs = -1; // kernel: its estimate of the clock's error; -1 when unknown
    QString failure;              // Source::None: why neither source could be read
};

// Reads the properties of `timedatectl show`; false when NTPSynchronized is missing (not that program's output).
bool ParseTimedatectlShow(const QByteArray& output, ClockSyncState& state);

// From adjtimex(): its return value, the status bits and the estimated error in microseconds.
ClockSyncState ClockSyncFromKernel(int clockState, int status, long estimatedErrorUs);

// Asks timedatectl first (it knows whether a time service runs) and falls back to the kernel, which has no
// systemd to ask inside containers and on non-systemd machines.
ClockSyncState ReadClockSync();

struct ClockSyncReport
{
    QString text; // CR between lines, as every message of the program
    bool problem; // the clock is not known to be synchronised
};

ClockSyncReport DescribeClockSync(const ClockSyncState& state);
