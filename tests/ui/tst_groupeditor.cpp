// The group editor and the command keys, driven as an operator would: keys, clicks through the window, answers.
#include "model/SettingsStore.h"
#include "platform/Sounds.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmMfgMode.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Editor
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath(QStringLiteral("q.ini"))};
    GroupTables tables;
    ScriptedDialogs dialogs;
    int beeps = 0;
    FunctionSounds sounds{[this] { ++beeps; }};
    QList<QPair<int, int>> takenOver; // (group, command code) for every take-over
    QTimer tick;
    std::unique_ptr<frmMain> window;

    explicit Editor(const QStringList& stored = {})
    {
        for (const QString& line : stored)
            settings.SaveSetting(line.section(u'=', 0, 0), line.section(u'=', 1));
        LoadAllGroups(tables, settings);
        // A stand-in for the refresh cycle: takes hand-overs over, as the link object's timer does.
        tables.RefreshRunning = true;
        tick.setInterval(30);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            const int g = TakeOverPendingGroup(tables);
            if (g >= 0)
                takenOver.append({g, tables.ActiveGroups[size_t(g)].CommandCode});
        });
        tick.start();
        open();
    }
    void open()
    {
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
    // Keys go where the keyboard sends them: to the widget with the focus.
    void activate() // back from a dialog, the main window is active again
    {
        if (QApplication::activeWindow() != window.get()) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        activate();
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    // Leaves a field for one that causes validation (Tab from the clock list goes to Presets, which does not).
    void leave() { key(Qt::Key_Tab, Qt::ShiftModifier); }
    void type(QComboBox* field, const QString& text)
    {
        activate();
        field->setFocus();
        field->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    QString clocksOf(int group) const { return FormatClockList(tables.EditGroups[size_t(group)].Clocks); }
    QStringList history(QComboBox* list) const
    {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        return entries;
    }
};

// Answers the password dialog as soon as it is up.
void answerPassword(const QString& password, bool ok = true)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, password, ok] {
        auto* dialog = qobject_cast<frmMfgMode*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        poll->stop();
        QTest::keyClicks(dialog->Password, password);
        QTest::mouseClick(ok ? dialog->OKButton : dialog->CancelButton, Qt::LeftButton);
        if (dialog->isVisible()) // a wrong password leaves it open
            dialog->reject();
    });
    poll->start();
}

} // namespace

class tst_GroupEditor : public QObject
{
    Q_OBJECT

private slots:
    void typedListKeepsItsSpelling();
    void refusedListKeepsTheFocus();
    void enterDoesNotApplyARefusedList();
    void twentyCharacterFilter();
    void moveQuestions_data();
    void moveQuestions();
    void singularQuestion();
    void historiesAcrossRuns();
    void groupChangeWhileModified();
    void passwordAndCommandKeys();
    void wrongPasswords_data();
    void wrongPasswords();
    void otherKeysAreNoCommands();
    void commandDuringAWaitIsIgnored();
};


void tst_GroupEditor::typedListKeepsItsSpelling()
{
    Editor e({"Group-A=1-3\t0\t0\t\t0"});
    e.type(e.window->GroupClockNumbers, QStringLiteral("1,2,3"));
    QVERIFY(e.window->ApplyButton->isEnabled()); // the typing alone
    e.leave();
    QCOMPARE(e.window->GroupClockNumbers->currentText(), QStringLiteral("1,2,3"));
    QCOMPARE(e.history(e.window->GroupClockNumbers), QStringList{QStringLiteral("1-3")});
    // A list that differs is rewritten in canonical form.
    e.type(e.window->GroupClockNumbers, QStringLiteral("9, 8,7"));
    e.leave();
    QCOMPARE(e.window->GroupClockNumbers->currentText(), QStringLiteral("7-9"));
    QCOMPARE(e.history(e.window->GroupClockNumbers), (QStringList{"7-9", "1-3"}));
}

