// Saves run on a thread of their own, one after another, so that a slow disk (an fsync that takes seconds) never
// holds the clocks' ticks. Each save still writes a temporary file and renames it over the old one: a crash leaves
// the old file or the new one, never a mixture.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class SaveQueue : public QObject
{
    Q_OBJECT

public:
    using Job = std::function<bool()>;      // runs on the save thread; true when the file is safely on disk
    using Done = std::function<void(bool)>; // runs afterwards on the thread that queued the save

    explicit SaveQueue(QObject* parent = nullptr);
    // Waits for every queued save: nothing the operator saved is lost by ending the program.
    ~SaveQueue() override;

    // Queues a save of `file`. A save of the same file that has not started yet is replaced: only the newest
    // content needs to reach the disk. `content` is what the file will hold, for pending().
    void queue(const QString& file, const QByteArray& content, Job job, Done done = {});
    // What the newest unfinished save of `file` will put there, when one is waiting or running. Whoever reads the
    // file while its save is on its way reads this instead of the old contents.
    std::optional<QByteArray> pending(const QString& file) const;
    // Blocks until every queued save has finished, then runs their `done` callbacks.
    void waitForAll();

private:
    struct Save
    {
        QString file;
        QByteArray content;
        Job job;
        Done done;
    };
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Save> m_waiting;
    Save m_running;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread; // last: started when everything it uses exists
};
