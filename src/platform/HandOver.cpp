#include "HandOver.h"

#include "Prompts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

struct Call {
    const std::function<void()>* fn;
    bool done = false;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable changed; // a call was queued or finished, or a waiter should look again
    std::deque<Call*> calls;
    bool wakePosted = false;
};

Queue& queue()
{
    static Queue q;
    return q;
}

bool onUiThread()
{
    auto* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void runOne(Call* call)
{
    try {
        (*call->fn)();
    } catch (const std::exception& e) {
        showError(e);
    } catch (...) {
        Prompts::instance().message(QStringLiteral("Unbekannter Fehler"));
    }
}

} // namespace

namespace HandOver {

void Synchronize(const std::function<void()>& fn)
{
    if (onUiThread()) {
        Call call{&fn};
        runOne(&call);
        return;
    }
    Queue& q = queue();
    Call call{&fn};
    std::unique_lock lock(q.mutex);
    q.calls.push_back(&call);
    if (!q.wakePosted) {
        q.wakePosted = true;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { runPending(); }, Qt::QueuedConnection);
    }
    q.changed.notify_all();
    q.changed.wait(lock, [&] { return call.done; });
}

int runPending()
{
    Queue& q = queue();
    int count = 0;
    for (;;) {
        Call* call = nullptr;
        {
            std::lock_guard lock(q.mutex);
            q.wakePosted = false;
            if (q.calls.empty())
                break;
            call = q.calls.front();
            q.calls.pop_front();
        }
        runOne(call);
        ++count;
        std::lock_guard lock(q.mutex);
        call->done = true;
        q.changed.notify_all();
    }
    return count;
}

bool waitServing(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    Queue& q = queue();
    for (;;) {
        runPending();
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        std::unique_lock lock(q.mutex);
        if (q.calls.empty()) {
            // Bounded slices: a condition that changes without a wake-up is still seen soon.
            const qint64 left = deadline.isForever() ? 5 : qMin<qint64>(5, deadline.remainingTime());
            q.changed.wait_for(lock, std::chrono::milliseconds(qMax<qint64>(left, 0)));
        }
    }
}

void wakeWaiters()
{
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.changed.notify_all();
}

int pendingCount()
{
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    return int(q.calls.size());
}

} // namespace HandOver

void ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    HandOver::runPending();
}

void Delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        HandOver::runPending();
        QEventLoop loop;
        QTimer::singleShot(int(qMax<qint64>(1, ms - clock.elapsed())), &loop, &QEventLoop::quit);
        loop.exec();
    }
    HandOver::runPending();
}
