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
    qint64 maxErrorUs = -1;       // kernel: the most the clock may be off
    QString failure;              // Source::None: why neither source could be read
};

// Reads the properties of `timedatectl show`; false when NTPSynchronized is missing (not that program's output).
bool ParseTimedatectlShow(const QByteArray& output, ClockSyncState& state);

// What adjtimex() reports when asked for nothing: its return value (-1 when it failed), the status bits, and the
// kernel's maximum and estimated errors in microseconds.
struct KernelClockReading
{
    int clockState = -1;
    int status = 0;
    long maxErrorUs = 0;
    long estimatedErrorUs = 0;
    QString failure; // why adjtimex() failed
};
KernelClockReading ReadKernelClock();

// Synchronised while the kernel's maximum error stays below 16 s, as systemd decides: a time service keeps that
// figure small, and it grows by itself once nothing corrects the clock. The unsync flag alone is not trusted, since
// some time services set it to keep the kernel off the hardware clock.
constexpr long kMaxSynchronisedErrorUs = 16'000'000;
ClockSyncState ClockSyncFromKernel(const KernelClockReading& reading);

// The fifth status panel, its tooltip, and the line in the time warning.
QString ClockSyncPanelText(const ClockSyncState& state);
QString ClockSyncToolTip(const ClockSyncState& state);
QString ClockSyncWarningLine(const ClockSyncState& state);

// Asks timedatectl first (it knows whether a time service runs) and falls back to the kernel, which has no
// systemd to ask inside containers and on non-systemd machines.
ClockSyncState ReadClockSync();

struct ClockSyncReport
{
    QString text; // CR between lines, as every message of the program
    bool problem; // the clock is not known to be synchronised
};

ClockSyncReport DescribeClockSync(const ClockSyncState& state);
