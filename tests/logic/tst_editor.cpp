// The group editor's rules without a widget: the checks of the clock list and the text, the history lists, the group
// change, and Apply with its move questions, as what is stored, handed over and asked.
#include "app/GroupEditor.h"
#include "model/SettingsStore.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Editor
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("q.ini")};
    GroupTables tables;
    GroupEditor editor{tables, settings};

    // `stored`: settings lines "key=value", as the file would hold them.
    explicit Editor(const QStringList& stored = {})
    {
        for (const QString& line : stored)
            settings.SaveSetting(line.section(u'=', 0, 0), line.section(u'=', 1));
        LoadAllGroups(tables, settings);
        editor.show(editor.load());
    }
    QString group(int g) const { return settings.GetSetting(QStringLiteral("Group-") + IndexToLetter(g), {}); }
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
    void apply_data();
    void apply();
    void placeKeptOrDropped_data();
    void placeKeptOrDropped();
};

void tst_Editor::clockListLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("field"); // what the field shows afterwards
    QTest::addColumn<QString>("history");
    QTest::addColumn<bool>("modified");
    // Group A holds 1-3; the history holds "9" and "3-5,7".
    const QString outOfRange = "INPUT ERROR IN CLOCK NUMBER LIST\rClock Number Out Of Range";
    // clang-format off
    QTest::newRow("rewritten in canonical form") << "7, 3-5" << "" << "3-5,7" << "3-5,7|9" << true;
    QTest::newRow("the clocks on show keep their spelling") << "1,2,3" << "" << "1,2,3" << "1-3|9|3-5,7" << false;
    QTest::newRow("a range to the last clock") << "127, 120-126" << "" << "120-127" << "120-127|9|3-5,7" << true;
    QTest::newRow("emptied: no entry, the field empty") << " " << "" << "" << "9|3-5,7" << true;
    QTest::newRow("refused: nothing changes") << "3-200" << outOfRange << "3-200" << "9|3-5,7" << false;
    // clang-format on
}

void tst_Editor::clockListLeft()
{
    QFETCH(QString, typed);
    Editor e({"Group-A=1-3\t0\t0\tA\t0", "ClockNumberHistory=9\t3-5,7"});
    const GroupEditor::ListCheck check = e.editor.checkClockList(typed);
    QTEST(check.error, "error");
    QTEST(check.rewrite ? check.canonical : typed, "field");
    QTEST(e.editor.clockHistory().join(u'|'), "history");
    QTEST(e.editor.modified(), "modified");
}

void tst_Editor::textRules_data()
{
    // Steps on the text field of group A (text "SHOWN"): "key:C" a key typed into an empty field, or one holding 20
    // characters ("full") or 20 with a selection ("sel"); "change:T" the field's text changed to T; "leave:T" the
    // field left holding T. Results: "kept"/"dropped" for keys, the text the field shows for leaving, "" for
    // changes; then whether the group is modified, and the history.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("history");
    using L = QStringList;
    // clang-format off
    QTest::newRow("a character at the limit is dropped") << L{"key:x full"} << L{"dropped"} << false << "";
    QTest::newRow("backspace at the limit is kept") << L{"key:\b full"} << L{"kept"} << true << "";
    QTest::newRow("replacing a selection at the limit") << L{"key:x sel"} << L{"kept"} << true << "";
    QTest::newRow("a typed change is no history entry") << L{"key:a", "change:a"} << L{"kept", ""} << true << "";
    QTest::newRow("a change from outside enters the history, trimmed") << L{"change: HALL "} << L{""} << true << "HALL";
    QTest::newRow("the group's own text shown: no change") << L{"change:SHOWN"} << L{""} << false << "SHOWN";
    QTest::newRow("leaving trims blanks only") << L{"leave:  A\t "} << L{"A\t"} << true << "A\t";
    QTest::newRow("leaving with the shown text keeps the blanks") << L{"leave: SHOWN "} << L{" SHOWN "} << false << "SHOWN";
    // clang-format on
}

void tst_Editor::textRules()
{
    QFETCH(QStringList, steps);
    Editor e({"Group-A=1\t0\t0\tSHOWN\t0"});
    QStringList results;
    for (const QString& step : steps) {
        const QString kind = step.section(u':', 0, 0), value = step.section(u':', 1);
        if (kind == "key")
            results << (e.editor.textKey(value.left(1), QString(value.size() > 1 ? 20 : 0, u'x'),
                                         value.contains(" sel"))
                            ? "dropped"
                            : "kept");
        else if (kind == "change")
            results << (e.editor.textChanged(value), "");
        else
            results << e.editor.checkText(value);
    }
    QTEST(results, "results");
    QTEST(e.editor.modified(), "modified");
    QTEST(e.editor.textHistory().join(u'|'), "history");
}

