#pragma once

#include "basic/BoardLine.h"

#include <QByteArray>
#include <QStringList>

#include <chrono>
#include <functional>

// Bringing the board's program back: LIST at the board's prompt, the listing collected until the board
// is back at its prompt, and the listing's lines turned back into program lines as they would be typed.
namespace ProgramFetch {

using Clock = BoardLine::Clock;

// How long the board may stay silent while it lists, counted from the send or from the last bytes.
constexpr Clock::duration SilenceTimeout = std::chrono::seconds(4);

// What is typed at the prompt.
QByteArray listCommand();
// Whether the board has finished: its READY and the prompt end what came.
bool isComplete(const QByteArray& received);

enum class Outcome { PortClosed, Completed, TimedOut, PortLost };

struct Result {
    Outcome outcome = Outcome::PortClosed;
    // Everything the board sent after LIST, also when it did not finish.
    QByteArray received;
};

// Sends LIST and collects the board's answer. `linesReceived` is told the number of program lines
// listed so far whenever it grows.
Result fetch(BoardLine& line, const std::function<void(int lines)>& linesReceived = {});

// The program lines of a listing: the line number, one blank and the statement as listed (the padding
// after the number taken out, the rest kept as the board printed it, since it reads it back the same).
// Whatever else the board printed (the echo of LIST, blank lines, READY, the prompt, messages) is left
// out. Bytes are characters 0 ... 255, as the transmission sends them.
QStringList programLines(const QByteArray& listing);

} // namespace ProgramFetch
