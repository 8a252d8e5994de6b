#include "model/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakePrivateFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    QDir().mkpath(info.absolutePath());
    // mkdir's mode is cut by the umask, which only ever removes bits: 0700 stays 0700.
    return ::mkdir(QFile::encodeName(info.absoluteFilePath()).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}

bool EnsurePrivateFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EEXIST;
}
