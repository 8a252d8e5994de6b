// A settings file of random bytes, or one that cannot be written: the program starts, says so once, and never
// destroys the file without keeping a copy.
#include "Sandbox.h"
#include "model/GroupTable.h"
#include "model/SettingsStore.h"
#include "support/Pty.h"
#include "support/RealProgram.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>

namespace {
bool write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

const QByteArray kGoodFile = "[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n";
} // namespace

class tst_DamagedSettings : public QObject
{
    Q_OBJECT

private slots:
    void damagedFileIsKeptAndReported_data();
    void damagedFileIsKeptAndReported();
    void readOnlyFolder();
    void program();
};

void tst_DamagedSettings::damagedFileIsKeptAndReported_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Without the NUL check QSettings reads keys out of random bytes and reports no error.
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("random bytes, seed %u", seed) << randomBytes(seed, 3000);
    QTest::newRow("random bytes after a good header") << kGoodFile + randomBytes(4, 200);
    QTest::newRow("a NUL in a good file") << QByteArray(kGoodFile).insert(12, '\0');
}

void tst_DamagedSettings::damagedFileIsKeptAndReported()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarch/Quillmarch.ini"));
    QVERIFY(write(path, bytes));

    SettingsStore store(path);
    QCOMPARE(store.loadProblem(), QStringLiteral("The settings file ") + path +
                                      QStringLiteral(" is damaged and was not read.\rThe groups and other settings "
                                                     "start from their defaults. The damaged file was kept as ") +
                                      path + QStringLiteral(".damaged."));
    GroupTables tables;
    LoadAllGroups(tables, store);
    for (const GroupRecord& group : tables.ActiveGroups)
        QVERIFY(group.FirstClock == -1 && group.DisplayText.isEmpty());
    QCOMPARE(store.GetSetting(QStringLiteral("TimeWarn"), QStringLiteral("True")), QStringLiteral("True"));

    store.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("120"));
    QVERIFY(!store.writeFailed());
    QCOMPARE(Sandbox::contentOf(path + QStringLiteral(".damaged")), bytes);
    QCOMPARE(QFileInfo(path + QStringLiteral(".damaged")).permissions() & 0x0077, 0);
    SettingsStore later(path);
    QCOMPARE(later.loadProblem(), QString());
    QCOMPARE(later.GetSetting(QStringLiteral("MainLeft"), QString()), QStringLiteral("120"));
}

void tst_DamagedSettings::readOnlyFolder()
{
    // Root ignores file modes; a read-only mount stops even root. The file reads as usual and is never replaced.
    if (!Sandbox::enterPrivateMountNamespace())
        QSKIP("cannot make a private mount namespace here (needs root)");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Quillmarch"));
    const QString path = folder + QStringLiteral("/Quillmarch.ini");
    QVERIFY(write(path, kGoodFile));
    const QByteArray native = QFile::encodeName(folder);
    QVERIFY(::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) == 0);
    const auto unmount = qScopeGuard([&] { ::umount(native.constData()); });
    QVERIFY(::mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);

    SettingsStore store(path);
    QCOMPARE(store.loadProblem(), QString());
    QStringList reports;
    store.setWriteFailureHandler([&](const QString& text) { reports << text; });
    GroupTables tables;
    LoadAllGroups(tables, store);
    QCOMPARE(tables.ActiveGroups[0].DisplayText, QStringLiteral("LOBBY"));
    store.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("1"));
    store.SaveSetting(QStringLiteral("MainTop"), QStringLiteral("2"));
    QCOMPARE(reports, QStringList{QStringLiteral("Settings are not being saved.\rThe file ") + path +
                                  QStringLiteral(" cannot be written: Read-only file system.")});
    QCOMPARE(Sandbox::contentOf(path), kGoodFile);
}

// The real program starts, says it once in its log, keeps the damaged file, and ends by SIGTERM with status 0.
void tst_DamagedSettings::program()
{
    const QByteArray bytes = randomBytes(5, 3000);
    const QByteArray told = "is damaged and was not read";
    QTemporaryDir home;
    const QString ini = home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini"));
    QVERIFY(write(ini, bytes));
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    QProcess run;
    run.setProcessEnvironment(ProgramEnvironment(home));
    run.start(qEnvironmentVariable("QUILLMARCH_BINARY"), {pty.slavePath});
    QVERIFY(run.waitForStarted());
    const auto stop = qScopeGuard([&] {
        run.kill();
        run.waitForFinished();
    });
    // It waits at the message box.
    QByteArray log;
    QTRY_VERIFY2_WITH_TIMEOUT((log += run.readAllStandardError()).contains(told), log.constData(), 20000);
    QTest::qWait(500);
    ::kill(pid_t(run.processId()), SIGTERM);
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(Sandbox::contentOf(ini + QStringLiteral(".damaged")), bytes);
    QVERIFY(!run.readAllStandardError().contains(told));
}

QTEST_GUILESS_MAIN(tst_DamagedSettings)
#include "tst_damagedsettings.moc"
