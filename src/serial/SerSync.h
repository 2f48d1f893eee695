#pragma once

#include <initializer_list>
#include <mutex>

// Thin wrappers over the kernel objects the port component waits on and locks with.

// One file descriptor, closed with the object, and the errno of the last failed wait.
class TSerHandleObject {
public:
    enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

    TSerHandleObject() = default;
    virtual ~TSerHandleObject();
    TSerHandleObject(const TSerHandleObject&) = delete;
    TSerHandleObject& operator=(const TSerHandleObject&) = delete;

    int Handle() const { return m_handle; }
    int LastError() const { return m_lastError; }

    // Waits until the handle is readable; milliseconds < 0 wait without a limit.
    TWaitResult WaitFor(int milliseconds);

    // Waits for the first of several handles (and optionally one more descriptor and its events).
    // Returns the index of the first one signalled in the order given, the count of handles when
    // only the extra descriptor is ready, or -1 on time-out or error.
    static int WaitForAny(std::initializer_list<TSerHandleObject*> handles, int milliseconds, int extraFd = -1,
                          short extraEvents = 0, short* extraRevents = nullptr);

protected:
    int m_handle = -1;
    int m_lastError = 0;
};

// An event object: Signal sets it, Reset clears it; waiting does not clear it.
class TSerEvent : public TSerHandleObject {
public:
    void Signal();
    void Reset();
    bool IsSignaled() const;
};

// An unnamed manual-reset event, initially not signalled, on an eventfd.
class TSerWaitEvent final : public TSerEvent {
public:
    TSerWaitEvent();
};

// A lock that the thread holding it may take again.
class TSerCriticalSection final {
public:
    TSerCriticalSection() = default;
    TSerCriticalSection(const TSerCriticalSection&) = delete;
    TSerCriticalSection& operator=(const TSerCriticalSection&) = delete;

    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

    // For std::lock_guard, std::unique_lock and std::condition_variable_any.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex m_mutex;
};
