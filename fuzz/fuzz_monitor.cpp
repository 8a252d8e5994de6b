// Any bytes on the line or in a datagram: nothing may crash; the framer accounts for every byte in order, cuts the
// stream the same way however it is split into reads, and calls a packet good only when its checksum holds; every
// printed line stays one line.
#include "PacketDecoder.h"
#include "PacketFramer.h"
#include "app/ClockPacket.h"

#include <cstddef>
#include <cstdint>

namespace {
const QDateTime kReceived = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);

bool SumsToZero(QByteArrayView bytes)
{
    quint8 sum = 0;
    for (const char b : bytes)
        sum = quint8(sum + quint8(b));
    return sum == 0;
}

void CheckLine(const QString& line)
{
    if (line.isEmpty() || line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
        __builtin_trap();
}

void CheckDecoded(QByteArrayView bytes, bool checksumOk)
{
    const auto packet = DecodePacket(bytes);
    if (!packet || packet->checksumOk != checksumOk || packet->checksumOk != SumsToZero(bytes))
        __builtin_trap();
    CheckLine(FormatPacket(*packet, kReceived, OutputFormat::Text));
    CheckLine(FormatPacket(*packet, kReceived, OutputFormat::Json));
}

// The events must tile the input: each starts where the previous one ended and shows the bytes found there.
void CheckEvents(const QList<FramerEvent>& events, QByteArrayView input, bool decode)
{
    qsizetype offset = 0;
    for (const FramerEvent& e : events) {
        const bool framed = e.kind == FramerEvent::Kind::Packet || e.kind == FramerEvent::Kind::BadChecksum;
        if (e.size <= 0 || offset + e.size > input.size())
            __builtin_trap();
        const QByteArrayView here = input.sliced(offset, e.size);
        if (framed) {
            if (e.size != kPacketSize || e.bytes != here || here[0] != kPacketStart)
                __builtin_trap();
            if (decode)
                CheckDecoded(e.bytes, e.kind == FramerEvent::Kind::Packet);
        } else {
            if (e.bytes != here.first(qMin(e.size, PacketFramer::kNoisePreview)))
                __builtin_trap();
            if (e.kind == FramerEvent::Kind::Truncated && (e.size >= kPacketSize || here[0] != kPacketStart))
                __builtin_trap();
            if (e.kind == FramerEvent::Kind::Noise && e.size > PacketFramer::kNoiseReportLimit)
                __builtin_trap();
            if (decode)
                CheckLine(FormatProblem(DescribeSkipped(e), kReceived, OutputFormat::Text));
        }
        offset += e.size;
    }
    if (offset != input.size())
        __builtin_trap();
}
} // namespace

// The first byte chooses how the rest is split into reads and where the line goes quiet.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    quint32 state = data[0] * 2654435761u + 1;
    const auto next = [&] { return (state = state * 1664525u + 1013904223u) >> 16; };

    PacketFramer whole;
    whole.feed(input);
    const QList<FramerEvent> beforeQuiet = whole.takeEvents();
    whole.endBurst();
    const QList<FramerEvent> expected = beforeQuiet + whole.takeEvents();
    CheckEvents(expected, input, true);

    // The same bytes in reads of random sizes: the same events, none of them later. With quiet spells in between,
    // still a tiling.
    PacketFramer split, pausing;
    QList<FramerEvent> seen, paused;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype n = qMin(input.size() - at, qsizetype(1 + next() % (1 + data[0] % 120)));
        split.feed(input.sliced(at, n));
        seen += split.takeEvents();
        pausing.feed(input.sliced(at, n));
        if (next() % 4 == 0)
            pausing.endBurst();
        paused += pausing.takeEvents();
        at += n;
    }
    if (seen != beforeQuiet)
        __builtin_trap();
    split.endBurst();
    seen += split.takeEvents();
    pausing.endBurst();
    paused += pausing.takeEvents();
    if (seen != expected)
        __builtin_trap();
    CheckEvents(paused, input, false);

    // A datagram of these bytes.
    if (const auto packet = DecodePacket(input)) {
        CheckLine(FormatPacket(*packet, kReceived, OutputFormat::Text));
        CheckLine(FormatPacket(*packet, kReceived, OutputFormat::Json));
    } else if (input.size() == kPacketSize || DatagramSizeProblem(input.size()).isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
