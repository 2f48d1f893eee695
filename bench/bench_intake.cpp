// Received text through the main window's terminal pane, from a pseudo-terminal the benchmark plays:
//  - unpaced intake of lines (10 MB by default) and of a flood without line ends (a board at the wrong
//    baud rate): MB/s, and the longest time the window's event loop did not answer meanwhile;
//  - a steady trickle at 38400 baud: thread wake-ups per second (voluntary and involuntary context
//    switches of the program's threads, from /proc/self/task), per thread and in all.
// Usage: bench_intake [megabytes] [seconds at 38400 baud]. Prints figures; passes or fails nothing.

#include "settings/GlobVar_Unit.h"
#include "BenchPty.h"
#include "app/TfrmTerminal.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <map>
#include <poll.h>
#include <pty.h>
#include <sys/syscall.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs the event loop until done() or the time is up; returns the longest gap between two ticks of a
// 5 ms timer, that is, how long the window would have kept a click waiting.
qint64 serveUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (done() || now > timeoutMs)
            loop.quit();
    });
    tick.start(5);
    loop.exec();
    return longest;
}

struct Switches {
    QString name;
    long long count = 0;
    long long involuntary = 0;
};

// Context switches of every thread of this process but the one given (the benchmark's own sender).
std::map<int, Switches> threadSwitches(pid_t except)
{
    std::map<int, Switches> out;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        if (task.toInt() == except)
            continue;
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        Switches s;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                s.name = QString::fromLatin1(line.mid(5).trimmed());
            else if (line.startsWith("voluntary_ctxt_switches:"))
                s.count += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                s.involuntary += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        out[task.toInt()] = s;
    }
    return out;
}

class Window {
public:
    explicit Window(const Pty& pty)
    {
        qputenv("TALOMA_COM1", QFile::encodeName(pty.path));
        PortMap::global().Load(m_noDevices.path(), QStringLiteral("/dev"), QString());
        m_window = std::make_unique<TfrmTerminal>();
        m_window->show();
        m_window->findChild<QAction*>(QStringLiteral("tbnCommOpen"))->trigger();
    }
    ~Window() { m_window->findChild<QAction*>(QStringLiteral("tbnCommClose"))->trigger(); }
    bool open() const { return GlobVar::PortOpen; }
    QPlainTextEdit* pane() const { return m_window->MemoT; }

private:
    QTemporaryDir m_noDevices;
    std::unique_ptr<TfrmTerminal> m_window;
};

void unpaced(const char* what, qint64 bytes, bool lineEnds)
{
    Pty pty;
    Window window(pty);
    if (!window.open()) {
        std::printf("  cannot open %s\n", qPrintable(pty.path));
        return;
    }
    QByteArray piece(lineEnds ? 78 : 4096, 'x');
    for (int i = 0; i < piece.size(); ++i)
        piece[i] = char('!' + (i * 7) % 90);
    if (lineEnds)
        piece += "\r\n";
    const QByteArray marker = lineEnds ? QByteArray("END\r\n") : QByteArray("\r\nEND\r\n");
    std::atomic<bool> sent{false};
    QElapsedTimer clock;
    clock.start();
    std::thread sender([&] {
        for (qint64 done = 0; done < bytes; done += piece.size())
            pty.write(piece.constData(), size_t(piece.size()));
        pty.write(marker.constData(), size_t(marker.size()));
        sent = true;
    });
    QTextDocument* document = window.pane()->document();
    const qint64 stall = serveUntil(
        [&] { return sent && document->lastBlock().previous().text() == QLatin1String("END"); }, 600000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    sender.join();
    std::printf("  %-28s %6.2f MB/s  (%lld bytes in %.2f s); longest unanswered event loop %lld ms; %d blocks\n",
                what, double(bytes) / seconds / 1e6, bytes, seconds, stall, document->blockCount());
}

void trickle(int seconds)
{
    constexpr int baud = 38400;
    Pty pty;
    Window window(pty);
    if (!window.open()) {
        std::printf("  cannot open %s\n", qPrintable(pty.path));
        return;
    }
    std::atomic<bool> stop{false};
    std::atomic<pid_t> senderTid{0};
    std::thread sender([&] {
        senderTid = pid_t(::syscall(SYS_gettid));
        // Bytes as a UART hands them over, a few at a time, each once its ten bit times have passed.
        const QByteArray text = QByteArrayLiteral("PRINT OUTPUT OF A RUNNING PROGRAM 0123456789\r\n");
        const auto start = std::chrono::steady_clock::now();
        qint64 due = 0;
        qint64 sentBytes = 0;
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            due = qint64(elapsed * baud / 10);
            while (sentBytes < due) {
                const char byte = text.at(int(sentBytes % text.size()));
                pty.write(&byte, 1);
                ++sentBytes;
            }
        }
    });
    // The event loop on its own, as the program runs it: no tick of the benchmark wakes it.
    auto idle = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    idle(1000); // settle
    struct Counter : QObject {
        std::map<QString, int> counts;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            const QString receiver = QString::fromLatin1(o->metaObject()->className()) + QLatin1Char('/') + o->objectName();
            counts[QString::number(int(e->type())) + QLatin1Char(' ') + receiver]++;
            return false;
        }
    } counter;
    if (qEnvironmentVariableIsSet("BENCH_EVENTS"))
        qApp->installEventFilter(&counter);
    const auto before = threadSwitches(senderTid);
    QElapsedTimer clock;
    clock.start();
    idle(seconds * 1000);
    const double elapsed = clock.nsecsElapsed() / 1e9;
    const auto after = threadSwitches(senderTid);
    stop = true;
    sender.join();
    double total = 0;
    for (const auto& [tid, s] : after) {
        const auto was = before.find(tid);
        const bool known = was != before.end();
        const double voluntary = double(s.count - (known ? was->second.count : 0)) / elapsed;
        const double involuntary = double(s.involuntary - (known ? was->second.involuntary : 0)) / elapsed;
        total += voluntary + involuntary;
        if (voluntary + involuntary >= 0.5)
            std::printf("    thread %-16s %7.1f wake-ups/s (%.1f of them preempted)\n", qPrintable(s.name),
                        voluntary + involuntary, involuntary);
    }
    std::printf("  at %d baud for %.0f s: %.0f wake-ups/s in all\n", baud, elapsed, total);
    for (const auto& [k, n] : counter.counts)
        if (n > seconds * 5)
            std::printf("    event %s: %.1f/s\n", qPrintable(k), n / elapsed);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 10;
    const int trickleSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 10;
    GlobVar::ResetGlobals();
    SettingsStore::resetForTests(config.filePath(QStringLiteral("HKEY_CURRENT_USER.reg")));

    std::printf("Terminal intake, unpaced, through the pane\n");
    unpaced("lines of 80 bytes:", megabytes * 1000 * 1000, true);
    unpaced("flood without line ends:", megabytes * 1000 * 1000, false);
    std::printf("Thread wake-ups while receiving\n");
    trickle(trickleSeconds);
    return 0;
}
