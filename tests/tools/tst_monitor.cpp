// The real monitor on the slave side of a pseudo-terminal and on a loopback UDP port, and its refusals.
#include "app/ClockPacket.h"
#include "support/Pty.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QUdpSocket>

#include <pty.h>
#include <unistd.h>

namespace {
QByteArray Packet(int clock, const QString& text)
{
    GroupRecord group;
    group.DisplayText = text;
    group.ZoneIndex = 8;
    return BuildClockPacket(group, clock, QDateTime(QDate(2026, 12, 5), QTime(10, 8, 3), Qt::UTC));
}
} // namespace

class tst_Monitor : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
};

void tst_Monitor::run_data()
{
    QTest::addColumn<QStringList>("arguments"); // PTY and UDP stand for the pseudo-terminal and the loopback port
    QTest::addColumn<QStringList>("expected");  // a part of each line on stdout
    QTest::addColumn<int>("status");            // -1: still running when the lines are in
    QTest::addColumn<QString>("error");

    const QString zurich =
        QStringLiteral(R"(Z clock 3 utc 2026-12-05 10:08:03 zone 27 "(27) UTC-5 (Romeo) EST Eastern )"
                       R"(Standard Time" daylight 0 command 0 "      Zürich €      " ok)");
    QTest::newRow("serial, text") << QStringList{"PTY"}
                                  << QStringList{"Z skipped 3 bytes of noise: 78 79 7a", zurich,
                                                 R"(Z clock 4 utc 2026-12-05 10:08:03 zone 27 "(27) UTC-5 (Romeo) )"
                                                 R"(EST Eastern Standard Time" daylight 0 command 0 )"
                                                 R"("       LNBBY        " BAD CHECKSUM)"}
                                  << -1 << "reading /dev/pts/";
    QTest::newRow("serial, json")
        << QStringList{"--json", "PTY"}
        << QStringList{R"({"problem":"skipped 3 bytes of noise: 78 79 7a","received":")",
                       R"("text":"      Zürich €      ","utc":"2026-12-05 10:08:03","zone":27,)",
                       R"({"checksumOk":false,"clock":4,)"}
        << -1 << " at 9600 8N1";
    QTest::newRow("udp, text") << QStringList{"UDP"} << QStringList{zurich, "Z short datagram (12 bytes)"} << -1
                               << "listening on UDP port ";
    QTest::newRow("unknown option") << QStringList{"--bogus", "UDP"} << QStringList{} << 2 << "Unknown option 'bogus'";
    QTest::newRow("neither UDP nor a path") << QStringList{"COM1"} << QStringList{} << 2 << "\"COM1\" is neither";
    QTest::newRow("port 0") << QStringList{"UDP0"} << QStringList{} << 2 << "out of range";
    QTest::newRow("missing device") << QStringList{"/dev/quillmarch-none"} << QStringList{} << 1
                                    << "cannot open /dev/quillmarch-none: ";
}

void tst_Monitor::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    QFETCH(int, status);
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    const int master = pty.master;
    quint16 port = 0;
    if (QUdpSocket probe; probe.bind(QHostAddress::LocalHost, 0))
        port = probe.localPort(); // free again once the probe closes
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^PTY$")), pty.slavePath);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^UDP$")), QStringLiteral("UDP%1").arg(port));

    qputenv("TZ", "UTC"); // so that the receive time ends in Z
    QProcess monitor;
    monitor.start(qEnvironmentVariable("QUILLMARCH_MONITOR"), arguments);
    QElapsedTimer timer;
    timer.start();
    QString err; // the monitor says on stderr when the line or port is open
    while (!err.contains(QLatin1Char('\n')) && monitor.state() != QProcess::NotRunning && timer.elapsed() < 20000) {
        monitor.waitForReadyRead(100);
        err += QString::fromUtf8(monitor.readAllStandardError());
    }
    const QByteArray packet = Packet(3, QStringLiteral("Zürich €"));
    QByteArray damaged = Packet(4, QStringLiteral("LOBBY"));
    damaged[20] = char(damaged[20] ^ 0x01);
    const QByteArray stream = "xyz" + packet + damaged;
    QCOMPARE(::write(master, stream.constData(), size_t(stream.size())), ssize_t(stream.size()));
    QUdpSocket sender;
    sender.writeDatagram(packet, QHostAddress::LocalHost, port);
    sender.writeDatagram(packet.left(12), QHostAddress::LocalHost, port);

    QStringList lines;
    while (lines.size() < expected.size() && timer.elapsed() < 20000) {
        if (!monitor.canReadLine())
            monitor.waitForReadyRead(100);
        while (monitor.canReadLine())
            lines << QString::fromUtf8(monitor.readLine()).chopped(1);
    }
    if (status < 0)
        monitor.kill();
    QVERIFY(monitor.state() == QProcess::NotRunning || monitor.waitForFinished(20000));
    err += QString::fromUtf8(monitor.readAllStandardError());
    lines += QString::fromUtf8(monitor.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (status >= 0)
        QCOMPARE(monitor.exitCode(), status);
    QVERIFY2(err.startsWith(QLatin1String("quillmarch-monitor: ")) && err.count(QLatin1Char('\n')) == 1,
             qPrintable(err));
    QFETCH(QString, error);
    QVERIFY2(err.contains(error), qPrintable(err));
    QCOMPARE(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].contains(expected[i]), qPrintable(lines[i]));
}

QTEST_GUILESS_MAIN(tst_Monitor)
#include "tst_monitor.moc"
