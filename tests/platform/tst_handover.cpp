#include "platform/Errors.h"
#include "platform/HandOver.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>

class HandOverTest : public QObject {
    Q_OBJECT

private slots:
    void synchronize_runsOnUiThreadAndBlocksWorker();
    void synchronize_fromEventLoopProcessMessagesAndWait_data();
    void synchronize_fromEventLoopProcessMessagesAndWait();
    void exceptionInHandOver_isShownAndWorkerGoesOn();
    void delay_waitsAtLeastTheTimeAndServesHandOvers();
};

void HandOverTest::synchronize_runsOnUiThreadAndBlocksWorker()
{
    QThread* ui = QThread::currentThread();
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> workerReturned{false};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        HandOver::Synchronize([&] { ranOnUi = QThread::currentThread() == ui; });
        workerReturned = true;
    }));
    worker->start();
    // The worker is blocked until the UI thread serves the queue.
    QElapsedTimer t;
    t.start();
    while (HandOver::pendingCount() == 0 && t.elapsed() < 5000)
        QThread::msleep(1); // no event processing here: nothing may serve the queue yet
    QCOMPARE(HandOver::pendingCount(), 1);
    QVERIFY(!workerReturned);
    HandOver::runPending();
    QVERIFY(worker->wait(5000));
    QVERIFY(ranOnUi);
    QVERIFY(workerReturned);
}

void HandOverTest::synchronize_fromEventLoopProcessMessagesAndWait_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("event loop") << 0;
    QTest::newRow("ProcessMessages") << 1;
    QTest::newRow("waiting for a worker") << 2;
}

void HandOverTest::synchronize_fromEventLoopProcessMessagesAndWait()
{
    QFETCH(int, way);
    std::atomic<int> runs{0};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int i = 0; i < 3; ++i)
            HandOver::Synchronize([&] { ++runs; });
        HandOver::wakeWaiters();
    }));
    worker->start();
    switch (way) {
    case 0:
        QTRY_COMPARE(runs.load(), 3);
        break;
    case 1: {
        QElapsedTimer t;
        t.start();
        while (runs < 3 && t.elapsed() < 5000) {
            ProcessMessages();
            QThread::msleep(1);
        }
        break;
    }
    case 2:
        QVERIFY(HandOver::waitServing([&] { return worker->isFinished(); }, 5000));
        break;
    }
    QVERIFY(worker->wait(5000));
    QCOMPARE(runs.load(), 3);
}

void HandOverTest::exceptionInHandOver_isShownAndWorkerGoesOn()
{
    ScriptedPrompts prompts;
    std::atomic<bool> after{false};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        HandOver::Synchronize([] { throw EConvertError("'x' ist kein gültiger Integerwert"); });
        after = true;
    }));
    worker->start();
    QVERIFY(HandOver::waitServing([&] { return after.load(); }, 5000));
    QVERIFY(worker->wait(5000));
    QCOMPARE(prompts.texts("message"), QStringList{"'x' ist kein gültiger Integerwert"});
}

void HandOverTest::delay_waitsAtLeastTheTimeAndServesHandOvers()
{
    std::atomic<bool> served{false};
    std::unique_ptr<QThread> worker(QThread::create([&] { HandOver::Synchronize([&] { served = true; }); }));
    QElapsedTimer t;
    t.start();
    worker->start();
    Delay(120);
    QVERIFY(t.elapsed() >= 120);
    QVERIFY(worker->wait(5000));
    QVERIFY(served);
}

QTEST_GUILESS_MAIN(HandOverTest)
#include "tst_handover.moc"
