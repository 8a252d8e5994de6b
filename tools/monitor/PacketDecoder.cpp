#include "PacketDecoder.h"

#include "model/CodeTables.h"
#include "model/LocalTime.h"
#include "model/Windows1252.h"
#include "model/WireFormat.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
bool DaylightKnown(int code)
{
    for (const CodeEntry& entry : DaylightList) {
        if (entry.code == code)
            return true;
    }
    return false;
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Printed from the raw numbers, so an impossible date still shows what was sent.
QString UtcText(const DecodedPacket& p)
{
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(p.year)
        .arg(TwoDigits(p.month), TwoDigits(p.day), TwoDigits(p.hour), TwoDigits(p.minute), TwoDigits(p.second));
}

QString ReceivedText(const QDateTime& received)
{
    // Local time alone would leave the reader guessing the zone; a fixed offset prints it.
    return received.toOffsetFromUtc(received.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// The text for a one-line display: quotes, backslashes, control bytes and the codes Windows-1252 leaves
// undefined are escaped so that a stray line feed in the text cannot break the line.
QString EscapedText(const QByteArray& bytes)
{
    const QString decoded = FromWindows1252(bytes);
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = quint8(bytes.at(i));
        if (b < 0x20 || b == 0x7F || decoded.at(i) == QChar(0xFFFD))
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else if (b == '"' || b == '\\')
            out += QLatin1String(b == '"' ? "\\\"" : "\\\\");
        else
            out += decoded.at(i);
    }
    return out;
}
} // namespace

QString ShownLocalText(const DecodedPacket& p)
{
    // The monitor sees codes; the engine takes list positions. Code 0 is at two positions that show the same.
    int zonePosition = -1;
    for (size_t i = 0; i < TimeZoneList.size() && zonePosition < 0; ++i) {
        if (TimeZoneList[i].code == p.zone)
            zonePosition = int(i);
    }
    const QDate date(p.year, p.month, p.day);
    const QTime time(p.hour, p.minute, p.second);
    if (zonePosition < 0 || !DaylightKnown(p.daylight) || !date.isValid() || !time.isValid())
        return {};
    const ShownTime shown = LocalTimeShown(zonePosition, p.daylight, QDateTime(date, time, Qt::UTC));
    return shown.off ? QStringLiteral("off") : shown.local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ZoneText(int code)
{
    for (const CodeEntry& entry : TimeZoneList) {
        if (entry.code == code)
            return EntryText(entry);
    }
    return {};
}

std::optional<DecodedPacket> DecodePacket(QByteArrayView bytes)
{
    if (bytes.size() != kPacketSize)
        return std::nullopt;
    const auto at = [&](int i) { return int(quint8(bytes[i])); };
    DecodedPacket p;
    p.second = at(kSecondOffset);
    p.minute = at(kMinuteOffset);
    p.hour = at(kHourOffset);
    p.day = at(kDayOffset);
    p.month = at(kMonthOffset);
    p.year = kFirstPacketYear + at(kYearOffset);
    p.command = at(kCommandOffset);
    p.clock = at(kClockOffset);
    p.zone = at(kZoneOffset);
    p.daylight = at(kDaylightOffset);
    p.textBytes = bytes.sliced(kTextOffset, kDisplayTextLength).toByteArray();
    p.text = FromWindows1252(p.textBytes);
    p.checksumOk = bytes[kChecksumOffset] == PacketChecksum(bytes);

    if (bytes[kStartOffset] != kPacketStart)
        p.problems << QStringLiteral("start byte 0x%1").arg(at(kStartOffset), 2, 16, QLatin1Char('0'));
    if (p.second > 59)
        p.problems << QStringLiteral("second %1").arg(p.second);
    if (p.minute > 59)
        p.problems << QStringLiteral("minute %1").arg(p.minute);
    if (p.hour > 23)
        p.problems << QStringLiteral("hour %1").arg(p.hour);
    if (p.month < 1 || p.month > 12) {
        p.problems << QStringLiteral("month %1").arg(p.month);
        if (p.day < 1 || p.day > 31)
            p.problems << QStringLiteral("day %1").arg(p.day);
    } else if (!QDate::isValid(p.year, p.month, p.day)) {
        p.problems << QStringLiteral("day %1").arg(p.day);
    }
    if (p.clock > kHighestClock)
        p.problems << QStringLiteral("clock %1").arg(p.clock);
    if (ZoneText(p.zone).isNull())
        p.problems << QStringLiteral("zone %1 unknown").arg(p.zone);
    if (!DaylightKnown(p.daylight))
        p.problems << QStringLiteral("daylight %1 unknown").arg(p.daylight);
    const QByteArrayView trailer = bytes.sliced(kTrailerOffset, kChecksumOffset - kTrailerOffset);
    if (at(kReservedOffset) != 0 || trailer.count('\0') != trailer.size())
        p.problems << QStringLiteral("reserved bytes not zero");
    return p;
}

QString FormatPacket(const DecodedPacket& p, const QDateTime& received, OutputFormat format)
{
    const QString zoneText = ZoneText(p.zone);
    const QString local = ShownLocalText(p);
    if (format == OutputFormat::Json) {
        QJsonObject o;
        o.insert(QStringLiteral("received"), ReceivedText(received));
        o.insert(QStringLiteral("clock"), p.clock);
        o.insert(QStringLiteral("utc"), UtcText(p));
        o.insert(QStringLiteral("zone"), p.zone);
        o.insert(QStringLiteral("zoneText"), zoneText.isNull() ? QJsonValue() : QJsonValue(zoneText));
        o.insert(QStringLiteral("daylight"), p.daylight);
        o.insert(QStringLiteral("local"), local.isNull() ? QJsonValue() : QJsonValue(local));
        o.insert(QStringLiteral("command"), p.command);
        o.insert(QStringLiteral("text"), p.text);
        o.insert(QStringLiteral("checksumOk"), p.checksumOk);
        o.insert(QStringLiteral("fieldsOk"), p.fieldsOk());
        o.insert(QStringLiteral("problems"), QJsonArray::fromStringList(p.problems));
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    // Joined rather than filled in with arg(): the packet's text may itself contain "%1".
    QString line = ReceivedText(received) + QStringLiteral(" clock ") + QString::number(p.clock) +
                   QStringLiteral(" utc ") + UtcText(p) + QStringLiteral(" zone ") + QString::number(p.zone) +
                   (zoneText.isNull() ? QStringLiteral(" unknown") : QStringLiteral(" \"") + zoneText + u'"') +
                   QStringLiteral(" daylight ") + QString::number(p.daylight) + QStringLiteral(" local ") +
                   (local.isNull() ? QStringLiteral("unknown") : local) + QStringLiteral(" command ") +
                   QString::number(p.command) + QStringLiteral(" \"") + EscapedText(p.textBytes) +
                   (p.checksumOk ? QStringLiteral("\" ok") : QStringLiteral("\" BAD CHECKSUM"));
    if (!p.fieldsOk())
        line += QStringLiteral(" BAD FIELDS (%1)").arg(p.problems.join(QStringLiteral(", ")));
    return line;
}

QString FormatProblem(const QString& what, const QDateTime& received, OutputFormat format)
{
    if (format == OutputFormat::Json) {
        QJsonObject o;
        o.insert(QStringLiteral("received"), ReceivedText(received));
        o.insert(QStringLiteral("problem"), what);
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    return ReceivedText(received) + u' ' + what;
}

QString DatagramSizeProblem(qsizetype size)
{
    if (size < kPacketSize)
        return QStringLiteral("short datagram (%1 bytes)").arg(size);
    if (size > kPacketSize)
        return QStringLiteral("long datagram (%1 bytes)").arg(size);
    return {};
}
