// A launcher that opens nothing: it records each request and answers as the test sets it.
#pragma once

#include "platform/Launcher.h"

#include <QStringList>

class RecordingLauncher : public Launcher
{
public:
    QStringList calls;   // "file <path>", "url <address>", "clock sync"
    LaunchResult answer; // what every open answers
    ClockSyncState sync;

    LaunchResult openFile(const QString& path) override
    {
        calls << QStringLiteral("file ") + path;
        return answer;
    }
    LaunchResult openUrl(const QUrl& address) override
    {
        calls << QStringLiteral("url ") + address.toString();
        return answer;
    }
    ClockSyncState clockSync() override
    {
        calls << QStringLiteral("clock sync");
        return sync;
    }
};
