// Finds clock packets in the byte stream of a serial line, which has no length field and no end byte.
//
// How the stream is cut, looking at the first byte not yet accounted for:
//  1. A byte other than 0x29 cannot start a packet: it and everything up to the next 0x29 is noise.
//  2. A 0x29 with 50 bytes whose 8-bit sum is 0 is a packet, reported as soon as its last byte is in. A 0x29 in a
//     packet's text is never looked at while the framer is in step, since the whole packet is taken at once.
//  3. A 0x29 whose 50 bytes fail the checksum is a corrupted packet (BadChecksum) only when its framing holds
//     otherwise: the byte after it is 0x29, or the burst ends right after it; and no 0x29 inside it starts 50
//     bytes with a good checksum (a packet that overlaps wins). Otherwise that 0x29 is one byte of noise and the
//     search goes on from the next 0x29, which may be a ")" inside a text or the start of the next packet.
//  4. At the end of a burst, fewer than 50 bytes from a 0x29 are a truncated packet.
// So a packet that lost or gained bytes shows as noise, one with a changed byte as BadChecksum. A stray 0x29 in
// noise passes the checksum by chance once in 256 tries; the packet it overlaps is then lost.
//
// Decisions wait for the bytes they need (at most 99) or for the end of the burst, so the events are the same
// however the stream is split into feeds. Consecutive noise makes one event, reported before the next packet, at
// the end of the burst, or when it reaches kNoiseReportLimit bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

struct FramerEvent
{
    enum class Kind { Packet, BadChecksum, Noise, Truncated };
    Kind kind = Kind::Noise;
    qsizetype size = 0; // bytes of the stream this event accounts for
    QByteArray bytes;   // the packet's 50 bytes; for noise and truncation the first ones, at most kNoisePreview

    bool operator==(const FramerEvent&) const = default;
};

class PacketFramer
{
public:
    static constexpr qsizetype kNoisePreview = 16;
    static constexpr qsizetype kNoiseReportLimit = 1024;

    void feed(QByteArrayView bytes);
    // The line has gone quiet: decide on everything held back.
    void endBurst();
    QList<FramerEvent> takeEvents();

private:
    bool step(bool burstEnded);  // false when more bytes are needed
    bool wait(qsizetype needed); // false, after noting how many bytes the next decision needs
    void take(FramerEvent::Kind kind);
    void addNoise(qsizetype count);
    void reportNoise();

    QByteArray m_pending;
    qsizetype m_start = 0;  // bytes of m_pending already accounted for
    qsizetype m_needed = 0; // bytes from m_start that step() needs to decide anything
    FramerEvent m_noise;
    QList<FramerEvent> m_events;
};

// The line the monitor prints for noise or a truncated packet, e.g. "skipped 7 bytes of noise: 41 42 ...".
QString DescribeSkipped(const FramerEvent& event);
