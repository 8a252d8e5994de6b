// SIGKILL at random moments while the presets are being saved: the file is always one whole table, never a mix or
// a part, and no temporary files pile up.
#include "PresetContents.h"
#include "model/SettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class tst_PresetKills : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSaving();
};

void tst_PresetKills::killedWhileSaving()
{
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/presetsaver");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarch/Quillmarch-Presets.txt"));
    const QString ini = dir.filePath(QStringLiteral("Quillmarch.ini"));
    SettingsStore settings(ini);
    ScriptedDialogs dialogs;
    PresetTable table(settings, dialogs, path);
    QByteArray expected[2];
    for (int which : {0, 1}) {
        fillPresetTable(table, which);
        expected[which] = table.presetFileBytes();
    }
    QVERIFY(table.SavePresets()); // the second table is on disk before the first kill

    // Kills are spread over the time of two saves, measured here: a sanitized build saves several times slower.
    int windowMs = 40;
    {
        QProcess saver;
        saver.start(helper, {path, ini});
        QVERIFY(saver.waitForStarted());
        QElapsedTimer sinceFirst;
        int saves = 0;
        while (saves < 3 && saver.waitForReadyRead(20000)) {
            while (saver.canReadLine() && saves < 3) {
                saver.readLine();
                if (++saves == 1)
                    sinceFirst.start();
            }
        }
        QCOMPARE(saves, 3);
        windowMs = std::max(windowMs, int(sinceFirst.elapsed()));
        saver.kill();
        QVERIFY(saver.waitForFinished(10000));
    }

    QRandomGenerator random(20261206);
    const int kKills = 200;
    int mixed = 0, leftBehind = 0, maxLeftovers = 0;
    int found[2] = {0, 0};
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.start(helper, {path, ini});
        QVERIFY(saver.waitForStarted());
        // Once it is saving, anywhere in the next few saves.
        QVERIFY(saver.waitForReadyRead(20000));
        QTest::qSleep(int(random.bounded(windowMs)));
        ::kill(pid_t(saver.processId()), SIGKILL);
        QVERIFY(saver.waitForFinished(10000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (bytes != expected[0] && bytes != expected[1])
            ++mixed;
        found[0] += bytes == expected[0] ? 1 : 0;
        found[1] += bytes == expected[1] ? 1 : 0;
        const int leftovers =
            int(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).size()) - 1;
        leftBehind += leftovers > 0 ? 1 : 0;
        maxLeftovers = std::max(maxLeftovers, leftovers);
    }
    qInfo("%d kills: first table %d, second %d, neither %d; a temporary file left %d times, at most %d at once", kKills,
          found[0], found[1], mixed, leftBehind, maxLeftovers);
    QCOMPARE(mixed, 0);
    // Kills that always hit the same point of the loop would prove little.
    QVERIFY(found[0] > kKills / 10 && found[1] > kKills / 10);
    // On Linux the temporary file has no name until it is complete; a kill between naming it and the rename leaves
    // it, and the next start removes it.
    QVERIFY(maxLeftovers <= 1);

    QVERIFY(table.LoadPresets());
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(path).fileName()});
}

QTEST_GUILESS_MAIN(tst_PresetKills)
#include "tst_presetkills.moc"
