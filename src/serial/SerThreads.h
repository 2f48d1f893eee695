#pragma once

#include "serial/SerCommBuffer.h"
#include "serial/SerSync.h"
#include "serial/SerTypes.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <sys/types.h>

class TSerCustomComm;

// The worker threads' common base: one system thread running Execute, with a terminate mark, a
// priority and the hand-over of calls to the user-interface thread. A thread object outlives its
// system thread (it is freed by its owner after Join), and a running thread keeps itself alive, so
// that an owner that cannot wait for it (see TSerCustomComm::StopWorkers) may let it go.
class TSerThread : public std::enable_shared_from_this<TSerThread> {
public:
    explicit TSerThread(TSerCustomComm* owner);
    virtual ~TSerThread();
    TSerThread(const TSerThread&) = delete;
    TSerThread& operator=(const TSerThread&) = delete;

    void Start();
    void Join();
    void Detach();
    bool Finished() const { return m_finished.load(); }
    bool Terminated() const { return m_terminated.load(); }

    void SetPriority(TSerThreadPriority priority);
    TSerThreadPriority Priority() const { return TSerThreadPriority(m_priority.load()); }

    // With the flag set (always, in this program) events run on the user-interface thread; without
    // it they run on the worker itself.
    void SetHandOver(bool handOver) { m_handOver = handOver; }

    // User-interface thread: whether one of this thread's hand-overs is running right now, that is,
    // further down the caller's own stack.
    bool HandOverRunning() const { return m_handOverRunning; }

    virtual void RequestStop() = 0;

protected:
    virtual void Execute() = 0;

    // Runs fn where events run and waits for it; does nothing once the thread has been told to stop,
    // so that no event follows a Close.
    void Deliver(const std::function<void()>& fn);

    TSerCustomComm* const m_owner;
    std::atomic<bool> m_terminated{false};

private:
    void applyPriority();

    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    std::atomic<pid_t> m_tid{0};
    std::atomic<int> m_priority{tpNormal};
    bool m_handOver = true;
    bool m_handOverRunning = false;
};

// Waits for line events of the open device and hands them to the user-interface thread. It is also
// the device's reader: it moves arriving bytes into the component's input queue, announcing them
// once, and notices when the device goes away.
class TSerCommEventThread final : public TSerThread {
public:
    explicit TSerCommEventThread(TSerCustomComm* owner);

    // Marks the thread terminated, then wakes it.
    void RequestStop() override;
    // Makes the thread look again at the queue and the device (room made, bytes read elsewhere).
    void Wake() { m_wake.Signal(); }

    // The events of the last dispatch.
    uint32_t Mask() const { return m_mask.load(); }

protected:
    void Execute() override;

private:
    // What one read of the device found.
    struct Intake {
        uint32_t events = 0;  // RxFlag, Rx80Full
        int lostError = 0;    // errno telling that the device went away, or 0
        bool trickle = false; // some bytes, but not a busy line
    };

    // The steps of one round, in the order Execute takes them.
    short waitForWork(bool readDevice, bool txPending, bool trickling);
    Intake readInput(short revents);
    uint32_t pendingEvents();
    uint32_t pollModemLines();
    uint32_t checkWriteDrained();
    bool dispatch(uint32_t events);
    bool handleLoss(int readError);

    TSerWaitEvent m_wake;
    std::atomic<uint32_t> m_mask{0};

    // Set when the thread starts and touched by it alone.
    int m_fd = -1;
    uint32_t m_watched = 0; // the owner's event mask
    bool m_watchModem = false;
    int m_modem = 0; // the modem lines at the last look
};

// Drains the transmit buffer into the device. Writers on the user-interface thread only append to
// the buffer (Enqueue); this thread alone takes bytes from its front. The buffer and its lock belong
// to the thread, not to the component: a writer let go by its owner (see TSerThread) may still finish
// a hand-over after the component is gone, and then touches only what is its own.
class TSerCommWriteThread final : public TSerThread {
public:
    TSerCommWriteThread(TSerCustomComm* owner, int writeSize);

    // Appends count bytes once they fit, waiting at most timeoutMs for room; false when they did not
    // fit in time (nothing of them is queued then).
    bool Enqueue(const uint8_t* bytes, int count, int timeoutMs);

    // Signals the stop event; the thread ends from idle or from a write waiting for the device.
    void RequestStop() override;

    // Bytes waiting in the transmit buffer.
    int Fill();

    // Whether everything appended has been written and the transmit-empty event of the last write
    // has been handed over: the writer waits for nothing on the user-interface thread.
    bool Settled() const { return m_settled.load(); }

    // Tests: a pause between a completed write and its transmit-empty hand-over, as a busy machine
    // may make.
    static void SetHandOverDelayForTests(int milliseconds);
    // Tests: called on the writer each time its transmit-empty hand-over has returned, before the
    // writer goes on; a test may hold the writer there (nullptr: none).
    static void SetAfterHandOverHookForTests(void (*hook)());

protected:
    void Execute() override;

private:
    void completion(int count);
    void discardAll();
    void markSettled();

    // The write lock: the buffer's fill, data ready and settled change together under it.
    std::mutex m_lock;
    TSerCommBuffer m_buffer;
    TSerWaitEvent m_dataReady;
    TSerWaitEvent m_stop;
    std::condition_variable m_room;
    std::atomic<bool> m_settled{true};
};
