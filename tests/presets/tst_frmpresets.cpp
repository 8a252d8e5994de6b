// The presets window and the preset editor, with the operator's part played through the editor seam.
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "presets/frmEditPreset.h"
#include "presets/frmPresets.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Presets
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath(QStringLiteral("q.ini"))};
    GroupTables tables;
    ScriptedDialogs dialogs;
    FunctionSounds sounds{{}};
    frmMain main{settings, tables, dialogs, sounds};
    QString file = dir.filePath(QStringLiteral("Quillmarch-Presets.txt"));
    QList<PresetEditRecord> editorSaw;      // what the editor was opened with
    QList<PresetEditRecord> operatorLeaves; // what the operator leaves in it, one per opening

    explicit Presets(const QByteArray& contents = {})
    {
        if (!contents.isNull()) {
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(contents);
        }
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
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

const QByteArray kTwo = "\"Lobby\",8,30,\"WELCOME\"\r\n\"hall\",1,2,\"HALL\"\r\n";

QStringList names(const QComboBox* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    return entries;
}

} // namespace

class tst_frmPresets : public QObject
{
    Q_OBJECT

private slots:
    void firstOpeningWithoutAFile();
    void duplicateName_data();
    void duplicateName();
    void editKeepsTheNameAndMovesToTheEnd();
    void removeSelectsTheNextOne();
    void editorKeysAndNameCheck();
};

void tst_frmPresets::firstOpeningWithoutAFile()
{
    Presets p;
    auto w = p.open();
    QVERIFY(QFile::exists(p.file));
    QCOMPARE(w->PresetName->count(), 0);
    QVERIFY(!w->EditButton->isEnabled() && !w->RemoveButton->isEnabled() && !w->SelectButton->isEnabled());
    QVERIFY(w->CancelButton->isDefault());
}

void tst_frmPresets::duplicateName_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::newRow("Yes replaces") << MsgResult::Yes;
    QTest::newRow("No asks for another name") << MsgResult::No;
}

void tst_frmPresets::duplicateName()
{
    QFETCH(MsgResult, answer);
    Presets p(kTwo);
    auto w = p.open();
    p.operatorLeaves << PresetEditRecord{QStringLiteral("LOBBY"), 5, 6, QStringLiteral("NEW"), 40, false};
    if (answer == MsgResult::No)
        p.operatorLeaves << PresetEditRecord{QStringLiteral("Gate"), 5, 6, QStringLiteral("NEW"), 40, false};
    p.dialogs.answers = {answer};
    QTest::mouseClick(w->NewButton, Qt::LeftButton);
    const RecordedMsgBox& box = p.dialogs.calls.at(0);
    QCOMPARE(box.text, QStringLiteral("NEW PRESET NAME DUPLICATES AN EXISTING PRESET NAME\r"
                                      "Do you want to REPLACE the existing preset?"));
    QCOMPARE(box.title, QStringLiteral("Quillmarch -- Create New Preset"));
    QCOMPARE(box.defaultButton, MsgResult::No);
    if (answer == MsgResult::Yes) {
        QCOMPARE(p.fileBytes(), QByteArray("\"hall\",1,2,\"HALL\"\r\n\"LOBBY\",5,6,\"NEW\"\r\n"));
    } else {
        QCOMPARE(p.editorSaw.size(), 2); // opened again, with an empty name and the values entered
        QCOMPARE(p.editorSaw[1].Name, QString());
        QCOMPARE(p.editorSaw[1].DisplayText, QStringLiteral("NEW"));
        QCOMPARE(names(w->PresetName), (QStringList{"Gate", "hall", "Lobby"}));
    }
}

