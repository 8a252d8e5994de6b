// A pseudo-terminal pair for serial tests: the program gets the slave's path, the test the master side.
#pragma once

#include <QString>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

struct Pty
{
    int master = -1, slave = -1;
    QString slavePath; // empty when no pair could be made
    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        slavePath = QString::fromLocal8Bit(name);
        // A program started by the test must not inherit the master: closing it here would not end the line.
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
};
