// Message boxes behind a seam: the program asks, the real one shows a QMessageBox, tests queue answers.
#pragma once

#include <QString>

enum class MsgButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class MsgIcon { None, Question, Exclamation, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

inline const QString kAppTitle = QStringLiteral("Quillmarch");

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Texts use CR (13) for line breaks; `defaultButton` names the button that Enter presses.
    virtual MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                             const QString& title = kAppTitle) = 0;
};
