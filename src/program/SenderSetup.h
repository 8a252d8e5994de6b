// What the window and the service run alike: the PC's clock, both group tables, the end on SIGTERM or SIGINT, the
// link object, the watch on the PC clock's synchronisation, and this sender on the session bus.
#pragma once

#include "app/ClockSyncWatch.h"
#include "app/SenderBus.h"
#include "app/UnixSignals.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <functional>
#include <memory>

class Dialogs;
class Journal;
class SettingsStore;
class StatusPanels;

class SenderSetup
{
public:
    // Needs the QCoreApplication; from here on SIGTERM and SIGINT call `terminate`.
    explicit SenderSetup(Journal& journal);

    // Reads both group tables, before anything reads them. A settings file that could not be used is logged; its
    // problem is returned, empty when there is none.
    QString loadGroups(const SettingsStore& settings);
    // Makes the link object and opens the link the command line names; failures go to `dialogs`.
    frmComm& openLink(StatusPanels& panels, Dialogs& dialogs, const QString& linkText,
                      std::function<bool(const QString& linkKey)> followHolder = {});
    // The link object; null until openLink.
    frmComm* comm() const { return m_comm.get(); }
    // Shows this sender to `quillmarch --status` and the user's windows; false, with the reason, when it cannot.
    bool showOnBus(QString& problem);
    // What this sender shows now, to the bus; `role` is "window" or "service".
    void publish(const QString& role);

    RealSystemClock clock;
    GroupTables tables;
    ClockSyncWatch clockSync;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    SenderObject sender{bus};
    // The place findings that are not exact, published with the status.
    QStringList placeFindings;
    // What SIGTERM and SIGINT do; unless told otherwise, the program ends with status 0.
    std::function<void()> terminate = [] { QCoreApplication::exit(0); };

private:
    Journal& m_journal;
    UnixSignals m_signals;
    std::unique_ptr<frmComm> m_comm;
};
