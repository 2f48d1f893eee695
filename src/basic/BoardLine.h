#pragma once

#include <QByteArray>

#include <chrono>

// The serial line to the board as the program's dialogues with it use it: the transmission of the
// editor's program and the fetch of the board's program. The waits on it must not run any window
// event, so that nothing typed or clicked mixes into a dialogue.
class BoardLine {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~BoardLine() = default;

    virtual bool portOpen() const = 0;
    virtual void writeString(const QByteArray& bytes) = 0;
    // Everything waiting in the input queue; empty when nothing waits.
    virtual QByteArray readString() = 0;
    // Waits a little for input to arrive, at most until the deadline. It must not run any window
    // event; returning at once is allowed (the loop then polls).
    virtual void waitForInput(Clock::time_point deadline) { (void)deadline; }
    virtual Clock::time_point now() const { return Clock::now(); }
    // Whether the device behind the port went away; a dialogue then ends at once.
    virtual bool portLost() const { return false; }

protected:
    BoardLine() = default;
    BoardLine(const BoardLine&) = default;
    BoardLine& operator=(const BoardLine&) = default;
};
