// The settings store keeps any text exactly, across runs, and reports a failing disk once.
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <mutex>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void roundTripInLaterRun_data();
    void roundTripInLaterRun();
    void absentKeyGivesDefault();
    void twoProgramsSavingKeepEachOthersKeys_data() { onOrOffTheSaveThread(); }
    void twoProgramsSavingKeepEachOthersKeys();
    void defaultPathFollowsXdgConfigHome();
    void failingWriteIsReportedOnce_data() { onOrOffTheSaveThread(); }
    void failingWriteIsReportedOnce();
    void newestSaveWins();

private:
    static void onOrOffTheSaveThread()
    {
        QTest::addColumn<bool>("queued");
        QTest::newRow("written at once") << false;
        QTest::newRow("written on the save thread") << true;
    }
};

void tst_SettingsStore::roundTripInLaterRun_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty text") << QString();
    QTest::newRow("stored group with TABs") << QStringLiteral("1-5,7\t3\t0\tLOBBY\t0");
    QTest::newRow("commas and quotes") << QStringLiteral("a,b, \"c\",'d'");
    QTest::newRow("backslashes") << QStringLiteral("C:\\path\\\\x\\t");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  padded  ");
    QTest::newRow("INI syntax characters") << QStringLiteral("[Settings]\nkey=value;comment #x");
    QTest::newRow("looks like a variant") << QStringLiteral("@Variant(\\0\\0\\0\\x7f)");
    QTest::newRow("non-ASCII letters") << QStringLiteral("Zürich € Škoda 東京");
    QTest::newRow("CR and LF") << QStringLiteral("line1\rline2\r\nline3");
    QTest::newRow("boolean text") << QStringLiteral("True");
}

void tst_SettingsStore::roundTripInLaterRun()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarch/Quillmarch.ini"));
    {
        SettingsStore first(path);
        first.SaveSetting(QStringLiteral("Group-A"), value);
        first.SaveSetting(QStringLiteral("Other"), QStringLiteral("x"));
    }
    SettingsStore later(path);
    const QString read = later.GetSetting(QStringLiteral("Group-A"), QStringLiteral("<absent>"));
    QCOMPARE(read, value);
}

void tst_SettingsStore::absentKeyGivesDefault()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarch.ini"));
    SettingsStore(path).SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("120"));
    SettingsStore store(path);
    QCOMPARE(store.GetSetting(QStringLiteral("MainTop"), QStringLiteral("-401")), QStringLiteral("-401"));
    QCOMPARE(store.GetSetting(QStringLiteral("MainLeft"), QStringLiteral("-401")), QStringLiteral("120"));
    // Keys live in the "Settings" section; the same key elsewhere is not ours.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("[Settings]"));
}

void tst_SettingsStore::twoProgramsSavingKeepEachOthersKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarch.ini"));
    SettingsStore(path).SaveSetting(QStringLiteral("Group-A"), QStringLiteral("old"));
    SettingsStore first(path), second(path); // two windows of one user, each with the file as it was at its start
    QFETCH(bool, queued);
    SaveQueue saves;
    if (queued)
        second.setSaveQueue(&saves);
    first.SaveSetting(QStringLiteral("Group-A"), QStringLiteral("1-3\t0\t0\tNEW\t0"));
    second.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("120"));
    saves.waitForAll();
    const SettingsStore after(path);
    QCOMPARE(after.GetSetting(QStringLiteral("Group-A"), {}), QStringLiteral("1-3\t0\t0\tNEW\t0"));
    QCOMPARE(after.GetSetting(QStringLiteral("MainLeft"), {}), QStringLiteral("120"));
    QCOMPARE(second.GetSetting(QStringLiteral("Group-A"), {}), QStringLiteral("1-3\t0\t0\tNEW\t0"));
}

void tst_SettingsStore::defaultPathFollowsXdgConfigHome()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QCOMPARE(SettingsStore::DefaultFilePath(), dir.path() + QStringLiteral("/Quillmarch/Quillmarch.ini"));
}

void tst_SettingsStore::failingWriteIsReportedOnce()
{
    // A file where the folder should be: creating the folder fails even for root.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("Quillmarch")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.filePath(QStringLiteral("Quillmarch/Quillmarch.ini")));
    QFETCH(bool, queued);
    SaveQueue saves;
    if (queued)
        store.setSaveQueue(&saves);
    QStringList reports;
    store.setWriteFailureHandler([&](const QString& text) { reports << text; });
    store.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("1"));
    saves.waitForAll();
    store.SaveSetting(QStringLiteral("MainTop"), QStringLiteral("2"));
    saves.waitForAll();
    QCOMPARE(reports.size(), 1);
    QVERIFY(store.writeFailed());
    QVERIFY2(reports[0].startsWith(QStringLiteral("Settings are not being saved.\rThe file ") +
                                   dir.filePath(QStringLiteral("Quillmarch/Quillmarch.ini")) +
                                   QStringLiteral(" cannot be written: ")),
             qPrintable(reports[0]));
    QVERIFY2(reports[0].contains(QStringLiteral("cannot be created")), qPrintable(reports[0]));
    // What was saved still reads back in this run.
    QCOMPARE(store.GetSetting(QStringLiteral("MainTop"), QString()), QStringLiteral("2"));
}

// A slow disk: saves queued behind a save that has not finished. The newest content of each file is what readers
// are given meanwhile and what ends on the disk; a save replaced before it began never runs.
void tst_SettingsStore::newestSaveWins()
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
    QCOMPARE(saves.pending("a").value_or("none"), QByteArray("1"));
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

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
