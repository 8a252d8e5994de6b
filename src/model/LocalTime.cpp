#include "model/LocalTime.h"

#include "model/CodeTables.h"

#include <QDate>

#include <algorithm>

namespace {

enum Month { Jan = 1, Feb, Mar, Apr, May, Jun, Jul, Aug, Sep, Oct, Nov, Dec };
enum Weekday { Mon = 1, Tue, Wed, Thu, Fri, Sat, Sun }; // as QDate::dayOfWeek counts

enum class DayKind : quint8 { OnOrAfter, Last, Fixed };

struct ChangeDay
{
    DayKind kind = DayKind::Fixed;
    int month = 1;
    int weekday = Sun;
    int day = 1;     // OnOrAfter: the first day it may fall on; Fixed: the day in a common year
    int leapDay = 1; // Fixed: the day in a leap year
    int shift = 0;   // days added to the day found
};

constexpr ChangeDay nth(int n, Weekday weekday, Month month)
{
    return {DayKind::OnOrAfter, month, weekday, 1 + 7 * (n - 1), 0, 0};
}
constexpr ChangeDay onOrAfter(Weekday weekday, int day, Month month)
{
    return {DayKind::OnOrAfter, month, weekday, day, 0, 0};
}
constexpr ChangeDay last(Weekday weekday, Month month, int shift = 0)
{
    return {DayKind::Last, month, weekday, 0, 0, shift};
}
constexpr ChangeDay fixedDay(Month month, int day, int leapDay)
{
    return {DayKind::Fixed, month, Sun, day, leapDay, 0};
}

// The texts name the last minute shown before a jump ("0159": after 01:59:59 comes the new time) or, ending in 00,
// the moment itself ("0000-0100": 00:00:00 is shown as 01:00:00). Either way the jump falls on a whole hour of the
// time shown before it; 2359 is midnight at the end of the day named.
constexpr int at(int hhmm)
{
    return hhmm % 100 == 59 ? (hhmm / 100 + 1) * 60 : hhmm / 100 * 60 + hhmm % 100;
}

struct Change
{
    ChangeDay day;
    int minute = 0; // minutes after midnight of that day, in the time shown before the jump
};

struct DaylightRule
{
    int baseMinutes = 0;   // added all year: the forced offsets and "+ half hour"
    int savingMinutes = 0; // added from start to end; 0 for a rule without changes
    Change start, end;     // the end's day is in the next year when its month comes first (the southern hemisphere)
    const char* reading = nullptr; // the reading chosen where the text is unclear: the rule is approximate
};

constexpr DaylightRule kNone{};
constexpr DaylightRule forced(int minutes)
{
    return {minutes, 0, {}, {}, nullptr};
}
constexpr DaylightRule hour(Change start, Change end, const char* reading = nullptr)
{
    return {0, 60, start, end, reading};
}
constexpr DaylightRule halfAndHour(Change start, Change end, const char* reading = nullptr)
{
    return {30, 60, start, end, reading};
}

// One row per daylight code, in the order of DaylightList. Every change moves the clock by the rule's hour; where a
// text's second time disagrees with that, its first time (the moment) is kept unless the row says otherwise.
// clang-format off
const std::array<DaylightRule, 39> kRules = {{
    kNone,                                                                                            // 0
    hour({nth(1, Sun, Apr), at(159)}, {last(Sun, Oct), at(159)}),                                     // 1
    hour({nth(1, Sun, Nov), at(0)}, {nth(3, Sun, Feb), at(0)}),                                       // 2
    hour({nth(3, Sun, Oct), at(159)}, {nth(1, Sun, Mar), at(159)}),                                   // 3
    hour({nth(1, Sat, Sep), at(2359)}, {nth(1, Sat, Apr), at(2359)}),                                 // 4
    hour({last(Sun, Mar), at(159)}, {last(Sun, Oct), at(159)}),                                       // 5
    hour({last(Sun, Mar), at(159)}, {last(Sun, Sep), at(159)}),                                       // 6
    hour({last(Sun, Mar, -2), at(159)}, {last(Sun, Oct), at(159)}),                                   // 7
    hour({last(Sun, Oct), at(159)}, {nth(3, Sun, Mar), at(159)}),                                     // 8
    forced(60),                                                                                       // 9
    forced(30),                                                                                       // 10
    // "Oct" lacks its dot: nothing else can be meant, but like every slip in a text it marks the row approximate.
    hour({nth(2, Sun, Oct), at(159)}, {nth(3, Sun, Mar), at(159)}, "\"Oct\" taken as October"),       // 11
    halfAndHour({nth(2, Sun, Mar), at(159)}, {nth(1, Sun, Nov), at(159)}),                            // 12
    hour({last(Sun, Oct), at(159)}, {last(Sun, Mar), at(259)}),                                       // 13
    hour({nth(1, Sun, Oct), at(0)}, {nth(4, Sun, Mar), at(0)}),                                       // 14
    hour({nth(1, Sun, Oct), at(159)}, {onOrAfter(Sun, 15, Mar), at(259)}),                            // 15
    hour({last(Sun, Mar), at(259)}, {last(Sun, Oct), at(359)}),                                       // 16
    // A start cannot turn the clock back: read as 0059-0200, one hour forward at 01:00 like the end's hour back.
    hour({last(Sun, Mar), at(59)}, {last(Sun, Sep), at(159)}, "start 0059-0000 taken as 0059-0200"),  // 17
    // "to" in place of the dash; the end falls at midnight closing that Sunday, as the text's day says.
    hour({last(Sun, Mar), at(59)}, {last(Sun, Oct), at(2359)}, "end \"2359 to 2300\" taken as 2359-2300"), // 18
    hour({last(Fri, Apr), at(0)}, {last(Thu, Sep), at(59)}),                                          // 19
    // As rule 17; so read, it is Britain's rule on GMT.
    hour({last(Sun, Mar), at(59)}, {last(Sun, Oct), at(159)}, "start 0059-0000 taken as 0059-0200"),  // 20
    // "1159-0100" reads as a 12-hour clock: 11:59 pm on the Saturday, then 01:00 on the Sunday (Cuba's rule).
    hour({nth(2, Sun, Mar), at(0)}, {nth(1, Sun, Nov), at(59)}, "start 1159 taken as 11:59 pm before the Sunday"), // 21
    hour({nth(1, Sun, Oct), at(159)}, {onOrAfter(Sun, 11, Feb), at(259)}),                            // 22
    // "Oct" lacks its dot, and "1st Sunday on or after 9th" is taken as the first Sunday from the 9th on.
    hour({onOrAfter(Sun, 9, Oct), at(159)}, {onOrAfter(Sun, 9, Mar), at(259)}, "\"Oct\" taken as October"), // 23
    // Which of the two days: the 21st in leap years, else the 22nd, which is where Iran's calendar put its changes
    // in 2017 to 2022.
    {30, 60, {fixedDay(Mar, 22, 21), at(0)}, {fixedDay(Sep, 22, 21), at(0)},
     "the 21st in leap years, else the 22nd"},                                                        // 24
    forced(15),                                                                                       // 25
    forced(45),                                                                                       // 26
    hour({last(Wed, Apr), at(2359)}, {last(Wed, Oct), at(2359)}),                                     // 27
    hour({last(Sun, Mar), at(159)}, {last(Sun, Nov), at(159)}),                                       // 28
    hour({nth(1, Sun, Mar), at(159)}, {last(Sun, Nov), at(159)}, "end \"0159 - 0100\" taken as 0159-0100"), // 29
    hour({nth(2, Sun, Mar), at(159)}, {nth(1, Sun, Nov), at(159)}),                                   // 30
    hour({nth(1, Sun, Oct), at(159)}, {nth(1, Sun, Apr), at(259)}),                                   // 31
    hour({last(Sun, Sep), at(159)}, {nth(1, Sun, Apr), at(159)}),                                     // 32
    hour({nth(1, Sun, Nov), at(159)}, {nth(3, Sun, Jan), at(259)}),                                   // 33
    hour({last(Fri, Mar), at(0)}, {last(Fri, Oct), at(59)}),                                          // 34
    halfAndHour({nth(1, Sun, Oct), at(159)}, {nth(1, Sun, Apr), at(259)}),                            // 35
    hour({last(Sun, Mar), at(159)}, {last(Sun, Oct), at(259)}),                                       // 36
    // "0259-0000" would go back three hours; the "0000" and the start's one hour agree on 0059-0000.
    hour({last(Fri, Feb), at(2359)}, {last(Fri, Oct), at(59)}, "end 0259-0000 taken as 0059-0000"),   // 37
    // "1st->2nd": the day moved from the first Sunday to the second; the newer day is taken.
    hour({nth(2, Sun, Nov), at(159)}, {nth(2, Sun, Jan), at(259)}, "\"1st->2nd\" taken as the 2nd Sunday"), // 38
}};
// clang-format on

constexpr qint64 kDay = 86400;
constexpr qint64 kUnixEpochJulianDay = 2440588;

QDate dayIn(int year, const ChangeDay& c)
{
    QDate date;
    switch (c.kind) {
    case DayKind::OnOrAfter:
        date = QDate(year, c.month, c.day);
        date = date.addDays((c.weekday - date.dayOfWeek() + 7) % 7);
        break;
    case DayKind::Last:
        date = QDate(year, c.month, 1).addMonths(1).addDays(-1);
        date = date.addDays(-((date.dayOfWeek() - c.weekday + 7) % 7));
        break;
    case DayKind::Fixed:
        date = QDate(year, c.month, QDate::isLeapYear(year) ? c.leapDay : c.day);
        break;
    }
    return date.addDays(c.shift);
}

// The instant (seconds since 1970 UTC) of a change in `year`, on a clock whose time before it is UTC + `offsetBefore`.
qint64 instantOf(int year, const Change& change, int offsetBefore)
{
    return (dayIn(year, change.day).toJulianDay() - kUnixEpochJulianDay) * kDay + change.minute * 60 - offsetBefore;
}

int yearOf(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).date().year();
}

