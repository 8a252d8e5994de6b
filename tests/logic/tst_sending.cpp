// What reaches the clocks: the packet, the refresh cycle, the tick's schedule, the link chosen and its lock, the
// panels while sending, the PC clock's state, and the service following the settings file. (The service's journal is
// tested on the real program.)
#include "PacketDecoder.h"
#include "app/ClockPacket.h"
#include "app/CommandCourier.h"
#include "app/CommandLine.h"
#include "app/LinkLock.h"
#include "app/LinkSelection.h"
#include "app/ManagerNotices.h"
#include "app/PlaceWatch.h"
#include "app/RefreshCycle.h"
#include "app/SettingsFollower.h"
#include "app/StatusClock.h"
#include "app/TickSchedule.h"
#include "app/frmComm.h"
#include "model/CodeTables.h"
#include "model/HandOver.h"
#include "model/LocalTime.h"
#include "model/SettingsStore.h"
#include "model/Windows1252.h"
#include "platform/ClockSync.h"
#include "support/CommRig.h"
#include "support/Pty.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/timex.h>
#include <utime.h>

namespace {
const QDateTime kExampleTime(QDate(2026, 12, 5), QTime(10, 8, 3), Qt::UTC);

void define(GroupTables& t, int group, std::initializer_list<int> clocks)
{
    t.EditGroups[size_t(group)].Clocks = {};
    for (int n : clocks)
        t.EditGroups[size_t(group)].Clocks[size_t(n)] = true;
    UpdateFirstClock(t, group);
    t.ActiveGroups[size_t(group)] = t.EditGroups[size_t(group)];
}

// The clock after (group, clock) among all defined clocks, found independently of the cycle.
QPair<int, int> successor(const GroupTables& t, int group, int clock)
{
    for (int step = 1; step <= 26 * 128; ++step) {
        const int flat = (group * 128 + clock + step) % (26 * 128);
        if (t.ActiveGroups[size_t(flat / 128)].Clocks[size_t(flat % 128)])
            return {flat / 128, flat % 128};
    }
    return {-1, -1};
}
} // namespace

Q_DECLARE_METATYPE(KernelClockReading)

class tst_Sending : public QObject
{
    Q_OBJECT

private slots:
    void packetFields_data();
    void packetFields();
    void packetReadBackByTheMonitor_data();
    void packetReadBackByTheMonitor();
    void commandsGivenToTheService();
    void randomRunKeepsItsPromises();
    void schedule_data();
    void schedule();
    void statusClockDateWaitsForTheMinute();
    void commandLine_data();
    void commandLine();
    void chooseLink_data();
    void chooseLink();
    void linkHeldByAnotherSender();
    void panelsWhileSending();
    void clockSync_data();
    void clockSync();
    void followerReadsOnlyAGoodFile_data();
    void followerReadsOnlyAGoodFile();
    void handOverKeepsEveryGroup_data();
    void handOverKeepsEveryGroup();
    void placeFindingToldOnce();
};

void tst_Sending::packetFields_data()
{
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("clock");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sent"); // the 20 text bytes
    QTest::newRow("first year, empty text")
        << QDateTime(QDate(1984, 1, 1), QTime(0, 0), Qt::UTC) << 0 << 0 << "" << QString(20, u' ');
    QTest::newRow("last second, 19 characters: one blank after")
        << QDateTime(QDate(2239, 12, 31), QTime(23, 59, 59), Qt::UTC) << 255 << 127 << "ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ"
        << "ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ ";
    QTest::newRow("leap day, 25 characters cut to 20")
        << QDateTime(QDate(2028, 2, 29), QTime(12, 30, 45), Qt::UTC) << 236 << 64 << "ABCDEFGHIJKLMNOPQRSTUVWXY"
        << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("odd length, own blanks kept")
        << kExampleTime << 1 << 42 << " € " << QString(8, u' ') + " € " + QString(9, u' ');
}

