#include "PacketFramer.h"

#include "model/WireFormat.h"

#include <utility>

namespace {
bool ChecksumHolds(QByteArrayView packet)
{
    return packet[kChecksumOffset] == PacketChecksum(packet);
}
} // namespace

void PacketFramer::feed(QByteArrayView bytes)
{
    m_pending.append(bytes);
    if (m_pending.size() - m_start < m_needed)
        return; // byte by byte from a slow line, no need to look again
    while (step(false)) {
    }
    m_pending.remove(0, m_start);
    m_start = 0;
}

void PacketFramer::endBurst()
{
    while (step(true)) {
    }
    m_pending.clear();
    m_start = m_needed = 0;
    reportNoise();
}

QList<FramerEvent> PacketFramer::takeEvents()
{
    return std::exchange(m_events, {});
}

bool PacketFramer::step(bool burstEnded)
{
    const QByteArrayView rest = QByteArrayView(m_pending).sliced(m_start);
    if (rest.isEmpty())
        return wait(1);
    if (rest[0] != kPacketStart) {
        const qsizetype next = rest.indexOf(kPacketStart);
        addNoise(next < 0 ? rest.size() : next);
        return true;
    }
    if (rest.size() < kPacketSize) {
        if (!burstEnded)
            return wait(kPacketSize);
        reportNoise();
        m_events.append(
            {FramerEvent::Kind::Truncated, rest.size(), rest.first(qMin(rest.size(), kNoisePreview)).toByteArray()});
        m_start += rest.size();
        return true;
    }
    const QByteArrayView candidate = rest.first(kPacketSize);
    if (ChecksumHolds(candidate)) {
        take(FramerEvent::Kind::Packet);
        return true;
    }
    for (qsizetype j = 1; j < kPacketSize; ++j) {
        if (rest[j] != kPacketStart)
            continue;
        if (rest.size() >= j + kPacketSize) {
            if (ChecksumHolds(rest.sliced(j, kPacketSize))) {
                addNoise(1);
                return true;
            }
        } else if (!burstEnded) {
            return wait(j + kPacketSize);
        }
    }
    const bool framed = rest.size() > kPacketSize ? rest[kPacketSize] == kPacketStart : burstEnded;
    if (framed) {
        take(FramerEvent::Kind::BadChecksum);
        return true;
    }
    if (rest.size() > kPacketSize) {
        addNoise(1);
        return true;
    }
    return wait(kPacketSize + 1);
}

bool PacketFramer::wait(qsizetype needed)
{
    m_needed = needed;
    return false;
}

void PacketFramer::take(FramerEvent::Kind kind)
{
    reportNoise();
    m_events.append({kind, kPacketSize, m_pending.mid(m_start, kPacketSize)});
    m_start += kPacketSize;
}

void PacketFramer::addNoise(qsizetype count)
{
    while (count > 0) {
        const qsizetype n = qMin(count, kNoiseReportLimit - m_noise.size);
        const qsizetype shown = qMin(n, kNoisePreview - m_noise.bytes.size());
        if (shown > 0)
            m_noise.bytes.append(m_pending.mid(m_start, shown));
        m_noise.size += n;
        m_start += n;
        count -= n;
        if (m_noise.size == kNoiseReportLimit)
            reportNoise();
    }
}

void PacketFramer::reportNoise()
{
    if (m_noise.size > 0)
        m_events.append(std::exchange(m_noise, {}));
}

QString DescribeSkipped(const FramerEvent& event)
{
    const QString count = event.size == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(event.size);
    if (event.kind == FramerEvent::Kind::Truncated)
        return QStringLiteral("truncated packet (%1)").arg(count);
    QString text = QStringLiteral("skipped %1 of noise: ").arg(count) + QString::fromLatin1(event.bytes.toHex(' '));
    if (event.size > event.bytes.size())
        text += QStringLiteral(" ...");
    return text;
}
