// Trimming of blanks: the space character alone. A TAB or a no-break space belongs to the text.
#pragma once

#include <QString>
#include <QStringView>

inline QStringView TrimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}
