// The model: clock lists, the stored group form, the start-up load, the code tables, the settings file, the
// presets table with its file, and the local time the clocks show.
#include "app/PlaceSearch.h"
#include "app/SummaryTable.h"
#include "model/CodeMatching.h"
#include "model/CodeTables.h"
#include "model/GroupTable.h"
#include "model/LocalTime.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "presets/PresetTable.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <algorithm>
#include <csignal>
#include <mutex>
#include <span>
#include <sys/resource.h>
#include <unistd.h>

namespace {
ClockFlags flagsOf(const QList<int>& clocks)
{
    ClockFlags flags{};
    for (int n : clocks)
        flags[size_t(n)] = true;
    return flags;
}
struct Env
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("Quillmarch.ini")};
    ScriptedDialogs dialogs;
    QString path = dir.filePath("Quillmarch/Quillmarch-Presets.txt"); // its folder does not exist yet
    PresetTable table{settings, dialogs, path};
};

// Presets as "Name|zone|daylight|text".
QStringList describe(const PresetTable& table)
{
    QStringList rows;
    for (const PresetRecord& p : table.Presets())
        rows << QStringLiteral("%1|%2|%3|%4").arg(p.Name).arg(p.ZoneIndex).arg(p.DaylightIndex).arg(p.DisplayText);
    return rows;
}

void fill(PresetTable& table, const QStringList& rows)
{
    for (const QString& row : rows) {
        const QStringList f = row.split('|');
        table.AddPreset(f[0], f[1].toShort(), f[2].toShort(), f[3]);
    }
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void parseClockList_data();
    void parseClockList();
    void anySpellingOfASetReadsBackToIt();
    void storedGroup_data();
    void storedGroup();
    void startUpKeepsAClockInTheLowestGroup();
    void summary();
    void codeTextsStartWithTheirCode();
    void twoProgramsKeepEachOthersKeys_data() { queuedOrNot(); }
    void twoProgramsKeepEachOthersKeys();
    void failingWriteIsReportedOnce_data() { queuedOrNot(); }
    void failingWriteIsReportedOnce();
    void unreadableFileIsNeverReplaced();
    void reading_data();
    void reading();
    void writing_data();
    void writing();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void findingAndRemembering();
    void reopenedWhileTheSaveIsOnItsWay();
    void placesAgainstTheDatabase_data();
    void placesAgainstTheDatabase();
    void changesOfEachRule_data();
    void changesOfEachRule();
    void closestWhenNoneIsExact();
    void findingAPlace_data();
    void findingAPlace();

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
    QTest::addColumn<QString>("canonical"); // as the field shows it and the group stores it
    const QString twice = QStringLiteral("Number Occurs More Than Once: ");
    const QString longBlanks(40000, u' '); // positions past 32767
    // clang-format off
    QTest::newRow("blanks around items, commas and dashes") << " 1 - 3 , 7 ," << "" << QList<int>{1, 2, 3, 7} << "1-3,7";
    QTest::newRow("range reaching 127") << "127, 120-126" << "" << QList<int>{120, 121, 122, 123, 124, 125, 126, 127} << "120-127";
    QTest::newRow("backward range names nothing") << "9-3" << "" << QList<int>{} << "";
    QTest::newRow("blanks beyond 16-bit positions") << longBlanks + "5" + longBlanks << "" << QList<int>{5} << "5";
    QTest::newRow("TAB is not a blank") << "\t1" << "Bad Numeric" << QList<int>{} << "";
    QTest::newRow("blank between two numbers") << "1 2" << "Missing Comma or Dash" << QList<int>{} << "";
    QTest::newRow("no-break space before comma") << "1\u00a0,2" << "Missing Comma or Dash" << QList<int>{} << "";
    QTest::newRow("five digits above 32767") << "32768" << "Missing Comma or Dash" << QList<int>{} << "";
    QTest::newRow("nothing after dash") << "1- " << "Missing Value After Dash" << QList<int>{} << "";
    QTest::newRow("128") << "128" << "Clock Number Out Of Range" << QList<int>{} << "";
    QTest::newRow("range ending past 127") << "3-200" << "Clock Number Out Of Range" << QList<int>{} << "";
    QTest::newRow("overlapping ranges name the first overlap") << "1-5,3-7" << twice + "3" << QList<int>{} << "";
    QTest::newRow("first error wins") << "1,1,x" << twice + "1" << QList<int>{} << "";
    // clang-format on
}