bool validDaylight(int position)
{
    return position >= 0 && position < int(kRules.size());
}

} // namespace

std::optional<int> ZoneOffsetMinutes(int zonePosition)
{
    if (zonePosition < 0 || zonePosition >= int(TimeZoneList.size()))
        return std::nullopt;
    const int code = TimeZoneList[size_t(zonePosition)].code;
    if (code <= 14)
        return code * 60;
    if (code >= 20 && code <= 31)
        return (code - 32) * 60;
    return std::nullopt; // 16, CLOCK OFF
}

bool IsApproximateRule(int daylightPosition)
{
    return validDaylight(daylightPosition) && kRules[size_t(daylightPosition)].reading;
}

QString ApproximateReading(int daylightPosition)
{
    return IsApproximateRule(daylightPosition) ? QString::fromLatin1(kRules[size_t(daylightPosition)].reading)
                                               : QString();
}

std::optional<OffsetTimeline> ShownOffsets(int zonePosition, int daylightPosition, qint64 fromSecs, qint64 toSecs)
{
    const std::optional<int> zone = ZoneOffsetMinutes(zonePosition);
    if (!zone || !validDaylight(daylightPosition))
        return std::nullopt;
    const DaylightRule& rule = kRules[size_t(daylightPosition)];
    const int standard = (*zone + rule.baseMinutes) * 60;
    const int daylight = standard + rule.savingMinutes * 60;
    OffsetTimeline timeline{standard, {}};
    if (rule.savingMinutes == 0)
        return timeline;

    // Every change of the years around the span, in order; a year before it gives the state at its start.
    QList<std::pair<qint64, bool>> changes; // instant, daylight from then on
    for (int year = yearOf(fromSecs) - 1; year <= yearOf(toSecs) + 1; ++year) {
        changes.append({instantOf(year, rule.start, standard), true});
        changes.append({instantOf(year, rule.end, daylight), false});
    }
    std::sort(changes.begin(), changes.end());
    bool inDaylight = false;
    for (const auto& [instant, toDaylight] : changes) {
        if (instant >= toSecs)
            break;
        if (instant > fromSecs && toDaylight != inDaylight)
            timeline.changes.append({instant, toDaylight ? daylight : standard});
        inDaylight = toDaylight;
        if (instant <= fromSecs)
            timeline.initial = inDaylight ? daylight : standard;
    }
    return timeline;
}

