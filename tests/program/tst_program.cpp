// The real program and monitor through one harness: the packets on the line, SIGTERM, the service following the
// settings, one sender per link, UDP in a private network, and the faults that would lose settings or presets or
// stop the clocks.
#include "app/ClockPacket.h"
#include "app/LinkLock.h"
#include "app/SenderBus.h"
#include "model/SettingsStore.h"
#include "presets/PresetTable.h"
#include "support/RealProgram.h"
#include "support/ScriptedDialogs.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <QTimeZone>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <termios.h>

namespace {
// Group A on clocks 1-2, then one clock each for B to Z, with quotes, a comma and a TAB: a file of a few pages.
QString groupText(int g)
{
    return g == 0 ? QStringLiteral("1-2\t8\t30\tLOBBY\t0")
                  : QStringLiteral("%1\t8\t30\tHALL %1 \"q\", TAB\t0").arg(g + 2);
}

// Fills the file system holding `folder`, then frees `pages` pages of it again; false unless it really ran full.
bool fillLeaving(const QByteArray& folder, int pages)
{
    const int fd = ::open((folder + "/fill").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray page(4096, 'f');
    while (::write(fd, page.constData(), size_t(page.size())) > 0) {
    }
    const bool full =
        errno == ENOSPC && ::ftruncate(fd, std::max<off_t>(0, ::lseek(fd, 0, SEEK_END) - pages * 4096)) == 0;
    ::close(fd);
    return full;
}

int modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Two preset tables large enough that saving one takes a while.
void fill(PresetTable& table, int which)
{
    while (table.PresetCount() > 0)
        table.RemovePreset(0);
    for (int n = 0; n < (which == 0 ? 6000 : 4500); ++n)
        table.AddPreset(QStringLiteral("Table %1 preset %2").arg(which).arg(n), qint16((n + which) % 29),
                        qint16((n * 7 + which) % 39), QStringLiteral("TEXT %1 %2").arg(which).arg(n));
}

// This test program started again as a saver: it loads the presets as the program does, then saves the two tables
// in turn until it is killed, with a line after each save that reported success.
int saveUntilKilled(const QString& presets, const QString& ini)
{
    SettingsStore settings(ini);
    settings.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("1"));
    ScriptedDialogs dialogs;
    PresetTable tables[2] = {{settings, dialogs, presets}, {settings, dialogs, presets}};
    tables[0].LoadPresets();
    fill(tables[0], 0);
    fill(tables[1], 1);
    for (int which = 0; tables[which].SavePresets(); which = 1 - which) {
        std::printf("saved\n");
        std::fflush(stdout);
    }
    return 1;
}
} // namespace

class tst_Program : public QObject
{
    Q_OBJECT

private slots:
    void windowed_data();
    void windowed();
    void serialDeviceGoneAndBack();
    void service();
    void serviceOnTheBus();
    void udp();
    void monitor();
    void timesWithoutADisplay_data();
    void timesWithoutADisplay();
    void presetSavesKilled();
    void placesChecked_data();
    void placesChecked();
    void placesFollowedByTheService();
};

void tst_Program::windowed_data()
{
    QTest::addColumn<QByteArray>("damaged"); // the settings file, when not the good one
    QTest::addColumn<int>("freePages");      // left on a full disk under the settings; -1: no full disk
    QTest::newRow("settings saved") << QByteArray() << -1;
    for (int pages = 0; pages <= 4; ++pages)
        QTest::addRow("full disk, %d pages left", pages) << QByteArray() << pages;
    const QByteArray good = "[Settings]\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n";
    QTest::newRow("damaged: a NUL") << QByteArray(good).insert(12, '\0') << -1;
    QTest::newRow("damaged: broken UTF-8") << QByteArray(good).replace("LOBBY", "LOBB\xC3") << -1;
}

