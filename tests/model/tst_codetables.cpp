// The zone and daylight lists: codes and texts where a slip is likely, and the rules every entry follows.
#include "model/CodeTables.h"

#include <QTest>
#include <span>

class tst_CodeTables : public QObject
{
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
    void everyTextStartsWithItsCode_data();
    void everyTextStartsWithItsCode();
    void daylightCodeIsItsPosition();
};

void tst_CodeTables::entry_data()
{
    QTest::addColumn<bool>("zone");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("zone 0, the default: clock off") << true << 0 << 16 << QStringLiteral("(16) CLOCK OFF");
    QTest::newRow("zone 3, trailing blank")
        << true << 3 << 22 << QStringLiteral("(22) UTC-10 (Whiskey) HST Hawaiian Standard Time ");
    QTest::newRow("zone 11, short with trailing blank") << true << 11 << 30 << QStringLiteral("(30) UTC-2 (Oscar) ");
    QTest::newRow("zone 13, first code 0")
        << true << 13 << 0 << QStringLiteral("(0) UTC+0 (Zulu) GMT Greenwich Mean Time ");
    QTest::newRow("zone 14, second code 0")
        << true << 14 << 0 << QStringLiteral("(0) UTC+0 (Zulu) WET Western Europe Time");
    QTest::newRow("zone 16, stray parenthesis")
        << true << 16 << 2 << QStringLiteral("(2) UTC+2 (Bravo) EET Eastern Europe Time)");
    QTest::newRow("zone 28, the last") << true << 28 << 14 << QStringLiteral("(14) UTC+14");

    QTest::newRow("daylight 0, the default") << false << 0 << 0 << QStringLiteral("(0) none ");
    QTest::newRow("daylight 5, two blanks after Last")
        << false << 5 << 5 << QStringLiteral("(5) Last  Sunday in Mar. 0159-0300 to Last Sunday in Oct. 0159-0100");
    QTest::newRow("daylight 9, two blanks after the code") << false << 9 << 9 << QStringLiteral("(9)  Forced hour");
    QTest::newRow("daylight 23, two blanks after 9th")
        << false << 23 << 23
        << QStringLiteral(
               "(23) 1st Sunday in Oct on or after 9th  0159-0300 to 1st Sunday in Mar. on or after 9th 0259-0200");
    QTest::newRow("daylight 27, two trailing blanks")
        << false << 27 << 27
        << QStringLiteral("(27) Last Wednesday in Apr. 2359-0100 to Last Wednesday in Oct. 2359-2300  ");
    QTest::newRow("daylight 29, blanks around a dash")
        << false << 29 << 29 << QStringLiteral("(29) 1st Sunday in Mar. 0159-0300 to Last Sunday in Nov. 0159 - 0100");
    QTest::newRow("daylight 38, the last")
        << false << 38 << 38
        << QStringLiteral("(38) 1st->2nd Sunday in Nov. 0159-0300 to 2nd Sunday in Jan. 0259-0200");
}

void tst_CodeTables::entry()
{
    QFETCH(bool, zone);
    QFETCH(int, position);
    QFETCH(int, code);
    QFETCH(QString, text);

    const CodeEntry& entry = zone ? TimeZoneList.at(position) : DaylightList.at(position);
    QCOMPARE(int(entry.code), code);
    QCOMPARE(QString(entry.text), text);
}

void tst_CodeTables::everyTextStartsWithItsCode_data()
{
    QTest::addColumn<bool>("zone");
    QTest::newRow("zone list") << true;
    QTest::newRow("daylight list") << false;
}

// Also catches an entry left out: the array would pad it with code 0 and an empty text.
void tst_CodeTables::everyTextStartsWithItsCode()
{
    QFETCH(bool, zone);
    const std::span<const CodeEntry> list = zone ? std::span<const CodeEntry>(TimeZoneList) : DaylightList;
    for (const CodeEntry& entry : list) {
        const QString prefix = u'(' + QString::number(entry.code) + QStringLiteral(") ");
        QVERIFY2(QString(entry.text).startsWith(prefix), qPrintable(QString(entry.text)));
    }
}

void tst_CodeTables::daylightCodeIsItsPosition()
{
    for (int i = 0; i < 39; ++i)
        QCOMPARE(int(DaylightList[i].code), i);
}

QTEST_GUILESS_MAIN(tst_CodeTables)
#include "tst_codetables.moc"