void tst_GroupEditor::refusedListKeepsTheFocus()
{
    Editor e({"Group-A=4\t0\t0\tX\t0"});
    bool helpShown = false, presetsShown = false;
    e.window->showHelpMenu = [&](const QPoint&) { helpShown = true; };
    e.window->showPresets = [&] { presetsShown = true; };
    e.type(e.window->GroupClockNumbers, QStringLiteral("1,,2"));
    e.click(e.window->TimeZone);
    QCOMPARE(e.dialogs.calls.size(), 1);
    QCOMPARE(e.dialogs.calls[0].text, QStringLiteral("INPUT ERROR IN CLOCK NUMBER LIST\rBad Numeric"));
    QCOMPARE(e.dialogs.calls[0].icon, MsgIcon::None);
    QCOMPARE(e.dialogs.calls[0].title, QStringLiteral("Quillmarch"));
    QCOMPARE(QApplication::focusWidget(), e.window->GroupClockNumbers);
    e.leave();
    QCOMPARE(e.dialogs.calls.size(), 2);
    QCOMPARE(QApplication::focusWidget(), e.window->GroupClockNumbers);
    // The buttons that cause no validation still work, and none stores the bad list.
    e.click(e.window->HelpButton);
    e.click(e.window->PresetsButton);
    QVERIFY(helpShown && presetsShown);
    QCOMPARE(e.dialogs.calls.size(), 2);
    e.type(e.window->GroupClockNumbers, QStringLiteral("1,,2"));
    e.click(e.window->CancelButton);
    QCOMPARE(e.window->GroupClockNumbers->currentText(), QStringLiteral("4"));
    QCOMPARE(e.clocksOf(0), QStringLiteral("4"));
    QVERIFY(!e.window->ApplyButton->isEnabled());
}

void tst_GroupEditor::enterDoesNotApplyARefusedList()
{
    Editor e({"Group-A=4\t0\t0\tX\t0"});
    e.type(e.window->GroupClockNumbers, QStringLiteral("3-200"));
    e.key(Qt::Key_Return);
    QCOMPARE(e.dialogs.calls.size(), 1);
    QCOMPARE(e.dialogs.calls[0].text, QStringLiteral("INPUT ERROR IN CLOCK NUMBER LIST\rClock Number Out Of Range"));
    QCOMPARE(e.clocksOf(0), QStringLiteral("4"));
    QCOMPARE(e.settings.GetSetting(QStringLiteral("Group-A"), {}), QStringLiteral("4\t0\t0\tX\t0"));
    // Apply pressed from where no validation ran (Tab to Presets, then Alt+A) checks the list itself.
    e.key(Qt::Key_Tab);
    e.window->ApplyButton->click();
    QCOMPARE(e.dialogs.calls.size(), 2);
    QCOMPARE(e.clocksOf(0), QStringLiteral("4"));
    // A good list: Enter applies it, stored and handed over.
    e.type(e.window->GroupClockNumbers, QStringLiteral("5,6"));
    e.key(Qt::Key_Return);
    QCOMPARE(e.clocksOf(0), QStringLiteral("5-6"));
    QCOMPARE(e.tables.ActiveGroups[0].FirstClock, qint16(5));
    QCOMPARE(e.settings.GetSetting(QStringLiteral("Group-A"), {}), QStringLiteral("5-6\t0\t0\tX\t0"));
    QVERIFY(!e.window->ApplyButton->isEnabled());
}

