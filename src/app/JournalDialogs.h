// Message boxes for a program without windows: each text goes to the journal, and the default button is taken.
#pragma once

#include "app/Journal.h"
#include "platform/Dialogs.h"

class JournalDialogs : public Dialogs
{
public:
    explicit JournalDialogs(Journal& journal) : m_journal(journal) {}
    MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                     const QString& title = kAppTitle) override;

private:
    Journal& m_journal;
};
