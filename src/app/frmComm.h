// The link object: never shown; owns the link, the packet buffer and the timer of the refresh cycle.
#pragma once

#include "app/Journal.h"
#include "app/Link.h"
#include "app/LinkLock.h"
#include "app/RefreshCycle.h"
#include "app/StatusClock.h"
#include "app/TickSchedule.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

class Dialogs;
class StatusPanels;
class SystemClock;
struct GroupTables;

// What the link object is doing. The sending panel shows it in words; the service manager hears READY from it.
enum class SendingState {
    Disabled,  // no link: not recognised, not opened, or held by another program
    Starting,  // the link is open and the first tick has not come
    Sending,   // the last packet went out
    NoClocks,  // no group has a clock: there is nothing to send
    SendFault, // the last packet did not go out: a send error, or a year the packet cannot carry
};

class frmComm : public QObject
{
    Q_OBJECT

public:
    frmComm(GroupTables& tables, StatusPanels& panels, Dialogs& dialogs, const SystemClock& clock,
            LinkFactory makeLink = MakeLink, QObject* parent = nullptr);
    ~frmComm() override;

    // Opens the link named by the command-line text and starts the ticks, whatever the outcome.
    void Form_Load(const QString& argumentText);
    // Stops the cycle and releases the serial port or socket.
    void close();

    // Where send faults and lock problems are logged; standard error unless Main says otherwise.
    void setJournal(Journal& journal) { m_journal = &journal; }

    // Another program holds the link: true when that is a service this program follows instead of sending itself
    // (no failure is shown then). Unset: the link counts as unavailable.
    std::function<bool(const QString& linkKey)> followHolder;

    // The kind of the link this object sends on; None while sending is disabled.
    LinkKind CommMode() const { return m_state == SendingState::Disabled ? LinkKind::None : m_choice.CommMode; }
    SendingState sendingState() const { return m_state; }
    // The state in the operator's words, as the sending panel shows it: "Sending to Clock Number 7".
    const QString& sendingText() const { return m_stateText; }
    // The lock's name for the link: the same for every spelling of one device.
    QString linkKey() const;
    QDateTime lastPacketTime() const { return m_lastPacket; }
    // Sending is disabled, or the last send failed: a failure counts until a packet goes out again.
    bool sendFault() const { return m_state == SendingState::Disabled || !m_sendFault.isEmpty(); }
    const LinkChoice& choice() const { return m_choice; }

    QTimer Timer1;     // wakes the GUI thread just before each tick's deadline
    QByteArray Packet; // the packet sent last

signals:
    void ticked();

private slots:
    void Timer1_Timer();

private:
    bool lockLink();
    void fail(const QString& text);
    void setState(SendingState state, const QString& text);
    void SendClockPacket(int group, int clock);
    // A send that did not happen: the sending panel says why; the log gets one line when the reason changes.
    void reportSendFault(const QString& reason);

    GroupTables& m_tables;
    StatusPanels& m_panels;
    Dialogs& m_dialogs;
    const SystemClock& m_clock;
    LinkFactory m_makeLink;
    std::unique_ptr<Link> m_link;
    LinkChoice m_choice;
    LinkLock m_lock;
    Journal* m_journal = &Journal::standardError();
    SendingState m_state = SendingState::Disabled;
    QString m_stateText;
    RefreshCycle m_cycle;
    TickSchedule m_schedule;
    StatusClock m_statusClock;
    QString m_sendFault; // the reason the last send failed, empty after a good one
    QDateTime m_lastPacket;
};
