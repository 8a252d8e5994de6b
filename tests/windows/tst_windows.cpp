// The windows in-process, on the offscreen platform: the group editor's checks and questions, the command keys, the
// hand-over, where the main window opens and what closing it keeps, its panels; the time warning, the Help menu, the
// summary, the map; the presets window (the preset editor's part played through its seam).
// The keyboard under a real X server is in scenarios/.
#include "app/DataFiles.h"
#include "model/HandOver.h"
#include "model/LocalTime.h"
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "presets/frmEditPreset.h"
#include "presets/frmPresets.h"
#include "support/CommRig.h"
#include "support/RealProgram.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedDialogs.h"
#include "ui/Twips.h"
#include "ui/auxiliary/frmClockTimes.h"
#include "ui/auxiliary/frmMap.h"
#include "ui/auxiliary/frmPlace.h"
#include "ui/auxiliary/frmWarning.h"
#include "ui/main/ApplyGroup.h"
#include "ui/main/HelpMenu.h"
#include "ui/main/MainPlacement.h"
#include "ui/main/ServiceMirror.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmMfgMode.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

namespace {

struct Editor
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("q.ini")};
    GroupTables tables;
    ScriptedDialogs dialogs;
    FunctionSounds sounds{{}};
    QList<QPair<int, int>> takenOver; // (group, command code) of every take-over
    QTimer tick;
    std::unique_ptr<frmMain> window;
    QString presetsFile = dir.filePath("Quillmarch-Presets.txt");
    QList<PresetEditRecord> editorSaw;      // what the preset editor was opened with
    QList<PresetEditRecord> operatorLeaves; // what the operator leaves in it, one per opening

    explicit Editor(const QStringList& stored = {}, const QByteArray& presets = {})
    {
        QFile file(presetsFile);
        QVERIFY(presets.isNull() || (file.open(QIODevice::WriteOnly) && file.write(presets) == presets.size()));
        file.close();
        for (const QString& line : stored)
            settings.SaveSetting(line.section(u'=', 0, 0), line.section(u'=', 1));
        LoadAllGroups(tables, settings);
        // A stand-in for the refresh cycle: takes hand-overs over, as the link object's timer does.
        HandOver(tables).setCycleRunning(true);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            if (const int g = HandOver(tables).takeOver(); g >= 0)
                takenOver.append({g, tables.ActiveGroups[size_t(g)].CommandCode});
        });
        tick.start(30);
        window = std::make_unique<frmMain>(settings, tables, dialogs, sounds);
        window->Form_Load();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    // A click as the operator makes it: through the window, so validation sees it before the focus moves.
    void click(QWidget* w)
    {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, w->mapTo(window.get(), w->rect().center()));
    }
    // Keys go to the widget with the focus; back from a dialog, the main window is active again.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        if (QApplication::activeWindow() != window.get()) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
        }
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    void type(QComboBox* field, const QString& text)
    {
        field->setFocus();
        field->lineEdit()->selectAll();
        QTest::keyClicks(field, text);
    }
    QString group(int g) const { return settings.GetSetting(QStringLiteral("Group-") + IndexToLetter(g), {}); }
    std::unique_ptr<frmPresets> openPresets()
    {
        auto presets = std::make_unique<frmPresets>(window.get(), settings, dialogs,
                                                    PresetEditorContext{window->editor().textHistory(), window->utcNow},
                                                    presetsFile);
        presets->runEditor = [this](PresetEditRecord& edit) {
            editorSaw << edit;
            edit = operatorLeaves.takeFirst();
        };
        return presets;
    }
    QByteArray presetsBytes() const
    {
        QFile f(presetsFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Answers the password dialog as soon as it is up.
void answerPassword(const QString& password)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, password] {
        if (auto* dialog = qobject_cast<frmMfgMode*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            QTest::keyClicks(dialog->Password, password);
            QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
            if (dialog->isVisible()) // a wrong password leaves it open
                dialog->reject();
        }
    });
    poll->start(10);
}

} // namespace

class tst_Windows : public QObject
{
    Q_OBJECT

private slots:
    void refusedListIsNeverApplied_data();
    void refusedListIsNeverApplied();
    void textFieldAndGroupChange();
    void commandKeys_data();
    void commandKeys();
    void overlappingAppliesAllArrive();
    void followingTheService();
    void closingKeepsThePlaceAndPanelsShowWhole();
    void timeWarning();
    void helpEntries();
    void helpMenuFromTheKeyboard();
    void choosingByPlace_data();
    void choosingByPlace();
    void clockTimes();
    void map();
    void editRemoveAndReopen();
};

