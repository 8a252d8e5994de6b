#include "app/frmComm.h"

#include "app/ClockPacket.h"
#include "app/StatusPanels.h"
#include "model/HandOver.h"
#include "platform/Dialogs.h"
#include "platform/SystemClock.h"

frmComm::frmComm(GroupTables& tables, StatusPanels& panels, Dialogs& dialogs, const SystemClock& clock,
                 LinkFactory makeLink, QObject* parent)
    : QObject(parent), m_tables(tables), m_panels(panels), m_dialogs(dialogs), m_clock(clock),
      m_makeLink(std::move(makeLink)), m_cycle(tables)
{
    // Armed anew for each tick from the schedule: a repeating timer's wake-ups come late by whole milliseconds.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmComm::Timer1_Timer);
}

frmComm::~frmComm()
{
    close();
}

void frmComm::Form_Load(const QString& argumentText)
{
    m_cycle.CurrentGroup = 25;
    m_cycle.CurrentClock = kHighestClock;
    Packet = QByteArray(kPacketSize, '\0');
    Packet[0] = kPacketStart;
    m_state = SendingState::Disabled;

    m_choice = ChooseLink(argumentText);
    if (!m_choice.failureText.isEmpty()) {
        fail(m_choice.failureText);
    } else if (lockLink()) {
        m_link = m_makeLink(m_choice);
        const Link::OpenResult result = m_link->open();
        switch (result.outcome) {
        case Link::OpenOutcome::Opened:
            m_panels.setPanelText(Panel::Link, LinkPanelText(m_choice));
            m_state = SendingState::Starting;
            break;
        case Link::OpenOutcome::NotAvailable:
            m_link.reset();
            m_lock.release();
            fail(PortNotAvailableText(m_choice.name, result.description));
            break;
        case Link::OpenOutcome::CannotOpen:
            m_link.reset();
            m_lock.release();
            fail(PortCannotOpenText(m_choice.name, result.description));
            break;
        }
    }
    m_schedule.start(TickSchedule::now());
    Timer1.start(m_schedule.timerDelayMs(TickSchedule::now()));
    HandOver(m_tables).setCycleRunning(true);
}

QString frmComm::linkKey() const
{
    return m_choice.CommMode == LinkKind::Udp ? LinkLock::UdpKey(m_choice.port) : LinkLock::SerialKey(m_choice.device);
}

bool frmComm::lockLink()
{
    const QString key = linkKey();
    QString detail;
    switch (m_lock.acquire(key, detail)) {
    case LinkLock::Outcome::Acquired:
        return true;
    case LinkLock::Outcome::HeldElsewhere:
        if (!followHolder || !followHolder(key))
            fail(LinkInUseText(m_choice, detail));
        return false;
    case LinkLock::Outcome::Unavailable:
        m_journal->warning(m_choice.name +
                           QStringLiteral(": sending without the lock that keeps a second sender off "
                                          "this link: ") +
                           detail);
        return true;
    }
    return true;
}

void frmComm::fail(const QString& text)
{
    m_dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, MsgResult::Ok);
    setState(SendingState::Disabled, QStringLiteral("Sending Disabled due to Error"));
}

void frmComm::setState(SendingState state, const QString& text)
{
    m_state = state;
    m_stateText = text;
    m_panels.setPanelText(Panel::Sending, text);
}

void frmComm::close()
{
    Timer1.stop();
    HandOver(m_tables).setCycleRunning(false);
    if (m_link) {
        m_link->close();
        m_link.reset();
    }
    m_lock.release();
}

void frmComm::Timer1_Timer()
{
    TickSchedule::Ns now = TickSchedule::now();
    if (m_schedule.waitsFor(now)) {
        TickSchedule::sleepUntil(m_schedule.due());
        now = m_schedule.due();
    }
    m_schedule.advance(now);
    Timer1.start(m_schedule.timerDelayMs(TickSchedule::now()));
    // The packet goes out first, at the deadline; the panels and whoever follows the ticks come after it.
    // With sending disabled the cycle still walks and takes groups over, but writes nothing.
    if (m_cycle.RefreshNextClock()) {
        if (m_state != SendingState::Disabled)
            SendClockPacket(m_cycle.CurrentGroup, m_cycle.CurrentClock);
    } else if (m_state != SendingState::Disabled) {
        setState(SendingState::NoClocks, QStringLiteral("No Clocks Defined"));
    }
    m_statusClock.UpdateStatusClock(m_clock.localNow(), m_panels);
    emit ticked();
}

void frmComm::SendClockPacket(int group, int clock)
{
    const QDateTime utc = m_clock.utcNow();
    // The packet's year byte cannot carry such a year; a wrong year on every clock is worse than none.
    if (!PacketYearInRange(utc)) {
        reportSendFault(QStringLiteral("Not Sending: PC clock year %1 is outside %2..%3")
                            .arg(utc.date().year())
                            .arg(kFirstPacketYear)
                            .arg(kLastPacketYear));
        return;
    }
    Packet = BuildClockPacket(m_tables.ActiveGroups[size_t(group)], clock, utc);
    QString error;
    if (!m_link->write(Packet, error)) {
        reportSendFault(QStringLiteral("Send Error: ") + error);
        return;
    }
    // The kernel passes the bytes on in work of its own, which can wait for this CPU while the panels are redrawn:
    // a quarter of the packets reached the line up to a millisecond late. A short pause lets that work run first.
    TickSchedule::sleepUntil(TickSchedule::now() + TickSchedule::kHandOverPause);
    m_lastPacket = utc;
    if (!m_sendFault.isEmpty()) {
        m_journal->info(QStringLiteral("sending to %1 again").arg(m_choice.name));
        m_sendFault.clear();
    }
    setState(SendingState::Sending, QStringLiteral("Sending to Clock Number ") + QString::number(clock));
}

void frmComm::reportSendFault(const QString& reason)
{
    setState(SendingState::SendFault, reason);
    if (reason != m_sendFault)
        m_journal->error(m_choice.name + QStringLiteral(": ") + reason);
    m_sendFault = reason;
}
