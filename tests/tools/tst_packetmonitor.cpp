// The monitor's decoding and framing: anything odd is shown rather than hidden. (The fuzz target checks that what
// the sender built comes back, and that the framing does not depend on how the line delivers the bytes.)
#include "PacketDecoder.h"
#include "PacketFramer.h"
#include "app/ClockPacket.h"

#include <QTest>

namespace {
QByteArray Packet(int clock, const QString& text = QStringLiteral("LOBBY"),
                  const QDateTime& utc = QDateTime(QDate(2026, 12, 5), QTime(10, 8, 3), Qt::UTC))
{
    GroupRecord group;
    group.DisplayText = text;
    group.ZoneIndex = 8;
    group.DaylightIndex = 30;
    return BuildClockPacket(group, clock, utc);
}

// Writes `value` at `offset` and mends the checksum, so that only the field is wrong.
QByteArray With(QByteArray packet, int offset, int value)
{
    packet[offset] = char(value);
    quint8 sum = 0;
    for (int i = 0; i < kPacketSize - 1; ++i)
        sum = quint8(sum + quint8(packet[i]));
    packet[kPacketSize - 1] = char(quint8(0x100 - sum));
    return packet;
}

QByteArray Damaged(QByteArray packet)
{
    packet[20] = char(packet[20] ^ 0x01); // "LOBBY" reads "LNBBY"
    return packet;
}

QString Describe(const FramerEvent& e)
{
    static const char* const kNames[] = {"packet", "bad", "noise", "truncated"};
    const bool packet = e.kind == FramerEvent::Kind::Packet || e.kind == FramerEvent::Kind::BadChecksum;
    return QStringLiteral("%1 %2").arg(kNames[int(e.kind)]).arg(packet ? quint8(e.bytes.at(9)) : e.size);
}
} // namespace

class tst_PacketMonitor : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void frame_data();
    void frame();
};

void tst_PacketMonitor::decode_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("line"); // after the receive time

    const QString est = QStringLiteral(R"(zone 27 "(27) UTC-5 (Romeo) EST Eastern Standard Time" daylight 30)");
    const QString lobby = QStringLiteral(R"("       LOBBY        ")");
    QTest::newRow("leap day; zone text loses its trailing blank")
        << Packet(7, "LOBBY", QDateTime(QDate(2028, 2, 29), QTime(23, 59, 59), Qt::UTC))
        << "clock 7 utc 2028-02-29 23:59:59 " + est + " command 0 " + lobby + " ok";
    QTest::newRow("flipped text byte") << Damaged(Packet(7))
                                       << "clock 7 utc 2026-12-05 10:08:03 " + est +
                                              R"( command 0 "       LNBBY        " BAD CHECKSUM)";
    QTest::newRow("impossible time, month and clock") << With(With(With(Packet(7), 1, 75), 5, 13), 9, 200)
                                                      << "clock 200 utc 2026-13-05 10:08:75 " + est + " command 0 " +
                                                             lobby + " ok BAD FIELDS (second 75, month 13, clock 200)";
    QTest::newRow("unknown zone and daylight, reserved byte set")
        << With(With(With(Packet(7), 10, 15), 11, 39), 40, 1)
        << "clock 7 utc 2026-12-05 10:08:03 zone 15 unknown daylight 39 command 0 " + lobby +
               " ok BAD FIELDS (zone 15 unknown, daylight 39 unknown, reserved bytes not zero)";
}

void tst_PacketMonitor::decode()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, line);
    const QDateTime received(QDate(2026, 12, 5), QTime(11, 8, 3, 45), Qt::OffsetFromUTC, 3600);
    const auto p = DecodePacket(packet);
    QVERIFY(p);
    QCOMPARE(FormatPacket(*p, received, OutputFormat::Text), "2026-12-05T11:08:03.045+01:00 " + line);
    QVERIFY(!DecodePacket(packet.chopped(1)));
}

void tst_PacketMonitor::frame_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("burstEnds");
    QTest::addColumn<QStringList>("events");

    const QByteArray p1 = Packet(1), p2 = Packet(2);
    QTest::newRow("noise before and between, one with a ')'")
        << "xyz" + p1 + "ab)cd" + p2 << false << QStringList{"noise 3", "packet 1", "noise 5", "packet 2"};
    // Without the overlap rule the stray ')' would be taken for a damaged packet framed by the ')' in p2's text.
    QTest::newRow("noise ending in ')' does not swallow the next packet")
        << ")" + QByteArray(28, 'n') + Packet(2, QStringLiteral(")")) << false << QStringList{"noise 29", "packet 2"};
    QTest::newRow("damaged packet framed by the next one")
        << Damaged(p1) + p2 << false << QStringList{"bad 1", "packet 2"};
    QTest::newRow("damaged packet at the end of a burst") << Damaged(p1) << true << QStringList{"bad 1"};
    QTest::newRow("truncated at the end of a burst")
        << p1 + p2.left(20) << true << QStringList{"packet 1", "truncated 20"};
}

void tst_PacketMonitor::frame()
{
    QFETCH(QByteArray, stream);
    PacketFramer framer;
    framer.feed(stream);
    QFETCH(bool, burstEnds);
    if (burstEnds)
        framer.endBurst();
    QStringList seen;
    for (const FramerEvent& e : framer.takeEvents())
        seen << Describe(e);
    QTEST(seen, "events");
}

QTEST_GUILESS_MAIN(tst_PacketMonitor)
#include "tst_packetmonitor.moc"