void tst_Sending::packetFields()
{
    QFETCH(QDateTime, utc);
    QFETCH(int, command);
    QFETCH(int, clock);
    QFETCH(QString, text);
    QFETCH(QString, sent);
    GroupRecord group;
    group.CommandCode = qint16(command);
    group.ZoneIndex = 28;
    group.DaylightIndex = 38;
    group.DisplayText = text;
    const QByteArray p = BuildClockPacket(group, clock, utc);
    quint8 sum = 0;
    for (char b : p)
        sum = quint8(sum + quint8(b));
    QCOMPARE(p.size(), 50);
    QCOMPARE(sum, quint8(0));
    // the packet's first twelve bytes in order
    // clang-format off
    const QList<int> fields = {0x29, utc.time().second(), utc.time().minute(), utc.time().hour(), utc.date().day(),
                               utc.date().month(), utc.date().year() - 1984, 0, command, clock,
                               TimeZoneList[28].code, DaylightList[38].code};
    // clang-format on
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(int(quint8(p.at(i))), fields[i]);
    QCOMPARE(p.mid(12, 20), ToWindows1252(sent));
    QCOMPARE(p.mid(32, 17), QByteArray(17, '\0'));
}

void tst_Sending::packetReadBackByTheMonitor_data()
{
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : {20261205u, 1984u, 2239u})
        QTest::addRow("seed %u", seed) << seed;
}

