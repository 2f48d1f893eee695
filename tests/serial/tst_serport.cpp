// Opening, configuring and closing the port on pseudo-terminals.

#include "LineProbe.h"
#include "PtyPair.h"
#include "serial/PortCodes.h"
#include "serial/SerComm.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString sysText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The message Open raises, or "" when it opened.
QString openError(TSerComm& comm)
{
    try {
        comm.Open();
    } catch (const ESerCommError& e) {
        return e.message();
    }
    return {};
}

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

// Runs fn in a child process as another user (nobody when we are root) and returns what it wrote.
template <typename F>
QByteArray inOtherProcess(F&& fn)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && ::seteuid(65534) != 0)
            ::_exit(2);
        const QByteArray out = fn();
        [[maybe_unused]] ssize_t n = ::write(pipeFds[1], out.constData(), size_t(out.size()));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray out;
    char chunk[512];
    ssize_t n;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0)
        out.append(chunk, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

} // namespace

class SerPortTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open_builtInCodes_givesRaw9600_8N1AndPassesBytesUnchanged();
    void open_lineSettingsReachTheDevice_data();
    void open_lineSettingsReachTheDevice();
    void open_flowControlAndSpecialChars_reachTheLine();
    void open_failures_leavePortClosed_data();
    void open_failures_leavePortClosed();
    void open_secondPortObject_isBusy();
    void open_exclusive_keepsOtherProgramsOut();
    void open_withoutPermission_isDenied();
    void settersWhileOpen_raiseOrApplyAtOnce();
    void userBaudrate_andBaudrate_resetEachOther();
    void failedLineSettingWhileOpen_keepsNewValueAndOldDeviceState();
    void close_firesOnCloseThenWaits_andReopens();
    void onOpenError_isShownAndPortStaysOpen();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void SerPortTest::init()
{
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->ok());
    pointPort(1, m_pty->slavePath());
}

void SerPortTest::cleanup()
{
    stopCapturing();
    m_pty.reset();
    m_prompts.reset();
}

