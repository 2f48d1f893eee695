#include "serial/SerInputQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

void SerInputQueue::Reset(int capacity)
{
    std::lock_guard lock(m_mutex);
    m_capacity = size_t(std::max(capacity, 1));
    m_ring.clear();
    m_ring.shrink_to_fit();
    m_head = 0;
    m_size = 0;
    m_unannounced = false;
    m_outstanding = false;
}

void SerInputQueue::SetRules(bool stripNul, int eventChar)
{
    std::lock_guard lock(m_mutex);
    m_stripNul = stripNul;
    m_eventChar = eventChar;
}

SerInputQueue::Pull SerInputQueue::PullFrom(int fd)
{
    Pull result;
    std::lock_guard lock(m_mutex);
    uint8_t chunk[4096];
    while (m_size < m_capacity) {
        const size_t room = std::min(m_capacity - m_size, sizeof chunk);
        const ssize_t n = ::read(fd, chunk, room);
        if (n > 0) {
            store(chunk, int(n), result);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n == 0) {
            // A terminal reads 0 only once it has been hung up; anything else is "nothing yet".
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                result.lost = true;
                result.error = EIO;
            }
            break;
        }
        result.lost = true;
        result.error = errno;
        break;
    }
    return result;
}

void SerInputQueue::reserve(size_t needed)
{
    if (needed <= m_ring.size())
        return;
    const size_t grown = std::min(m_capacity, std::max({needed, m_ring.size() * 2, size_t(4096)}));
    std::vector<uint8_t> ring(grown);
    const size_t first = std::min(m_size, m_ring.size() - m_head);
    if (m_size > 0) {
        std::memcpy(ring.data(), m_ring.data() + m_head, first);
        std::memcpy(ring.data() + first, m_ring.data(), m_size - first);
    }
    m_ring.swap(ring);
    m_head = 0;
}

void SerInputQueue::store(const uint8_t* bytes, int count, Pull& result)
{
    const size_t before = m_size;
    reserve(m_size + size_t(count));
    if (m_eventChar >= 0 && std::memchr(bytes, m_eventChar, size_t(count)))
        result.eventChar = true;
    if (m_stripNul) {
        for (int i = 0; i < count; ++i) {
            if (bytes[i] != 0) {
                m_ring[(m_head + m_size) % m_ring.size()] = bytes[i];
                ++m_size;
            }
        }
    } else {
        const size_t tail = (m_head + m_size) % m_ring.size();
        const size_t first = std::min(size_t(count), m_ring.size() - tail);
        std::memcpy(m_ring.data() + tail, bytes, first);
        std::memcpy(m_ring.data(), bytes + first, size_t(count) - first);
        m_size += size_t(count);
    }
    const size_t added = m_size - before;
    result.added += int(added);
    if (added > 0 && !m_outstanding) {
        m_unannounced = true;
        result.fresh = true;
    }
    const size_t mark = m_capacity * 8 / 10;
    if (before < mark && m_size >= mark)
        result.nearlyFull = true;
}

int SerInputQueue::Count()
{
    std::lock_guard lock(m_mutex);
    return int(m_size);
}

bool SerInputQueue::Full()
{
    std::lock_guard lock(m_mutex);
    return m_size >= m_capacity;
}

int SerInputQueue::Take(uint8_t* out, int max, bool& wasFull)
{
    std::lock_guard lock(m_mutex);
    wasFull = m_size >= m_capacity;
    const size_t n = std::min(m_size, size_t(std::max(max, 0)));
    if (n == 0)
        return 0;
    const size_t first = std::min(n, m_ring.size() - m_head);
    std::memcpy(out, m_ring.data() + m_head, first);
    std::memcpy(out + first, m_ring.data(), n - first);
    m_head = (m_head + n) % m_ring.size();
    m_size -= n;
    m_outstanding = false;
    return int(n);
}

bool SerInputQueue::TakeUnannounced()
{
    std::lock_guard lock(m_mutex);
    if (!std::exchange(m_unannounced, false))
        return false;
    m_outstanding = true;
    return true;
}

int SerInputQueue::CountAndAnnounce()
{
    std::lock_guard lock(m_mutex);
    m_unannounced = false;
    m_outstanding = m_size > 0;
    return int(m_size);
}

bool SerInputQueue::Outstanding()
{
    std::lock_guard lock(m_mutex);
    return m_outstanding;
}
