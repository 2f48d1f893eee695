#include "serial/SerThreads.h"

#include "platform/HandOver.h"
#include "serial/SerComm.h"
#include "serial/SerLine.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcSerial)

// ---- TSerThread ----------------------------------------------------------------------------------

TSerThread::TSerThread(TSerCustomComm* owner) : m_owner(owner) {}

TSerThread::~TSerThread()
{
    // The last reference may be the running thread's own (a worker let go by its owner).
    if (m_thread.joinable())
        m_thread.detach();
}

void TSerThread::Start()
{
    std::shared_ptr<TSerThread> self = shared_from_this();
    m_thread = std::thread([self] {
        self->m_tid = ::gettid();
        self->applyPriority();
        try {
            self->Execute();
        } catch (const std::exception& e) {
            qCWarning(lcSerial) << "worker thread ended by an error:" << e.what();
        }
        self->m_finished = true;
        HandOver::wakeWaiters();
    });
}

void TSerThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TSerThread::Detach()
{
    if (m_thread.joinable())
        m_thread.detach();
}

void TSerThread::SetPriority(TSerThreadPriority priority)
{
    m_priority = priority;
    applyPriority();
}

void TSerThread::applyPriority()
{
    const pid_t tid = m_tid.load();
    if (tid == 0 || m_finished)
        return;
    // Per-thread nice values; raising a priority needs the right to, and without it the thread keeps
    // the normal one.
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};
    const auto priority = TSerThreadPriority(m_priority.load());
    sched_param param{};
    if (priority == tpIdle) {
        ::sched_setscheduler(tid, SCHED_IDLE, &param);
        return;
    }
    if (::sched_getscheduler(tid) == SCHED_IDLE)
        ::sched_setscheduler(tid, SCHED_OTHER, &param);
    ::setpriority(PRIO_PROCESS, id_t(tid), kNice[priority]);
}

void TSerThread::Deliver(const std::function<void()>& fn)
{
    if (!m_handOver) {
        if (m_terminated)
            return;
        try {
            fn();
        } catch (const std::exception& e) {
            qCWarning(lcSerial) << "event handler failed on a worker:" << e.what();
        }
        return;
    }
    HandOver::Synchronize([this, &fn] {
        if (m_terminated)
            return;
        m_handOverRunning = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{m_handOverRunning};
        fn();
    });
}

// ---- TSerCommEventThread -------------------------------------------------------------------------

namespace {

// While an announcement waits for its reader, a slow line is looked at this often. At 921,600 baud
// this is under 4 KB, within what a driver buffers; a look that finds more than kBusyLineBytes
// is followed by the next at once.
constexpr int kTrickleMs = 40;
constexpr int kBusyLineBytes = 1024;

} // namespace

TSerCommEventThread::TSerCommEventThread(TSerCustomComm* owner) : TSerThread(owner) {}

void TSerCommEventThread::RequestStop()
{
    m_terminated = true;
    m_wake.Signal();
}

void TSerCommEventThread::Execute()
{
    TSerCustomComm* const owner = m_owner;
    m_fd = owner->m_handle;
    m_watched = owner->m_eventMask;
    m_watchModem = (m_watched & (SerEv::Cts | SerEv::Dsr | SerEv::Ring | SerEv::Rlsd)) != 0 &&
                   SerLine::ModemLines(m_fd, m_modem) == 0;

    bool trickling = false;
    while (!m_terminated) {
        const bool readDevice = !owner->m_lost && !owner->m_rx.Full();
        const bool txPending = owner->m_txPending.load();
        const short revents = waitForWork(readDevice, txPending, trickling);
        if (m_terminated)
            break;
        // Cleared before looking, so that a wake-up during the dispatch below is not lost.
        m_wake.Reset();

        const Intake intake = readDevice && revents ? readInput(revents) : Intake{};
        trickling = intake.trickle;
        // One step after the other: the read may have noted line errors that the next step collects.
        uint32_t events = intake.events;
        events |= pendingEvents();
        events |= pollModemLines();
        if (txPending)
            events |= checkWriteDrained();
        if (!dispatch(events) || !handleLoss(intake.lostError))
            break;
    }
}

