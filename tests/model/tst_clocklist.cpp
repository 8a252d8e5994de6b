// Clock number lists: what the parser accepts and rejects, and that the canonical text always reads back.
#include "model/ClockList.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

namespace {
ClockFlags flagsOf(const QList<int>& clocks)
{
    ClockFlags flags{};
    for (int n : clocks)
        flags[n] = true;
    return flags;
}

QList<int> clocksOf(const ClockFlags& flags)
{
    QList<int> clocks;
    for (int n = 0; n < 128; ++n)
        if (flags[n])
            clocks << n;
    return clocks;
}

QList<int> span(int first, int last)
{
    QList<int> clocks;
    for (int n = first; n <= last; ++n)
        clocks << n;
    return clocks;
}

const QString kLongBlanks(40000, u' '); // positions past 32767
} // namespace

class tst_ClockList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void format_data();
    void format();
    void anySpellingOfASetReadsBackToIt();
};

void tst_ClockList::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QList<int>>("clocks");

    const QString badNumeric = QStringLiteral("Bad Numeric");
    const QString missingDelimiter = QStringLiteral("Missing Comma or Dash");
    const QString missingValue = QStringLiteral("Missing Value After Dash");
    const QString badRange = QStringLiteral("Badly Formed Range");
    const QString badDelimiter = QStringLiteral("Bad Delimiter, comma expected");
    const QString outOfRange = QStringLiteral("Clock Number Out Of Range");
    const QString twice = QStringLiteral("Number Occurs More Than Once: ");

    QTest::newRow("empty text") << QString() << QString() << QList<int>{};
    QTest::newRow("blanks only") << QStringLiteral("   ") << QString() << QList<int>{};
    QTest::newRow("blanks around items, commas and dashes")
        << QStringLiteral(" 1 - 5 , 7 ") << QString() << QList<int>{1, 2, 3, 4, 5, 7};
    QTest::newRow("trailing comma") << QStringLiteral("1,2,") << QString() << QList<int>{1, 2};
    QTest::newRow("range reaching 127") << QStringLiteral("120-127") << QString() << span(120, 127);
    QTest::newRow("single-clock range") << QStringLiteral("3-3") << QString() << QList<int>{3};
    QTest::newRow("leading zeros") << QStringLiteral("007") << QString() << QList<int>{7};
    QTest::newRow("leading zeros past five digits")
        << QStringLiteral("0000000127-00000127") << QString() << QList<int>{127};
    QTest::newRow("backward range names nothing") << QStringLiteral("9-3") << QString() << QList<int>{};
    QTest::newRow("backward range from beyond 127") << QStringLiteral("200-3") << QString() << QList<int>{};
    QTest::newRow("blanks beyond 16-bit positions")
        << kLongBlanks + QStringLiteral("5") + kLongBlanks << QString() << QList<int>{5};
    QTest::newRow("zeros beyond 16-bit positions")
        << QString(40000, u'0') + QStringLiteral("12") << QString() << QList<int>{12};

    QTest::newRow("comma first") << QStringLiteral(",1") << badNumeric << QList<int>{};
    QTest::newRow("two commas") << QStringLiteral("1,,2") << badNumeric << QList<int>{};
    QTest::newRow("dash first") << QStringLiteral("-5") << badNumeric << QList<int>{};
    QTest::newRow("TAB is not a blank") << QStringLiteral("\t1") << badNumeric << QList<int>{};
    QTest::newRow("other script's digit") << QStringLiteral("\u0661") << badNumeric << QList<int>{};

    QTest::newRow("blank between two numbers") << QStringLiteral("1 2") << missingDelimiter << QList<int>{};
    QTest::newRow("letter after a number") << QStringLiteral("1a") << missingDelimiter << QList<int>{};
    QTest::newRow("TAB between two numbers") << QStringLiteral("1\t2") << missingDelimiter << QList<int>{};
    QTest::newRow("no-break space before comma") << QStringLiteral("1\u00a0,2") << missingDelimiter << QList<int>{};
    QTest::newRow("fullwidth digit after a number") << QStringLiteral("1\uff12") << missingDelimiter << QList<int>{};
    QTest::newRow("five digits above 32767") << QStringLiteral("32768") << missingDelimiter << QList<int>{};
    QTest::newRow("delimiter checked before range") << QStringLiteral("128x") << missingDelimiter << QList<int>{};
    QTest::newRow("error past 16-bit positions")
        << kLongBlanks + QStringLiteral("1 2") << missingDelimiter << QList<int>{};

    QTest::newRow("nothing after dash") << QStringLiteral("1-") << missingValue << QList<int>{};
    QTest::newRow("blank after dash") << QStringLiteral("1- ") << missingValue << QList<int>{};
    QTest::newRow("dash checked before range") << QStringLiteral("200-") << missingValue << QList<int>{};

    QTest::newRow("two dashes") << QStringLiteral("1--5") << badRange << QList<int>{};
    QTest::newRow("letter after dash") << QStringLiteral("1-x") << badRange << QList<int>{};
    QTest::newRow("comma after dash") << QStringLiteral("1 - ,5") << badRange << QList<int>{};

    QTest::newRow("range then dash") << QStringLiteral("1-5-7") << badDelimiter << QList<int>{};
    QTest::newRow("range then blank and number") << QStringLiteral("1-5 7") << badDelimiter << QList<int>{};
    QTest::newRow("range then stray letter") << QStringLiteral("1-5x") << badDelimiter << QList<int>{};
    QTest::newRow("range ending in five digits above 32767")
        << QStringLiteral("1-32768") << badDelimiter << QList<int>{};

    QTest::newRow("128") << QStringLiteral("128") << outOfRange << QList<int>{};
    QTest::newRow("largest 16-bit value") << QStringLiteral("32767") << outOfRange << QList<int>{};
    QTest::newRow("range ending past 127") << QStringLiteral("3-200") << outOfRange << QList<int>{};

    QTest::newRow("same number twice") << QStringLiteral("1,1") << twice + u'1' << QList<int>{};
    QTest::newRow("clock 0 twice") << QStringLiteral("0,00") << twice + u'0' << QList<int>{};
    QTest::newRow("number inside an earlier range") << QStringLiteral("1-3,2") << twice + u'2' << QList<int>{};
    QTest::newRow("overlapping ranges name the first overlap")
        << QStringLiteral("1-5,3-7") << twice + u'3' << QList<int>{};
    QTest::newRow("range over an earlier number")
        << QStringLiteral("127,120-127") << twice + QStringLiteral("127") << QList<int>{};
    QTest::newRow("first error wins") << QStringLiteral("1,1,x") << twice + u'1' << QList<int>{};
}

