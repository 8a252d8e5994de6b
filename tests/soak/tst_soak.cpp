// The real program left running on a pseudo-terminal while groups change in its settings file: every byte on the
// line is part of a good packet for the right clock, in the right order, carrying the current time and the group's
// text, codes and no command; each change reaches the wire; resident memory stays flat after the first minute.
// QUILLMARCH_SOAK_SECONDS sets the length (30 by default, a regression run; 600 by hand).
#include "PacketDecoder.h"
#include "PacketFramer.h"
#include "app/ClockPacket.h"
#include "model/CodeTables.h"
#include "model/GroupTable.h"
#include "support/Pty.h"
#include "support/RealProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr int kDefaultSeconds = 30;
constexpr int kChangeEverySeconds = 3;
constexpr int kChangeDeadlineSeconds = 20; // a change not on the wire by then is lost
constexpr int kRssEverySeconds = 5;
constexpr int kRssSettledSeconds = 60;
constexpr int kRssAssertFromSeconds = 300; // shorter runs are too short for a growth figure to mean anything
constexpr qint64 kRssGrowthLimitKb = 1024;
constexpr int kChangingGroups[] = {1, 3};    // B and D change; A and C stay as they are
constexpr int kPoolStart[] = {20, 60};       // each changing group draws its clocks from its own 20
constexpr qint64 kClockSkewLimitSeconds = 5; // the packet's time against the test's, both from this machine

int soakSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("QUILLMARCH_SOAK_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : kDefaultSeconds;
}

GroupRecord makeGroup(const QString& clocks, int zone, int daylight, const QString& text)
{
    GroupRecord group;
    if (!ParseClockList(group.Clocks, clocks).isEmpty())
        qFatal("bad clock list in the soak test: %s", qPrintable(clocks));
    group.ZoneIndex = qint16(zone);
    group.DaylightIndex = qint16(daylight);
    group.DisplayText = text;
    return group;
}

int firstClock(const GroupRecord& group)
{
    for (int n = 0; n < 128; ++n)
        if (group.Clocks[size_t(n)])
            return n;
    return -1;
}

// The n-th change: a group, and a record no earlier change had (its text says which change it is).
std::pair<int, GroupRecord> change(int n)
{
    const int which = n % 2;
    const int k = n / 2;
    const int first = kPoolStart[which] + (k * 5) % 14;
    const int count = 1 + (k * 3) % 6;
    const QString clocks = n % 3 == 0 ? QStringLiteral("%1-%2").arg(first).arg(first + count - 1)
                                      : QStringLiteral("%1,%2").arg(first).arg(first + count);
    return {kChangingGroups[which], makeGroup(clocks, n % int(TimeZoneList.size()), (n * 3) % int(DaylightList.size()),
                                              QStringLiteral("SOAK %1").arg(n, 4, 10, QLatin1Char('0')))};
}

} // namespace

class tst_Soak : public QObject
{
    Q_OBJECT

private slots:
    void everyPacketChecksOutWhileGroupsChange();

private:
    // The clock that follows `clock` when `groups` are sent: later in its group, else the first of the next group
    // with clocks.
    static int nextClock(const std::array<GroupRecord, kGroupCount>& groups, int clock);
    static int groupOf(const std::array<GroupRecord, kGroupCount>& groups, int clock);
    void checkPacket(const FramerEvent& event);
    void writeGroup(int index, const GroupRecord& group);

    QString m_ini;
    std::array<GroupRecord, kGroupCount> m_groups{}; // what is on the wire
    std::optional<std::pair<int, GroupRecord>> m_pending;
    QElapsedTimer m_pendingSince;
    int m_previousClock = -1;
    QDateTime m_previousUtc;
    qint64 m_packets = 0;
    int m_changesSeen = 0;
};

int tst_Soak::groupOf(const std::array<GroupRecord, kGroupCount>& groups, int clock)
{
    for (int g = 0; g < kGroupCount; ++g)
        if (groups[size_t(g)].Clocks[size_t(clock)])
            return g;
    return -1;
}

