#include "app/ClockPacket.h"

#include "model/CodeTables.h"
#include "model/Windows1252.h"

QString FormatDisplayText(const QString& text)
{
    if (text.size() >= kDisplayTextLength)
        return text.left(kDisplayTextLength);
    const qsizetype before = (kDisplayTextLength - text.size()) / 2;
    return (QString(before, QLatin1Char(' ')) + text).leftJustified(kDisplayTextLength, QLatin1Char(' '));
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
    packet[kStartOffset] = kPacketStart;
    packet[kSecondOffset] = char(time.second());
    packet[kMinuteOffset] = char(time.minute());
    packet[kHourOffset] = char(time.hour());
    packet[kDayOffset] = char(date.day());
    packet[kMonthOffset] = char(date.month());
    packet[kYearOffset] = char(date.year() - kFirstPacketYear);
    packet[kCommandOffset] = char(group.CommandCode);
    packet[kClockOffset] = char(clock);
    packet[kZoneOffset] = char(TimeZoneList[size_t(group.ZoneIndex)].code);
    packet[kDaylightOffset] = char(DaylightList[size_t(group.DaylightIndex)].code);
    const QByteArray text = ToWindows1252(FormatDisplayText(group.DisplayText));
    packet.replace(kTextOffset, kDisplayTextLength, text);
    packet[kChecksumOffset] = PacketChecksum(packet);
    return packet;
}
