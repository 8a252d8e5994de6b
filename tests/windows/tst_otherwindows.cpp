// The other windows in-process: the time warning, the Help menu's entries, the summary's text, the map, the presets
// window and the preset editor (with the operator's part played through the editor seam).
#include "app/DataFiles.h"
#include "app/frmWarning.h"
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "presets/frmEditPreset.h"
#include "presets/frmPresets.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedDialogs.h"
#include "ui/auxiliary/SummaryTable.h"
#include "ui/auxiliary/frmMap.h"
#include "ui/main/HelpMenu.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Presets
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("q.ini")};
    GroupTables tables;
    ScriptedDialogs dialogs;
    FunctionSounds sounds{{}};
    frmMain main{settings, tables, dialogs, sounds};
    QString file = dir.filePath("Quillmarch-Presets.txt");
    QList<PresetEditRecord> editorSaw;      // what the editor was opened with
    QList<PresetEditRecord> operatorLeaves; // what the operator leaves in it, one per opening

    explicit Presets(const QByteArray& contents)
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(contents);
        f.close();
        main.Form_Load();
    }
    std::unique_ptr<frmPresets> open()
    {
        auto window = std::make_unique<frmPresets>(main, settings, dialogs, file);
        window->runEditor = [this](PresetEditRecord& edit) {
            editorSaw << edit;
            edit = operatorLeaves.takeFirst();
        };
        return window;
    }
    QByteArray fileBytes() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

const QByteArray kTwo = "\"Lobby\",8,30,\"WELCOME\"\r\n\"hall\",1,2,\"HALL\"\r\n";
} // namespace

class tst_OtherWindows : public QObject
{
    Q_OBJECT

private slots:
    void timeWarning_data();
    void timeWarning();
    void helpEntries_data();
    void helpEntries();
    void summary();
    void map();
    void newPresetWithATakenName_data();
    void newPresetWithATakenName();
    void editRemoveAndReopen();
    void presetEditorFilters();
};

void tst_OtherWindows::timeWarning_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("stored");
    QTest::newRow("ticked, OK: never again") << true << "OK" << int(QDialog::Accepted) << "False";
    QTest::newRow("not ticked, OK: stores nothing") << false << "OK" << int(QDialog::Accepted) << "<absent>";
    QTest::newRow("ticked, close box: goes on, stores nothing") << true << "close" << int(QDialog::Accepted)
                                                                << "<absent>";
    QTest::newRow("ticked, Cancel: ends, stores nothing") << true << "Cancel" << int(QDialog::Rejected) << "<absent>";
    QTest::newRow("ticked, Escape does nothing, Enter presses OK") << true << "Enter" << int(QDialog::Accepted)
                                                                   << "False";
}

void tst_OtherWindows::timeWarning()
{
    QFETCH(bool, ticked);
    QFETCH(QString, how);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("q.ini"));
    int beeps = 0;
    FunctionSounds sounds([&] { ++beeps; });
    frmWarning warning(settings, sounds);
    QCOMPARE(beeps, 1);
    warning.show();
    QVERIFY(QTest::qWaitForWindowExposed(&warning));
    if (ticked)
        QTest::mouseClick(warning.Check1, Qt::LeftButton);
    if (how == "Enter") {
        QTest::keyClick(&warning, Qt::Key_Escape);
        QVERIFY(warning.isVisible());
        QTest::keyClick(&warning, Qt::Key_Return);
    } else if (how == "close") {
        warning.close();
    } else {
        QTest::mouseClick(how == "OK" ? warning.OKButton : warning.CancelButton, Qt::LeftButton);
    }
    QVERIFY(!warning.isVisible());
    QTEST(warning.result(), "result");
    const QString stored = SettingsStore(settings.filePath()).GetSetting("TimeWarn", "<absent>");
    QTEST(stored, "stored");
    QCOMPARE(ShouldShowTimeWarning(stored == "<absent>" ? "True" : stored), stored != "False");
}