// Waits until the device has input, the thread is woken, or it is time for a look at what has no
// descriptor to wait on; returns the device's poll events.
short TSerCommEventThread::waitForWork(bool readDevice, bool txPending, bool trickling)
{
    // Modem lines and a direct write leaving the driver have no descriptor to wait on.
    const int timeout = m_watchModem || txPending ? 10 : -1;
    if (readDevice && trickling && m_owner->m_rx.Outstanding()) {
        // The announced reader takes whatever is queued by then; waking for every few bytes of a
        // slow line would serve nobody. Look again after a while, or when woken.
        TSerHandleObject::WaitForAny({&m_wake}, timeout < 0 ? kTrickleMs : std::min(timeout, kTrickleMs));
        return POLLIN;
    }
    return TSerHandleObject::WaitForAny({&m_wake}, timeout, readDevice ? m_fd : -1, POLLIN).extraRevents;
}

// Moves what the device holds into the input queue, and tells whether the device went away: a failed
// read, or a hang-up with nothing left to read.
TSerCommEventThread::Intake TSerCommEventThread::readInput(short revents)
{
    TSerCustomComm* const owner = m_owner;
    const SerInputQueue::Pull pull = owner->m_rx.PullFrom(m_fd);
    Intake intake;
    intake.trickle = pull.added > 0 && pull.added < kBusyLineBytes;
    if (pull.eventChar)
        intake.events |= SerEv::RxFlag;
    if (pull.nearlyFull)
        intake.events |= SerEv::Rx80Full;
    if (pull.lost)
        intake.lostError = pull.error ? pull.error : EIO;
    else if ((revents & (POLLERR | POLLNVAL)) || ((revents & POLLHUP) && pull.added == 0))
        intake.lostError = EIO;
    if (pull.added > 0) {
        owner->checkLineCounters();
        owner->m_inputArrived.Signal();
    }
    return intake;
}

// Line events that either reader noted, and the announcement of bytes that arrived since the last one
// (whoever read them from the device).
uint32_t TSerCommEventThread::pendingEvents()
{
    uint32_t events = m_owner->m_pendingLineEvents.exchange(0);
    if (m_owner->m_rx.TakeUnannounced())
        events |= SerEv::RxChar;
    return events;
}

// The modem lines that changed since the last look.
uint32_t TSerCommEventThread::pollModemLines()
{
    int now = 0;
    if (!m_watchModem || m_owner->m_lost || SerLine::ModemLines(m_fd, now) != 0)
        return 0;
    uint32_t events = 0;
    const int changed = now ^ m_modem;
    if (changed & TIOCM_CTS)
        events |= SerEv::Cts;
    if (changed & TIOCM_DSR)
        events |= SerEv::Dsr;
    if (changed & TIOCM_CD)
        events |= SerEv::Rlsd;
    // A ring is reported when the ring indicator falls.
    if ((m_modem & TIOCM_RI) && !(now & TIOCM_RI))
        events |= SerEv::Ring;
    m_modem = now;
    return events;
}

// A direct write is waiting to leave the driver: the transmit-empty event once it has (or once the
// driver can no longer tell, the device being gone).
uint32_t TSerCommEventThread::checkWriteDrained()
{
    int queued = 0;
    if (!m_owner->m_lost && SerLine::OutputQueue(m_fd, queued) == 0 && queued != 0)
        return 0;
    m_owner->m_txPending = false;
    return SerEv::TxEmpty;
}

// Hands the watched ones of the events over; false when the thread was told to stop meanwhile.
bool TSerCommEventThread::dispatch(uint32_t events)
{
    events &= m_watched;
    if (events == 0)
        return true;
    m_mask = events;
    TSerCustomComm* const owner = m_owner;
    Deliver([owner, events] { owner->DispatchEvents(events); });
    return !m_terminated;
}

// Notes a loss the read found and reports a loss once, also one that a reader on the user-interface
// thread found; false when the thread was told to stop meanwhile.
bool TSerCommEventThread::handleLoss(int readError)
{
    TSerCustomComm* const owner = m_owner;
    if (readError)
        owner->noteLoss(SerFormatError(QStringLiteral("Read error (%d), %s"), readError));
    if (!owner->m_lost || !owner->claimLossReport())
        return true;
    Deliver([owner] { owner->reportLoss(); });
    return !m_terminated;
}

// ---- TSerCommWriteThread -------------------------------------------------------------------------

