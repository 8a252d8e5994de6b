// `quillmarch --match-zone` and `--clock-times`: which codes fit a place, and what the clocks show now, as text for
// scripts and headless sites.
#pragma once

#include "model/GroupTable.h"

#include <QDateTime>
#include <QString>

struct TimeReport
{
    QString out; // for standard output, one line each
    QString err; // for standard error: why nothing or not all fitted
    int exitCode = 0;
};

// `years` like 2025-2035 or 2030; empty for `thisYear` and the ten after it. Exit 0 with an exact pair, 1 with only
// close ones, 2 for an unknown zone or years it cannot take.
TimeReport MatchZoneReport(const QString& zone, const QString& years, int thisYear);

// One line per group with clocks: the letter, the clocks, the time they show at `utcNow` and the next jump.
TimeReport ClockTimesReport(const GroupTables& tables, const QDateTime& utcNow);