// Started on a pseudo-terminal and ended by SIGTERM as if its window were closed: it sends in the groups' order at
// 9600 baud, and never leaves a settings file shortened or a damaged one without a copy; a failure is told once.
void tst_Program::windowed()
{
    QFETCH(QByteArray, damaged);
    QFETCH(int, freePages);
    RealProgram program;
    const QByteArray config = QFile::encodeName(program.home.filePath("config"));
    // A mount made here is seen by this test and the programs it starts, by nobody else, and vanishes with them.
    if (freePages >= 0 &&
        (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0))
        QSKIP("cannot make a private mount namespace here (needs root)");
    QVERIFY(freePages < 0 || ::mount("tmpfs", config.constData(), "tmpfs", 0, "size=256k") == 0);
    const auto unmount = qScopeGuard([&] { ::umount2(config.constData(), MNT_DETACH); });
    const auto key = [](int g) { return QStringLiteral("Group-%1").arg(QChar(u'A' + g)); };
    SettingsStore store(program.ini);
    for (int g = 0; g < 26; ++g)
        store.SaveSetting(key(g), groupText(g));
    store.SaveSetting(QStringLiteral("TimeWarn"), QStringLiteral("False"));
    QVERIFY(freePages < 0 || fillLeaving(config, freePages));
    // A save on the full disk, as by another program: the file must stay whole whether or not it fits (with a page
    // or two left, Qt 6.4 could rename a shortened file over it and report no error).
    store.SaveSetting(key(0), groupText(0));
    QCOMPARE(SettingsStore(program.ini).GetSetting(key(25), QString()), groupText(25));
    QVERIFY(damaged.isEmpty() || !WriteSettings(program.home, damaged).isEmpty());

    QVERIFY(program.start({program.line.slavePath}));
    const QByteArray told = damaged.isEmpty() ? "Settings are not being saved." : "is damaged and was not read";
    if (damaged.isEmpty()) {
        QList<int> clocks;
        const auto four = [&](const QByteArray& p) { return (clocks << p.at(9)).size() == 4; };
        QCOMPARE(program.line.readPackets(20000, four), Pty::Found);
        QCOMPARE(clocks, (QList<int>{1, 2, 3, 4}));
        termios tio{};
        QVERIFY(tcgetattr(program.line.master, &tio) == 0 && cfgetospeed(&tio) == B9600);
    } else { // it waits at the message box
        QVERIFY2(program.waitForError(told), program.err.constData());
    }
    QCOMPARE(program.end(), 0);

    QStringList files{"Quillmarch.ini"};
    const QSettings after(program.ini, QSettings::IniFormat);
    const bool saved = after.contains("Settings/MainLeft");
    if (!damaged.isEmpty()) {
        QCOMPARE(contentOf(program.ini + ".damaged"), damaged);
        files << "Quillmarch.ini.damaged";
    } else {
        for (int g = 0; g < 26; ++g)
            QCOMPARE(after.value("Settings/" + key(g)).toString(), groupText(g));
        QVERIFY(freePages > 0 || saved == (freePages < 0));
    }
    QCOMPARE(program.err.count(told), !damaged.isEmpty() || !saved ? 1 : 0);
    QCOMPARE(QDir(QFileInfo(program.ini).path()).entryList(QDir::Files | QDir::Hidden), files);
}

// The device behind a stable name goes away, and a new one appears under the name: the program sends to it again
// without a restart, and does not spin meanwhile.
void tst_Program::serialDeviceGoneAndBack()
{
    RealProgram program;
    const QString name = QStringLiteral("/dev/quillmarch-e2e-%1").arg(QCoreApplication::applicationPid());
    if (!QFile::link(program.line.slavePath, name))
        QSKIP("cannot make a link in /dev (needs root)");
    const auto removeLink = qScopeGuard([&] { QFile::remove(name); });
    QVERIFY(program.start({"--service", name}));
    QCOMPARE(program.line.nextPacket(), Pty::Found);

    ::close(program.line.master); // as when the far end of the line goes, then the device itself
    ::close(program.line.slave);
    program.line.master = program.line.slave = -1;
    QVERIFY2(program.waitForError("Send Error"), program.err.constData());
    const double cpuBefore = CpuSeconds(program.pid());
    QElapsedTimer away;
    away.start();
    Pty next; // pointed at in one step, as udev replaces its links
    QVERIFY(QFile::link(next.slavePath, name + ".next"));
    QVERIFY(::rename(QFile::encodeName(name + ".next").constData(), QFile::encodeName(name).constData()) == 0);
    QVERIFY2(next.nextPacket() == Pty::Found, "sends to the new device without a restart");
    const double cpuShare = (CpuSeconds(program.pid()) - cpuBefore) * 1000 / double(away.elapsed());
    QVERIFY2(cpuShare < 0.2, qPrintable(QStringLiteral("CPU share while away: %1").arg(cpuShare)));
    QCOMPARE(program.end(), 0);
    QVERIFY2(program.err.contains(" again\n"), program.err.constData());
}

