#include "support/ScriptedDialogs.h"

MsgResult ScriptedDialogs::MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                                  const QString& title)
{
    calls.append({text, buttons, icon, defaultButton, title});
    return answers.isEmpty() ? defaultButton : answers.takeFirst();
}
