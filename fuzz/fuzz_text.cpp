// Any text, given to the three parsers that read one: the command-line argument, a clock list, and a stored group
// (whose first field is a clock list). One input feeds all three, so their seeds and dictionaries help each other.
#include "app/LinkSelection.h"
#include "model/CodeTables.h"
#include "model/GroupTable.h"

#include <QDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
void check(const QString& text)
{
    // A device path cannot point the serial line outside /dev/ or break the one-line panel; a port fits 16 bits.
    const LinkChoice link = ChooseLink(text);
    const auto control = [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f); };
    if (link.CommMode == LinkKind::Serial && link.device == link.name
            ? !QDir::cleanPath(link.device).startsWith(QStringLiteral("/dev/")) ||
                  std::any_of(link.device.begin(), link.device.end(), control)
            : link.CommMode != LinkKind::None && (link.port < 1 || link.port > 65535))
        __builtin_trap();

    // An accepted list's canonical text reads back to the same clocks.
    ClockFlags clocks, again;
    if (ParseClockList(clocks, text).isEmpty() &&
        (!ParseClockList(again, FormatClockList(clocks)).isEmpty() || again != clocks))
        __builtin_trap();

    // An accepted group's positions lie inside their lists, and its stored form reads back to the same group.
    GroupRecord group, back;
    if (ParseStoredGroup(text, group) &&
        (size_t(group.ZoneIndex) >= TimeZoneList.size() || size_t(group.DaylightIndex) >= DaylightList.size() ||
         !ParseStoredGroup(StoredGroupText(group), back) || back != group))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    // Raw UTF-16 too, so that any code unit, lone surrogates included, reaches the parsers; copied, as the bytes need
    // not be aligned for QChar.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size_t(units.size()) * sizeof(QChar));
    check(units);
    return 0;
}
