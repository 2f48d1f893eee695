// Traffic through an open port: the transmit buffer and the writer thread, received bytes and
// their announcement, closing with work in flight, and a device that goes away.

#include "PtyPair.h"
#include "serial/PortCodes.h"
#include "serial/SerComm.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>
#include <time.h>

namespace {

const QString kBufferFull = QStringLiteral("Output buffer is full. Please check comm status.");

template <typename F>
QString raised(F&& f)
{
    try {
        f();
    } catch (const TalomaError& e) {
        return e.message();
    }
    return {};
}

QByteArray pattern(int size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed) & 0xff);
    return bytes;
}

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

} // namespace

class SerIoTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closedPort_writesAndReadsDoNothing();
    void write_fullBufferAtOnce_isAccepted();
    void write_largerThanBuffer_failsAfterWriteTimeout();
    void write_secondWrite_waitsUntilWriterMadeRoom();
    void write_secondWrite_failsWhenNothingDrains_andQueuesNothing();
    void txEmpty_oncePerDrainedWrite();
    void txEmpty_emptyWriteStillReports();
    void directWrite_sendsOnCallersThread_andDeviceReportsEmpty();
    void rxChar_burstWhileBusy_isAnnouncedOnceWithItsCount();
    void rxChar_partialRead_restWaitsForMoreBytes();
    void rxChar_onlyWhileMonitored();
    void waitForInput_endsWhenBytesArriveWhoeverReadThem();
    void consumers_takeReceivedBlocksInsteadOfRxChar();
    void close_noEventsAfterwards_andQueuesDiscarded();
    void close_insideOwnEventHandler_doesNotHang_data();
    void close_insideOwnEventHandler_doesNotHang();
    void unplug_reportedOnce_noBusyLoop_closeAndReopenWork();

private:
    // Fills the line until the writer can hand the device no more, leaving at most 256 bytes in the
    // transmit buffer. Events are served meanwhile, as the program's event loop would, so that the
    // writer is never held up by its own transmit-empty hand-over.
    void saturate();
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TSerComm> m_comm;
    int m_txEmpty = 0;
    QList<int> m_rxCounts;
};

void SerIoTest::init()
{
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->ok());
    pointPort(1, m_pty->slavePath());
    m_comm = std::make_unique<TSerComm>();
    PortCodes::ApplyPortCodes(*m_comm, 1, 7, 5, 1, 1);
    m_txEmpty = 0;
    m_rxCounts.clear();
    m_comm->OnTxEmpty = [this](TSerCustomComm*) { ++m_txEmpty; };
}

void SerIoTest::cleanup()
{
    m_comm.reset();
    m_pty.reset();
    m_prompts.reset();
}

void SerIoTest::saturate()
{
    const QByteArray chunk(256, 'A');
    for (int i = 0; i < 4000; ++i) {
        QElapsedTimer t;
        t.start();
        while (m_comm->QueryStatus().Stat.cbOutQue > 0 && t.elapsed() < 200)
            QTest::qWait(1);
        if (m_comm->QueryStatus().Stat.cbOutQue > 0)
            return;
        QVERIFY(m_comm->WriteString(chunk));
    }
    QFAIL("the line never filled up");
}

void SerIoTest::waitForInput_endsWhenBytesArriveWhoeverReadThem()
{
    QElapsedTimer clock;
    clock.start();
    // A closed port just lets the time pass.
    QVERIFY(!m_comm->WaitForInput(60));
    QVERIFY(clock.elapsed() >= 50);

    m_comm->Open();
    clock.restart();
    QVERIFY(!m_comm->WaitForInput(60));
    QVERIFY(clock.elapsed() >= 50);

    // Bytes that arrive during the wait end it, without any event being served.
    std::thread peer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_pty->write("ab");
    });
    clock.restart();
    const bool arrived = m_comm->WaitForInput(5000);
    const qint64 waited = clock.elapsed();
    peer.join();
    QVERIFY(arrived);
    QVERIFY2(waited < 2500, qPrintable(QString::number(waited)));
    QCOMPARE(m_comm->ReadString(), QByteArray("ab"));

    // Bytes the event thread already took from the device into the queue count as waiting.
    m_pty->write("cd");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    clock.restart();
    QVERIFY(m_comm->WaitForInput(5000));
    QVERIFY(clock.elapsed() < 2500);
    QCOMPARE(m_comm->ReadString(), QByteArray("cd"));
}

