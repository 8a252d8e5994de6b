// Message boxes for tests: every call is recorded, answers come from a queue (OK/the default when empty).
#pragma once

#include "platform/Dialogs.h"

#include <QList>

struct RecordedMsgBox
{
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    MsgResult defaultButton;
    QString title;
};

class ScriptedDialogs : public Dialogs
{
public:
    MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                     const QString& title = kAppTitle) override;

    QList<MsgResult> answers; // taken from the front; the default button answers when empty
    QList<RecordedMsgBox> calls;
};
