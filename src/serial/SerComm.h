#pragma once

// Locks of the port component, and the threads that take them:
//   read    TSerCustomComm::m_readLock, recursive. The user-interface thread alone: Close (while it stops
//           the workers), ReadBytes, QueryStatus, HandleRxChar.
//   write   m_writeLock around a direct write, on the user-interface thread; or, with a writer thread,
//           that thread's buffer lock, taken by the writer and by the user-interface thread (WriteBytes,
//           QueryStatus). A port has one or the other (DirectWrite changes only while closed), so the two
//           are never nested.
//   status  m_statusMutex: the error word, the driver's counters, the loss message. All three threads.
//   queue   the input queue's own lock. The user-interface thread and the event thread.
//
// Nesting, outer before inner, never the other way round:
//   read -> read    HandleRxChar asks QueryStatus; a handler that runs while Close serves the workers'
//                   hand-overs reads again.
//   read -> write   QueryStatus counts the writer's buffer; a handler run during Close may write directly.
//   read -> status, read -> queue   pulling input, QueryStatus, taking bytes.
//   write -> status a direct write that finds the device gone notes the loss (m_writeLock only: nothing
//                   is taken inside the writer's buffer lock).
// Status and queue are never nested with each other, and nothing is taken inside either. So one order
// fits every path: read, write, status, queue.
//
// A worker holds none of them while it hands a call over to the user-interface thread or wakes the
// threads waiting for it, and the event thread never takes read or write. Only the user-interface
// thread holds one (read, in Close) while it serves hand-overs.

#include "serial/SerInputQueue.h"
#include "serial/SerLine.h"
#include "serial/SerPersistent.h"
#include "serial/SerSync.h"
#include "serial/SerTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TSerThread;
class TSerCommEventThread;
class TSerCommWriteThread;

// Common base of the component family: a component is owned by its parent and dies with it.
class TSerComponent : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSerComponent)

public:
    explicit TSerComponent(QObject* owner = nullptr) : QObject(owner) {}
};

// Receives what an attached data consumer is given: received blocks and line events.
class TSerDataConsumer {
public:
    virtual ~TSerDataConsumer() = default;
    virtual void RxBuffer(TSerCustomComm* sender, const uint8_t* data, int count) = 0;
    virtual void CommEvents(TSerCustomComm* sender, uint32_t mask) = 0;
};

// The serial port component: its settings, opening and closing a Linux serial device under a COMn
// name, and the traffic while it is open.
//
// Everything here is called on the user-interface thread. While the port is open, an event thread
// reads the device into the input queue and hands line events over, and a writer thread drains the
// transmit buffer into the device (SerThreads.h); their events run on the user-interface thread, one
// at a time, and never after Close.
//
// A device that goes away while open (an adapter pulled out) is reported once, on the user-interface
// thread, through OnLost (without a handler, through the general error display). The port then stays
// open but idle until its owner closes it: writes are dropped like those to a closed port, reads find
// what was received before, and Close followed by Open starts afresh once the device is back.
class TSerCustomComm : public TSerComponent {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSerCustomComm)

public:
    explicit TSerCustomComm(QObject* owner = nullptr);
    ~TSerCustomComm() override;

    void Open();
    void Close();
    bool IsOpen() const { return m_handle >= 0; }

    // The device the port opens: DeviceName filled with PortNum, looked up in the port map. A name
    // that is already a path ("/dev/ttyUSB%d") is taken as it is; an unmapped name is returned
    // unchanged, and opening it fails with "Specified device not found".
    QString DevicePath() const;

    // Opens the port when AutoOpen is set; the owner calls it once the component is set up.
    void Loaded();

    // Writing appends to the transmit buffer (the writer thread sends it later); reading returns what
    // the input queue holds and never waits.
    int WriteBytes(const void* bytes, int count);
    bool WriteString(const QByteArray& text);
    bool WriteByte(uint8_t byte);
    int ReadBytes(void* buffer, int count);
    QByteArray ReadString();
    int InputCount();
    TSerLineStatus QueryStatus();
    // Waits until input waits in the queue or on the device, at most timeoutMs; true when input
    // waits. It runs no event and no hand-over. A closed or lost port just lets the time pass.
    bool WaitForInput(int timeoutMs);
    // Whether the writer has sent everything and handed over the transmit-empty event of its last
    // write (always true without a writer thread).
    bool TransmitSettled() const;

    void AttachConsumer(TSerDataConsumer* consumer);
    void DetachConsumer(TSerDataConsumer* consumer);

    // Whether the device went away while open (until the next Close), and the error that told so.
    bool DeviceLost() const { return m_lost.load(); }
    QString LossMessage();

