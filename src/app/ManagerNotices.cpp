#include "app/ManagerNotices.h"

#include "app/frmComm.h"

QByteArray ManagerNotices::afterTick(const frmComm& comm)
{
    // Pinged from the tick itself: an event loop that stops ticking stops the pings, and is restarted.
    QByteArray datagram = "WATCHDOG=1";
    if (comm.sendingText() != m_statusSent) {
        m_statusSent = comm.sendingText();
        datagram += "\nSTATUS=" + m_statusSent.toUtf8();
    }
    // Ready once the first packet is out, or once there is nothing to send.
    const SendingState state = comm.sendingState();
    if (!m_ready && (state == SendingState::Sending || state == SendingState::NoClocks)) {
        m_ready = true;
        datagram += "\nREADY=1";
    }
    return datagram;
}
