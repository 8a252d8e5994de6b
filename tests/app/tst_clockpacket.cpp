// The clock packet, byte for byte.
#include "app/ClockPacket.h"
#include "model/CodeTables.h"
#include "model/Windows1252.h"

#include <QTest>

namespace {
quint8 sum(const QByteArray& bytes)
{
    quint8 s = 0;
    for (char b : bytes)
        s = quint8(s + quint8(b));
    return s;
}

// The positions of zone code 27 and daylight code 30 in their lists.
GroupRecord lobby()
{
    GroupRecord group;
    group.DisplayText = QStringLiteral("LOBBY");
    for (size_t i = 0; i < TimeZoneList.size(); ++i)
        if (TimeZoneList[i].code == 27)
            group.ZoneIndex = qint16(i);
    group.DaylightIndex = 30;
    return group;
}

const QDateTime kExampleTime(QDate(2026, 12, 5), QTime(10, 8, 3), Qt::UTC);
} // namespace

class tst_ClockPacket : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void text_data();
    void text();
    void fieldsAndChecksum_data();
    void fieldsAndChecksum();
    void windows1252_data();
    void windows1252();
};

void tst_ClockPacket::workedExample()
{
    const QByteArray expected = QByteArray::fromHex("29 03 08 0A 05 0C 2A 00 00 07 1B 1E"
                                                    "20 20 20 20 20 20 20 4C 4F 42 42 59 20 20 20 20 20 20 20 20") +
                                QByteArray(17, '\0') + QByteArray::fromHex("EF");
    QCOMPARE(BuildClockPacket(lobby(), 7, kExampleTime).toHex(' '), expected.toHex(' '));
    // A local time of the same instant gives the same packet: the clocks get UTC.
    QCOMPARE(BuildClockPacket(lobby(), 7, kExampleTime.toOffsetFromUtc(-5 * 3600)), expected);
}

void tst_ClockPacket::text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sent");
    QTest::newRow("empty: 20 blanks") << "" << QString(20, u' ');
    QTest::newRow("5: 7 blanks before, 8 after") << "LOBBY"
                                                 << "       LOBBY        ";
    QTest::newRow("19: none before, one after") << "ABCDEFGHIJKLMNOPQRS"
                                                << "ABCDEFGHIJKLMNOPQRS ";
    QTest::newRow("20: unchanged") << "ABCDEFGHIJKLMNOPQRST"
                                   << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("25: cut to 20") << "ABCDEFGHIJKLMNOPQRSTUVWXY"
                                   << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("blanks of its own are kept") << " x "
                                                << "         x          ";
}

void tst_ClockPacket::text()
{
    QFETCH(QString, text);
    QFETCH(QString, sent);
    GroupRecord group;
    group.DisplayText = text;
    QCOMPARE(BuildClockPacket(group, 0, kExampleTime).mid(12, 20), sent.toLatin1());
}

void tst_ClockPacket::fieldsAndChecksum_data()
{
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("clock");
    QTest::addColumn<QString>("text");
    QTest::newRow("first year") << QDateTime(QDate(1984, 1, 1), QTime(0, 0, 0), Qt::UTC) << 0 << 0 << "";
    QTest::newRow("last year, last second")
        << QDateTime(QDate(2239, 12, 31), QTime(23, 59, 59), Qt::UTC) << 255 << 127 << "ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ";
    QTest::newRow("factory reset command") << kExampleTime << 236 << 42 << "Zürich €";
    QTest::newRow("leap day") << QDateTime(QDate(2028, 2, 29), QTime(12, 30, 45), Qt::UTC) << 1 << 64 << "))))";
}

void tst_ClockPacket::fieldsAndChecksum()
{
    QFETCH(QDateTime, utc);
    QFETCH(int, command);
    QFETCH(int, clock);
    QFETCH(QString, text);
    GroupRecord group;
    group.CommandCode = qint16(command);
    group.ZoneIndex = 28;
    group.DaylightIndex = 38;
    group.DisplayText = text;
    const QByteArray p = BuildClockPacket(group, clock, utc);
    QCOMPARE(p.size(), 50);
    QCOMPARE(p.at(0), char(0x29));
    QCOMPARE(p.at(7), char(0));
    QCOMPARE(p.mid(32, 17), QByteArray(17, '\0'));
    QCOMPARE(sum(p), quint8(0));
    const QList<int> fields = {utc.time().second(), utc.time().minute(), utc.time().hour(),
                               utc.date().day(),    utc.date().month(),  utc.date().year() - 1984};
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(int(quint8(p.at(1 + i))), fields[i]);
    QCOMPARE(int(quint8(p.at(8))), command);
    QCOMPARE(int(quint8(p.at(9))), clock);
    QCOMPARE(quint8(p.at(10)), TimeZoneList[28].code);
    QCOMPARE(quint8(p.at(11)), DaylightList[38].code);
    QCOMPARE(p.mid(12, 20), ToWindows1252(FormatDisplayText(text)));
}



void tst_ClockPacket::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII unchanged") << "Az09 ~)" << QByteArray("Az09 ~)");
    QTest::newRow("Latin-1 letters") << "Zürich é ÿ" << QByteArray("Z\xfcrich \xe9 \xff");
    QTest::newRow("the 0x80..0x9F letters") << "€Š“”žŸ" << QByteArray("\x80\x8a\x93\x94\x9e\x9f");
    QTest::newRow("outside the code page") << "東Ω" << QByteArray("??");
    QTest::newRow("C1 controls are not letters") << QString(QChar(0x81)) << QByteArray("?");
    QTest::newRow("a surrogate pair") << QString::fromUtf8("\xf0\x9f\x95\x90") << QByteArray("??");
}

void tst_ClockPacket::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ToWindows1252(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(FromWindows1252(bytes), text);
}

QTEST_APPLESS_MAIN(tst_ClockPacket)
#include "tst_clockpacket.moc"
