// The presets window and the preset editor as an operator uses them: the real program on an X server, keys and
// clicks, and the presets file byte for byte.
#include "support/XSession.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// Control places in twips, as the windows lay them out.
const QRectF kMainGroupLetter{165, 345, 915, 315};
const QRectF kMainPresets{4935, 330, 1185, 330};
const QRectF kMainApply{5130, 2415, 1185, 330};
const QRectF kEdit{3480, 360, 1215, 375};
const QRectF kNew{5040, 360, 1215, 375};
const QRectF kSelect{6600, 2520, 1215, 375};
const QString kPresetsWindow = QStringLiteral("Presets Selection$");
const QString kEditor = QStringLiteral("Editing Preset$");
const QString kOurDialogs = QStringLiteral("^Quillmarch($| --)");
const QByteArray kGroupA = "Group-A=\"1\\t0\\t0\\tOLD\\t0\"\n";
const QString kGroupAUnchanged = QStringLiteral("1\t0\t0\tOLD\t0");
// Hall is selected (second in sorted order), first in the file.
const QByteArray kHall = "\"Hall\",5,6,\"HALL\"\r\n\"Annex\",1,2,\"ANNEX\"\r\n";
const QByteArray kSelectHall = "PSIdx=1\n";

// Closes whatever dialogs are open with Escape, applies what the main window holds, and changes the group: the
// settings then show all that the scenario did, and a main window left modified shows as a group not changed.
QString settleAndApply(OperatorSession& s, const QString& main)
{
    // One Escape per dialog, each once the one before has closed: a spare one would press the main window's Cancel.
    for (qsizetype open = s.visibleWindows(kOurDialogs).size(); open > 0;) {
        s.key(QStringLiteral("Escape"));
        QElapsedTimer waited;
        waited.start();
        qsizetype now = open;
        while ((now = s.visibleWindows(kOurDialogs).size()) >= open && waited.elapsed() < 3000)
            QTest::qWait(50);
        if (now >= open)
            return QStringLiteral("dialogs stay open");
        open = now;
    }
    s.click(main, kMainApply);
    s.click(main, kMainGroupLetter);
    s.key(QStringLiteral("Escape Down"));
    if (s.waitForSetting(QStringLiteral("Group"), QStringLiteral("B")) != QStringLiteral("B"))
        return QStringLiteral("the group could not be changed afterwards");
    return {};
}

// Starts the program and opens its presets window with the main window's button; empty, or what went wrong.
QString openPresets(OperatorSession& s, int timeoutMs = 10000)
{
    if (const QString problem = s.start(); !problem.isEmpty())
        return problem;
    s.click(s.mainWindow(), kMainPresets);
    return s.waitForWindow(kPresetsWindow, timeoutMs).isEmpty() ? QStringLiteral("no presets window") : QString();
}

} // namespace

class tst_PresetScenarios : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keysPressTheButtonsMeant_data();
    void keysPressTheButtonsMeant();
    void handEditedRecordsSurviveASave();
    void fullTableRefusesANewPreset();

private:
    XDisplay m_display;
};

