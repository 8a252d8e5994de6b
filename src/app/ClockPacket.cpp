#include "app/ClockPacket.h"

#include "model/CodeTables.h"
#include "model/Windows1252.h"

namespace {
constexpr int kTextLength = 20;
constexpr int kTextOffset = 12;
} // namespace

QString FormatDisplayText(const QString& text)
{
    if (text.size() >= kTextLength)
        return text.left(kTextLength);
    const qsizetype before = (kTextLength - text.size()) / 2;
    return (QString(before, QLatin1Char(' ')) + text).leftJustified(kTextLength, QLatin1Char(' '));
}

bool PacketYearInRange(const QDateTime& utcNow)
{
    const int year = utcNow.toUTC().date().year();
    return year >= kFirstPacketYear && year <= kLastPacketYear;
}

QByteArray BuildClockPacket(const GroupRecord& group, int clock, const QDateTime& utcNow)
{
    QByteArray packet(kPacketSize, '\0');
    const QDateTime utc = utcNow.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    packet[0] = kPacketStart;
    packet[1] = char(time.second());
    packet[2] = char(time.minute());
    packet[3] = char(time.hour());
    packet[4] = char(date.day());
    packet[5] = char(date.month());
    packet[6] = char(date.year() - kFirstPacketYear);
    packet[8] = char(group.CommandCode);
    packet[9] = char(clock);
    packet[10] = char(TimeZoneList[size_t(group.ZoneIndex)].code);
    packet[11] = char(DaylightList[size_t(group.DaylightIndex)].code);
    const QByteArray text = ToWindows1252(FormatDisplayText(group.DisplayText));
    packet.replace(kTextOffset, kTextLength, text);
    // The checksum makes the 8-bit sum of all 50 bytes zero.
    quint8 sum = 0;
    for (int i = 0; i < kPacketSize - 1; ++i)
        sum = quint8(sum + quint8(packet[i]));
    packet[kPacketSize - 1] = char(quint8(0x100 - sum));
    return packet;
}