protected:
    // Properties; TSerComm publishes them.
    bool AutoOpen() const { return m_autoOpen; }
    void SetAutoOpen(bool value) { m_autoOpen = value; }
    TSerBaudrate Baudrate() const { return m_baudrate; }
    void SetBaudrate(TSerBaudrate value);
    TSerParity Parity() const { return m_parity; }
    void SetParity(TSerParity value);
    TSerDatabits Databits() const { return m_databits; }
    void SetDatabits(TSerDatabits value);
    TSerStopbits Stopbits() const { return m_stopbits; }
    void SetStopbits(TSerStopbits value);
    TSerEventChars& EventChars() { return m_eventChars; }
    void SetEventChars(const TSerEventChars& value) { m_eventChars.Assign(value); }
    TSerFlowControl& FlowControl() { return m_flowControl; }
    void SetFlowControl(const TSerFlowControl& value) { m_flowControl.Assign(value); }
    TSerCommOptions Options() const { return m_options; }
    void SetOptions(TSerCommOptions value);
    int PortNum() const { return m_portNum; }
    void SetPortNum(int value);
    QString DeviceName() const { return m_deviceName; }
    void SetDeviceName(const QString& value);
    TSerCommEvents MonitorEvents() const { return m_monitorEvents; }
    void SetMonitorEvents(TSerCommEvents value);
    TSerBuffers& Buffers() { return m_buffers; }
    void SetBuffers(const TSerBuffers& value) { m_buffers.Assign(value); }
    TSerThreadPriority EventPriority() const { return m_eventPriority; }
    void SetEventPriority(TSerThreadPriority value);
    TSerThreadPriority WritePriority() const { return m_writePriority; }
    void SetWritePriority(TSerThreadPriority value);
    bool DirectWrite() const { return m_directWrite; }
    void SetDirectWrite(bool value);
    bool UpdateDCB() const { return m_updateDCB; }
    void SetUpdateDCB(bool value);
    int UserBaudrate() const { return m_userBaudrate; }
    void SetUserBaudrate(int value);

    TSerNotifyEvent OnOpen, OnClose, OnCts, OnDsr, OnRlsd, OnRing, OnBreak;
    TSerCommErrorEvent OnError;
    TSerCommRxCharEvent OnRxChar;
    TSerCommRxBufEvent OnRxBuf;
    TSerCommLostEvent OnLost;
    TSerCommSentEvent OnSent;
    TSerNotifyEvent OnRxFlag, OnTxEmpty, OnPErr, OnRx80Full, OnEvent1, OnEvent2;

    // The overridable steps.
    virtual void CreateHandle();
    virtual void StartWorkers();
    virtual void HandleRxChar();
    virtual void HandleEvents(uint32_t mask);
    virtual void NotifyConsumers(uint32_t mask);
    virtual void HandleRxBuffer(const uint8_t* data, int count);

    void RequireClosed() const;
    [[noreturn]] void RaiseCommError(const QString& format, int errorCode) const;
    void VerifyCall(bool success, const QString& format, int errorCode) const;

    void WriteDeviceControl();
    void ApplyQueueSizes();
    void ApplyTimeouts();
    void ApplyEventMask();
    void DispatchEvents(uint32_t mask);
    void HandleLineErrors();
    void StopWorkers();

    // The line settings the properties give.
    SerLineSettings LineSettings() const;
    uint32_t EventMask() const { return m_eventMask; }

