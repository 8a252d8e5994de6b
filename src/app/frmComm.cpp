#include "app/frmComm.h"

#include "app/StatusPanels.h"
#include "model/GroupTable.h"
#include "platform/Dialogs.h"

namespace {
constexpr int kPacketSize = 50;
constexpr char kPacketStart = 0x29;
constexpr int kTickMs = 333;
} // namespace

frmComm::frmComm(GroupTables& tables, StatusPanels& panels, Dialogs& dialogs, LinkFactory makeLink, QObject* parent)
    : QObject(parent), m_tables(tables), m_panels(panels), m_dialogs(dialogs), m_makeLink(std::move(makeLink))
{
    // A coarse timer fires early and loses seconds over a day; the clocks need the steady beat.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &frmComm::Timer1_Timer);
}

frmComm::~frmComm()
{
    close();
}

void frmComm::Form_Load(const QString& argumentText)
{
    CurrentGroup = 25;
    CurrentClock = 127;
    Packet = QByteArray(kPacketSize, '\0');
    Packet[0] = kPacketStart;
    m_CommMode = 0;

    m_choice = ChooseLink(argumentText);
    if (!m_choice.failureText.isEmpty()) {
        fail(m_choice.failureText);
    } else {
        m_link = m_makeLink(m_choice);
        const Link::OpenResult result = m_link->open();
        switch (result.outcome) {
        case Link::OpenOutcome::Opened:
            m_panels.setPanelText(2, LinkPanelText(m_choice));
            m_CommMode = m_choice.CommMode;
            break;
        case Link::OpenOutcome::NotAvailable:
            m_link.reset();
            fail(PortNotAvailableText(m_choice.name, result.description));
            break;
        case Link::OpenOutcome::CannotOpen:
            m_link.reset();
            fail(PortCannotOpenText(m_choice.name, result.description));
            break;
        }
    }
    Timer1.start();
    m_tables.RefreshRunning = true;
}

void frmComm::fail(const QString& text)
{
    m_dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, MsgResult::Ok);
    m_panels.setPanelText(1, QStringLiteral("Sending Disabled due to Error"));
    m_CommMode = 0;
}

void frmComm::close()
{
    Timer1.stop();
    m_tables.RefreshRunning = false;
    if (m_link) {
        m_link->close();
        m_link.reset();
    }
}

void frmComm::Timer1_Timer()
{
    TakeOverPendingGroup(m_tables);
    emit ticked();
}
