// Operator actions against the ticks: the real program under Xvfb with every clock in group A (every tick sends) and
// 32,767 presets, driven with xdotool, while a receiver thread times every packet. Prints, per action, the longest
// gap between two packets from just before the action until a settle time after it, and how long the action took.
// Asserts nothing.
//   stall_bench PROGRAM [RUNS] [--slow-fsync]
// Each run starts the program afresh; with more than one run the medians follow. With --slow-fsync the program runs
// under strace with every fsync and fdatasync delayed by 2 s, and only the actions that save are measured.
#include "ResidentMemory.h"
#include "support/RealProgram.h"
#include "support/XSession.h"
#include "ui/Twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr double kDpi = 96; // as the session tells the program
constexpr int kPresets = 32767;
constexpr int kSettleMs = 1000;
constexpr int kSlowMs = 120000; // an action that has not completed by then is reported as such

// Control places in twips beyond the shared ones (support/XSession.h), as the windows lay them out.
using namespace Controls;
const QRectF kMainHelp{6450, 330, 1185, 330};
const QRectF kRemove{6600, 360, 1215, 375};
const QRectF kSelect{6600, 2520, 1215, 375};
const QString kRemoveQuestion = QStringLiteral("Remove Preset from List$");
const QString kMap = QStringLiteral("Map of Clock Locations");
const QString kSummary = QStringLiteral("Quillmarch Summary$");
const QString kMessage = QStringLiteral("^Quillmarch$");

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Times the first byte of every packet on the line, on a thread of its own.
class Receiver
{
public:
    explicit Receiver(int master) : m_master(master), m_thread([this] { loop(); }) {}
    ~Receiver()
    {
        m_stop = true;
        m_thread.join();
    }
    // The longest gap between two packets over [from, to]: from the last packet before `from` to the first after
    // `to`, or to now when none has come since.
    double longestGap(double from, double to)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        double longest = 0, previous = -1;
        for (double t : m_arrivals) {
            if (t <= from) {
                previous = t;
                continue;
            }
            if (previous >= 0)
                longest = std::max(longest, t - previous);
            previous = t;
            if (t > to)
                return longest;
        }
        return previous < 0 ? 0 : std::max(longest, nowMs() - previous);
    }
    bool packetSince(double t)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return !m_arrivals.empty() && m_arrivals.back() > t;
    }