void tst_OtherWindows::helpEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");   // what the launcher answers
    QTest::addColumn<QString>("call"); // %1: the data folder, where a manual is when a file is opened
    QTest::addColumn<QString>("message");
    QTest::newRow("manual opened, nothing said") << "mnuHelpFinder" << true << "file %1/QUILLMARCH.html" << "";
    QTest::newRow("manual missing: the folders looked in")
        << "mnuHelpFinder" << true << ""
        << "Can't find the help file \"QUILLMARCH.html\"\rLooked in these folders, in this order:\r    %1";
    QTest::newRow("maker's page") << "mnuHelpWeb" << true << "url " QUILLMARCH_MAKER_URL << "";
    QTest::newRow("world clock page not opened: said")
        << "mnuHelpZone" << false << "url " QUILLMARCH_WORLDCLOCK_URL
        << "Can't open the web page\r\"" QUILLMARCH_WORLDCLOCK_URL "\"\rno browser";
    QTest::newRow("clock synchronisation: asked, then told") << "mnuHelpSync" << true << "clock sync"
                                                             << "The PC clock's synchronisation cannot be read:\r";
}

void tst_OtherWindows::helpEntries()
{
    QFETCH(QString, entry);
    QFETCH(bool, opens);
    QFETCH(QString, call);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile manual(dir.filePath(kHelpFileName));
    QVERIFY(!call.startsWith("file") || manual.open(QIODevice::WriteOnly));
    GroupTables tables;
    RecordingLauncher launcher;
    launcher.answer = {opens, opens ? QString() : "no browser"};
    ScriptedDialogs dialogs;
    HelpMenu help(tables, launcher, dialogs, nullptr, {dir.path()});
    help.mnuHelp->findChild<QAction*>(entry)->trigger();
    QCOMPARE(launcher.calls, call.isEmpty() ? QStringList() : QStringList{call.replace("%1", dir.path())});
    QCOMPARE(dialogs.calls.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(dialogs.calls[0].text.startsWith(message.replace("%1", dir.path())), qPrintable(dialogs.calls[0].text));
}

// Columns as wide as their widest entry plus 3; letters ascending; groups without clocks left out; CR LF.
void tst_OtherWindows::summary()
{
    std::array<GroupRecord, kGroupCount> table{};
    QVERIFY(ParseClockList(table[2].Clocks, "9").isEmpty());
    QVERIFY(ParseClockList(table[1].Clocks, "0-2,5,7-8,127").isEmpty());
    table[1].ZoneIndex = 1;
    table[1].DisplayText = "ABCDEFGHIJKLMNOPQRST";
    table[0].DisplayText = "NO CLOCKS, LONG TEXT HERE"; // must not widen anything
    QCOMPARE(SummaryTableText(table),
             "Group      Clock           Time                                                     Daylight    "
             "Text                   \r\n"
             "Letter     Numbers         Zone                                                     Savings     "
             "Display                \r\n"
             "======     =======         ====                                                     ========    "
             "=======                \r\n"
             "B          0-2,5,7-8,127   (20) UTC-12 (Yankee) IDLW International Date Line West   (0) none    "
             "ABCDEFGHIJKLMNOPQRST   \r\n"
             "C          9               (16) CLOCK OFF                                           (0) none    "
             "                       \r\n");
}

// Looked for in each folder in turn; read no larger than the screen, in proportion; a missing one explained.
void tst_OtherWindows::map()
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

void tst_OtherWindows::newPresetWithATakenName_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::newRow("Yes replaces") << MsgResult::Yes;
    QTest::newRow("No asks for another name") << MsgResult::No;
}

void tst_OtherWindows::newPresetWithATakenName()
{
    QFETCH(MsgResult, answer);
    Presets p(kTwo);
    auto w = p.open();
    p.operatorLeaves << PresetEditRecord{"LOBBY", 5, 6, "NEW", 40, false};
    if (answer == MsgResult::No)
        p.operatorLeaves << PresetEditRecord{"Gate", 5, 6, "NEW", 40, false};
    p.dialogs.answers = {answer};
    QTest::mouseClick(w->NewButton, Qt::LeftButton);
    QCOMPARE(p.dialogs.calls.value(0).text, "NEW PRESET NAME DUPLICATES AN EXISTING PRESET NAME\r"
                                            "Do you want to REPLACE the existing preset?");
    QCOMPARE(p.dialogs.calls[0].defaultButton, MsgResult::No);
    if (answer == MsgResult::Yes) {
        QCOMPARE(p.fileBytes(), "\"hall\",1,2,\"HALL\"\r\n\"LOBBY\",5,6,\"NEW\"\r\n");
    } else { // opened again with an empty name and the values entered
        QCOMPARE(p.editorSaw.value(1).Name + "|" + p.editorSaw.value(1).DisplayText, "|NEW");
        QCOMPARE(p.fileBytes(), kTwo + "\"Gate\",5,6,\"NEW\"\r\n");
    }
}

