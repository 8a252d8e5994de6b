// Two different preset tables, large enough that saving one takes a while: the kill test alternates them.
#pragma once

#include "presets/PresetTable.h"

inline void fillPresetTable(PresetTable& table, int which)
{
    while (table.PresetCount() > 0)
        table.RemovePreset(0);
    const int count = which == 0 ? 6000 : 4500;
    for (int n = 0; n < count; ++n)
        table.AddPreset(
            QStringLiteral("%1 preset %2").arg(which == 0 ? QStringLiteral("First") : QStringLiteral("Second")).arg(n),
            qint16((n + which) % 29), qint16((n * 7 + which) % 39), QStringLiteral("TEXT %1 %2").arg(which).arg(n));
}
