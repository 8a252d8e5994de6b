// What a clock shows: the local time it makes of the UTC time, its zone code and its daylight code.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Positions in TimeZoneList and DaylightList, as groups and presets hold them. A zone position outside the list, or
// the CLOCK OFF entry, or a daylight position outside its list, gives a clock that is off: nothing is shown.

// The zone's offset from UTC in minutes as its text labels it; nothing for CLOCK OFF or a position outside the list.
std::optional<int> ZoneOffsetMinutes(int zonePosition);

// True when the rule's text is unclear or slipped and this program had to choose a reading; callers show it.
bool IsApproximateRule(int daylightPosition);
// The reading chosen for such a rule, in a few words ("1st->2nd taken as the 2nd Sunday"); empty otherwise.
QString ApproximateReading(int daylightPosition);

struct ShownTime
{
    bool off = true;          // the clock shows nothing
    QDateTime local;          // the date and time shown, carrying its offset from UTC
    int offsetSeconds = 0;    // shown minus UTC
    bool daylight = false;    // the rule's daylight hour is in force
    bool approximate = false; // IsApproximateRule
};

ShownTime LocalTimeShown(int zonePosition, int daylightPosition, const QDateTime& utc);

struct TimeJump
{
    QDateTime atUtc; // the first instant of the new shown time
    int seconds = 0; // how far the shown time jumps, signed
};

// The next instant after `utc` at which the shown time jumps; nothing for a clock that is off or a rule without
// changes.
std::optional<TimeJump> NextChange(int zonePosition, int daylightPosition, const QDateTime& utc);

// The shown offset from UTC (seconds) at `fromSecs`, and every later instant before `toSecs` at which it changes, with
// the new offset; instants are seconds since 1970 UTC. Nothing for a clock that is off.
struct OffsetTimeline
{
    int initial = 0;
    QList<std::pair<qint64, int>> changes;
};
std::optional<OffsetTimeline> ShownOffsets(int zonePosition, int daylightPosition, qint64 fromSecs, qint64 toSecs);
