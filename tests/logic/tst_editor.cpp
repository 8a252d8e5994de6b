// The group editor's rules without a widget: the checks of the clock list and the text, the history lists, the group
// change, and Apply with its move questions, as what is stored, handed over and asked.
#include "app/GroupEditor.h"
#include "model/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

struct Editor
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("q.ini")};
    GroupTables tables;
    std::unique_ptr<GroupEditor> editor;

    // `stored`: settings lines "key=value", as the file would hold them.
    explicit Editor(const QStringList& stored = {})
    {
        for (const QString& line : stored)
            settings.SaveSetting(line.section(u'=', 0, 0), line.section(u'=', 1));
        LoadAllGroups(tables, settings);
        editor = std::make_unique<GroupEditor>(tables, settings);
        editor->show(editor->load());
    }
    QString group(int g) const { return settings.GetSetting(QStringLiteral("Group-") + IndexToLetter(g), {}); }
    QString clocksOf(int g) const { return group(g).section(u'\t', 0, 0); }
};

} // namespace

class tst_Editor : public QObject
{
    Q_OBJECT

private slots:
    void clockListLeft_data();
    void clockListLeft();
    void textRules_data();
    void textRules();
    void historiesKeptAcrossRuns_data();
    void historiesKeptAcrossRuns();
    void groupChange();
    void apply_data();
    void apply();
    void commandKeys_data();
    void commandKeys();
};

void tst_Editor::clockListLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("field"); // what the field shows afterwards
    QTest::addColumn<QString>("history");
    QTest::addColumn<bool>("modified");
    // Group A holds 1-3; the history holds "9" and "3-5,7".
    QTest::newRow("rewritten in canonical form") << "7, 3-5"
                                                 << ""
                                                 << "3-5,7"
                                                 << "3-5,7|9" << true;
    QTest::newRow("the clocks on show keep their spelling") << "1,2,3"
                                                            << ""
                                                            << "1,2,3"
                                                            << "1-3|9|3-5,7" << false;
    QTest::newRow("a range to the last clock") << "127, 120-126"
                                               << ""
                                               << "120-127"
                                               << "120-127|9|3-5,7" << true;
    QTest::newRow("emptied: no entry, the field empty") << " "
                                                        << ""
                                                        << ""
                                                        << "9|3-5,7" << true;
    QTest::newRow("refused: nothing changes") << "3-200"
                                              << "INPUT ERROR IN CLOCK NUMBER LIST\rClock Number Out Of Range"
                                              << "3-200"
                                              << "9|3-5,7" << false;
}

void tst_Editor::clockListLeft()
{
    QFETCH(QString, typed);
    QFETCH(QString, error);
    Editor e({"Group-A=1-3\t0\t0\tA\t0", "ClockNumberHistory=9\t3-5,7"});
    const GroupEditor::ListCheck check = e.editor->checkClockList(typed);
    QCOMPARE(check.error, error);
    QTEST(check.rewrite ? check.canonical : typed, "field");
    QTEST(e.editor->clockHistory().join(u'|'), "history");
    QTEST(e.editor->modified(), "modified");
}

void tst_Editor::textRules_data()
{
    // Steps on the text field of group A (text "SHOWN"): "key:C" a key typed with the field holding the step's text
    // ("full": 20 characters, "sel": 20 with a selection), "change:T" the field's text changed to T, "pick:T" T taken
    // from the history, "leave:T" the field left holding T. Results: for keys "kept"/"dropped", for leaving the text
    // the field shows; then whether the group is modified and the history.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("history");
    QTest::newRow("a character at the limit is dropped")
        << QStringList{"key:x full"} << QStringList{"dropped"} << false << "";
    QTest::newRow("backspace at the limit is kept") << QStringList{"key:\b full"} << QStringList{"kept"} << true << "";
    QTest::newRow("replacing a selection at the limit")
        << QStringList{"key:x sel"} << QStringList{"kept"} << true << "";
    QTest::newRow("a typed change is no history entry")
        << QStringList{"key:a", "change:a"} << QStringList{"kept", ""} << true << "";
    QTest::newRow("a change from outside enters the history, trimmed")
        << QStringList{"change: HALL "} << QStringList{""} << true << "HALL";
    QTest::newRow("showing the group's own text changes nothing but the history")
        << QStringList{"change:SHOWN"} << QStringList{""} << false << "SHOWN";
    QTest::newRow("leaving trims blanks only") << QStringList{"leave:  A\t "} << QStringList{"A\t"} << true << "A\t";
    QTest::newRow("leaving with the shown text keeps the blanks")
        << QStringList{"leave: SHOWN "} << QStringList{" SHOWN "} << false << "SHOWN";
    QTest::newRow("picking another text") << QStringList{"pick:B"} << QStringList{""} << true << "";
    QTest::newRow("used again moves to the top")
        << QStringList{"change:X", "change:Y", "change:X"} << QStringList{"", "", ""} << true << "X|Y";
}