// Random groups, clocks and moments, the texts with Windows-1252's high letters: what the program sends, the
// monitor reads back field by field, whatever offset from UTC the moment is given in.
void tst_Sending::packetReadBackByTheMonitor()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const QDateTime first(QDate(kFirstPacketYear, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 span = first.msecsTo(QDateTime(QDate(kLastPacketYear + 1, 1, 1), QTime(0, 0), Qt::UTC));
    for (int round = 0; round < 300; ++round) {
        GroupRecord group;
        group.ZoneIndex = qint16(random.bounded(int(TimeZoneList.size())));
        group.DaylightIndex = qint16(random.bounded(int(DaylightList.size())));
        group.CommandCode = qint16(random.bounded(256));
        for (int n = random.bounded(kDisplayTextLength + 4); n > 0; --n) {
            const QString c = FromWindows1252(QByteArray(1, char(random.bounded(0x20, 0x100))));
            group.DisplayText += c == QChar(0xFFFD) ? QStringLiteral("€") : c;
        }
        const int clock = random.bounded(kClockCount);
        const QDateTime utc = first.addMSecs(random.bounded(span));
        const QByteArray sent = BuildClockPacket(group, clock, utc.toOffsetFromUtc(random.bounded(-50, 51) * 900));
        const std::optional<DecodedPacket> read = DecodePacket(sent);
        QVERIFY(read);
        const auto fields = [](auto... v) { return QStringList{QString::number(v)...}.join(u' '); };
        const QDate d = utc.date();
        const QTime t = utc.time();
        const QString expected =
            fields(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), clock, group.CommandCode,
                   TimeZoneList[size_t(group.ZoneIndex)].code, DaylightList[size_t(group.DaylightIndex)].code);
        const QString got = fields(read->year, read->month, read->day, read->hour, read->minute, read->second,
                                   read->clock, read->command, read->zone, read->daylight);
        const QString text = FormatDisplayText(group.DisplayText);
        // From the codes alone, the monitor finds what the group's positions make the clock show.
        const ShownTime shown = LocalTimeShown(group.ZoneIndex, group.DaylightIndex, utc);
        QCOMPARE(ShownLocalText(*read), shown.off ? "off" : shown.local.toString("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(got == expected && read->text == text && read->checksumOk && read->fieldsOk(),
                 qPrintable(QStringLiteral("seed %1, round %2: sent %3 \"%4\", read %5 \"%6\"%7 %8")
                                .arg(seed)
                                .arg(round)
                                .arg(expected, text, got, read->text,
                                     read->checksumOk ? QString() : QStringLiteral(" bad checksum"),
                                     read->problems.join(u','))));
    }
}

// Commands given to the service wait for a hand-over under way and for each other, reach each clock of their group
// once and are told done; one whose group has lost its clocks meanwhile is dropped.
void tst_Sending::commandsGivenToTheService()
{
    GroupTables t;
    define(t, 0, {1, 2});
    define(t, 2, {5});
    RefreshCycle cycle(t);
    CommandCourier courier(t);
    QStringList done;
    connect(&courier, &CommandCourier::done, [&](int g, int code, bool reached) {
        done << QStringLiteral("%1:%2:%3").arg(IndexToLetter(g)).arg(code).arg(reached);
    });
    QCOMPARE(courier.give("B", 220), "Group B has no clocks");
    QCOMPARE(courier.give("AB", 220), "A group is a letter A to Z, not \"AB\"");
    QCOMPARE(courier.give("A", 237), "A command is one the command keys send: 236, 172, 156, or 220 for the factory "
                                     "reset; not 237");
    QVERIFY(HandOver(t).offer(2)); // a window's apply, not yet taken over
    QCOMPARE(courier.give("A", 220), QString());
    QCOMPARE(courier.give("A", 172), "Group A has a command on its way: give the next once it has reached the clocks");
    QCOMPARE(courier.give("C", 236), QString());
    QStringList sent;
    for (int tick = 0; tick < 8; ++tick) {
        QVERIFY(cycle.RefreshNextClock());
        sent << QStringLiteral("%1%2:%3")
                    .arg(IndexToLetter(cycle.CurrentGroup))
                    .arg(cycle.CurrentClock)
                    .arg(t.ActiveGroups[size_t(cycle.CurrentGroup)].CommandCode);
        courier.afterTick();
    }
    QCOMPARE(sent.join(' '), "C5:0 A1:220 A2:220 C5:0 C5:236 A1:0 A2:0 C5:0");
    QCOMPARE(done, QStringList({"A:220:1", "C:236:1"}));
    t.EditGroups[0].Clocks = {}; // a window empties A while the next command is given
    QVERIFY(HandOver(t).offer(0));
    QCOMPARE(courier.give("A", 156), QString());
    cycle.RefreshNextClock();
    courier.afterTick();
    QCOMPARE(done.value(2), "A:156:0");
}

// Random groups applied at random: every tick visits the next defined clock, or the applied group's first clock at
// once; a group the walk has left has no command pending; with no clock at all nothing is found.
void tst_Sending::randomRunKeepsItsPromises()
{
    QRandomGenerator random(20261206);
    GroupTables t;
    RefreshCycle cycle(t);
    int lastGroup = -1, lastClock = -1;
    for (int tick = 0; tick < 100000; ++tick) {
        int applied = -1;
        if (random.bounded(20) == 0) {
            applied = random.bounded(26);
            GroupRecord& g = t.EditGroups[size_t(applied)];
            g.Clocks = {};
            for (int i = random.bounded(4) == 0 ? 0 : random.bounded(1, 12); i > 0; --i)
                g.Clocks[size_t(random.bounded(128))] = true;
            g.CommandCode = random.bounded(3) == 0 ? qint16(random.bounded(1, 256)) : qint16(0);
            QVERIFY(HandOver(t).offer(applied));
        }
        const bool found = cycle.RefreshNextClock();
        QVERIFY(HandOver(t).idle());
        if (applied >= 0)
            QVERIFY(t.ActiveGroups[size_t(applied)].Clocks == t.EditGroups[size_t(applied)].Clocks);
        QCOMPARE(found, std::any_of(t.ActiveGroups.begin(), t.ActiveGroups.end(),
                                    [](const GroupRecord& g) { return g.FirstClock != -1; }));
        if (!found) {
            lastGroup = -1;
            continue;
        }
        const int g = cycle.CurrentGroup, c = cycle.CurrentClock;
        QVERIFY(t.ActiveGroups[size_t(g)].Clocks[size_t(c)]);
        const bool jumped = applied >= 0 && t.ActiveGroups[size_t(applied)].FirstClock != -1;
        if (jumped)
            QCOMPARE(qMakePair(g, c), qMakePair(applied, int(t.ActiveGroups[size_t(applied)].FirstClock)));
        else if (lastGroup >= 0)
            QVERIFY2(successor(t, lastGroup, lastClock) == qMakePair(g, c), qPrintable(QString::number(tick)));
        if (!jumped && lastGroup >= 0 && lastGroup != g)
            QCOMPARE(t.ActiveGroups[size_t(lastGroup)].CommandCode, qint16(0));
        lastGroup = g;
        lastClock = c;
    }
}

void tst_Sending::schedule_data()
{
    // When the tick runs relative to its deadline; whether it waits; the next deadline counted from this one ("due")
    // or from when the tick ran ("now").
    QTest::addColumn<qint64>("runsAtMs");
    QTest::addColumn<bool>("waits");
    QTest::addColumn<QString>("nextFrom");
    QTest::newRow("woken early by the timer: waits, keeps the beat") << qint64(-3) << true << "due";
    QTest::newRow("late: no drift, the late time is not carried on") << qint64(200) << false << "due";
    QTest::newRow("a whole period late: no burst of catch-up ticks") << qint64(400) << false << "now";
    QTest::newRow("run directly, long before its time") << qint64(-300) << false << "now";
}

void tst_Sending::schedule()
{
    QFETCH(qint64, runsAtMs);
    QFETCH(bool, waits);
    QFETCH(QString, nextFrom);
    const TickSchedule::Ns start = 5'000'000'000;
    TickSchedule schedule;
    schedule.start(start);
    const TickSchedule::Ns due = schedule.due();
    QCOMPARE(due, start + 333'000'000);
    QCOMPARE(schedule.timerDelayMs(start), 331); // wakes early, then sleeps to the deadline
    const TickSchedule::Ns now = due + runsAtMs * 1'000'000;
    QCOMPARE(schedule.waitsFor(now), waits);
    schedule.advance(waits ? due : now);
    QCOMPARE(schedule.due(), (nextFrom == "due" ? due : now) + 333'000'000);
}

void tst_Sending::statusClockDateWaitsForTheMinute()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RecordingPanels panels;
    StatusClock status;
    const auto at = [&](int day, QTime t) { status.UpdateStatusClock(QDateTime(QDate(2026, 12, day), t), panels); };
    at(5, QTime(23, 59, 59));
    QCOMPARE(panels.texts[2] + " " + panels.texts[3], "Sat, Dec 05, 2026 23:59:59");
    at(6, QTime(0, 0, 58)); // past midnight the date waits for the first tick whose second is 0
    QCOMPARE(panels.texts[2] + " " + panels.texts[3], "Sat, Dec 05, 2026 00:00:58");
    at(6, QTime(0, 1, 0));
    QCOMPARE(panels.texts[2] + " " + panels.texts[3], "Sun, Dec 06, 2026 00:01:00");
}

