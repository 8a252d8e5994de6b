// One sender per link: a lock file in the user's runtime folder, named after the link, held while it is open.
#pragma once

#include <QString>
#include <memory>

class QLockFile;

class LinkLock
{
public:
    // `folder` is where the lock files live; the program uses DefaultFolder().
    explicit LinkLock(QString folder = DefaultFolder());
    ~LinkLock();

    // $XDG_RUNTIME_DIR (Qt's fallback when it is not set): shared by the windows and the service of one user.
    static QString DefaultFolder();
    // "quillmarch-dev-ttyUSB0.lock", "quillmarch-udp-5000.lock": systemd's escaping, so names never collide.
    static QString FileName(const QString& linkKey);
    // The key of a serial device: its real path, so COM1 and /dev/ttyS0 (or a by-id link) share one lock.
    static QString SerialKey(const QString& device);
    static QString UdpKey(int port) { return QStringLiteral("udp/%1").arg(port); }

    enum class Outcome { Acquired, HeldElsewhere, Unavailable };
    // HeldElsewhere: `detail` names the holder, "quillmarch (process 1234)". Unavailable: no lock file can be made
    // there; `detail` says why (a broken runtime folder must not stop the clocks, so callers go on without it).
    Outcome acquire(const QString& linkKey, QString& detail);
    void release();

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};