// Without windows: it follows a group saved by another program, logs with priorities, keeps its line against a
// second sender even when the lock file is old, and a missing device ends it with an error.
void tst_Program::service()
{
    RealProgram first, second, missing;
    first.env.remove("QT_QPA_PLATFORM"); // no display of any kind is needed
    QVERIFY(first.start({"--service", first.line.slavePath}));
    QCOMPARE(first.line.nextPacket(), Pty::Found);
    { // what the window's Apply writes: QSettings replaces the file as a whole
        QSettings settings(first.ini, QSettings::IniFormat);
        settings.setValue("Settings/Group-C", "7\t8\t30\tNEW TEXT\t0");
    }
    QCOMPARE(first.line.readPackets(15000, [](const QByteArray& p) { return p.at(9) == 7; }), Pty::Found);

    // Age alone never makes the lock stale: its holder runs for months. Qt's own lock on the file would refuse the
    // second sender anyway; a copy of the file, without it, is what a file system without such locks leaves.
    const QString lock = first.home.filePath(LinkLock::FileName(LinkLock::SerialKey(first.line.slavePath)));
    QVERIFY(QFile::copy(lock, lock + ".copy") &&
            ::rename(QFile::encodeName(lock + ".copy"), QFile::encodeName(lock)) == 0);
    const timeval hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    QVERIFY(::utimes(QFile::encodeName(lock).constData(), hourAgo) == 0);
    second.env.insert("XDG_RUNTIME_DIR", first.home.path());
    QVERIFY(second.start({"--service", first.line.slavePath}));
    QCOMPARE(second.end(0), 1);
    const QString refused = "<3>Comm Port \"%1\" is in use by another Quillmarch; quillmarch (process %2) sends on it";
    QVERIFY2(second.err.startsWith(refused.arg(first.line.slavePath).arg(first.pid()).toUtf8()),
             second.err.constData());
    QVERIFY(QFile::exists(lock));
    QCOMPARE(first.line.nextPacket(), Pty::Found);
    QCOMPARE(first.end(), 0);
    QVERIFY2(first.err.contains("<6>group C now sends to clocks 7\n"), first.err.constData());
    QVERIFY2(first.err.contains("Synchronised: "), first.err.constData()); // the PC clock's state, checked at start

    QVERIFY(missing.start({"--service", "/dev/quillmarch-absent"}));
    QCOMPARE(missing.end(0), 1);
    QCOMPARE(missing.err, "<3>Comm Port \"/dev/quillmarch-absent\" is not available on this system; "
                          "No such file or directory\n");
}