void tst_Windows::refusedListIsNeverApplied_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("leaving the field for one that validates") << "click";
    QTest::newRow("Enter in the field") << "Enter";
    QTest::newRow("Apply pressed where no validation ran") << "Apply";
}

void tst_Windows::refusedListIsNeverApplied()
{
    QFETCH(QString, how);
    Editor e({"Group-A=4\t0\t0\tX\t0", "ClockNumberHistory=6, 5-9"});
    e.type(e.window->GroupClockNumbers, "3-200");
    if (how == "click") {
        e.click(e.window->TimeZone);
        QCOMPARE(QApplication::focusWidget(), e.window->GroupClockNumbers);
    } else if (how == "Enter") {
        e.key(Qt::Key_Return);
    } else {
        e.key(Qt::Key_Tab); // to Presets, which causes no validation
        e.window->ApplyButton->click();
    }
    QCOMPARE(e.dialogs.calls.size(), 1);
    QCOMPARE(e.dialogs.calls[0].text, "INPUT ERROR IN CLOCK NUMBER LIST\rClock Number Out Of Range");
    QCOMPARE(FormatClockList(e.tables.EditGroups[0].Clocks) + " " + e.group(0), "4 4\t0\t0\tX\t0");
    // A good list: Enter applies it as typed (the history does not complete it), stored and handed over in its
    // canonical form.
    e.type(e.window->GroupClockNumbers, "6, 5");
    e.key(Qt::Key_Return);
    QTRY_COMPARE(e.tables.ActiveGroups[0].FirstClock, qint16(5));
    QCOMPARE(e.group(0), "5-6\t0\t0\tX\t0");
    QVERIFY(!e.window->ApplyButton->isEnabled());
}

void tst_Windows::textFieldAndGroupChange()
{
    Editor e({"Group-A=1\t0\t0\tA\t0", "Group-B=2\t0\t0\tB\t0", "Group=a"}); // lower case: group A
    QLineEdit* text = e.window->TextDisplay->lineEdit();
    e.type(e.window->TextDisplay, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    QCOMPARE(text->text(), "ABCDEFGHIJKLMNOPQRST"); // 20 characters typed at most
    e.window->TextDisplay->setEditText("A\tB");     // a TAB cannot enter it, typed or pasted
    QCOMPARE(text->text(), "A B");
    e.window->GroupLetter->setFocus();
    e.key(Qt::Key_Down);
    QCOMPARE(e.dialogs.calls.value(0).text,
             "Please CANCEL or APPLY your changes\rbefore changing the Group Letter Selection");
    QCOMPARE(e.window->GroupLetter->currentText(), "A");
    // A longer text can only come in by pasting: Apply stores it whole, and the group is clean afterwards.
    text->setFocus();
    text->selectAll();
    text->insert("Twenty-five characters!!");
    e.key(Qt::Key_Return);
    QCOMPARE(e.group(0), "1\t0\t0\tTwenty-five characters!!\t0");
    e.window->GroupLetter->setFocus();
    e.key(Qt::Key_Down);
    QCOMPARE(e.dialogs.calls.size(), 1);
    QCOMPARE(e.window->GroupClockNumbers->currentText() + " " + e.settings.GetSetting("Group", {}), "2 B");
}

void tst_Windows::commandKeys_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<int>("code"); // sent to the group's clocks; 0: nothing
    const Qt::KeyboardModifiers none{}, shift = Qt::ShiftModifier;
    QTest::newRow("F5") << "brashor" << Qt::Key_F5 << none << QList<MsgResult>{} << 236;
    QTest::newRow("Shift+F8, Yes") << "brashor" << Qt::Key_F8 << shift << QList<MsgResult>{MsgResult::Yes} << 220;
    QTest::newRow("wrong password: capital first letter")
        << "Brashor" << Qt::Key_F5 << none << QList<MsgResult>{} << -1;
}