void tst_PresetScenarios::initTestCase()
{
    if (const QString missing = XDisplay::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("operator scenarios need ") + missing));
    QVERIFY2(!qEnvironmentVariableIsEmpty("QUILLMARCH_BINARY"), "QUILLMARCH_BINARY names the program under test");
    const QString problem = m_display.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void tst_PresetScenarios::keysPressTheButtonsMeant_data()
{
    QTest::addColumn<QString>("opener"); // "", or the editor opened by "edit" (zone moved 3 down) or "new"
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("appears"); // a window the keys must bring up
    QTest::addColumn<QString>("gone");    // a window the keys must close
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("group");       // group A once the main window's edits are applied
    QTest::addColumn<QString>("textHistory"); // null: not looked at

    // In the presets window the list has the focus; Tab walks Edit, New, Remove, three boxes, Help, Cancel.
    const QString none;
    QTest::newRow("presets: Enter on the list selects")
        << none << "Return" << none << kPresetsWindow << kHall << "1\t5\t6\tHALL\t0"
        << "HALL\tOLD";
    QTest::newRow("presets: Enter on Edit")
        << none << "Tab Return" << kEditor << none << kHall << kGroupAUnchanged << QString();
    QTest::newRow("presets: Enter on New")
        << none << "Tab Tab Return" << kEditor << none << kHall << kGroupAUnchanged << QString();
    QTest::newRow("presets: Enter on Remove")
        << none << "Tab Tab Tab Return"
        << "Remove Preset from List$" << none << kHall << kGroupAUnchanged << QString();
    QTest::newRow("presets: Enter on Help")
        << none << "Tab Tab Tab Tab Tab Tab Tab Return" << none << none << kHall << kGroupAUnchanged << QString();
    QTest::newRow("presets: Enter on Cancel") << none << "Tab Tab Tab Tab Tab Tab Tab Tab Return" << none
                                              << kPresetsWindow << kHall << kGroupAUnchanged << QString();
    QTest::newRow("presets: Escape cancels")
        << none << "Escape" << none << kPresetsWindow << kHall << kGroupAUnchanged << QString();
    // In the editor of an existing preset the zone list has the focus; Tab walks Daylight, Text, Cancel.
    QTest::newRow("editor: Enter on Cancel")
        << "edit"
        << "Tab Tab Tab Return" << none << kEditor << kHall << kGroupAUnchanged << QString();
    QTest::newRow("editor: Enter on the zone presses OK")
        << "edit"
        << "Return" << none << kEditor << QByteArray("\"Annex\",1,2,\"ANNEX\"\r\n\"Hall\",8,6,\"HALL\"\r\n")
        << kGroupAUnchanged << QString();
    QTest::newRow("editor: Escape cancels") << "edit"
                                            << "Escape" << none << kEditor << kHall << kGroupAUnchanged << QString();
    QTest::newRow("editor: Alt+O without a name asks for one")
        << "new"
        << "alt+o"
        << "^Quillmarch$" << none << kHall << kGroupAUnchanged << QString();
}

void tst_PresetScenarios::keysPressTheButtonsMeant()
{
    QFETCH(QString, opener);
    QFETCH(QString, keys);
    QFETCH(QString, appears);
    QFETCH(QString, gone);
    QFETCH(QByteArray, file);
    QFETCH(QString, group);
    QFETCH(QString, textHistory);
    OperatorSession s(m_display, kGroupA + kSelectHall, kHall);
    const QString problem = openPresets(s);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString main = s.mainWindow();
    const QString presets = s.waitForWindow(kPresetsWindow);
    if (!opener.isEmpty()) {
        s.click(presets, opener == QStringLiteral("edit") ? kEdit : kNew);
        QVERIFY(!s.waitForWindow(kEditor).isEmpty());
        if (opener == QStringLiteral("edit"))
            s.key(QStringLiteral("Down Down Down"));
    }

    s.key(keys);
    if (!appears.isEmpty())
        QVERIFY2(!s.waitForWindow(appears, 3000).isEmpty(), qPrintable(appears + QStringLiteral(" did not show")));
    if (!gone.isEmpty())
        QVERIFY2(s.waitForWindowGone(gone), qPrintable(gone + QStringLiteral(" stays open")));
    if (gone == kPresetsWindow) // a selected preset is an edit of the group, not yet stored
        QCOMPARE(s.setting(QStringLiteral("Group-A")), kGroupAUnchanged);
    if (gone.isEmpty() && appears.isEmpty()) { // the help menu: nothing to wait for but the presets window staying
        QVERIFY2(!s.waitForWindowGone(kPresetsWindow, 1000), "the presets window closed");
        s.key(QStringLiteral("Escape"));
    }
    if (opener == QStringLiteral("new")) // the editor waits for a name
        QVERIFY(!s.visibleWindows(kEditor).isEmpty());
    else if (gone != kPresetsWindow)
        QVERIFY2(!s.visibleWindows(kPresetsWindow).isEmpty(), "the presets window closed");
    const QString settled = settleAndApply(s, main);
    QVERIFY2(settled.isEmpty(), qPrintable(settled));
    QCOMPARE(s.presetsFile(), file);
    QCOMPARE(s.setting(QStringLiteral("Group-A")), group);
    QCOMPARE(s.setting(QStringLiteral("PSIdx")), QStringLiteral("1")); // an edited preset stays selected too
    if (!textHistory.isNull())
        QCOMPARE(s.setting(QStringLiteral("TextDisplayHistory")), textHistory);
}