void SerIoTest::closedPort_writesAndReadsDoNothing()
{
    QVERIFY(!m_comm->WriteByte('x'));
    QVERIFY(!m_comm->WriteString("abc"));
    QVERIFY(m_comm->WriteString(QByteArray()));
    QCOMPARE(m_comm->WriteBytes("abc", 3), 0);
    QCOMPARE(m_comm->ReadString(), QByteArray());
    char buffer[4];
    QCOMPARE(m_comm->ReadBytes(buffer, 4), 0);
    QCOMPARE(m_comm->InputCount(), 0);
    QCOMPARE(m_comm->QueryStatus().Stat.cbInQue, 0u);
    QTest::qWait(50);
    QCOMPARE(m_txEmpty, 0);
}

void SerIoTest::write_fullBufferAtOnce_isAccepted()
{
    m_comm->Open();
    const QByteArray bytes = pattern(2048);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_comm->WriteString(bytes));
    QVERIFY2(clock.elapsed() < 500, "2048 bytes into an empty buffer must not wait");
    QCOMPARE(m_pty->read(2048, 5000), bytes);
}

void SerIoTest::write_largerThanBuffer_failsAfterWriteTimeout()
{
    m_comm->Open();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(raised([&] { m_comm->WriteString(pattern(2049)); }), kBufferFull);
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited >= 950 && waited < 5000, qPrintable(QString::number(waited)));
    // Nothing of it was queued, and the port goes on working.
    QCOMPARE(m_pty->drain(200), QByteArray());
    QVERIFY(m_comm->WriteString("ok"));
    QCOMPARE(m_pty->read(2, 3000), QByteArray("ok"));
}

void SerIoTest::write_secondWrite_waitsUntilWriterMadeRoom()
{
    m_comm->Open();
    saturate();
    QVERIFY(m_comm->WriteString(QByteArray(1500, 'B')));

    // The far end starts reading only after a while; until then the second write cannot fit.
    QByteArray received;
    std::atomic<bool> readerDone{false};
    std::thread reader([&] {
        QThread::msleep(300);
        QElapsedTimer t;
        t.start();
        while (received.count('C') < 1500 && t.elapsed() < 8000)
            received += m_pty->read(1, 20);
        readerDone = true;
    });
    QElapsedTimer clock;
    clock.start();
    bool accepted = false;
    const QString error = raised([&] { accepted = m_comm->WriteString(QByteArray(1500, 'C')); });
    const qint64 waited = clock.elapsed();
    // The rest drains while events are served, as in the program.
    while (!readerDone)
        QTest::qWait(5);
    reader.join();
    QCOMPARE(error, QString());
    QVERIFY(accepted);
    QVERIFY2(waited >= 250, qPrintable(QString::number(waited)));
    QCOMPARE(received.count('B'), 1500);
    QCOMPARE(received.count('C'), 1500);
    QVERIFY(received.lastIndexOf('B') < received.indexOf('C'));
}

void SerIoTest::write_secondWrite_failsWhenNothingDrains_andQueuesNothing()
{
    m_comm->Open();
    saturate();
    QVERIFY(m_comm->WriteString(QByteArray(1500, 'B')));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(raised([&] { m_comm->WriteString(QByteArray(1500, 'C')); }), kBufferFull);
    QVERIFY(clock.elapsed() >= 950);
    const QByteArray received = m_pty->drain(300);
    QCOMPARE(received.count('B'), 1500);
    QCOMPARE(received.count('C'), 0);
}

void SerIoTest::txEmpty_oncePerDrainedWrite()
{
    m_comm->Open();
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(m_comm->WriteByte(uint8_t('0' + i)));
        QTRY_COMPARE(m_txEmpty, i);
    }
    QTest::qWait(200);
    QCOMPARE(m_txEmpty, 5);
    QCOMPARE(m_pty->read(5, 3000), QByteArray("12345"));
}

void SerIoTest::txEmpty_emptyWriteStillReports()
{
    m_comm->Open();
    QVERIFY(m_comm->WriteString(QByteArray()));
    QTRY_COMPARE(m_txEmpty, 1);
    QTest::qWait(100);
    QCOMPARE(m_txEmpty, 1);
    QCOMPARE(m_pty->drain(100), QByteArray());
}

void SerIoTest::directWrite_sendsOnCallersThread_andDeviceReportsEmpty()
{
    m_comm->SetDirectWrite(true);
    m_comm->Open();
    // The bytes have left when the call returns; the transmit-empty event then comes from the device.
    QCOMPARE(m_comm->WriteBytes("direct", 6), 6);
    QCOMPARE(m_pty->read(6, 3000), QByteArray("direct"));
    QTRY_COMPARE(m_txEmpty, 1);
    QVERIFY(m_comm->WriteString(QByteArray(5000, 'd')));
    QCOMPARE(m_pty->read(5000, 3000).size(), 5000);
    QTRY_COMPARE(m_txEmpty, 2);
}

