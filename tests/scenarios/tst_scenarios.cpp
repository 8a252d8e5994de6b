// Operator scenarios: the real program on an X server with a window manager, driven by keys and clicks, and what
// the operator keeps: the settings file, the presets file byte for byte, the packets on the line.
#include "support/XSession.h"

#include <QTest>

namespace {

using namespace Controls;
// Hall is selected (second in sorted order), first in the file.
const QByteArray kHall = "\"Hall\",5,6,\"HALL\"\r\n\"Annex\",1,2,\"ANNEX\"\r\n";

} // namespace

class tst_Scenarios : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void presetKeysPressTheButtonsMeant_data();
    void presetKeysPressTheButtonsMeant();
    void factoryResetThroughTheService();
    void codesByPlaceFromTheKeyboard();
    void listLeftPastPresetsIsCheckedLater_data();
    void listLeftPastPresetsIsCheckedLater();
    void placeFindingToldOnceAndDroppedByHand();

private:
    XDisplay m_display;
};

void tst_Scenarios::initTestCase()
{
    if (const QString missing = XDisplay::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable("operator scenarios need " + missing));
    const QString problem = m_display.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_Scenarios::presetKeysPressTheButtonsMeant_data()
{
    QTest::addColumn<QString>("opener"); // "", or the editor opened by "edit" (zone moved 3 down) or "new"
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("appears"); // a window the keys must bring up
    QTest::addColumn<QString>("gone");    // a window the keys must close
    QTest::addColumn<QByteArray>("file");
    // In the presets window the list has the focus; Tab walks Edit, New, Remove, three boxes, Help, Cancel.
    const QString none;
    QTest::newRow("presets: Enter on the list selects") << none << "Return" << none << kPresetsWindow << kHall;
    // In the editor of an existing preset the zone list has the focus; Tab walks Daylight, Text, Cancel.
    QTest::newRow("editor: Enter on the zone presses OK")
        << "edit"
        << "Return" << none << kEditor << QByteArray("\"Annex\",1,2,\"ANNEX\"\r\n\"Hall\",8,6,\"HALL\"\r\n");
    QTest::newRow("editor: Alt+O without a name asks for one") << "new"
                                                               << "alt+o"
                                                               << "^Quillmarch$" << none << kHall;
}

void tst_Scenarios::presetKeysPressTheButtonsMeant()
{
    QFETCH(QString, opener);
    QFETCH(QString, appears);
    QFETCH(QString, gone);
    OperatorSession s(m_display, "Group-A=\"1\\t0\\t0\\tOLD\\t0\"\nPSIdx=1\n", kHall);
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString main = s.mainWindow();
    s.click(main, kMainPresets);
    const QString presets = s.waitForWindow(kPresetsWindow);
    QVERIFY(!presets.isEmpty());
    if (!opener.isEmpty()) {
        s.click(presets, opener == "edit" ? kEdit : kNew);
        QVERIFY(!s.waitForWindow(kEditor).isEmpty());
        if (opener == "edit")
            s.key("Down Down Down");
    }
    QFETCH(QString, keys);
    s.key(keys);
    if (!appears.isEmpty())
        QVERIFY2(!s.waitForWindow(appears, 3000).isEmpty(), qPrintable(appears + " did not show"));
    if (!gone.isEmpty())
        QVERIFY2(s.waitForWindowGone(gone), qPrintable(gone + " stays open"));
    if (gone == kPresetsWindow) { // the selected preset is in the main window's fields: Apply stores it
        s.click(main, kMainApply);
        QCOMPARE(s.waitForSetting("Group-A", "1\t5\t6\tHALL\t0"), "1\t5\t6\tHALL\t0");
    } else if (opener != "new") {
        QVERIFY2(!s.visibleWindows(kPresetsWindow).isEmpty(), "the presets window closed");
    }
    QFETCH(QByteArray, file);
    QTRY_COMPARE(s.presetsFile(), file);
    QCOMPARE(s.setting("PSIdx"), "1"); // an edited preset stays selected too
}

// The user's service sends on the line; a window started on it follows the service, and Shift+F8 there, after the
// password and the question, reaches every clock of the group once.
void tst_Scenarios::factoryResetThroughTheService()
{
    OperatorSession s(m_display, "Group-A=\"1-3\\t0\\t0\\tA\\t0\"\nGroup-C=\"9\\t0\\t0\\tC\\t0\"\n");
    PrivateBus bus(s.program().home.path());
    s.bus = bus.address;
    RealProgram service;
    service.env = s.program().env;
    service.env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
    Pty& line = s.program().line;
    QVERIFY(service.start({"--service", line.slavePath}));
    QCOMPARE(line.nextPacket(), Pty::Found);
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    s.key("F6");
    QVERIFY(!s.waitForWindow("Manufacturing Mode$").isEmpty()); // no "link in use" box came first
    s.key("b r a s h o r Return shift+F8");
    QVERIFY(!s.waitForWindow("^Quillmarch Factory Reset$").isEmpty());
    QCOMPARE(line.readPackets(200, [](const QByteArray&) { return false; }), Pty::TimedOut); // what came so far
    s.key("Return");
    QMap<int, int> commands; // clock: packets with the reset
    const auto count = [&](const QByteArray& p) {
        commands[p.at(9)] += p.at(8) == char(220);
        return true;
    };
    for (int packet = 0; packet < 16; ++packet)
        QCOMPARE(line.readPackets(5000, count), Pty::Found);
    QCOMPARE(commands, (QMap<int, int>{{1, 1}, {2, 1}, {3, 1}, {9, 0}}));
    QCOMPARE(service.end(), 0);
}

// Alt+L, a search typed, Enter for the place found and Enter for Apply: the group keeps New York's codes, and the
// clocks get them.
void tst_Scenarios::codesByPlaceFromTheKeyboard()
{
    OperatorSession s(m_display, "Group-A=\"1\\t0\\t0\\tOLD\\t0\"\n");
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    s.key("alt+l");
    QVERIFY(!s.waitForWindow("Choose by Place$").isEmpty());
    s.key("n e w space y o r k Return");
    QVERIFY(s.waitForWindowGone("Choose by Place$"));
    s.key("Return");
    QCOMPARE(s.waitForSetting("Group-A", "1\t8\t30\tOLD\t0"), "1\t8\t30\tOLD\t0");
    QCOMPARE(s.setting("Place-A"), "America/New_York");
    const auto newYork = [](const QByteArray& p) { return p.at(10) == 27 && p.at(11) == 30; }; // the codes
    QCOMPARE(s.program().line.readPackets(5000, newYork), Pty::Found);
}

void tst_Scenarios::listLeftPastPresetsIsCheckedLater_data()
{
    // After typing into the clock list: how the operator moves on. Presets... causes no validation, so the list's
    // check waits for the next control that does.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("click"); // then a click on the zone list
    QTest::newRow("Tab past Presets to the zone list") << "Tab Tab" << false;
    QTest::newRow("to Presets, then a click on the zone list") << "Tab" << true;
    QTest::newRow("Alt+P, Esc: the focus comes back to the group letter") << "alt+p" << false;
}

// The list is checked, shown in its canonical form and kept in the history whatever lay between; a bad one is
// refused there and the focus goes back to it.
void tst_Scenarios::listLeftPastPresetsIsCheckedLater()
{
    QFETCH(QString, keys);
    QFETCH(bool, click);
    OperatorSession s(m_display, "Group-A=\"1\\t0\\t0\\tOLD\\t0\"\n", kHall);
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const auto moveOn = [&] {
        s.key(keys);
        if (keys == "alt+p") {
            QVERIFY(!s.waitForWindow(kPresetsWindow).isEmpty());
            s.key("Escape");
        }
        if (click)
            s.click(s.mainWindow(), kMainZone);
    };
    s.key("Tab 3 minus 2 0 0");
    moveOn();
    QVERIFY(!s.waitForWindow("^Quillmarch$").isEmpty()); // "INPUT ERROR IN CLOCK NUMBER LIST"
    s.key("Return");
    QVERIFY(s.waitForWindowGone("^Quillmarch$"));
    // The focus is back in the list: what is typed now replaces the bad list.
    s.key("ctrl+a 7 comma space 3 minus 5");
    moveOn();
    if (click)
        s.key("Escape"); // the list the click opened
    s.key("Return");     // Apply, where the row did not press it already
    QCOMPARE(s.waitForSetting("Group-A", "3-5,7\t0\t0\tOLD\t0"), "3-5,7\t0\t0\tOLD\t0");
    QCOMPARE(s.waitForSetting("ClockNumberHistory", "3-5,7"), "3-5,7");
    QVERIFY(s.visibleWindows("^Quillmarch$").isEmpty());
}

// A group whose place changes its law is told at start; when the database is updated, only the new finding is told;
// a zone chosen by hand drops the group's place at Apply.
void tst_Scenarios::placeFindingToldOnceAndDroppedByHand()
{
    const QByteArray rules = "Rule T 1981 max - Mar lastSun 1:00u 1:00 S\nRule T 1996 max - Oct lastSun 1:00u 0 -\n";
    const QByteArray changing = " 1:00 T CE%sT NEXT Jun 1\n 2:00 - XST\n";
    OperatorSession s(m_display, "Group=C\nGroup-C=\"3\\t15\\t36\\tC\\t0\"\nPlace-C=Test/Changing\n"
                                 "Group-D=\"4\\t15\\t36\\tD\\t0\"\nPlace-D=Test/Later\n");
    const QString zones = s.program().home.filePath("zones"), update = s.program().home.filePath("update");
    QVERIFY(PrivateZones::compile(zones, rules + "Zone Test/Changing" + changing + "Zone Test/Later 1:00 T CE%sT\n"));
    QVERIFY(PrivateZones::compile(update, rules + "Zone Test/Later" + changing));
    s.prefix = PrivateZones::prefix(zones);
    s.captureErrors = true;
    const QString problem = s.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    for (int told = 0; told < 2; ++told) {
        QVERIFY(!s.waitForWindow("^Quillmarch$", 40000).isEmpty()); // the database is looked at every 15 s
        s.key("Return");
        QVERIFY(s.waitForWindowGone("^Quillmarch$"));
        // An update replaces the file: Test/Later now changes its law as well.
        QVERIFY(told || QFile::copy(update + "/db/Test/Later", zones + "/db/Test/Later.new"));
        QVERIFY(told || ::rename(QFile::encodeName(zones + "/db/Test/Later.new"),
                                 QFile::encodeName(zones + "/db/Test/Later")) == 0);
    }
    QVERIFY(s.program().waitForError("group D (Test/Later): from "));
    QCOMPARE(s.program().err.count("group C (Test/Changing): from "), 1);
    s.key("Tab Tab Tab Down Return"); // another zone by hand, then Apply
    QCOMPARE(s.waitForSetting("Place-C", ""), "");
    QCOMPARE(s.setting("Place-D"), "Test/Later");
}

QTEST_MAIN(tst_Scenarios)
#include "tst_scenarios.moc"