void tst_Sending::commandLine_data()
{
    using R = CommandLine::Request;
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<R>("request");
    QTest::addColumn<QString>("text"); // the link's text; for --match-zone the zone and years, "-" without a zone
    // clang-format off
    QTest::newRow("none: the window on COM1") << QStringList{} << R::Window << "";
    QTest::newRow("split by the shell") << QStringList{"UDP", "5000"} << R::Window << "UDP 5000";
    QTest::newRow("command after a link") << QStringList{"COM1", "--status"} << R::Window << "COM1 --status";
    QTest::newRow("command with company") << QStringList{"--help", "COM1"} << R::Window << "--help COM1";
    for (const char* word : {"--h", "-hv", "--help-all", "--", "-style", "--match-zone=Europe/Berlin"})
        QTest::newRow(word) << QStringList{word} << R::Window << word;
    QTest::newRow("service: the words as typed") << QStringList{"--service", "--status", "x"} << R::Service << "--status x";
    QTest::newRow("service alone") << QStringList{"--service"} << R::Service << "";
    QTest::newRow("zone missing") << QStringList{"--match-zone"} << R::MatchZone << "-";
    QTest::newRow("zone, years like an option") << QStringList{"--match-zone", "Europe/Berlin", "--help"} << R::MatchZone << "Europe/Berlin --help";
    QTest::newRow("zone, too many") << QStringList{"--match-zone", "a", "b", "c"} << R::Window << "--match-zone a b c";
    // --check-places: the days, 0 when refused, and "+" for groups on standard input
    QTest::newRow("places, the program's own") << QStringList{"--check-places", "--groups-on-stdin"} << R::CheckPlaces << "365+";
    for (const QStringList& after : {QStringList{"--days"}, {"--days", "0"}, {"--days", "3651"}, {"--days", "x"}, {"COM1"}})
        QTest::addRow("places, %s", qPrintable(after.join(' '))) << QStringList{"--check-places"} + after << R::CheckPlaces << "0";
    // clang-format on
    for (const auto& [word, request] : {std::pair{"-h", R::Help},
                                        {"--help", R::Help},
                                        {"-v", R::Version},
                                        {"--version", R::Version},
                                        {"--list-ports", R::ListPorts},
                                        {"--status", R::Status},
                                        {"--clock-times", R::ClockTimes}})
        QTest::newRow(word) << QStringList{word} << request << word;
}

