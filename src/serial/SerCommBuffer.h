#pragma once

#include <cstdint>
#include <memory>

// The transmit buffer: one block allocated when the writer thread is created, never grown. The
// valid bytes always start at the block's first byte. It tests no bounds itself: the writer's
// Enqueue keeps the fill within the capacity, and only the writer thread consumes.
class TSerCommBuffer final {
public:
    explicit TSerCommBuffer(int capacity);
    TSerCommBuffer(const TSerCommBuffer&) = delete;
    TSerCommBuffer& operator=(const TSerCommBuffer&) = delete;

    void Append(const uint8_t* bytes, int count);
    void Consume(int count);

    const uint8_t* Data() const { return m_data.get(); }
    int Fill() const { return m_fill; }
    int Capacity() const { return m_capacity; }

private:
    std::unique_ptr<uint8_t[]> m_data;
    int m_capacity;
    int32_t m_fill = 0;
};
