// Outside launches behind a seam: the user's own programs open files and web pages; tests record the requests.
#pragma once

#include "platform/ClockSync.h"

#include <QString>
#include <QUrl>

struct LaunchResult
{
    bool ok = true;
    QString reason; // why it failed, for the operator
};

class Launcher
{
public:
    virtual ~Launcher() = default;
    // Opens a local file with the user's default application for its type.
    virtual LaunchResult openFile(const QString& path) = 0;
    // Opens a web address in the user's default browser.
    virtual LaunchResult openUrl(const QUrl& address) = 0;
    // Linux has no time-synchronisation program to start: the system is asked how its clock is kept instead.
    virtual ClockSyncState clockSync() = 0;
};
