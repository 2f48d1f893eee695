// The port component over a pseudo-terminal: throughput both ways, the delay from a byte on the line
// to OnRxChar on the user-interface thread, and the processor time an open, idle port takes.
// Prints figures; passes or fails nothing.

#include "BenchPty.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

double seconds(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Sleeps in the event loop, as the program does, until done() or the time is up. A slow tick makes
// sure a condition that changes without an event is seen too.
template <typename F>
bool serveUntil(F done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void writeThroughput(TSerComm& comm, Pty& pty, qint64 total)
{
    std::atomic<qint64> received{0};
    std::thread reader([&] {
        std::vector<char> chunk(65536);
        while (received < total) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                break;
            const ssize_t n = ::read(pty.master, chunk.data(), chunk.size());
            if (n > 0)
                received += n;
        }
    });
    // A piece fills the whole transmit buffer, so the next one fits once the writer has drained it
    // and handed OnTxEmpty over; the event loop runs in between, as in the program.
    const QByteArray piece(2048, 'w');
    bool drained = false;
    comm.OnTxEmpty = [&](TSerCustomComm*) { drained = true; };
    QElapsedTimer t;
    t.start();
    for (qint64 sent = 0; sent < total; sent += piece.size()) {
        drained = false;
        comm.WriteString(piece);
        if (!serveUntil([&] { return drained; }, 5000))
            break;
    }
    serveUntil([&] { return received >= total; }, 10000);
    comm.OnTxEmpty = nullptr;
    const double s = seconds(t);
    reader.join();
    std::printf("WriteString, 2 KB pieces -> pty master:   %7.2f MB/s  (%lld bytes in %.3f s)\n",
                double(received) / s / 1e6, static_cast<long long>(received.load()), s);
}

void readThroughput(TSerComm& comm, Pty& pty, qint64 total)
{
    qint64 got = 0;
    comm.OnRxChar = [&](TSerCustomComm* sender, int) { got += sender->ReadString().size(); };
    std::thread writer([&] {
        const QByteArray chunk(4096, 'r');
        for (qint64 sent = 0; sent < total;) {
            const size_t size = size_t(std::min<qint64>(chunk.size(), total - sent));
            const ssize_t n = ::write(pty.master, chunk.constData(), size);
            if (n > 0)
                sent += n;
            else if (n < 0 && errno != EINTR && errno != EAGAIN)
                break;
        }
    });
    QElapsedTimer t;
    t.start();
    serveUntil([&] { return got >= total; }, 30000);
    const double s = seconds(t);
    writer.join();
    std::printf("pty master -> OnRxChar + ReadString:     %7.2f MB/s  (%lld bytes in %.3f s)\n",
                double(got) / s / 1e6, static_cast<long long>(got), s);
    comm.OnRxChar = nullptr;
}

void latency(TSerComm& comm, Pty& pty, int rounds)
{
    std::vector<double> micros;
    QElapsedTimer clock;
    qint64 arrivedAt = -1;
    comm.OnRxChar = [&](TSerCustomComm* sender, int) {
        arrivedAt = clock.nsecsElapsed();
        sender->ReadString();
    };
    clock.start();
    for (int i = 0; i < rounds; ++i) {
        arrivedAt = -1;
        const qint64 sentAt = clock.nsecsElapsed();
        const char byte = 'x';
        if (::write(pty.master, &byte, 1) != 1)
            break;
        if (!serveUntil([&] { return arrivedAt >= 0; }, 2000))
            break;
        micros.push_back(double(arrivedAt - sentAt) / 1000.0);
    }
    comm.OnRxChar = nullptr;
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    std::printf("byte on the line -> OnRxChar (%zu runs):   median %.0f us, 90%% %.0f us, max %.0f us\n", micros.size(),
                micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());
}

void idleCpu(int ms)
{
    const double before = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = cpuSeconds() - before;
    std::printf("open, idle port for %d s:                 %.3f %% CPU  (%.1f ms)\n", ms / 1000,
                used / (ms / 1000.0) * 100.0, used * 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Pty pty;
    if (pty.master < 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("TALOMA_COM1", pty.path.toLocal8Bit());
    QTemporaryDir noDevices;
    PortMap::global().Load(noDevices.path(), QStringLiteral("/dev"), QString());

    TSerComm comm;
    comm.SetPortNum(1);
    comm.SetBaudrate(br115200);
    comm.Open();

    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 32;
    writeThroughput(comm, pty, megabytes * 1000 * 1000);
    readThroughput(comm, pty, megabytes * 1000 * 1000);
    latency(comm, pty, 500);
    idleCpu(10000);
    comm.Close();
    return 0;
}
