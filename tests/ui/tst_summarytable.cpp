// The summary's text: column widths, headings with their blanks, rows in letter order, CR LF line ends.
#include "model/GroupTable.h"
#include "ui/auxiliary/SummaryTable.h"

#include <QTest>

class tst_SummaryTable : public QObject
{
    Q_OBJECT

private slots:
    void table_data();
    void table();
};

void tst_SummaryTable::table_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no group with clocks: headings only, 5 columns of 10")
        << 0
        << QStringLiteral("Group      Clock      Time       Daylight   Text       \r\n"
                          "Letter     Numbers    Zone       Savings    Display    \r\n"
                          "======     =======    ====       ========   =======    \r\n");
    // Zone 0 and daylight 0 are 14 and 9 characters: those columns grow to 16 and 11 for every line.
    QTest::newRow("letters ascending, groups without clocks left out")
        << 1
        << QStringLiteral("Group      Clock      Time             Daylight    Text       \r\n"
                          "Letter     Numbers    Zone             Savings     Display    \r\n"
                          "======     =======    ====             ========    =======    \r\n"
                          "A          1-5,7      (16) CLOCK OFF   (0) none    LOBBY      \r\n"
                          "C          9          (16) CLOCK OFF   (0) none               \r\n");
    QTest::newRow("13-character list, 54-character zone, 20-character text: each 2 wider")
        << 2
        << QStringLiteral(
               "Group      Clock           "
               "Time                                                     Daylight    Text                   \r\n"
               "Letter     Numbers         "
               "Zone                                                     Savings     Display                \r\n"
               "======     =======         "
               "====                                                     ========    =======                \r\n"
               "B          0-2,5,7-8,127   "
               "(20) UTC-12 (Yankee) IDLW International Date Line West   (0) none    ABCDEFGHIJKLMNOPQRST   \r\n");
}

void tst_SummaryTable::table()
{
    QFETCH(int, groups);
    QFETCH(QString, expected);
    std::array<GroupRecord, kGroupCount> table{};
    const auto set = [&](int index, const char* clocks, qint16 zone, const char* text) {
        QVERIFY(ParseClockList(table[size_t(index)].Clocks, QString::fromLatin1(clocks)).isEmpty());
        table[size_t(index)].ZoneIndex = zone;
        table[size_t(index)].DisplayText = QString::fromLatin1(text);
    };
    if (groups == 1) {
        set(2, "9", 0, "");
        set(0, "1-5,7", 0, "LOBBY");
        set(1, "", 1, "NO CLOCKS, LONG TEXT HERE"); // must not widen anything
    } else if (groups == 2) {
        set(1, "0-2,5,7-8,127", 1, "ABCDEFGHIJKLMNOPQRST");
    }
    QCOMPARE(SummaryTableText(table), expected);
}

QTEST_APPLESS_MAIN(tst_SummaryTable)
#include "tst_summarytable.moc"
