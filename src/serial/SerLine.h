#pragma once

#include "serial/SerTypes.h"

#include <QString>

#include <cstdint>
#include <functional>

struct termios2;

// What the component's properties say about the line, gathered for the device layer.
struct SerLineSettings {
    uint32_t baudrate = 9600;
    int databits = 8; // 4 to 8; Linux lines carry 5 to 8
    TSerParity parity = paNone;
    TSerStopbits stopbits = sb1;
    bool ctsFlow = false; // hardware flow control (CTS/RTS)
    TSerControlDtr dtr = dtrDisabled;
    TSerControlRts rts = rtsDisabled;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    uint8_t xonChar = 17;
    uint8_t xoffChar = 19;
    bool parityCheck = false;
};

// The Linux side of a serial line: opening a device for this program alone, setting the line from
// nothing but the settings (termios2, so that any rate can be set), and the counters and lines the
// event thread watches. Every call returns an errno value (0 for success) or sets errno.
namespace SerLine {

// Opens the device read/write, non-blocking, without making it the controlling terminal, and makes
// it exclusive: TIOCEXCL keeps other programs out and an flock keeps out other port objects of this
// and of any program that locks the same way (the kernel lets root past TIOCEXCL). Returns the
// descriptor, or -1 with errno set; a device held elsewhere gives EBUSY. Input the device still held
// from before is discarded.
int OpenExclusive(const QString& path);

// Gives the device up: waits up to maxDrainMs for the driver's output queue to empty, discards the
// rest (so that a line stuck in flow control cannot hold the close for half a minute), lifts the
// exclusive mode and closes.
void CloseDevice(int fd, int maxDrainMs);

// Puts the line into raw byte mode without touching its rate or framing.
int MakeRaw(int fd);

// Builds the line's termios from the settings alone and sets it, then sets DTR and RTS. A device
// that silently changes the data bits, parity, stop bits or rate (more than 3 %) has refused the
// setting: its previous state is restored and EINVAL returned. Pseudo-terminals have no framing and
// are only held to the rate. 4 data bits and the rate 0 cannot be expressed and give EINVAL.
int Apply(int fd, const SerLineSettings& settings);

bool IsPseudoTerminal(int fd);

// Cumulative counters of the driver (TIOCGICOUNT). Returns an errno value; ENOTTY or EINVAL mean
// the driver keeps none.
struct Counters {
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    int cts = 0, dsr = 0, rng = 0, dcd = 0;
};
int ReadCounters(int fd, Counters& counters);

// Modem status lines as TIOCM_* bits. Returns an errno value.
int ModemLines(int fd, int& bits);

// Bytes in the driver's output queue. Returns an errno value.
int OutputQueue(int fd, int& count);

// Replaces the call that sets the termios (for tests: capture what is set, or make it fail by
// returning -1 with errno set). An empty function restores the real call.
using SetTermiosHook = std::function<int(int fd, const termios2& settings)>;
void SetTermiosHookForTests(SetTermiosHook hook);

} // namespace SerLine
