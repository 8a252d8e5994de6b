// A pseudo-terminal pair for serial tests: the program gets the slave's path,
// the test the master side.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <fcntl.h>
#include <functional>
#include <numeric>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

struct Pty
{
    int master = -1, slave = -1;
    QString slavePath;  // empty when no pair could be made
    QByteArray pending; // read but not yet taken

    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        slavePath = QString::fromLocal8Bit(name);
        // A program started by the test must not inherit the master: closing it
        // here would not end the line.
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~Pty()
    {
        ::close(slave);
        ::close(master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    enum Read { BadPacket = -1, TimedOut = 0, Found = 1 };
    // Whole packets from the master side until `wanted` accepts one, one is bad
    // (no 0x29 start or a sum other than zero), or `ms` pass. What follows the
    // accepted packet stays for the next call.
    Read readPackets(int ms, const std::function<bool(const QByteArray&)>& wanted)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            for (QByteArray packet; pending.size() >= 50;) {
                packet = pending.left(50);
                pending.remove(0, 50);
                if (packet.at(0) != 0x29 || std::accumulate(packet.begin(), packet.end(), quint8(0)) != 0)
                    return BadPacket;
                if (wanted(packet))
                    return Found;
            }
            pollfd readable = {master, POLLIN, 0};
            char buffer[512];
            const ssize_t n = ::poll(&readable, 1, 200) == 1 ? ::read(master, buffer, sizeof buffer) : 0;
            pending.append(buffer, std::max<ssize_t>(n, 0));
        }
        return TimedOut;
    }
    Read nextPacket(int ms = 20000)
    {
        return readPackets(ms, [](const QByteArray&) { return true; });
    }
};
