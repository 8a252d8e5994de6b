#include "app/LinkLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

LinkLock::LinkLock(QString folder) : m_folder(std::move(folder)) {}

LinkLock::~LinkLock()
{
    release();
}

QString LinkLock::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString LinkLock::FileName(const QString& linkKey)
{
    QString escaped;
    const QByteArray bytes = linkKey.toUtf8();
    qsizetype i = 0;
    while (i < bytes.size() && bytes[i] == '/')
        ++i;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '/')
            escaped += QLatin1Char('-');
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                 (c == '.' && i > 0 && bytes[i - 1] != '/'))
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return QStringLiteral("quillmarch-") + escaped + QStringLiteral(".lock");
}

QString LinkLock::SerialKey(const QString& device)
{
    const QString real = QFileInfo(device).canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(device) : real;
}

LinkLock::Outcome LinkLock::acquire(const QString& linkKey, QString& detail)
{
    release();
    QDir().mkpath(m_folder);
    const QString path = m_folder + QLatin1Char('/') + FileName(linkKey);
    auto lock = std::make_unique<QLockFile>(path);
    // A sender runs for months: only a holder that no longer runs makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return Outcome::Acquired;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock->error() == QLockFile::LockFailedError && lock->getLockInfo(&pid, &host, &application)) {
        detail = QStringLiteral("%1 (process %2)")
                     .arg(application.isEmpty() ? QStringLiteral("another program") : application)
                     .arg(pid);
        return Outcome::HeldElsewhere;
    }
    detail = QStringLiteral("the lock file %1 cannot be %2")
                 .arg(path, lock->error() == QLockFile::LockFailedError ? QStringLiteral("read")
                                                                         : QStringLiteral("created"));
    return Outcome::Unavailable;
}

void LinkLock::release()
{
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