// Only the first word asks for something; the link's words, whatever they look like, are the operator's text.
void tst_Sending::commandLine()
{
    QFETCH(QStringList, words);
    QFETCH(CommandLine::Request, request);
    QFETCH(QString, text);
    const CommandLine line(words);
    QCOMPARE(line.request(), request);
    if (request == CommandLine::Request::MatchZone)
        QCOMPARE(line.zoneGiven() ? line.zone() + ' ' + line.years() : "-", text);
    else if (request == CommandLine::Request::CheckPlaces)
        QCOMPARE(QString::number(line.days()) + (line.groupsOnStdin() ? "+" : ""), text);
    else if (request == CommandLine::Request::Window || request == CommandLine::Request::Service)
        QCOMPARE(line.linkText(), text);
}

void tst_Sending::chooseLink_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("device"); // "" for UDP, "-" for not recognised
    QTest::addColumn<QString>("panel");
    // clang-format off
    QTest::newRow("no argument is COM1") << "" << "/dev/ttyS0" << "Using COM1";
    QTest::newRow("lower case, blanks around") << "  com3 " << "/dev/ttyS2" << "Using COM3";
    QTest::newRow("split by the shell") << "UDP 5000" << "" << "Using UDP:5000";
    QTest::newRow("half rounds to even") << "COM3.5" << "/dev/ttyS3" << "Using COM4";
    const QString byId = "/dev/serial/by-id/usb-FTDI_A1";
    QTest::newRow("device path keeps its case") << byId << byId << "Using " + byId;
    for (const char* bad :
         {"COM0", "COM65536", "UDP70000", "LPT1", "COM1e3", "/DEV/ttyS0", "/dev/../etc/passwd", "/dev/tty\nS0"})
        QTest::newRow(bad) << QString::fromLatin1(bad) << "-" << "";
    // clang-format on
}

