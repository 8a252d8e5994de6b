// Test support for fault cases: a private mount namespace with a small tmpfs that can be filled to the last page.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace Sandbox {

constexpr qint64 kPage = 4096;

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Moves this thread (the one that runs the tests and starts processes) into a mount namespace of its own, so that
// mounts made by the test are seen by nobody else and vanish with it. False where that is not allowed (not root).
inline bool enterPrivateMountNamespace()
{
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

inline bool mountTmpfs(const QString& folder, qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
}

// Fills the file system holding `folder` with the file `folder`/fill, then frees `freePages` pages of it again.
// False unless the disk really ran full.
inline bool fillLeaving(const QString& folder, int freePages)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/fill"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray page(kPage, 'f');
    ssize_t n = 0;
    while ((n = ::write(fd, page.constData(), page.size())) > 0) {
    }
    const bool full = n < 0 && errno == ENOSPC;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const bool freed = ::ftruncate(fd, size > freePages * kPage ? size - freePages * kPage : 0) == 0;
    ::close(fd);
    return full && freed;
}

} // namespace Sandbox