void tst_Model::parseClockList()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QList<int>, clocks);
    ClockFlags flags;
    flags.fill(true); // what the set held before must not leak into the result
    QCOMPARE(ParseClockList(flags, text), error);
    if (error.isEmpty()) {
        QVERIFY(flags == flagsOf(clocks));
        QTEST(FormatClockList(flags), "canonical");
    }
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
        const QString spelled =
            items.join(blanks() + u',' + blanks()) + (!items.isEmpty() && random.bounded(2) ? "," : "");
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
    // clang-format off
    QTest::newRow("five fields") << "1-5,7\t8\t30\tLOBBY\t0" << "1-5,7\t8\t30\tLOBBY\t0";
    QTest::newRow("four fields") << "3\t2\t1\tHALL" << "3\t2\t1\tHALL\t0";
    QTest::newRow("blanks kept, last positions") << "127\t28\t38\t  two  \t0" << "127\t28\t38\t  two  \t0";
    QTest::newRow("no clocks") << "\t0\t0\t\t0" << "\t0\t0\t\t0";
    QTest::newRow("three fields") << "3-6\t2\t1" << "";
    QTest::newRow("duplicate clock") << "5,5\t3\t4\tX\t0" << "";
    QTest::newRow("zone past the list") << "1\t29\t4\tX\t0" << "";
    QTest::newRow("daylight past the list") << "1\t3\t39\tX\t0" << "";
    // clang-format on
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
    QCOMPARE(SettingsStore(dir.filePath("q.ini")).GetSetting("Group-D", {}).section(u'\t', 1), "7\t2\tA B\t0");
}

void tst_Model::startUpKeepsAClockInTheLowestGroup()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("q.ini"));
    settings.SaveSetting("Group-A", "7\t1\t1\tA\t0");
    settings.SaveSetting("Group-B", "5-7\t2\t2\tB\t0");
    settings.SaveSetting("Group-C", "6\t3\t3\tC\t0");
    GroupTables tables;
    LoadAllGroups(tables, settings);
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

// Two programs of one user save to one file, each from the file as it was at its start: neither loses the other's
// keys, and any text (TABs, quotes, backslashes, INI syntax, letters outside ASCII) reads back exactly.
void tst_Model::twoProgramsKeepEachOthersKeys()
{
    QFETCH(bool, queued);
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillmarch/Quillmarch.ini");
    const QString text = "1-5,7\t3\t0\t\"Zürich\" €, 'x' C:\\t [S]\nk=v;c #x\t0";
    SettingsStore(path).SaveSetting("Group-A", "old");
    SettingsStore first(path), second(path);
    SaveQueue saves;
    if (queued)
        second.setSaveQueue(&saves);
    first.SaveSetting("Group-A", text);
    second.SaveSetting("MainLeft", "120");
    saves.waitForAll();
    second.SaveSetting("MainLeft", "130"); // the file now exists with the other's key: this value must still win
    saves.waitForAll();
    const SettingsStore after(path);
    QCOMPARE(after.GetSetting("Group-A", {}) + " " + after.GetSetting("MainLeft", {}), text + " 130");
    QCOMPARE(second.GetSetting("Group-A", {}) + " " + second.GetSetting("MainLeft", {}), text + " 130");
    QCOMPARE(after.loadProblem(), QString());
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

// Written by another user or damaged by the disk: the operator's groups in it must survive this run's saves.
void tst_Model::unreadableFileIsNeverReplaced()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777))); // the saves below may write here
    const QString path = dir.filePath("q.ini");
    SettingsStore(path).SaveSetting("Group-A", "7\t1\t1\tA\t0");
    const bool root = geteuid() == 0; // then read it as another user, as after a run with sudo
    QVERIFY(root ? seteuid(65534) == 0 : QFile::setPermissions(path, {}));
    {
        const auto asBefore = qScopeGuard([root] { return root ? seteuid(0) : 0; });
        SettingsStore store(path);
        store.SaveSetting("MainLeft", "1");
        QVERIFY2(store.loadProblem().contains(" cannot be read: "), qPrintable(store.loadProblem()));
    }
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    QCOMPARE(SettingsStore(path).GetSetting("Group-A", {}), "7\t1\t1\tA\t0");
}

