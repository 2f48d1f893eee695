// The port component's traffic while open: writing, reading, the line status, the events and the
// report of a lost device. Opening, closing and the settings are in SerComm.cpp.

#include "serial/SerComm.h"

#include "platform/Prompts.h"
#include "serial/SerLine.h"
#include "serial/SerThreads.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <poll.h>
#include <unistd.h>

namespace {

const QString kBufferFull = QStringLiteral("Output buffer is full. Please check comm status.");

} // namespace

// ---- writing -------------------------------------------------------------------------------------

int TSerCustomComm::WriteBytes(const void* bytes, int count)
{
    // A lost device takes writes like a closed port: there is nowhere to send them.
    if (!IsOpen() || m_lost)
        return 0;
    count = std::max(count, 0);
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!m_directWrite) {
        if (!m_writeThread)
            return 0;
        if (m_writeThread->Enqueue(data, count, m_buffers.WriteTimeout())) {
            if (OnSent && count > 0)
                OnSent(this, data, count);
            return count;
        }
        throw ESerCommError(kBufferFull);
    }

    std::lock_guard lock(m_writeLock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_buffers.WriteTimeout());
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_handle, data + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            const int error = errno;
            if (error == EIO || error == ENXIO || error == ENODEV) {
                noteLoss(SerFormatError(QStringLiteral("Write error (%d), %s"), error));
                claimLossReport();
            }
            RaiseCommError(QStringLiteral("Write error (%d), %s"), error);
        }
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{m_handle, POLLOUT, 0};
        ::poll(&p, 1, int(left.count()));
    }
    if (done < count)
        return 0;
    if (m_eventMask & SerEv::TxEmpty) {
        m_txPending = true;
        if (m_eventThread)
            m_eventThread->Wake();
    }
    if (OnSent && count > 0)
        OnSent(this, data, count);
    return count;
}

bool TSerCustomComm::WriteString(const QByteArray& text)
{
    return WriteBytes(text.constData(), int(text.size())) == int(text.size());
}

bool TSerCustomComm::WriteByte(uint8_t byte)
{
    return WriteBytes(&byte, 1) == 1;
}

// ---- reading -------------------------------------------------------------------------------------

void TSerCustomComm::pullInput()
{
    if (m_lost)
        return;
    const SerInputQueue::Pull pull = m_rx.PullFrom(m_handle);
    if (pull.added > 0) {
        checkLineCounters();
        // The event thread announces what arrived, whoever read it from the device.
        if (pull.fresh && m_eventThread)
            m_eventThread->Wake();
    }
    if (!pull.lost)
        return;
    noteLoss(SerFormatError(QStringLiteral("Read error (%d), %s"), pull.error));
    // The event thread reports it, once, as it reports what it finds itself; without one the reader
    // is told.
    if (m_eventThread)
        m_eventThread->Wake();
    else if (claimLossReport())
        RaiseCommError(QStringLiteral("Read error (%d), %s"), pull.error);
}

int TSerCustomComm::ReadBytes(void* buffer, int count)
{
    if (!IsOpen())
        return 0;
    std::lock_guard lock(m_readLock);
    pullInput();
    bool wasFull = false;
    const int n = m_rx.Take(static_cast<uint8_t*>(buffer), count, wasFull);
    // A full queue stopped the event thread reading the device; there is room again.
    if (wasFull && m_eventThread)
        m_eventThread->Wake();
    return n;
}

QByteArray TSerCustomComm::ReadString()
{
    const int n = InputCount();
    if (n <= 0)
        return {};
    QByteArray text(n, Qt::Uninitialized);
    text.truncate(ReadBytes(text.data(), n));
    return text;
}

int TSerCustomComm::InputCount()
{
    if (!IsOpen())
        return 0;
    return int(QueryStatus().Stat.cbInQue);
}

bool TSerCustomComm::WaitForInput(int timeoutMs)
{
    timeoutMs = std::max(timeoutMs, 0);
    if (!IsOpen() || m_lost) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
    }
    // Reset before looking: bytes that the event thread stores after the look signal the event.
    m_inputArrived.Reset();
    if (m_rx.Count() > 0)
        return true;
    const auto woke = TSerHandleObject::WaitForAny({&m_inputArrived}, timeoutMs, m_handle, POLLIN);
    return woke.Signaled(m_inputArrived) || (woke.ExtraReady() && (woke.extraRevents & POLLIN));
}

bool TSerCustomComm::TransmitSettled() const { return !m_writeThread || m_writeThread->Settled(); }

TSerLineStatus TSerCustomComm::QueryStatus()
{
    TSerLineStatus status;
    std::lock_guard lock(m_readLock);
    if (!IsOpen())
        return status;
    pullInput();
    if (!m_lost) {
        int queued = 0;
        const int error = SerLine::OutputQueue(m_handle, queued);
        if (error != 0 && error != ENOTTY && error != EINVAL)
            RaiseCommError(QStringLiteral("Error retrieving statistics (%d), %s"), error);
        status.Stat.cbOutQue = uint32_t(std::max(queued, 0));
    }
    {
        std::lock_guard statusLock(m_statusMutex);
        status.Errors = std::exchange(m_lineErrors, 0);
    }
    status.Stat.cbInQue = uint32_t(m_rx.Count());
    if (m_writeThread)
        status.Stat.cbOutQue += uint32_t(m_writeThread->Fill());
    return status;
}