// The first command key asks for the password and sends nothing; the next sends the group as last applied, with
// its command, and leaves the edits on screen.
void tst_Windows::commandKeys()
{
    QFETCH(QString, password);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);
    Editor e({"Group-A=1-2\t0\t0\tA\t0"});
    answerPassword(password);
    e.key(Qt::Key_F6);
    QCOMPARE(e.window->ManufacturingMode, code >= 0);
    if (code < 0) {
        QCOMPARE(e.dialogs.calls.value(0).text, "Incorrect Password");
        return;
    }
    QVERIFY(e.window->windowTitle().endsWith("  [ MANUFACTURING MODE ]"));
    e.type(e.window->TextDisplay, "unapplied");
    QFETCH(QList<MsgResult>, answers);
    e.dialogs.answers = answers;
    e.key(key, modifiers);
    QTest::qWait(100);
    using TakeOvers = QList<QPair<int, int>>;
    const TakeOvers expected = code ? TakeOvers{{0, code}} : TakeOvers{};
    QCOMPARE(e.takenOver, expected);
    QCOMPARE(e.dialogs.calls.size(), answers.size());
    if (!answers.isEmpty())
        QCOMPARE(e.dialogs.calls[0].text, "Reset Clock(s) to Factory Defaults\rARE YOU SURE?");
    QCOMPARE(e.tables.ActiveGroups[0].DisplayText + " " + e.window->TextDisplay->currentText(), "A unapplied");
    QCOMPARE(e.tables.EditGroups[0].CommandCode, qint16(0));
}

// While A waits for its take-over, the operator applies H, and H's wait lets C in as well: all three arrive. A
// cycle that stops ends the wait.
void tst_Windows::overlappingAppliesAllArrive()
{
    CommRig rig;
    rig.comm.Form_Load("UDP5000");
    for (const auto& [g, text] : {std::pair{0, "A"}, {7, "H"}, {2, "C"}}) {
        rig.tables.EditGroups[size_t(g)].Clocks[size_t(g + 1)] = true;
        rig.tables.EditGroups[size_t(g)].DisplayText = text;
    }
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(0, this, [&] { ApplyGroup(rig.tables, 2); });
        ApplyGroup(rig.tables, 7);
    });
    ApplyGroup(rig.tables, 0);
    QTRY_COMPARE(rig.tables.ActiveGroups[2].DisplayText, "C");
    QCOMPARE(rig.tables.ActiveGroups[0].DisplayText + rig.tables.ActiveGroups[7].DisplayText, "AH");

    rig.comm.Timer1.setInterval(60 * 60 * 1000); // no tick will come
    rig.comm.Timer1.start();
    QTimer::singleShot(50, this, [&] { rig.comm.close(); });
    ApplyGroup(rig.tables, 4); // must return although nothing took the group over
    QCOMPARE(HandOver(rig.tables).pending(), 4);
    QVERIFY(!QGuiApplication::overrideCursor());
}

// A window on the service's link, both on a bus of the test's own: its panels follow the service's status, its
// command keys' commands go to the service, and panel 1 says when one is done and when the service has gone.
void tst_Windows::followingTheService()
{
    QTemporaryDir folder;
    PrivateBus bus(folder.path());
    QVERIFY(!bus.address.isEmpty());
    auto service = std::make_unique<SenderObject>(QDBusConnection::connectToBus(bus.address, "service"));
    QString problem;
    QVERIFY2(service->exportFor("/dev/ttyUSB0", problem), qPrintable(problem));
    QList<QPair<int, int>> given;
    service->takeCommand = [&](const QString& group, int code) {
        given.append({LetterToIndex(group), code});
        return QString();
    };
    SenderStatus status{
        "/dev/ttyUSB0", "service", "Sending to Clock Number 127", "PC Clock Synchronised", "", true, {}, 0, false, {}};
    service->publish(status);
    Editor e;
    const LinkChoice link = ChooseLink("/dev/ttyUSB0");
    const auto panels = [&] { return e.window->panelText(Panel::Sending) + " | " + e.window->panelText(Panel::Link); };
    {
        ServiceMirror mirror(new SenderView(QDBusConnection::connectToBus(bus.address, "window"), "/dev/ttyUSB0"), link,
                             *e.window, e.dialogs);
        QCOMPARE(panels(), "Sending to Clock Number 127 | Service on /dev/ttyUSB0");
        QCOMPARE(e.window->findChild<QLabel*>("Panel1")->text(), "Sending to Clock Number 127"); // whole
        QCOMPARE(e.window->panelText(Panel::ClockSync), "PC Clock Synchronised");
        status.Panel = "Send Error: Input/output error";
        service->publish(status);
        QTRY_COMPARE(e.window->panelText(Panel::Sending), "Send Error: Input/output error");
        e.window->commandElsewhere(0, 220);
        QCOMPARE(given, (QList<QPair<int, int>>{{0, 220}}));
        QCOMPARE(e.window->panelText(Panel::Sending), "Sending 220 to group A");
        emit service->CommandDone("A", 220, true);
        QTRY_COMPARE(e.window->panelText(Panel::Sending), "220 reached group A");
        service.reset();
        QTRY_COMPARE(panels(), "Nothing sent to the clocks | Service stopped");
        e.window->commandElsewhere(0, 220); // said in the program's words, not the bus's
        QCOMPARE(e.dialogs.calls.value(0).text, "The Quillmarch service is not running, so the command was not sent.");
    }
    QVERIFY(!e.window->commandElsewhere); // the keys are the window's own again
}