private:
    void loop()
    {
        char buffer[4096];
        while (!m_stop) {
            pollfd readable = {m_master, POLLIN, 0};
            if (::poll(&readable, 1, 100) != 1)
                continue;
            const double t = nowMs();
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            std::lock_guard<std::mutex> lock(m_mutex);
            for (ssize_t i = 0; i < n; ++i, ++m_bytes)
                if (m_bytes % 50 == 0)
                    m_arrivals.push_back(t);
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<double> m_arrivals;
    long long m_bytes = 0;
    std::thread m_thread;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? NAN : values[values.size() / 2];
}

// Figures by name, in the order first measured, one value per run.
struct Figures
{
    struct Row
    {
        QString name;
        std::vector<double> gaps, tooks, onDisk; // NaN: not done
    };
    std::vector<Row> rows;
    Row& operator[](const QString& name)
    {
        for (Row& row : rows)
            if (row.name == name)
                return row;
        rows.push_back({name, {}, {}, {}});
        return rows.back();
    }
};

bool waitFor(const std::function<bool()>& done, int timeoutMs, int pollMs = 20)
{
    const double end = nowMs() + timeoutMs;
    while (!done()) {
        if (nowMs() > end)
            return false;
        QThread::msleep(pollMs);
    }
    return true;
}

class Bench
{
public:
    Bench(const XDisplay& display, OperatorSession& session, Receiver& receiver, qint64 programPid, Figures& figures)
        : m_display(display.name()), m_session(session), m_receiver(receiver), m_pid(programPid), m_figures(figures)
    {}

    QByteArray xdotool(const QStringList& arguments)
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(10000)) {
            tool.kill();
            tool.waitForFinished();
        }
        return tool.readAllStandardOutput();
    }
    void click(const QString& window, const QRectF& twips)
    {
        const QPoint at = TwipsRect(twips.left(), twips.top(), twips.width(), twips.height(), kDpi).center();
        xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("mousemove"),
                 QStringLiteral("--sync"), QStringLiteral("--window"), window, QString::number(at.x()),
                 QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    }
    void key(const QString& keys)
    {
        xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40")} + keys.split(u' '));
    }
    QString visible(const QString& title)
    {
        return QString::fromLatin1(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--name"), title}))
            .split(u'\n', Qt::SkipEmptyParts)
            .value(0);
    }
    bool shown(const QString& title) { return !visible(title).isEmpty(); }
    // Waits for a window outside of any measure; its id, empty when it does not show.
    QString waitShown(const QString& title, int timeoutMs = kSlowMs)
    {
        QString id;
        waitFor([&] { return !(id = visible(title)).isEmpty(); }, timeoutMs);
        return id;
    }

    // The presets file by identity: every save renames a new file over it.
    QString presetsStamp() const
    {
        struct stat s = {};
        if (::stat(QFile::encodeName(m_session.presetsPath()).constData(), &s) != 0)
            return {};
        return QStringLiteral("%1.%2.%3").arg(s.st_ino).arg(s.st_mtim.tv_nsec).arg(s.st_size);
    }

    // One action: `act` starts it, `done` tells when the operator sees it completed (none: nothing to see from
    // outside), `landed` (for a save) when its file has been replaced. The gap is looked at from just before `act` to
    // `kSettleMs` after both, waiting for the next packet when the line is quiet.
    void measure(const QString& name, const std::function<void()>& act, const std::function<bool()>& done,
                 const std::function<bool()>& landed = {})
    {
        const double start = nowMs();
        act();
        const bool completed = !done || waitFor(done, kSlowMs);
        const double took = done ? nowMs() - start : NAN;
        const bool saved = landed && waitFor(landed, kSlowMs);
        const double onDisk = nowMs() - start;
        QThread::msleep(kSettleMs);
        const double until = nowMs();
        waitFor([&] { return m_receiver.packetSince(until); }, kSlowMs, 10);
        const double gap = m_receiver.longestGap(start, until);
        m_figures[name].gaps.push_back(gap);
        if (done)
            m_figures[name].tooks.push_back(completed ? took : NAN);
        if (landed)
            m_figures[name].onDisk.push_back(saved ? onDisk : NAN);
        const auto shownMs = [](bool measured, bool reached, double ms) {
            return !measured ? QStringLiteral("-") : reached ? QString::number(ms, 'f', 0) : QStringLiteral("not done");
        };
        std::printf("%-44s %12.0f %12s %12s\n", qPrintable(name), gap, qPrintable(shownMs(bool(done), completed, took)),
                    qPrintable(shownMs(bool(landed), saved, onDisk)));
        std::fflush(stdout);
    }

    double residentMb() const { return double(ResidentKiB(m_pid)) / 1024.0; }

    void openPresets(const QString& name)
    {
        measure(
            name, [&] { click(m_session.mainWindow(), kMainPresets); }, [&] { return shown(kPresetsWindow); });
    }

    // The actions that save: remove, add and edit a preset (the presets file), apply a group (the settings).
    void saves(const QString& opening, const QString& note)
    {
        openPresets(opening);
        const QString presets = waitShown(kPresetsWindow);

        click(presets, kRemove);
        waitShown(kRemoveQuestion, 10000);
        QString before = presetsStamp();
        measure(
            QStringLiteral("remove a preset (save)") + note, [&] { key(QStringLiteral("y")); },
            [&] { return !shown(kRemoveQuestion); }, [&] { return presetsStamp() != before; });

        click(presets, kNew);
        waitShown(kEditor, 10000);
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Bench new")});
        before = presetsStamp();
        measure(
            QStringLiteral("add a preset (save)") + note, [&] { key(QStringLiteral("Return")); },
            [&] { return !shown(kEditor); }, [&] { return presetsStamp() != before; });

        click(presets, kEdit);
        waitShown(kEditor, 10000);
        key(QStringLiteral("Down"));
        before = presetsStamp();
        measure(
            QStringLiteral("edit a preset (save)") + note, [&] { key(QStringLiteral("Return")); },
            [&] { return !shown(kEditor); }, [&] { return presetsStamp() != before; });

        // The selected preset goes into the main window's fields, and Apply stores the group.
        click(presets, kSelect);
        waitFor([&] { return !shown(kPresetsWindow); }, 10000);
        const QString group = m_session.setting(QStringLiteral("Group-A"));
        measure(
            QStringLiteral("apply group A (settings save)") + note, [&] { click(m_session.mainWindow(), kMainApply); },
            {}, [&] { return m_session.setting(QStringLiteral("Group-A")) != group; });
    }

    // The Help menu's entry `downs` steps down, chosen with Enter inside the measure.
    void helpEntry(const QString& name, int downs, const QString& window)
    {
        click(m_session.mainWindow(), kMainHelp);
        QThread::msleep(400); // the menu pops up at the pointer
        key(QStringList(downs, QStringLiteral("Down")).join(u' '));
        measure(
            name, [&] { key(QStringLiteral("Return")); }, [&] { return shown(window); });
    }
    void close(const QString& name, const QString& window, const QString& keys)
    {
        const QString id = visible(window);
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        measure(
            name, [&] { key(keys); }, [&] { return !shown(window); });
    }

private:
    QString m_display;
    OperatorSession& m_session;
    Receiver& m_receiver;
    qint64 m_pid;
    Figures& m_figures;
};

