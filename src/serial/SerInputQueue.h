#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// The component's input queue, standing in for the driver's: bytes read from the device wait here
// until a reader takes them, so that an arrival is announced once and later readers find what is
// left. Bounded by the size given to Reset: when it is full nothing more is read from the device
// (the kernel holds the rest) until a reader makes room. Safe for the event thread and the
// user-interface thread at the same time; reading the device and storing happen under one lock so
// that bytes keep their order whoever reads them.
//
// An announcement stays outstanding until a reader takes bytes: what arrives meanwhile is read by
// that reader anyway and is not announced again. A reader that takes only part of the queue leaves
// the rest to be announced with the next arrival.
class SerInputQueue final {
public:
    struct Pull {
        int added = 0;          // bytes stored
        bool lost = false;      // the device is gone (hung up, unplugged)
        int error = 0;          // errno of the loss
        bool eventChar = false; // the event character was among the bytes
        bool nearlyFull = false; // the queue passed 80 % of its size
        bool fresh = false;      // the bytes are to be announced (no announcement outstanding)
    };

    SerInputQueue() = default;
    SerInputQueue(const SerInputQueue&) = delete;
    SerInputQueue& operator=(const SerInputQueue&) = delete;

    // Empties the queue and sets its size. Memory grows with use, up to the size.
    void Reset(int capacity);
    // Input rules: drop NUL bytes; report the event character (< 0: none).
    void SetRules(bool stripNul, int eventChar);

    // Reads whatever the device holds, as far as there is room.
    Pull PullFrom(int fd);

    int Count();
    bool Full();
    // Takes up to max bytes; wasFull tells whether the queue was full before.
    int Take(uint8_t* out, int max, bool& wasFull);

    // Whether bytes arrived since the last announcement, clearing the mark; true makes the
    // announcement outstanding.
    bool TakeUnannounced();
    // The count now, marking every byte in the queue as announced.
    int CountAndAnnounce();
    // Whether an announcement waits for its reader.
    bool Outstanding();

private:
    void store(const uint8_t* bytes, int count, Pull& result);
    void reserve(size_t needed);

    std::mutex m_mutex;
    std::vector<uint8_t> m_ring; // grows up to m_capacity
    size_t m_capacity = 1;
    size_t m_head = 0;
    size_t m_size = 0;
    bool m_stripNul = false;
    int m_eventChar = -1;
    bool m_unannounced = false;
    bool m_outstanding = false;
};