private:
    friend class TSerCommEventThread;
    friend class TSerCommWriteThread;

    // Reads what the device holds into the input queue (user-interface thread).
    void pullInput();
    // Folds new driver error counts into the error word; returns the line events they mean.
    uint32_t checkLineCounters();
    // Marks the device lost, keeping the first message that told so.
    void noteLoss(const QString& message);
    // Marks the device lost; true for the one caller that is to report it.
    bool claimLossReport();
    // User-interface thread: the one report of a loss.
    void reportLoss();
    void reapOrphans(bool detachRunning);
    void closeHandle();

    // Properties.
    bool m_autoOpen = false;
    TSerBaudrate m_baudrate = br1200;
    TSerParity m_parity = paNone;
    TSerDatabits m_databits = db8;
    TSerStopbits m_stopbits = sb1;
    TSerEventChars m_eventChars;
    TSerFlowControl m_flowControl;
    TSerCommOptions m_options;
    int m_portNum = 0;
    QString m_deviceName = QStringLiteral("COM%d");
    TSerCommEvents m_monitorEvents{ceError, ceRxChar, ceTxEmpty};
    TSerBuffers m_buffers;
    TSerThreadPriority m_eventPriority = tpNormal;
    TSerThreadPriority m_writePriority = tpHighest;
    bool m_directWrite = false;
    bool m_updateDCB = true;
    int m_userBaudrate = 0;

    // Run-time state.
    int m_handle = -1;
    uint32_t m_eventMask = 0;
    bool m_destroying = false;
    std::shared_ptr<TSerCommEventThread> m_eventThread;
    std::shared_ptr<TSerCommWriteThread> m_writeThread;
    // Workers told to stop while one of their hand-overs was still running further down the stack;
    // they end as soon as it returns and are joined later.
    std::vector<std::shared_ptr<TSerThread>> m_orphans;
    std::mutex m_writeLock; // direct writes only; the writer thread has its own
    TSerCriticalSection m_readLock;
    SerInputQueue m_rx;
    // Signalled when the event thread has put bytes into the queue, for WaitForInput.
    TSerWaitEvent m_inputArrived;
    std::vector<TSerDataConsumer*> m_consumers;

    // Expires with the component: a handler may destroy it, and the dispatch that ran the handler
    // must then stop before it touches the component again.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_lossReported{false};
    std::atomic<bool> m_txPending{false}; // a direct write waits to leave the driver
    std::atomic<uint32_t> m_pendingLineEvents{0}; // line events seen, not yet dispatched

    std::mutex m_statusMutex; // guards the error word, the counters and the loss message
    QString m_lossMessage;
    uint32_t m_lineErrors = 0;
    SerLine::Counters m_counters;
    bool m_countersKnown = false;
    bool m_countersUnsupported = false;
};

// The class placed on forms: publishes the properties and events.
class TSerComm final : public TSerCustomComm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSerComm)

public:
    explicit TSerComm(QObject* owner = nullptr) : TSerCustomComm(owner) {}

    using TSerCustomComm::AutoOpen;
    using TSerCustomComm::Baudrate;
    using TSerCustomComm::Buffers;
    using TSerCustomComm::Databits;
    using TSerCustomComm::DeviceName;
    using TSerCustomComm::DirectWrite;
    using TSerCustomComm::EventChars;
    using TSerCustomComm::EventPriority;
    using TSerCustomComm::FlowControl;
    using TSerCustomComm::MonitorEvents;
    using TSerCustomComm::Options;
    using TSerCustomComm::Parity;
    using TSerCustomComm::PortNum;
    using TSerCustomComm::SetAutoOpen;
    using TSerCustomComm::SetBaudrate;
    using TSerCustomComm::SetBuffers;
    using TSerCustomComm::SetDatabits;
    using TSerCustomComm::SetDeviceName;
    using TSerCustomComm::SetDirectWrite;
    using TSerCustomComm::SetEventChars;
    using TSerCustomComm::SetEventPriority;
    using TSerCustomComm::SetFlowControl;
    using TSerCustomComm::SetMonitorEvents;
    using TSerCustomComm::SetOptions;
    using TSerCustomComm::SetParity;
    using TSerCustomComm::SetPortNum;
    using TSerCustomComm::SetStopbits;
    using TSerCustomComm::SetUpdateDCB;
    using TSerCustomComm::SetUserBaudrate;
    using TSerCustomComm::SetWritePriority;
    using TSerCustomComm::Stopbits;
    using TSerCustomComm::UpdateDCB;
    using TSerCustomComm::UserBaudrate;
    using TSerCustomComm::WritePriority;

    using TSerCustomComm::OnBreak;
    using TSerCustomComm::OnClose;
    using TSerCustomComm::OnCts;
    using TSerCustomComm::OnDsr;
    using TSerCustomComm::OnError;
    using TSerCustomComm::OnLost;
    using TSerCustomComm::OnEvent1;
    using TSerCustomComm::OnEvent2;
    using TSerCustomComm::OnOpen;
    using TSerCustomComm::OnPErr;
    using TSerCustomComm::OnRing;
    using TSerCustomComm::OnRlsd;
    using TSerCustomComm::OnRx80Full;
    using TSerCustomComm::OnRxBuf;
    using TSerCustomComm::OnRxChar;
    using TSerCustomComm::OnRxFlag;
    using TSerCustomComm::OnSent;
    using TSerCustomComm::OnTxEmpty;
};
