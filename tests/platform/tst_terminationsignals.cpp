// Termination signals reach the event loop instead of ending the process.

#include "platform/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TerminationSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void signals_arriveInTheEventLoopInOrder();
};

void TerminationSignalsTest::signals_arriveInTheEventLoopInOrder()
{
    struct sigaction before {};
    QCOMPARE(::sigaction(SIGTERM, nullptr, &before), 0);
    {
        TerminationSignals termination;
        QSignalSpy spy(&termination, &TerminationSignals::received);
        // Raised here, the process would have ended before the spy saw anything.
        for (const int s : {SIGHUP, SIGTERM, SIGINT})
            QCOMPARE(::raise(s), 0);
        QTRY_COMPARE(spy.size(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), SIGHUP);
        QCOMPARE(spy.at(1).at(0).toInt(), SIGTERM);
        QCOMPARE(spy.at(2).at(0).toInt(), SIGINT);
    }
    // Gone with the object: the handlers are what they were.
    struct sigaction after {};
    QCOMPARE(::sigaction(SIGTERM, nullptr, &after), 0);
    QVERIFY(after.sa_handler == before.sa_handler);
}

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