namespace {

std::atomic<int> handOverDelayMs{0};
std::atomic<void (*)()> afterHandOverHook{nullptr};

} // namespace

void TSerCommWriteThread::SetHandOverDelayForTests(int milliseconds) { handOverDelayMs = milliseconds; }

void TSerCommWriteThread::SetAfterHandOverHookForTests(void (*hook)()) { afterHandOverHook = hook; }

TSerCommWriteThread::TSerCommWriteThread(TSerCustomComm* owner, int writeSize)
    : TSerThread(owner), m_buffer(writeSize)
{
}

void TSerCommWriteThread::RequestStop()
{
    // The mark keeps a hand-over that is still queued from raising its event during Close.
    m_terminated = true;
    m_stop.Signal();
}

int TSerCommWriteThread::Fill()
{
    std::lock_guard lock(m_lock);
    return m_buffer.Fill();
}

bool TSerCommWriteThread::Enqueue(const uint8_t* bytes, int count, int timeoutMs)
{
    std::unique_lock lock(m_lock);
    const auto fits = [&] { return qint64(m_buffer.Fill()) + count <= m_buffer.Capacity(); };
    if (!fits()) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        if (!m_room.wait_until(lock, deadline, fits))
            return false;
    }
    m_buffer.Append(bytes, count);
    m_settled = false;
    m_dataReady.Signal();
    return true;
}

void TSerCommWriteThread::completion(int count)
{
    bool empty;
    {
        std::lock_guard lock(m_lock);
        m_buffer.Consume(count);
        empty = m_buffer.Fill() == 0;
        // Tested and reset in one step with the consume, so that an append made meanwhile keeps
        // its signal.
        if (empty)
            m_dataReady.Reset();
        else
            m_dataReady.Signal();
    }
    m_room.notify_all();
    if (empty) {
        if (const int delay = handOverDelayMs.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        TSerCustomComm* const owner = m_owner;
        Deliver([owner] { owner->HandleEvents(SerEv::TxEmpty); });
        if (const auto hook = afterHandOverHook.load())
            hook();
        markSettled();
    }
}

void TSerCommWriteThread::markSettled()
{
    {
        std::lock_guard lock(m_lock);
        // Bytes appended meanwhile are still to be written.
        if (m_buffer.Fill() == 0)
            m_settled = true;
    }
    HandOver::wakeWaiters();
}

void TSerCommWriteThread::discardAll()
{
    {
        std::lock_guard lock(m_lock);
        m_buffer.Consume(m_buffer.Fill());
        m_dataReady.Reset();
    }
    m_room.notify_all();
    markSettled();
}

void TSerCommWriteThread::Execute()
{
    TSerCustomComm* const owner = m_owner;
    const int fd = owner->m_handle;
    while (!m_terminated) {
        const auto woke = TSerHandleObject::WaitForAny({&m_stop, &m_dataReady}, -1);
        if (woke.Signaled(m_stop)) {
            m_terminated = true;
            break;
        }
        if (!woke.Signaled(m_dataReady))
            continue;
        if (owner->m_lost) {
            discardAll();
            continue;
        }

        const uint8_t* data;
        int fill;
        {
            std::lock_guard lock(m_lock);
            data = m_buffer.Data();
            fill = m_buffer.Fill();
        }
        // Not under the lock: the user-interface thread only appends behind the fill, and only this
        // thread moves the front.
        const ssize_t written = fill > 0 ? ::write(fd, data, size_t(fill)) : 0;
        if (written > 0 || fill == 0) {
            completion(int(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0 || errno == EAGAIN) {
            // Until the device takes bytes again (or reports why it will not).
            if (TSerHandleObject::WaitForAny({&m_stop}, -1, fd, POLLOUT).Signaled(m_stop)) {
                m_terminated = true;
                break;
            }
            continue;
        }

        // The device refuses to take bytes: it is gone. Report it once and stop trying, instead of
        // writing the same bytes again and again.
        owner->noteLoss(SerFormatError(QStringLiteral("Write error (%d), %s"), errno));
        const bool report = owner->claimLossReport();
        Deliver([owner] { owner->HandleEvents(SerEv::Err); });
        if (m_terminated)
            break;
        if (report) {
            Deliver([owner] { owner->reportLoss(); });
            if (m_terminated)
                break;
        }
        discardAll();
    }
}
