#include "program/OneShotCommands.h"

#include "app/CommandLine.h"
#include "app/PlaceWatch.h"
#include "app/PortList.h"
#include "app/SenderBus.h"
#include "app/TimeReports.h"
#include "model/GroupTable.h"
#include "model/SettingsStore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace {
// The senders on the session bus, for `--status`.
int printStatus()
{
    QString error;
    QList<SenderStatus> senders = SenderView::all(QDBusConnection::sessionBus(), error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quillmarch: cannot ask the session bus: %s\n", qPrintable(error));
        return 4;
    }
    std::sort(senders.begin(), senders.end(),
              [](const SenderStatus& a, const SenderStatus& b) { return a.Link < b.Link; });
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const SenderStatus& sender : senders)
        std::printf("%s\n", SenderBus::StatusLine(sender, now).toLocal8Bit().constData());
    if (senders.isEmpty())
        std::fputs("quillmarch: no sender is running\n", stderr);
    return SenderBus::StatusExitCode(senders);
}

int printReport(const TimeReport& report)
{
    const QByteArray out = report.out.toLocal8Bit();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    if (!report.err.isEmpty())
        std::fprintf(stderr, "quillmarch: %s", qPrintable(report.err));
    return report.exitCode;
}

// The groups as the service reads them; false, said on standard error, when the file cannot be used.
bool loadGroups(const SettingsStore& settings, GroupTables& tables)
{
    if (!settings.loadProblem().isEmpty()) {
        std::fprintf(stderr, "quillmarch: %s\n", qPrintable(settings.loadProblem().replace(QChar(13), u' ')));
        return false;
    }
    LoadAllGroups(tables, settings);
    return true;
}

// The groups as the service would send them now.
int printClockTimes()
{
    const SettingsStore settings(SettingsStore::DefaultFilePath());
    GroupTables tables;
    if (!loadGroups(settings, tables))
        return 1;
    return printReport(ClockTimesReport(tables, QDateTime::currentDateTimeUtc()));
}

// The groups with a place, from the settings file, or from standard input for the running program's own check.
int printPlaceChecks(const CommandLine& commandLine)
{
    if (commandLine.days() == 0) {
        std::fprintf(stderr, "quillmarch: --check-places takes --days N, N from 1 to %d\n", CommandLine::kMostDays);
        return 2;
    }
    QList<PlacedGroup> groups;
    if (commandLine.groupsOnStdin()) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return 3;
        const std::optional<QList<PlacedGroup>> given = ParsePlacedGroups(QString::fromUtf8(input.readAll()));
        if (!given) {
            std::fputs("quillmarch: malformed groups on standard input\n", stderr);
            return 3;
        }
        groups = *given;
    } else {
        const SettingsStore settings(SettingsStore::DefaultFilePath());
        GroupTables tables;
        if (!loadGroups(settings, tables))
            return 3;
        groups = PlacedGroups(tables.EditGroups, settings);
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QList<PlaceFinding> findings;
    for (const PlacedGroup& group : groups)
        findings << CheckPlace(group, now, commandLine.days(), kZoneFolder);
    return printReport(CheckPlacesReport(findings));
}

void printPorts()
{
    const QByteArray text = FormatPortList(ListPorts(SystemSerialDevices())).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    if (text.isEmpty())
        std::fputs("quillmarch: no serial devices found\n", stderr);
}
} // namespace

int AnswerOneShot(CommandLine& commandLine, int& argc, char** argv)
{
    if (commandLine.request() == CommandLine::Request::MatchZone) {
        if (!commandLine.zoneGiven()) {
            std::fputs("quillmarch: --match-zone needs a zone, such as Europe/Berlin\n", stderr);
            return 2;
        }
        return printReport(MatchZoneReport(commandLine.zone(), commandLine.years(), QDateTime::currentDateTimeUtc()));
    }
    // The help names the program as typed, and the version with its lower-case name, as a command line does.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmarch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARCH_VERSION_TEXT));
    switch (commandLine.request()) {
    case CommandLine::Request::Help:
        commandLine.showHelp();
    case CommandLine::Request::Version:
        commandLine.showVersion();
    case CommandLine::Request::ListPorts:
        printPorts();
        return 0;
    case CommandLine::Request::Status:
        return printStatus();
    case CommandLine::Request::ClockTimes:
        return printClockTimes();
    case CommandLine::Request::CheckPlaces:
        return printPlaceChecks(commandLine);
    default:
        return 0;
    }
}
