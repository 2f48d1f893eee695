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