void SerIoTest::rxChar_burstWhileBusy_isAnnouncedOnceWithItsCount()
{
    QByteArray got;
    m_comm->OnRxChar = [&](TSerCustomComm* sender, int count) {
        m_rxCounts.append(count);
        got += sender->ReadString();
    };
    m_comm->Open();
    const QByteArray bytes = pattern(300, 5);
    m_pty->write(bytes);
    QThread::msleep(200); // the user-interface thread is busy: nothing is served
    QTRY_COMPARE(m_rxCounts, QList<int>{300});
    QCOMPARE(got, bytes);
    // Once: the next announcement is the next byte's, with no repeat for the burst before it.
    m_pty->write("!");
    QTRY_COMPARE(m_rxCounts.size(), 2);
    QCOMPARE(m_rxCounts, (QList<int>{300, 1}));
    QCOMPARE(got, bytes + "!");
}

void SerIoTest::rxChar_partialRead_restWaitsForMoreBytes()
{
    m_comm->OnRxChar = [&](TSerCustomComm* sender, int count) {
        m_rxCounts.append(count);
        char part[100];
        QCOMPARE(sender->ReadBytes(part, 100), 100);
    };
    m_comm->Open();
    const QByteArray bytes = pattern(300, 9);
    m_pty->write(bytes);
    QThread::msleep(100);
    QTRY_COMPARE(m_rxCounts, QList<int>{300});
    QTest::qWait(250);
    QCOMPARE(m_rxCounts, QList<int>{300}); // 200 left, not announced again
    QCOMPARE(m_comm->InputCount(), 200);

    m_pty->write("0123456789");
    QTRY_COMPARE(m_rxCounts.size(), 2);
    QCOMPARE(m_rxCounts[1], 210);
    m_comm->OnRxChar = nullptr;
    QCOMPARE(m_comm->ReadString(), bytes.mid(200) + "0123456789");
}

void SerIoTest::rxChar_onlyWhileMonitored()
{
    m_comm->SetMonitorEvents({ceError});
    m_comm->OnRxChar = [&](TSerCustomComm*, int count) { m_rxCounts.append(count); };
    m_comm->Open();
    m_pty->write("quiet");
    QByteArray got;
    QTRY_COMPARE(got += m_comm->ReadString(), QByteArray("quiet"));
    QTest::qWait(100);
    QVERIFY(m_rxCounts.isEmpty());

    // Without any monitored event there is no event thread: reading still finds the bytes.
    m_comm->Close();
    m_comm->SetMonitorEvents({});
    m_comm->Open();
    m_pty->write("still");
    got.clear();
    QTRY_COMPARE(got += m_comm->ReadString(), QByteArray("still"));
}

void SerIoTest::consumers_takeReceivedBlocksInsteadOfRxChar()
{
    struct Consumer final : TSerDataConsumer {
        QByteArray blocks;
        QList<uint32_t> masks;
        void RxBuffer(TSerCustomComm*, const uint8_t* data, int count) override
        {
            blocks.append(reinterpret_cast<const char*>(data), count);
        }
        void CommEvents(TSerCustomComm*, uint32_t mask) override { masks.append(mask); }
    } consumer;
    QByteArray viaEvent;
    m_comm->OnRxChar = [&](TSerCustomComm*, int count) { m_rxCounts.append(count); };
    m_comm->OnRxBuf = [&](TSerCustomComm*, const uint8_t* data, int count) {
        viaEvent.append(reinterpret_cast<const char*>(data), count);
    };
    m_comm->AttachConsumer(&consumer);
    m_comm->Open();
    m_pty->write("block");
    QTRY_COMPARE(consumer.blocks, QByteArray("block"));
    QCOMPARE(viaEvent, QByteArray("block"));
    QVERIFY(m_rxCounts.isEmpty());
    QCOMPARE(m_comm->InputCount(), 0);

    // Line events reach the consumer too; detached, it hears nothing more and OnRxChar is back.
    m_comm->WriteByte('x');
    QTRY_VERIFY(consumer.masks.contains(SerEv::TxEmpty));
    m_comm->DetachConsumer(&consumer);
    m_pty->write("plain");
    QTRY_COMPARE(m_rxCounts.size(), 1);
    QCOMPARE(consumer.blocks, QByteArray("block"));
}

