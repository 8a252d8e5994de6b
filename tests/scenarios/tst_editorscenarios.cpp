// The group editor as an operator uses it: the real program on an X server, keys and clicks, and what reaches the
// settings file and the clocks.
#include "support/XSession.h"

#include <QTest>

namespace {

// Control places in twips, as the main window lays them out.
const QRectF kGroupLetter{165, 345, 915, 315};
const QRectF kClockNumbers{1410, 345, 3195, 315};
const QRectF kTextDisplay{165, 2460, 2385, 315};
const QRectF kApply{5130, 2415, 1185, 330};
const QString kMessageBox = QStringLiteral("^Quillmarch$");

} // namespace

class tst_EditorScenarios : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedEntriesAreAppliedAsTyped_data();
    void typedEntriesAreAppliedAsTyped();
    void pastedLongTextLeavesTheGroupClean();
    void commandKeyReachesEachClockOnce();

private:
    XDisplay m_display;
};

void tst_EditorScenarios::initTestCase()
{
    if (const QString missing = XDisplay::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("operator scenarios need ") + missing));
    QVERIFY2(!qEnvironmentVariableIsEmpty("QUILLMARCH_BINARY"), "QUILLMARCH_BINARY names the program under test");
    const QString problem = m_display.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_EditorScenarios::typedEntriesAreAppliedAsTyped_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QRectF>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter"); // Enter in the field, else Tab out of it and a click on Apply
    QTest::addColumn<QString>("group");
    QTest::addColumn<QList<int>>("clocks");    // one cycle on the line, from the first
    QTest::addColumn<QString>("text");         // on the line
    QTest::addColumn<QString>("clockHistory"); // null: not looked at
    QTest::addColumn<QString>("textHistory");

    // The history fields are no completers: what is typed goes out, and no fragment of it enters the history. The
    // text shown at the start is in the text history; a field left by Tab for Cancel is not validated.
    QTest::newRow("a clock list history entry that begins alike")
        << QByteArray("Group-A=\"9\\t8\\t0\\tOLD\\t0\"\nClockNumberHistory=1-5,7\n") << kClockNumbers << "1" << true
        << "1\t8\t0\tOLD\t0" << QList<int>{1} << "OLD"
        << "1\t1-5,7"
        << "OLD";
    QTest::newRow("a text history entry that begins alike")
        << QByteArray("Group-A=\"1\\t0\\t0\\tOLD\\t0\"\nTextDisplayHistory=LOBBY\n") << kTextDisplay << "L" << true
        << "1\t0\t0\tL\t0" << QList<int>{1} << "L" << QString() << "L\tOLD\tLOBBY";
    QTest::newRow("a text history entry alike but for case, then Tab")
        << QByteArray("Group-A=\"1\\t0\\t0\\tOLD\\t0\"\nTextDisplayHistory=LOBBY\n") << kTextDisplay << "Lobby" << false
        << "1\t0\t0\tLobby\t0" << QList<int>{1} << "Lobby" << QString() << "OLD\tLOBBY";
    // The clock list enters its history when the operator leaves its field, not on every Apply.
    QTest::newRow("only the text changed")
        << QByteArray("Group-A=\"4\\t0\\t0\\tOLD\\t0\"\nClockNumberHistory=9\n") << kTextDisplay << "NEW" << false
        << "4\t0\t0\tNEW\t0" << QList<int>{4} << "NEW"
        << "9"
        << "OLD";
}