QByteArray presetsFile()
{
    QByteArray bytes;
    for (int i = 1; i <= kPresets; ++i)
        bytes += QStringLiteral("\"Bench %1\",%2,%3,\"TEXT %1\"\r\n")
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(i % 29)
                     .arg(i % 39)
                     .toLatin1();
    return bytes;
}

// A site plan of 6000 x 4000 pixels with detail all over, so that it decodes as a photograph would.
bool writeMap(const QString& path)
{
    QImage map(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < map.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(map.scanLine(y));
        for (int x = 0; x < map.width(); ++x)
            line[x] = qRgb((x * 7 + y) & 255, (x ^ y) & 255, ((x * y) >> 6) & 255);
    }
    return map.save(path, "JPEG", 85);
}

// The program itself when strace runs it: strace's only child.
qint64 tracedChild(qint64 stracePid)
{
    qint64 child = -1;
    waitFor(
        [&] {
            QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(stracePid));
            if (children.open(QIODevice::ReadOnly))
                child = children.readAll().trimmed().split(' ').value(0).toLongLong();
            return child > 0;
        },
        10000, 50);
    return child;
}

// One run of the program on `display`; false when it could not be started.
bool runOnce(const XDisplay& display, bool slowFsync, Figures& figures)
{
    OperatorSession session(display, "Group-A=\"0-127\\t8\\t30\\tBENCH\\t0\"\n", presetsFile());
    const double launched = nowMs();
    if (const QString problem = session.start(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return false;
    }
    const qint64 pid = slowFsync ? tracedChild(session.processId()) : session.processId();
    const QString up = QStringLiteral("main window and line up after the start");
    figures[up].tooks.push_back(nowMs() - launched);
    std::printf("%-44s %12s %12.0f\n", qPrintable(up), "", figures[up].tooks.back());
    bool ended = true;
    {
        Receiver receiver(session.lineMaster());
        Bench bench(display, session, receiver, pid, figures);
        QThread::msleep(2000); // past the start-up

        if (slowFsync) {
            bench.saves(QStringLiteral("open presets"), QStringLiteral(", slow fsync"));
        } else {
            bench.openPresets(QStringLiteral("open presets (32,767)"));
            QThread::msleep(1000);
            const double resident = bench.residentMb();
            bench.close(QStringLiteral("close presets"), kPresetsWindow, QStringLiteral("Escape"));
            bench.saves(QStringLiteral("open presets, again"), {});
            bench.helpEntry(QStringLiteral("map (6000 x 4000 JPEG)"), 2, kMap);
            bench.close(QStringLiteral("close the map"), kMap, QStringLiteral("alt+F4"));
            bench.helpEntry(QStringLiteral("summary"), 3, kSummary);
            bench.close(QStringLiteral("close the summary"), kSummary, QStringLiteral("alt+F4"));
            bench.helpEntry(QStringLiteral("clock-sync report"), 6, kMessage);
            bench.close(QStringLiteral("close the report"), kMessage, QStringLiteral("Return"));
            const QString open = QStringLiteral("resident MB, presets window open");
            figures[open].tooks.push_back(resident);
            std::printf("%-44s %12s %12.1f\n", qPrintable(open), "", resident);
        }
        const QString end = QStringLiteral("resident MB at the end");
        figures[end].tooks.push_back(bench.residentMb());
        std::printf("%-44s %12s %12.1f\n", qPrintable(end), "", figures[end].tooks.back());
    }
    // strace ends when the program it runs does.
    if (slowFsync && pid > 0) {
        ::kill(pid_t(pid), SIGTERM);
        if (!waitFor([&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }, 5000, 50)) {
            ::kill(pid_t(pid), SIGKILL);
            ended = false;
        }
    }
    return ended;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool slowFsync = arguments.contains(QStringLiteral("--slow-fsync"));
    const QStringList programs = QStringList(arguments).filter(QRegularExpression(QStringLiteral("^[^-]")));
    const int runs = std::max(1, programs.value(1, QStringLiteral("1")).toInt());
    if (programs.isEmpty() || programs.size() > 2) {
        std::fprintf(stderr, "usage: stall_bench PROGRAM [RUNS] [--slow-fsync]\n");
        return 2;
    }
    if (const QString missing = XDisplay::missingTools(); !missing.isEmpty()) {
        std::fprintf(stderr, "needs %s\n", qPrintable(missing));
        return 1;
    }
    if (slowFsync && QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty()) {
        std::fprintf(stderr, "--slow-fsync needs strace\n");
        return 1;
    }

    // A copy of the program in a folder of its own, beside the large map: the program looks in its own folder first.
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("quillmarch"));
    if (!QFile::copy(programs.first(), copy) ||
        !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(programs.first()));
        return 1;
    }
    if (!slowFsync && !writeMap(folder.filePath(QStringLiteral("clientmap.jpg")))) {
        std::fprintf(stderr, "cannot write the map picture\n");
        return 1;
    }
    QString started = copy;
    if (slowFsync) {
        started = folder.filePath(QStringLiteral("slow-fsync"));
        QFile wrapper(started);
        if (!wrapper.open(QIODevice::WriteOnly))
            return 1;
        wrapper.write("#!/bin/sh\nexec strace -f -e inject=fsync:delay_enter=2000000 "
                      "-e inject=fdatasync:delay_enter=2000000 -o /dev/null \"" +
                      QFile::encodeName(copy) + "\" \"$@\"\n");
        wrapper.close();
        wrapper.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("QUILLMARCH_BINARY", QFile::encodeName(started));

    XDisplay display;
    if (const QString problem = display.start(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    Figures figures;
    for (int run = 1; run <= runs; ++run) {
        std::printf("run %d%s\n%-44s %12s %12s %12s\n", run,
                    slowFsync ? ", under strace: every fsync and fdatasync delayed by 2 s" : "", "action", "gap (ms)",
                    "took (ms)", "on disk (ms)");
        if (!runOnce(display, slowFsync, figures))
            return 1;
    }
    if (runs > 1) {
        std::printf("\nmedian over %d runs\n%-44s %12s %12s %12s\n", runs, "action", "gap (ms)", "took (ms)",
                    "on disk (ms)");
        for (const Figures::Row& row : figures.rows) {
            const int decimals = row.name.contains(QStringLiteral("MB")) ? 1 : 0;
            const auto medianText = [decimals](const std::vector<double>& all) {
                std::vector<double> reached;
                std::copy_if(all.begin(), all.end(), std::back_inserter(reached),
                             [](double t) { return !std::isnan(t); });
                if (all.empty())
                    return QString();
                if (reached.size() < all.size())
                    return QStringLiteral("%1 not done").arg(all.size() - reached.size());
                return QString::number(median(reached), 'f', decimals);
            };
            std::printf("%-44s %12s %12s %12s\n", qPrintable(row.name), qPrintable(medianText(row.gaps)),
                        qPrintable(medianText(row.tooks)), qPrintable(medianText(row.onDisk)));
        }
    }
    return 0;
}
