// A full disk under the settings: the old file stays whole, the operator is told, nothing crashes.
#include "Sandbox.h"
#include "model/SettingsStore.h"
#include "support/Pty.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>

namespace {
QString groupText(int g)
{
    return QStringLiteral("%1\t8\t30\tHALL %2 \"quoted\", TAB\t0").arg(g * 4).arg(g);
}
} // namespace

class tst_FullFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void settingsWrite_data();
    void settingsWrite();
    void programRunsAndEnds();

private:
    QTemporaryDir m_outside;
    QString m_disk;
};

void tst_FullFileSystem::initTestCase()
{
    if (!Sandbox::enterPrivateMountNamespace())
        QSKIP("cannot make a private mount namespace here (needs root)");
}

void tst_FullFileSystem::init()
{
    m_disk = m_outside.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(m_disk));
    QVERIFY(Sandbox::mountTmpfs(m_disk, 256 * 1024));
}

void tst_FullFileSystem::cleanup()
{
    ::umount(QFile::encodeName(m_disk).constData());
}

void tst_FullFileSystem::settingsWrite_data()
{
    QTest::addColumn<int>("freePages");
    // With one or two pages left QSettings (Qt 6.4) could rename a shortened file over the old one and report no
    // error: which of these rows hits that depends on the pages its lock file and temporary file take.
    for (int pages = 0; pages <= 4; ++pages)
        QTest::addRow("%d pages left", pages) << pages;
}

// Whether or not the saves fit, the file on disk is always whole: every key it had, and every value whose save
// was not reported as failed.
void tst_FullFileSystem::settingsWrite()
{
    QFETCH(int, freePages);
    const QString path = m_disk + QStringLiteral("/config/Quillmarch/Quillmarch.ini");
    SettingsStore store(path);
    QStringList reports;
    store.setWriteFailureHandler([&](const QString& text) { reports << text; });
    for (int g = 0; g < 26; ++g)
        store.SaveSetting(QStringLiteral("Group-%1").arg(QChar(u'A' + g)), groupText(g));
    QVERIFY(!store.writeFailed());
    QVERIFY(Sandbox::fillLeaving(m_disk, freePages));

    // Checked after each save: a later save that fits would write the whole file again from memory.
    for (const auto& [key, value] : {std::pair{QStringLiteral("Group-B"), QStringLiteral("changed")},
                                     std::pair{QStringLiteral("MainLeft"), QStringLiteral("120")}}) {
        store.SaveSetting(key, value);
        const SettingsStore onDisk(path);
        for (int g = 0; g < 26; ++g) {
            const QString group = QStringLiteral("Group-%1").arg(QChar(u'A' + g));
            const QString text = onDisk.GetSetting(group, QStringLiteral("<missing>"));
            QVERIFY2(text == groupText(g) || (g == 1 && text == QStringLiteral("changed")),
                     qPrintable(QStringLiteral("after saving %1: %2 is %3").arg(key, group, text)));
        }
    }
    QCOMPARE(store.GetSetting(QStringLiteral("MainLeft"), QString()), QStringLiteral("120"));
    const SettingsStore onDisk(path);
    if (freePages == 0)
        QVERIFY(store.writeFailed());
    if (store.writeFailed()) {
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0], QStringLiteral("Settings are not being saved.\rThe file ") + path +
                                 QStringLiteral(" cannot be written: No space left on device."));
    } else {
        QCOMPARE(reports.size(), 0);
        QCOMPARE(onDisk.GetSetting(QStringLiteral("MainLeft"), QString()), QStringLiteral("120"));
    }
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Quillmarch.ini")});
}

// The real program on a full disk: it sends, ends on SIGTERM with status 0, says once in its log that settings are not
// saved, and leaves the settings file as it was.
void tst_FullFileSystem::programRunsAndEnds()
{
    const QString binary = qEnvironmentVariable("QUILLMARCH_BINARY");
    QVERIFY(!binary.isEmpty());
    const QString ini = m_disk + QStringLiteral("/config/Quillmarch/Quillmarch.ini");
    QVERIFY(QDir().mkpath(QFileInfo(ini).absolutePath()));
    QFile seed(ini);
    QVERIFY(seed.open(QIODevice::WriteOnly));
    seed.write("[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n");
    seed.close();
    const QByteArray before = Sandbox::contentOf(ini);
    QVERIFY(Sandbox::fillLeaving(m_disk, 0));

    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_disk + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_disk + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_outside.path());
    program.setProcessEnvironment(env);
    program.start(binary, {pty.slavePath});
    QVERIFY(program.waitForStarted());
    const auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });

    QCOMPARE(pty.nextPacket(), Pty::Found);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY2(program.waitForFinished(10000), "ends on SIGTERM without waiting for anyone to answer a message");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(Sandbox::contentOf(ini), before);
    const QString log = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(log.count(QStringLiteral("Settings are not being saved.")), 1);
}

QTEST_GUILESS_MAIN(tst_FullFileSystem)
#include "tst_fullfilesystem.moc"