void tst_Windows::closingKeepsThePlaceAndPanelsShowWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("q.ini");
    GroupTables tables;
    ScriptedDialogs dialogs;
    FunctionSounds sounds({});
    {
        SettingsStore settings(path);
        frmMain window(settings, tables, dialogs, sounds);
        window.Form_Load();
        window.show();
        window.move(40, 30);
        // Each panel shows its own text whole, or cut visibly with the whole text in its tooltip.
        const QString texts[] = {"Not Sending: PC clock year 2240 is beyond what the clocks can show",
                                 "Using /dev/serial/by-id/usb-FTDI_FT232R_A1B2C3-if00", "Sat, Dec 05, 2026", "x"};
        for (int panel = 4; panel >= 1; --panel)
            window.setPanelText(Panel(panel), texts[panel - 1]);
        for (int panel = 1; panel <= 4; ++panel) {
            const auto* label = window.findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel));
            const QString shown = label->text(), text = texts[panel - 1];
            QVERIFY2(shown == text || (shown.endsWith(QChar(0x2026)) && text.startsWith(shown.chopped(1)) &&
                                       label->toolTip().contains(text)),
                     qPrintable(shown));
            QVERIFY(label->geometry().right() <= window.width());
        }
        window.close();
    }
    SettingsStore later(path);
    QCOMPARE(later.GetSetting("MainLeft", {}), StoredCoordinateText(float(std::round(40 * 1440 / LogicalDpi()))));
    frmMain next(later, tables, dialogs, sounds);
    next.Form_Load();
    QCOMPARE(next.pos(), QPoint(40, 30));
}

// Ticked and left with Cancel: the program ends, nothing stored. Escape does nothing; Enter presses OK, and
// "never again" is stored.
void tst_Windows::timeWarning()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("q.ini"));
    int beeps = 0;
    FunctionSounds sounds([&] { ++beeps; });
    for (const bool cancel : {true, false}) {
        frmWarning warning(settings, sounds);
        warning.show();
        QVERIFY(QTest::qWaitForWindowExposed(&warning));
        QTest::mouseClick(warning.Check1, Qt::LeftButton);
        QTest::keyClick(&warning, Qt::Key_Escape);
        QVERIFY(warning.isVisible());
        if (cancel)
            QTest::mouseClick(warning.CancelButton, Qt::LeftButton);
        else
            QTest::keyClick(&warning, Qt::Key_Return);
        QCOMPARE(warning.result(), cancel ? QDialog::Rejected : QDialog::Accepted);
        const QString stored = SettingsStore(settings.filePath()).GetSetting("TimeWarn", "True");
        QCOMPARE(stored, cancel ? "True" : "False");
        QCOMPARE(ShouldShowTimeWarning(stored), cancel);
    }
    QCOMPARE(beeps, 2);
}

// The manual is looked for in each data folder; the maker's page and the world clock page are opened, and a
// failure is said with its address and reason.
void tst_Windows::helpEntries()
{
    QTemporaryDir dir;
    GroupTables tables;
    RecordingLauncher launcher;
    launcher.answer = {false, "no browser"};
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {dir.path()});
    for (const char* entry : {"mnuHelpFinder", "mnuHelpWeb", "mnuHelpZone"})
        help.mnuHelp->findChild<QAction*>(entry)->trigger();
    QCOMPARE(launcher.calls, QStringList({"url " QUILLMARCH_MAKER_URL, "url " QUILLMARCH_WORLDCLOCK_URL}));
    QCOMPARE(dialogs.calls.size(), 3);
    QCOMPARE(dialogs.calls[0].text, "Can't find the help file \"QUILLMARCH.html\"\rLooked in these folders, in this "
                                    "order:\r    " +
                                        dir.path());
    QCOMPARE(dialogs.calls[2].text, "Can't open the web page\r\"" QUILLMARCH_WORLDCLOCK_URL "\"\rno browser");
}