void tst_Model::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("presets");
    const QString lobby = "Lobby|8|30|WELCOME";
    QTest::newRow("unquoted, blanks around and inside fields, LF, no last line end")
        << QByteArray("  \"  Lobby  \" , 8 ,30,\"  WELCOME  \"  \n Hall ,+5, 06 , HI THERE ")
        << QStringList{lobby, "Hall|5|6|HI THERE"};
    QTest::newRow("comma inside quotes, rest after a quote ignored")
        << QByteArray("\"Joe\"s Bar\",1,2,\"A, B\"\r\n") << QStringList{"Joe|1|2|A, B"};
    QTest::newRow("name cut to 40, text to 20, no blank left at a cut")
        << QByteArray(QByteArray(39, 'M') + " X,1,2," + QByteArray(19, 'U') + " V\r\n")
        << QStringList{QString(39, 'M') + "|1|2|" + QString(19, 'U')};
    QTest::newRow("positions outside the lists, blank name, a name repeated in other case")
        << QByteArray("A,28,38,x\r\nB,29,0,x\r\nC,0,39,x\r\nD,-1,0,x\r\n\"  \",1,1,x\r\na,1,1,y\r\n")
        << QStringList{"A|28|38|x"};
    QTest::newRow("malformed records between good ones")
        << QByteArray("Lobby,8,30,WELCOME\r\n\r\nBad,x,1,T\r\nBig,32768,1,T\r\nShort,1,2\r\nFive,1,2,T,9\r\n"
                      "\"Open,1,2,T\r\nHall,1,2,\r\n")
        << QStringList{lobby, "Hall|1|2|"};
    QTest::newRow("byte-order mark, trailing comma, a record over several lines")
        << QByteArray("\xEF\xBB\xBF\"Lobby\",8,30,\"WELCOME\",\r\n\"Hall\",\r\n5 ,\r\n6\n\"HI\"\nGate,3,4,G\r\n")
        << QStringList{lobby, "Hall|5|6|HI", "Gate|3|4|G"};
}

void tst_Model::reading()
{
    QFETCH(QByteArray, file);
    Env env;
    env.table.readPresets(file);
    QTEST(describe(env.table), "presets");
}

void tst_Model::writing_data()
{
    QTest::addColumn<QStringList>("presets");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("table order, CR LF, Windows-1252, name trimmed, text as given")
        << QStringList{"Lobby|8|30|WELCOME", " Zürich € |0|38|  HI  "}
        << QByteArray("\"Lobby\",8,30,\"WELCOME\"\r\n\"Z\xfcrich \x80\",0,38,\"  HI  \"\r\n");
    QTest::newRow("a quote or a line end cannot end a field")
        << QStringList{"Say \"hi\"|1|2|A\rB\nC"} << QByteArray("\"Say 'hi'\",1,2,\"A B C\"\r\n");
}

void tst_Model::writing()
{
    QFETCH(QStringList, presets);
    QFETCH(QByteArray, file);
    Env env;
    fill(env.table, presets);
    QVERIFY(env.table.SavePresets());
    QCOMPARE(contentOf(env.path), file);
    QCOMPARE(env.dialogs.calls.size(), 0);
}

void tst_Model::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("folderIsAFile");
    QTest::addColumn<int>("presets");
    QTest::addColumn<QString>("headline");
    QTest::newRow("folder cannot be created") << true << 1 << "Unable to Create or Overwrite Presets File";
    // A file size limit stops root too. A small file fails when its buffer is written out at the end, a large one
    // at once.
    QTest::newRow("write fails at once") << false << 3000 << "Disk Error Writing to Presets File";
}

