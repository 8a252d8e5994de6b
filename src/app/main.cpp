// The program's start: command line, seams, and the start-up sequence `Main`.
#include "app/ClockSyncWatch.h"
#include "app/DataFiles.h"
#include "app/PortList.h"
#include "app/SenderBus.h"
#include "app/ServiceMode.h"
#include "app/TimeReports.h"
#include "app/UnixSignals.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "platform/QtDialogs.h"
#include "platform/QtLauncher.h"
#include "platform/Sounds.h"
#include "platform/SystemClock.h"
#include "presets/frmPresets.h"
#include "ui/auxiliary/frmSplash.h"
#include "ui/auxiliary/frmWarning.h"
#include "ui/main/HelpMenu.h"
#include "ui/main/ServiceMirror.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const char* const kLinkHelp =
    "COM#, UDP# or a serial device path. COM# is serial port # (COM1 is /dev/ttyS0); UDP# broadcasts to\n"
    "UDP port # on 255.255.255.255; a path such as /dev/ttyUSB0 names the serial device itself.\n"
    "Without an argument the program uses COM1.";

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

// The groups as the service would send them now.
int printClockTimes()
{
    const SettingsStore settings(SettingsStore::DefaultFilePath());
    if (!settings.loadProblem().isEmpty()) {
        std::fprintf(stderr, "quillmarch: %s\n", qPrintable(settings.loadProblem().replace(QChar(13), u' ')));
        return 1;
    }
    GroupTables tables;
    LoadAllGroups(tables, settings);
    return printReport(ClockTimesReport(tables, QDateTime::currentDateTimeUtc()));
}

// --help, --version, --list-ports, --status and --clock-times, given alone, and --match-zone with its zone and
// years, are answered without starting the windows.
bool answerInformationRequest(int argc, char** argv, int& exitCode)
{
    const QString arg = argc >= 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool matchZone = arg == QStringLiteral("--match-zone") && argc <= 4;
    if (argc != 2 && !matchZone)
        return false;
    if (arg != QStringLiteral("--help") && arg != QStringLiteral("-h") && arg != QStringLiteral("--version") &&
        arg != QStringLiteral("-v") && arg != QStringLiteral("--list-ports") && arg != QStringLiteral("--status") &&
        arg != QStringLiteral("--clock-times") && !matchZone)
        return false;
    if (matchZone && argc == 2) {
        std::fputs("quillmarch: --match-zone needs a zone, such as Europe/Berlin\n", stderr);
        exitCode = 2;
        return true;
    }
    if (matchZone) {
        const QString years = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
        exitCode = printReport(MatchZoneReport(QString::fromLocal8Bit(argv[2]), years, QDate::currentDate().year()));
        return true;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmarch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARCH_VERSION_TEXT));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quillmarch drives a network of display clocks: every 333 ms it sends the next clock its time and text."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("Print the serial devices present, one a line: the device path, then a TAB and its stable "
                       "/dev/serial/by-id/ name where there is one. Either path can be given as the link."));
    parser.addOption(listPorts);
    parser.addOption({QStringLiteral("service"),
                      QStringLiteral("Runs without windows, for a service manager: sends on the link, takes over the "
                                     "groups the windowed program saves, and logs to standard error with journald "
                                     "priorities. Give the link after it: --service COM1.")});
    parser.addOption({QStringLiteral("status"),
                      QStringLiteral("Prints one line per running sender of this user, window or service: the link, "
                                     "the role, the sending status, the PC clock's state and the last packet's age, "
                                     "separated by TABs. Exits 0 when all are sending, 1 when any has a fault, 3 when "
                                     "none runs, 4 when the session bus cannot be reached.")});
    parser.addOption({QStringLiteral("match-zone"),
                      QStringLiteral("Prints the zone and daylight positions whose clocks show the local time of "
                                     "ZONE (such as Europe/Berlin) in the years given after it (2025-2035; this year "
                                     "and the next ten without), best first, TAB-separated with their texts and "
                                     "\"exact\" or where they differ. Exits 0 when one fits exactly, 1 when only "
                                     "close ones, 2 for an unknown zone or years."),
                      QStringLiteral("ZONE")});
    parser.addOption({QStringLiteral("clock-times"),
                      QStringLiteral("Prints one line per group with clocks, from the settings file the service "
                                     "reads: its letter, its clocks, the time they show now and their next change, "
                                     "TAB-separated.")});
    parser.addPositionalArgument(QStringLiteral("link"), QString::fromLatin1(kLinkHelp), QStringLiteral("[link]"));
    parser.process(app); // --help and --version print and exit here
    if (parser.isSet(listPorts)) {
        const QByteArray text = FormatPortList(ListPorts(SystemSerialDevices())).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        if (text.isEmpty())
            std::fputs("quillmarch: no serial devices found\n", stderr);
    }
    exitCode = 0;
    if (arg == QStringLiteral("--status"))
        exitCode = printStatus();
    if (arg == QStringLiteral("--clock-times"))
        exitCode = printClockTimes();
    return true;
}

