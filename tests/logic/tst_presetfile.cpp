// The presets table and its file: what the reader keeps, the bytes written, a failed save, the remembered position,
// the list's order.
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "presets/PresetNameOrder.h"
#include "presets/PresetTable.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <mutex>
#include <sys/resource.h>

namespace {
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

class tst_PresetFile : public QObject
{
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void writing_data();
    void writing();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void findingAndRemembering();
    void reopenedWhileTheSaveIsOnItsWay();
    void listOrder_data();
    void listOrder();
};

void tst_PresetFile::reading_data()
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
    QTest::newRow("Windows-1252 letters") << QByteArray("\"Z\xfcrich \x80\",1,2,\"\x93HI\x94\"\r\n")
                                          << QStringList{"Zürich €|1|2|“HI”"};
}

void tst_PresetFile::reading()
{
    QFETCH(QByteArray, file);
    Env env;
    env.table.readPresets(file);
    QTEST(describe(env.table), "presets");
}

void tst_PresetFile::writing_data()
{
    QTest::addColumn<QStringList>("presets");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("table order, CR LF, Windows-1252, name trimmed, text as given")
        << QStringList{"Lobby|8|30|WELCOME", " Zürich € |0|38|  HI  "}
        << QByteArray("\"Lobby\",8,30,\"WELCOME\"\r\n\"Z\xfcrich \x80\",0,38,\"  HI  \"\r\n");
    QTest::newRow("a quote or a line end cannot end a field")
        << QStringList{"Say \"hi\"|1|2|A\rB\nC"} << QByteArray("\"Say 'hi'\",1,2,\"A B C\"\r\n");
}

void tst_PresetFile::writing()
{
    QFETCH(QStringList, presets);
    QFETCH(QByteArray, file);
    Env env;
    fill(env.table, presets);
    QVERIFY(env.table.SavePresets());
    QCOMPARE(contentOf(env.path), file);
    QCOMPARE(env.dialogs.calls.size(), 0);
}

void tst_PresetFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("folderIsAFile");
    QTest::addColumn<int>("presets");
    QTest::addColumn<QString>("headline");
    QTest::newRow("folder cannot be created") << true << 1 << "Unable to Create or Overwrite Presets File";
    // A file size limit stops root too. A small file fails when its buffer is written out at the end, a large one
    // at once.
    QTest::newRow("write fails at the end") << false << 300 << "Disk Error Writing to Presets File";
    QTest::newRow("write fails at once") << false << 3000 << "Disk Error Writing to Presets File";
}

void tst_PresetFile::failedSaveKeepsTheOldFile()
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
void tst_PresetFile::findingAndRemembering()
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
void tst_PresetFile::reopenedWhileTheSaveIsOnItsWay()
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

void tst_PresetFile::listOrder_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("no locale: as read, not by code")
        << "C" << QStringList{"Zebra", "\u00c9lan", "\u00e1bc", "abd", "Abc", "elan", "10", "9"}
        << QStringList{"10", "9", "Abc", "\u00e1bc", "abd", "elan", "\u00c9lan", "Zebra"};
    QTest::newRow("the locale's own letters: Swedish \u00d6 after Z")
        << "sv_SE" << QStringList{"\u00d6land", "Zebra", "Oslo"} << QStringList{"Oslo", "Zebra", "\u00d6land"};
    // A soft hyphen is ignored by the collator; the upper-case codes decide, whatever the order in the table.
    QTest::newRow("names the collator holds equal") << "C" << QStringList{"a\u00adb", "AB"}
                                                    << QStringList{"AB", "a\u00adb"};
}

void tst_PresetFile::listOrder()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    QLocale::setDefault(QLocale(locale));
    const PresetNameOrder order;
    QLocale::setDefault(QLocale::system());
    QCOMPARE(order.sorted(names), sorted);
    // The comparison that places a single new name agrees with the sort, strictly.
    for (qsizetype i = 1; i < sorted.size(); ++i)
        QVERIFY(order.lessThan(sorted[i - 1], sorted[i]) && !order.lessThan(sorted[i], sorted[i - 1]));
}

QTEST_GUILESS_MAIN(tst_PresetFile)
#include "tst_presetfile.moc"