// A hand-edited file: fields over several lines, a comma after the last field, a byte-order mark. One change (a
// new preset) rewrites the file, and every record is still there, in the written form.
void tst_PresetScenarios::handEditedRecordsSurviveASave()
{
    const QByteArray handEdited = "\xEF\xBB\xBF\"Alpha\",1,2,\"A\"\r\n"
                                  "\"beta\"\r\n3\r\n4\r\n\"B\"\r\n"
                                  "\"Gamma\",5,\r\n6,\"G\"\r\n"
                                  "\"Delta\",7,8,\"D\",\r\n"
                                  "\"Omega\",9,10,\"O\"\r\n";
    OperatorSession s(m_display, kGroupA, handEdited);
    const QString problem = openPresets(s);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString presets = s.waitForWindow(kPresetsWindow);
    s.click(presets, kNew);
    QVERIFY(!s.waitForWindow(kEditor).isEmpty());
    s.type(QStringLiteral("  Zed "));
    s.key(QStringLiteral("Return"));
    // The new preset starts from the selected one (the first in sorted order) and is selected, sorted ignoring case.
    QCOMPARE(s.waitForPresetsChange(handEdited), QByteArray("\"Alpha\",1,2,\"A\"\r\n"
                                                            "\"beta\",3,4,\"B\"\r\n"
                                                            "\"Gamma\",5,6,\"G\"\r\n"
                                                            "\"Delta\",7,8,\"D\"\r\n"
                                                            "\"Omega\",9,10,\"O\"\r\n"
                                                            "\"Zed\",1,2,\"A\"\r\n"));
    QCOMPARE(s.waitForSetting(QStringLiteral("PSIdx"), QStringLiteral("5")), QStringLiteral("5"));
}

// 32,767 presets fill the table: New says so, and changes neither the file nor the selection.
void tst_PresetScenarios::fullTableRefusesANewPreset()
{
    QByteArray full;
    for (int i = 0; i < 32767; ++i)
        full += QStringLiteral("\"P%1\",%2,%3,\"T%1\"\r\n")
                    .arg(i, 5, 10, QLatin1Char('0'))
                    .arg(i % 29)
                    .arg(i % 39)
                    .toLatin1();
    OperatorSession s(m_display, kGroupA + "PSIdx=5\n", full);
    const QString problem = openPresets(s, 120000);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString main = s.mainWindow();
    const QString presets = s.waitForWindow(kPresetsWindow);
    // A message says that there is no room; the editor then offered (to replace a preset) is left with Cancel.
    s.click(presets, kNew);
    QVERIFY2(!s.waitForWindow(QStringLiteral("Create New Preset$"), 3000).isEmpty(), "no message: the list is full");
    s.key(QStringLiteral("Return"));
    QVERIFY(!s.waitForWindow(kEditor).isEmpty());
    s.key(QStringLiteral("Escape"));
    QVERIFY(s.waitForWindowGone(kEditor));
    // The preset selected before is still selected: Select brings it into the group.
    s.click(presets, kSelect);
    QVERIFY2(s.waitForWindowGone(kPresetsWindow), "Select found no preset selected");
    s.click(main, kMainApply);
    QCOMPARE(s.waitForSetting(QStringLiteral("Group-A"), QStringLiteral("1\t5\t5\tT00005\t0")),
             QStringLiteral("1\t5\t5\tT00005\t0"));
    QVERIFY2(s.presetsFile() == full, "the presets file changed");
}

QTEST_MAIN(tst_PresetScenarios)
#include "tst_presetscenarios.moc"
