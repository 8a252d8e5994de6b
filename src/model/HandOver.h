// The hand-over of one group to the refresh cycle: after start-up, the only way a group reaches ActiveGroups.
#pragma once

#include "model/GroupTable.h"

// A view on the tables' hand-over; every writer (Apply, the command keys and the service's commands, the settings
// follower) offers through it and the cycle takes over through it, so none can overwrite a group still waiting.
class HandOver
{
public:
    explicit HandOver(GroupTables& tables) : m_tables(tables) {}

    // No group waits for its take-over.
    bool idle() const { return m_tables.m_pendingGroup < 0; }
    // The group waiting for its take-over, or -1.
    int pending() const { return m_tables.m_pendingGroup; }

    // Offers EditGroups[index], its first clock brought up to date. Refused while another group waits: taking its
    // place would lose that group's change.
    bool offer(int index);
    // The same with `group` put into EditGroups[index] first; nothing changes when refused.
    bool offer(int index, const GroupRecord& group);
    // The cycle's step: copies the waiting group into ActiveGroups; its index, or -1 when none waited.
    int takeOver();

    // A cycle runs that will take offers over: waiting for a take-over makes sense only then.
    bool cycleRunning() const { return m_tables.m_cycleRunning; }
    void setCycleRunning(bool running) { m_tables.m_cycleRunning = running; }

private:
    bool accepts(int index) const;

    GroupTables& m_tables;
};
