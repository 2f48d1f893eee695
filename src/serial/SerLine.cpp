// termios2 lives in the kernel's headers, which clash with <termios.h>; this file uses only those.
#include <asm/termbits.h>

#include "serial/SerLine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

SerLine::SetTermiosHook& hook()
{
    static SerLine::SetTermiosHook h;
    return h;
}

struct RateCode {
    uint32_t rate;
    tcflag_t code;
};

// The rates the termios table holds; every other rate goes through BOTHER.
constexpr RateCode kRates[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300}, {600, B600},
    {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
    {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t rateCode(uint32_t rate)
{
    for (const RateCode& r : kRates) {
        if (r.rate == rate)
            return r.code;
    }
    return BOTHER;
}

int setModemLine(int fd, int line, bool on)
{
    int bits = line;
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0)
        return 0;
    // Pseudo-terminals and some adapters have no modem lines to set.
    return errno == ENOTTY || errno == EINVAL ? 0 : errno;
}

int setTermios(int fd, const termios2& t)
{
    if (hook())
        return hook()(fd, t) == 0 ? 0 : errno;
    return ::ioctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
}

bool framingDiffers(const termios2& want, const termios2& got)
{
    constexpr tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    return (want.c_cflag & framing) != (got.c_cflag & framing);
}

bool rateDiffers(const termios2& want, const termios2& got)
{
    const double wanted = want.c_ospeed;
    return got.c_ospeed < wanted * 0.97 || got.c_ospeed > wanted * 1.03;
}

} // namespace

namespace SerLine {

int OpenExclusive(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // Not every device is a terminal; the line settings report that later with the system's text.
    ::ioctl(fd, TIOCEXCL);
    // What arrived while nobody had the port open is not part of this session.
    ::ioctl(fd, TCFLSH, TCIFLUSH);
    return fd;
}

void CloseDevice(int fd, int maxDrainMs)
{
    if (fd < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    int pending = 0;
    while (OutputQueue(fd, pending) == 0 && pending > 0 && clock.elapsed() < maxDrainMs)
        QThread::msleep(2);
    ::ioctl(fd, TCFLSH, TCOFLUSH);
    // The exclusive mode outlives the descriptor on some drivers; lift it so others can open later.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

int MakeRaw(int fd)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return setTermios(fd, t);
}

int Apply(int fd, const SerLineSettings& s)
{
    if (s.databits < 5 || s.databits > 8 || s.baudrate == 0)
        return EINVAL;

    termios2 before{};
    if (::ioctl(fd, TCGETS2, &before) != 0)
        return errno;

    termios2 t{};
    // A break arrives as a counter, not as a NUL in the data.
    t.c_iflag = IGNBRK;
    if (s.parityCheck)
        t.c_iflag |= INPCK;
    if (s.xonXoffOut)
        t.c_iflag |= IXON;
    if (s.xonXoffIn)
        t.c_iflag |= IXOFF;

    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag = CREAD | CLOCAL | HUPCL | sizes[s.databits - 5];
    switch (s.parity) {
    case paNone: break;
    case paOdd: t.c_cflag |= PARENB | PARODD; break;
    case paEven: t.c_cflag |= PARENB; break;
    case paMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case paSpace: t.c_cflag |= PARENB | CMSPAR; break;
    }
    // With 5 data bits the UART sends one and a half stop bits for CSTOPB; that is as close to 1.5 as
    // Linux lines come.
    if (s.stopbits != sb1)
        t.c_cflag |= CSTOPB;
    if (s.ctsFlow)
        t.c_cflag |= CRTSCTS;
    t.c_cflag |= rateCode(s.baudrate);
    t.c_ispeed = s.baudrate;
    t.c_ospeed = s.baudrate;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;

    if (const int error = setTermios(fd, t))
        return error;

    termios2 now{};
    if (::ioctl(fd, TCGETS2, &now) == 0) {
        const bool refused = rateDiffers(t, now) || (!IsPseudoTerminal(fd) && framingDiffers(t, now));
        if (refused) {
            ::ioctl(fd, TCSETS2, &before);
            return EINVAL;
        }
    }

    const bool dtrOn = s.dtr != dtrDisabled;
    const bool rtsOn = s.rts == rtsEnabled || s.rts == rtsHandshake;
    if (const int error = setModemLine(fd, TIOCM_DTR, dtrOn))
        return error;
    return setModemLine(fd, TIOCM_RTS, rtsOn);
}

bool IsPseudoTerminal(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned maj = major(st.st_rdev);
    // Unix98 slaves (136-143) and the old BSD-style slaves (3).
    return (maj >= 136 && maj <= 143) || maj == 3;
}

int ReadCounters(int fd, Counters& c)
{
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0)
        return errno;
    c.frame = ic.frame;
    c.overrun = ic.overrun;
    c.parity = ic.parity;
    c.brk = ic.brk;
    c.bufOverrun = ic.buf_overrun;
    c.cts = ic.cts;
    c.dsr = ic.dsr;
    c.rng = ic.rng;
    c.dcd = ic.dcd;
    return 0;
}

int ModemLines(int fd, int& bits)
{
    return ::ioctl(fd, TIOCMGET, &bits) == 0 ? 0 : errno;
}

int OutputQueue(int fd, int& count)
{
    return ::ioctl(fd, TIOCOUTQ, &count) == 0 ? 0 : errno;
}

void SetTermiosHookForTests(SetTermiosHook h)
{
    hook() = std::move(h);
}

} // namespace SerLine