void tst_Model::failedSaveKeepsTheOldFile()
{
    QFETCH(bool, folderIsAFile);
    QFETCH(int, presets);
    Env env;
    const QByteArray old("\"Lobby\",8,30,\"WELCOME\"\r\n");
    QFile file(folderIsAFile ? env.dir.filePath("Quillmarch") : env.path);
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()) && file.open(QIODevice::WriteOnly) && file.write(old));
    file.close();
    for (int n = 0; n < presets; ++n)
        env.table.AddPreset(QString::number(n), 1, 2, "A TEXT OF TWENTY CHR");
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit limited{4096, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, folderIsAFile ? &unlimited : &limited);
    const bool saved = env.table.SavePresets();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    QVERIFY(!saved);
    QCOMPARE(contentOf(file.fileName()), old);
    QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files), QStringList{QFileInfo(file).fileName()});
    QCOMPARE(env.dialogs.calls.size(), 1);
    QFETCH(QString, headline);
    QCOMPARE(env.dialogs.calls[0].text, headline + "\r\"" + env.path + "\"");
}

// Names are found ignoring case; the position the list showed is remembered for the next opening.
void tst_Model::findingAndRemembering()
{
    Env env;
    fill(env.table, {"Lobby|8|30|WELCOME", "Hall|1|2|HALL"});
    QCOMPARE(env.table.FindPreset("hALL"), 1);
    QCOMPARE(env.table.FindPreset("Hal"), -1);
    env.table.SavePresetIndex(1);
    env.table.SavePresetIndex(0);
    QCOMPARE(SettingsStore(env.settings.filePath()).GetSetting("PSIdx", {}), "0");
    env.table.SavePresetIndex(1);
    QCOMPARE(env.table.storedListPosition(), 1);
    QCOMPARE(SettingsStore(env.settings.filePath()).GetSetting("PSIdx", {}), "1");
}

// Reopened while a save waits for a slow disk: the window reads what the save will write.
void tst_Model::reopenedWhileTheSaveIsOnItsWay()
{
    Env env;
    SaveQueue saves;
    env.settings.setSaveQueue(&saves);
    fill(env.table, {"Lobby|3|0|LOBBY"});
    QVERIFY(env.table.SavePresets());
    saves.waitForAll();
    const QByteArray before = contentOf(env.path);
    std::mutex disk;
    std::unique_lock slow(disk);
    saves.queue("elsewhere", {}, [&disk] { return std::lock_guard(disk), true; });
    fill(env.table, {"Annex|4|1|ANNEX"});
    QVERIFY(env.table.SavePresets());
    PresetTable reopened(env.settings, env.dialogs, env.path);
    QVERIFY(reopened.LoadPresets());
    QCOMPARE(describe(reopened), QStringList({"Lobby|3|0|LOBBY", "Annex|4|1|ANNEX"}));
    QCOMPARE(contentOf(env.path), before);
    slow.unlock();
    saves.waitForAll();
    QCOMPARE(contentOf(env.path), env.table.presetFileBytes());
}

