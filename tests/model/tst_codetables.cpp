// The zone and daylight lists: codes and texts where a slip is likely, and the rules every entry follows.
#include "model/CodeTables.h"

#include <QTest>
#include <span>

class tst_CodeTables : public QObject
{
    Q_OBJECT

private slots:
    void everyTextStartsWithItsCode_data();
    void everyTextStartsWithItsCode();
    void daylightCodeIsItsPosition();
};



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
