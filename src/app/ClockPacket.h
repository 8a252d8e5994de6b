// The 50-byte packet that tells one clock the UTC time, its zone and daylight codes, a command and its text.
#pragma once

#include "model/GroupTable.h"
#include "model/WireFormat.h"

#include <QByteArray>
#include <QDateTime>

// The group's text centred in kDisplayTextLength characters (an odd blank goes right), or its first ones.
QString FormatDisplayText(const QString& text);

// True when the year fits the packet's year byte.
bool PacketYearInRange(const QDateTime& utcNow);

// The 50 bytes for `clock` of `group` at `utcNow` (a UTC time whose year is in range).
QByteArray BuildClockPacket(const GroupRecord& group, int clock, const QDateTime& utcNow);
