// The model: clock lists, the stored group form, the start-up load, the code tables, Windows-1252, the settings file.
#include "model/CodeTables.h"
#include "model/GroupTable.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "model/Windows1252.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <span>

namespace {
ClockFlags flagsOf(const QList<int>& clocks)
{
    ClockFlags flags{};
    for (int n : clocks)
        flags[size_t(n)] = true;
    return flags;
}
} // namespace

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void parseClockList_data();
    void parseClockList();
    void formatClockList_data();
    void formatClockList();
    void anySpellingOfASetReadsBackToIt();
    void storedGroup_data();
    void storedGroup();
    void startUpKeepsAClockInTheLowestGroup();
    void codeTextsStartWithTheirCode();
    void windows1252_data();
    void windows1252();
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void twoProgramsKeepEachOthersKeys_data() { queuedOrNot(); }
    void twoProgramsKeepEachOthersKeys();
    void failingWriteIsReportedOnce_data() { queuedOrNot(); }
    void failingWriteIsReportedOnce();
    void newestSaveWins();

private:
    static void queuedOrNot()
    {
        QTest::addColumn<bool>("queued");
        QTest::newRow("written at once") << false;
        QTest::newRow("written on the save thread") << true;
    }
};

void tst_Model::parseClockList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QList<int>>("clocks");
    const QString twice = QStringLiteral("Number Occurs More Than Once: ");
    const QString longBlanks(40000, u' '); // positions past 32767
    QTest::newRow("blanks around items, commas and dashes") << " 1 - 3 , 7 ," << "" << QList<int>{1, 2, 3, 7};
    QTest::newRow("range reaching 127") << "125-127" << "" << QList<int>{125, 126, 127};
    QTest::newRow("leading zeros past five digits") << "0000000127-00000127" << "" << QList<int>{127};
    QTest::newRow("backward range names nothing") << "9-3" << "" << QList<int>{};
    QTest::newRow("blanks beyond 16-bit positions") << longBlanks + "5" + longBlanks << "" << QList<int>{5};
    QTest::newRow("TAB is not a blank") << "\t1" << "Bad Numeric" << QList<int>{};
    QTest::newRow("other script's digit") << "\u0661" << "Bad Numeric" << QList<int>{};
    QTest::newRow("blank between two numbers") << "1 2" << "Missing Comma or Dash" << QList<int>{};
    QTest::newRow("no-break space before comma") << "1\u00a0,2" << "Missing Comma or Dash" << QList<int>{};
    QTest::newRow("five digits above 32767") << "32768" << "Missing Comma or Dash" << QList<int>{};
    QTest::newRow("nothing after dash") << "1- " << "Missing Value After Dash" << QList<int>{};
    QTest::newRow("two dashes") << "1--5" << "Badly Formed Range" << QList<int>{};
    QTest::newRow("range then blank and number") << "1-5 7" << "Bad Delimiter, comma expected" << QList<int>{};
    QTest::newRow("128") << "128" << "Clock Number Out Of Range" << QList<int>{};
    QTest::newRow("range ending past 127") << "3-200" << "Clock Number Out Of Range" << QList<int>{};
    QTest::newRow("overlapping ranges name the first overlap") << "1-5,3-7" << twice + "3" << QList<int>{};
    QTest::newRow("first error wins") << "1,1,x" << twice + "1" << QList<int>{};
}

void tst_Model::parseClockList()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QList<int>, clocks);
    ClockFlags flags;
    flags.fill(true); // what the set held before must not leak into the result
    QCOMPARE(ParseClockList(flags, text), error);
    if (error.isEmpty())
        QVERIFY(flags == flagsOf(clocks));
}

void tst_Model::formatClockList_data()
{
    QTest::addColumn<QList<int>>("clocks");
    QTest::addColumn<QString>("text");
    QTest::newRow("no clock") << QList<int>{} << "";
    QTest::newRow("runs and lone numbers") << QList<int>{0, 1, 2, 5, 7, 8, 127} << "0-2,5,7-8,127";
    QTest::newRow("run of two at the top") << QList<int>{126, 127} << "126-127";
}

void tst_Model::formatClockList()
{
    QFETCH(QList<int>, clocks);
    QTEST(FormatClockList(flagsOf(clocks)), "text");
}

