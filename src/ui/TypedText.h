// An editable combo box whose list is a history to pick from: what the operator types stays as typed, and the list
// follows the history without disturbing the field.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>

// Qt would complete inline from the list, ignoring case, and on leaving the field swap the text for an entry that
// matches it ignoring case.
inline void KeepTypedText(QComboBox* combo)
{
    combo->setCompleter(nullptr);
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
}

// The list changes under the field; its text, its cursor and the signals that would report them must not.
inline void ShowHistory(QComboBox* combo, const QStringList& entries)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    if (items == entries)
        return;
    const QSignalBlocker blocker(combo);
    const QString text = combo->currentText();
    const int cursor = combo->lineEdit()->cursorPosition();
    combo->clear();
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    combo->lineEdit()->setCursorPosition(cursor);
}
