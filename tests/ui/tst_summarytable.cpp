// The summary's text: column widths, headings with their blanks, rows in letter order, CR LF line ends.
#include "model/GroupTable.h"
#include "ui/auxiliary/SummaryTable.h"

#include <QTest>

namespace {
void setGroup(std::array<GroupRecord, kGroupCount>& groups, int index, const QString& clocks, qint16 zone,
              qint16 daylight, const QString& text)
{
    GroupRecord& g = groups[size_t(index)];
    QVERIFY(ParseClockList(g.Clocks, clocks).isEmpty());
    g.ZoneIndex = zone;
    g.DaylightIndex = daylight;
    g.DisplayText = text;
}
} // namespace

class tst_SummaryTable : public QObject
{
    Q_OBJECT

private slots:
    void wholeTable_data();
    void wholeTable();
    void widths_data();
    void widths();
};

void tst_SummaryTable::wholeTable_data()
{
    QTest::addColumn<bool>("withGroups");
    QTest::addColumn<QString>("expected");
    const QString headings = QStringLiteral("Group      Clock      Time       Daylight   Text       \r\n"
                                            "Letter     Numbers    Zone       Savings    Display    \r\n"
                                            "======     =======    ====       ========   =======    \r\n");
    QTest::newRow("no group with clocks: headings only, 5 columns of 10") << false << headings;
    // Zone 0 and daylight 0 are 14 and 9 characters: those columns grow to 16 and 11 for every line.
    QTest::newRow("letters ascending, empty groups left out")
        << true
        << QStringLiteral("Group      Clock      Time             Daylight    Text       \r\n"
                          "Letter     Numbers    Zone             Savings     Display    \r\n"
                          "======     =======    ====             ========    =======    \r\n"
                          "A          1-3        (16) CLOCK OFF   (0) none    LOBBY      \r\n"
                          "C          9          (16) CLOCK OFF   (0) none               \r\n");
}

void tst_SummaryTable::wholeTable()
{
    QFETCH(bool, withGroups);
    QFETCH(QString, expected);
    std::array<GroupRecord, kGroupCount> groups{};
    if (withGroups) {
        setGroup(groups, 2, QStringLiteral("9"), 0, 0, QString());
        setGroup(groups, 0, QStringLiteral("1-3"), 0, 0, QStringLiteral("LOBBY"));
        setGroup(groups, 1, QString(), 1, 38, QStringLiteral("NO CLOCKS, LONG TEXT HERE")); // must not widen
    }
    QCOMPARE(SummaryTableText(groups), expected);
}

void tst_SummaryTable::widths_data()
{
    QTest::addColumn<QString>("clocks");
    QTest::addColumn<int>("zone");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("1-5,7 is not wider than 10 - 2") << "1-5,7" << 0 << "" << QList<int>{10, 10, 16, 11, 10};
    QTest::newRow("13-character list: 15") << "0-2,5,7-8,127" << 0 << "" << QList<int>{10, 15, 16, 11, 10};
    QTest::newRow("54-character zone: 56") << "4" << 1 << "" << QList<int>{10, 10, 56, 11, 10};
    QTest::newRow("20-character text: 22") << "4" << 0 << "ABCDEFGHIJKLMNOPQRST" << QList<int>{10, 10, 16, 11, 22};
    QTest::newRow("8-character text: still 10") << "4" << 0 << "ABCDEFGH" << QList<int>{10, 10, 16, 11, 10};
}

void tst_SummaryTable::widths()
{
    QFETCH(QString, clocks);
    QFETCH(int, zone);
    QFETCH(QString, text);
    QFETCH(QList<int>, widths);
    std::array<GroupRecord, kGroupCount> groups{};
    setGroup(groups, 7, clocks, qint16(zone), 0, text);
    // The widest value of the column decides, also for the other rows and the headings.
    setGroup(groups, 3, QStringLiteral("100"), 0, 0, QStringLiteral("X"));
    const QStringList lines = SummaryTableText(groups).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 6); // 3 headings, D, H, and nothing after the last CR LF
    QVERIFY(lines.last().isEmpty());
    for (int l = 0; l < 5; ++l) {
        int start = 0;
        for (int c = 0; c < 5; ++c) {
            // Each cell is followed by exactly one separating blank; no value runs into it.
            QCOMPARE(lines[l].at(start + widths[c]), QLatin1Char(' '));
            start += widths[c] + 1;
        }
        QCOMPARE(lines[l].size(), start);
    }
    QCOMPARE(lines[4].mid(0, 1), QStringLiteral("H"));
    QCOMPARE(lines[4].mid(11, clocks.size()), clocks);
}

QTEST_APPLESS_MAIN(tst_SummaryTable)
#include "tst_summarytable.moc"