// On a session bus and under a service manager, both the test's own: the manager hears it ready once a packet is
// out, gets panel 1 as its status and a ping with every packet; a command from the bus reaches each clock of its
// group once; `--status` tells sending, a fault and no sender apart.
void tst_Program::serviceOnTheBus()
{
    RealProgram service("[Settings]\nGroup-A=\"1-3\\t8\\t30\\tLOBBY\\t0\"\nGroup-C=\"9\\t1\\t1\\tC\\t0\"\n");
    PrivateBus bus(service.home.path());
    QVERIFY2(!bus.address.isEmpty(), "dbus-daemon did not start");
    service.env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
    const QByteArray notifyPath = QFile::encodeName(service.home.filePath("notify"));
    const int manager = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const auto closeManager = qScopeGuard([manager] { ::close(manager); });
    sockaddr_un address{AF_UNIX, {}};
    std::memcpy(address.sun_path, notifyPath.constData(), size_t(notifyPath.size()));
    QVERIFY(::bind(manager, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    service.env.insert("NOTIFY_SOCKET", QString::fromLocal8Bit(notifyPath));
    const auto status = [&](int expectedExit) {
        RealProgram asker;
        asker.env = service.env;
        if (!asker.start({"--status"}) || asker.end(0) != expectedExit)
            return QByteArray("exit ") + QByteArray::number(asker.process.exitCode()) + ": " + asker.err;
        return asker.out;
    };
    QCOMPARE(status(3), QByteArray());
    QVERIFY(service.start({"--service", service.line.slavePath}));
    QByteArrayList told;         // datagrams to the manager
    QList<QPair<int, int>> sent; // (clock, command) on the line
    const auto follow = [&](int packets) {
        for (int i = 0; i < packets; ++i) {
            const auto keep = [&](const QByteArray& p) {
                sent.append({p.at(9), quint8(p.at(8))});
                return true;
            };
            QCOMPARE(service.line.readPackets(20000, keep), Pty::Found);
            char datagram[512];
            for (ssize_t n; (n = ::recv(manager, datagram, sizeof datagram, 0)) > 0;)
                told << QByteArray(datagram, n);
        }
    };
    follow(8);
    QVERIFY2(told.value(0).startsWith("WATCHDOG=1\nSTATUS=Sending to Clock Number 1\nREADY=1"), told.join('|'));
    QVERIFY2(std::abs(told.size() - 8) <= 1 && told.join().count("READY=1") == 1, told.join('|')); // one per tick
    QVERIFY(status(0).startsWith(service.line.slavePath.toUtf8() + "\tservice\tSending to Clock Number "));

    QDBusConnection test = QDBusConnection::connectToBus(bus.address, "test");
    const auto command = [&](const QString& group) {
        QDBusMessage call = QDBusMessage::createMethodCall(SenderBus::Name(LinkLock::SerialKey(service.line.slavePath)),
                                                           SenderBus::kPath, SenderBus::kInterface, "SendCommand");
        call << group << QVariant::fromValue(uchar(220));
        return test.call(call).errorMessage();
    };
    QCOMPARE(command("B"), "Group B has no clocks");
    command("AB"); // refused, and logged as the others are
    QVERIFY(service.waitForError("<6>command 220 for group \"AB\" refused: A group is a letter A to Z, not \"AB\"\n"));
    QCOMPARE(command("A"), QString());
    // A window saves group C while the command travels: taken over mid-pass, C would send A's command round again.
    SettingsStore(service.ini).SaveSetting("Group-C", "9\t1\t1\tNEW\t0");
    sent.clear();
    follow(12); // three passes
    for (const int clock : {1, 2, 3, 9})
        QCOMPARE(sent.count({clock, 220}), clock == 9 ? 0 : 1);
    QVERIFY(service.waitForError("<6>command 220 has reached every clock of group A\n"));
    const auto saved = [](const QByteArray& p) { return p.at(9) == 9 && p.contains("NEW"); }; // held, not lost
    QCOMPARE(service.line.readPackets(5000, saved), Pty::Found);

    ::close(std::exchange(service.line.master, -1)); // the line goes: sending fails
    QVERIFY(service.waitForError("Send Error"));
    QVERIFY(status(1).contains("\tSend Error: "));
    QCOMPARE(service.end(), 0);
    QCOMPARE(status(3), QByteArray());
}

// Broadcast in a private network and received by the real monitor; the program listens on nothing, and a send
// that fails for want of a route is told, not counted as sent.
void tst_Program::udp()
{
    if (QProcess::execute("unshare", {"-n", "true"}) != 0)
        QSKIP("cannot make a private network namespace here (needs root)");
    RealProgram monitor, program("[Settings]\nTimeWarn=False\nGroup-B=\"3,9\\t8\\t30\\tHALL \xE2\x82\xAC\\t0\"\n");
    QVERIFY(monitor.start({"UDP5000", "--json"}, RealProgram::PrivateNetwork(),
                          qEnvironmentVariable("QUILLMARCH_MONITOR")));
    QVERIFY2(monitor.waitForError("listening"), monitor.err.constData());
    QVERIFY(program.start({"--service", "UDP5000"}, monitor.itsNetwork()));
    QVERIFY(monitor.waitFor([&] { return monitor.out.count('\n') >= 4; }));
    const QString packet =
        R"(\{"checksumOk":true,"clock":%1,.*"daylight":30,.*"text":"       HALL €       ",.*"zone":27,.*\n)";
    const QRegularExpression packets('^' + packet.arg(3) + packet.arg(9) + packet.arg(3) + packet.arg(9));
    QVERIFY2(packets.match(QString::fromUtf8(monitor.out)).hasMatch(), monitor.out.constData());

    // In this network only the monitor has a fixed port; the program's socket has one the kernel gave it.
    QByteArrayList tcp, udp;
    for (const QString table : {"tcp", "tcp6", "udp", "udp6"}) {
        const QByteArray rows = contentOf(QStringLiteral("/proc/%1/net/%2").arg(program.pid()).arg(table)).trimmed();
        for (const QByteArray& row : rows.split('\n').mid(1))
            (table.startsWith('t') ? tcp : udp) << row.simplified().split(' ').value(1).split(':').value(1);
    }
    QCOMPARE(tcp, QByteArrayList());
    QCOMPARE(udp.size(), 2);
    QCOMPARE(udp.count("1388"), 1); // 5000

    const QStringList ip = monitor.itsNetwork().mid(1) + QStringList{"ip", "route"};
    const QStringList loopback{"default", "dev", "lo"};
    QCOMPARE(QProcess::execute("nsenter", ip + QStringList{"del"} + loopback), 0);
    QVERIFY2(program.waitForError("<3>UDP:5000: Send Error"), program.err.constData());
    QCOMPARE(QProcess::execute("nsenter", ip + QStringList{"add"} + loopback), 0);
    QVERIFY2(program.waitForError(" again\n"), program.err.constData());
    QCOMPARE(program.end(), 0);
}

// The monitor on the slave side of a pseudo-terminal: noise, a packet, and a damaged last packet of a burst.
void tst_Program::monitor()
{
    RealProgram monitor;
    monitor.env.insert("TZ", "UTC"); // the receive time ends in Z
    QVERIFY(monitor.start({monitor.line.slavePath}, {}, qEnvironmentVariable("QUILLMARCH_MONITOR")));
    QVERIFY2(monitor.waitForError(" at 9600 8N1\n"), monitor.err.constData());
    GroupRecord group;
    group.DisplayText = "Zürich €";
    group.ZoneIndex = 8;
    group.DaylightIndex = 30; // New York in summer
    const QDateTime utc(QDate(2026, 7, 5), QTime(10, 8, 3), Qt::UTC);
    QByteArray damaged = BuildClockPacket(group, 4, utc);
    damaged[20] = char(damaged[20] ^ 0x01);
    const QByteArray stream = "xyz" + BuildClockPacket(group, 3, utc) + damaged;
    QCOMPARE(::write(monitor.line.master, stream.constData(), size_t(stream.size())), ssize_t(stream.size()));
    QVERIFY(monitor.waitFor([&] { return monitor.out.count('\n') == 3; }));
    const QRegularExpression lines(
        "Z skipped 3 bytes of noise: 78 79 7a\n"
        ".*Z clock 3 utc 2026-07-05 10:08:03 zone 27 .* daylight 30 local 2026-07-05 06:08:03 command 0 "
        "\"      Zürich €      \" ok\n"
        ".*Z clock 4 .* BAD CHECKSUM\n$");
    QVERIFY2(lines.match(QString::fromUtf8(monitor.out)).hasMatch(), monitor.out.constData());
}

void tst_Program::timesWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // patterns
    QTest::addColumn<QString>("err");
    const QString any = ".*";
    // clang-format off
    QTest::newRow("Berlin") << QStringList{"--match-zone", "Europe/Berlin", "2020-2040"} << 0 << "^15\t36\t\\(1\\) UTC\\+1 .*\texact\n" << "^$";
    QTest::newRow("New York") << QStringList{"--match-zone", "America/New_York"} << 0 << "^8\t30\t\\(27\\) UTC-5 .*\texact\n" << "^$";
    QTest::newRow("Auckland: closest") << QStringList{"--match-zone", "Pacific/Auckland", "2026"} << 1 << "^26\t32\t.*\tdiffers for 1 hour in total, in 1 period: 2026-04-05 02:00 to 03:00 UTC\\+13:00 \\(1 h behind\\)\n" << "no codes show the time of Pacific/Auckland exactly in 2026-2026";
    QTest::newRow("Auckland from now") << QStringList{"--match-zone", "Pacific/Auckland"} << 1 << "^26\t32\t.*\tdiffers for .* periods: " << "exactly from now to the end of \\d{4};";
    QTest::newRow("unknown place") << QStringList{"--match-zone", "Mars/Olympus"} << 2 << "^$" << "unknown time zone \"Mars/Olympus\"";
    QTest::newRow("years backwards") << QStringList{"--match-zone", "Europe/Berlin", "2030-2020"} << 2 << "^$" << "years must be";
    QTest::newRow("no zone") << QStringList{"--match-zone"} << 2 << "^$" << "needs a zone";
    QTest::newRow("clock times") << QStringList{"--clock-times"} << 0 << any << "^$";
    // clang-format on
}

// For scripts and a headless site: answered with no display at all. The clock times are checked against the
// system's time zones: group A (Berlin's codes) shows Berlin's time and changes when Berlin does; B is off.
void tst_Program::timesWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    RealProgram program("[Settings]\nGroup-A=\"1-2\\t15\\t36\\tA\\t0\"\nGroup-B=\"5\\t0\\t0\\tB\\t0\"\n");
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        program.env.remove(name);
    QVERIFY(program.start(arguments));
    const QDateTime before = QDateTime::currentDateTimeUtc();
    QFETCH(int, exitCode);
    QCOMPARE(program.end(0), exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QVERIFY2(QRegularExpression(out).match(QString::fromUtf8(program.out)).hasMatch(), program.out.constData());
    QVERIFY2(QRegularExpression(err).match(QString::fromUtf8(program.err)).hasMatch(), program.err.constData());
    // Without years, what is listed is still to come.
    if (const auto first = QRegularExpression("periods: (\\S+ \\S+)").match(program.out); arguments.size() == 2)
        QVERIFY(!first.hasMatch() ||
                first.captured(1) > before.toTimeZone(QTimeZone(arguments[1].toUtf8())).toString("yyyy-MM-dd HH:mm"));
    if (arguments.first() != "--clock-times")
        return;
    const QStringList rows = QString::fromUtf8(program.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 2);
    const QStringList a = rows[0].split(u'\t'), b = rows[1].split(u'\t');
    QCOMPARE(a.mid(0, 2), QStringList({"A", "1-2"}));
    const QTimeZone berlin("Europe/Berlin");
    const auto wallTime = [](const QString& text) { // as written, whatever the offset
        QDateTime t = QDateTime::fromString(text.left(19), "yyyy-MM-dd HH:mm:ss");
        t.setTimeSpec(Qt::UTC);
        return t;
    };
    const QDateTime there = before.toTimeZone(berlin);
    QVERIFY2(qAbs(wallTime(there.toString("yyyy-MM-dd HH:mm:ss")).secsTo(wallTime(a[2]))) < 5, qPrintable(a[2]));
    QCOMPARE(a[2].mid(20), there.offsetFromUtc() == 3600 ? "UTC+01:00" : "UTC+02:00");
    const QDateTime change = berlin.nextTransition(before).atUtc;
    const QString changeBefore = change.toOffsetFromUtc(there.offsetFromUtc()).toString("yyyy-MM-dd HH:mm");
    QVERIFY2(a[3].startsWith("next change " + changeBefore + " becomes "), qPrintable(a[3]));
    QCOMPARE(b.mid(0, 4), QStringList({"B", "5", "off", "no change"}));
}

// SIGKILL at random moments while the presets are being saved: the file is always one whole table, never a mix or
// a part, temporary files do not pile up, and what the saves create is readable by its owner only.
void tst_Program::presetSavesKilled()
{
    ::umask(022); // the usual umask: without care, files come out 0644
    QTemporaryDir dir;
    const QString presets = dir.filePath("data/Quillmarch/Quillmarch-Presets.txt");
    const QString ini = dir.filePath("config/Quillmarch/Quillmarch.ini");
    SettingsStore settings(dir.filePath("other.ini"));
    ScriptedDialogs dialogs;
    PresetTable table(settings, dialogs, presets);
    QByteArray expected[2];
    for (int which : {0, 1}) {
        fill(table, which);
        expected[which] = table.presetFileBytes();
    }

    QRandomGenerator random(20261206);
    const int kills = 120;
    int found[3] = {0, 0, 0}; // the first table, the second, neither
    int maxLeftovers = 0;
    for (int kill = 0; kill < kills; ++kill) {
        RealProgram saver;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saver.start({"--save", presets, ini}, {}, QCoreApplication::applicationFilePath()));
        QVERIFY(saver.waitFor([&] { return !saver.out.isEmpty(); }));
        // Anywhere in the next saves, which take less than the start did, so kills land in writing, syncing and
        // renaming alike (on any build: a sanitizer's is several times slower).
        QTest::qSleep(int(random.bounded(timer.elapsed())));
        QCOMPARE(saver.end(SIGKILL), -1);
        const QByteArray bytes = contentOf(presets);
        ++found[bytes == expected[0] ? 0 : bytes == expected[1] ? 1 : 2];
        const QStringList files = QDir(QFileInfo(presets).path()).entryList(QDir::Files | QDir::Hidden);
        maxLeftovers = std::max(maxLeftovers, int(files.size()) - 1);
    }
    qInfo("%d kills: first table %d, second %d, neither %d; at most %d temporary files left", kills, found[0], found[1],
          found[2], maxLeftovers);
    QCOMPARE(found[2], 0);
    QVERIFY(found[0] > kills / 10 && found[1] > kills / 10); // kills always at one point of the loop would prove little
    // The temporary file has no name until it is complete; a kill between naming it and the rename leaves it, and
    // the next start removes it.
    QVERIFY(maxLeftovers <= 1);
    QVERIFY(table.LoadPresets());
    QCOMPARE(QDir(QFileInfo(presets).path()).entryList(QDir::Files | QDir::Hidden), {"Quillmarch-Presets.txt"});
    for (const QString& path : {presets, ini}) {
        const QString folder = QFileInfo(path).path();
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(QFileInfo(folder).path()), 0755); // only the folder named by the program is its own
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--save")
        return saveUntilKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    tst_Program test;
    return QTest::qExec(&test, argc, argv);
}
namespace {
// A place that keeps the clocks' rule, the same under an old name, and one whose law changes next year: it keeps its
// summer time from June on, so the clocks are an hour behind from the last Sunday of October.
const QByteArray kZones = "Rule T 1981 max - Mar lastSun 1:00u 1:00 S\nRule T 1996 max - Oct lastSun 1:00u 0 -\n"
                          "Zone Test/Exact 1:00 T CE%sT\nLink Test/Exact Test/Renamed\n"
                          "Zone Test/Changing 1:00 T CE%sT NEXT Jun 1\n 2:00 - XST\n";
const QByteArray kPlacedGroups = "[Settings]\nTimeWarn=False\nGroup-A=\"1\\t15\\t36\\tA\\t0\"\nPlace-A=Test/Exact\n"
                                 "Group-B=\"2\\t15\\t36\\tB\\t0\"\nPlace-B=Test/Renamed\n"
                                 "Group-C=\"3\\t15\\t36\\tC\\t0\"\nPlace-C=Test/Changing\n";
const QByteArray kChangingFound = "C\tTest/Changing\tdiffers\tfrom NEXT-10-";
QByteArray nextYear(QByteArray text)
{
    return text.replace("NEXT", QByteArray::number(QDate::currentDate().year() + 1));
}
} // namespace

