// Talking to the controller simulator through the main window:
//  - sending 200- and 1000-line programs unpaced, against the simulator's own answer time per line;
//  - sending them at 9600 baud, against the time the line itself needs;
//  - receiving 1 MiB of program output at 38400 baud: shown completely, and the processor time the
//    program spends meanwhile;
//  - fetching a 300-line program back from the simulator at 9600 baud, against the time the listing
//    itself needs on the line.
// Usage: bench_transmit [--reception-bytes N] [--no-transmission] [--no-fetch]
//        (N = 0 leaves the reception out)

#include "settings/GlobVar_Unit.h"
#include "app/TfrmTerminal.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <utility>
#include <vector>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr double kBitsPerByte = 10.0;

class Simulator {
public:
    explicit Simulator(const QStringList& options)
    {
        m_process.start(QStringLiteral(BASIC52_SIM), QStringList{QStringLiteral("--exit-on-eof")} + options);
        m_process.waitForStarted();
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
    QString path() const { return m_path; }

private:
    QProcess m_process;
    QString m_path;
};

// Lines a board takes, of the usual length, with the numbers the controller lists back.
QStringList makeProgram(int lines)
{
    QStringList program;
    for (int k = 1; k <= lines; ++k) {
        switch (k % 4) {
        case 0:
            program.append(QStringLiteral("%1 PRINT \"STEP\",%2,X*%2").arg(k * 10).arg(k));
            break;
        case 1:
            program.append(QStringLiteral("%1 X=X+%2").arg(k * 10).arg(k % 7));
            break;
        case 2:
            program.append(QStringLiteral("%1 IF X>%2 THEN %3").arg(k * 10).arg(k).arg(k * 10 + 10));
            break;
        default:
            program.append(QStringLiteral("%1 REM SECTION %2 OF THE PROGRAM").arg(k * 10).arg(k));
            break;
        }
    }
    return program;
}

// The least time a line needs, in byte times: the controller echoes each character as it arrives, so
// the two directions overlap and the answer (the echo, CR, LF and the prompt) ends one byte time after
// it could have started, when the line's first byte was through.
qint64 lineLimitBytes(const QStringList& program)
{
    qint64 bytes = 0;
    for (const QString& line : program)
        bytes += (line.isEmpty() ? 5 : line.size() + 3) + 1;
    return bytes;
}

void waitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 20)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    tick.start(pollMs);
    if (!done())
        loop.exec();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulator's own time per line: a bare client on its line that sends each line and waits for
// the answer, with no window and no port component.
double bareSecondsPerLine(const QString& device, const QStringList& program)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    char buf[4096];
    // The sign-on greets the first opener.
    for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 400) > 0 && ::read(fd, buf, sizeof buf) > 0;) {
    }
    QElapsedTimer clock;
    clock.start();
    for (const QString& line : program) {
        const QByteArray out = line.toLatin1() + '\r';
        const qsizetype expected = line.size() + 3;
        if (::write(fd, out.constData(), size_t(out.size())) != out.size())
            break;
        for (qsizetype got = 0; got < expected;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 4000) <= 0)
                break;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got += n;
        }
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    ::close(fd);
    return seconds / program.size();
}

class Session {
public:
    Session()
    {
        m_window = std::make_unique<TfrmTerminal>();
        m_window->show();
    }
    TfrmTerminal& window() { return *m_window; }

    bool open(const QString& device)
    {
        qputenv("TALOMA_COM1", QFile::encodeName(device));
        PortMap::global().Load(m_noDevices.path(), QStringLiteral("/dev"), QString());
        trigger("tbnCommOpen");
        if (!GlobVar::PortOpen)
            return false;
        // The sign-on that greets the first opener.
        waitUntil([this] { return m_window->MemoT->toPlainText().endsWith(QStringLiteral("READY\n>")); }, 5000);
        m_window->MemoT->clear();
        return true;
    }
    void close() { trigger("tbnCommClose"); }

    // Seconds for sending the program; negative when the terminal does not show every answer.
    double transmit(const QStringList& program)
    {
        m_window->RTF->setPlainText(program.join(QLatin1Char('\n')));
        m_window->MemoT->clear();
        QElapsedTimer clock;
        clock.start();
        trigger("tbnTransmit");
        const double seconds = clock.nsecsElapsed() / 1e9;
        const QString expected = program.join(QStringLiteral("\n>")) + QStringLiteral("\n>");
        return m_window->MemoT->toPlainText() == expected ? seconds : -seconds;
    }