void tst_OtherWindows::editRemoveAndReopen()
{
    // A no-break space and a TAB belong to a name: only blanks are trimmed, or the edit would add a look-alike.
    const QString lobby = "\u00a0Lobby\t";
    Presets p("\"\xa0Lobby\t\",8,30,\"WELCOME\"\r\n\"hall\",1,2,\"HALL\"\r\n\"Zed\",1,1,\"Z\"\r\n");
    auto w = p.open();
    w->PresetName->setCurrentIndex(w->FindListPosition(lobby));
    p.operatorLeaves << PresetEditRecord{lobby, 9, 9, "HELLO", 40, false};
    QTest::mouseClick(w->EditButton, Qt::LeftButton);
    QCOMPARE(p.editorSaw[0].Name, lobby);
    QCOMPARE(p.fileBytes(), "\"hall\",1,2,\"HALL\"\r\n\"Zed\",1,1,\"Z\"\r\n\"\xa0Lobby\t\",9,9,\"HELLO\"\r\n");
    QCOMPARE(w->PresetName->currentText() + "|" + w->TextDisplay->text(), lobby + "|HELLO");
    // Removing selects the next one; reopening selects what was selected last.
    w->PresetName->setCurrentIndex(w->FindListPosition("hall"));
    p.dialogs.answers = {MsgResult::Yes};
    QTest::mouseClick(w->RemoveButton, Qt::LeftButton);
    QCOMPARE(p.dialogs.calls[0].text, "ARE YOU SURE YOU WANT TO REMOVE THE PRESET NAMED\r\"hall\"\r"
                                      "THIS OPERATION IS NOT REVERSABLE\rClick YES to Proceed with Removal");
    QCOMPARE(w->PresetName->currentText(), "Zed");
    w.reset();
    QCOMPARE(p.open()->PresetName->currentText(), "Zed");
}

void tst_OtherWindows::presetEditorFilters()
{
    Presets p({});
    p.main.show();
    PresetEditRecord edit{QString(), 2, 3, "T", 40, false};
    frmEditPreset editor(edit, p.main, p.dialogs, &p.main);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    // A name of blanks: OK, by its mnemonic too, is refused with the message, and the focus stays.
    QTest::keyClicks(editor.PresetName, "  ");
    QTest::keyClick(&editor, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(p.dialogs.calls.value(0).text, "Please Enter a Name for the Preset");
    QVERIFY(editor.isVisible() && editor.PresetName->hasFocus());
    // 40 characters; a double quote or a character the file cannot hold never, typed or pasted.
    editor.PresetName->clear();
    QTest::keyClicks(editor.PresetName, QString(39, u'n') + "\"");
    QTest::keyClicks(editor.PresetName, "xy");
    editor.PresetName->insert("\u0141");
    QCOMPARE(editor.PresetName->text(), QString(39, u'n') + "x");
    editor.TextDisplay->setFocus();
    editor.TextDisplay->lineEdit()->selectAll();
    QTest::keyClicks(editor.TextDisplay, QString(19, u't') + "uv");
    QCOMPARE(editor.TextDisplay->currentText(), QString(19, u't') + "u");
    editor.close(); // the close box counts as OK
    QCOMPARE(QString::number(edit.Cancelled) + edit.Name + edit.DisplayText, "0" + QString(39, u'n') + "x" +
                                                                                 QString(19, u't') + "u");
}

QTEST_MAIN(tst_OtherWindows)
#include "tst_otherwindows.moc"
