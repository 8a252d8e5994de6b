// Any presets file: nothing may crash, every preset read keeps the table's rules, and what the table writes reads back
// to the same table.
#include "model/CodeTables.h"
#include "model/SettingsStore.h"
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

bool blankAtEnd(const QString& text)
{
    return text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
}

void checkRules(const PresetTable& table)
{
    const QList<PresetRecord>& presets = table.Presets();
    if (presets.size() != table.PresetCount())
        __builtin_trap();
    for (qsizetype p = 0; p < presets.size(); ++p) {
        const PresetRecord& preset = presets[p];
        if (preset.Name.isEmpty() || preset.Name.size() > PresetTable::kNameLimit || blankAtEnd(preset.Name) ||
            table.FindPreset(preset.Name.toLower()) != p)
            __builtin_trap();
        if (preset.ZoneIndex < 0 || size_t(preset.ZoneIndex) >= TimeZoneList.size() || preset.DaylightIndex < 0 ||
            size_t(preset.DaylightIndex) >= DaylightList.size())
            __builtin_trap();
        if (preset.DisplayText.size() > PresetTable::kTextLimit || blankAtEnd(preset.DisplayText))
            __builtin_trap();
    }
}

// The file cannot hold a double quote in a field, nor a character outside Windows-1252 (read as U+FFFD).
bool writesAsHeld(const PresetTable& table)
{
    for (const PresetRecord& preset : table.Presets()) {
        for (const QString* text : {&preset.Name, &preset.DisplayText}) {
            if (text->contains(QLatin1Char('"')) || text->contains(QChar(0xFFFD)))
                return false;
        }
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SettingsStore settings(QStringLiteral("/nonexistent/Quillmarch.ini"));
    static NoDialogs dialogs;
    PresetTable first(settings, dialogs, QString());
    first.readPresets(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    checkRules(first);

    PresetTable second(settings, dialogs, QString());
    second.readPresets(first.presetFileBytes());
    checkRules(second);
    if (writesAsHeld(first) ? second.Presets() != first.Presets() : second.PresetCount() > first.PresetCount())
        __builtin_trap();
    // A replaced character can make two names alike; after that one rewrite nothing changes any more.
    PresetTable third(settings, dialogs, QString());
    third.readPresets(second.presetFileBytes());
    if (third.Presets() != second.Presets())
        __builtin_trap();
    return 0;
}
