// `quillmarch --match-zone` and `--clock-times`: which codes fit a place, and what the clocks show now, as text for
// scripts and headless sites.
#pragma once

#include "model/GroupTable.h"
#include "model/PlaceCheck.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct TimeReport
{
    QString out; // for standard output, one line each
    QString err; // for standard error: why nothing or not all fitted
    int exitCode = 0;
};

// `years` like 2025-2035 or 2030; empty for `utcNow` to the end of the tenth year after. Exit 0 with an exact pair, 1
// with only close ones, 2 for an unknown zone or years it cannot take.
TimeReport MatchZoneReport(const QString& zone, const QString& years, const QDateTime& utcNow);

// What clocks with these codes show at `utcNow`: "2026-12-08 14:03:07 UTC+01:00", or "off"; their next jump,
// "2027-03-28 02:00 becomes 03:00", empty when there is none; and the reading of an unclear rule, or empty.
struct ShownTimeText
{
    QString shows;
    QString change;
    QString reading;
};
ShownTimeText DescribeShownTime(int zonePosition, int daylightPosition, const QDateTime& utcNow);
// The same as one sentence, for the code lists' tooltip: "Clocks with these codes show ... now; next change ...".
QString ShownTimeTip(int zonePosition, int daylightPosition, const QDateTime& utcNow);

// Each group with clocks: its letter, clocks, codes' texts, and what its clocks show at `utcNow`.
struct ClockTimeRow
{
    QString letter, clocks, zone, daylight;
    ShownTimeText time;
};
QList<ClockTimeRow> ClockTimeRows(const GroupTables& tables, const QDateTime& utcNow);

// One line per group with clocks: the letter, the clocks, the time they show at `utcNow` and the next jump.
TimeReport ClockTimesReport(const GroupTables& tables, const QDateTime& utcNow);

// `--check-places`: a line per group; exit 2 when any place is unknown, else 1 when any differs, else 0.
TimeReport CheckPlacesReport(const QList<PlaceFinding>& findings);