void SerPortTest::open_builtInCodes_givesRaw9600_8N1AndPassesBytesUnchanged()
{
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    QCOMPARE(comm.DevicePath(), m_pty->slavePath());
    QCOMPARE(comm.MonitorEvents(), (TSerCommEvents{ceError, ceRxChar, ceTxEmpty}));
    comm.Open();
    QVERIFY(comm.IsOpen());

    const LineProbe line = probeLine(m_pty->slave());
    QCOMPARE(line.cflag & CBAUD, unsigned(B9600));
    QCOMPARE(line.ospeed, 9600u);
    QCOMPARE(line.cflag & CSIZE, unsigned(CS8));
    QCOMPARE(line.cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    QVERIFY(line.cflag & CREAD);
    QCOMPARE(line.lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    QCOMPARE(line.oflag & OPOST, 0u);
    QCOMPARE(line.iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    QCOMPARE(line.vmin, 1);

    // Line ends and control bytes pass without any translation, both ways.
    const QByteArray bytes("a\r\nb\x03\x7f\x08\xff\x11\x13", 11);
    QVERIFY(comm.WriteString(bytes));
    QCOMPARE(m_pty->read(int(bytes.size()), 3000), bytes);
    m_pty->write(bytes);
    QByteArray got;
    QTRY_VERIFY((got += comm.ReadString()).size() >= bytes.size());
    QCOMPARE(got, bytes);
    comm.Close();
    QVERIFY(!comm.IsOpen());
}

void SerPortTest::open_lineSettingsReachTheDevice_data()
{
    QTest::addColumn<int>("baudCode");
    QTest::addColumn<int>("userRate");
    QTest::addColumn<int>("dataCode");
    QTest::addColumn<int>("parityCode");
    QTest::addColumn<int>("stopCode");
    QTest::addColumn<unsigned>("size");
    QTest::addColumn<unsigned>("parity");
    QTest::addColumn<bool>("twoStop");
    QTest::addColumn<unsigned>("rate");
    QTest::addColumn<bool>("otherRate");

    QTest::newRow("9600,8,N,1") << 7 << 0 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 9600u << false;
    QTest::newRow("19200,7,E,2") << 9 << 0 << 4 << 3 << 3 << unsigned(CS7) << unsigned(PARENB) << true << 19200u
                                 << false;
    QTest::newRow("110,5,O,1.5") << 1 << 0 << 2 << 2 << 2 << unsigned(CS5) << unsigned(PARENB | PARODD) << true << 110u
                                 << false;
    QTest::newRow("38400,6,M,1") << 10 << 0 << 3 << 4 << 1 << unsigned(CS6) << unsigned(PARENB | PARODD | CMSPAR)
                                 << false << 38400u << false;
    QTest::newRow("300,8,S,1") << 2 << 0 << 5 << 5 << 1 << unsigned(CS8) << unsigned(PARENB | CMSPAR) << false << 300u
                               << false;
    QTest::newRow("14400 outside the table") << 8 << 0 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 14400u << true;
    QTest::newRow("57600 (old code 12)") << 12 << 0 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 57600u << false;
    QTest::newRow("user 56000") << 0 << 56000 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 56000u << true;
    QTest::newRow("user 256000") << 0 << 256000 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 256000u << true;
    QTest::newRow("user 115200 in the table")
        << 0 << 115200 << 5 << 1 << 1 << unsigned(CS8) << 0u << false << 115200u << false;
}

void SerPortTest::open_lineSettingsReachTheDevice()
{
    QFETCH(int, baudCode);
    QFETCH(int, userRate);
    QFETCH(int, dataCode);
    QFETCH(int, parityCode);
    QFETCH(int, stopCode);
    QFETCH(unsigned, size);
    QFETCH(unsigned, parity);
    QFETCH(bool, twoStop);
    QFETCH(unsigned, rate);
    QFETCH(bool, otherRate);

    // A pseudo-terminal keeps no framing of its own, so the setting is caught on its way in.
    std::vector<LineProbe> set;
    captureLineSettings(&set);
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, baudCode, dataCode, parityCode, stopCode);
    if (userRate)
        comm.SetUserBaudrate(userRate);
    comm.Open();
    QCOMPARE(set.size(), size_t(1));
    const LineProbe& line = set.front();
    QCOMPARE(line.cflag & CSIZE, size);
    QCOMPARE(line.cflag & (PARENB | PARODD | CMSPAR), parity);
    QCOMPARE(bool(line.cflag & CSTOPB), twoStop);
    QCOMPARE(line.otherRate, otherRate);
    QCOMPARE(line.ospeed, rate);
    // The rate also reaches the device itself.
    QCOMPARE(probeLine(m_pty->slave()).ospeed, rate);
}

void SerPortTest::open_flowControlAndSpecialChars_reachTheLine()
{
    std::vector<LineProbe> set;
    captureLineSettings(&set);
    TSerComm comm;
    comm.SetPortNum(1);
    comm.FlowControl().SetOutCtsFlow(true);
    comm.FlowControl().SetXonXoffOut(true);
    comm.FlowControl().SetXonXoffIn(true);
    comm.EventChars().SetXonChar(0x21);
    comm.EventChars().SetXoffChar(0x23);
    comm.Open();
    QCOMPARE(set.size(), size_t(1));
    QVERIFY(set[0].cflag & CRTSCTS);
    QCOMPARE(set[0].iflag & (IXON | IXOFF), unsigned(IXON | IXOFF));
    QCOMPARE(set[0].vstart, 0x21);
    QCOMPARE(set[0].vstop, 0x23);

    // A change of a group while open goes to the device at once; the same value does not.
    comm.FlowControl().SetXonXoffIn(false);
    QCOMPARE(set.size(), size_t(2));
    QCOMPARE(set[1].iflag & IXOFF, 0u);
    comm.FlowControl().SetXonXoffIn(false);
    QCOMPARE(set.size(), size_t(2));
}

void SerPortTest::open_failures_leavePortClosed_data()
{
    QTest::addColumn<QString>("path"); // "" leaves COM1 unmapped
    QTest::addColumn<int>("databitsCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("unmapped name") << QString() << 5 << "Specified device not found (COM1).";
    QTest::newRow("missing device") << "/dev/taloma-no-such-tty" << 5
                                    << "Specified device not found (/dev/taloma-no-such-tty).";
    const QString notDir = QStringLiteral("/proc/self/status/tty");
    QTest::newRow("parent is a file") << notDir << 5
                                      << QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                                             .arg(notDir)
                                             .arg(ENOTDIR)
                                             .arg(sysText(ENOTDIR));
    QTest::newRow("not a terminal") << "/dev/null" << 5
                                    << QStringLiteral("Error writing dcb (%1), %2").arg(ENOTTY).arg(sysText(ENOTTY));
    QTest::newRow("4 data bits") << "pty" << 1
                                 << QStringLiteral("Error writing dcb (%1), %2").arg(EINVAL).arg(sysText(EINVAL));
}

void SerPortTest::open_failures_leavePortClosed()
{
    QFETCH(QString, path);
    QFETCH(int, databitsCode);
    QFETCH(QString, message);

    pointPort(1, path == QLatin1String("pty") ? m_pty->slavePath() : path);
    bool opened = false;
    bool closed = false;
    TSerComm comm;
    comm.OnOpen = [&](TSerCustomComm*) { opened = true; };
    comm.OnClose = [&](TSerCustomComm*) { closed = true; };
    PortCodes::ApplyPortCodes(comm, 1, 7, databitsCode, 1, 1);
    QCOMPARE(openError(comm), message);
    QVERIFY(!comm.IsOpen());
    QVERIFY(!opened);
    QVERIFY(!closed);

    // A device opened and then refused was given up again: a second port object can take it.
    if (path == QLatin1String("pty")) {
        TSerComm other;
        other.SetPortNum(1);
        QCOMPARE(openError(other), QString());
        other.Close();
    }
}

void SerPortTest::open_secondPortObject_isBusy()
{
    TSerComm first;
    first.SetPortNum(1);
    first.Open();
    TSerComm second;
    second.SetPortNum(1);
    QCOMPARE(openError(second), QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                                    .arg(m_pty->slavePath())
                                    .arg(EBUSY)
                                    .arg(sysText(EBUSY)));
    QVERIFY(!second.IsOpen());
    // The first port is untouched by the attempt.
    QVERIFY(first.WriteString("ok"));
    QCOMPARE(m_pty->read(2, 3000), QByteArray("ok"));
    first.Close();
    QCOMPARE(openError(second), QString());
    second.Close();
}

void SerPortTest::open_exclusive_keepsOtherProgramsOut()
{
    const QByteArray path = m_pty->slavePath().toLocal8Bit();
    ::chmod(path.constData(), 0666);
    auto tryOpen = [&] {
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 ? QByteArray("opened") : QByteArray::number(errno);
    };
    QCOMPARE(inOtherProcess(tryOpen), QByteArray("opened"));

    TSerComm comm;
    comm.SetPortNum(1);
    comm.Open();
    QCOMPARE(inOtherProcess(tryOpen), QByteArray::number(EBUSY));
    comm.Close();
    // Closing lifts the exclusive mode again.
    QCOMPARE(inOtherProcess(tryOpen), QByteArray("opened"));
}

void SerPortTest::open_withoutPermission_isDenied()
{
    const QByteArray path = m_pty->slavePath().toLocal8Bit();
    // Root's child runs as nobody, for whom the slave (mode 0600 or 0620, owned by root) is closed;
    // anyone else's child is denied by the mode alone.
    if (::geteuid() == 0)
        ::chmod(path.constData(), 0600);
    else
        ::chmod(path.constData(), 0);
    const QByteArray message = inOtherProcess([] {
        TSerComm comm;
        comm.SetPortNum(1);
        return openError(comm).toUtf8();
    });
    QCOMPARE(QString::fromUtf8(message), QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                                             .arg(m_pty->slavePath())
                                             .arg(EACCES)
                                             .arg(sysText(EACCES)));
}

void SerPortTest::settersWhileOpen_raiseOrApplyAtOnce()
{
    const QString whileOpen = QStringLiteral("Can't perform this operation while port is open");
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    comm.Open();

    QCOMPARE(raised([&] { comm.SetPortNum(2); }), whileOpen);
    QCOMPARE(comm.PortNum(), 1);
    QCOMPARE(raised([&] { comm.SetPortNum(1); }), whileOpen); // even for the same number
    QCOMPARE(raised([&] { comm.SetDeviceName(QStringLiteral("/dev/ttyUSB%d")); }), whileOpen);
    QCOMPARE(comm.DeviceName(), QStringLiteral("COM%d"));
    QCOMPARE(raised([&] { comm.SetMonitorEvents({ceBreak}); }), whileOpen);
    QCOMPARE(raised([&] { comm.SetDirectWrite(true); }), whileOpen);
    QCOMPARE(raised([&] { comm.SetUpdateDCB(false); }), whileOpen);
    QCOMPARE(raised([&] { comm.Open(); }), whileOpen);

    // Queue sizes cannot change under an open port, and a refused change is not kept.
    QCOMPARE(raised([&] { comm.Buffers().SetReadSize(100); }), whileOpen);
    QCOMPARE(comm.Buffers().ReadSize(), 4096);
    TSerBuffers other;
    other.SetWriteSize(10);
    QCOMPARE(raised([&] { comm.SetBuffers(other); }), whileOpen);
    QCOMPARE(comm.Buffers().WriteSize(), 2048);
    // Time-outs are plain values.
    comm.Buffers().SetWriteTimeout(500);
    QCOMPARE(comm.Buffers().WriteTimeout(), 500);

    comm.SetBaudrate(br19200);
    QCOMPARE(probeLine(m_pty->slave()).ospeed, 19200u);
    comm.SetEventPriority(tpLower);
    comm.SetWritePriority(tpNormal);
    QVERIFY(comm.IsOpen());
    comm.Close();
    comm.SetPortNum(2);
    QCOMPARE(comm.PortNum(), 2);
}

void SerPortTest::userBaudrate_andBaudrate_resetEachOther()
{
    TSerComm comm;
    QCOMPARE(comm.Baudrate(), br1200);
    comm.SetPortNum(1);
    comm.SetBaudrate(br9600);
    comm.SetUserBaudrate(0); // the value it has: nothing changes
    QCOMPARE(comm.Baudrate(), br9600);
    comm.Open();

    comm.SetUserBaudrate(14400);
    QCOMPARE(comm.Baudrate(), brUser);
    LineProbe line = probeLine(m_pty->slave());
    QVERIFY(line.otherRate);
    QCOMPARE(line.ospeed, 14400u);

    comm.SetBaudrate(br9600);
    QCOMPARE(comm.UserBaudrate(), 0);
    line = probeLine(m_pty->slave());
    QVERIFY(!line.otherRate);
    QCOMPARE(line.cflag & CBAUD, unsigned(B9600));

    // brUser keeps the user's rate; brUser with no rate cannot be set.
    comm.SetUserBaudrate(31250);
    comm.SetBaudrate(brUser);
    QCOMPARE(comm.UserBaudrate(), 31250);
    QCOMPARE(raised([&] { comm.SetUserBaudrate(0); }),
             QStringLiteral("Error writing dcb (%1), %2").arg(EINVAL).arg(sysText(EINVAL)));
    QCOMPARE(probeLine(m_pty->slave()).ospeed, 31250u);
}

void SerPortTest::failedLineSettingWhileOpen_keepsNewValueAndOldDeviceState()
{
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 1, 7, 5, 1, 1);
    comm.Open();
    std::vector<LineProbe> set;
    captureLineSettings(&set, EIO);
    QCOMPARE(raised([&] { comm.SetBaudrate(br19200); }),
             QStringLiteral("Error writing dcb (%1), %2").arg(EIO).arg(sysText(EIO)));
    QCOMPARE(comm.Baudrate(), br19200);
    QCOMPARE(probeLine(m_pty->slave()).ospeed, 9600u);
    QVERIFY(comm.IsOpen());
    stopCapturing();
    comm.Close();
}

void SerPortTest::close_firesOnCloseThenWaits_andReopens()
{
    TSerComm comm;
    comm.SetPortNum(1);
    QElapsedTimer clock;
    clock.start();
    comm.Close(); // closed: returns at once, no event
    QVERIFY(clock.elapsed() < 250);

    int opens = 0;
    qint64 closedAt = -1;
    comm.OnOpen = [&](TSerCustomComm* sender) {
        QCOMPARE(sender, &comm);
        QVERIFY(sender->IsOpen());
        ++opens;
    };
    comm.OnClose = [&](TSerCustomComm* sender) {
        QVERIFY(!sender->IsOpen());
        closedAt = clock.elapsed();
    };
    comm.Open();
    QCOMPARE(opens, 1);
    clock.restart();
    comm.Close();
    const qint64 returnedAt = clock.elapsed();
    QVERIFY(closedAt >= 0);
    QVERIFY2(returnedAt - closedAt >= 300, qPrintable(QString::number(returnedAt - closedAt)));

    comm.SetAutoOpen(true);
    comm.Loaded();
    QVERIFY(comm.IsOpen());
    QCOMPARE(opens, 2);
    QVERIFY(comm.WriteByte('!'));
    QCOMPARE(m_pty->read(1, 3000), QByteArray("!"));
}

void SerPortTest::onOpenError_isShownAndPortStaysOpen()
{
    TSerComm comm;
    comm.SetPortNum(1);
    comm.OnOpen = [](TSerCustomComm*) { throw EConvertError(QStringLiteral("'x' ist kein gültiger Integerwert")); };
    QCOMPARE(openError(comm), QString());
    QVERIFY(comm.IsOpen());
    QCOMPARE(m_prompts->texts("message"), QStringList{"'x' ist kein gültiger Integerwert"});
}

QTEST_GUILESS_MAIN(SerPortTest)
#include "tst_serport.moc"