void tst_Sending::chooseLink()
{
    QFETCH(QString, argument);
    QFETCH(QString, device);
    const LinkChoice choice = ChooseLink(argument);
    if (device == "-") {
        QCOMPARE(choice.CommMode, LinkKind::None);
        QCOMPARE(choice.failureText, "The command line argument \"" + argument +
                                         "\"is not recognized\rPlease specify argument as \"COM#\" or \"UDP#\" alone, "
                                         "where # is replaced by\rthe serial COM port number or network UDP port "
                                         "number to use.");
        return;
    }
    QCOMPARE(choice.CommMode, device.isEmpty() ? LinkKind::Udp : LinkKind::Serial);
    QCOMPARE(choice.device, device);
    QTEST(LinkPanelText(choice), "panel");
}

// Refused while another sender holds the link, and again with its lock file an hour old and no native lock on it
// (as on a file system that keeps none): a lock whose holder still runs is never taken over for its age.
void tst_Sending::linkHeldByAnotherSender()
{
    Pty pty;
    const QString key = LinkLock::SerialKey(pty.slavePath);
    QFile lockFile(LinkLock::DefaultFolder() + '/' + LinkLock::FileName(key));
    auto other = std::make_unique<LinkLock>();
    QString detail;
    QCOMPARE(other->acquire(key, detail), LinkLock::Outcome::Acquired);
    QVERIFY(lockFile.open(QIODevice::ReadOnly));
    const QByteArray held = lockFile.readAll();
    lockFile.close();
    for (const bool aged : {false, true}) {
        if (aged) {
            other.reset();
            QVERIFY(lockFile.open(QIODevice::WriteOnly) && lockFile.write(held) == held.size());
            lockFile.close();
            const utimbuf anHourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
            QCOMPARE(utime(QFile::encodeName(lockFile.fileName()).constData(), &anHourAgo), 0);
        }
        CommRig rig;
        rig.comm.Form_Load(pty.slavePath);
        QCOMPARE(rig.dialogs.calls.size(), 1);
        QCOMPARE(
            rig.dialogs.calls[0].text,
            QStringLiteral("Comm Port \"%1\" is in use by another Quillmarch\rtst_sending (process %2) sends on it; "
                           "this one sends nothing, so the two do not garble each other.")
                .arg(pty.slavePath)
                .arg(getpid()));
        QCOMPARE(rig.comm.CommMode(), LinkKind::None);
    }
    QVERIFY(lockFile.remove()); // its holder gone, the link is free
    CommRig next;
    next.comm.Form_Load(pty.slavePath);
    QCOMPARE(next.comm.CommMode(), LinkKind::Serial);
}

void tst_Sending::panelsWhileSending()
{
    CommRig rig;
    rig.comm.Form_Load("UDP5000");
    rig.comm.Timer1.stop();
    const auto tick = [&] { QMetaObject::invokeMethod(&rig.comm, "Timer1_Timer"); };
    ManagerNotices notices; // a service with nothing to send is ready all the same, and says so once
    tick();
    QCOMPARE(rig.panels.texts[0], "No Clocks Defined");
    QCOMPARE(notices.afterTick(rig.comm), "WATCHDOG=1\nSTATUS=No Clocks Defined\nREADY=1");
    define(rig.tables, 0, {1, 2});
    tick();
    QCOMPARE(notices.afterTick(rig.comm), "WATCHDOG=1\nSTATUS=Sending to Clock Number 1");
    tick();
    QCOMPARE(rig.sent, QList<QByteArray>({BuildClockPacket(rig.tables.ActiveGroups[0], 1, rig.clock.utc),
                                          BuildClockPacket(rig.tables.ActiveGroups[0], 2, rig.clock.utc)}));
    QCOMPARE(rig.panels.texts[0] + " / " + rig.panels.texts[3], "Sending to Clock Number 2 / 11:08:03");
    // A year the packet cannot carry: nothing is sent, the operator sees why, sending resumes by itself.
    rig.clock.utc = QDateTime(QDate(2240, 1, 1), QTime(0, 0), Qt::UTC);
    tick();
    QCOMPARE(rig.panels.texts[0], "Not Sending: PC clock year 2240 is outside 1984..2239");
    rig.clock.utc = kExampleTime;
    rig.failWith = "Unable to send a message"; // a failing link: shown, and the next good write clears it
    tick();
    QCOMPARE(rig.panels.texts[0], "Send Error: Unable to send a message");
    rig.failWith.clear();
    tick();
    QCOMPARE(rig.sent.size(), 3);
    QCOMPARE(rig.panels.texts[0], "Sending to Clock Number 1");
}

