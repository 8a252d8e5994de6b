// Any stored group text: nothing may crash, a rejected text leaves the default record, an accepted one stays
// inside the zone and daylight lists and is stored back in a form that reads to the same record.
#include "model/CodeTables.h"
#include "model/GroupTable.h"

#include <cstddef>
#include <cstdint>

namespace {
void check(const QString& stored)
{
    GroupRecord group;
    group.DisplayText = QStringLiteral("left over");
    group.ZoneIndex = 3;
    if (!ParseStoredGroup(stored, group)) {
        if (group != GroupRecord{})
            __builtin_trap();
        return;
    }
    if (group.ZoneIndex < 0 || size_t(group.ZoneIndex) >= TimeZoneList.size() || group.DaylightIndex < 0 ||
        size_t(group.DaylightIndex) >= DaylightList.size())
        __builtin_trap();
    GroupRecord again;
    if (!ParseStoredGroup(StoredGroupText(group), again) || again != group)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    return 0;
}
