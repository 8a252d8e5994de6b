#include "model/SaveQueue.h"

#include <QCoreApplication>

#include <algorithm>

SaveQueue::SaveQueue(QObject* parent) : QObject(parent), m_thread([this] { run(); }) {}

SaveQueue::~SaveQueue()
{
    waitForAll();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SaveQueue::queue(const QString& file, const QByteArray& content, Job job, Done done)
{
    {
        const std::lock_guard lock(m_mutex);
        Save save{file, content, std::move(job), std::move(done)};
        auto same = std::find_if(m_waiting.begin(), m_waiting.end(), [&](const Save& s) { return s.file == file; });
        if (same != m_waiting.end())
            *same = std::move(save);
        else
            m_waiting.push_back(std::move(save));
    }
    m_wake.notify_one();
}

std::optional<QByteArray> SaveQueue::pending(const QString& file) const
{
    const std::lock_guard lock(m_mutex);
    for (const Save& save : m_waiting) {
        if (save.file == file)
            return save.content; // only one save per file waits
    }
    if (m_busy && m_running.file == file)
        return m_running.content;
    return std::nullopt;
}

void SaveQueue::waitForAll()
{
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_waiting.empty() && !m_busy; });
    }
    // The callbacks were posted to this thread's event queue; they run now, before the caller goes on.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void SaveQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        m_running = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_busy = true;
        lock.unlock();
        const bool ok = m_running.job();
        // Posted before the save counts as finished, so that waitForAll() finds the callback in the queue.
        if (m_running.done)
            QMetaObject::invokeMethod(
                this, [done = m_running.done, ok] { done(ok); }, Qt::QueuedConnection);
        lock.lock();
        m_running = {};
        m_busy = false;
        m_idle.notify_all();
    }
}
