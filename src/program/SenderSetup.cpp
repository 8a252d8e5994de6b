#include "program/SenderSetup.h"

#include "model/SettingsStore.h"

#include <QCoreApplication>

SenderSetup::SenderSetup(Journal& journal) : m_journal(journal)
{
    QObject::connect(&m_signals, &UnixSignals::terminationRequested, qApp, [this] { terminate(); });
}

QString SenderSetup::loadGroups(const SettingsStore& settings)
{
    LoadAllGroups(tables, settings);
    if (!settings.loadProblem().isEmpty())
        m_journal.warning(settings.loadProblem());
    return settings.loadProblem();
}

frmComm& SenderSetup::openLink(StatusPanels& panels, Dialogs& dialogs, const QString& linkText,
                               std::function<bool(const QString& linkKey)> followHolder)
{
    m_comm = std::make_unique<frmComm>(tables, panels, dialogs, clock);
    m_comm->setJournal(m_journal);
    m_comm->followHolder = std::move(followHolder);
    m_comm->Form_Load(linkText);
    return *m_comm;
}

bool SenderSetup::showOnBus(QString& problem)
{
    if (!bus.isConnected()) {
        problem = QStringLiteral("no session bus: ") + bus.lastError().message();
        return false;
    }
    return sender.exportFor(m_comm->linkKey(), problem);
}

void SenderSetup::publish(const QString& role)
{
    SenderStatus status = SenderStatus::collect(role, *m_comm, clockSync, tables);
    status.PlaceFindings = placeFindings;
    sender.publish(status);
}
