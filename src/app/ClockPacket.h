// The 50-byte packet that tells one clock the UTC time, its zone and daylight codes, a command and its text.
#pragma once

#include "model/GroupTable.h"

#include <QByteArray>
#include <QDateTime>

constexpr int kPacketSize = 50;
constexpr char kPacketStart = 0x29;
constexpr int kFirstPacketYear = 1984; // the year byte counts from here
constexpr int kLastPacketYear = kFirstPacketYear + 255;

// The group's text centred in 20 characters (an odd blank goes right), or its first 20 characters.
QString FormatDisplayText(const QString& text);

// True when the year fits the packet's year byte.
bool PacketYearInRange(const QDateTime& utcNow);

// The 50 bytes for `clock` of `group` at `utcNow` (a UTC time whose year is in range).
QByteArray BuildClockPacket(const GroupRecord& group, int clock, const QDateTime& utcNow);
