#include "PtyPair.h"

#include "serial/PortMap.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
}

void PtyPair::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

QByteArray PtyPair::read(int count, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    char chunk[4096];
    while (out.size() < count && clock.elapsed() < timeoutMs) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            out.append(chunk, n);
            continue;
        }
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, 10);
    }
    return out;
}

QByteArray PtyPair::drain(int quietMs)
{
    QByteArray out;
    QElapsedTimer quiet;
    quiet.start();
    char chunk[4096];
    while (quiet.elapsed() < quietMs) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            out.append(chunk, n);
            quiet.restart();
            continue;
        }
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, 5);
    }
    return out;
}

void pointPort(int number, const QString& path)
{
    qputenv(QByteArray("TALOMA_COM") + QByteArray::number(number), path.toLocal8Bit());
    static QTemporaryDir noDevices;
    PortMap::global().Load(noDevices.path(), QStringLiteral("/dev"), QString());
}