// The places the rules are written for: the best pair for each, and whether it holds at every instant of the years.
// Where it does, the shown offset is also checked against the database on both sides of every change of either.
void tst_Model::placesAgainstTheDatabase_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("zonePosition");
    QTest::addColumn<int>("daylightPosition");
    QTest::addColumn<QString>("verdict"); // "exact", or where it differs first
    // clang-format off
    QTest::newRow("New York") << "America/New_York" << 2020 << 2040 << 8 << 30 << "exact";
    QTest::newRow("Chicago") << "America/Chicago" << 2020 << 2040 << 7 << 30 << "exact";
    QTest::newRow("Denver") << "America/Denver" << 2020 << 2040 << 6 << 30 << "exact";
    QTest::newRow("Phoenix, no daylight") << "America/Phoenix" << 2020 << 2040 << 6 << 0 << "exact";
    QTest::newRow("Los Angeles") << "America/Los_Angeles" << 2020 << 2040 << 5 << 30 << "exact";
    QTest::newRow("Anchorage") << "America/Anchorage" << 2020 << 2040 << 4 << 30 << "exact";
    QTest::newRow("Honolulu") << "Pacific/Honolulu" << 2020 << 2040 << 3 << 0 << "exact";
    QTest::newRow("Newfoundland, half hour and hour") << "America/St_Johns" << 2020 << 2040 << 9 << 12 << "exact";
    QTest::newRow("Havana, 1159 as midnight") << "America/Havana" << 2020 << 2040 << 8 << 21 << "exact";
    QTest::newRow("Mexico City before it stopped") << "America/Mexico_City" << 2020 << 2021 << 7 << 1 << "exact";
    QTest::newRow("Berlin") << "Europe/Berlin" << 2020 << 2040 << 15 << 36 << "exact";
    QTest::newRow("Paris") << "Europe/Paris" << 2020 << 2040 << 15 << 36 << "exact";
    QTest::newRow("Helsinki") << "Europe/Helsinki" << 2020 << 2040 << 16 << 16 << "exact";
    QTest::newRow("Chisinau, EET at CET's hours") << "Europe/Chisinau" << 2020 << 2040 << 16 << 36 << "exact";
    QTest::newRow("London, 0059-0000 read forward") << "Europe/London" << 2020 << 2040 << 13 << 20 << "exact";
    QTest::newRow("Lisbon, code 0 as GMT") << "Europe/Lisbon" << 2020 << 2040 << 13 << 20 << "exact";
    QTest::newRow("Jerusalem, Friday before") << "Asia/Jerusalem" << 2020 << 2040 << 16 << 7 << "exact";
    QTest::newRow("Sydney") << "Australia/Sydney" << 2020 << 2040 << 24 << 31 << "exact";
    QTest::newRow("Melbourne") << "Australia/Melbourne" << 2020 << 2040 << 24 << 31 << "exact";
    QTest::newRow("Adelaide, half hour") << "Australia/Adelaide" << 2020 << 2040 << 23 << 35 << "exact";
    QTest::newRow("Santiago since 2023") << "America/Santiago" << 2023 << 2040 << 9 << 4 << "exact";
    QTest::newRow("Asuncion until 2023") << "America/Asuncion" << 2020 << 2023 << 9 << 14 << "exact";
    QTest::newRow("Sao Paulo in 2018, its last") << "America/Sao_Paulo" << 2018 << 2018 << 10 << 2 << "exact";
    QTest::newRow("Tehran until 2022") << "Asia/Tehran" << 2020 << 2022 << 17 << 24 << "exact";
    QTest::newRow("Tehran since, half hour") << "Asia/Tehran" << 2023 << 2040 << 17 << 10 << "exact";
    QTest::newRow("Kathmandu, three quarters") << "Asia/Kathmandu" << 2020 << 2040 << 19 << 26 << "exact";
    QTest::newRow("Tokyo, none before forced") << "Asia/Tokyo" << 2020 << 2040 << 23 << 0 << "exact";
    QTest::newRow("UTC-12") << "Etc/GMT+12" << 2020 << 2040 << 1 << 0 << "exact";
    QTest::newRow("UTC+14") << "Pacific/Kiritimati" << 2020 << 2040 << 28 << 0 << "exact";
    QTest::newRow("Auckland, April an hour early, first pass") << "Pacific/Auckland" << 2020 << 2040 << 26 << 32 << "in 21 periods: 2020-04-05 02:00 to 03:00 UTC+13:00 (1 h behind), ";
    QTest::newRow("Santiago with 2022") << "America/Santiago" << 2020 << 2040 << 9 << 4 << "in 1 period: 2022-09-04 00:00 to 2022-09-11 00:00 (1 h ahead)";
    QTest::newRow("Cairo, its midnight twice") << "Africa/Cairo" << 2023 << 2040 << 16 << 27 << ", 2023-10-26 00:00 to 2023-10-27 00:00 UTC+03:00 (1 h behind), ";
    QTest::newRow("Chatham, from the second pass") << "Pacific/Chatham" << 2020 << 2040 << 27 << 26 << ": 2020-04-05 02:45 UTC+12:45 to 2020-09-27 02:45 (1 h ahead), ";
    // clang-format on
}