void tst_Program::placesChecked_data()
{
    QTest::addColumn<QByteArray>("zones");
    QTest::addColumn<QByteArray>("more"); // settings after the three groups
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QByteArrayList>("lines"); // each the start of a line of the output, in order
    const QByteArray exact = "\texact\texact for the next 12 months";
    QTest::newRow("one will differ") << kZones << QByteArray() << QStringList() << 1
                                     << QByteArrayList{"A\tTest/Exact" + exact, "B\tTest/Renamed" + exact,
                                                       kChangingFound};
    QTest::newRow("not within 30 days") << kZones << QByteArray() << QStringList{"--days", "30"} << 0
                                        << QByteArrayList{"A\tTest/Exact\texact\texact for the next 30 days"};
    QTest::newRow("a place gone")
        << kZones << QByteArray("Group-D=\"4\\t15\\t36\\tD\\t0\"\nPlace-D=Test/Gone\n") << QStringList() << 2
        << QByteArrayList{"A", "B", "C", "D\tTest/Gone\tunknown\tthe system's time zone database no longer knows"};
    QTest::newRow("no database") << QByteArray() << QByteArray() << QStringList() << 2
                                 << QByteArrayList{"A\tTest/Exact\tunknown\tthe system's time zone database "
                                                   "(/usr/share/zoneinfo) is empty or missing"};
}

