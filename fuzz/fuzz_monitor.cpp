// Any bytes on the line: the framer accounts for every byte in order and cuts the stream the same way however it is
// split into reads, a packet is good only when its checksum holds, and each line printed for it stays one line.
// What the program sends, the monitor reads back as sent: tests/logic's round trip of random groups.
#include "PacketDecoder.h"
#include "PacketFramer.h"

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

    return 0;
}