void tst_Sending::clockSync_data()
{
    QTest::addColumn<QByteArray>("timedatectl"); // empty: the kernel's reading instead
    QTest::addColumn<KernelClockReading>("kernel");
    QTest::addColumn<bool>("synchronised");
    QTest::addColumn<QString>("says");
    QTest::newRow("kernel: small error") << QByteArray() << KernelClockReading{TIME_OK, 0, 35000, 1200, {}} << true
                                         << "Estimated error: 1.2 ms.";
    QTest::newRow("kernel: 16 s") << QByteArray() << KernelClockReading{TIME_OK, 0, 16'000'000, 0, {}} << false
                                  << "sudo apt-get install chrony";
    QTest::newRow("timedatectl: synchronised") << QByteArray("CanNTP=yes\nNTP=yes\nNTPSynchronized=yes\n")
                                               << KernelClockReading{} << true << "(as reported by timedatectl)";
    QTest::newRow("timedatectl: switched on, no server reached")
        << QByteArray("CanNTP=yes\nNTP=yes\nNTPSynchronized=no\n") << KernelClockReading{} << false
        << "timedatectl timesync-status";
    QTest::newRow("timedatectl: no service installed")
        << QByteArray("CanNTP=no\nNTP=no\nNTPSynchronized=no\n") << KernelClockReading{} << false
        << "sudo apt-get install systemd-timesyncd";
}

void tst_Sending::clockSync()
{
    QFETCH(QByteArray, timedatectl);
    QFETCH(KernelClockReading, kernel);
    QFETCH(bool, synchronised);
    QFETCH(QString, says);
    ClockSyncState state;
    if (timedatectl.isEmpty())
        state = ClockSyncFromKernel(kernel);
    else
        QVERIFY(ParseTimedatectlShow(timedatectl, state));
    QCOMPARE(state.synchronized, synchronised);
    QCOMPARE(ClockSyncPanelText(state), synchronised ? "PC Clock Synchronised" : "PC Clock NOT Synchronised");
    const ClockSyncReport report = DescribeClockSync(state);
    QCOMPARE(report.problem, !synchronised);
    QVERIFY2(report.text.contains(says), qPrintable(report.text));
}

void tst_Sending::followerReadsOnlyAGoodFile_data()
{
    QTest::addColumn<QByteArray>("damage"); // put into the file after the window's save
    QTest::addColumn<QList<int>>("queued");
    QTest::newRow("a group saved by the window") << QByteArray() << QList<int>{1};
    QTest::newRow("a NUL: the groups in force stay") << QByteArray("\nx=\0\n", 5) << QList<int>{};
    QTest::newRow("broken UTF-8: the groups in force stay") << QByteArray("\nx=\xC3(\n") << QList<int>{};
}

void tst_Sending::followerReadsOnlyAGoodFile()
{
    QFETCH(QByteArray, damage);
    QTemporaryDir dir;
    const QString path = dir.filePath("q.ini");
    GroupTables tables;
    define(tables, 0, {3});
    SettingsStore window(path);
    SaveGroup(tables, window, 0);
    SettingsFollower follower(tables, path);
    define(tables, 1, {4});
    SaveGroup(tables, window, 1);
    tables.EditGroups[1] = tables.ActiveGroups[1] = {};
    QFile file(path);
    QVERIFY(damage.isEmpty() || (file.open(QIODevice::Append) && file.write(damage) == damage.size()));
    file.close();
    follower.reread();
    QTEST(follower.queued(), "queued");
}

