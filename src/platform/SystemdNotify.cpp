#include "platform/SystemdNotify.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

SystemdNotify::SystemdNotify(QByteArray socketPath) : m_path(std::move(socketPath))
{
    if (m_path.size() < 2 || size_t(m_path.size()) >= sizeof(sockaddr_un::sun_path) ||
        (m_path[0] != '/' && m_path[0] != '@'))
        return;
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

SystemdNotify::~SystemdNotify()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SystemdNotify::send(const QByteArray& state)
{
    if (m_fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, m_path.constData(), size_t(m_path.size()));
    if (address.sun_path[0] == '@')
        address.sun_path[0] = '\0';
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(m_path.size()));
    // Never waits: a service manager that does not read must not hold the ticks back.
    return ::sendto(m_fd, state.constData(), size_t(state.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr*>(&address), length) == state.size();
}
