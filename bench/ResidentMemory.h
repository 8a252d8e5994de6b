// Resident memory of a process, for the benchmarks' figures.
#pragma once

#include "support/RealProgram.h"

// In KiB; -1 when the process is gone.
inline qint64 ResidentKiB(qint64 pid)
{
    const QByteArray status = contentOf(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6, status.indexOf('\n', at) - at - 6).simplified().split(' ')[0].toLongLong();
}
