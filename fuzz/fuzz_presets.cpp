// Any presets file, and the same bytes as the output of `timedatectl show`: both are lines of text from outside the
// program, and the second parser is so small that its seeds cover it at once, so it rides along here.
#include "model/CodeTables.h"
#include "model/SettingsStore.h"
#include "platform/ClockSync.h"
#include "platform/Dialogs.h"
#include "presets/PresetTable.h"

#include <cstddef>
#include <cstdint>

namespace {
// Reading and writing bytes never shows a message.
class NoDialogs : public Dialogs
{
public:
    MsgResult MsgBox(const QString&, MsgButtons, MsgIcon, MsgResult, const QString&) override { __builtin_trap(); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SettingsStore settings(QStringLiteral("/nonexistent/Quillmarch.ini"));
    static NoDialogs dialogs;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    PresetTable read(settings, dialogs, QString());
    read.readPresets(bytes);
    // Every preset's positions lie inside their lists, and its name finds it, in any case.
    const QList<PresetRecord> presets = read.Presets();
    bool exact = true; // no field holds a double quote or a code Windows-1252 leaves undefined
    for (qint16 p = 0; p < presets.size(); ++p) {
        const PresetRecord& preset = presets[p];
        if (size_t(preset.ZoneIndex) >= TimeZoneList.size() || size_t(preset.DaylightIndex) >= DaylightList.size() ||
            read.FindPreset(preset.Name.toLower()) != p)
            __builtin_trap();
        const QString fields = preset.Name + preset.DisplayText;
        exact = exact && !fields.contains(u'"') && !fields.contains(QChar(0xFFFD));
    }
    // What the table writes reads back to a table that writes the same, and with nothing substituted to the same
    // table. The file cannot hold a double quote in a field or an undefined code, which are written as other
    // characters: that can make two names alike, and then the later one goes.
    const QByteArray written = read.presetFileBytes();
    PresetTable back(settings, dialogs, QString());
    back.readPresets(written);
    if ((exact && back.Presets() != presets) ||
        (back.PresetCount() == read.PresetCount() ? back.presetFileBytes() != written
                                                  : back.PresetCount() > read.PresetCount()))
        __builtin_trap();

    // Switched-on network time (NTP=yes) is no sign of a synchronised clock: only NTPSynchronized counts.
    ClockSyncState state;
    if (ParseTimedatectlShow(bytes, state) && !bytes.contains("NTPSynchronized"))
        __builtin_trap();
    return 0;
}
