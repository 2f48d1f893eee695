// The kernel's termios2 clashes with <termios.h>, so it is kept to this file.
#include <asm/termbits.h>

#include "LineProbe.h"

#include "serial/SerLine.h"

#include <cerrno>
#include <sys/ioctl.h>

namespace {

LineProbe fromTermios2(const termios2& t)
{
    LineProbe p;
    p.iflag = t.c_iflag;
    p.oflag = t.c_oflag;
    p.cflag = t.c_cflag;
    p.lflag = t.c_lflag;
    p.ospeed = t.c_ospeed;
    p.otherRate = (t.c_cflag & CBAUD) == BOTHER;
    p.vmin = t.c_cc[VMIN];
    p.vstart = t.c_cc[VSTART];
    p.vstop = t.c_cc[VSTOP];
    return p;
}

} // namespace

LineProbe probeLine(int fd)
{
    termios2 t{};
    ::ioctl(fd, TCGETS2, &t);
    return fromTermios2(t);
}

void captureLineSettings(std::vector<LineProbe>* into, int failErrno)
{
    SerLine::SetTermiosHookForTests([into, failErrno](int fd, const termios2& t) {
        into->push_back(fromTermios2(t));
        if (failErrno != 0) {
            errno = failErrno;
            return -1;
        }
        return ::ioctl(fd, TCSETS2, &t);
    });
}

void stopCapturing()
{
    SerLine::SetTermiosHookForTests({});
}
