#include "model/CodeMatching.h"

#include "model/CodeTables.h"
#include "model/LocalTime.h"
#include "model/WireFormat.h"

#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {
constexpr int kPeriodsKept = 3;
constexpr int kClosestKept = 5;
// Positions 13 (GMT) and 14 (WET) both send code 0, so the clocks cannot tell them apart: only the first is
// offered, as the packet monitor also names code 0 by it.
constexpr int kSecondUtcZone = 14;

qint64 secsAtNewYear(int year)
{
    return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

} // namespace

// Step by step: in Qt 6.4 QTimeZone::transitions() stops in 2037, where the zone files' listed changes end, and
// nextTransition() from the last listed change finds nothing, while from a second later it goes on by the zone's rule.
OffsetTimeline PlaceOffsets(const QTimeZone& zone, qint64 fromSecs, qint64 toSecs)
{
    QDateTime at = QDateTime::fromSecsSinceEpoch(fromSecs, Qt::UTC);
    OffsetTimeline timeline{zone.offsetFromUtc(at), {}};
    int current = timeline.initial;
    for (;;) {
        QTimeZone::OffsetData data = zone.nextTransition(at);
        if (!data.atUtc.isValid())
            data = zone.nextTransition(at.addSecs(1));
        if (!data.atUtc.isValid() || data.atUtc <= at || data.atUtc.toSecsSinceEpoch() >= toSecs)
            break;
        at = data.atUtc;
        // Some entries only rename the time (standard and daylight swapped, a new abbreviation): not a jump.
        if (data.offsetFromUtc != current)
            timeline.changes.append({at.toSecsSinceEpoch(), data.offsetFromUtc});
        current = data.offsetFromUtc;
    }
    return timeline;
}

namespace {
// Walks both step functions over their changes together; `weight` sums how far off, times how long.
CodeMatch compare(const OffsetTimeline& place, const OffsetTimeline& clock, qint64 fromSecs, qint64 toSecs,
                  qint64& weight)
{
    CodeMatch match;
    weight = 0;
    int placeOffset = place.initial, clockOffset = clock.initial;
    qsizetype p = 0, c = 0;
    DifferingPeriod lastPeriod;
    for (qint64 at = fromSecs; at < toSecs;) {
        qint64 next = toSecs;
        if (p < place.changes.size())
            next = std::min(next, place.changes[p].first);
        if (c < clock.changes.size())
            next = std::min(next, clock.changes[c].first);
        if (const int ahead = clockOffset - placeOffset; ahead != 0) {
            match.differingSeconds += next - at;
            weight += (next - at) * std::abs(ahead);
            if (match.periodCount > 0 && lastPeriod.toSecs == at && lastPeriod.aheadSeconds == ahead) {
                lastPeriod.toSecs = next;
            } else {
                lastPeriod = {at, next, ahead};
                ++match.periodCount;
            }
            if (match.periodCount <= kPeriodsKept) {
                if (match.firstPeriods.size() < match.periodCount)
                    match.firstPeriods.append(lastPeriod);
                else
                    match.firstPeriods.last() = lastPeriod;
            }
        }
        at = next;
        for (; p < place.changes.size() && place.changes[p].first == at; ++p)
            placeOffset = place.changes[p].second;
        for (; c < clock.changes.size() && clock.changes[c].first == at; ++c)
            clockOffset = clock.changes[c].second;
    }
    return match;
}

QString plural(qint64 n, const char* unit)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(unit), n == 1 ? "" : "s");
}

QString durationText(qint64 secs)
{
    const qint64 minutes = (secs + 59) / 60;
    QStringList parts;
    if (minutes >= 24 * 60)
        parts << plural(minutes / (24 * 60), "day");
    if (minutes / 60 % 24)
        parts << plural(minutes / 60 % 24, "hour");
    if (minutes % 60 || parts.isEmpty())
        parts << plural(minutes % 60, "minute");
    return parts.join(u' ');
}

// Whether the local time the place shows at `secs` is also shown at another moment: its clocks went back over it.
bool shownTwice(const QTimeZone& zone, qint64 secs)
{
    constexpr qint64 kDay = 24 * 3600; // wider than any jump
    const OffsetTimeline around = PlaceOffsets(zone, secs - kDay, secs + kDay);
    const auto offsetAt = [&around](qint64 at) {
        int offset = around.initial;
        for (const auto& [change, to] : around.changes)
            if (change <= at)
                offset = to;
        return offset;
    };
    const qint64 local = secs + offsetAt(secs);
    for (const auto& [change, offset] : around.changes)
        for (const int other : {offset, offsetAt(change - 1)})
            if (local - other != secs && offsetAt(local - other) == other)
                return true;
    return false;
}

