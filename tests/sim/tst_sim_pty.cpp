// The simulator program as a terminal program meets it: through the slave side of its pseudo-terminal.
#include "basic52sim/Board.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int kAnswerTimeoutMs = 5000;
// After an expected answer, how long to listen for bytes that should not be there.
constexpr int kQuietMs = 150;

// One simulator process and the port a test opened on it.
class Sim {
public:
    ~Sim()
    {
        closeLine();
        if (proc.state() != QProcess::NotRunning) {
            proc.closeWriteChannel();
            if (!proc.waitForFinished(3000)) {
                proc.kill();
                proc.waitForFinished(3000);
            }
        }
    }

    bool start(const QStringList& args = {})
    {
        // The simulator ends when our end of its standard input closes, even if this test dies.
        proc.setProgram(QStringLiteral(BASIC52_SIM));
        proc.setArguments(QStringList{"--exit-on-eof"} + args);
        signOnDue = !args.contains(QStringLiteral("--autobaud"));
        proc.start();
        if (!proc.waitForStarted(kAnswerTimeoutMs))
            return false;
        QElapsedTimer t;
        t.start();
        while (!proc.canReadLine() && t.elapsed() < kAnswerTimeoutMs && proc.state() == QProcess::Running)
            proc.waitForReadyRead(50);
        if (!proc.canReadLine())
            return false;
        path = QString::fromLocal8Bit(proc.readLine()).trimmed();
        return path.startsWith("/dev/");
    }

    bool openLine(const QString& at = {})
    {
        closeLine();
        fd = ::open(QFile::encodeName(at.isEmpty() ? path : at).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return false;
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        if (::tcsetattr(fd, TCSANOW, &t) != 0)
            return false;
        // The board signs on once, when the line is first opened.
        if (std::exchange(signOnDue, false)) {
            const QByteArray signOn = "\r\n" + QByteArray(basic52sim::Board::kSignOn) + "\r\nREADY\r\n>";
            const QByteArray got = read(signOn.size());
            if (got != signOn) {
                qWarning("expected the sign-on at the first open, got \"%s\"", got.constData());
                return false;
            }
        }
        return true;
    }

    void closeLine()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void write(const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n > 0)
                done += n;
            else
                QTest::qWait(1);
        }
    }

    // Everything that arrives until `count` bytes are there (or the time-out), and then whatever
    // else comes within a short quiet time.
    QByteArray read(qsizetype count, int timeoutMs = kAnswerTimeoutMs)
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        bool quietPhase = false;
        for (;;) {
            if (!quietPhase && got.size() >= count) {
                quietPhase = true;
                t.restart();
            }
            const int limit = quietPhase ? kQuietMs : timeoutMs;
            const qint64 left = limit - t.elapsed();
            if (left <= 0)
                return got;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) > 0 && (p.revents & POLLIN)) {
                char buf[4096];
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, n);
            }
        }
    }

    QByteArray exchange(const QByteArray& send, qsizetype expectedSize)
    {
        write(send);
        return read(expectedSize);
    }

    QByteArray logText() const
    {
        QFile f(logPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QProcess proc;
    bool signOnDue = false;
    QString path;
    QString logPath;
    int fd = -1;
};

} // namespace

class SimPtyTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void maxLine_setsTheLimit();
    void list_afterLinesOutOfOrderReplacedAndDeleted();
    void run_programWithGosubForAndIfElse();
    void controlC_stopsEndlessLoop();
    void paced_takesAtLeastTheLineTime();
    void garbage_isEchoedAndRefused();
    void burst_losesLinesAfterTheFirst_unlessSwitchedOff();
    void reopen_manyTimes_lineStaysUpAndExclusiveModeIsCleared();
    void reopen_findsNoStaleAnswers();
    void autobaud_signOnAfterSpace();
    void link_isMadeAndRemovedAtExit();
    void link_doesNotReplaceAFile();
    void signals_endCleanly_data();
    void signals_endCleanly();
    void log_recordsBothDirections();
};

