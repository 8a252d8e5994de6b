#include "app/JournalDialogs.h"

MsgResult JournalDialogs::MsgBox(const QString& text, MsgButtons, MsgIcon icon, MsgResult defaultButton, const QString&)
{
    m_journal.write(icon == MsgIcon::Critical      ? Journal::Priority::Error
                    : icon == MsgIcon::Exclamation ? Journal::Priority::Warning
                                                   : Journal::Priority::Info,
                    text);
    return defaultButton;
}