void tst_Editor::textRules()
{
    QFETCH(QStringList, steps);
    Editor e({"Group-A=1\t0\t0\tSHOWN\t0"});
    QStringList results;
    for (const QString& step : steps) {
        const QString kind = step.section(u':', 0, 0), value = step.section(u':', 1);
        if (kind == "key") {
            const QString text = value.contains(" full") || value.contains(" sel") ? QString(20, u'x') : QString();
            results << (e.editor->textKey(value.left(1), text, value.contains(" sel")) ? "dropped" : "kept");
        } else if (kind == "change") {
            e.editor->textChanged(value);
            results << "";
        } else if (kind == "pick") {
            e.editor->textPicked(value);
            results << "";
        } else {
            results << e.editor->checkText(value);
        }
    }
    QTEST(results, "results");
    QTEST(e.editor->modified(), "modified");
    QTEST(e.editor->textHistory().join(u'|'), "history");
}

void tst_Editor::historiesKeptAcrossRuns_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("added"); // entries put on top during the run, "|"-separated
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("saved");
    QTest::newRow("nothing stored") << ""
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("blanks trimmed, empty pieces dropped") << " a \t\t b"
                                                          << ""
                                                          << "a|b"
                                                          << "a\tb";
    QTest::newRow("a tenth piece keeps the rest of the text") << "1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12"
                                                              << ""
                                                              << "1|2|3|4|5|6|7|8|9|10\t11\t12"
                                                              << "1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12";
    QTest::newRow("ten of eleven are saved") << "1\t2\t3\t4\t5\t6\t7\t8\t9\t10"
                                             << "new"
                                             << "1|2|3|4|5|6|7|8|9|10"
                                             << "new\t1\t2\t3\t4\t5\t6\t7\t8\t9";
    QTest::newRow("an entry used again is not saved twice") << "a\tb"
                                                            << "b"
                                                            << "a|b"
                                                            << "b\ta";
}

// The text history: loaded from and saved to its key; the clock list's history follows the same rule.
void tst_Editor::historiesKeptAcrossRuns()
{
    QFETCH(QString, stored);
    QFETCH(QString, added);
    Editor e({"TextDisplayHistory=" + stored});
    QTEST(e.editor->textHistory().join(u'|'), "loaded");
    for (const QString& entry : added.split(u'|', Qt::SkipEmptyParts))
        e.editor->addTextHistory(entry);
    e.editor->saveHistories();
    QTEST(e.settings.GetSetting("TextDisplayHistory", {}), "saved");
}

void tst_Editor::groupChange()
{
    Editor e({"Group-A=1\t0\t0\tA\t0", "Group-B=2\t0\t0\tB\t0", "Group=a"}); // lower case shows group A
    QCOMPARE(e.editor->ShownGroupIndex(), 0);
    e.editor->setModified(true);
    QCOMPARE(e.editor->changeGroup(1),
             "Please CANCEL or APPLY your changes\rbefore changing the Group Letter Selection");
    QCOMPARE(e.editor->ShownGroupIndex(), 0);
    QCOMPARE(e.settings.GetSetting("Group", {}), "a");
    e.editor->cancel();
    QVERIFY(!e.editor->modified());
    QCOMPARE(e.editor->changeGroup(1), QString());
    QCOMPARE(e.editor->ShownGroup().DisplayText + e.settings.GetSetting("Group", {}), "BB");
}