void SerIoTest::close_noEventsAfterwards_andQueuesDiscarded()
{
    m_comm->OnRxChar = [&](TSerCustomComm*, int count) { m_rxCounts.append(count); };
    m_comm->Open();

    // A write whose OnTxEmpty is still on its way, and bytes received but not yet dispatched.
    m_pty->write("late");
    QVERIFY(m_comm->WriteByte('x'));
    QThread::msleep(100);
    m_comm->Close();
    m_pty->write("after close");
    QTest::qWait(200);
    QCOMPARE(m_txEmpty, 0);
    QVERIFY(m_rxCounts.isEmpty());
    m_pty->drain(100);

    // What came while the port was closed is not read; bytes still in the transmit buffer at Close
    // are never sent, and the next Open starts with an empty buffer.
    m_comm->Open();
    QTest::qWait(50);
    QCOMPARE(m_comm->InputCount(), 0);
    saturate();
    QVERIFY(m_comm->WriteString(QByteArray(1500, 'B')));
    m_comm->Close();
    m_comm->Open();
    QCOMPARE(m_comm->QueryStatus().Stat.cbOutQue, 0u);
    QVERIFY(m_comm->WriteString("Z"));
    QByteArray received;
    QTRY_VERIFY((received += m_pty->drain(20)).endsWith('Z'));
    QCOMPARE(received.count('B'), 0);
}

void SerIoTest::close_insideOwnEventHandler_doesNotHang_data()
{
    QTest::addColumn<bool>("fromTxEmpty");
    QTest::newRow("OnRxChar") << false;
    QTest::newRow("OnTxEmpty") << true;
}

void SerIoTest::close_insideOwnEventHandler_doesNotHang()
{
    QFETCH(bool, fromTxEmpty);
    int closes = 0;
    m_comm->OnClose = [&](TSerCustomComm*) { ++closes; };
    auto closeNow = [this] {
        m_comm->Close();
        // Nothing is raised after the Close, not even what the same dispatch still held.
        QVERIFY(!m_comm->IsOpen());
    };
    if (fromTxEmpty)
        m_comm->OnTxEmpty = [&](TSerCustomComm*) { closeNow(); };
    else
        m_comm->OnRxChar = [&](TSerCustomComm*, int) { closeNow(); };
    m_comm->Open();
    if (fromTxEmpty)
        m_comm->WriteByte('x');
    else
        m_pty->write("x");
    QTRY_COMPARE(closes, 1);

    m_comm->OnTxEmpty = nullptr;
    m_comm->OnRxChar = [&](TSerCustomComm*, int count) { m_rxCounts.append(count); };
    m_comm->Open();
    m_pty->drain(50);
    m_pty->write("again");
    QTRY_COMPARE(m_rxCounts.size(), 1);
    QVERIFY(m_comm->WriteString("back"));
    QCOMPARE(m_pty->read(4, 3000), QByteArray("back"));
    m_comm->Close();
    QCOMPARE(closes, 2);
}

void SerIoTest::unplug_reportedOnce_noBusyLoop_closeAndReopenWork()
{
    int closes = 0;
    m_comm->OnClose = [&](TSerCustomComm*) { ++closes; };
    m_comm->OnRxChar = [&](TSerCustomComm* sender, int count) {
        m_rxCounts.append(count);
        sender->ReadString();
    };
    m_comm->Open();
    QVERIFY(m_comm->WriteString("hello"));
    QCOMPARE(m_pty->read(5, 3000), QByteArray("hello"));

    m_pty->closeMaster();
    QTRY_COMPARE(m_prompts->texts("message").size(), 1);
    static const QRegularExpression lost(QStringLiteral("^(Read|Write) error \\(\\d+\\), .+$"));
    QVERIFY2(lost.match(m_prompts->texts("message").value(0)).hasMatch(),
             qPrintable(m_prompts->texts("message").value(0)));
    QVERIFY(m_comm->DeviceLost());

    // Idle from now on: no more reports, no thread spinning on the dead device.
    const double cpuBefore = processCpuMs();
    QTest::qWait(500);
    const double cpuUsed = processCpuMs() - cpuBefore;
    QVERIFY2(cpuUsed < 250, qPrintable(QString::number(cpuUsed)));
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(!m_comm->WriteString("into the void"));
    QCOMPARE(m_comm->ReadString(), QByteArray());
    QVERIFY(m_comm->IsOpen());

    m_comm->Close();
    QCOMPARE(closes, 1);
    QVERIFY(!m_comm->IsOpen());

    // The device comes back (here: a new pseudo-terminal under the same name).
    m_pty = std::make_unique<PtyPair>();
    pointPort(1, m_pty->slavePath());
    m_comm->Open();
    QVERIFY(!m_comm->DeviceLost());
    QVERIFY(m_comm->WriteString("back"));
    QCOMPARE(m_pty->read(4, 3000), QByteArray("back"));
    m_pty->write("hi");
    QTRY_VERIFY(!m_rxCounts.isEmpty());
    QCOMPARE(m_prompts->texts("message").size(), 1);
}

QTEST_GUILESS_MAIN(SerIoTest)
#include "tst_serio.moc"
