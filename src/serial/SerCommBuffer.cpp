#include "serial/SerCommBuffer.h"

#include <algorithm>
#include <cstring>

TSerCommBuffer::TSerCommBuffer(int capacity)
    : m_data(std::make_unique<uint8_t[]>(size_t(std::max(capacity, 0)))), m_capacity(std::max(capacity, 0))
{
}

void TSerCommBuffer::Append(const uint8_t* bytes, int count)
{
    if (count <= 0)
        return;
    std::memcpy(m_data.get() + m_fill, bytes, size_t(count));
    m_fill += count;
}

void TSerCommBuffer::Consume(int count)
{
    count = std::clamp(count, 0, int(m_fill));
    std::memmove(m_data.get(), m_data.get() + count, size_t(m_fill - count));
    m_fill -= count;
}
