// The real message boxes: QMessageBox, modal, with the texts, buttons, icon and default asked for.
#pragma once

#include "platform/Dialogs.h"

class QtDialogs : public Dialogs
{
public:
    MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                     const QString& title = kAppTitle) override;
};
