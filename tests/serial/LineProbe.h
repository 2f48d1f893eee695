#pragma once

#include <vector>

// The line settings of a terminal as the kernel holds them (termios2, so that rates outside the
// table can be seen too).
struct LineProbe {
    unsigned iflag = 0;
    unsigned oflag = 0;
    unsigned cflag = 0;
    unsigned lflag = 0;
    unsigned ospeed = 0;
    bool otherRate = false; // the rate is given in ospeed, not by a table code
    unsigned char vmin = 0;
    unsigned char vstart = 0;
    unsigned char vstop = 0;
};

LineProbe probeLine(int fd);

// Records every line setting the port makes into `into`, then lets it reach the device; with
// failErrno set, makes the setting fail with that errno instead. Undone by stopCapturing().
void captureLineSettings(std::vector<LineProbe>* into, int failErrno = 0);
void stopCapturing();
