// The real program broadcasting over UDP, received by the real monitor, inside a private network namespace
// of the test's own, so that no datagram can leave this machine.
#include "support/RealProgram.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_Udp : public QObject
{
    Q_OBJECT

private slots:
    void broadcastReachesTheMonitor();
};

void tst_Udp::broadcastReachesTheMonitor()
{
    if (!PrivateNetworkAvailable())
        QSKIP("cannot make a private network namespace here (needs root, unshare and ip)");

    QTemporaryDir home;
    QVERIFY(!WriteSettings(home, "[Settings]\nTimeWarn=False\nGroup-B=\"3,9\\t8\\t30\\tHALL \xE2\x82\xAC\\t0\"\n")
                 .isEmpty());

    // Inside the namespace only loopback exists; the default route sends the broadcast there.
    const QString script = QStringLiteral("ip link set lo up && ip route add default dev lo || exit 90\n"
                                          "\"$MONITOR\" UDP5000 --json > \"$HOME_DIR/received\" & monitor=$!\n"
                                          "sleep 0.5\n"
                                          "\"$PROGRAM\" UDP5000 & program=$!\n"
                                          "sleep 4\n"
                                          "kill -TERM $program; wait $program; status=$?\n"
                                          "kill $monitor; wait $monitor\n"
                                          "exit $status\n");
    QProcess run;
    QProcessEnvironment env = ProgramEnvironment(home);
    env.insert(QStringLiteral("HOME_DIR"), home.path());
    env.insert(QStringLiteral("PROGRAM"), qEnvironmentVariable("QUILLMARCH_BINARY"));
    env.insert(QStringLiteral("MONITOR"), qEnvironmentVariable("QUILLMARCH_MONITOR"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QStringLiteral("unshare"), {QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"), script});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0); // the program ended cleanly on SIGTERM

    QFile received(home.filePath(QStringLiteral("received")));
    QVERIFY(received.open(QIODevice::ReadOnly));
    QList<int> clocks;
    for (const QByteArray& line : received.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject packet = QJsonDocument::fromJson(line).object();
        QVERIFY2(packet.value(QStringLiteral("checksumOk")).toBool(), line.constData());
        QCOMPARE(packet.value(QStringLiteral("text")).toString(), QStringLiteral("       HALL €       "));
        QCOMPARE(packet.value(QStringLiteral("zone")).toInt(), 27);
        QCOMPARE(packet.value(QStringLiteral("daylight")).toInt(), 30);
        clocks << packet.value(QStringLiteral("clock")).toInt();
    }
    QVERIFY2(clocks.size() >= 4, qPrintable(QStringLiteral("%1 packets").arg(clocks.size())));
    for (int i = 0; i < clocks.size(); ++i)
        QCOMPARE(clocks[i], i % 2 == 0 ? 3 : 9);
}

QTEST_GUILESS_MAIN(tst_Udp)
#include "tst_udp.moc"