uint32_t TSerCustomComm::checkLineCounters()
{
    std::lock_guard lock(m_statusMutex);
    if (m_countersUnsupported || m_handle < 0)
        return 0;
    SerLine::Counters now;
    if (SerLine::ReadCounters(m_handle, now) != 0) {
        // Pseudo-terminals and many USB adapters keep no counters.
        m_countersUnsupported = true;
        return 0;
    }
    if (!m_countersKnown) {
        m_counters = now;
        m_countersKnown = true;
        return 0;
    }
    uint32_t errors = 0;
    if (now.frame != m_counters.frame)
        errors |= SerCe::Frame;
    if (now.overrun != m_counters.overrun)
        errors |= SerCe::Overrun;
    if (now.parity != m_counters.parity)
        errors |= SerCe::RxParity;
    if (now.bufOverrun != m_counters.bufOverrun)
        errors |= SerCe::RxOver;
    if (now.brk != m_counters.brk)
        errors |= SerCe::Break;
    m_counters = now;
    m_lineErrors |= errors;
    uint32_t events = 0;
    if (errors & (SerCe::Frame | SerCe::Overrun | SerCe::RxParity | SerCe::RxOver))
        events |= SerEv::Err;
    if (errors & SerCe::Break)
        events |= SerEv::Break;
    m_pendingLineEvents |= events;
    return events;
}

void TSerCustomComm::noteLoss(const QString& message)
{
    {
        std::lock_guard lock(m_statusMutex);
        if (m_lossMessage.isEmpty())
            m_lossMessage = message;
    }
    m_lost = true;
}

QString TSerCustomComm::LossMessage()
{
    std::lock_guard lock(m_statusMutex);
    return m_lossMessage;
}

void TSerCustomComm::reportLoss()
{
    const QString message = LossMessage();
    if (OnLost)
        OnLost(this, message);
    else
        showError(ESerCommError(message));
}

bool TSerCustomComm::claimLossReport()
{
    m_lost = true;
    return !m_lossReported.exchange(true);
}

// ---- events --------------------------------------------------------------------------------------

void TSerCustomComm::DispatchEvents(uint32_t mask)
{
    const std::weak_ptr<int> alive = m_alive;
    try {
        if (mask & SerEv::RxChar) {
            HandleRxChar();
            mask &= ~SerEv::RxChar;
        }
        if (mask != 0 && !alive.expired())
            HandleEvents(mask);
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TSerCustomComm::HandleRxChar()
{
    if (!IsOpen())
        return;
    int n;
    {
        std::lock_guard lock(m_readLock);
        QueryStatus();
        // Whatever is counted now has been announced; only later arrivals are announced again.
        n = m_rx.CountAndAnnounce();
    }
    if (n <= 0)
        return;
    if (!m_consumers.empty()) {
        auto block = std::vector<uint8_t>(size_t(n));
        const int got = ReadBytes(block.data(), n);
        HandleRxBuffer(block.data(), got);
        return;
    }
    if (OnRxChar)
        OnRxChar(this, n);
}

void TSerCustomComm::HandleEvents(uint32_t mask)
{
    if (!IsOpen())
        return;
    // A handler may close the port, or destroy the component; nothing follows either.
    const std::weak_ptr<int> alive = m_alive;
    if (mask & SerEv::Err)
        HandleLineErrors();
    if (alive.expired())
        return;
    if (!m_consumers.empty())
        NotifyConsumers(mask);
    auto fire = [&](uint32_t bit, const TSerNotifyEvent& event) {
        if ((mask & bit) && !alive.expired() && event && IsOpen())
            event(this);
    };
    fire(SerEv::RxFlag, OnRxFlag);
    fire(SerEv::Cts, OnCts);
    fire(SerEv::Dsr, OnDsr);
    fire(SerEv::Ring, OnRing);
    fire(SerEv::Rlsd, OnRlsd);
    fire(SerEv::TxEmpty, OnTxEmpty);
    fire(SerEv::Break, OnBreak);
    fire(SerEv::PErr, OnPErr);
    fire(SerEv::Rx80Full, OnRx80Full);
    fire(SerEv::Event1, OnEvent1);
    fire(SerEv::Event2, OnEvent2);
}

void TSerCustomComm::HandleLineErrors()
{
    const TSerLineStatus status = QueryStatus();
    if (status.Errors != 0 && OnError) {
        try {
            OnError(this, int(status.Errors));
        } catch (const std::exception& e) {
            showError(e);
        }
    }
}

void TSerCustomComm::NotifyConsumers(uint32_t mask)
{
    for (TSerDataConsumer* consumer : std::vector<TSerDataConsumer*>(m_consumers))
        consumer->CommEvents(this, mask);
}

void TSerCustomComm::HandleRxBuffer(const uint8_t* data, int count)
{
    for (TSerDataConsumer* consumer : std::vector<TSerDataConsumer*>(m_consumers))
        consumer->RxBuffer(this, data, count);
    if (OnRxBuf)
        OnRxBuf(this, data, count);
}

void TSerCustomComm::AttachConsumer(TSerDataConsumer* consumer)
{
    if (consumer && std::find(m_consumers.begin(), m_consumers.end(), consumer) == m_consumers.end())
        m_consumers.push_back(consumer);
}

void TSerCustomComm::DetachConsumer(TSerDataConsumer* consumer)
{
    m_consumers.erase(std::remove(m_consumers.begin(), m_consumers.end(), consumer), m_consumers.end());
}
