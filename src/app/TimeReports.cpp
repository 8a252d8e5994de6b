#include "app/TimeReports.h"

#include "model/ClockList.h"
#include "model/CodeMatching.h"
#include "model/CodeTables.h"
#include "model/LocalTime.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kDefaultYears = 10;

QString offsetText(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(QChar(seconds < 0 ? u'-' : u'+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// "2027-03-14 02:00 becomes 03:00": the moment in the time shown before it, and what is shown then.
QString changeText(const TimeJump& jump, int offsetBefore)
{
    const QDateTime before = jump.atUtc.toOffsetFromUtc(offsetBefore);
    const QDateTime after = jump.atUtc.toOffsetFromUtc(offsetBefore + jump.seconds);
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    return QStringLiteral("%1 becomes %2")
        .arg(before.toString(format), after.toString(after.date() == before.date() ? QStringLiteral("HH:mm") : format));
}
} // namespace

TimeReport MatchZoneReport(const QString& zone, const QString& years, const QDateTime& utcNow)
{
    TimeReport report;
    int from = utcNow.date().year(), to = from + kDefaultYears;
    qint64 fromSecs = utcNow.toSecsSinceEpoch(); // years not given: from now, so nothing past is listed
    if (!years.isEmpty()) {
        fromSecs = 0;
        static const QRegularExpression form(QStringLiteral("^(\\d{4})(?:-(\\d{4}))?$"));
        const QRegularExpressionMatch m = form.match(years);
        from = m.hasMatch() ? m.captured(1).toInt() : 0;
        to = m.captured(2).isEmpty() ? from : m.captured(2).toInt();
    }
    const QList<CodeMatch> matches = MatchingCodes(zone.toUtf8(), from, to, fromSecs);
    if (matches.isEmpty()) {
        report.exitCode = 2;
        report.err =
            QTimeZone(zone.toUtf8()).isValid()
                ? QStringLiteral("years must be one year or two joined by \"-\", in order, within 1984-2239, "
                                 "not \"%1\"\n")
                      .arg(years)
                : QStringLiteral("unknown time zone \"%1\" (timedatectl list-timezones lists them)\n").arg(zone);
        return report;
    }
    for (const CodeMatch& match : matches) {
        report.out +=
            QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                .arg(match.zonePosition)
                .arg(match.daylightPosition)
                .arg(EntryText(TimeZoneList[size_t(match.zonePosition)]),
                     EntryText(DaylightList[size_t(match.daylightPosition)]), DescribeMatch(match, zone.toUtf8()));
    }
    if (!matches.first().exact()) {
        report.exitCode = 1;
        report.err = QStringLiteral("no codes show the time of %1 exactly %2; the closest are listed\n")
                         .arg(zone, fromSecs ? QStringLiteral("from now to the end of %1").arg(to)
                                             : QStringLiteral("in %1-%2").arg(from).arg(to));
    }
    return report;
}

ShownTimeText DescribeShownTime(int zonePosition, int daylightPosition, const QDateTime& utcNow)
{
    const ShownTime shown = LocalTimeShown(zonePosition, daylightPosition, utcNow);
    if (shown.off)
        return {QStringLiteral("off"), {}, {}};
    ShownTimeText text{shown.local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + offsetText(shown.offsetSeconds),
                       {},
                       shown.approximate ? ApproximateReading(daylightPosition) : QString()};
    if (const std::optional<TimeJump> jump = NextChange(zonePosition, daylightPosition, utcNow))
        text.change = changeText(*jump, shown.offsetSeconds);
    return text;
}

QString ShownTimeTip(int zonePosition, int daylightPosition, const QDateTime& utcNow)
{
    const ShownTimeText time = DescribeShownTime(zonePosition, daylightPosition, utcNow);
    if (time.shows == QStringLiteral("off"))
        return QStringLiteral("Clocks with these codes are off.");
    return QStringLiteral("Clocks with these codes show %1 now; %2.%3")
        .arg(time.shows, time.change.isEmpty() ? QStringLiteral("no change ahead") : "next change " + time.change,
             time.reading.isEmpty() ? QString() : "\nThe rule's text is unclear; read as: " + time.reading + '.');
}

QList<ClockTimeRow> ClockTimeRows(const GroupTables& tables, const QDateTime& utcNow)
{
    QList<ClockTimeRow> rows;
    for (int g = 0; g < kGroupCount; ++g) {
        const GroupRecord& group = tables.ActiveGroups[size_t(g)];
        const QString clocks = FormatClockList(group.Clocks);
        if (!clocks.isEmpty())
            rows.append({IndexToLetter(g), clocks, EntryText(TimeZoneList[size_t(group.ZoneIndex)]),
                         EntryText(DaylightList[size_t(group.DaylightIndex)]),
                         DescribeShownTime(group.ZoneIndex, group.DaylightIndex, utcNow)});
    }
    return rows;
}

TimeReport ClockTimesReport(const GroupTables& tables, const QDateTime& utcNow)
{
    TimeReport report;
    for (const ClockTimeRow& row : ClockTimeRows(tables, utcNow)) {
        QString change = row.time.change.isEmpty() ? QStringLiteral("no change") : "next change " + row.time.change;
        if (!row.time.reading.isEmpty())
            change += QStringLiteral(" (rule read approximately: %1)").arg(row.time.reading);
        report.out += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                          .arg(row.letter, row.clocks, row.time.shows, change, row.zone, row.daylight);
    }
    if (report.out.isEmpty())
        report.err = QStringLiteral("no group has a clock\n");
    return report;
}

TimeReport CheckPlacesReport(const QList<PlaceFinding>& findings)
{
    TimeReport report;
    for (const PlaceFinding& finding : findings) {
        report.out += finding.line() + u'\n';
        const int code = finding.verdict == PlaceFinding::Verdict::Unknown ? 2 : finding.exact() ? 0 : 1;
        report.exitCode = std::max(report.exitCode, code);
    }
    if (findings.isEmpty())
        report.err = QStringLiteral("no group has a place (choose a group's codes by place in the window)\n");
    return report;
}