// From the keyboard the Help menu opens below its button, wherever the pointer is: Space in the main window, the
// mnemonic in the presets window.
void tst_Windows::helpMenuFromTheKeyboard()
{
    Editor e;
    auto presets = e.openPresets();
    QPoint at;
    e.window->showHelpMenu = presets->showHelpMenu = [&at](const QPoint& place) { at = place; };
    const auto below = [](QWidget* button) { return button->mapToGlobal(QPoint(0, button->height())); };
    presets->show();
    presets->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), presets.get());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
    QTRY_COMPARE(at, below(presets->HelpButton));
    QTest::keyClick(e.window->HelpButton, Qt::Key_Space);
    QCOMPARE(at, below(e.window->HelpButton));
}

void tst_Windows::choosingByPlace_data()
{
    QTest::addColumn<bool>("inPreset"); // the preset editor's button, else the main window's Alt+L
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("zone"); // -1: the dialog has nothing to choose, and Esc leaves the codes as they were
    QTest::addColumn<int>("daylight");
    QTest::addColumn<QString>("result"); // a pattern
    // clang-format off
    QTest::newRow("Berlin") << false << "berlin" << 15 << 36 << "^Time Zone: \\(1\\) UTC\\+1 \\(Alpha\\) CET Central Europe Time\nDaylight Savings: \\(36\\) .*\nExact: these codes show the time of Europe/Berlin at every moment from now to the end of 2036.\nClocks would show 2026-12-08 13:00:00 UTC\\+01:00 now; next change 2027-03-28 02:00 becomes 03:00.$";
    QTest::newRow("New York, by its country") << false << "new york united" << 8 << 30 << "Exact: .* America/New_York ";
    QTest::newRow("Auckland: the closest") << true << "auckland" << 26 << 32 << "\nNot exact: no codes show the time of Pacific/Auckland at every moment from now to the end of 2036. With the closest, the time shown differs for 10 hours in total, in 10 periods: 2027-04-04 02:00 to 03:00 UTC\\+13:00 \\(1 h behind\\), ";
    QTest::newRow("be: Belgium by its code, kept in view as the search is cleared") << false << "berlin\b\b\b\b\b\b" << 15 << 36 << "Exact: .* Europe/Brussels ";
    QTest::newRow("nothing found") << false << "atlantis" << -1 << -1 << "^No place matches the search.$";
    // clang-format on
}

