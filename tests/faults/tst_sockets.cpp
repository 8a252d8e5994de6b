// The program listens on nothing: no TCP socket in LISTEN state, no UDP socket on a fixed port, and datagrams sent
// to the port the kernel gave its broadcast socket cost it neither CPU nor memory.
#include "support/Pty.h"
#include "support/RealProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
struct InetSocket
{
    QString table; // tcp, tcp6, udp, udp6
    quint16 localPort = 0;
    int state = 0;      // 0x0A is LISTEN for TCP
    qint64 rxQueue = 0; // bytes waiting to be read
};

// The program's internet sockets, looked up in the tables of its own network namespace.
QList<InetSocket> inetSockets(qint64 pid)
{
    QSet<QByteArray> inodes;
    QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget().section(QLatin1Char('/'), -1);
        if (target.startsWith(QStringLiteral("socket:[")))
            inodes.insert(target.mid(8).chopped(1).toLatin1());
    }
    QList<InetSocket> sockets;
    for (const QString table : {"tcp", "tcp6", "udp", "udp6"}) {
        QFile file(QStringLiteral("/proc/%1/net/%2").arg(pid).arg(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines.mid(1)) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() < 10 || !inodes.contains(f[9]))
                continue;
            InetSocket s;
            s.table = table;
            s.localPort = quint16(f[1].split(':').value(1).toUInt(nullptr, 16));
            s.state = f[3].toInt(nullptr, 16);
            s.rxQueue = f[4].split(':').value(1).toLongLong(nullptr, 16);
            sockets << s;
        }
    }
    return sockets;
}

// Sends `count` datagrams to 127.0.0.1:`port` from inside the network namespace of `pid`: this thread joins it for the
// socket's creation only (a socket stays in the namespace it was made in).
int flood(qint64 pid, quint16 port, int count)
{
    const int home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    const int theirs =
        ::open(QFile::encodeName(QStringLiteral("/proc/%1/ns/net").arg(pid)).constData(), O_RDONLY | O_CLOEXEC);
    int sent = -1;
    if (home >= 0 && theirs >= 0 && ::setns(theirs, CLONE_NEWNET) == 0) {
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ::setns(home, CLONE_NEWNET);
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const QByteArray datagram(1000, 'x');
        sent = 0;
        for (int i = 0; i < count && s >= 0; ++i)
            sent += ::sendto(s, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to),
                             sizeof to) == datagram.size();
        ::close(s);
    }
    ::close(home);
    ::close(theirs);
    return sent;
}
} // namespace

class tst_Sockets : public QObject
{
    Q_OBJECT

private slots:
    void listensOnNothing_data();
    void listensOnNothing();
};

void tst_Sockets::listensOnNothing_data()
{
    QTest::addColumn<bool>("udp");
    QTest::newRow("UDP link") << true;
    QTest::newRow("serial link") << false;
}

void tst_Sockets::listensOnNothing()
{
    QFETCH(bool, udp);
    if (!PrivateNetworkAvailable())
        QSKIP("cannot make a private network namespace here (needs root, unshare and ip)");

    QTemporaryDir home;
    QVERIFY(!WriteSettings(home, "[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n").isEmpty());
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());

    // Inside a namespace of its own either way, with only loopback: nothing can leave this machine.
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.start(QStringLiteral("unshare"),
                  {QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("ip link set lo up && ip route add default dev lo || exit 90\nexec \"$0\" \"$1\""),
                   qEnvironmentVariable("QUILLMARCH_BINARY"), udp ? QStringLiteral("UDP5000") : pty.slavePath});
    QVERIFY(program.waitForStarted());
    const auto stop = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });
    const qint64 pid = program.processId();
    QTest::qWait(3000); // a few seconds of sending
    QCOMPARE(program.state(), QProcess::Running);

    const QList<InetSocket> sockets = inetSockets(pid);
    QCOMPARE(sockets.size(), udp ? 1 : 0);
    for (const InetSocket& s : sockets) {
        QVERIFY2(!s.table.startsWith(QStringLiteral("tcp")), "no TCP socket at all");
        // The broadcast socket is never bound by the program; the kernel gives it an ephemeral port when it first
        // sends. That port is not fixed, and whatever arrives there must not be read into memory.
        QVERIFY(s.localPort != 5000);
        const double cpuBefore = CpuSeconds(pid);
        const qint64 rssBefore = ResidentKiB(pid);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(flood(pid, s.localPort, 20000) > 0);
        QTest::qWait(2000);
        const double cpuShare = (CpuSeconds(pid) - cpuBefore) / (double(elapsed.elapsed()) / 1000.0);
        const InetSocket after = inetSockets(pid).value(0);
        qInfo("port %u: after 20000 datagrams of 1000 bytes: CPU %.1f %%, resident memory %+lld KiB, %lld bytes "
              "queued unread",
              s.localPort, cpuShare * 100, ResidentKiB(pid) - rssBefore, after.rxQueue);
        QVERIFY2(cpuShare < 0.2, "datagrams arriving do not keep the program busy");
        QVERIFY2(after.rxQueue <= 8 * 1024, "the kernel keeps only a small receive buffer for it");
    }
    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_Sockets)
#include "tst_sockets.moc"
