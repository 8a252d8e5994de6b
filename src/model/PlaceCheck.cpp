#include "model/PlaceCheck.h"

#include "model/CodeMatching.h"
#include "model/CodeTables.h"
#include "model/GroupTable.h"
#include "model/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <QTimeZone>

#include <cstdlib>

namespace {
const QChar kTab(9);

const char* const kVerdictWords[] = {"exact", "differs", "unknown"};

QString placeKey(int index)
{
    return QStringLiteral("Place-") + IndexToLetter(index);
}

QString codesText(int zonePosition, int daylightPosition)
{
    return QStringLiteral("Time Zone \"%1\" with Daylight Savings \"%2\"")
        .arg(EntryText(TimeZoneList[size_t(zonePosition)]), EntryText(DaylightList[size_t(daylightPosition)]));
}

QString offText(int seconds)
{
    const int off = std::abs(seconds);
    QStringList by;
    if (off >= 3600)
        by << QStringLiteral("%1 h").arg(off / 3600);
    if (off % 3600)
        by << QStringLiteral("%1 min").arg(off % 3600 / 60);
    return by.join(u' ') + (seconds > 0 ? QStringLiteral(" ahead") : QStringLiteral(" behind"));
}

// The place's codes now, as the operator would get them from "Choose by place...".
QString cure(const PlacedGroup& group, const QList<CodeMatch>& best, const QString& horizon)
{
    if (best.isEmpty())
        return {};
    const CodeMatch& first = best.first();
    if (first.zonePosition == group.zonePosition && first.daylightPosition == group.daylightPosition)
        return QStringLiteral("; no other codes do better");
    if (first.exact())
        return QStringLiteral("; choose %1, exact for %2")
            .arg(codesText(first.zonePosition, first.daylightPosition), horizon);
    return QStringLiteral("; no codes are exact for %1, the closest are %2")
        .arg(horizon, codesText(first.zonePosition, first.daylightPosition));
}
} // namespace

QString GroupPlace(const SettingsStore& settings, int index)
{
    return settings.GetSetting(placeKey(index), QString());
}

void SaveGroupPlace(SettingsStore& settings, int index, const QString& place)
{
    if (place != GroupPlace(settings, index))
        settings.SaveSetting(placeKey(index), place);
}

QList<PlacedGroup> PlacedGroups(const std::array<GroupRecord, kGroupCount>& groups, const SettingsStore& settings)
{
    QList<PlacedGroup> placed;
    for (int g = 0; g < kGroupCount; ++g) {
        // A place edited by hand into something no zone is called still gets its "unknown", on one line.
        QString place = GroupPlace(settings, g);
        for (QChar& c : place)
            if (c.unicode() < 32 || c.unicode() == 127)
                c = u'?';
        if (!place.isEmpty())
            placed.append({g, place, groups[size_t(g)].ZoneIndex, groups[size_t(g)].DaylightIndex});
    }
    return placed;
}

QString HorizonText(int days)
{
    return days == 365 ? QStringLiteral("the next 12 months") : QStringLiteral("the next %1 days").arg(days);
}

PlaceFinding CheckPlace(const PlacedGroup& group, qint64 fromSecs, int days, const QString& zoneFolder)
{
    PlaceFinding finding;
    finding.group = group.index;
    finding.place = group.place;
    const QByteArray id = group.place.toUtf8();
    const qint64 toSecs = fromSecs + qint64(days) * 86400;
    const QString horizon = HorizonText(days);
    // A renamed place is still found under its old name: the database keeps a link for it. Without one, or
    // without a database at all, nothing can be said, and that is never "exact".
    const QTimeZone zone(id);
    if (!zone.isValid()) {
        finding.verdict = PlaceFinding::Verdict::Unknown;
        const bool empty = QDir(zoneFolder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot);
        finding.detail = empty ? QStringLiteral("the system's time zone database (%1) is empty or missing, so this "
                                                "place cannot be checked")
                                     .arg(zoneFolder)
                               : QStringLiteral("the system's time zone database no longer knows this place; choose "
                                                "the group's place again");
        return finding;
    }
    const QList<CodeMatch> best = MatchingCodesBetween(id, fromSecs, toSecs);
    const std::optional<CodeMatch> own = MatchPair(id, group.zonePosition, group.daylightPosition, fromSecs, toSecs);
    if (own && own->exact()) {
        finding.verdict = PlaceFinding::Verdict::Exact;
        finding.detail = QStringLiteral("exact for ") + horizon;
        return finding;
    }
    finding.verdict = PlaceFinding::Verdict::Differs;
    if (!own) {
        finding.detail = QStringLiteral("the group's codes turn its clocks off") + cure(group, best, horizon);
        return finding;
    }
    const DifferingPeriod& first = own->firstPeriods.first();
    const QString how = offText(first.aheadSeconds);
    finding.detail =
        first.fromSecs == fromSecs
            ? QStringLiteral("its clocks are %1 now").arg(how)
            : QStringLiteral("from %1 (%2 time) its clocks will be %3")
                  .arg(QDateTime::fromSecsSinceEpoch(first.fromSecs, zone).toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                       group.place, how);
    finding.detail += cure(group, best, horizon);
    return finding;
}

QString PlaceFinding::line() const
{
    return QStringList{IndexToLetter(group), place, QLatin1String(kVerdictWords[int(verdict)]), detail}.join(kTab);
}

std::optional<PlaceFinding> PlaceFinding::parse(const QString& line)
{
    const QStringList fields = line.split(kTab);
    if (fields.size() != 4 || fields[1].isEmpty() || fields[3].isEmpty())
        return std::nullopt;
    if (fields[0].size() != 1 || fields[0] < QStringLiteral("A") || fields[0] > QStringLiteral("Z"))
        return std::nullopt;
    PlaceFinding finding;
    finding.group = LetterToIndex(fields[0]);
    finding.place = fields[1];
    finding.detail = fields[3];
    for (int v = 0; v < 3; ++v)
        if (fields[2] == QLatin1String(kVerdictWords[v])) {
            finding.verdict = PlaceFinding::Verdict(v);
            return finding;
        }
    return std::nullopt;
}

QString PlacedGroup::line() const
{
    return QStringList{IndexToLetter(index), place, QString::number(zonePosition), QString::number(daylightPosition)}
        .join(kTab);
}

std::optional<QList<PlacedGroup>> ParsePlacedGroups(const QString& text)
{
    QList<PlacedGroup> groups;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        bool zoneOk = false, daylightOk = false;
        PlacedGroup group;
        if (f.size() == 4 && f[0].size() == 1 && f[0] >= QStringLiteral("A") && f[0] <= QStringLiteral("Z")) {
            group = {LetterToIndex(f[0]), f[1], f[2].toInt(&zoneOk), f[3].toInt(&daylightOk)};
        }
        if (!zoneOk || !daylightOk || group.place.isEmpty() || group.zonePosition < 0 ||
            group.zonePosition >= int(TimeZoneList.size()) || group.daylightPosition < 0 ||
            group.daylightPosition >= int(DaylightList.size()))
            return std::nullopt;
        groups.append(group);
    }
    return groups;
}
