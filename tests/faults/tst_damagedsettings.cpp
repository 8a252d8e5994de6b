// A settings file of random bytes, or one that cannot be written: the program starts, says so once, and never
// destroys the file without keeping a copy.
#include "Sandbox.h"
#include "model/GroupTable.h"
#include "model/SettingsStore.h"
#include "support/Pty.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

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
    void program_data();
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
    QCOMPARE(contentOf(path + QStringLiteral(".damaged")), bytes);
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
    QCOMPARE(contentOf(path), kGoodFile);
}

void tst_DamagedSettings::program_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QString>("told");
    QTest::newRow("random bytes") << randomBytes(5, 3000) << false << "is damaged and was not read";
    QTest::newRow("file mode 0444, run as nobody") << kGoodFile << true << "Settings are not being saved.";
}

// The real program starts, is ended by SIGTERM with status 0, has said it once in its log, and the file is whole.
void tst_DamagedSettings::program()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asNobody);
    QFETCH(QString, told);
    QTemporaryDir home;
    const QString ini = home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini"));
    QVERIFY(write(ini, bytes));
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime) && ::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    QString program = qEnvironmentVariable("QUILLMARCH_BINARY");
    QStringList arguments{pty.slavePath};
    if (asNobody) {
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() || ::geteuid() != 0)
            QSKIP("needs root and setpriv to run the program as nobody");
        // nobody owns the folders; the file is read-only to its owner. A pty would need a lock file in /run/lock
        // that root processes may hold, so the program broadcasts over UDP inside a network namespace of its own.
        for (const QString& path :
             {home.path(), home.filePath(QStringLiteral("config")), QFileInfo(ini).absolutePath(), runtime, ini})
            QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(ini).constData(), 0444) == 0);
        arguments =
            QStringList{QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"),
                        QStringLiteral("ip link set lo up && ip route add default dev lo || exit 90\n"
                                       "exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\" UDP5000"),
                        program};
        program = QStringLiteral("unshare");
    }
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    run.setProcessEnvironment(env);
    run.start(program, arguments);
    QVERIFY(run.waitForStarted());
    const auto stop = qScopeGuard([&] {
        run.kill();
        run.waitForFinished();
    });
    if (asNobody) { // runs as usual until it saves its position on the way out
        QTest::qWait(3000);
    } else { // waits at the message box
        QByteArray log;
        QTRY_VERIFY2_WITH_TIMEOUT((log += run.readAllStandardError()).contains(told.toLocal8Bit()), log.constData(),
                                  20000);
    }
    QTest::qWait(500);
    ::kill(pid_t(run.processId()), SIGTERM);
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    if (asNobody) {
        const QString log = QString::fromLocal8Bit(run.readAllStandardError());
        QCOMPARE(log.count(told), 1);
        QCOMPARE(contentOf(ini), bytes);
    } else {
        QCOMPARE(contentOf(ini + QStringLiteral(".damaged")), bytes);
        QVERIFY(!run.readAllStandardError().contains(told.toLocal8Bit()));
    }
}

QTEST_GUILESS_MAIN(tst_DamagedSettings)
#include "tst_damagedsettings.moc"
