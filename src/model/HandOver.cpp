#include "model/HandOver.h"

bool HandOver::accepts(int index) const
{
    return idle() && index >= 0 && index < kGroupCount;
}

bool HandOver::offer(int index)
{
    if (!accepts(index))
        return false;
    UpdateFirstClock(m_tables, index);
    m_tables.m_pendingGroup = qint16(index);
    return true;
}

bool HandOver::offer(int index, const GroupRecord& group)
{
    if (!accepts(index))
        return false;
    m_tables.EditGroups[size_t(index)] = group;
    return offer(index);
}

int HandOver::takeOver()
{
    const int index = m_tables.m_pendingGroup;
    if (index < 0)
        return -1;
    m_tables.ActiveGroups[size_t(index)] = m_tables.EditGroups[size_t(index)];
    m_tables.m_pendingGroup = -1;
    return index;
}