// Random sets of every density: the canonical text reads back to the set, and so does any other spelling of it
// (items split and shuffled, blanks, leading zeros, a trailing comma), which formats to the same canonical text.
void tst_Model::anySpellingOfASetReadsBackToIt()
{
    QRandomGenerator random(20240611);
    const auto blanks = [&random] { return QString(random.bounded(3) == 0 ? random.bounded(1, 3) : 0, u' '); };
    const auto number = [&random](int n) { return QString(random.bounded(4) == 0 ? 2 : 0, u'0') + QString::number(n); };
    for (int round = 0; round < 20000; ++round) {
        const double density = random.generateDouble() * random.generateDouble() * 1.2; // many sparse, some full
        ClockFlags flags{};
        for (bool& flag : flags)
            flag = random.generateDouble() < density;
        const QString canonical = FormatClockList(flags);
        ClockFlags back;
        QCOMPARE(ParseClockList(back, canonical), QString());
        QVERIFY2(back == flags && !canonical.contains(u' '), qPrintable(canonical));

        QStringList items;
        for (int n = 0; n < 128; ++n) {
            if (!flags[size_t(n)])
                continue;
            int last = n;
            while (last < 127 && flags[size_t(last + 1)] && random.bounded(8) != 0)
                ++last;
            items << (last == n ? number(n) : number(n) + blanks() + u'-' + blanks() + number(last));
            n = last;
        }
        std::shuffle(items.begin(), items.end(), random);
        const QString spelled = items.join(blanks() + u',' + blanks()) + (!items.isEmpty() && random.bounded(2) ? "," : "");
        QCOMPARE(ParseClockList(back, spelled), QString());
        QVERIFY2(back == flags, qPrintable(spelled));
        QCOMPARE(FormatClockList(back), canonical);
    }
}

// A stored group loads as it was written; any malformed form loads as an empty group.
void tst_Model::storedGroup_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("loaded"); // the stored form of what loads; "" for the defaults
    QTest::newRow("five fields") << "1-5,7\t8\t30\tLOBBY\t0" << "1-5,7\t8\t30\tLOBBY\t0";
    QTest::newRow("four fields") << "3\t2\t1\tHALL" << "3\t2\t1\tHALL\t0";
    QTest::newRow("blanks kept, last positions") << "127\t28\t38\t  two  \t0" << "127\t28\t38\t  two  \t0";
    QTest::newRow("no clocks") << "\t0\t0\t\t0" << "\t0\t0\t\t0";
    QTest::newRow("three fields") << "3-6\t2\t1" << "";
    QTest::newRow("duplicate clock") << "5,5\t3\t4\tX\t0" << "";
    QTest::newRow("zone not a whole number") << "1\t3.5\t4\tX\t0" << "";
    QTest::newRow("zone past the list") << "1\t29\t4\tX\t0" << "";
    QTest::newRow("daylight past the list") << "1\t3\t39\tX\t0" << "";
}

void tst_Model::storedGroup()
{
    QFETCH(QString, stored);
    QFETCH(QString, loaded);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("q.ini"));
    settings.SaveSetting("Group-D", stored);
    GroupTables tables;
    tables.EditGroups[3].Clocks[99] = true; // a half-filled record must not survive a malformed load
    tables.EditGroups[3].DisplayText = "old";
    tables.EditGroups[3].CommandCode = 5;
    LoadGroup(tables, settings, 3);
    QCOMPARE(StoredGroupText(tables.EditGroups[3]), loaded.isEmpty() ? "\t0\t0\t\t0" : loaded);
    QCOMPARE(tables.EditGroups[3].CommandCode, qint16(5)); // not the loader's to change

    // And written: a TAB in the text (from a preset) becomes a blank, so the form keeps its fields.
    tables.EditGroups[3].DisplayText = "A\tB";
    tables.EditGroups[3].ZoneIndex = 7;
    tables.EditGroups[3].DaylightIndex = 2;
    SaveGroup(tables, settings, 3);
    QCOMPARE(SettingsStore(dir.filePath("q.ini")).GetSetting("Group-D", {}).section(u'\t', 1),
             "7\t2\tA B\t0");
}

void tst_Model::startUpKeepsAClockInTheLowestGroup()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("q.ini"));
    settings.SaveSetting("Group-A", "7\t1\t1\tA\t0");
    settings.SaveSetting("Group-B", "5-7\t2\t2\tB\t0");
    settings.SaveSetting("Group-C", "6\t3\t3\tC\t0");
    GroupTables tables;
    tables.PendingGroup = 4;
    LoadAllGroups(tables, settings);
    QCOMPARE(tables.PendingGroup, qint16(-1));
    QCOMPARE(FormatClockList(tables.EditGroups[1].Clocks), "5-6");
    QCOMPARE(tables.EditGroups[1].FirstClock, qint16(5));
    QCOMPARE(tables.EditGroups[2].FirstClock, qint16(-1)); // lost its only clock, keeps its text
    QCOMPARE(tables.EditGroups[2].DisplayText, "C");
    QCOMPARE(tables.ActiveGroups, tables.EditGroups);
    QCOMPARE(settings.GetSetting("Group-B", {}), "5-7\t2\t2\tB\t0"); // nothing written back
}

// Also catches an entry left out or a code mistyped: each text begins with the code the clocks receive.
void tst_Model::codeTextsStartWithTheirCode()
{
    const auto check = [](std::span<const CodeEntry> list, bool codeIsPosition) {
        for (size_t i = 0; i < list.size(); ++i) {
            const QString text(list[i].text);
            QVERIFY2(text.startsWith(QStringLiteral("(%1) ").arg(int(list[i].code))), qPrintable(text));
            QVERIFY(!codeIsPosition || list[i].code == i);
        }
    };
    check(TimeZoneList, false);
    check(DaylightList, true);
}

