// What the service tells its service manager after each tick: the watchdog's ping, the sending status when it
// changed, and READY once.
#pragma once

#include <QByteArray>
#include <QString>

class frmComm;

class ManagerNotices
{
public:
    // The datagram for the tick just done.
    QByteArray afterTick(const frmComm& comm);

private:
    bool m_ready = false;
    QString m_statusSent;
};