void tst_frmPresets::editKeepsTheNameAndMovesToTheEnd()
{
    // A no-break space and a TAB are part of a name: only blanks are trimmed, or the edit would add a look-alike.
    const QString lobby = QStringLiteral("\u00a0Lobby\t");
    Presets p("\"\xa0Lobby\t\",8,30,\"WELCOME\"\r\n\"hall\",1,2,\"HALL\"\r\n");
    auto w = p.open();
    w->PresetName->setCurrentIndex(w->FindListPosition(lobby));
    p.operatorLeaves << PresetEditRecord{lobby, 9, 9, QStringLiteral("HELLO"), 40, false};
    QTest::mouseClick(w->EditButton, Qt::LeftButton);
    QCOMPARE(p.editorSaw[0].Name, lobby);
    QCOMPARE(p.fileBytes(), QByteArray("\"hall\",1,2,\"HALL\"\r\n\"\xa0Lobby\t\",9,9,\"HELLO\"\r\n"));
    QCOMPARE(w->PresetName->currentText(), lobby);
    QCOMPARE(w->TextDisplay->text(), QStringLiteral("HELLO"));
    // Reopening selects what was selected last.
    w.reset();
    auto again = p.open();
    QCOMPARE(again->PresetName->currentText(), lobby);
}

void tst_frmPresets::removeSelectsTheNextOne()
{
    Presets p(kTwo);
    auto w = p.open();
    w->PresetName->setCurrentIndex(0); // hall
    p.dialogs.answers = {MsgResult::Yes, MsgResult::Yes};
    QTest::mouseClick(w->RemoveButton, Qt::LeftButton);
    QCOMPARE(p.dialogs.calls[0].text,
             QStringLiteral("ARE YOU SURE YOU WANT TO REMOVE THE PRESET NAMED\r\"hall\"\r"
                            "THIS OPERATION IS NOT REVERSABLE\rClick YES to Proceed with Removal"));
    QCOMPARE(w->PresetName->currentText(), QStringLiteral("Lobby"));
    QTest::mouseClick(w->RemoveButton, Qt::LeftButton);
    QCOMPARE(w->PresetName->count(), 0);
    QCOMPARE(w->TextDisplay->text(), QString());
    QVERIFY(!w->SelectButton->isEnabled());
    QCOMPARE(p.fileBytes(), QByteArray());
}

void tst_frmPresets::editorKeysAndNameCheck()
{
    Presets p;
    p.main.show();
    PresetEditRecord edit{QString(), 2, 3, QStringLiteral("T"), 40, false};
    frmEditPreset editor(edit, p.main, p.dialogs, &p.main);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QCOMPARE(QApplication::focusWidget(), editor.PresetName);
    // A name of blanks: OK, by its mnemonic too, is refused with the message, and the focus stays.
    QTest::keyClicks(editor.PresetName, QStringLiteral("  "));
    QTest::keyClick(&editor, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(p.dialogs.calls.value(0).text, QStringLiteral("Please Enter a Name for the Preset")); // animated
    QCOMPARE(p.dialogs.calls.value(0).icon, MsgIcon::Exclamation);
    QVERIFY(editor.isVisible() && editor.PresetName->hasFocus());
    // 40 characters; a double quote or a character the file cannot hold never, typed or pasted.
    editor.PresetName->clear();
    QTest::keyClicks(editor.PresetName, QString(39, u'n') + QStringLiteral("\""));
    QTest::sendKeyEvent(QTest::Press, editor.PresetName, Qt::Key_unknown, QStringLiteral("\u03a9"), {});
    QTest::keyClicks(editor.PresetName, QStringLiteral("xy"));
    editor.PresetName->insert(QStringLiteral("\u0141"));
    QCOMPARE(editor.PresetName->text(), QString(39, u'n') + QStringLiteral("x"));
    QTest::keyClick(editor.PresetName, Qt::Key_Backspace);
    QCOMPARE(editor.PresetName->text().size(), 39);
    editor.TextDisplay->setFocus();
    editor.TextDisplay->lineEdit()->selectAll();
    QTest::keyClicks(editor.TextDisplay, QString(19, u't') + QStringLiteral("uv"));
    editor.TextDisplay->lineEdit()->insert(QStringLiteral("\u0141"));
    QCOMPARE(editor.TextDisplay->currentText(), QString(19, u't') + QStringLiteral("u"));
    editor.close(); // the close box counts as OK
    QVERIFY(!edit.Cancelled);
    QCOMPARE(edit.Name.size(), 39);
    QCOMPARE(edit.ZoneIndex, qint16(2));
    QCOMPARE(edit.DisplayText, QString(19, u't') + QStringLiteral("u"));
}

QTEST_MAIN(tst_frmPresets)
#include "tst_frmpresets.moc"
