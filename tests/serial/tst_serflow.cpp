// The port's intake under load, the end of the component while its workers are busy, and a device
// that goes away while open.

#include "PtyPair.h"
#include "serial/PortCodes.h"
#include "serial/SerComm.h"
#include "serial/SerThreads.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <QDir>
#include <QRegularExpression>

#include <atomic>
#include <thread>

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + i / 251) & 0xff);
    return bytes;
}

// The writer, held right after its transmit-empty hand-over returned until the test lets it go on.
std::atomic<int> writerHeld{0};
std::atomic<int> writerGoesOn{0};

void holdWriter()
{
    writerHeld = 1;
    writerHeld.notify_all();
    writerGoesOn.wait(0);
}

void releaseWriter()
{
    writerGoesOn = 1;
    writerGoesOn.notify_all();
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class SerFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void intake_keepsReadingWhileTheReaderGathers_andOneReadTakesAll();
    void intake_partialReadLeavesTheRestForTheNextArrival();
    void lost_reportedOnceThroughOnLost_readsDoNotThrow();

    void destroyedAfterClosingInWriterHandOver_writerTouchesNothingOfIt();
    void destroyedInsideWriterHandOver_dispatchStops();
    void destroyedWhileWriterWaitsForItsHandOver();
    void destroyedWhileTheLetGoWriterIsHeldAfterItsHandOver_writerTouchesNothingOfIt();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void SerFlowTest::init()
{
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->ok());
    pointPort(1, m_pty->slavePath());
    writerHeld = 0;
    writerGoesOn = 0;
}

void SerFlowTest::cleanup()
{
    TSerCommWriteThread::SetHandOverDelayForTests(0);
    TSerCommWriteThread::SetAfterHandOverHookForTests(nullptr);
    // A test that failed half-way must not leave a writer held for ever.
    releaseWriter();
    m_pty.reset();
    m_prompts.reset();
}

void SerFlowTest::intake_keepsReadingWhileTheReaderGathers_andOneReadTakesAll()
{
    // The handler reads later (as the terminal does after its gathering); meanwhile far more than a
    // driver's few kilobytes arrive, and they are announced once.
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    QList<int> counts;
    comm.OnRxChar = [&](TSerCustomComm*, int count) { counts.append(count); };
    comm.Open();
    const QByteArray bytes = pattern(300 * 1000);
    std::thread peer([&] { m_pty->write(bytes); });
    QTRY_VERIFY_WITH_TIMEOUT(comm.InputCount() == int(bytes.size()) && !counts.isEmpty(), 20000);
    peer.join();
    QTest::qWait(100);
    QCOMPARE(counts.size(), 1);
    QCOMPARE(comm.ReadString(), bytes);
    QCOMPARE(comm.InputCount(), 0);
    // Read, the announcement is done with: the next arrival is announced again.
    m_pty->write("next");
    QTRY_COMPARE(counts.size(), 2);
    QCOMPARE(counts.last(), 4);
}

void SerFlowTest::intake_partialReadLeavesTheRestForTheNextArrival()
{
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    QList<int> counts;
    comm.OnRxChar = [&](TSerCustomComm* sender, int count) {
        counts.append(count);
        char part[10];
        sender->ReadBytes(part, 10);
    };
    comm.Open();
    m_pty->write(pattern(50));
    QTRY_COMPARE(counts, QList<int>{50});
    QTest::qWait(100);
    QCOMPARE(counts, QList<int>{50});
    m_pty->write("xy");
    QTRY_COMPARE(counts, (QList<int>{50, 42}));
}

void SerFlowTest::lost_reportedOnceThroughOnLost_readsDoNotThrow()
{
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    QStringList lost;
    comm.OnLost = [&](TSerCustomComm* sender, const QString& message) {
        QVERIFY(sender->DeviceLost());
        lost.append(message);
    };
    comm.OnRxChar = [](TSerCustomComm*, int) {};
    comm.Open();
    m_pty->write("kept");
    QTRY_COMPARE(comm.InputCount(), 4);
    m_pty->closeMaster();
    // A reader on this thread may find the loss first; it still gets what came before, and the one
    // report comes through OnLost.
    QByteArray got;
    QTRY_VERIFY((got += comm.ReadString(), !lost.isEmpty()));
    QCOMPARE(got, QByteArray("kept"));
    QTest::qWait(200);
    QCOMPARE(lost.size(), 1);
    static const QRegularExpression text(QStringLiteral("^(Read|Write) error \\(\\d+\\), .+$"));
    QVERIFY2(text.match(lost.first()).hasMatch(), qPrintable(lost.first()));
    QCOMPARE(comm.LossMessage(), lost.first());
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(comm.IsOpen());
    QVERIFY(!comm.WriteString("void"));
}

