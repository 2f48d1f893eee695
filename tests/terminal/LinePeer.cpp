#include "LinePeer.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

LinePeer::LinePeer(int masterFd, std::function<Reply(const QByteArray&)> answer)
    : m_fd(masterFd), m_answer(std::move(answer)), m_thread([this] { run(); })
{
}

LinePeer::~LinePeer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_thread.join();
}

QByteArray LinePeer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<LinePeer::Event> LinePeer::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

LinePeer::Reply LinePeer::echo(const QByteArray& line)
{
    return {line.isEmpty() ? QByteArray("\r\n\r\n>") : line + "\r\n>"};
}

void LinePeer::run()
{
    QByteArray pending;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
            continue;
        char buf[4096];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        pending.append(buf, n);
        {
            std::lock_guard lock(m_mutex);
            m_received.append(buf, n);
        }
        qsizetype end;
        while ((end = pending.indexOf('\r')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            {
                std::lock_guard lock(m_mutex);
                m_events.push_back({Clock::now(), true, line});
            }
            const Reply reply = m_answer(line);
            std::this_thread::sleep_for(reply.delay);
            {
                std::lock_guard lock(m_mutex);
                m_events.push_back({Clock::now(), false, reply.bytes});
            }
            for (qsizetype done = 0; done < reply.bytes.size();) {
                const ssize_t w = ::write(m_fd, reply.bytes.constData() + done, size_t(reply.bytes.size() - done));
                if (w > 0)
                    done += w;
                else if (w < 0 && errno != EAGAIN && errno != EINTR)
                    break;
            }
        }
    }
}