void SimPtyTest::answers_data()
{
    QTest::addColumn<QByteArray>("send");
    QTest::addColumn<QByteArray>("answer");
    const QByteArray line78 = "10 REM " + QByteArray(71, 'X');
    QTest::newRow("program line") << QByteArray("10 A=1\r") << QByteArray("10 A=1\r\n>");
    QTest::newRow("empty line") << QByteArray("\r") << QByteArray("\r\n\r\n>");
    QTest::newRow("DEL on a typed character") << QByteArray("AB\x7f") << QByteArray("AB\b \b");
    QTest::newRow("DEL on an empty line") << QByteArray("\x7f") << QByteArray("\x07");
    QTest::newRow("79-character line") << line78 + "Y\r" << line78 + "\x07\r\n>";
    QTest::newRow("NEW") << QByteArray("NEW\r") << QByteArray("NEW\r\n\r\n>");
}

void SimPtyTest::answers()
{
    QFETCH(QByteArray, send);
    QFETCH(QByteArray, answer);
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    QCOMPARE(sim.exchange(send, answer.size()), answer);
}

void SimPtyTest::maxLine_setsTheLimit()
{
    Sim sim;
    QVERIFY(sim.start({"--max-line", "12"}));
    QVERIFY(sim.openLine());
    const QByteArray line = "10 REM ABCDE";
    QCOMPARE(sim.exchange(line + "FG\r", line.size() + 5), line + "\a\a\r\n>");
}

void SimPtyTest::list_afterLinesOutOfOrderReplacedAndDeleted()
{
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    for (const QByteArray line : {"30 PRINT C", "10 A=1", "20 B=2", "10 A=5", "20", "25 C=A*2"}) {
        const QByteArray answer = line + "\r\n>";
        QCOMPARE(sim.exchange(line + "\r", answer.size()), answer);
    }
    const QByteArray listing = "LIST\r\n10     A=5\r\n25     C=A*2\r\n30     PRINT C\r\n\r\nREADY\r\n>";
    QCOMPARE(sim.exchange("LIST\r", listing.size()), listing);
}

void SimPtyTest::run_programWithGosubForAndIfElse()
{
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    const QByteArray program[] = {"10 FOR I=1 TO 4 STEP 1", "20 GOSUB 100", "30 NEXT I", "40 PRINT \"END\"",
                                  "50 END", "100 IF I/2=INT(I/2) THEN PRINT I,\" EVEN\" ELSE PRINT I,\" ODD\"",
                                  "110 RETURN"};
    for (const QByteArray& line : program)
        QCOMPARE(sim.exchange(line + "\r", line.size() + 3), line + "\r\n>");
    const QByteArray output = "RUN\r\n\r\n 1  ODD\r\n 2  EVEN\r\n 3  ODD\r\n 4  EVEN\r\nEND\r\n\r\nREADY\r\n>";
    QCOMPARE(sim.exchange("RUN\r", output.size()), output);
}

void SimPtyTest::controlC_stopsEndlessLoop()
{
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    QCOMPARE(sim.exchange("10 GOTO 10\r", 13), QByteArray("10 GOTO 10\r\n>"));
    // The program runs: nothing more than the echo comes back.
    QCOMPARE(sim.exchange("RUN\r", 7), QByteArray("RUN\r\n\r\n"));
    const QByteArray stop = "\r\n\r\nSTOP - IN LINE  10 \r\n\r\n10     GOTO 10\r\n-------X\r\nREADY\r\n>";
    QCOMPARE(sim.exchange("\x03", stop.size()), stop);
    QCOMPARE(sim.exchange("\r", 5), QByteArray("\r\n\r\n>"));
}

void SimPtyTest::paced_takesAtLeastTheLineTime()
{
    constexpr int kBaud = 1200;
    Sim sim;
    QVERIFY(sim.start({"--baud", QString::number(kBaud)}));
    QVERIFY(sim.openLine());
    const QByteArray line = "10 REM PACED OUTPUT AT TWELVE HUNDRED BAUD";
    const QByteArray answer = line + "\r\n>";
    // The whole line goes in one write, so its echo is the only thing that paces it.
    QElapsedTimer t;
    t.start();
    sim.write(line + "\r");
    QByteArray got;
    while (got.size() < answer.size() && t.elapsed() < 10000)
        got += sim.read(answer.size() - got.size(), 200);
    const qint64 elapsed = t.elapsed();
    QCOMPARE(got, answer);
    const double lineTimeMs = answer.size() * 10 * 1000.0 / kBaud;
    QVERIFY2(elapsed >= lineTimeMs, qPrintable(QString("%1 ms for %2 ms of line time").arg(elapsed).arg(lineTimeMs)));
    QVERIFY2(elapsed < lineTimeMs + 3000, qPrintable(QString("%1 ms").arg(elapsed)));
}

