// One byte per character, as the clocks and the presets file expect: Windows-1252.
#pragma once

#include <QByteArray>
#include <QString>

// ASCII unchanged, Latin-1 letters by their codes, the 0x80..0x9F letters (€, Š, “ ...) by their 1252 codes;
// any other character, and each half of a surrogate pair, becomes "?".
QByteArray ToWindows1252(const QString& text);
char ToWindows1252(QChar c);
// True when `c` has a Windows-1252 code, so that it is stored as itself and not as "?".
bool InWindows1252(QChar c);

// The reverse; the five codes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as U+FFFD.
QString FromWindows1252(const QByteArray& bytes);