void tst_Model::placesAgainstTheDatabase()
{
    QFETCH(QString, zone);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, zonePosition);
    QFETCH(int, daylightPosition);
    QFETCH(QString, verdict);
    const QList<CodeMatch> matches = MatchingCodes(zone.toUtf8(), from, to);
    QVERIFY(!matches.isEmpty());
    const CodeMatch& best = matches.first();
    QCOMPARE(QList<int>({best.zonePosition, best.daylightPosition}), QList<int>({zonePosition, daylightPosition}));
    QCOMPARE(best.exact(), verdict == "exact");
    if (!best.exact()) {
        QVERIFY2(DescribeMatch(best, zone.toUtf8()).contains(verdict), qPrintable(DescribeMatch(best, zone.toUtf8())));
        return;
    }
    const QTimeZone place(zone.toUtf8());
    const QDateTime start(QDate(from, 1, 1), QTime(0, 0), Qt::UTC), end(QDate(to + 1, 1, 1), QTime(0, 0), Qt::UTC);
    QList<QDateTime> instants{start};
    for (const auto& [at, offset] : PlaceOffsets(place, start.toSecsSinceEpoch(), end.toSecsSinceEpoch()).changes)
        instants << QDateTime::fromSecsSinceEpoch(at, Qt::UTC);
    for (auto next = NextChange(zonePosition, daylightPosition, start); next && next->atUtc < end;
         next = NextChange(zonePosition, daylightPosition, next->atUtc))
        instants << next->atUtc;
    for (const QDateTime& at : instants) {
        for (const QDateTime& t : {at.addSecs(-1), at}) {
            const ShownTime shown = LocalTimeShown(zonePosition, daylightPosition, t);
            QVERIFY2(shown.offsetSeconds == place.offsetFromUtc(t), qPrintable(t.toString(Qt::ISODate)));
        }
    }
}

