#include "serial/SerComm.h"

#include "platform/HandOver.h"
#include "platform/Prompts.h"
#include "serial/PortMap.h"
#include "serial/SerThreads.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <poll.h>
#include <thread>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSerial, "taloma.serial", QtWarningMsg)

namespace {

constexpr uint32_t kRates[] = {0,     110,   300,   600,   1200,   2400,   4800,   9600,
                               14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

const QString kOpenMessage = QStringLiteral("Can't perform this operation while port is open");
const QString kBufferFull = QStringLiteral("Output buffer is full. Please check comm status.");

// How long Close lets the driver send what the writer already handed it.
constexpr int kDrainOnCloseMs = 250;

// The input queue holds at least this much, whatever ReadSize says: the event thread moves what
// arrives off the device while the window gathers it, and at 921,600 baud a driver's few kilobytes
// would overflow within one gathering.
constexpr int kIntakeQueueBytes = 4 * 1024 * 1024;

// DeviceName with the port number in place of its integer placeholder.
QString fillDeviceName(const QString& format, int number)
{
    QString out;
    bool filled = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u'd' && !filled) {
                out += QString::number(number);
                filled = true;
                ++i;
                continue;
            }
            if (format[i + 1] == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

QString escapePercent(QString text)
{
    return text.replace(u'%', QStringLiteral("%%"));
}

} // namespace

TSerCustomComm::TSerCustomComm(QObject* owner) : TSerComponent(owner)
{
    // The queue sizes cannot change under an open port: refuse before anything is stored.
    m_buffers.SetGuard([this] { RequireClosed(); });
    m_buffers.SetOnChange([this] {
        RequireClosed();
        if (IsOpen()) {
            ApplyQueueSizes();
            WriteDeviceControl();
        }
    });
    m_eventChars.SetOnChange([this] { WriteDeviceControl(); });
    m_flowControl.SetOnChange([this] { WriteDeviceControl(); });
}

TSerCustomComm::~TSerCustomComm()
{
    m_destroying = true;
    try {
        Close();
    } catch (const std::exception& e) {
        qCWarning(lcSerial) << "closing on destruction failed:" << e.what();
    }
    m_consumers.clear();
    reapOrphans(true);
}

// ---- properties ----------------------------------------------------------------------------------

void TSerCustomComm::SetBaudrate(TSerBaudrate value)
{
    if (value == m_baudrate)
        return;
    m_baudrate = value;
    if (value != brUser)
        m_userBaudrate = 0;
    WriteDeviceControl();
}

void TSerCustomComm::SetUserBaudrate(int value)
{
    if (value == m_userBaudrate)
        return;
    m_userBaudrate = value;
    m_baudrate = brUser;
    WriteDeviceControl();
}

void TSerCustomComm::SetParity(TSerParity value)
{
    if (value == m_parity)
        return;
    m_parity = value;
    WriteDeviceControl();
}

void TSerCustomComm::SetDatabits(TSerDatabits value)
{
    if (value == m_databits)
        return;
    m_databits = value;
    WriteDeviceControl();
}

void TSerCustomComm::SetStopbits(TSerStopbits value)
{
    if (value == m_stopbits)
        return;
    m_stopbits = value;
    WriteDeviceControl();
}

void TSerCustomComm::SetOptions(TSerCommOptions value)
{
    if (value == m_options)
        return;
    m_options = value;
    WriteDeviceControl();
}

void TSerCustomComm::SetPortNum(int value)
{
    RequireClosed();
    m_portNum = value;
}

void TSerCustomComm::SetDeviceName(const QString& value)
{
    RequireClosed();
    m_deviceName = value;
}

void TSerCustomComm::SetMonitorEvents(TSerCommEvents value)
{
    RequireClosed();
    m_monitorEvents = value;
}

void TSerCustomComm::SetDirectWrite(bool value)
{
    RequireClosed();
    m_directWrite = value;
}

void TSerCustomComm::SetUpdateDCB(bool value)
{
    RequireClosed();
    m_updateDCB = value;
}

void TSerCustomComm::SetEventPriority(TSerThreadPriority value)
{
    if (value == m_eventPriority)
        return;
    m_eventPriority = value;
    if (m_eventThread)
        m_eventThread->SetPriority(value);
}

void TSerCustomComm::SetWritePriority(TSerThreadPriority value)
{
    if (value == m_writePriority)
        return;
    m_writePriority = value;
    if (m_writeThread)
        m_writeThread->SetPriority(value);
}

// ---- errors --------------------------------------------------------------------------------------

void TSerCustomComm::RequireClosed() const
{
    if (IsOpen())
        throw ESerCommError(kOpenMessage);
}

void TSerCustomComm::RaiseCommError(const QString& format, int errorCode) const
{
    throw ESerCommError(SerFormatError(format, errorCode), errorCode);
}

void TSerCustomComm::VerifyCall(bool success, const QString& format, int errorCode) const
{
    if (!success)
        RaiseCommError(format, errorCode);
}

// ---- opening and closing -------------------------------------------------------------------------

QString TSerCustomComm::DevicePath() const
{
    const QString name = fillDeviceName(m_deviceName, m_portNum);
    if (name.startsWith(u'/'))
        return name;
    const QString path = PortMap::global().PathFor(name);
    return path.isEmpty() ? name : path;
}

void TSerCustomComm::Loaded()
{
    if (m_autoOpen)
        Open();
}

void TSerCustomComm::Open()
{
    RequireClosed();
    reapOrphans(false);
    CreateHandle();
    try {
        WriteDeviceControl();
        ApplyQueueSizes();
        ApplyTimeouts();
        ApplyEventMask();
        StartWorkers();
    } catch (...) {
        StopWorkers();
        closeHandle();
        throw;
    }
    if (OnOpen) {
        try {
            OnOpen(this);
        } catch (const std::exception& e) {
            showError(e);
        }
    }
}

void TSerCustomComm::CreateHandle()
{
    const QString path = DevicePath();
    int fd = -1;
    int error = ENOENT;
    if (path.startsWith(u'/')) {
        fd = SerLine::OpenExclusive(path);
        error = errno;
    }
    if (fd < 0) {
        if (error == ENOENT)
            throw ESerCommError(QStringLiteral("Specified device not found (%1).").arg(path), ENOENT);
        RaiseCommError(QStringLiteral("Can't open specified device ") + escapePercent(path) +
                           QStringLiteral(" (Error %d, %s)"),
                       error);
    }
    m_handle = fd;
    m_lost = false;
    m_lossReported = false;
    m_txPending = false;
    m_pendingLineEvents = 0;
    {
        std::lock_guard lock(m_statusMutex);
        m_lineErrors = 0;
        m_lossMessage.clear();
        m_countersKnown = false;
        m_countersUnsupported = false;
    }
    m_rx.Reset(std::max(m_buffers.ReadSize(), kIntakeQueueBytes));
    // Without a line setting of our own the device would keep whatever mode it was left in (echo,
    // line editing); raw bytes are the least a serial dialogue needs.
    if (!m_updateDCB)
        SerLine::MakeRaw(fd);
    qCDebug(lcSerial) << "opened" << path;
}

void TSerCustomComm::closeHandle()
{
    if (m_handle < 0)
        return;
    SerLine::CloseDevice(m_handle, m_lost ? 0 : kDrainOnCloseMs);
    m_handle = -1;
    m_rx.Reset(1);
    m_lost = false;
    m_lossReported = false;
    m_txPending = false;
}

void TSerCustomComm::Close()
{
    if (!IsOpen())
        return;
    {
        std::lock_guard lock(m_readLock);
        StopWorkers();
    }
    closeHandle();
    std::exception_ptr failure;
    if (!m_destroying && OnClose) {
        try {
            OnClose(this);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (failure)
        std::rethrow_exception(failure);
}

void TSerCustomComm::StopWorkers()
{
    // A worker blocked in a hand-over ends once the call has run, so the wait serves hand-overs. If
    // its hand-over is the very call this Close runs inside of (a handler closing the port), it
    // cannot end before we return: it is left to end by itself and joined later. Such a worker
    // touches neither the device nor the component once told to stop.
    // Both are told first, so that neither raises an event while Close waits for the other.
    const std::shared_ptr<TSerThread> events = std::exchange(m_eventThread, nullptr);
    const std::shared_ptr<TSerThread> writer = std::exchange(m_writeThread, nullptr);
    if (events)
        events->RequestStop();
    if (writer)
        writer->RequestStop();
    auto wait = [this](const std::shared_ptr<TSerThread>& thread) {
        if (!thread)
            return;
        HandOver::waitServing([&] { return thread->Finished() || thread->HandOverRunning(); }, -1);
        if (thread->Finished())
            thread->Join();
        else
            m_orphans.push_back(thread);
    };
    wait(events);
    wait(writer);
}

void TSerCustomComm::reapOrphans(bool detachRunning)
{
    for (auto it = m_orphans.begin(); it != m_orphans.end();) {
        if ((*it)->Finished()) {
            (*it)->Join();
            it = m_orphans.erase(it);
        } else if (detachRunning) {
            (*it)->Detach();
            it = m_orphans.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- configuration steps -------------------------------------------------------------------------

SerLineSettings TSerCustomComm::LineSettings() const
{
    SerLineSettings s;
    s.baudrate = m_baudrate == brUser ? uint32_t(std::max(m_userBaudrate, 0)) : kRates[m_baudrate];
    s.databits = 4 + int(m_databits);
    s.parity = m_parity;
    s.stopbits = m_stopbits;
    s.ctsFlow = m_flowControl.OutCtsFlow() || m_flowControl.ControlRts() == rtsHandshake;
    s.dtr = m_flowControl.ControlDtr();
    s.rts = m_flowControl.ControlRts();
    s.xonXoffOut = m_flowControl.XonXoffOut();
    s.xonXoffIn = m_flowControl.XonXoffIn();
    s.xonChar = m_eventChars.XonChar();
    s.xoffChar = m_eventChars.XoffChar();
    s.parityCheck = m_options.contains(coParityCheck);
    return s;
}

void TSerCustomComm::WriteDeviceControl()
{
    if (!IsOpen() || !m_updateDCB)
        return;
    const int error = SerLine::Apply(m_handle, LineSettings());
    VerifyCall(error == 0, QStringLiteral("Error writing dcb (%d), %s"), error);
    m_rx.SetRules(m_options.contains(coNullStrip), m_eventChars.EventChar());
}

void TSerCustomComm::ApplyQueueSizes()
{
    // Linux has no driver queue sizes to set: ReadSize bounds the component's own input queue (which
    // is never smaller than kIntakeQueueBytes), and WriteSize the transmit buffer the writer thread
    // is created with.
    if (!IsOpen())
        return;
    try {
        m_rx.Reset(std::max(m_buffers.ReadSize(), kIntakeQueueBytes));
    } catch (const std::bad_alloc&) {
        RaiseCommError(QStringLiteral("Error initializing buffers (%d), %s"), ENOMEM);
    }
}

void TSerCustomComm::ApplyTimeouts()
{
    // Nothing to set: the device is non-blocking, so a read returns at once with what is waiting,
    // and writes never time out in the driver.
}

void TSerCustomComm::ApplyEventMask()
{
    static constexpr struct {
        TSerCommEvent event;
        uint32_t bit;
    } kBits[] = {
        {ceBreak, SerEv::Break},   {ceCts, SerEv::Cts},       {ceDsr, SerEv::Dsr},         {ceError, SerEv::Err},
        {ceRing, SerEv::Ring},     {ceRlsd, SerEv::Rlsd},     {ceRxChar, SerEv::RxChar},   {ceTxEmpty, SerEv::TxEmpty},
        {ceRxFlag, SerEv::RxFlag}, {cePErr, SerEv::PErr},     {ceRx80Full, SerEv::Rx80Full}, {ceEvent1, SerEv::Event1},
        {ceEvent2, SerEv::Event2},
    };
    uint32_t mask = 0;
    for (const auto& b : kBits) {
        if (m_monitorEvents.contains(b.event))
            mask |= b.bit;
    }
    // The writer thread reports the transmit-empty condition itself.
    if (!m_directWrite)
        mask &= ~SerEv::TxEmpty;
    m_eventMask = mask;
}

void TSerCustomComm::StartWorkers()
{
    if (m_eventMask != 0) {
        auto thread = std::make_shared<TSerCommEventThread>(this);
        thread->SetPriority(m_eventPriority);
        thread->SetHandOver(true);
        m_eventThread = thread;
        thread->Start();
    }
    if (!m_directWrite) {
        auto thread = std::make_shared<TSerCommWriteThread>(this, m_buffers.WriteSize());
        thread->SetPriority(m_writePriority);
        thread->SetHandOver(true);
        m_writeThread = thread;
        thread->Start();
    }
}

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
        if (m_writeThread->Enqueue(data, count, m_buffers.WriteTimeout()))
            return count;
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
    short revents = 0;
    const int ready = TSerHandleObject::WaitForAny({&m_inputArrived}, timeoutMs, m_handle, POLLIN, &revents);
    return ready >= 0 && (ready == 0 || (revents & POLLIN));
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
