// The service manager's notification socket ($NOTIFY_SOCKET): readiness, a status line and watchdog pings.
// Outside systemd the variable is unset and nothing is sent.
#pragma once

#include <QByteArray>

class SystemdNotify
{
public:
    // `socketPath` as systemd gives it: a file path, or "@name" for the abstract namespace.
    explicit SystemdNotify(QByteArray socketPath = qgetenv("NOTIFY_SOCKET"));
    ~SystemdNotify();
    SystemdNotify(const SystemdNotify&) = delete;
    SystemdNotify& operator=(const SystemdNotify&) = delete;

    bool active() const { return m_fd >= 0; }
    // One datagram of "KEY=value" lines; false when it could not be sent.
    bool send(const QByteArray& state);

private:
    QByteArray m_path;
    int m_fd = -1;
};