void tst_Editor::historiesKeptAcrossRuns_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("added"); // entries put on top during the run, "|"-separated
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("saved");
    const QString ten = "1\t2\t3\t4\t5\t6\t7\t8\t9\t10";
    // clang-format off
    QTest::newRow("blanks trimmed, empty pieces dropped") << " a \t\t b" << "" << "a|b" << "a\tb";
    QTest::newRow("a tenth piece keeps the rest") << ten + "\t11\t12" << "" << "1|2|3|4|5|6|7|8|9|10\t11\t12" << ten + "\t11\t12";
    QTest::newRow("ten of eleven are saved") << ten << "new" << "1|2|3|4|5|6|7|8|9|10" << "new\t" + ten.chopped(3);
    QTest::newRow("an entry used again is not saved twice") << "a\tb" << "b" << "a|b" << "b\ta";
    // clang-format on
}

// The text history: loaded from and saved to its key; the clock list's history follows the same rule.
void tst_Editor::historiesKeptAcrossRuns()
{
    QFETCH(QString, stored);
    QFETCH(QString, added);
    Editor e({"TextDisplayHistory=" + stored});
    QTEST(e.editor.textHistory().join(u'|'), "loaded");
    for (const QString& entry : added.split(u'|', Qt::SkipEmptyParts))
        e.editor.addTextHistory(entry);
    e.editor.saveHistories();
    QTEST(e.settings.GetSetting("TextDisplayHistory", {}), "saved");
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
    const ApplyResult result = e.editor.apply(
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
    QTEST(QStringList({e.group(0), e.group(1), e.group(2)}).replaceInStrings(QRegularExpression("\t.*"), "").join(u' '),
          "stored");
    QCOMPARE(result.message, list == "5,5" ? "INPUT ERROR IN CLOCK NUMBER LIST\rNumber Occurs More Than Once: 5" : "");
    const bool applied = result.end == ApplyResult::End::Applied;
    QCOMPARE(e.group(1).section(u'\t', 1), applied ? "7\t8\tNEW\t0" : "3\t4\tB\t0");
    QVERIFY(!e.editor.modified() && e.editor.ShownGroup() == e.tables.EditGroups[1]); // shown clean, as stored
}

void tst_Editor::placeKeptOrDropped_data()
{
    // Group B, with zone 3 and daylight 4 chosen by the place Europe/Old, is applied with the codes given.
    QTest::addColumn<QString>("chosen"); // a place chosen before Apply, with codes 7 and 8
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("daylight");
    QTest::addColumn<QString>("stored"); // the group's place afterwards; empty for none
    QTest::newRow("only the text edited") << "" << 3 << 4 << "Europe/Old";
    QTest::newRow("zone by hand") << "" << 7 << 4 << "";
    QTest::newRow("a preset with another rule") << "" << 3 << 8 << "";
    QTest::newRow("chosen by place") << "Africa/Cairo" << 7 << 8 << "Africa/Cairo";
    QTest::newRow("chosen, then the rule by hand") << "Africa/Cairo" << 7 << 9 << "";
    QTest::newRow("chosen, then the old codes by hand") << "Africa/Cairo" << 3 << 4 << "";
}

void tst_Editor::placeKeptOrDropped()
{
    QFETCH(QString, chosen);
    Editor e({"Group-B=9\t3\t4\tB\t0", "Place-B=Europe/Old", "Group=B"});
    if (!chosen.isEmpty()) {
        e.editor.placeChosen(chosen, 7, 8);
        e.editor.cancel(); // Cancel forgets it: the stored place is the one to open on
        QCOMPARE(e.editor.place(), "Europe/Old");
        e.editor.placeChosen(chosen, 7, 8);
    }
    QFETCH(int, zone);
    QFETCH(int, daylight);
    const ApplyResult result = e.editor.apply({"9", zone, daylight, "NEW"}, {}, {});
    QCOMPARE(result.end, ApplyResult::End::Applied);
    QTEST(e.settings.GetSetting("Place-B", "?"), "stored");
    QTEST(e.editor.place(), "stored");
}

QTEST_GUILESS_MAIN(tst_Editor)
#include "tst_editor.moc"
