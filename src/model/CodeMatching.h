// Which zone and daylight codes make the clocks show a place's local time, checked against the system's time zones.
#pragma once

#include "model/LocalTime.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QTimeZone;

struct DifferingPeriod
{
    qint64 fromSecs = 0, toSecs = 0; // UTC seconds since 1970, end excluded
    int aheadSeconds = 0;            // what the clock shows minus the place's local time
};

struct CodeMatch
{
    int zonePosition = 0;
    int daylightPosition = 0;
    qint64 differingSeconds = 0; // how long, in total, the clock shows another time than the place
    qint64 periodCount = 0;      // how many separate spells
    QList<DifferingPeriod> firstPeriods;
    bool approximate = false; // the daylight rule's text needed a chosen reading

    bool exact() const { return differingSeconds == 0; }
};

// The pairs whose shown time equals the local time of `ianaZone` at every instant of the years `fromYear` to
// `toYear` (UTC), best first; when there is none, the closest few. Empty for an unknown zone or years out of order.
// With `fromSecs` (UTC seconds since 1970) later than the first new year, from then on: what is past is not listed.
QList<CodeMatch> MatchingCodes(const QByteArray& ianaZone, int fromYear, int toYear, qint64 fromSecs = 0);
// The same over any span of UTC seconds since 1970, end excluded, within the packet's years.
QList<CodeMatch> MatchingCodesBetween(const QByteArray& ianaZone, qint64 fromSecs, qint64 toSecs);
// How one pair shows the place's time over the span; nothing for an unknown zone or a pair whose clocks are off.
std::optional<CodeMatch> MatchPair(const QByteArray& ianaZone, int zonePosition, int daylightPosition, qint64 fromSecs,
                                   qint64 toSecs);

// The place's offset from UTC at `fromSecs` and each change of it before `toSecs`, from the system's database.
OffsetTimeline PlaceOffsets(const QTimeZone& zone, qint64 fromSecs, qint64 toSecs);

// One line for an operator: "exact", or how long in total and where the clock differs, in the place's local time.
QString DescribeMatch(const CodeMatch& match, const QByteArray& ianaZone);