void tst_Editor::apply_data()
{
    // Group B is on show; A holds 4-5, C holds 8; the operator applies `list` to B with text "NEW".
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("handedOver"); // in order; the last is the one returned for after the window's save
    QTest::addColumn<QString>("stored");     // the clocks of A, B, C afterwards
    const QString plural = "Clock Numbers 4-5 are currently in Group A\rDo you want to MOVE them to Group B?";
    const QString single = "Clock Number 8 is currently in Group C\rDo you want to MOVE it to Group B?";
    using Answers = QList<MsgResult>;
    // clang-format off
    QTest::newRow("no clock shared") << "1-2" << Answers{} << QStringList{} << "B" << "4-5 1-2 8";
    QTest::newRow("Yes moves them") << "3-6" << Answers{MsgResult::Yes} << QStringList{plural} << "AB" << " 3-6 8";
    QTest::newRow("No keeps them in A") << "3-6" << Answers{MsgResult::No} << QStringList{plural} << "B" << "4-5 3,6 8";
    QTest::newRow("Cancel stores nothing for B") << "3-6" << Answers{MsgResult::Cancel} << QStringList{plural} << "" << "4-5 9 8";
    QTest::newRow("groups asked in order, singular for one clock")
        << "4,8" << Answers{MsgResult::No, MsgResult::Yes}
        << QStringList{"Clock Number 4 is currently in Group A\rDo you want to MOVE it to Group B?", single}
        << "CB" << "4-5 8 ";
    QTest::newRow("Cancel at the second: the first move stays")
        << "5,8" << Answers{MsgResult::Yes, MsgResult::Cancel}
        << QStringList{"Clock Number 5 is currently in Group A\rDo you want to MOVE it to Group B?", single}
        << "A" << "4 9 8";
    QTest::newRow("a bad list is refused") << "5,5" << Answers{} << QStringList{} << "" << "4-5 9 8";
    // clang-format on
}

void tst_Editor::apply()
{
    QFETCH(QString, list);
    QFETCH(QList<MsgResult>, answers);
    Editor e({"Group-A=4-5\t0\t0\tA\t0", "Group-B=9\t3\t4\tB\t0", "Group-C=8\t0\t0\tC\t0", "Group=B"});
    QStringList questions;
    QString handedOver;
    const ApplyResult result = e.editor->apply(
        {list, 7, 8, "NEW"},
        [&](const MoveQuestion& q) {
            questions << q.text;
            return answers.takeFirst();
        },
        [&](int g) { handedOver += IndexToLetter(g); });
    if (result.end == ApplyResult::End::Applied)
        handedOver += IndexToLetter(result.handOver);
    QTEST(questions, "questions");
    QTEST(handedOver, "handedOver");
    QTEST(e.clocksOf(0) + " " + e.clocksOf(1) + " " + e.clocksOf(2), "stored");
    QVERIFY(answers.isEmpty());
    QVERIFY(!e.editor->modified());
    QCOMPARE(result.message, list == "5,5" ? "INPUT ERROR IN CLOCK NUMBER LIST\rNumber Occurs More Than Once: 5" : "");
    const bool applied = result.end == ApplyResult::End::Applied;
    QCOMPARE(e.group(1).section(u'\t', 1), applied ? "7\t8\tNEW\t0" : "3\t4\tB\t0");
    QCOMPARE(e.editor->ShownGroup(), e.tables.EditGroups[1]);
}

void tst_Editor::commandKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");
    const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier);
    QTest::newRow("F5") << int(Qt::Key_F5) << none << 236;
    QTest::newRow("F6") << int(Qt::Key_F6) << none << 172;
    QTest::newRow("F7") << int(Qt::Key_F7) << none << 156;
    QTest::newRow("Shift+F8, the factory reset") << int(Qt::Key_F8) << shift << 220;
    QTest::newRow("F8 alone") << int(Qt::Key_F8) << none << 0;
    QTest::newRow("Shift+F5") << int(Qt::Key_F5) << shift << 0;
    QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << Qt::KeyboardModifiers(Qt::ControlModifier) << 0;
}

void tst_Editor::commandKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QTEST(CommandCodeForKey(key, modifiers), "code");
}

QTEST_GUILESS_MAIN(tst_Editor)
#include "tst_editor.moc"
