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

    LaunchResult openFile(const QString& path) override { return record(QStringLiteral("file ") + path); }
    LaunchResult openUrl(const QUrl& address) override { return record(QStringLiteral("url ") + address.toString()); }
    ClockSyncState clockSync() override
    {
        record(QStringLiteral("clock sync"));
        return sync;
    }

private:
    LaunchResult record(const QString& call)
    {
        calls << call;
        return answer;
    }
};