void SerFlowTest::destroyedAfterClosingInWriterHandOver_writerTouchesNothingOfIt()
{
    // Closed from its own transmit-empty handler, the port lets the writer go (it cannot wait for a
    // thread whose hand-over it runs inside of); the component is destroyed right after. The writer
    // finishes its hand-over meanwhile; ThreadSanitizer reports any touch of the freed component.
    auto* comm = new TSerComm;
    PortCodes::ApplyPortCodes(*comm, 1, 7, 5, 1, 1);
    QByteArray written;
    comm->OnTxEmpty = [this, comm, &written](TSerCustomComm*) {
        // Read before the close, which discards what the other end has not read yet.
        written = m_pty->read(1, 1000);
        comm->Close();
    };
    comm->Open();
    QVERIFY(comm->WriteByte('x'));
    QTRY_VERIFY(!comm->IsOpen());
    delete comm;
    QTest::qWait(200);
    QCOMPARE(written, QByteArray("x"));
}

void SerFlowTest::destroyedInsideWriterHandOver_dispatchStops()
{
    // The transmit-empty handler runs a nested event loop (as a message box does), and the component
    // is destroyed in it; the writer, let go by the dying component, then returns from its hand-over.
    auto* comm = new TSerComm;
    PortCodes::ApplyPortCodes(*comm, 1, 7, 5, 1, 1);
    bool handled = false;
    QByteArray written;
    comm->OnTxEmpty = [this, comm, &handled, &written](TSerCustomComm*) {
        bool* done = &handled;
        // Read before the destruction closes the port, which discards what the other end has not read.
        written = m_pty->read(1, 1000);
        QTimer::singleShot(0, [comm] { delete comm; });
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        // The component and this very handler are gone: touch nothing captured but the flag.
        *done = true;
    };
    comm->Open();
    QVERIFY(comm->WriteByte('x'));
    QTRY_VERIFY(handled);
    // Give the writer time to finish after its hand-over; ThreadSanitizer reports any touch of the
    // freed component.
    QTest::qWait(200);
    QCOMPARE(written, QByteArray("x"));
}

void SerFlowTest::destroyedWhileWriterWaitsForItsHandOver()
{
    TSerCommWriteThread::SetHandOverDelayForTests(0);
    int txEmpty = 0;
    {
        TSerComm comm;
        PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
        comm.OnTxEmpty = [&](TSerCustomComm*) { ++txEmpty; };
        comm.Open();
        QVERIFY(comm.WriteString("abc"));
        // No event is served: the writer waits in its hand-over until the destruction serves it.
        QCOMPARE(m_pty->read(3, 5000), QByteArray("abc"));
        QVERIFY(!comm.TransmitSettled());
    }
    QCOMPARE(txEmpty, 0);
}

void SerFlowTest::destroyedWhileTheLetGoWriterIsHeldAfterItsHandOver_writerTouchesNothingOfIt()
{
    // Closed from its own transmit-empty handler, the port lets the writer go. The writer is held
    // right after that hand-over returned, the component is destroyed meanwhile, and only then does
    // the writer go on to finish. Whatever it touches of the component now is freed memory, which
    // the sanitizer build reports, a lock taken there included (FreedLockCheck.cpp).
    const int threadsBefore = threadCount();
    TSerCommWriteThread::SetAfterHandOverHookForTests(&holdWriter);
    auto* comm = new TSerComm;
    PortCodes::ApplyPortCodes(*comm, 1, 7, 5, 1, 1);
    QByteArray written;
    comm->OnTxEmpty = [this, comm, &written](TSerCustomComm*) {
        // Read before the close, which discards what the other end has not read yet.
        written = m_pty->read(1, 1000);
        comm->Close();
    };
    comm->Open();
    QVERIFY(comm->WriteByte('x'));
    QTRY_VERIFY(writerHeld.load() == 1);
    QVERIFY(!comm->IsOpen());
    delete comm;
    releaseWriter();
    // The writer ends by itself; the program must not end before it has.
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= threadsBefore, 10000);
    QCOMPARE(written, QByteArray("x"));
}

QTEST_GUILESS_MAIN(SerFlowTest)
#include "tst_serflow.moc"
