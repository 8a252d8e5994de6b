// Opening the link: serial on a pseudo-terminal, UDP, each failure with its message and panels, and the lock.
#include "app/StatusPanels.h"
#include "app/TickSchedule.h"
#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "support/CommRig.h"
#include "support/Fakes.h"
#include "support/Pty.h"
#include "support/ScriptedDialogs.h"

#include "app/ClockPacket.h"

#include <QSignalSpy>
#include <QTest>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

class tst_frmComm : public QObject
{
    Q_OBJECT

private slots:
    void serialDevicePathOpens8N1();
    void failures_data();
    void failures();
    void linkHeldByAnotherSender_data();
    void linkHeldByAnotherSender();
    void sending();
    void schedule_data();
    void schedule();
};

void tst_frmComm::serialDevicePathOpens8N1()
{
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    CommRig rig;
    QSignalSpy ticks(&rig.comm, &frmComm::ticked);
    rig.comm.Form_Load(pty.slavePath);

    QCOMPARE(rig.dialogs.calls.size(), 0);
    QCOMPARE(rig.comm.CommMode(), 1);
    QCOMPARE(rig.panels.texts[1], "Using " + pty.slavePath);
    QCOMPARE(rig.panels.texts[0], QString());

    termios tio{};
    QCOMPARE(tcgetattr(pty.master, &tio), 0);
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));

    QVERIFY(rig.comm.Timer1.isActive());
    QCOMPARE(rig.comm.Timer1.timerType(), Qt::PreciseTimer);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 2, 3000);
}

void tst_frmComm::failures_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("textStart"); // the description that follows is the platform's own

    QTest::newRow("not recognized") << "LPT1"
                                    << "The command line argument \"LPT1\"is not recognized\r";
    QTest::newRow("missing device") << "/dev/quillmarch-no-such-device"
                                    << "Comm Port \"/dev/quillmarch-no-such-device\" is not available on this "
                                       "system\rNo such file or directory";
    QTest::newRow("number beyond 16 bits") << "COM40000"
                                           << "Comm Port \"COM40000\" is not available on this system\r";
    QTest::newRow("not a serial device") << "/dev/null"
                                         << "Comm Port \"/dev/null\" cannot be opened\r";
}

