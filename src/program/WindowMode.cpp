#include "program/WindowMode.h"

#include "app/DataFiles.h"
#include "app/PlaceWatch.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "platform/QtDialogs.h"
#include "platform/QtLauncher.h"
#include "platform/Sounds.h"
#include "presets/frmPresets.h"
#include "program/SenderSetup.h"
#include "ui/auxiliary/frmSplash.h"
#include "ui/auxiliary/frmWarning.h"
#include "ui/main/HelpMenu.h"
#include "ui/main/ServiceMirror.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <memory>

namespace {
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
} // namespace

int RunWindow(QApplication& app, const QString& linkText)
{
    QtDialogs dialogs;
    FunctionSounds sounds([] { QApplication::beep(); });
    SettingsStore settings;
    bool quitting = false; // SIGTERM or SIGINT has come
    // Settings and presets reach the disk on their own thread; destroyed first, it waits for the last save.
    SaveQueue saves;
    settings.setSaveQueue(&saves);
    // The window's position is saved as it closes; after SIGTERM nobody is there to answer a message box, which
    // would keep the program from ending: the log line is all.
    Journal& journal = Journal::standardError();
    settings.setWriteFailureHandler([&dialogs, &journal, &quitting](const QString& text) {
        journal.warning(text);
        if (!quitting)
            dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
    });

    SenderSetup setup(journal);
    std::unique_ptr<frmMain> mainWindow;
    bool mainShown = false;
    // Before the main window is up, SIGTERM and SIGINT end the program at once; afterwards they close the window as
    // its close box does, so that it saves what it keeps.
    setup.terminate = [&] {
        quitting = true;
        if (mainShown && mainWindow)
            mainWindow->close();
        else
            QCoreApplication::exit(0);
    };

    // The splash stays on screen for at least a second, while the groups and the main window load behind it.
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();
    const double splashEnd = setup.clock.elapsedSeconds() + 1.0;

    // A settings file that could not be used: said once, in the log and in a message box, before anything is saved.
    const QString loadProblem = setup.loadGroups(settings);
    if (!loadProblem.isEmpty())
        dialogs.MsgBox(loadProblem, MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);

    // Loaded but not shown until the splash and the time warning are done.
    mainWindow = std::make_unique<frmMain>(settings, setup.tables, dialogs, sounds);
    mainWindow->Form_Load();
    QtLauncher launcher;
    HelpMenu helpMenu(setup.tables, launcher, dialogs, mainWindow.get(), ProgramDataFolders());
    mainWindow->showHelpMenu = [&helpMenu](const QPoint& at) { helpMenu.exec(at); };
    mainWindow->utcNow = helpMenu.utcNow = [&setup] { return setup.clock.utcNow(); };
    mainWindow->showPresets = [&] {
        frmPresets presets(mainWindow.get(), settings, dialogs,
                           {mainWindow->editor().textHistory(), mainWindow->utcNow});
        presets.showHelpMenu = mainWindow->showHelpMenu;
        presets.exec();
        // The chosen preset goes into the main window's fields as the operator's edits; nothing is stored yet.
        if (const std::optional<PresetRecord>& preset = presets.chosen())
            mainWindow->TakePreset(preset->ZoneIndex, preset->DaylightIndex, preset->DisplayText);
    };

    waitUntil(setup.clock, splashEnd, quitting);
    if (quitting)
        return 0;

    // Cancel in the warning ends the program here, before anything is sent or saved.
    if (ShouldShowTimeWarning(settings.GetSetting(QStringLiteral("TimeWarn"), QStringLiteral("True")))) {
        frmWarning warning(settings, sounds, ClockSyncWarningLine(ClockSyncFromKernel(ReadKernelClock())));
        if (warning.exec() != QDialog::Accepted || quitting)
            return 0;
    }

    splash.reset();
    mainWindow->show();
    mainShown = true;

    // The link is opened with the main window on screen: its failures show over it.
    QObject::connect(&setup.clockSync, &ClockSyncWatch::checked, mainWindow.get(),
                     qOverload<const ClockSyncState&>(&frmMain::showClockSync));
    setup.clockSync.start();
    bool unloaded = false;
    mainWindow->closeLink = [&setup] {
        if (frmComm* comm = setup.comm())
            comm->close();
    };
    QObject::connect(mainWindow.get(), &frmMain::unloaded, &app, [&] {
        unloaded = true;
        QCoreApplication::quit();
    });
    // A link the user's service sends on: this window follows the service instead of failing.
    std::unique_ptr<ServiceMirror> mirror;
    const auto followService = [&](const QString& linkKey) {
        auto view = std::make_unique<SenderView>(setup.bus, linkKey);
        if (!view->present() || view->status().Role != QStringLiteral("service"))
            return false;
        QObject::disconnect(&setup.clockSync, nullptr, mainWindow.get(),
                            nullptr); // the clock panel shows the service's
        mirror = std::make_unique<ServiceMirror>(view.release(), setup.comm()->choice(), *mainWindow, dialogs);
        return true;
    };
    frmComm& comm = setup.openLink(*mainWindow, dialogs, linkText, followService);
    if (unloaded) // closed while a link failure was on screen
        return 0;
    // Holding the link: seen by `quillmarch --status` and by the user's other windows.
    QString busProblem;
    if (comm.CommMode() != LinkKind::None && setup.bus.isConnected()) {
        if (setup.showOnBus(busProblem))
            QObject::connect(&comm, &frmComm::ticked, &setup.sender,
                             [&setup] { setup.publish(QStringLiteral("window")); });
        else
            journal.warning(QStringLiteral("not shown to --status: ") + busProblem);
    }
    // The groups chosen by place, checked while the window runs; each new finding is told once, when no other
    // dialog is open.
    PlaceWatch places([&] { return PlacedGroups(setup.tables.EditGroups, settings); },
                      ProcessPlaceChecker(QCoreApplication::applicationFilePath()), kZoneFolder);
    helpMenu.placeOf = [&](int group) { return PlaceColumnText(GroupPlace(settings, group), places.finding(group)); };
    QStringList untold;
    std::function<void()> tell = [&] {
        if (quitting || untold.isEmpty())
            return;
        if (QApplication::activeModalWidget()) {
            QTimer::singleShot(1000, mainWindow.get(), tell);
            return;
        }
        const QString text = untold.join(QString(2, QChar(13)));
        untold.clear();
        dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
    };
    QObject::connect(&places, &PlaceWatch::newFindings, mainWindow.get(), [&](const QList<PlaceFinding>& findings) {
        for (const PlaceFinding& finding : findings) {
            journal.warning(
                QStringLiteral("group %1 (%2): %3").arg(IndexToLetter(finding.group), finding.place, finding.detail));
            untold << PlaceFindingMessage(finding);
        }
        tell();
    });
    QObject::connect(&places, &PlaceWatch::checkFailed, mainWindow.get(),
                     [&journal](const QString& error) { journal.warning(error); });
    QObject::connect(&places, &PlaceWatch::checked, mainWindow.get(),
                     [&] { setup.placeFindings = places.problemLines(); });
    places.start();

    const int exitCode = app.exec();
    saves.waitForAll(); // a failure of the last saves is still told while the main window exists
    return exitCode;
}
