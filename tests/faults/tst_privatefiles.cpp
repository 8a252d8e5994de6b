// Files that hold settings are readable by their owner only, and so are the folders the program makes for them.
#include "model/SettingsStore.h"
#include "presets/PresetTable.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
int modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}
} // namespace

class tst_PrivateFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); } // the usual umask: without care, files come out 0644
    void modes_data();
    void modes();
};

void tst_PrivateFiles::modes_data()
{
    QTest::addColumn<bool>("presets");
    QTest::addColumn<int>("modeBefore"); // -1: no file yet
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("new settings file") << false << -1 << 0600;
    QTest::newRow("new presets file") << true << -1 << 0600;
    // A mode the operator gave a file stays.
    QTest::newRow("settings file of mode 0640") << false << 0640 << 0640;
    QTest::newRow("presets file of mode 0640") << true << 0640 << 0640;
}

void tst_PrivateFiles::modes()
{
    QFETCH(bool, presets);
    QFETCH(int, modeBefore);
    QFETCH(int, modeAfter);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("home/config/Quillmarch"));
    const QString path =
        folder + (presets ? QStringLiteral("/Quillmarch-Presets.txt") : QStringLiteral("/Quillmarch.ini"));
    if (modeBefore >= 0) {
        QVERIFY(QDir().mkpath(folder));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(presets ? "\"Old\",1,2,\"TEXT\"\r\n" : "[Settings]\nMainLeft=1\n");
        file.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(modeBefore)) == 0);
    }

    SettingsStore settings(presets ? dir.filePath(QStringLiteral("other.ini")) : path);
    ScriptedDialogs dialogs;
    PresetTable table(settings, dialogs, path);
    if (presets) {
        table.AddPreset(QStringLiteral("Lobby"), 8, 30, QStringLiteral("WELCOME"));
        QVERIFY(table.SavePresets());
    } else {
        settings.SaveSetting(QStringLiteral("Group-A"), QStringLiteral("1-5\t3\t0\tLOBBY\t0"));
        QVERIFY(!settings.writeFailed());
    }
    QCOMPARE(QString::number(modeOf(path), 8), QString::number(modeAfter, 8));
    if (modeBefore < 0) {
        QCOMPARE(QString::number(modeOf(folder), 8), QStringLiteral("700"));
        // Only the folder the program names is its own; the parents are the account's.
        QCOMPARE(QString::number(modeOf(QFileInfo(folder).absolutePath()), 8), QStringLiteral("755"));
    }
}

QTEST_GUILESS_MAIN(tst_PrivateFiles)
#include "tst_privatefiles.moc"