int tst_Soak::nextClock(const std::array<GroupRecord, kGroupCount>& groups, int clock)
{
    const int group = clock < 0 ? kGroupCount - 1 : groupOf(groups, clock);
    for (int n = clock + 1; clock >= 0 && n < 128; ++n)
        if (groups[size_t(group)].Clocks[size_t(n)])
            return n;
    for (int step = 1; step <= kGroupCount; ++step) {
        const int first = firstClock(groups[size_t((group + step) % kGroupCount)]);
        if (first >= 0)
            return first;
    }
    return -1;
}

void tst_Soak::writeGroup(int index, const GroupRecord& group)
{
    // As the windowed program saves: QSettings replaces the whole file at once.
    QSettings settings(m_ini, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("Group-") + IndexToLetter(index), StoredGroupText(group));
    settings.endGroup();
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

void tst_Soak::checkPacket(const FramerEvent& event)
{
    QVERIFY2(event.kind == FramerEvent::Kind::Packet,
             qPrintable(QStringLiteral("after %1 good packets: %2").arg(m_packets).arg(DescribeSkipped(event))));
    const auto packet = DecodePacket(event.bytes);
    QVERIFY(packet && packet->checksumOk);
    QVERIFY2(packet->fieldsOk(), qPrintable(packet->problems.join(u',')));

    // The change under way has reached the wire when its group's first clock comes with its text; until then the
    // groups as they were go on.
    if (m_pending && packet->clock == firstClock(m_pending->second) &&
        packet->text == FormatDisplayText(m_pending->second.DisplayText)) {
        m_groups[size_t(m_pending->first)] = m_pending->second;
        m_pending.reset();
        ++m_changesSeen;
    } else {
        const int expected = nextClock(m_groups, m_previousClock);
        QVERIFY2(packet->clock == expected, qPrintable(QStringLiteral("packet %1: clock %2 after %3, expected %4")
                                                           .arg(m_packets)
                                                           .arg(packet->clock)
                                                           .arg(m_previousClock)
                                                           .arg(expected)));
    }
    const int group = groupOf(m_groups, packet->clock);
    QVERIFY(group >= 0);
    const GroupRecord& record = m_groups[size_t(group)];
    QCOMPARE(packet->text, FormatDisplayText(record.DisplayText));
    QCOMPARE(packet->zone, int(TimeZoneList[size_t(record.ZoneIndex)].code));
    QCOMPARE(packet->daylight, int(DaylightList[size_t(record.DaylightIndex)].code));
    QCOMPARE(packet->command, 0);

    const QDateTime utc(QDate(packet->year, packet->month, packet->day),
                        QTime(packet->hour, packet->minute, packet->second), Qt::UTC);
    QVERIFY2(qAbs(utc.secsTo(QDateTime::currentDateTimeUtc())) <= kClockSkewLimitSeconds,
             qPrintable(utc.toString(Qt::ISODate)));
    QVERIFY2(!m_previousUtc.isValid() || utc >= m_previousUtc, qPrintable(utc.toString(Qt::ISODate)));
    m_previousUtc = utc;
    m_previousClock = packet->clock;
    ++m_packets;
}

void tst_Soak::everyPacketChecksOutWhileGroupsChange()
{
    const QString binary = qEnvironmentVariable("QUILLMARCH_BINARY");
    QVERIFY2(!binary.isEmpty(), "QUILLMARCH_BINARY names the program under test");
    const int seconds = soakSeconds();

    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("config/Quillmarch"))));
    m_ini = home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini"));
    m_groups[0] = makeGroup(QStringLiteral("1-4"), 8, 30, QStringLiteral("LOBBY"));
    m_groups[1] = makeGroup(QStringLiteral("20"), 0, 0, QString());
    m_groups[2] = makeGroup(QStringLiteral("10,12"), 3, 2, QStringLiteral("DOCK \"7\", east"));
    m_groups[3] = makeGroup(QStringLiteral("60-61"), 28, 38, QStringLiteral("\tTABBED"));
    {
        QSettings settings(m_ini, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Settings"));
        settings.setValue(QStringLiteral("TimeWarn"), QStringLiteral("False"));
    }
    for (int g = 0; g < 4; ++g)
        writeGroup(g, m_groups[size_t(g)]);
    m_groups[3].DisplayText.replace(u'\t', u' '); // the stored form turns a TAB into a blank

    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(binary, {QStringLiteral("--service"), pty.slavePath});
    QVERIFY(program.waitForStarted());
    const qint64 pid = program.processId();

    PacketFramer framer;
    QElapsedTimer running;
    running.start();
    qint64 nextRss = 0, rssSettled = -1, rssLast = -1, rssPeak = 0;
    int changesWritten = 0;
    QElapsedTimer sinceChange;
    sinceChange.start();
    while (running.elapsed() < seconds * 1000LL) {
        pollfd readable = {pty.master, POLLIN, 0};
        const int ready = ::poll(&readable, 1, 200);
        QVERIFY(ready >= 0);
        if (ready == 1) {
            char buffer[4096];
            const ssize_t n = ::read(pty.master, buffer, sizeof buffer);
            QVERIFY(n > 0);
            framer.feed(QByteArrayView(buffer, n));
            for (const FramerEvent& event : framer.takeEvents()) {
                checkPacket(event);
                if (QTest::currentTestFailed())
                    break;
            }
        }
        QCoreApplication::processEvents();
        QVERIFY2(program.state() == QProcess::Running, "the program keeps running");
        QVERIFY2(m_packets > 0 || running.elapsed() < 30000, "packets come within 30 s of the start");
        if (QTest::currentTestFailed())
            break;

        if (m_pending) {
            QVERIFY2(m_pendingSince.elapsed() < kChangeDeadlineSeconds * 1000,
                     qPrintable(QStringLiteral("change %1 did not reach the wire").arg(changesWritten - 1)));
        } else if (m_packets > 0 && sinceChange.elapsed() >= kChangeEverySeconds * 1000) {
            m_pending = change(changesWritten++);
            m_pendingSince.start();
            writeGroup(m_pending->first, m_pending->second);
            sinceChange.start();
        }

        if (running.elapsed() >= nextRss) {
            rssLast = ResidentKiB(pid);
            QVERIFY(rssLast > 0);
            rssPeak = qMax(rssPeak, rssLast);
            if (rssSettled < 0 && running.elapsed() >= kRssSettledSeconds * 1000)
                rssSettled = rssLast;
            nextRss += kRssEverySeconds * 1000;
        }
    }
    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    qInfo("soak: %d s, %lld packets checked, %d of %d group changes on the wire", seconds, m_packets, m_changesSeen,
          changesWritten);
    if (rssSettled > 0)
        qInfo("soak: resident memory %lld kB at %d s, %lld kB at the end (%+lld kB), peak %lld kB", rssSettled,
              kRssSettledSeconds, rssLast, rssLast - rssSettled, rssPeak);
    else
        qInfo("soak: resident memory %lld kB at the end, peak %lld kB", rssLast, rssPeak);
    QVERIFY(m_changesSeen > 0);
    if (seconds >= kRssAssertFromSeconds) {
        QVERIFY(rssSettled > 0);
        QVERIFY2(rssLast - rssSettled < kRssGrowthLimitKb,
                 qPrintable(QStringLiteral("grew by %1 kB after the first minute").arg(rssLast - rssSettled)));
    }
}

int main(int argc, char** argv)
{
    // QTest ends a test function after five minutes unless told otherwise.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((soakSeconds() + 120) * 1000LL));
    QCoreApplication app(argc, argv);
    tst_Soak test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soak.moc"