void tst_Model::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII and Latin-1") << "Az09 ~)Zürich ÿ" << QByteArray("Az09 ~)Z\xfcrich \xff");
    QTest::newRow("the 0x80..0x9F letters") << "€Š“”žŸ" << QByteArray("\x80\x8a\x93\x94\x9e\x9f");
    QTest::newRow("outside the code page, C1 control, surrogate pair")
        << QString("東") + QChar(0x81) + QString::fromUtf8("\xf0\x9f\x95\x90") << QByteArray("????");
}

void tst_Model::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ToWindows1252(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(FromWindows1252(bytes), text);
}

void tst_Model::settingsRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("stored group with TABs") << "1-5,7\t3\t0\tLOBBY\t0";
    QTest::newRow("quotes, backslashes, INI syntax") << "a,\"c\",'d' C:\\x\\t [S]\nk=v;c #x";
    QTest::newRow("non-ASCII letters") << "Zürich € Škoda 東京";
}

// Whatever is saved reads back exactly in a later run, among keys of the "Settings" section.
void tst_Model::settingsRoundTrip()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillmarch/Quillmarch.ini");
    SettingsStore(path).SaveSetting("Group-A", value);
    SettingsStore(path).SaveSetting("Other", "x");
    const SettingsStore later(path);
    QCOMPARE(later.GetSetting("Group-A", "<absent>"), value);
    QCOMPARE(later.GetSetting("Absent", "<absent>"), "<absent>");
    QCOMPARE(later.loadProblem(), QString());
}

void tst_Model::twoProgramsKeepEachOthersKeys()
{
    QFETCH(bool, queued);
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillmarch.ini");
    SettingsStore(path).SaveSetting("Group-A", "old");
    SettingsStore first(path), second(path); // two programs of one user, each with the file as it was at its start
    SaveQueue saves;
    if (queued)
        second.setSaveQueue(&saves);
    first.SaveSetting("Group-A", "NEW");
    second.SaveSetting("MainLeft", "120");
    saves.waitForAll();
    second.SaveSetting("MainLeft", "130"); // the file now exists with the other's key: this value must still win
    saves.waitForAll();
    const SettingsStore after(path);
    QCOMPARE(after.GetSetting("Group-A", {}) + " " + after.GetSetting("MainLeft", {}), "NEW 130");
    QCOMPARE(second.GetSetting("Group-A", {}) + " " + second.GetSetting("MainLeft", {}), "NEW 130");
}

void tst_Model::failingWriteIsReportedOnce()
{
    QFETCH(bool, queued);
    QTemporaryDir dir;
    QFile blocker(dir.filePath("Quillmarch")); // a file where the folder should be: fails even for root
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const QString path = dir.filePath("Quillmarch/Quillmarch.ini");
    SettingsStore store(path);
    SaveQueue saves;
    if (queued)
        store.setSaveQueue(&saves);
    QStringList reports;
    store.setWriteFailureHandler([&](const QString& text) { reports << text; });
    store.SaveSetting("MainLeft", "1");
    saves.waitForAll();
    store.SaveSetting("MainTop", "2");
    saves.waitForAll();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].startsWith("Settings are not being saved.\rThe file " + path + " cannot be written: ") &&
                 reports[0].contains("cannot be created"),
             qPrintable(reports[0]));
    QCOMPARE(store.GetSetting("MainTop", {}), "2"); // still read back in this run
}

// A slow disk: the newest content of each file is what readers are given meanwhile and what ends on the disk; a
// save replaced before it began never runs, and every failure is told.
void tst_Model::newestSaveWins()
{
    SaveQueue saves;
    std::mutex disk;
    std::unique_lock slow(disk);
    QStringList ran, done;
    std::atomic<int> started = 0;
    const auto save = [&](const QString& file, const QString& content) {
        saves.queue(
            file, content.toUtf8(),
            [&ran, &disk, &started, file, content] {
                ++started;
                const std::lock_guard wait(disk);
                ran << file + ":" + content;
                return content != "fails";
            },
            [&done, content](bool ok) { done << content + (ok ? "" : " failed"); });
    };
    save("a", "1");
    QTRY_COMPARE(started.load(), 1); // running, held up by the disk
    save("a", "2");
    save("b", "fails");
    save("a", "3");
    QCOMPARE(saves.pending("a").value_or("none"), QByteArray("3"));
    QCOMPARE(saves.pending("c").has_value(), false);
    slow.unlock();
    saves.waitForAll();
    QCOMPARE(ran, QStringList({"a:1", "a:3", "b:fails"}));
    QCOMPARE(done, QStringList({"1", "3", "fails failed"}));
    QCOMPARE(saves.pending("a").has_value(), false);
}

QTEST_GUILESS_MAIN(tst_Model)
#include "tst_model.moc"
