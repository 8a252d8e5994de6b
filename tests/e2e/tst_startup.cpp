// The real program: started on a pseudo-terminal, ended by SIGTERM as if its window were closed.
#include "support/Pty.h"
#include "support/RealProgram.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>

#include <csignal>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void informationRequests_data();
    void informationRequests();
    void opensThePtyAndEndsCleanlyOnSigterm();
    void serialDeviceGoneAndBack();

private:
    QString m_binary = qEnvironmentVariable("QUILLMARCH_BINARY");
};

void tst_Startup::informationRequests_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("pattern"); // the whole of standard output must match
    QTest::newRow("--version") << "--version"
                               << "^quillmarch 2\\.8\\.0\n$";
    QTest::newRow("--help names the link argument") << "--help"
                                                    << "COM#, UDP# or a serial device path";
    QTest::newRow("--help names --list-ports") << "--help"
                                               << "--list-ports +Print the serial devices present";
    // Devices differ from machine to machine; the form does not. A missing hook would start the window instead.
    QTest::newRow("--list-ports: a device, then TAB and by-id names")
        << "--list-ports"
        << "^(/dev/[^\\s]+(\t/dev/serial/by-id/[^\\s]+)*\n)*$";
}

void tst_Startup::informationRequests()
{
    QFETCH(QString, argument);
    QFETCH(QString, pattern);
    QTemporaryDir home;
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.start(m_binary, {argument});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    QVERIFY2(QRegularExpression(pattern).match(out).hasMatch(), qPrintable(out));
}

void tst_Startup::opensThePtyAndEndsCleanlyOnSigterm()
{
    QVERIFY2(!m_binary.isEmpty(), "QUILLMARCH_BINARY names the program under test");
    QTemporaryDir home;
    const QString ini = WriteSettings(
        home, "[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\nGroup-C=\"5\\t0\\t0\\t\\t0\"\n");
    QVERIFY(!ini.isEmpty());

    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());

    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(m_binary, {pty.slavePath});
    QVERIFY(program.waitForStarted());

    // The program has opened the line when the terminal's speed turns to 9600 baud.
    termios tio{};
    QTRY_VERIFY_WITH_TIMEOUT(tcgetattr(pty.master, &tio) == 0 && cfgetospeed(&tio) == B9600, 20000);
    QCOMPARE(program.state(), QProcess::Running);

    // The clocks in their order, each packet whole and with a good checksum.
    QList<int> clocks;
    QCOMPARE(pty.readPackets(20000,
                             [&](const QByteArray& packet) {
                                 clocks << int(packet.at(9));
                                 return packet.mid(12, 20) !=
                                            (clocks.last() == 5 ? QByteArray(20, ' ') : "       LOBBY        ") ||
                                        clocks.size() == 7;
                             }),
             Pty::Found);
    QCOMPARE(clocks, (QList<int>{1, 2, 5, 1, 2, 5, 1}));

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QFile settings(ini);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    QVERIFY2(text.contains("MainLeft=") && text.contains("MainTop="), text.constData());
    QVERIFY2(text.contains("TimeWarn=False"), text.constData());
}

// The device behind a stable name goes away with its master closed, and a new one appears under the name: the
// program sends to it again without a restart, and does not spin while the device is away.
void tst_Startup::serialDeviceGoneAndBack()
{
    const QString name = QStringLiteral("/dev/quillmarch-e2e-%1").arg(QCoreApplication::applicationPid());
    auto first = std::make_unique<Pty>();
    QVERIFY(!first->slavePath.isEmpty());
    if (!QFile::link(first->slavePath, name))
        QSKIP("cannot make a link in /dev (needs root)");
    const auto removeLink = qScopeGuard([&] { QFile::remove(name); });
    QTemporaryDir home;
    QVERIFY(!WriteSettings(home, "[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n").isEmpty());

    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.start(m_binary, {name});
    QVERIFY(program.waitForStarted());
    const auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });
    QVERIFY2(first->nextPacket() == Pty::Found, "sends to the first device");

    // Only the master is closed first, as when the far end of a line goes; then the device node itself.
    ::close(first->master);
    first->master = -1;
    QTest::qWait(300);
    first.reset();
    const double cpuBefore = CpuSeconds(program.processId());
    QElapsedTimer away;
    away.start();
    QTest::qWait(4000);
    const double cpuShare = (CpuSeconds(program.processId()) - cpuBefore) / (double(away.elapsed()) / 1000.0);
    qInfo("CPU while the device was away: %.1f %%", cpuShare * 100);
    QVERIFY2(cpuShare < 0.2, qPrintable(QStringLiteral("CPU share %1").arg(cpuShare)));
    QCOMPARE(program.state(), QProcess::Running);

    Pty second;
    QVERIFY(!second.slavePath.isEmpty());
    // Pointed at the new device in one step, as udev replaces its links.
    const QString next = name + QStringLiteral(".next");
    QVERIFY(QFile::link(second.slavePath, next));
    QVERIFY(::rename(QFile::encodeName(next).constData(), QFile::encodeName(name).constData()) == 0);
    QVERIFY2(second.nextPacket(10000) == Pty::Found, "sends to the new device without a restart");

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