// Each rule's changes in 2026 on a clock at UTC+0, as the shown time just before and at each jump.
void tst_Model::changesOfEachRule_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("january"); // shown minus UTC in mid-January
    QTest::addColumn<QString>("changes");
    // clang-format off
    QTest::newRow("0 none") << 0 << "+00:00" << "";
    QTest::newRow("1") << 1 << "+00:00" << "04-05 01:59:59>03:00:00, 10-25 01:59:59>01:00:00";
    QTest::newRow("2 at midnight, south") << 2 << "+01:00" << "02-14 23:59:59>23:00:00, 10-31 23:59:59>01:00:00";
    QTest::newRow("3") << 3 << "+01:00" << "03-01 01:59:59>01:00:00, 10-18 01:59:59>03:00:00";
    QTest::newRow("4 end of Saturday") << 4 << "+01:00" << "04-04 23:59:59>23:00:00, 09-05 23:59:59>01:00:00";
    QTest::newRow("5") << 5 << "+00:00" << "03-29 01:59:59>03:00:00, 10-25 01:59:59>01:00:00";
    QTest::newRow("6") << 6 << "+00:00" << "03-29 01:59:59>03:00:00, 09-27 01:59:59>01:00:00";
    QTest::newRow("7 Friday before") << 7 << "+00:00" << "03-27 01:59:59>03:00:00, 10-25 01:59:59>01:00:00";
    QTest::newRow("8") << 8 << "+01:00" << "03-15 01:59:59>01:00:00, 10-25 01:59:59>03:00:00";
    QTest::newRow("9 forced hour") << 9 << "+01:00" << "";
    QTest::newRow("10 forced half hour") << 10 << "+00:30" << "";
    QTest::newRow("11") << 11 << "+01:00" << "03-15 01:59:59>01:00:00, 10-11 01:59:59>03:00:00";
    QTest::newRow("12 half hour and hour") << 12 << "+00:30" << "03-08 01:59:59>03:00:00, 11-01 01:59:59>01:00:00";
    QTest::newRow("13") << 13 << "+01:00" << "03-29 02:59:59>02:00:00, 10-25 01:59:59>03:00:00";
    QTest::newRow("14 4th Sunday") << 14 << "+01:00" << "03-21 23:59:59>23:00:00, 10-03 23:59:59>01:00:00";
    QTest::newRow("15 on or after") << 15 << "+01:00" << "03-15 02:59:59>02:00:00, 10-04 01:59:59>03:00:00";
    QTest::newRow("16") << 16 << "+00:00" << "03-29 02:59:59>04:00:00, 10-25 03:59:59>03:00:00";
    QTest::newRow("17 start read forward") << 17 << "+00:00" << "03-29 00:59:59>02:00:00, 09-27 01:59:59>01:00:00";
    QTest::newRow("18 end of Sunday") << 18 << "+00:00" << "03-29 00:59:59>02:00:00, 10-25 23:59:59>23:00:00";
    QTest::newRow("19 Friday, Thursday") << 19 << "+00:00" << "04-23 23:59:59>01:00:00, 09-24 00:59:59>00:00:00";
    QTest::newRow("20 start read forward") << 20 << "+00:00" << "03-29 00:59:59>02:00:00, 10-25 01:59:59>01:00:00";
    QTest::newRow("21 1159 as midnight") << 21 << "+00:00" << "03-07 23:59:59>01:00:00, 11-01 00:59:59>00:00:00";
    QTest::newRow("22 on or after 11th") << 22 << "+01:00" << "02-15 02:59:59>02:00:00, 10-04 01:59:59>03:00:00";
    QTest::newRow("23 on or after 9th") << 23 << "+01:00" << "03-15 02:59:59>02:00:00, 10-11 01:59:59>03:00:00";
    QTest::newRow("24 the 22nd, common year") << 24 << "+00:30" << "03-21 23:59:59>01:00:00, 09-21 23:59:59>23:00:00";
    QTest::newRow("25 forced quarter") << 25 << "+00:15" << "";
    QTest::newRow("26 forced three quarters") << 26 << "+00:45" << "";
    QTest::newRow("27 Wednesdays") << 27 << "+00:00" << "04-29 23:59:59>01:00:00, 10-28 23:59:59>23:00:00";
    QTest::newRow("28") << 28 << "+00:00" << "03-29 01:59:59>03:00:00, 11-29 01:59:59>01:00:00";
    QTest::newRow("29") << 29 << "+00:00" << "03-01 01:59:59>03:00:00, 11-29 01:59:59>01:00:00";
    QTest::newRow("30") << 30 << "+00:00" << "03-08 01:59:59>03:00:00, 11-01 01:59:59>01:00:00";
    QTest::newRow("31") << 31 << "+01:00" << "04-05 02:59:59>02:00:00, 10-04 01:59:59>03:00:00";
    QTest::newRow("32") << 32 << "+01:00" << "04-05 01:59:59>01:00:00, 09-27 01:59:59>03:00:00";
    QTest::newRow("33 January end") << 33 << "+01:00" << "01-18 02:59:59>02:00:00, 11-01 01:59:59>03:00:00";
    QTest::newRow("34 Fridays") << 34 << "+00:00" << "03-26 23:59:59>01:00:00, 10-30 00:59:59>00:00:00";
    QTest::newRow("35 half hour, south") << 35 << "+01:30" << "04-05 02:59:59>02:00:00, 10-04 01:59:59>03:00:00";
    QTest::newRow("36") << 36 << "+00:00" << "03-29 01:59:59>03:00:00, 10-25 02:59:59>02:00:00";
    QTest::newRow("37 end read as 0059") << 37 << "+00:00" << "02-27 23:59:59>01:00:00, 10-30 00:59:59>00:00:00";
    QTest::newRow("38 2nd Sunday") << 38 << "+00:00" << "01-11 02:59:59>02:00:00, 11-08 01:59:59>03:00:00";
    // clang-format on
}

void tst_Model::changesOfEachRule()
{
    QFETCH(int, rule);
    const int zone = 13; // UTC+0
    const QDateTime year(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC), nextYear = year.addYears(1);
    const ShownTime january = LocalTimeShown(zone, rule, year.addDays(14));
    QTEST(QTime(0, 0)
              .addSecs(std::abs(january.offsetSeconds))
              .toString((january.offsetSeconds < 0 ? "-" : "+") + QStringLiteral("HH:mm")),
          "january");
    QStringList changes;
    for (auto next = NextChange(zone, rule, year); next && next->atUtc < nextYear;
         next = NextChange(zone, rule, next->atUtc)) {
        const ShownTime before = LocalTimeShown(zone, rule, next->atUtc.addSecs(-1));
        const ShownTime after = LocalTimeShown(zone, rule, next->atUtc);
        QCOMPARE(after.offsetSeconds - before.offsetSeconds, next->seconds);
        changes << before.local.toString("MM-dd HH:mm:ss>") + after.local.toString("HH:mm:ss");
    }
    QTEST(changes.join(", "), "changes");
    QVERIFY(LocalTimeShown(0, rule, year).off && !NextChange(0, rule, year)); // CLOCK OFF shows nothing
}

