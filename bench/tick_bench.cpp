// Measures the real program from the receiving side: tick intervals on a pseudo-terminal, drift, CPU and memory,
// and the time to build one packet. Prints a table; asserts nothing.
//   tick_bench PROGRAM [TICKS]
#include "app/ClockPacket.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return fields.size() > 15 ? fields[13].toLong() + fields[14].toLong() : -1;
}

long rssKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[size_t(std::min<double>(v.size() - 1, std::floor(p * (v.size() - 1) + 0.5)))];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tick_bench PROGRAM [TICKS]\n");
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int ticks = argc > 2 ? std::atoi(argv[2]) : 1000;

    // Packet build time.
    GroupRecord group;
    group.DisplayText = QStringLiteral("Zürich Hauptbahnhof");
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    QElapsedTimer build;
    build.start();
    const int builds = 1000000;
    quint64 guard = 0;
    for (int i = 0; i < builds; ++i)
        guard += quint8(BuildClockPacket(group, i & 127, utc).at(49));
    const double buildNs = double(build.nsecsElapsed()) / builds;

    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("config/Quillmarch")));
    QFile ini(home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Settings]\nTimeWarn=False\nGroup-A=\"0-127\\t8\\t30\\tBENCH\\t0\"\n");
    ini.close();

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;
    QProcess quillmarch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    quillmarch.setProcessEnvironment(env);
    quillmarch.start(program, {QString::fromLocal8Bit(name)});
    if (!quillmarch.waitForStarted())
        return 1;

    std::vector<double> arrivals;
    QByteArray pending;
    double cpuStartMs = 0;
    long cpuStart = -1;
    while (int(arrivals.size()) < ticks + 1) {
        pollfd readable = {master, POLLIN, 0};
        if (::poll(&readable, 1, 10000) != 1) {
            std::fprintf(stderr, "no packet for 10 s\n");
            return 1;
        }
        const double t = nowMs();
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            return 1;
        // A packet's arrival is when its first byte is read.
        for (ssize_t i = 0; i < n; ++i) {
            if (pending.size() % kPacketSize == 0)
                arrivals.push_back(t);
            pending.append(buffer[i]);
        }
        if (cpuStart < 0 && arrivals.size() > 3) {
            cpuStart = cpuTicks(quillmarch.processId());
            cpuStartMs = t;
        }
    }
    const long cpuEnd = cpuTicks(quillmarch.processId());
    const double cpuEndMs = nowMs();
    const long rss = rssKb(quillmarch.processId());
    quillmarch.terminate();
    quillmarch.waitForFinished(5000);

    std::vector<double> errors;
    for (size_t i = 1; i < arrivals.size(); ++i)
        errors.push_back(std::fabs(arrivals[i] - arrivals[i - 1] - 333.0));
    double mean = 0;
    for (double e : errors)
        mean += e;
    mean /= double(errors.size());
    const double drift = (arrivals.back() - arrivals.front()) - 333.0 * double(arrivals.size() - 1);
    const double cpuPercent =
        100.0 * double(cpuEnd - cpuStart) / double(sysconf(_SC_CLK_TCK)) / ((cpuEndMs - cpuStartMs) / 1000.0);

    std::printf("%-34s %12s\n", "measure", "value");
    std::printf("%-34s %12zu\n", "tick intervals", errors.size());
    std::printf("%-34s %12.3f\n", "|interval - 333 ms| mean (ms)", mean);
    std::printf("%-34s %12.3f\n", "|interval - 333 ms| median (ms)", percentile(errors, 0.5));
    std::printf("%-34s %12.3f\n", "|interval - 333 ms| p99 (ms)", percentile(errors, 0.99));
    std::printf("%-34s %12.3f\n", "|interval - 333 ms| max (ms)", percentile(errors, 1.0));
    std::printf("%-34s %12.3f\n", "drift over the run (ms)", drift);
    std::printf("%-34s %12.3f\n", "CPU (% of one core)", cpuPercent);
    std::printf("%-34s %12.1f\n", "resident memory (MB)", double(rss) / 1024.0);
    std::printf("%-34s %12.1f\n", "packet build (ns)", buildNs);
    return guard == 0xFFFFFFFF ? 3 : 0;
}