void tst_ClockList::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QList<int>, clocks);

    ClockFlags flags;
    flags.fill(true); // whatever the set held before must not leak into the result
    QCOMPARE(ParseClockList(flags, text), error);
    if (error.isEmpty())
        QCOMPARE(clocksOf(flags), clocks);
}

void tst_ClockList::format_data()
{
    QTest::addColumn<QList<int>>("clocks");
    QTest::addColumn<QString>("text");

    QTest::newRow("no clock") << QList<int>{} << QString();
    QTest::newRow("mixed runs and lone numbers")
        << QList<int>{0, 1, 2, 5, 7, 8, 127} << QStringLiteral("0-2,5,7-8,127");
    QTest::newRow("clock 127 alone") << QList<int>{127} << QStringLiteral("127");
    QTest::newRow("run of two at the top") << QList<int>{126, 127} << QStringLiteral("126-127");
    QTest::newRow("first and last") << QList<int>{0, 127} << QStringLiteral("0,127");
}

void tst_ClockList::format()
{
    QFETCH(QList<int>, clocks);
    QFETCH(QString, text);
    QCOMPARE(FormatClockList(flagsOf(clocks)), text);
}

// Random sets of every density: the canonical text reads back to the set, and so does any other way of writing
// it (items split and shuffled, blanks, leading zeros, a trailing comma), which formats to the same canonical text.
void tst_ClockList::anySpellingOfASetReadsBackToIt()
{
    QRandomGenerator random(20240611);
    const auto blanks = [&random] { return QString(random.bounded(3) == 0 ? random.bounded(1, 3) : 0, u' '); };
    const auto number = [&random](int n) {
        return QString(random.bounded(4) == 0 ? random.bounded(1, 4) : 0, u'0') + QString::number(n);
    };

    for (int round = 0; round < 20000; ++round) {
        const double density = random.generateDouble() * random.generateDouble() * 1.2; // many sparse, some full
        ClockFlags flags{};
        for (bool& flag : flags)
            flag = random.generateDouble() < density;

        const QString canonical = FormatClockList(flags);
        QVERIFY2(!canonical.contains(u' '), qPrintable(canonical));
        ClockFlags back;
        QCOMPARE(ParseClockList(back, canonical), QString());
        QVERIFY2(back == flags, qPrintable(canonical));

        QStringList items;
        for (int n = 0; n < 128;) {
            if (!flags[n]) {
                ++n;
                continue;
            }
            int last = n;
            while (last < 127 && flags[last + 1] && random.bounded(8) != 0)
                ++last;
            items << (last == n && random.bounded(2) == 0 ? number(n)
                                                          : number(n) + blanks() + u'-' + blanks() + number(last));
            n = last + 1;
        }
        std::shuffle(items.begin(), items.end(), random);
        QString spelled;
        for (const QString& item : std::as_const(items))
            spelled += blanks() + item + blanks() + u',';
        if (!spelled.isEmpty() && random.bounded(2) == 0)
            spelled.chop(1);

        QCOMPARE(ParseClockList(back, spelled), QString());
        QVERIFY2(back == flags, qPrintable(spelled));
        QCOMPARE(FormatClockList(back), canonical);
    }
}

QTEST_GUILESS_MAIN(tst_ClockList)
#include "tst_clocklist.moc"