void SimPtyTest::garbage_isEchoedAndRefused()
{
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    QByteArray garbage;
    for (int c = 0; c < 256; ++c) {
        if ((c & 0x7f) != '\r')
            garbage += static_cast<char>(c);
    }
    sim.write(garbage);
    const QByteArray echo = sim.read(1, 1000);
    QVERIFY(!echo.isEmpty());
    for (const char c : echo)
        QVERIFY2((static_cast<unsigned char>(c) & 0x80) == 0, "bit 7 is stripped from every echo");
    const QByteArray refused = sim.exchange("\r", 20);
    QVERIFY2(refused.contains("ERROR: BAD SYNTAX") || refused == "\r\n\r\n>", refused.constData());
    QVERIFY(refused.endsWith("READY\r\n>") || refused == "\r\n\r\n>");
    QCOMPARE(sim.exchange("10 A=1\r", 9), QByteArray("10 A=1\r\n>"));
    QCOMPARE(sim.proc.state(), QProcess::Running);
}

void SimPtyTest::burst_losesLinesAfterTheFirst_unlessSwitchedOff()
{
    const QByteArray burst = "10 A=1\r20 B=2\r30 C=3\r";
    {
        Sim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.openLine());
        QCOMPARE(sim.exchange(burst, 9), QByteArray("10 A=1\r\n>"));
        const QByteArray listing = "LIST\r\n10     A=1\r\n\r\nREADY\r\n>";
        QCOMPARE(sim.exchange("LIST\r", listing.size()), listing);
    }
    {
        Sim sim;
        QVERIFY(sim.start({"--no-burst-loss"}));
        QVERIFY(sim.openLine());
        const QByteArray all = "10 A=1\r\n>20 B=2\r\n>30 C=3\r\n>";
        QCOMPARE(sim.exchange(burst, all.size()), all);
    }
}

void SimPtyTest::reopen_manyTimes_lineStaysUpAndExclusiveModeIsCleared()
{
    Sim sim;
    QVERIFY(sim.start());
    for (int round = 0; round < 5; ++round) {
        QVERIFY(sim.openLine());
        // A terminal program that takes the port for itself and closes it without giving it back.
        QCOMPARE(::ioctl(sim.fd, TIOCEXCL), 0);
        const QByteArray line = QByteArray::number(round + 1) + " A=" + QByteArray::number(round);
        QCOMPARE(sim.exchange(line + "\r", line.size() + 3), line + "\r\n>");
        sim.closeLine();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                // Opening as root passes the exclusive mode; the flag tells whether it was left set.
                if (!sim.openLine())
                    return false;
                int exclusive = 1;
                ::ioctl(sim.fd, TIOCGEXCL, &exclusive);
                sim.closeLine();
                return exclusive == 0;
            }(),
            kAnswerTimeoutMs);
    }
    QCOMPARE(sim.proc.state(), QProcess::Running);
    QVERIFY(sim.openLine());
    QCOMPARE(sim.exchange("LIST 5\r", 27), QByteArray("LIST 5\r\n5      A=4\r\n\r\nREADY\r\n>"));
}

void SimPtyTest::reopen_findsNoStaleAnswers()
{
    QTemporaryDir dir;
    Sim sim;
    sim.logPath = dir.filePath("line.log");
    QVERIFY(sim.start({"--log", sim.logPath}));
    QVERIFY(sim.openLine());
    sim.write("PRINT 123\r");
    QTRY_VERIFY_WITH_TIMEOUT(sim.logText().contains("RX"), kAnswerTimeoutMs);
    sim.closeLine();
    QTRY_VERIFY_WITH_TIMEOUT(sim.logText().contains("the line was closed"), kAnswerTimeoutMs);
    // What was sent while nobody listened is gone, as on a real line.
    QVERIFY(sim.openLine());
    QCOMPARE(sim.exchange("\r", 5), QByteArray("\r\n\r\n>"));
}