// The codes for a place go into the lists as the operator's own choice would: the group or preset takes them on
// Apply or OK; the dialog says first whether they are exact.
void tst_Windows::choosingByPlace()
{
    QFETCH(bool, inPreset);
    QFETCH(QString, search);
    QFETCH(int, zone);
    QFETCH(int, daylight);
    Editor e({"Group-A=1\t3\t2\tA\t0"});
    QDateTime now(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    e.window->utcNow = [&now] { return now; };
    QString said;
    bool okEnabled = false, inView = false, ticked = false;
    auto* poll = new QTimer(e.window.get());
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<frmPlace*>(QApplication::activeModalWidget())) {
            poll->stop();
            QTest::keyClicks(dialog->Search, search);
            said = dialog->Result->text();
            okEnabled = dialog->OKButton->isEnabled();
            const QListWidgetItem* item = dialog->Places->currentItem();
            inView = !item || dialog->Places->viewport()->rect().intersects(dialog->Places->visualItemRect(item));
            for (const QString second : {":00:01 UTC", ":00:02 UTC"}) { // the "now" shown ticks, second by second
                now = now.addSecs(1);
                ticked = QTest::qWaitFor([&] { return !okEnabled || dialog->Result->text().contains(second); });
            }
            QTest::keyClick(dialog->Search, Qt::Key_Return);
            if (dialog->isVisible())
                QTest::keyClick(dialog->Search, Qt::Key_Escape);
        }
    });
    poll->start(10);
    PresetEditRecord edit{"", 3, 2, "A", 40, false}; // a new preset: no name yet
    std::unique_ptr<frmEditPreset> editor;
    QComboBox *zoneList = e.window->TimeZone, *daylightList = e.window->Daylight;
    if (inPreset) {
        editor = std::make_unique<frmEditPreset>(
            edit, PresetEditorContext{e.window->editor().textHistory(), e.window->utcNow}, e.dialogs, e.window.get());
        editor->show();
        editor->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), editor.get());
        zoneList = editor->TimeZone;
        daylightList = editor->Daylight;
        // Through the window, as the operator clicks, so the name's check sees it first.
        QTest::mouseClick(editor->windowHandle(), Qt::LeftButton, {},
                          editor->PlaceButton->mapTo(editor.get(), editor->PlaceButton->rect().center()));
    } else {
        e.key(Qt::Key_L, Qt::AltModifier); // a mnemonic clicks after a moment
    }
    QTRY_VERIFY(!said.isEmpty());
    QCOMPARE(okEnabled, zone >= 0);
    QVERIFY(inView && ticked);
    QFETCH(QString, result);
    QVERIFY2(QRegularExpression(result).match(said).hasMatch(), qPrintable(said));
    QCOMPARE(zoneList->currentIndex(), zone < 0 ? 3 : zone);
    QCOMPARE(daylightList->currentIndex(), daylight < 0 ? 2 : daylight);
    if (inPreset) {
        editor->PresetName->setText("Site");
        QTest::mouseClick(editor->OKButton, Qt::LeftButton);
        QCOMPARE(QList<int>({edit.ZoneIndex, edit.DaylightIndex}), QList<int>({zone, daylight}));
        return;
    }
    QCOMPARE(e.window->ApplyButton->isEnabled(), zone >= 0);
    if (zone >= 0)
        e.click(e.window->ApplyButton);
    QCOMPARE(e.group(0), QStringLiteral("1\t%1\t%2\tA\t0").arg(zone < 0 ? 3 : zone).arg(daylight < 0 ? 2 : daylight));
}

// What each group's clocks show, kept current: across Berlin's change in spring, with a clock that is off and a
// rule whose reading is told; and the codes on show in the main window, as the lists' tooltip.
void tst_Windows::clockTimes()
{
    QDateTime now(QDate(2026, 3, 29), QTime(0, 59, 58), Qt::UTC);
    Editor e({"Group-A=1-3\t15\t36\tA\t0", "Group-C=9\t0\t36\tC\t0", "Group-D=4\t15\t11\tD\t0"});
    QElapsedTimer running; // once started, the clock runs on from `now`
    e.window->utcNow = [&] { return running.isValid() ? now.addMSecs(running.elapsed()) : now; };
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), e.window->Daylight->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(e.window->Daylight, &tip);
    QCOMPARE(QToolTip::text(), "Clocks with these codes show 2026-03-29 01:59:58 UTC+01:00 now; next change "
                               "2026-03-29 02:00 becomes 03:00.");
    RecordingLauncher launcher;
    HelpMenu help(e.tables, launcher, e.dialogs, e.window.get(), {});
    help.utcNow = e.window->utcNow;
    help.mnuHelpClockTimes->trigger();
    QTreeWidget* times = help.clockTimesWindow()->Times;
    const auto row = [times](int i) {
        QStringList texts;
        for (int column = 0; column < 4; ++column)
            texts << times->topLevelItem(i)->text(column);
        return texts.join(u'|');
    };
    QCOMPARE(times->topLevelItemCount(), 3);
    QCOMPARE(row(0), "A|1-3|2026-03-29 01:59:58 UTC+01:00|2026-03-29 02:00 becomes 03:00");
    QCOMPARE(row(1), "C|9|off|none");
    QVERIFY2(row(2).endsWith(" (rule read approximately: " + ApproximateReading(11) + ")"), qPrintable(row(2)));
    now = now.addSecs(3);
    QTRY_COMPARE(row(0), "A|1-3|2026-03-29 03:00:01 UTC+02:00|2026-10-25 03:00 becomes 02:00");
    // Each second shows just after the clock's own turns, not up to a second behind it.
    running.start();
    QTest::qWait(1500);
    for (int sample = 0; sample < 40; ++sample, QTest::qWait(25)) {
        const QTime at = e.window->utcNow().time();
        QVERIFY2(at.msec() < 250 || times->topLevelItem(0)->text(2).mid(17, 2).toInt() == at.second(),
                 qPrintable(at.toString("ss.zzz ") + row(0)));
    }
}

