// Any bytes on the line: the framer accounts for every byte in order and cuts the stream the same way however it is
// split into reads, a packet is good only when its checksum holds, and each line printed for it stays one line. The
// same bytes choose a group, clock and moment: what the program sends for them, the monitor reads back as sent,
// with the local time the group's clocks show.
#include "PacketDecoder.h"
#include "PacketFramer.h"
#include "app/ClockPacket.h"
#include "model/CodeTables.h"
#include "model/LocalTime.h"
#include "model/Windows1252.h"

#include <cstddef>
#include <cstdint>

namespace {
// Whatever its text holds, a packet is printed on one line.
void print(const DecodedPacket& packet)
{
    for (const OutputFormat format : {OutputFormat::Text, OutputFormat::Json}) {
        const QString line = FormatPacket(packet, QDateTime::fromSecsSinceEpoch(0, Qt::UTC), format);
        if (line.contains(u'\n') || line.contains(u'\r'))
            __builtin_trap();
    }
}

// The events tile the input: each starts where the previous one ended and shows the bytes found there.
void checkEvents(const QList<FramerEvent>& events, QByteArrayView input)
{
    qsizetype offset = 0;
    for (const FramerEvent& e : events) {
        if (e.size <= 0 || offset + e.size > input.size() || !input.sliced(offset, e.size).startsWith(e.bytes))
            __builtin_trap();
        offset += e.size;
        if (e.kind != FramerEvent::Kind::Packet && e.kind != FramerEvent::Kind::BadChecksum) {
            (void)DescribeSkipped(e);
            continue;
        }
        const std::optional<DecodedPacket> packet = DecodePacket(e.bytes);
        if (!packet || packet->checksumOk != (e.kind == FramerEvent::Kind::Packet))
            __builtin_trap();
        print(*packet);
    }
    if (offset != input.size())
        __builtin_trap();
}

// Reads of sizes drawn from `seed` (0: one read); with `pauses` the line also goes quiet between some of them.
// `early` gets the events reported before the final quiet spell.
QList<FramerEvent> frame(QByteArrayView input, quint32 seed, bool pauses, QList<FramerEvent>& early)
{
    PacketFramer framer;
    quint32 state = seed;
    for (qsizetype at = 0; at < input.size();) {
        state = state * 1664525u + 1013904223u;
        const qsizetype n =
            seed == 0 ? input.size() : qMin(input.size() - at, qsizetype(1 + (state >> 16) % (1 + seed % 120)));
        framer.feed(input.sliced(at, n));
        if (pauses && (state >> 8) % 4 == 0)
            framer.endBurst();
        early += framer.takeEvents();
        at += n;
    }
    framer.endBurst();
    return early + framer.takeEvents();
}
} // namespace

// The first byte chooses the reads; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QList<FramerEvent> early, splitEarly, pausedEarly;
    const QList<FramerEvent> events = frame(input, 0, false, early);
    if (frame(input, data[0] + 1u, false, splitEarly) != events || splitEarly != early)
        __builtin_trap();
    checkEvents(events, input);
    checkEvents(frame(input, data[0] + 1u, true, pausedEarly), input);
    // The same bytes as a datagram.
    if (const std::optional<DecodedPacket> datagram = DecodePacket(input))
        print(*datagram);

    // The first stream bytes make a group, a clock and a moment, and the following ones the group's text.
    const auto byte = [&](qsizetype i) { return i < input.size() ? quint8(input[i]) : 0; };
    GroupRecord group;
    group.ZoneIndex = qint16(byte(0) % TimeZoneList.size());
    group.DaylightIndex = qint16(byte(1) % DaylightList.size());
    group.CommandCode = byte(2);
    group.DisplayText = FromWindows1252(input.mid(9, 22));
    const int clock = byte(3) % 128;
    quint64 seconds = 0;
    for (qsizetype i = 4; i < 9; ++i)
        seconds = seconds << 8 | byte(i);
    const QDateTime first(QDate(kFirstPacketYear, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime when = first.addSecs(qint64(seconds % quint64(first.secsTo(first.addYears(256)))));
    const std::optional<DecodedPacket> sent = DecodePacket(BuildClockPacket(group, clock, when));
    // A character outside Windows-1252 goes as "?", so its text is not compared.
    if (!sent || !sent->checksumOk || !sent->fieldsOk() || sent->year != when.date().year() ||
        sent->month != when.date().month() || sent->day != when.date().day() || sent->hour != when.time().hour() ||
        sent->minute != when.time().minute() || sent->second != when.time().second() || sent->clock != clock ||
        sent->command != group.CommandCode || sent->zone != TimeZoneList[size_t(group.ZoneIndex)].code ||
        sent->daylight != DaylightList[size_t(group.DaylightIndex)].code ||
        (!group.DisplayText.contains(QChar(0xFFFD)) && sent->text != FormatDisplayText(group.DisplayText)))
        __builtin_trap();
    // From the codes alone, the monitor finds what the group's positions make the clock show.
    const ShownTime shown = LocalTimeShown(group.ZoneIndex, group.DaylightIndex, when);
    if (ShownLocalText(*sent) != (shown.off ? "off" : shown.local.toString("yyyy-MM-dd HH:mm:ss")))
        __builtin_trap();
    return 0;
}
