#include "platform/QtLauncher.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>

namespace {
// QDesktopServices only says whether it could hand the address on; on Linux that fails when xdg-open is missing.
const QString kNoOpener = QStringLiteral("The desktop has no program set up to open it (xdg-open is missing or "
                                         "failed). Install xdg-utils and a web browser.");
} // namespace

LaunchResult QtLauncher::openFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return {false, QStringLiteral("The file is missing or cannot be read.")};
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())))
        return {false, kNoOpener};
    return {};
}

LaunchResult QtLauncher::openUrl(const QUrl& address)
{
    if (!address.isValid())
        return {false, QStringLiteral("The address is not valid: ") + address.errorString()};
    if (!QDesktopServices::openUrl(address))
        return {false, kNoOpener};
    return {};
}

ClockSyncState QtLauncher::clockSync()
{
    // timedatectl answers within milliseconds; the pointer says so if it does not.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ClockSyncState state = ReadClockSync();
    QGuiApplication::restoreOverrideCursor();
    return state;
}
