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

    // What ended a WaitForAny.
    struct TAnyResult {
        enum class Outcome {
            Signaled,   // a handle is signalled: the first one in the order given
            ExtraReady, // no handle is, but the extra descriptor has events
            TimedOut,   // the time given passed first
            Failed      // the wait itself failed, or a handle reported an error instead of a signal
        };
        Outcome outcome = Outcome::TimedOut;
        const TSerHandleObject* signaled = nullptr;
        // The extra descriptor's events whenever anything was ready, also when a handle came first.
        short extraRevents = 0;

        bool Signaled(const TSerHandleObject& handle) const { return signaled == &handle; }
        bool ExtraReady() const { return outcome == Outcome::ExtraReady; }
    };

    // Waits for the first of several handles (at most 7), and optionally for extraEvents on one more
    // descriptor; milliseconds < 0 wait without a limit.
    static TAnyResult WaitForAny(std::initializer_list<TSerHandleObject*> handles, int milliseconds, int extraFd = -1,
                                 short extraEvents = 0);

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