void tst_GroupEditor::twentyCharacterFilter()
{
    Editor e;
    QLineEdit* text = e.window->TextDisplay->lineEdit();
    e.type(e.window->TextDisplay, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    QCOMPARE(text->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    e.key(Qt::Key_Backspace);
    QTest::keyClicks(e.window->TextDisplay, QStringLiteral("xy"));
    QCOMPARE(text->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRSx"));
    text->setSelection(0, 3);
    QTest::keyClicks(e.window->TextDisplay, QStringLiteral("z"));
    QCOMPARE(text->text(), QStringLiteral("zDEFGHIJKLMNOPQRSx"));
    // A TAB cannot enter the text, typed or pasted.
    e.window->TextDisplay->setEditText(QStringLiteral("A\tB"));
    QCOMPARE(text->text(), QStringLiteral("A B"));
}

void tst_GroupEditor::moveQuestions_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("field");
    QTest::newRow("Yes moves them") << MsgResult::Yes << ""
                                    << "3-6"
                                    << "3-6";
    QTest::newRow("No keeps them in A") << MsgResult::No << "4-5"
                                        << "3,6"
                                        << "3,6";
    QTest::newRow("Cancel stores nothing for B") << MsgResult::Cancel << "4-5"
                                                 << "9"
                                                 << "9";
}

void tst_GroupEditor::moveQuestions()
{
    QFETCH(MsgResult, answer);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, field);
    Editor e({"Group-A=4-5\t0\t0\tA\t0", "Group-B=9\t0\t0\tB\t0", "Group=B"});
    e.type(e.window->GroupClockNumbers, QStringLiteral("3-6"));
    e.dialogs.answers = {answer};
    e.click(e.window->ApplyButton);
    QCOMPARE(e.dialogs.calls.size(), 1);
    const RecordedMsgBox& box = e.dialogs.calls[0];
    QCOMPARE(box.text,
             QStringLiteral("Clock Numbers 4-5 are currently in Group A\rDo you want to MOVE them to Group B?"));
    QCOMPARE(box.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(box.defaultButton, MsgResult::Cancel);
    QCOMPARE(box.icon, MsgIcon::Question);
    QCOMPARE(e.clocksOf(0), a);
    QCOMPARE(e.clocksOf(1), b);
    QCOMPARE(e.window->GroupClockNumbers->currentText(), field);
    QCOMPARE(FormatClockList(e.tables.ActiveGroups[0].Clocks), a);
    QCOMPARE(e.settings.GetSetting(QStringLiteral("Group-A"), {}).section(u'\t', 0, 0), a);
    QCOMPARE(e.settings.GetSetting(QStringLiteral("Group-B"), {}).section(u'\t', 0, 0), b);
    QVERIFY(!e.window->ApplyButton->isEnabled());
}

void tst_GroupEditor::singularQuestion()
{
    Editor e({"Group-C=7\t0\t0\tC\t0"});
    e.type(e.window->GroupClockNumbers, QStringLiteral("7"));
    e.dialogs.answers = {MsgResult::Yes};
    e.click(e.window->ApplyButton);
    QCOMPARE(e.dialogs.calls.value(0).text,
             QStringLiteral("Clock Number 7 is currently in Group C\rDo you want to MOVE it to Group A?"));
    QCOMPARE(e.clocksOf(0), QStringLiteral("7"));
    QCOMPARE(e.clocksOf(2), QString());
}

void tst_GroupEditor::historiesAcrossRuns()
{
    Editor e;
    for (int i = 1; i <= 12; ++i) {
        e.type(e.window->GroupClockNumbers, QString::number(i));
        e.leave();
    }
    e.type(e.window->GroupClockNumbers, QStringLiteral("5"));
    e.leave();
    // Only blanks are trimmed: a no-break space belongs to the text.
    e.type(e.window->TextDisplay, QStringLiteral(" \u00A0LOBBY "));
    e.leave();
    e.window->close();
    QCOMPARE(e.settings.GetSetting(QStringLiteral("ClockNumberHistory"), {}),
             QStringLiteral("5\t12\t11\t10\t9\t8\t7\t6\t4\t3"));
    e.open();
    QCOMPARE(e.history(e.window->GroupClockNumbers),
             (QStringList{"5", "12", "11", "10", "9", "8", "7", "6", "4", "3"}));
    QCOMPARE(e.history(e.window->TextDisplay), QStringList{QStringLiteral("\u00A0LOBBY")});
}

void tst_GroupEditor::groupChangeWhileModified()
{
    Editor e({"Group-A=1\t0\t0\tA\t0", "Group-B=2\t0\t0\tB\t0"});
    e.type(e.window->TextDisplay, QStringLiteral("edited"));
    e.window->GroupLetter->setFocus();
    e.key(Qt::Key_Down);
    QCOMPARE(e.dialogs.calls.value(0).text,
             QStringLiteral("Please CANCEL or APPLY your changes\rbefore changing the Group Letter Selection"));
    QCOMPARE(e.window->GroupLetter->currentText(), QStringLiteral("A"));
    QCOMPARE(e.window->TextDisplay->currentText(), QStringLiteral("edited"));
    e.click(e.window->CancelButton);
    e.window->GroupLetter->setFocus();
    e.key(Qt::Key_Down);
    QCOMPARE(e.window->GroupClockNumbers->currentText(), QStringLiteral("2"));
    QCOMPARE(e.settings.GetSetting(QStringLiteral("Group"), {}), QStringLiteral("B"));
}

void tst_GroupEditor::passwordAndCommandKeys()
{
    Editor e({"Group-A=1-2\t0\t0\tA\t0"});
    answerPassword(QStringLiteral("brashor"));
    e.key(Qt::Key_F6);
    QVERIFY(e.window->ManufacturingMode);
    QCOMPARE(e.beeps, 1);
    QVERIFY(e.window->windowTitle().endsWith(QStringLiteral("  [ MANUFACTURING MODE ]")));
    QVERIFY(e.takenOver.isEmpty()); // the key that unlocks sends nothing

    // With edits on screen the group goes as last applied, and the edits stay.
    e.type(e.window->TextDisplay, QStringLiteral("unapplied"));
    e.key(Qt::Key_F6);
    QCOMPARE(e.takenOver, (QList<QPair<int, int>>{{0, 172}}));
    QCOMPARE(e.tables.ActiveGroups[0].DisplayText, QStringLiteral("A"));
    QCOMPARE(e.tables.EditGroups[0].CommandCode, qint16(0));
    QCOMPARE(e.window->TextDisplay->currentText(), QStringLiteral("unapplied"));
    QVERIFY(e.window->ApplyButton->isEnabled());

    e.dialogs.answers = {MsgResult::No};
    e.key(Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(e.takenOver.size(), 1);
    const RecordedMsgBox& reset = e.dialogs.calls.last();
    QCOMPARE(reset.text, QStringLiteral("Reset Clock(s) to Factory Defaults\rARE YOU SURE?"));
    QCOMPARE(reset.title, QStringLiteral("Quillmarch Factory Reset"));
    QCOMPARE(reset.buttons, MsgButtons::YesNo);
    QCOMPARE(reset.defaultButton, MsgResult::Yes);
    e.dialogs.answers = {MsgResult::Yes};
    e.key(Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(e.takenOver.last(), qMakePair(0, 220));
}

void tst_GroupEditor::wrongPasswords_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("capital first letter") << "Brashor";
    QTest::newRow("trailing blank") << "brashor ";
}

void tst_GroupEditor::wrongPasswords()
{
    QFETCH(QString, password);
    Editor e;
    const QString caption = e.window->windowTitle();
    answerPassword(password);
    e.key(Qt::Key_F5);
    QCOMPARE(e.dialogs.calls.value(0).text, QStringLiteral("Incorrect Password"));
    QVERIFY(!e.window->ManufacturingMode);
    answerPassword(QStringLiteral("brashor"), false); // Cancel
    e.key(Qt::Key_F5);
    QVERIFY(!e.window->ManufacturingMode);
    QCOMPARE(e.window->windowTitle(), caption);
}

void tst_GroupEditor::otherKeysAreNoCommands()
{
    Editor e({"Group-A=1\t0\t0\tA\t0"});
    e.window->ManufacturingMode = true;
    e.key(Qt::Key_F8);
    e.key(Qt::Key_F5, Qt::ControlModifier);
    e.key(Qt::Key_F8, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::qWait(100);
    QVERIFY(e.takenOver.isEmpty());
    QVERIFY(e.dialogs.calls.isEmpty());
}

void tst_GroupEditor::commandDuringAWaitIsIgnored()
{
    Editor e({"Group-A=1\t0\t0\tA\t0"});
    e.window->ManufacturingMode = true;
    e.tick.setInterval(300);
    QTimer::singleShot(50, [&] { e.key(Qt::Key_F7); });
    e.key(Qt::Key_F5);
    QTest::qWait(700);
    QCOMPARE(e.takenOver, (QList<QPair<int, int>>{{0, 236}}));
}

QTEST_MAIN(tst_GroupEditor)
#include "tst_groupeditor.moc"
