// An editable combo box whose list is a history to pick from: what the operator types stays as typed.
#pragma once

#include <QComboBox>
#include <QLineEdit>

// Qt would complete inline from the list, ignoring case, and on leaving the field swap the text for an entry that
// matches it ignoring case.
inline void KeepTypedText(QComboBox* combo)
{
    combo->setCompleter(nullptr);
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
}