// `--check-places` against a database of the test's own: exact, renamed, changing, gone, none at all.
void tst_Program::placesChecked()
{
    QFETCH(QByteArray, zones);
    QFETCH(QByteArray, more);
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QByteArrayList, lines);
    RealProgram program(kPlacedGroups + more);
    QVERIFY(PrivateZones::compile(program.home.filePath("zones"), zones));
    QVERIFY(
        program.start(QStringList{"--check-places"} + arguments, PrivateZones::prefix(program.home.filePath("zones"))));
    QCOMPARE(program.end(0), exit);
    const QByteArrayList out = program.out.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(out.value(i).startsWith(nextYear(lines[i])), program.out + program.err);
}

// The service tells a finding once in its journal and on the bus, sees the database updated while it runs, and
// tells the finding again when it comes back.
void tst_Program::placesFollowedByTheService()
{
    RealProgram service(kPlacedGroups);
    PrivateBus bus(service.home.path());
    QVERIFY2(!bus.address.isEmpty(), "dbus-daemon did not start");
    service.env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
    const QString zones = service.home.filePath("zones"), update = service.home.filePath("update");
    QVERIFY(PrivateZones::compile(zones, kZones));
    QVERIFY(PrivateZones::compile(update,
                                  "Rule T 1981 max - Mar lastSun 1:00u 1:00 S\n"
                                  "Rule T 1996 max - Oct lastSun 1:00u 0 -\nZone Test/Changing 1:00 T CE%sT\n"));
    const auto status = [&] {
        RealProgram asker;
        asker.env = service.env;
        asker.start({"--status"});
        asker.end(0);
        return asker.out;
    };
    const auto replace = [&](const QString& from) { // as a package update does: a new file renamed over the old
        QFile::remove(zones + "/db/Test/Changing.new");
        return QFile::copy(from, zones + "/db/Test/Changing.new") &&
               ::rename(QFile::encodeName(zones + "/db/Test/Changing.new"),
                        QFile::encodeName(zones + "/db/Test/Changing")) == 0;
    };
    QVERIFY(QFile::copy(zones + "/db/Test/Changing", service.home.filePath("changing")));
    QVERIFY(service.start({"--service", service.line.slavePath}, PrivateZones::prefix(zones)));
    const QByteArray warning = "<4>group C (Test/Changing): from " + nextYear("NEXT-10-");
    QVERIFY2(service.waitForError(warning), service.err.constData());
    const QByteArray onBus = service.line.slavePath.toUtf8() + "\tplace\t" + nextYear(kChangingFound);
    QVERIFY(service.waitFor([&] { return status().contains(onBus); }));
    QVERIFY(replace(update + "/db/Test/Changing"));
    QVERIFY(service.waitFor([&] { return !status().contains("\tplace\t"); }, 40000));
    QCOMPARE(service.err.count(warning), 1);
    QVERIFY(replace(service.home.filePath("changing")));
    QVERIFY(service.waitFor([&] { return service.err.count(warning) == 2; }, 40000));
    QCOMPARE(service.end(), 0);
}

#include "tst_program.moc"