void tst_Sending::handOverKeepsEveryGroup_data()
{
    // Steps: a letter offers that group from a window; "s" the service follower's turn (it saw D and E saved); "t"
    // the cycle's take-over. The result of each: "+" offered, "-" refused, the letter taken over, "." nothing.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("results");
    // clang-format off
    QTest::newRow("a second offer waits for the first") << "A B t B t t" << "+ - A + B .";
    QTest::newRow("service's two saved groups, one per take-over") << "s s t s t" << "+ - D + E";
    QTest::newRow("the service waits for a window's apply") << "A s t s t" << "+ - A + D";
    // clang-format on
}

void tst_Sending::handOverKeepsEveryGroup()
{
    QFETCH(QString, steps);
    QTemporaryDir dir;
    GroupTables tables, saved;
    SettingsFollower follower(tables, dir.filePath("q.ini"));
    define(saved, 3, {30});
    define(saved, 4, {40, 41});
    SettingsStore window(dir.filePath("q.ini"));
    SaveGroup(saved, window, 3);
    SaveGroup(saved, window, 4);
    follower.reread();
    HandOver handOver(tables);
    QStringList results;
    for (const QString& step : steps.split(u' ')) {
        const int before = handOver.pending(), taken = step == "t" ? handOver.takeOver() : -1;
        if (step == "t")
            results << (taken < 0 ? "." : IndexToLetter(taken));
        else if (step == "s")
            results << (follower.handOver(), handOver.pending() != before ? "+" : "-");
        else
            results << (handOver.offer(LetterToIndex(step)) ? "+" : "-");
    }
    QTEST(results.join(u' '), "results");
    // What the service took over is in force, whole.
    QCOMPARE(tables.ActiveGroups[4].FirstClock, qint16(steps.count(u's') == 3 ? 40 : -1));
}

// A finding is told once while it stays; a new one, or one gone and back, is told again. The watch checks again when
// the groups settle on something new or a database file is replaced.
void tst_Sending::placeFindingToldOnce()
{
    QTemporaryDir zones;
    QList<PlacedGroup> groups{{2, "Test/X", 15, 36}};
    QString verdict = "d1"; // of every place; "" for exact
    int checks = 0;
    PlaceWatch watch([&] { return groups; },
                     [&](const QList<PlacedGroup>& asked, QObject*, const PlaceWatch::Done& done) {
                         ++checks;
                         QList<PlaceFinding> found;
                         for (const PlacedGroup& g : asked)
                             found.append({g.index, g.place, PlaceFinding::Verdict(!verdict.isEmpty()), verdict});
                         done(found, {});
                     },
                     zones.path());
    QStringList told;
    connect(&watch, &PlaceWatch::newFindings, this, [&](const QList<PlaceFinding>& findings) {
        for (const PlaceFinding& f : findings)
            told << f.detail;
    });
    watch.start();
    watch.poll(); // nothing new: no check
    groups.append({4, "Test/Y", 15, 36});
    watch.poll(); // saved a moment ago: waits for the next look
    QCOMPARE(checks, 1);
    watch.poll();
    QCOMPARE(checks, 2);
    QDir().mkpath(zones.filePath("Test"));
    for (const char* v : {"d2", "", "d2", "d2"}) { // each time a new file of a new size, as an update writes it
        verdict = v;
        QFile file(zones.filePath("Test/X"));
        QVERIFY(file.open(QIODevice::Append) && file.write("z") == 1);
        file.close();
        watch.poll();
    }
    QCOMPARE(checks, 6);
    QCOMPARE(told, (QStringList{"d1", "d1", "d2", "d2", "d2", "d2"}));
    QCOMPARE(watch.problemLines(), (QStringList{"C\tTest/X\tdiffers\td2", "E\tTest/Y\tdiffers\td2"}));
}

QTEST_GUILESS_MAIN(tst_Sending)
#include "tst_sending.moc"