void tst_EditorScenarios::typedEntriesAreAppliedAsTyped()
{
    QFETCH(QByteArray, settings);
    QFETCH(QRectF, field);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QFETCH(QString, group);
    QFETCH(QList<int>, clocks);
    QFETCH(QString, text);
    QFETCH(QString, clockHistory);
    QFETCH(QString, textHistory);
    OperatorSession s(m_display, settings);
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString main = s.mainWindow();

    s.click(main, field);
    s.key(QStringLiteral("ctrl+a"));
    s.type(typed);
    if (enter) {
        s.key(QStringLiteral("Return"));
    } else {
        s.key(QStringLiteral("Tab"));
        s.click(main, kApply);
    }
    QCOMPARE(s.waitForSetting(QStringLiteral("Group-A"), group), group);
    const QList<SentPacket> sent =
        s.packetsUntil([&](const SentPacket& p) { return p.clock == clocks[0] && p.text == text; });
    QVERIFY2(!sent.isEmpty() && sent.last().text == text,
             qPrintable(QStringLiteral("last text on the line: ") + (sent.isEmpty() ? QString() : sent.last().text)));
    QCOMPARE(s.cycleFrom(clocks[0]), clocks);
    if (!clockHistory.isNull())
        QCOMPARE(s.setting(QStringLiteral("ClockNumberHistory")), clockHistory);
    QCOMPARE(s.setting(QStringLiteral("TextDisplayHistory")), textHistory);
}

// A text longer than 20 characters can only come in by pasting; Apply stores it whole and ends clean.
void tst_EditorScenarios::pastedLongTextLeavesTheGroupClean()
{
    OperatorSession s(m_display, "Group-A=\"1\\t0\\t0\\tOLD\\t0\"\nGroup-B=\"2\\t0\\t0\\tB\\t0\"\n");
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString main = s.mainWindow();
    const QString pasted = QStringLiteral("Twenty-five characters!!");

    s.setClipboard(pasted);
    s.click(main, kTextDisplay);
    s.key(QStringLiteral("ctrl+a ctrl+v"));
    s.type(QStringLiteral("+")); // past 20 characters the key filter no longer stops typing
    s.key(QStringLiteral("Return"));
    const QString group = QStringLiteral("1\t0\t0\t") + pasted + QStringLiteral("+\t0");
    QCOMPARE(s.waitForSetting(QStringLiteral("Group-A"), group), group);
    const QList<SentPacket> sent = s.packetsUntil([&](const SentPacket& p) { return p.text == pasted.left(20); });
    QVERIFY(!sent.isEmpty() && sent.last().text == pasted.left(20));

    // Clean after Apply: the group can be changed without a word.
    s.click(main, kGroupLetter);
    s.key(QStringLiteral("Escape Down"));
    const QString changed = s.waitForSetting(QStringLiteral("Group"), QStringLiteral("B"));
    QVERIFY2(s.visibleWindows(kMessageBox).isEmpty(), "a message box refused the change of group");
    QCOMPARE(changed, QStringLiteral("B"));
    // Back to A: the field shows the first 20 characters of what is stored.
    s.key(QStringLiteral("Up"));
    QCOMPARE(s.waitForSetting(QStringLiteral("Group"), QStringLiteral("A")), QStringLiteral("A"));
    s.click(main, kTextDisplay);
    QCOMPARE(s.focusedFieldText(), pasted.left(20));
}

// The editor's group reaches the line with its zone code and text; a command key goes to each clock once.
void tst_EditorScenarios::commandKeyReachesEachClockOnce()
{
    OperatorSession s(m_display, "Group-A=\"3-4\\t8\\t0\\tHELLO\\t0\"\n");
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    s.key(QStringLiteral("F6")); // asks for the password first
    QVERIFY(!s.waitForWindow(QStringLiteral("Manufacturing Mode$")).isEmpty());
    s.type(QStringLiteral("brashor"));
    s.key(QStringLiteral("Return"));
    QVERIFY(!s.waitForWindow(QStringLiteral("MANUFACTURING MODE")).isEmpty());
    s.key(QStringLiteral("F6"));
    const QList<SentPacket> first = s.packetsUntil([](const SentPacket& p) { return p.command == 172; });
    QVERIFY2(!first.isEmpty() && first.last().command == 172, "the command went out");
    QCOMPARE(first.last().clock, 3);
    QCOMPARE(first.last().zone, 27);
    QCOMPARE(first.last().text, QStringLiteral("HELLO"));
    QList<int> commands{172};
    for (int i = 0; i < 5; ++i)
        commands << s.packetsUntil([](const SentPacket&) { return true; }).value(0).command;
    QCOMPARE(commands, (QList<int>{172, 172, 0, 0, 0, 0}));
}

QTEST_MAIN(tst_EditorScenarios)
#include "tst_editorscenarios.moc"