// In the place's local time; the end as the time in force up to it, so a spell ending at a jump reads 00:00, not 01:00.
// Where the clocks went back, a time shown twice gets its offset: "02:00 to 03:00 UTC+13:00" is the first pass.
QString periodText(const DifferingPeriod& period, const QTimeZone& zone)
{
    const QDateTime fromThere = QDateTime::fromSecsSinceEpoch(period.fromSecs, zone);
    const QDateTime from = fromThere.toOffsetFromUtc(fromThere.offsetFromUtc());
    const QDateTime lastSecond = QDateTime::fromSecsSinceEpoch(period.toSecs - 1, zone);
    const QDateTime to = lastSecond.toOffsetFromUtc(lastSecond.offsetFromUtc()).addSecs(1);
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    const int ahead = std::abs(period.aheadSeconds);
    QStringList by;
    if (ahead >= 3600)
        by << QStringLiteral("%1 h").arg(ahead / 3600);
    if (ahead % 3600)
        by << QStringLiteral("%1 min").arg(ahead % 3600 / 60);
    // One offset after a range within a day says both ends are in it; else each end shown twice has its own.
    const bool fromTwice = shownTwice(zone, period.fromSecs), toTwice = shownTwice(zone, period.toSecs - 1);
    const bool sameDay = to.date() == from.date();
    const bool oneOffset = sameDay && (fromTwice || toTwice) && from.offsetFromUtc() == to.offsetFromUtc();
    const QString offset = QStringLiteral(" t");
    return from.toString(fromTwice && !oneOffset ? format + offset : format) + QStringLiteral(" to ") +
           to.toString((sameDay ? QStringLiteral("HH:mm") : format) + (toTwice || oneOffset ? offset : QString())) +
           QStringLiteral(" (") + by.join(u' ') +
           (period.aheadSeconds > 0 ? QStringLiteral(" ahead)") : QStringLiteral(" behind)"));
}
} // namespace

QList<CodeMatch> MatchingCodes(const QByteArray& ianaZone, int fromYear, int toYear, qint64 fromSecs)
{
    if (fromYear > toYear || fromYear < kFirstPacketYear || toYear > kLastPacketYear)
        return {};
    return MatchingCodesBetween(ianaZone, std::max(fromSecs, secsAtNewYear(fromYear)), secsAtNewYear(toYear + 1));
}

namespace {
bool spanFits(qint64 fromSecs, qint64 toSecs)
{
    return fromSecs < toSecs && fromSecs >= secsAtNewYear(kFirstPacketYear) &&
           toSecs <= secsAtNewYear(kLastPacketYear + 1);
}
} // namespace

std::optional<CodeMatch> MatchPair(const QByteArray& ianaZone, int zonePosition, int daylightPosition, qint64 fromSecs,
                                   qint64 toSecs)
{
    const QTimeZone zone(ianaZone);
    if (!zone.isValid() || !spanFits(fromSecs, toSecs))
        return std::nullopt;
    const std::optional<OffsetTimeline> clock = ShownOffsets(zonePosition, daylightPosition, fromSecs, toSecs);
    if (!clock)
        return std::nullopt;
    qint64 weight = 0;
    CodeMatch match = compare(PlaceOffsets(zone, fromSecs, toSecs), *clock, fromSecs, toSecs, weight);
    match.zonePosition = zonePosition;
    match.daylightPosition = daylightPosition;
    match.approximate = IsApproximateRule(daylightPosition);
    return match;
}

QList<CodeMatch> MatchingCodesBetween(const QByteArray& ianaZone, qint64 fromSecs, qint64 toSecs)
{
    // Any zone the system knows, also those not listed for a country (Etc/GMT+12, UTC).
    const QTimeZone zone(ianaZone);
    if (!zone.isValid() || !spanFits(fromSecs, toSecs))
        return {};
    const OffsetTimeline place = PlaceOffsets(zone, fromSecs, toSecs);

    QList<std::pair<qint64, CodeMatch>> all; // weight, match
    for (int z = 0; z < int(TimeZoneList.size()); ++z) {
        if (z == kSecondUtcZone)
            continue;
        for (int d = 0; d < int(DaylightList.size()); ++d) {
            const std::optional<OffsetTimeline> clock = ShownOffsets(z, d, fromSecs, toSecs);
            if (!clock) // CLOCK OFF
                continue;
            qint64 weight = 0;
            CodeMatch match = compare(place, *clock, fromSecs, toSecs, weight);
            match.zonePosition = z;
            match.daylightPosition = d;
            match.approximate = IsApproximateRule(d);
            all.append({weight, match});
        }
    }
    // Shortest difference first, then the smallest error; a rule read as written before one whose reading was
    // chosen; then "none" before a forced offset (lower daylight positions), and the list's order.
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return std::tuple(a.second.differingSeconds, a.first, a.second.approximate, a.second.daylightPosition,
                          a.second.zonePosition) < std::tuple(b.second.differingSeconds, b.first, b.second.approximate,
                                                              b.second.daylightPosition, b.second.zonePosition);
    });
    // Every exact pair; when there is none, the closest few.
    QList<CodeMatch> result;
    for (const auto& [weight, match] : all) {
        const bool wanted = all.first().second.exact() ? match.exact() : result.size() < kClosestKept;
        if (!wanted)
            break;
        result.append(match);
    }
    return result;
}

QString DescribeMatch(const CodeMatch& match, const QByteArray& ianaZone)
{
    QString text;
    if (match.exact()) {
        text = QStringLiteral("exact");
    } else {
        const QTimeZone zone(ianaZone);
        QStringList periods;
        for (const DifferingPeriod& period : match.firstPeriods)
            periods << periodText(period, zone);
        if (match.periodCount > match.firstPeriods.size())
            periods << QStringLiteral("...");
        text = QStringLiteral("differs for %1 in total, in %2: %3")
                   .arg(durationText(match.differingSeconds), plural(match.periodCount, "period"),
                        periods.join(QStringLiteral(", ")));
    }
    if (match.approximate)
        text += QStringLiteral("; rule read approximately: ") + ApproximateReading(match.daylightPosition);
    return text;
}
