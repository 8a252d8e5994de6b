// The clock packet as it goes on the wire: its size, where each field sits, what the fields can hold, and its
// checksum. The program builds packets and the monitor reads them from these alone, so the two cannot drift apart.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

constexpr int kPacketSize = 50;
constexpr char kPacketStart = 0x29;

// One byte each, in this order; every byte not named here is sent as zero.
constexpr int kStartOffset = 0;
constexpr int kSecondOffset = 1;
constexpr int kMinuteOffset = 2;
constexpr int kHourOffset = 3;
constexpr int kDayOffset = 4;
constexpr int kMonthOffset = 5;
constexpr int kYearOffset = 6;     // years since kFirstPacketYear
constexpr int kReservedOffset = 7; // zero
constexpr int kCommandOffset = 8;
constexpr int kClockOffset = 9;
constexpr int kZoneOffset = 10;     // the zone's code, not its list position
constexpr int kDaylightOffset = 11; // the daylight rule's code
constexpr int kTextOffset = 12;
constexpr int kDisplayTextLength = 20;                           // Windows-1252, one byte a character
constexpr int kTrailerOffset = kTextOffset + kDisplayTextLength; // zero up to the checksum
constexpr int kChecksumOffset = kPacketSize - 1;

constexpr int kFirstPacketYear = 1984; // the year byte counts from here
constexpr int kLastPacketYear = kFirstPacketYear + 255;

constexpr int kHighestClock = 127;
constexpr int kClockCount = kHighestClock + 1;

// The one-shot command bytes the manufacturing keys send (F5, F6, F7, and Shift+F8's factory reset); the clocks are
// given no other.
constexpr int kKeyCommandCodes[] = {236, 172, 156, 220};
constexpr int kFactoryResetCode = 220;

// The checksum byte for the first kChecksumOffset bytes of `packet` (which holds at least that many): it makes the
// 8-bit sum of the whole packet zero. The builder writes it; a reader compares it with the byte received.
constexpr char PacketChecksum(QByteArrayView packet)
{
    quint8 sum = 0;
    for (qsizetype i = 0; i < kChecksumOffset; ++i)
        sum = quint8(sum + quint8(packet[i]));
    return char(quint8(0x100 - sum));
}
