// The real programs under a test: each in a home of its own, on a pseudo-terminal or in a private network, its
// output collected, and always ended with the test that started it.
#pragma once

#include "support/Pty.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/prctl.h>

// The program's folders all inside `home`, and no display needed.
inline QProcessEnvironment ProgramEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    return env;
}

// Writes the settings file the program will find in `home`; returns its path, empty when it could not be written.
inline QString WriteSettings(const QTemporaryDir& home, const QByteArray& contents)
{
    const QString path = home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini"));
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) ||
        file.write(contents) != contents.size())
        return {};
    return path;
}

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// User and system CPU time of a process so far, in seconds; -1 when it is gone.
inline double CpuSeconds(qint64 pid)
{
    const QByteArray stat = contentOf(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArrayList fields = stat.mid(stat.lastIndexOf(')') + 2).split(' '); // utime and stime: 12th, 13th
    return fields.size() < 13 ? -1 : (fields[11].toDouble() + fields[12].toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

// A session bus of the test's own, on a socket in `folder`; empty `address` when it did not start.
struct PrivateBus
{
    explicit PrivateBus(const QString& folder)
    {
        daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                      QStringLiteral("--address=unix:path=") + folder + "/bus"});
        if (daemon.waitForStarted() && daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished();
    }
    QProcess daemon;
    QString address;
};

// A zone database of the test's own: zic's output in `folder`, mounted over the system's for one program (and the
// processes it starts) only. Files replaced in `folder` later are seen by that program as a package update.
struct PrivateZones
{
    // Zones and links in zic's source form; `year` in it stands for next year.
    static bool compile(const QString& folder, QByteArray source)
    {
        source.replace("NEXT", QByteArray::number(QDate::currentDate().year() + 1));
        QFile file(folder + "/zones.src");
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(source) != source.size())
            return false;
        file.close();
        return QProcess::execute("zic", {"-d", folder + "/db", file.fileName()}) == 0 && QDir().mkpath(folder + "/db");
    }
    static QStringList prefix(const QString& folder)
    {
        return {"unshare", "-m", "sh", "-c",
                "mount --bind '" + folder + "/db' /usr/share/zoneinfo || exit 91\nexec \"$0\" \"$@\""};
    }
};

// One program started by a test, ended with it: by the destructor should the test fail half-way, and by the kernel
// should the test itself die.
class RealProgram
{
public:
    explicit RealProgram(
        const QByteArray& settings = "[Settings]\nTimeWarn=False\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n")
        : ini(WriteSettings(home, settings))
    {}
    ~RealProgram()
    {
        process.kill();
        process.waitForFinished();
    }

    // Command prefixes: a network of its own where loopback is the default route, so that nothing sent can leave
    // this machine; or the network of this program, once started.
    static QStringList PrivateNetwork()
    {
        return {QStringLiteral("unshare"), QStringLiteral("-n"), QStringLiteral("sh"), QStringLiteral("-c"),
                QStringLiteral("ip link set lo up && ip route add default dev lo || exit 90\nexec \"$0\" \"$@\"")};
    }
    QStringList itsNetwork() const
    {
        return {QStringLiteral("nsenter"), QStringLiteral("--net=/proc/%1/ns/net").arg(pid())};
    }

    bool start(const QStringList& arguments, const QStringList& prefix = {},
               const QString& binary = qEnvironmentVariable("QUILLMARCH_BINARY"))
    {
        process.setProcessEnvironment(env);
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        const QStringList command = prefix + QStringList{binary} + arguments;
        process.start(command.first(), command.mid(1));
        return process.waitForStarted();
    }
    qint64 pid() const { return process.processId(); }

    // Collects standard output and error until `done` holds, the program ends or `ms` pass; whether `done` holds.
    bool waitFor(const std::function<bool()>& done, int ms = 20000)
    {
        const QDeadlineTimer deadline(ms);
        for (;;) {
            out += process.readAllStandardOutput();
            err += process.readAllStandardError();
            if (done() || deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return done();
            process.waitForReadyRead(20);
        }
    }
    bool waitForError(const QByteArray& text)
    {
        return waitFor([&] { return err.contains(text); });
    }
    // The exit status once it has ended (after SIGTERM, by default); -1 when it crashed or did not end.
    int end(int signal = SIGTERM)
    {
        if (signal && process.state() != QProcess::NotRunning)
            ::kill(pid_t(pid()), signal);
        const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(10000);
        waitFor([] { return true; });
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir home;
    QString ini;
    QProcessEnvironment env = ProgramEnvironment(home);
    Pty line;
    QProcess process;
    QByteArray out, err; // what it wrote so far
};
