#include "serial/SerSync.h"

#include "serial/SerTypes.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

TSerHandleObject::~TSerHandleObject()
{
    if (m_handle >= 0)
        ::close(m_handle);
}

TSerHandleObject::TWaitResult TSerHandleObject::WaitFor(int milliseconds)
{
    pollfd p{m_handle, POLLIN, 0};
    for (;;) {
        const int rc = ::poll(&p, 1, milliseconds < 0 ? -1 : milliseconds);
        if (rc > 0)
            return (p.revents & POLLIN) ? wrSignaled : wrAbandoned;
        if (rc == 0)
            return wrTimeout;
        if (errno != EINTR) {
            m_lastError = errno;
            return wrError;
        }
    }
}

TSerHandleObject::TAnyResult TSerHandleObject::WaitForAny(std::initializer_list<TSerHandleObject*> handles,
                                                           int milliseconds, int extraFd, short extraEvents)
{
    using Outcome = TAnyResult::Outcome;
    TAnyResult result;
    pollfd fds[8];
    const int count = int(handles.size());
    if (count > 7) {
        result.outcome = Outcome::Failed;
        return result;
    }
    int n = 0;
    for (TSerHandleObject* h : handles)
        fds[n++] = pollfd{h->m_handle, POLLIN, 0};
    if (extraFd >= 0)
        fds[n++] = pollfd{extraFd, extraEvents, 0};
    int rc;
    do {
        rc = ::poll(fds, nfds_t(n), milliseconds < 0 ? -1 : milliseconds);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) {
        result.outcome = rc == 0 ? Outcome::TimedOut : Outcome::Failed;
        return result;
    }
    if (extraFd >= 0)
        result.extraRevents = fds[count].revents;
    int i = 0;
    for (TSerHandleObject* h : handles) {
        if (fds[i++].revents & POLLIN) {
            result.outcome = Outcome::Signaled;
            result.signaled = h;
            return result;
        }
    }
    result.outcome = result.extraRevents ? Outcome::ExtraReady : Outcome::Failed;
    return result;
}

void TSerEvent::Signal()
{
    const uint64_t one = 1;
    // The counter only saturates after 2^64 - 2 signals; a full counter is still signalled.
    [[maybe_unused]] const ssize_t rc = ::write(m_handle, &one, sizeof one);
}

void TSerEvent::Reset()
{
    uint64_t value;
    [[maybe_unused]] const ssize_t rc = ::read(m_handle, &value, sizeof value);
}

bool TSerEvent::IsSignaled() const
{
    pollfd p{m_handle, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

TSerWaitEvent::TSerWaitEvent()
{
    m_handle = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_handle < 0)
        throw ESerCommError(SerFormatError(QStringLiteral("Error creating event (%d), %s"), errno));
}
