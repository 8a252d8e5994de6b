// The service's side of editing in the window: groups that the windowed program saves reach the refresh cycle here.
#pragma once

#include "model/GroupTable.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QTimer>

class SettingsFollower : public QObject
{
    Q_OBJECT

public:
    SettingsFollower(GroupTables& tables, QString settingsPath, QObject* parent = nullptr);

    // Reads the file again and queues every group whose stored form now differs from the one being sent.
    void reread();
    // Called after each tick: hands the next queued group over, the way the window's Apply does, once the cycle
    // has taken the previous one over. One group per tick.
    void handOver();

    const QList<int>& queued() const { return m_queue; }

    // Changes come in bursts (a save writes a temporary file and renames it): read once they have settled.
    static constexpr int kSettleMs = 100;
    // Also looks every few seconds, for a folder that did not exist at the start or an event the watcher missed.
    static constexpr int kPollMs = 5000;

signals:
    void groupHandedOver(int index, const GroupRecord& group);

private:
    void watch();
    void poll();

    GroupTables& m_tables;
    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_poll;
    std::array<GroupRecord, kGroupCount> m_incoming{};
    QList<int> m_queue;
    QDateTime m_seenModified; // the file as last read, to notice changes the watcher did not report
    qint64 m_seenSize = -1;
};
