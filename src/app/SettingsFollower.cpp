#include "app/SettingsFollower.h"

#include "model/HandOver.h"
#include "model/SettingsStore.h"

#include <QFileInfo>

SettingsFollower::SettingsFollower(GroupTables& tables, QString settingsPath, QObject* parent)
    : QObject(parent), m_tables(tables), m_path(std::move(settingsPath))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &SettingsFollower::reread);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &SettingsFollower::poll);
    m_poll.start();

    const QFileInfo file(m_path);
    m_seenModified = file.lastModified();
    m_seenSize = file.exists() ? file.size() : -1;
    watch();
}

void SettingsFollower::watch()
{
    // A save replaces the file, which ends the watch on it; the folder's watch sees the replacement.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo::exists(folder))
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

void SettingsFollower::poll()
{
    const QFileInfo file(m_path);
    if (file.lastModified() != m_seenModified || (file.exists() ? file.size() : -1) != m_seenSize)
        reread();
    watch();
}

void SettingsFollower::reread()
{
    watch();
    const QFileInfo file(m_path);
    m_seenModified = file.lastModified();
    m_seenSize = file.exists() ? file.size() : -1;

    // The same reading as at start-up, so a clock listed twice stays in the lower group here as well.
    GroupTables stored;
    const SettingsStore settings(m_path);
    // A file damaged while the service runs says nothing about the groups: keep sending what is being sent.
    if (!settings.loadProblem().isEmpty())
        return;
    LoadAllGroups(stored, settings);
    for (int g = 0; g < kGroupCount; ++g) {
        const GroupRecord& now = stored.EditGroups[size_t(g)];
        const bool queued = m_queue.contains(g);
        const GroupRecord& known = queued ? m_incoming[size_t(g)] : m_tables.EditGroups[size_t(g)];
        if (StoredGroupText(now) == StoredGroupText(known))
            continue;
        m_incoming[size_t(g)] = now;
        if (!queued)
            m_queue.append(g);
    }
}

void SettingsFollower::handOver()
{
    // A group still waiting for its take-over keeps its place; the next one goes on a later tick.
    if (m_queue.isEmpty() || !HandOver(m_tables).offer(m_queue.first(), m_incoming[size_t(m_queue.first())]))
        return;
    const int g = m_queue.takeFirst();
    emit groupHandedOver(g, m_incoming[size_t(g)]);
}