void tst_frmComm::failures()
{
    QFETCH(QString, argument);
    QFETCH(QString, textStart);
    CommRig rig;
    rig.comm.Form_Load(argument);

    QCOMPARE(rig.dialogs.calls.size(), 1);
    const RecordedMsgBox& box = rig.dialogs.calls[0];
    QVERIFY2(box.text.startsWith(textStart), qPrintable(box.text));
    QVERIFY2(box.text.size() > textStart.size() || textStart.endsWith(QStringLiteral("directory")),
             "the platform's description follows the text");
    QCOMPARE(box.title, QStringLiteral("Quillmarch"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(rig.comm.CommMode(), 0);
    QCOMPARE(rig.panels.texts[0], QStringLiteral("Sending Disabled due to Error"));
    QCOMPARE(rig.panels.texts[1], QString());
    QVERIFY(rig.comm.Timer1.isActive());
}

void tst_frmComm::linkHeldByAnotherSender_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial line") << true;
    QTest::newRow("UDP port") << false;
}

void tst_frmComm::linkHeldByAnotherSender()
{
    QFETCH(bool, serial);
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    const QString argument = serial ? pty.slavePath : QStringLiteral("UDP5000");
    LinkLock other;
    QString detail;
    QCOMPARE(other.acquire(serial ? LinkLock::SerialKey(pty.slavePath) : LinkLock::UdpKey(5000), detail),
             LinkLock::Outcome::Acquired);

    CommRig rig;
    rig.comm.Form_Load(argument);
    QCOMPARE(rig.dialogs.calls.size(), 1);
    const QString holder = QStringLiteral("tst_frmcomm (process %1)").arg(QCoreApplication::applicationPid());
    QCOMPARE(rig.dialogs.calls[0].text, LinkInUseText(rig.comm.choice(), holder));
    QVERIFY(rig.dialogs.calls[0].text.contains(serial ? "Comm Port \"" + pty.slavePath : "Link \"UDP:5000\""));
    QCOMPARE(rig.dialogs.calls[0].icon, MsgIcon::Critical);
    QCOMPARE(rig.comm.CommMode(), 0);
    QCOMPARE(rig.panels.texts[0], QStringLiteral("Sending Disabled due to Error"));
    if (serial) { // the line was never opened: its speed is untouched
        termios tio{};
        QVERIFY(tcgetattr(pty.master, &tio) == 0);
        QVERIFY(cfgetospeed(&tio) != B9600);
    }

    // Once the other sender is gone, the link is free again.
    other.release();
    CommRig next;
    next.comm.Form_Load(argument);
    QCOMPARE(next.dialogs.calls.size(), 0);
    QCOMPARE(next.comm.CommMode(), serial ? 1 : 2);
}

void tst_frmComm::sending()
{
    GroupTables tables;
    RecordingPanels panels;
    ScriptedDialogs dialogs;
    FakeClock clock;
    QList<QByteArray> sent;
    QString failure;
    const auto tick = [](frmComm& comm) { QMetaObject::invokeMethod(&comm, "Timer1_Timer"); };

    frmComm comm(tables, panels, dialogs, clock, [&](const LinkChoice&) {
        auto link = std::make_unique<RecordingLink>();
        link->sent = &sent;
        link->failWith = &failure;
        return link;
    });
    comm.Form_Load(QStringLiteral("UDP5000"));
    comm.Timer1.stop();

    tick(comm);
    QCOMPARE(panels.texts[0], QStringLiteral("No Clocks Defined"));
    QVERIFY(sent.isEmpty());

    tables.EditGroups[0].Clocks[1] = tables.EditGroups[0].Clocks[2] = true;
    tables.EditGroups[0].DisplayText = QStringLiteral("LOBBY");
    UpdateFirstClock(tables, 0);
    tables.PendingGroup = 0;
    tick(comm);
    tick(comm);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0], BuildClockPacket(tables.ActiveGroups[0], 1, clock.utc));
    QCOMPARE(sent[1], BuildClockPacket(tables.ActiveGroups[0], 2, clock.utc));
    QCOMPARE(comm.Packet, sent[1]);
    QCOMPARE(panels.texts[0], QStringLiteral("Sending to Clock Number 2"));
    QCOMPARE(panels.texts[3], QStringLiteral("11:08:03"));

    // A year the packet cannot carry: nothing is sent, the operator sees why, and sending resumes by itself.
    clock.utc = QDateTime(QDate(2240, 1, 1), QTime(0, 0), Qt::UTC);
    tick(comm);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(panels.texts[0], QStringLiteral("Not Sending: PC clock year 2240 is outside 1984..2239"));
    clock.utc = QDateTime(QDate(2026, 12, 5), QTime(10, 8, 4), Qt::UTC);

    // A failing link: shown in panel 1, the cycle goes on, and the next good write clears it.
    failure = QStringLiteral("Unable to send a message");
    tick(comm);
    QCOMPARE(panels.texts[0], QStringLiteral("Send Error: Unable to send a message"));
    failure.clear();
    tick(comm);
    QCOMPARE(sent.size(), 3);
    QCOMPARE(panels.texts[0], QStringLiteral("Sending to Clock Number 1"));
}

QTEST_GUILESS_MAIN(tst_frmComm)
#include "tst_frmcomm.moc"

void tst_frmComm::schedule_data()
{
    // When the tick runs, relative to its deadline; whether it waits; the next deadline relative to this one ("due")
    // or to when the tick ran ("now").
    QTest::addColumn<qint64>("runsAtMs");
    QTest::addColumn<bool>("waits");
    QTest::addColumn<QString>("nextFrom");
    QTest::newRow("woken early by the timer: waits, keeps the beat") << qint64(-3) << true << "due";
    QTest::newRow("at the deadline") << qint64(0) << false << "due";
    QTest::newRow("late: no drift, the late time is not carried on") << qint64(200) << false << "due";
    QTest::newRow("a whole period late: no burst of catch-up ticks") << qint64(400) << false << "now";
    QTest::newRow("run directly, long before its time") << qint64(-300) << false << "now";
}

void tst_frmComm::schedule()
{
    QFETCH(qint64, runsAtMs);
    QFETCH(bool, waits);
    QFETCH(QString, nextFrom);
    const TickSchedule::Ns start = 5'000'000'000;
    TickSchedule schedule;
    schedule.start(start);
    const TickSchedule::Ns due = schedule.due();
    QCOMPARE(due, start + TickSchedule::kPeriod);
    QCOMPARE(schedule.timerDelayMs(start), 331); // wakes kLead early, then sleeps to the deadline
    const TickSchedule::Ns now = due + runsAtMs * 1'000'000;
    QCOMPARE(schedule.waitsFor(now), waits);
    schedule.advance(waits ? due : now);
    QCOMPARE(schedule.due(), (nextFrom == "due" ? due : now) + TickSchedule::kPeriod);
}
