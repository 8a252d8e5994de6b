#include "app/CommandCourier.h"

#include "model/HandOver.h"
#include "model/WireFormat.h"

#include <QString>

#include <algorithm>
#include <iterator>

CommandCourier::CommandCourier(GroupTables& tables, QObject* parent) : QObject(parent), m_tables(tables) {}

QString CommandCourier::give(const QString& letter, int code)
{
    const int group = letter.size() == 1 ? LetterToIndex(letter) : -1;
    if (group < 0 || group >= kGroupCount)
        return QStringLiteral("A group is a letter A to Z, not \"%1\"").arg(letter);
    if (std::find(std::begin(kKeyCommandCodes), std::end(kKeyCommandCodes), code) == std::end(kKeyCommandCodes))
        return QStringLiteral("A command is one the command keys send: 236, 172, 156, or 220 for the factory reset; "
                              "not %1")
            .arg(code);
    if (m_tables.ActiveGroups[size_t(group)].FirstClock == -1)
        return QStringLiteral("Group %1 has no clocks").arg(letter);
    const bool waits = std::any_of(m_queue.begin(), m_queue.end(), [group](const auto& c) { return c.first == group; });
    if (waits || m_travelling == group)
        return QStringLiteral("Group %1 has a command on its way: give the next once it has reached the clocks")
            .arg(letter);
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
