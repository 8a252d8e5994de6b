#include "program/ServiceMode.h"

#include "app/CommandCourier.h"
#include "app/JournalDialogs.h"
#include "app/ManagerNotices.h"
#include "app/PlaceWatch.h"
#include "app/SettingsFollower.h"
#include "app/StatusPanels.h"
#include "model/ClockList.h"
#include "model/SettingsStore.h"
#include "platform/SystemdNotify.h"
#include "program/SenderSetup.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
// A service's status bar: nobody sees it; the bus and the service manager hear the link object's own state.
class ServicePanels : public StatusPanels
{
public:
    void setPanelText(Panel, const QString&) override {}
};

QString describeGroup(int index, const GroupRecord& group)
{
    const QString clocks = FormatClockList(group.Clocks);
    return QStringLiteral("group %1 now sends to clocks %2")
        .arg(IndexToLetter(index), clocks.isEmpty() ? "(none)" : clocks);
}
} // namespace

int RunService(const QString& linkText, const QString& settingsPath, Journal& journal)
{
    JournalDialogs dialogs(journal);
    ServicePanels panels;
    SettingsStore settings(settingsPath);
    settings.setWriteFailureHandler([&journal](const QString& text) { journal.warning(text); });
    SenderSetup setup(journal);
    GroupTables& tables = setup.tables;
    setup.loadGroups(settings);

    frmComm& comm = setup.openLink(panels, dialogs, linkText);
    if (comm.sendingState() == SendingState::Disabled) // the reason is in the journal already
        return 1;
    int clocks = 0;
    for (const GroupRecord& group : tables.ActiveGroups)
        clocks += int(std::count(group.Clocks.begin(), group.Clocks.end(), true));
    journal.info(QStringLiteral("sending to %1: %2 clocks; following %3")
                     .arg(comm.choice().name, QString::number(clocks), settingsPath));

    SettingsFollower follower(tables, settingsPath);
    QObject::connect(&follower, &SettingsFollower::groupHandedOver, qApp,
                     [&journal](int index, const GroupRecord& group) { journal.info(describeGroup(index, group)); });

    QObject::connect(
        &setup.clockSync, &ClockSyncWatch::checked, qApp, [&journal](const ClockSyncState& state, bool changed) {
            if (!changed)
                return;
            const QString line = ClockSyncPanelText(state) + QStringLiteral(": ") + ClockSyncToolTip(state);
            if (state.synchronized)
                journal.info(line);
            else
                journal.warning(line + QStringLiteral("; the clocks copy this PC's time"));
        });
    setup.clockSync.start();

    // Status for the user's windows and `quillmarch --status`, and one-shot commands from the windows.
    CommandCourier courier(tables);
    SenderObject& sender = setup.sender;
    QString busProblem;
    if (!setup.showOnBus(busProblem))
        journal.warning(QStringLiteral("status and commands are not available to windows and --status (") + busProblem +
                        QStringLiteral("); sending goes on"));
    // Every command given is logged, taken or refused, whatever the caller named as its group.
    sender.takeCommand = [&](const QString& group, int code) {
        const QString refused = courier.give(group, code);
        journal.info(QStringLiteral("command %1 for group %2 %3")
                         .arg(code)
                         .arg(group.size() == 1 ? group : '"' + group + '"',
                              refused.isEmpty() ? QStringLiteral("taken") : QStringLiteral("refused: ") + refused));
        return refused;
    };
    QObject::connect(&courier, &CommandCourier::done, &sender, [&](int group, int code, bool reached) {
        journal.info(QStringLiteral("command %1 %2 group %3")
                         .arg(code)
                         .arg(reached ? QStringLiteral("has reached every clock of")
                                      : QStringLiteral("dropped: no clocks left in"),
                              IndexToLetter(group)));
        emit sender.CommandDone(IndexToLetter(group), uchar(code), reached);
    });

    // The groups chosen by place, as the window saved them: every check reads the file again.
    PlaceWatch places(
        [&settingsPath, last = QList<PlacedGroup>()]() mutable {
            const SettingsStore stored(settingsPath);
            if (stored.loadProblem().isEmpty()) { // a damaged file says nothing about the places
                GroupTables groups;
                LoadAllGroups(groups, stored);
                last = PlacedGroups(groups.EditGroups, stored);
            }
            return last;
        },
        ProcessPlaceChecker(QCoreApplication::applicationFilePath()), kZoneFolder);
    QObject::connect(&places, &PlaceWatch::newFindings, qApp, [&journal](const QList<PlaceFinding>& findings) {
        for (const PlaceFinding& finding : findings)
            journal.warning(
                QStringLiteral("group %1 (%2): %3").arg(IndexToLetter(finding.group), finding.place, finding.detail));
    });
    QObject::connect(&places, &PlaceWatch::checkFailed, qApp,
                     [&journal](const QString& error) { journal.warning(error); });
    QObject::connect(&places, &PlaceWatch::checked, qApp, [&] { setup.placeFindings = places.problemLines(); });
    places.start();

    SystemdNotify manager;
    ManagerNotices notices;
    QObject::connect(&comm, &frmComm::ticked, qApp, [&] {
        courier.afterTick();
        if (!courier.busy())
            follower.handOver();
        setup.publish(QStringLiteral("service"));
        if (manager.active())
            manager.send(notices.afterTick(comm));
    });

    QCoreApplication::exec();
    manager.send("STOPPING=1");
    comm.close();
    journal.info(QStringLiteral("stopped"));
    return 0;
}
