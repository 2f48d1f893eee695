#include "terminal/SessionLog.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

SessionLog::~SessionLog() { stop(); }

bool SessionLog::start(const QString& path, bool withSent)
{
    stop();
    m_error.clear();
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = systemText(errno);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_withSent = withSent;
    return true;
}

void SessionLog::stop()
{
    if (m_fd < 0)
        return;
    // The bytes are with the system already; closing loses none of them.
    ::close(m_fd);
    m_fd = -1;
}

bool SessionLog::received(const QByteArray& bytes) { return append(bytes); }

bool SessionLog::sent(const QByteArray& bytes) { return !m_withSent || append(bytes); }

bool SessionLog::append(const QByteArray& bytes)
{
    if (m_fd < 0)
        return true;
    // Unbuffered writes: once write() returned, a crash of the program loses nothing of the chunk.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_error = systemText(n < 0 ? errno : ENOSPC);
        stop();
        return false;
    }
    return true;
}
