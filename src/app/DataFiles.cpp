#include "app/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList DataFolders(const QString& programFolder, const QString& userDataHome)
{
    const QStringList candidates = {
        programFolder,
        userDataHome + QStringLiteral("/Quillmarch"),
        QStringLiteral("/usr/local/share/quillmarch"),
        QStringLiteral("/usr/share/quillmarch"),
        // An installed program lives in PREFIX/bin and its files in PREFIX/share/quillmarch, whatever PREFIX is.
        programFolder + QStringLiteral("/../share/quillmarch"),
    };
    QStringList folders;
    for (const QString& folder : candidates) {
        const QString clean = QDir::cleanPath(folder);
        if (!folders.contains(clean))
            folders << clean;
    }
    return folders;
}

QStringList ProgramDataFolders()
{
    return DataFolders(QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString FindDataFile(const QString& name, const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QFileInfo info(QDir(folder), name);
        if (info.isFile() && info.isReadable())
            return info.absoluteFilePath();
    }
    return {};
}