void SimPtyTest::autobaud_signOnAfterSpace()
{
    Sim sim;
    QVERIFY(sim.start({"--autobaud"}));
    QVERIFY(sim.openLine());
    sim.write("x\r");
    QCOMPARE(sim.read(1, 300), QByteArray());
    const QByteArray signOn = "\r\n" + QByteArray(basic52sim::Board::kSignOn) + "\r\nREADY\r\n>";
    QCOMPARE(sim.exchange(" ", signOn.size()), signOn);
    QCOMPARE(sim.exchange("\r", 5), QByteArray("\r\n\r\n>"));
}

void SimPtyTest::link_isMadeAndRemovedAtExit()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("COM1");
    // A link left behind by a killed simulator is replaced.
    QVERIFY(QFile::link("/dev/null", link));
    Sim sim;
    QVERIFY(sim.start({"--link", link}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path);
    QVERIFY(sim.openLine(link));
    QCOMPARE(sim.exchange("\r", 5), QByteArray("\r\n\r\n>"));
    sim.closeLine();
    sim.proc.terminate();
    QVERIFY(sim.proc.waitForFinished(kAnswerTimeoutMs));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void SimPtyTest::link_doesNotReplaceAFile()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("COM1");
    QFile file(link);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QProcess proc;
    proc.start(QStringLiteral(BASIC52_SIM), {"--link", link});
    QVERIFY(proc.waitForFinished(kAnswerTimeoutMs));
    QCOMPARE(proc.exitCode(), 1);
    QVERIFY(proc.readAllStandardOutput().isEmpty());
    QVERIFY(proc.readAllStandardError().contains("not a symbolic link"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void SimPtyTest::signals_endCleanly_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("standard input closed") << 0;
}

void SimPtyTest::signals_endCleanly()
{
    QFETCH(int, how);
    Sim sim;
    QVERIFY(sim.start());
    QVERIFY(sim.openLine());
    // Mid-run, with a program going, is where a careless loop would not look at signals.
    QCOMPARE(sim.exchange("10 GOTO 10\r", 13), QByteArray("10 GOTO 10\r\n>"));
    sim.write("RUN\r");
    if (how == 0)
        sim.proc.closeWriteChannel();
    else
        ::kill(static_cast<pid_t>(sim.proc.processId()), how);
    QVERIFY(sim.proc.waitForFinished(kAnswerTimeoutMs));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
}

void SimPtyTest::log_recordsBothDirections()
{
    QTemporaryDir dir;
    Sim sim;
    sim.logPath = dir.filePath("line.log");
    QVERIFY(sim.start({"--log", sim.logPath}));
    QVERIFY(sim.openLine());
    QCOMPARE(sim.exchange("10 A=1\r", 9), QByteArray("10 A=1\r\n>"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.logText().contains("TX"), kAnswerTimeoutMs);
    const QList<QByteArray> lines = sim.logText().split('\n');
    auto find = [&](const QByteArray& what, const QByteArray& bytes) {
        for (const QByteArray& l : lines) {
            if (l.contains(what) && l.contains(bytes))
                return l;
        }
        return QByteArray();
    };
    const QByteArray rx = find(" RX ", "31 30 20 41 3d 31 0d");
    // The sign-on went out before; the answer to the line follows it.
    const QByteArray tx = find(" TX ", "31 30 20 41 3d 31 0d 0a 3e");
    QVERIFY2(rx.contains("31 30 20 41 3d 31 0d") && rx.contains("|10 A=1.|"), rx.constData());
    QVERIFY2(tx.contains("31 30 20 41 3d 31 0d 0a 3e"), tx.constData());
    // Each record starts with its time in seconds since the start, in order.
    QVERIFY(rx.trimmed().split(' ').first().toDouble() <= tx.trimmed().split(' ').first().toDouble());
}

QTEST_GUILESS_MAIN(SimPtyTest)
#include "tst_sim_pty.moc"
