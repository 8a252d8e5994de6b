// The fixed time zone and daylight rule lists: the code each clock receives and the text the user picks from.
#pragma once

#include <QLatin1String>
#include <QString>
#include <QtGlobal>
#include <array>

// Groups and presets hold positions in these lists; the code is looked up at the moment of sending.
struct CodeEntry
{
    quint8 code;
    QLatin1String text;
};

extern const std::array<CodeEntry, 29> TimeZoneList;
extern const std::array<CodeEntry, 39> DaylightList;

// An entry's text without the blanks some end in, for a line or a column that shows it beside other values.
QString EntryText(const CodeEntry& entry);
