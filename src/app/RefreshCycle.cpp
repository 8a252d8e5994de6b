#include "app/RefreshCycle.h"

#include "model/HandOver.h"

bool RefreshCycle::RefreshNextClock()
{
    const int taken = HandOver(m_tables).takeOver();
    // A group taken over with clocks is walked from its first clock at once; one without clocks moves nothing.
    if (taken >= 0 && m_tables.ActiveGroups[size_t(taken)].FirstClock != -1) {
        CurrentGroup = qint16(taken);
        CurrentClock = qint16(m_tables.ActiveGroups[size_t(taken)].FirstClock - 1);
    }

    for (;;) {
        ++CurrentClock;
        if (CurrentClock > kHighestClock) {
            bool found = false;
            for (int i = 0; i < kGroupCount && !found; ++i) {
                // The one-shot command has reached every clock of the group being left.
                m_tables.ActiveGroups[size_t(CurrentGroup)].CommandCode = 0;
                CurrentGroup = qint16((CurrentGroup + 1) % kGroupCount);
                CurrentClock = m_tables.ActiveGroups[size_t(CurrentGroup)].FirstClock;
                found = CurrentClock != -1;
            }
            if (!found)
                return false;
        }
        if (m_tables.ActiveGroups[size_t(CurrentGroup)].Clocks[size_t(CurrentClock)])
            return true;
    }
}
