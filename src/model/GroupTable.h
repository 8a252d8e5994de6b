// The 26 clock groups: the record, the edited and the sent tables, and the stored form.
#pragma once

#include "model/ClockList.h"

#include <QString>
#include <array>

class SettingsStore;

constexpr int kGroupCount = 26;

struct GroupRecord
{
    ClockFlags Clocks{};
    qint16 ZoneIndex = 0;     // position in TimeZoneList, not the code
    qint16 DaylightIndex = 0; // position in DaylightList
    QString DisplayText;
    qint16 FirstClock = -1; // lowest clock in Clocks, -1 for none; derived, never stored
    qint16 CommandCode = 0; // one-shot command byte; never stored

    bool operator==(const GroupRecord&) const = default;
};

struct GroupTables
{
    std::array<GroupRecord, kGroupCount> EditGroups{};   // what the windows edit
    std::array<GroupRecord, kGroupCount> ActiveGroups{}; // what the refresh cycle sends

private:
    friend class HandOver;      // the only way in to the hand-over
    qint16 m_pendingGroup = -1; // offered, not yet taken over; -1 when none
    bool m_cycleRunning = false;
};

QString IndexToLetter(int index);
qint16 LetterToIndex(const QString& letter);

void UpdateFirstClock(GroupTables& tables, int index);

// The stored form: clock list, zone position, daylight position, text and "0", joined by TABs.
QString StoredGroupText(const GroupRecord& group);
// Reads a stored form into `group` (Clocks, ZoneIndex, DaylightIndex, DisplayText); false, with `group`
// set to the defaults, when it is malformed in any way.
bool ParseStoredGroup(const QString& stored, GroupRecord& group);

void LoadGroup(GroupTables& tables, const SettingsStore& settings, int index);
// Writes the group only when its stored form differs from what is stored.
void SaveGroup(const GroupTables& tables, SettingsStore& settings, int index);

// Start-up: loads every group, keeps a clock only in the lowest group that lists it, fills both tables.
void LoadAllGroups(GroupTables& tables, const SettingsStore& settings);
