#include "model/GroupTable.h"

#include "model/CodeTables.h"
#include "model/SettingsStore.h"

#include <QStringList>

namespace {

const QChar kTab(9);

QString groupKey(int index)
{
    return QStringLiteral("Group-") + IndexToLetter(index);
}

// A whole number in -32768..32767 written in decimal; false for anything else.
bool readInt16(const QString& text, qint16& value)
{
    bool ok = false;
    const short parsed = text.toShort(&ok, 10);
    if (ok)
        value = parsed;
    return ok;
}

} // namespace

QString IndexToLetter(int index)
{
    return QString(QChar(u'A' + index));
}

qint16 LetterToIndex(const QString& letter)
{
    return qint16(letter.at(0).unicode() - u'A');
}

void UpdateFirstClock(GroupTables& tables, int index)
{
    GroupRecord& group = tables.EditGroups[size_t(index)];
    group.FirstClock = -1;
    for (int n = 0; n < kClockCount; ++n) {
        if (group.Clocks[size_t(n)]) {
            group.FirstClock = qint16(n);
            break;
        }
    }
}

QString StoredGroupText(const GroupRecord& group)
{
    // A TAB in the text would split the record when read back.
    QString text = group.DisplayText;
    text.replace(kTab, QLatin1Char(' '));
    return FormatClockList(group.Clocks) + kTab + QString::number(group.ZoneIndex) + kTab +
           QString::number(group.DaylightIndex) + kTab + text + kTab + QLatin1Char('0');
}

bool ParseStoredGroup(const QString& stored, GroupRecord& group)
{
    const QStringList fields = stored.isEmpty() ? QStringList() : stored.split(kTab);
    if (fields.size() == 4 || fields.size() == 5) {
        ClockFlags clocks{};
        qint16 zone = 0, daylight = 0;
        // A position outside its list would make every later lookup read past the table.
        if (ParseClockList(clocks, fields[0]).isEmpty() && readInt16(fields[1], zone) &&
            readInt16(fields[2], daylight) && zone >= 0 && zone < qint16(TimeZoneList.size()) && daylight >= 0 &&
            daylight < qint16(DaylightList.size())) {
            group.Clocks = clocks;
            group.ZoneIndex = zone;
            group.DaylightIndex = daylight;
            group.DisplayText = fields[3];
            return true;
        }
    }
    group.Clocks = {};
    group.ZoneIndex = 0;
    group.DaylightIndex = 0;
    group.DisplayText.clear();
    return false;
}

void LoadGroup(GroupTables& tables, const SettingsStore& settings, int index)
{
    ParseStoredGroup(settings.GetSetting(groupKey(index), QString()), tables.EditGroups[size_t(index)]);
}

void SaveGroup(const GroupTables& tables, SettingsStore& settings, int index)
{
    const QString text = StoredGroupText(tables.EditGroups[size_t(index)]);
    if (text != settings.GetSetting(groupKey(index), QString()))
        settings.SaveSetting(groupKey(index), text);
}

void LoadAllGroups(GroupTables& tables, const SettingsStore& settings)
{
    for (int g = 0; g < kGroupCount; ++g) {
        LoadGroup(tables, settings, g);
        ClockFlags& clocks = tables.EditGroups[size_t(g)].Clocks;
        for (int e = 0; e < g; ++e) {
            for (size_t n = 0; n < clocks.size(); ++n) {
                if (tables.EditGroups[size_t(e)].Clocks[n])
                    clocks[n] = false;
            }
        }
        UpdateFirstClock(tables, g);
        tables.ActiveGroups[size_t(g)] = tables.EditGroups[size_t(g)];
    }
}
