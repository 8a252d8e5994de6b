// Measures the real program's ticks from the receiving side, beside a reference sender in the same run: both are
// started together, each writes to its own pseudo-terminal, and one receiver times the first byte of every packet on
// both. Both are measured over the same stretch of time, from the program's first packet on: the reference's first
// packets would otherwise compete with the program's start-up, which the program's own figures do not see.
// Prints each run and the median over the runs; asserts nothing.
//   tick_bench PROGRAM [TICKS] [RUNS]
#include "ResidentMemory.h"
#include "app/ClockPacket.h"
#include "support/RealProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr double kIntervalMs = 333.0;

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[size_t(std::min<double>(double(v.size() - 1), std::floor(p * double(v.size() - 1) + 0.5)))];
}

// One sender as the receiver sees it.
struct Line
{
    int master = -1, slave = -1;
    QString slavePath;
    std::vector<double> arrivals; // when the first byte of each packet was read, ms
    long long bytes = 0;

    bool open()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        slavePath = QString::fromLocal8Bit(name);
        return true;
    }
    ~Line()
    {
        ::close(slave);
        ::close(master);
    }
    // Reads what is there; a packet arrives when its first byte does.
    bool read(double at)
    {
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t i = 0; i < n; ++i, ++bytes)
            if (bytes % kPacketSize == 0)
                arrivals.push_back(at);
        return true;
    }
};

struct Figures
{
    double median = 0, p99 = 0, max = 0, drift = 0;
};

// The `intervals` intervals from the first packet at or after `from`.
Figures figuresOf(const std::vector<double>& all, double from, size_t intervals)
{
    const auto first = std::lower_bound(all.begin(), all.end(), from);
    const std::vector<double> arrivals(first, first + std::ptrdiff_t(intervals + 1));
    std::vector<double> errors;
    for (size_t i = 1; i <= intervals; ++i)
        errors.push_back(std::fabs(arrivals[i] - arrivals[i - 1] - kIntervalMs));
    return {percentile(errors, 0.5), percentile(errors, 0.99), percentile(errors, 1.0),
            arrivals[intervals] - arrivals[0] - kIntervalMs * double(intervals)};
}

// How many packets of `all` came at or after `from`.
size_t countFrom(const std::vector<double>& all, double from)
{
    return size_t(all.end() - std::lower_bound(all.begin(), all.end(), from));
}

struct Run
{
    Figures program, reference;
    double cpuPercent = 0, residentMb = 0, firstPacketMs = 0;
};

void startChild(QProcess& process, const QString& path, const QStringList& arguments)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(path, arguments);
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// One run of `intervals` intervals on each line; false, with the reason on standard error, when it fails.
bool runOnce(const QString& program, const QString& sender, int intervals, Run& run)
{
    QTemporaryDir home;
    // Group A holds every clock, so that every tick sends.
    if (WriteSettings(home, "[Settings]\nTimeWarn=False\nGroup-A=\"0-127\\t8\\t30\\tBENCH\\t0\"\n").isEmpty())
        return false;
    Line quill, reference;
    if (!quill.open() || !reference.open())
        return false;

    QProcess quillmarch, referenceSender;
    quillmarch.setProcessEnvironment(ProgramEnvironment(home));
    const double startedAt = nowMs();
    startChild(quillmarch, program, {quill.slavePath});
    startChild(referenceSender, sender, {reference.slavePath});
    const auto finish = [&](const char* problem) {
        stop(referenceSender);
        stop(quillmarch);
        if (problem)
            std::fprintf(stderr, "%s\n", problem);
        return problem == nullptr;
    };
    if (!quillmarch.waitForStarted() || !referenceSender.waitForStarted())
        return finish("a sender did not start");

    const size_t wanted = size_t(intervals) + 1;
    double cpuStart = -1, cpuStartMs = 0, cpuEnd = -1, cpuEndMs = 0;
    const auto programStart = [&] { return quill.arrivals.empty() ? 1e300 : quill.arrivals.front(); };
    while (quill.arrivals.size() < wanted || countFrom(reference.arrivals, programStart()) < wanted) {
        std::array<pollfd, 2> lines = {pollfd{quill.master, POLLIN, 0}, pollfd{reference.master, POLLIN, 0}};
        if (::poll(lines.data(), lines.size(), 10000) <= 0)
            return finish("no packet on either line for 10 s");
        const double t = nowMs();
        if ((lines[0].revents & POLLIN) && !quill.read(t))
            return finish("the program's line failed");
        if ((lines[1].revents & POLLIN) && !reference.read(t))
            return finish("the reference's line failed");
        // The program's CPU from its fourth packet, past its start-up, to its last one measured.
        if (cpuStart < 0 && quill.arrivals.size() > 3) {
            cpuStart = CpuSeconds(quillmarch.processId());
            cpuStartMs = t;
        }
        if (cpuEnd < 0 && quill.arrivals.size() >= wanted) {
            cpuEnd = CpuSeconds(quillmarch.processId());
            cpuEndMs = t;
            run.residentMb = double(ResidentKiB(quillmarch.processId())) / 1024.0;
        }
    }
    finish(nullptr);
    run.program = figuresOf(quill.arrivals, programStart(), size_t(intervals));
    run.reference = figuresOf(reference.arrivals, programStart(), size_t(intervals));
    run.cpuPercent = 100.0 * (cpuEnd - cpuStart) / ((cpuEndMs - cpuStartMs) / 1000.0);
    run.firstPacketMs = quill.arrivals.front() - startedAt;
    return true;
}