// Keeps processing window events until `seconds` have passed on `clock`, or the program is asked to end.
void waitUntil(const SystemClock& clock, double endSeconds, const bool& quitting)
{
    while (!quitting) {
        const double left = endSeconds - clock.elapsedSeconds();
        if (left <= 0)
            return;
        QEventLoop loop;
        QTimer::singleShot(int(left * 1000) + 1, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

int Main(QApplication& app, const QString& argumentText)
{
    RealSystemClock clock;
    QtDialogs dialogs;
    FunctionSounds sounds([] { QApplication::beep(); });
    SettingsStore settings;
    // SIGTERM and SIGINT: before the main window is up, end at once; afterwards, close it like its close box.
    bool quitting = false;
    // Settings and presets reach the disk on their own thread; destroyed first, it waits for the last save.
    SaveQueue saves;
    settings.setSaveQueue(&saves);
    // The window's position is saved as it closes; after SIGTERM nobody is there to answer a message box, which
    // would keep the program from ending: the log line is all.
    settings.setWriteFailureHandler([&dialogs, &quitting](const QString& text) {
        Journal::standardError().warning(text);
        if (!quitting)
            dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
    });

    std::unique_ptr<frmMain> mainWindow;
    bool mainShown = false;
    UnixSignals signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignals::terminationRequested, &app, [&] {
        if (mainShown && mainWindow) {
            quitting = true;
            mainWindow->close();
        } else {
            quitting = true;
            QCoreApplication::exit(0);
        }
    });

    // 1, 2: the splash, on screen for at least a second.
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();
    const double splashEnd = clock.elapsedSeconds() + 1.0;

    // 3: both group tables, before any window reads them.
    GroupTables tables;
    LoadAllGroups(tables, settings);
    // A settings file that could not be used: said once, in the log and in a message box, before anything is saved.
    if (!settings.loadProblem().isEmpty()) {
        Journal::standardError().warning(settings.loadProblem());
        dialogs.MsgBox(settings.loadProblem(), MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
    }

    // 4: the main window, loaded but not shown.
    mainWindow = std::make_unique<frmMain>(settings, tables, dialogs, sounds);
    mainWindow->Form_Load();
    QtLauncher launcher;
    HelpMenu helpMenu(tables, launcher, dialogs, mainWindow.get(), ProgramDataFolders());
    mainWindow->showHelpMenu = [&helpMenu](const QPoint& at) { helpMenu.exec(at); };
    mainWindow->utcNow = helpMenu.utcNow = [&clock] { return clock.utcNow(); };
    mainWindow->showPresets = [&] {
        frmPresets presets(*mainWindow, settings, dialogs);
        presets.exec();
    };

    // 5
    waitUntil(clock, splashEnd, quitting);
    if (quitting)
        return 0;

    // 6: Cancel in the warning ends the program here, before anything is sent or saved.
    if (ShouldShowTimeWarning(settings.GetSetting(QStringLiteral("TimeWarn"), QStringLiteral("True")))) {
        frmWarning warning(settings, sounds, ClockSyncWarningLine(ClockSyncFromKernel(ReadKernelClock())));
        if (warning.exec() != QDialog::Accepted || quitting)
            return 0;
    }

    // 7, 8
    splash.reset();
    mainWindow->show();
    mainShown = true;

    // 9: the link object; its failures show over the main window.
    frmComm comm(tables, *mainWindow, dialogs, clock);
    ClockSyncWatch clockSync;
    QObject::connect(&clockSync, &ClockSyncWatch::checked, mainWindow.get(),
                     qOverload<const ClockSyncState&>(&frmMain::showClockSync));
    clockSync.start();
    bool unloaded = false;
    mainWindow->closeLink = [&comm] { comm.close(); };
    QObject::connect(mainWindow.get(), &frmMain::unloaded, &app, [&] {
        unloaded = true;
        QCoreApplication::quit();
    });
    // A link the user's service sends on: this window follows the service instead of failing.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    std::unique_ptr<ServiceMirror> mirror;
    comm.followHolder = [&](const QString& linkKey) {
        auto view = std::make_unique<SenderView>(bus, linkKey);
        if (!view->present() || view->status().Role != QStringLiteral("service"))
            return false;
        QObject::disconnect(&clockSync, nullptr, mainWindow.get(), nullptr); // the clock panel shows the service's
        mirror = std::make_unique<ServiceMirror>(view.release(), comm.choice(), *mainWindow, dialogs);
        return true;
    };
    comm.Form_Load(argumentText);
    if (unloaded) // closed while a link failure was on screen
        return 0;
    // Holding the link: seen by `quillmarch --status` and by the user's other windows.
    SenderObject sender(bus);
    QString busProblem;
    if (comm.CommMode() != LinkKind::None && bus.isConnected() && sender.exportFor(comm.linkKey(), busProblem))
        QObject::connect(&comm, &frmComm::ticked, &sender, [&] {
            sender.publish(SenderStatus::collect(QStringLiteral("window"), comm, clockSync, tables));
        });
    else if (!busProblem.isEmpty())
        Journal::standardError().warning(QStringLiteral("not shown to --status: ") + busProblem);
    const int exitCode = app.exec();
    saves.waitForAll(); // a failure of the last saves is still told while the main window exists
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    if (answerInformationRequest(argc, argv, exitCode))
        return exitCode;

    // No windows and no display: everything the windows would say goes to the journal.
    if (argc >= 2 && QByteArray(argv[1]) == "--service") {
        QStringList link;
        for (int i = 2; i < argc; ++i)
            link << QString::fromLocal8Bit(argv[i]);
        int qtArgc = 1;
        QCoreApplication app(qtArgc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Quillmarch"));
        QCoreApplication::setApplicationName(QStringLiteral("Quillmarch"));
        Journal journal(true);
        return RunService(link.join(QLatin1Char(' ')), SettingsStore::DefaultFilePath(), journal);
    }

    // Linux hands the arguments over split; the link is named by all of them joined, as typed.
    // Taken before QApplication, which would remove options such as -style from the list.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString argumentText = arguments.join(QLatin1Char(' '));

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmarch"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmarch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARCH_VERSION_TEXT));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMARCH_APP_ID));
    return Main(app, argumentText);
}
