// `quillmarch --service LINK`: the refresh cycle without windows, for a service manager.
#pragma once

#include "app/Journal.h"
#include "app/StatusPanels.h"
#include "platform/Dialogs.h"

#include <QString>

// A service has nobody to answer a message box: each text goes to the journal, and the default button is taken.
class JournalDialogs : public Dialogs
{
public:
    explicit JournalDialogs(Journal& journal) : m_journal(journal) {}
    MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                     const QString& title = kAppTitle) override;

private:
    Journal& m_journal;
};

// A service's status bar: nobody sees it, and the bus and the service manager hear the link object's own state.
class ServicePanels : public StatusPanels
{
public:
    void setPanelText(Panel, const QString&) override {}
};

// Runs until SIGTERM or SIGINT (status 0). A link that cannot be opened, or that another Quillmarch holds, ends it
// at once with status 1, so the service manager tries again later. Needs a QCoreApplication.
int RunService(const QString& argumentText, const QString& settingsPath, Journal& journal);