double ratio(double program, double reference)
{
    return std::fabs(reference) < 1e-6 ? NAN : std::fabs(program) / std::fabs(reference);
}

void print(const char* title, const Run& r)
{
    std::printf("%s\n", title);
    std::printf("  %-32s %10s %10s %8s\n", "", "program", "reference", "ratio");
    const auto row = [](const char* name, double p, double ref) {
        std::printf("  %-32s %10.3f %10.3f %8.2f\n", name, p, ref, ratio(p, ref));
    };
    // The reference's drift is noise around zero: a ratio to it would say nothing.
    const auto bare = [](const char* name, double p, double ref) {
        std::printf("  %-32s %10.3f %10.3f %8s\n", name, p, ref, "-");
    };
    row("|interval - 333 ms| median (ms)", r.program.median, r.reference.median);
    row("|interval - 333 ms| p99 (ms)", r.program.p99, r.reference.p99);
    row("|interval - 333 ms| max (ms)", r.program.max, r.reference.max);
    bare("drift over the run (ms)", r.program.drift, r.reference.drift);
    std::printf("  %-32s %10.2f\n", "CPU (% of one core)", r.cpuPercent);
    std::printf("  %-32s %10.1f\n", "resident memory (MB)", r.residentMb);
    std::printf("  %-32s %10.0f\n", "start to first packet (ms)", r.firstPacketMs);
}

double medianOf(const std::vector<Run>& runs, double (*field)(const Run&))
{
    std::vector<double> values;
    for (const Run& r : runs)
        values.push_back(field(r));
    return percentile(values, 0.5);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tick_bench PROGRAM [TICKS] [RUNS]\n");
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int intervals = argc > 2 ? std::max(2, std::atoi(argv[2])) : 1000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const QString sender = QCoreApplication::applicationDirPath() + QStringLiteral("/reference_sender");

    // Packet build time, for scale: what the tick itself costs.
    GroupRecord group;
    group.DisplayText = QStringLiteral("Zürich Hauptbahnhof");
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    QElapsedTimer build;
    build.start();
    const int builds = 200000;
    volatile quint64 guard = 0; // keeps the builds from being optimised away
    for (int i = 0; i < builds; ++i)
        guard = guard + quint8(BuildClockPacket(group, i & 127, utc).at(49));
    std::printf("packet build: %.1f ns\n", double(build.nsecsElapsed()) / builds);
    std::printf("%d intervals of 333 ms per run, %d runs\n\n", intervals, runs);
    std::fflush(stdout);

    std::vector<Run> done;
    for (int i = 0; i < runs; ++i) {
        Run r;
        if (!runOnce(program, sender, intervals, r))
            return 1;
        done.push_back(r);
        print(qPrintable(QStringLiteral("run %1").arg(i + 1)), r);
        std::fflush(stdout);
    }
    Run median;
    median.program = {medianOf(done, [](const Run& r) { return r.program.median; }),
                      medianOf(done, [](const Run& r) { return r.program.p99; }),
                      medianOf(done, [](const Run& r) { return r.program.max; }),
                      medianOf(done, [](const Run& r) { return r.program.drift; })};
    median.reference = {medianOf(done, [](const Run& r) { return r.reference.median; }),
                        medianOf(done, [](const Run& r) { return r.reference.p99; }),
                        medianOf(done, [](const Run& r) { return r.reference.max; }),
                        medianOf(done, [](const Run& r) { return r.reference.drift; })};
    median.cpuPercent = medianOf(done, [](const Run& r) { return r.cpuPercent; });
    median.residentMb = medianOf(done, [](const Run& r) { return r.residentMb; });
    median.firstPacketMs = medianOf(done, [](const Run& r) { return r.firstPacketMs; });
    std::printf("\n");
    print(qPrintable(QStringLiteral("median over %1 runs (each figure on its own)").arg(runs)), median);
    return 0;
}