    // Seconds for fetching the board's program, and the bytes the board sent for it (its echo of LIST,
    // the listing, READY and the prompt); negative seconds when the editor did not get `lines` lines.
    std::pair<double, qint64> fetch(int lines)
    {
        // Nothing to ask about: the program is replaced without the close question.
        GlobVar::EditorModified = false;
        m_window->MemoT->clear();
        QElapsedTimer clock;
        clock.start();
        trigger("mnuFetch");
        const double seconds = clock.nsecsElapsed() / 1e9;
        const QString dialogue = m_window->MemoT->toPlainText();
        // The pane shows each CR LF as one line break.
        const qint64 bytes = dialogue.size() + dialogue.count(QLatin1Char('\n'));
        const bool complete = m_window->RTF->document()->blockCount() == lines + 1;
        return {complete ? seconds : -seconds, bytes};
    }

    void trigger(const char* name) { m_window->findChild<QAction*>(QLatin1String(name))->trigger(); }

private:
    QTemporaryDir m_noDevices;
    std::unique_ptr<TfrmTerminal> m_window;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void unpaced(Session& session)
{
    constexpr int kRuns = 5;
    std::printf("Program transmission, unpaced simulator (median of %d runs after a warm-up)\n", kRuns);
    for (const int lines : {200, 1000}) {
        const QStringList program = makeProgram(lines);
        std::vector<double> ours;
        std::vector<double> alone;
        bool complete = true;
        for (int run = 0; run <= kRuns; ++run) {
            Simulator board({});
            const double floor = bareSecondsPerLine(board.path(), program);
            if (!session.open(board.path())) {
                std::printf("  cannot open %s\n", qPrintable(board.path()));
                return;
            }
            const double seconds = session.transmit(program);
            session.close();
            complete = complete && seconds >= 0;
            // The first run fills the caches of fonts and text layout; it is not counted.
            if (run == 0)
                continue;
            ours.push_back(std::abs(seconds) / lines);
            alone.push_back(floor);
        }
        const double perLine = median(ours);
        const double floor = median(alone);
        std::printf("  %4d lines: %6.3f ms per line (%.0f ms in all); simulator alone %6.3f ms per line; "
                    "program's own overhead %6.3f ms per line%s\n",
                    lines, perLine * 1e3, perLine * lines * 1e3, floor * 1e3, (perLine - floor) * 1e3,
                    complete ? "" : "  (INCOMPLETE: an answer was missing)");
    }
}

void paced(Session& session, int baud)
{
    std::printf("Program transmission, simulator paced at %d baud\n", baud);
    for (const int lines : {200, 200, 200, 1000}) { // the short run three times: the machine's noise shows
        Simulator board({QStringLiteral("--baud"), QString::number(baud)});
        const QStringList program = makeProgram(lines);
        const double bare = bareSecondsPerLine(board.path(), program) * lines;
        if (!session.open(board.path())) {
            std::printf("  cannot open %s\n", qPrintable(board.path()));
            return;
        }
        const double seconds = session.transmit(program);
        session.close();
        const double limit = double(lineLimitBytes(program)) * kBitsPerByte / baud;
        std::printf("  %4d lines: %7.2f s, line limit %7.2f s, ratio %.3f (simulator alone %.3f)%s\n", lines,
                    std::abs(seconds), limit, std::abs(seconds) / limit, bare / limit,
                    seconds < 0 ? "  (INCOMPLETE: an answer is missing)" : "");
    }
}

void fetching(Session& session, int baud)
{
    constexpr int kLines = 300;
    constexpr int kRuns = 5;
    std::printf("Program fetched back, %d lines, simulator paced at %d baud (%d runs)\n", kLines, baud, kRuns);
    Simulator board({QStringLiteral("--baud"), QString::number(baud)});
    if (!session.open(board.path())) {
        std::printf("  cannot open %s\n", qPrintable(board.path()));
        return;
    }
    if (session.transmit(makeProgram(kLines)) < 0) {
        std::printf("  the program did not reach the simulator\n");
        return;
    }
    std::vector<double> ratios;
    for (int run = 0; run < kRuns; ++run) {
        const auto [seconds, bytes] = session.fetch(kLines);
        const double lineTime = double(bytes) * kBitsPerByte / baud;
        ratios.push_back(std::abs(seconds) / lineTime);
        std::printf("  %6.3f s for %lld bytes; line time %6.3f s; ratio %.4f (%+.1f ms)%s\n", std::abs(seconds),
                    bytes, lineTime, std::abs(seconds) / lineTime, (std::abs(seconds) - lineTime) * 1e3,
                    seconds < 0 ? "  (INCOMPLETE: lines are missing)" : "");
    }
    session.close();
    std::printf("  median ratio %.4f\n", median(ratios));
}

void reception(Session& session, qint64 bytes)
{
    constexpr int baud = 38400;
    const QString payload = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const qint64 lines = std::max<qint64>(1, bytes / (payload.size() + 2));
    std::printf("Terminal reception at %d baud: %lld lines of %lld bytes (%lld bytes)\n", baud, lines,
                qint64(payload.size() + 2), lines * (payload.size() + 2));
    Simulator board({QStringLiteral("--baud"), QString::number(baud)});
    if (!session.open(board.path())) {
        std::printf("  cannot open %s\n", qPrintable(board.path()));
        return;
    }
    const QStringList program = {QStringLiteral("10 FOR I=1 TO %1").arg(lines),
                                 QStringLiteral("20 PRINT \"%1\"").arg(payload), QStringLiteral("30 NEXT I")};
    if (session.transmit(program) < 0) {
        std::printf("  the program did not reach the simulator\n");
        return;
    }
    TfrmTerminal& window = session.window();
    window.MemoT->clear();
    // The board starts a run on a fresh line.
    QString expected = QStringLiteral("RUN\n\n");
    expected.reserve(int(lines * (payload.size() + 1) + 32));
    for (qint64 k = 0; k < lines; ++k)
        expected += payload + QLatin1Char('\n');
    expected += QStringLiteral("\nREADY\n>");

    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.SerComm1->WriteString(QByteArrayLiteral("RUN\r"));
    const qint64 lineTimeMs = qint64(double(expected.size() + lines) * kBitsPerByte * 1000 / baud);
    // Only the character count is looked at while it runs: reading the whole text would cost more
    // than the display.
    QTextDocument* document = window.MemoT->document();
    waitUntil([&] { return document->characterCount() - 1 >= expected.size(); }, int(lineTimeMs * 2 + 10000), 250);
    // The last bytes may still be on their way to the pane.
    waitUntil([&] { return window.MemoT->toPlainText() == expected; }, 2000, 100);
    const double wall = clock.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    const QString got = window.MemoT->toPlainText();
    const bool complete = got == expected;
    if (!complete) {
        qsizetype at = 0;
        while (at < got.size() && at < expected.size() && got.at(at) == expected.at(at))
            ++at;
        std::printf("  received %lld characters of %lld; first difference at %lld: \"%s\" instead of \"%s\"\n",
                    qint64(got.size()), qint64(expected.size()), qint64(at), qPrintable(got.mid(at, 60).toHtmlEscaped()),
                    qPrintable(expected.mid(at, 60).toHtmlEscaped()));
    }
    session.close();
    std::printf("  %s after %.1f s (line time %.1f s); processor time of the program %.2f s = %.2f %% of one core\n",
                complete ? "shown completely" : "INCOMPLETE or altered", wall, lineTimeMs / 1000.0, cpu,
                100.0 * cpu / wall);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Each figure is printed as soon as it is measured, also into a file or a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qint64 receptionBytes = 1 << 20;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--reception-bytes")); at > 0 && at + 1 < args.size())
        receptionBytes = args.at(at + 1).toLongLong();
    GlobVar::ResetGlobals();
    SettingsStore::resetForTests(config.filePath(QStringLiteral("HKEY_CURRENT_USER.reg")));

    Session session;
    if (!args.contains(QStringLiteral("--no-transmission"))) {
        unpaced(session);
        paced(session, 9600);
    }
    if (receptionBytes > 0)
        reception(session, receptionBytes);
    if (!args.contains(QStringLiteral("--no-fetch")))
        fetching(session, 9600);
    return 0;
}
