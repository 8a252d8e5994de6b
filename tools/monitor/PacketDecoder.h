// One clock packet taken apart, and the line the monitor prints for it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

struct DecodedPacket
{
    // The values as sent, the year in full: a field out of its range is kept as it came and named in `problems`,
    // never corrected.
    int second = 0, minute = 0, hour = 0, day = 0, month = 0, year = 0;
    int command = 0, clock = 0, zone = 0, daylight = 0;
    QByteArray textBytes; // the kDisplayTextLength text bytes as sent
    QString text;         // the same, read as Windows-1252
    bool checksumOk = false;
    QStringList problems; // e.g. "month 13", "zone 15 unknown"; empty when every field is possible

    bool fieldsOk() const { return problems.isEmpty(); }
};

enum class OutputFormat { Text, Json };

// Exactly kPacketSize bytes; anything else gives nothing.
std::optional<DecodedPacket> DecodePacket(QByteArrayView bytes);

// The zone list's text for a code (the first entry when several share it), trailing blanks dropped; null if unknown.
QString ZoneText(int code);

// What the packet makes its clock show: "yyyy-MM-dd HH:mm:ss", "off" for CLOCK OFF, or null when a code or the
// date and time are impossible.
QString ShownLocalText(const DecodedPacket& packet);

// One line, without its newline. The receive time is printed with its offset from UTC and milliseconds.
QString FormatPacket(const DecodedPacket& packet, const QDateTime& received, OutputFormat format);

// A line for input that is not a packet: `what` says what was wrong, e.g. "short datagram (12 bytes)".
QString FormatProblem(const QString& what, const QDateTime& received, OutputFormat format);

// What is wrong with a datagram of this size, or a null string when it can hold a packet.
QString DatagramSizeProblem(qsizetype size);