// Looked for in each folder in turn; read no larger than the screen, in proportion; a missing one explained.
void tst_Windows::map()
{
    QCOMPARE(DataFolders("/usr/bin", "/home/op/.local/share"),
             QStringList({"/usr/bin", "/home/op/.local/share/Quillmarch", "/usr/local/share/quillmarch",
                          "/usr/share/quillmarch"}));
    QTemporaryDir dir;
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    QImage picture(screen.width() * 3, screen.height() * 2, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(QDir(dir.path()).mkpath("a/" + kMapFileName) && QDir(dir.path()).mkpath("b"));
    QVERIFY(picture.save(dir.filePath("b/" + kMapFileName), "JPG"));
    frmMap map({dir.filePath("a"), dir.filePath("b")}); // past a folder where the name is a folder
    QVERIFY(!map.MapMessage);
    QVERIFY(map.width() <= screen.width() && map.height() <= screen.height());
    QCOMPARE(map.width() * 100 / map.height(), screen.width() * 3 * 100 / (screen.height() * 2));
    QCOMPARE(map.MapImage->pixmap().size(), map.size()); // held at the size shown

    frmMap missing({dir.filePath("a")});
    QVERIFY(missing.MapMessage && missing.MapImage->isHidden());
    QVERIFY(missing.MapMessage->text().contains("\"clientmap.jpg\" was not found"));
}

// Edit, remove, a new one named as another in another case, and the window opened again.
void tst_Windows::editRemoveAndReopen()
{
    // A no-break space and a TAB belong to a name: only blanks are trimmed, or the edit would add a look-alike.
    const QString lobby = "\u00a0Lobby\t";
    Editor p({}, "\"\xa0Lobby\t\",8,30,\"WELCOME\"\r\n\"hall\",1,2,\"HALL\"\r\n\"Zed\",1,1,\"Z\"\r\n");
    auto w = p.openPresets();
    w->PresetName->setCurrentIndex(w->FindListPosition(lobby));
    p.operatorLeaves << PresetEditRecord{lobby, 9, 9, "HELLO", 40, false};
    QTest::mouseClick(w->EditButton, Qt::LeftButton);
    QCOMPARE(p.editorSaw[0].Name, lobby);
    QCOMPARE(p.presetsBytes(), "\"hall\",1,2,\"HALL\"\r\n\"Zed\",1,1,\"Z\"\r\n\"\xa0Lobby\t\",9,9,\"HELLO\"\r\n");
    QCOMPARE(w->PresetName->currentText() + "|" + w->TextDisplay->text(), lobby + "|HELLO");
    // Removing selects the next one; reopening selects what was selected last.
    w->PresetName->setCurrentIndex(w->FindListPosition("hall"));
    p.dialogs.answers = {MsgResult::Yes};
    QTest::mouseClick(w->RemoveButton, Qt::LeftButton);
    QCOMPARE(p.dialogs.calls[0].text, "ARE YOU SURE YOU WANT TO REMOVE THE PRESET NAMED\r\"hall\"\r"
                                      "THIS OPERATION IS NOT REVERSABLE\rClick YES to Proceed with Removal");
    QCOMPARE(w->PresetName->currentText(), "Zed");
    // A new preset named as an existing one in another case: asked, Yes replaces it.
    p.operatorLeaves << PresetEditRecord{"ZED", 5, 6, "NEW", 40, false};
    p.dialogs.answers = {MsgResult::Yes};
    QTest::mouseClick(w->NewButton, Qt::LeftButton);
    QCOMPARE(p.dialogs.calls.value(1).text, "NEW PRESET NAME DUPLICATES AN EXISTING PRESET NAME\r"
                                            "Do you want to REPLACE the existing preset?");
    QCOMPARE(p.dialogs.calls[1].defaultButton, MsgResult::No);
    QCOMPARE(p.presetsBytes(), "\"\xa0Lobby\t\",9,9,\"HELLO\"\r\n\"ZED\",5,6,\"NEW\"\r\n");
    w.reset();
    QCOMPARE(p.openPresets()->PresetName->currentText(), "ZED");
}

QTEST_MAIN(tst_Windows)
#include "tst_windows.moc"
