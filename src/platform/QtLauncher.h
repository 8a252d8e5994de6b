// The real launcher: the desktop's default applications (xdg-open) and the system's clock state.
#pragma once

#include "platform/Launcher.h"

class QtLauncher : public Launcher
{
public:
    LaunchResult openFile(const QString& path) override;
    LaunchResult openUrl(const QUrl& address) override;
    ClockSyncState clockSync() override;
};