// Chile put its 2022 start back a week: the rule still fits, but says where it does not.
void tst_Model::closestWhenNoneIsExact()
{
    const QList<CodeMatch> matches = MatchingCodes("America/Santiago", 2020, 2040);
    QCOMPARE(matches.size(), 5);
    QVERIFY(MatchingCodes("Mars/Olympus_Mons", 2020, 2040).isEmpty());
    // From a moment within the years on, what is already past is not listed.
    const qint64 june = QDateTime(QDate(2026, 6, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    QCOMPARE(DescribeMatch(MatchingCodes("Pacific/Auckland", 2026, 2027, june).first(), "Pacific/Auckland"),
             "differs for 1 hour in total, in 1 period: 2027-04-04 02:00 to 03:00 UTC+13:00 (1 h behind)");
}

// Places found as people name them, in the dialog's list: whole words first, countries by their usual names.
void tst_Model::findingAPlace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("current");  // selected before
    QTest::addColumn<QString>("selected"); // empty: nothing fits
    QTest::addColumn<QString>("hidden");   // a place that must not be shown
    // clang-format off
    QTest::newRow("usa, not inside Lusaka") << "usa" << "" << "America/Adak" << "Africa/Lusaka";
    QTest::newRow("uk, not Nuuk or Ukraine") << "uk" << "Europe/Kyiv" << "Europe/London" << "America/Nuuk";
    QTest::newRow("by country, two words") << "New York united" << "" << "America/New_York" << "America/Toronto";
    QTest::newRow("uae") << "UAE" << "" << "Asia/Dubai" << "";
    QTest::newRow("accents typed") << "são paulo" << "" << "America/Sao_Paulo" << "";
    QTest::newRow("capitals and accents") << "ZÜRICH" << "" << "Europe/Zurich" << "";
    QTest::newRow("dashes") << "port-au-prince" << "" << "America/Port-au-Prince" << "";
    QTest::newRow("word begun") << "aucklan" << "" << "Pacific/Auckland" << "";
    QTest::newRow("current kept") << "europe" << "Europe/Berlin" << "Europe/Berlin" << "";
    QTest::newRow("all when empty") << "" << "" << "Africa/Abidjan" << "";
    QTest::newRow("nothing") << "atlantis" << "Europe/Berlin" << "" << "Europe/Berlin";
    // clang-format on
}

void tst_Model::findingAPlace()
{
    const QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
    PlaceSearch search;
    for (const QByteArray& id : ids)
        search.add(id, QTimeZone(id).territory());
    QFETCH(QString, typed);
    QFETCH(QString, current);
    QFETCH(QString, hidden);
    const PlaceSearch::Found found = search.find(typed, int(ids.indexOf(current.toUtf8())));
    QTEST(found.selected < 0 ? QString() : QString::fromUtf8(ids[found.selected]), "selected");
    QVERIFY(hidden.isEmpty() || !found.shown[ids.indexOf(hidden.toUtf8())]);
}

// Columns as wide as their widest entry plus 3; letters ascending; groups without clocks left out; CR LF.
void tst_Model::summary()
{
    std::array<GroupRecord, kGroupCount> table{};
    QVERIFY(ParseClockList(table[2].Clocks, "9").isEmpty());
    QVERIFY(ParseClockList(table[1].Clocks, "0-2,5,7-8,127").isEmpty());
    table[1].DisplayText = "ABCDEFGHIJKLMNOPQRST";
    table[0].DisplayText = "NO CLOCKS, LONG TEXT HERE"; // must not widen anything
    QCOMPARE(SummaryTableText(table),
             "Group      Clock           Time             Daylight    Text                   \r\n"
             "Letter     Numbers         Zone             Savings     Display                \r\n"
             "======     =======         ====             ========    =======                \r\n"
             "B          0-2,5,7-8,127   (16) CLOCK OFF   (0) none    ABCDEFGHIJKLMNOPQRST   \r\n"
             "C          9               (16) CLOCK OFF   (0) none                           \r\n");
}

QTEST_GUILESS_MAIN(tst_Model)
#include "tst_model.moc"