ShownTime LocalTimeShown(int zonePosition, int daylightPosition, const QDateTime& utc)
{
    ShownTime shown;
    const qint64 secs = utc.toSecsSinceEpoch();
    const std::optional<OffsetTimeline> timeline = ShownOffsets(zonePosition, daylightPosition, secs, secs + 1);
    if (!timeline || !utc.isValid())
        return shown;
    shown.off = false;
    shown.offsetSeconds = timeline->initial;
    shown.local = utc.toOffsetFromUtc(shown.offsetSeconds);
    const DaylightRule& rule = kRules[size_t(daylightPosition)];
    shown.daylight =
        rule.savingMinutes != 0 && shown.offsetSeconds != (*ZoneOffsetMinutes(zonePosition) + rule.baseMinutes) * 60;
    shown.approximate = rule.reading != nullptr;
    return shown;
}

std::optional<TimeJump> NextChange(int zonePosition, int daylightPosition, const QDateTime& utc)
{
    if (!utc.isValid())
        return std::nullopt;
    const qint64 secs = utc.toSecsSinceEpoch();
    // Every rule changes at least twice a year.
    const std::optional<OffsetTimeline> timeline =
        ShownOffsets(zonePosition, daylightPosition, secs, secs + 2 * 366 * kDay);
    if (!timeline || timeline->changes.isEmpty())
        return std::nullopt;
    const auto& [instant, offset] = timeline->changes.first();
    return TimeJump{QDateTime::fromSecsSinceEpoch(instant, Qt::UTC), offset - timeline->initial};
}
