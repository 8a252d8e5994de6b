#include "app/CommandCourier.h"

#include "model/HandOver.h"

#include <QString>

CommandCourier::CommandCourier(GroupTables& tables, QObject* parent) : QObject(parent), m_tables(tables) {}

QString CommandCourier::give(int group, int code)
{
    if (group < 0 || group >= kGroupCount)
        return QStringLiteral("There is no group %1").arg(group);
    if (code < 1 || code > 255)
        return QStringLiteral("A command code is 1 to 255, not %1").arg(code);
    if (m_tables.ActiveGroups[size_t(group)].FirstClock == -1)
        return QStringLiteral("Group %1 has no clocks").arg(IndexToLetter(group));
    m_queue.append({group, code});
    return {};
}

void CommandCourier::afterTick()
{
    if (m_travelling >= 0) {
        GroupRecord& edit = m_tables.EditGroups[size_t(m_travelling)];
        if (!m_takenOver) {
            if (HandOver(m_tables).pending() == m_travelling)
                return;
            // Taken over with its command: from here the cycle carries it to each clock and clears it after the last.
            edit.CommandCode = 0;
            m_takenOver = true;
            return;
        }
        if (m_tables.ActiveGroups[size_t(m_travelling)].CommandCode != 0)
            return;
        const int group = m_travelling;
        m_travelling = -1;
        emit done(group, m_code, true);
    }
    if (m_queue.isEmpty() || !HandOver(m_tables).idle())
        return;
    const auto [group, code] = m_queue.first();
    if (m_tables.ActiveGroups[size_t(group)].FirstClock == -1) { // its clocks went while it waited
        m_queue.removeFirst();
        emit done(group, code, false);
        return;
    }
    // The group as in force, with the command: the same hand-over the window's Apply and command keys use.
    GroupRecord withCommand = m_tables.ActiveGroups[size_t(group)];
    withCommand.CommandCode = qint16(code);
    if (!HandOver(m_tables).offer(group, withCommand))
        return;
    m_queue.removeFirst();
    m_travelling = group;
    m_code = code;
    m_takenOver = false;
}
