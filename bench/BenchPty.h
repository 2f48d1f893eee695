#pragma once

// A raw pseudo-terminal for the benchmarks: the benchmark plays the board on the master side, the
// program opens the slave side through its port map.

#include <QString>

#include <cerrno>
#include <cstddef>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

struct Pty {
    int master = -1;
    int slave = -1;
    QString path;

    Pty()
    {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios t{};
        ::tcgetattr(master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
    // Writes everything, waiting out a full line.
    void write(const char* data, size_t size) const
    {
        while (size > 0) {
            const ssize_t n = ::write(master, data, size);
            if (n > 0) {
                data += n;
                size -= size_t(n);
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                return;
            }
        }
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
};
