#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

class EditorLines;

// Sending the editor's program to the controller as if the user typed it at the prompt: one line at a
// time, each followed by a carriage return, and the next line only after the controller answered the
// line with exactly its echo, CR, LF and the prompt ">". There is no other acknowledgement.
namespace ProgramTransmission {

using Clock = std::chrono::steady_clock;

// The longest part of an editor line that is sent; the rest of a longer line is cut off.
constexpr int MaxLineLength = 4096;
// How long the controller has to answer one line, counted from the send.
constexpr Clock::duration AnswerTimeout = std::chrono::seconds(4);

// The program's side of the line and of the window, as the transmission uses them.
class Link {
public:
    virtual ~Link() = default;

    virtual bool portOpen() const = 0;
    virtual void writeString(const QByteArray& bytes) = 0;
    // Everything waiting in the input queue; empty when nothing waits.
    virtual QByteArray readString() = 0;
    // Waits a little for input to arrive, at most until the deadline. It must not run any window
    // event; returning at once is allowed (the loop then polls).
    virtual void waitForInput(Clock::time_point deadline) { (void)deadline; }
    virtual Clock::time_point now() const { return Clock::now(); }

    // The accepted answer of a line, for the terminal pane.
    virtual void showAnswer(const QByteArray& answer) = 0;
    // One pass of the window's pending events, between two lines.
    virtual void processEvents() = 0;
    virtual void showTimeout(const QString& message) = 0;
    // Whether the device behind the port went away; the transmission then ends at once.
    virtual bool portLost() const { return false; }
    // The transmission ended at this line (counted from 0) because the device went away.
    virtual void stoppedByLostPort(int line) { (void)line; }

protected:
    Link() = default;
    Link(const Link&) = default;
    Link& operator=(const Link&) = default;
};

enum class Outcome { PortClosed, NoLines, Completed, TimedOut, PortLost };

// What is sent for an editor line: its bytes (at most MaxLineLength characters) and a carriage return.
QByteArray lineToSend(const QString& line);
// The controller's answer to that line: the line, CR, LF and ">"; for an empty line CR LF CR LF ">".
QByteArray expectedAnswer(const QString& line);
// "Zeitüberschreitung !" in German (language 1), "Timeout !" for any other language.
QString timeoutMessage(int language);

// Sends every line of the program. The number of lines is taken once at the start. The first time-out
// shows its message, drops what was received for that line and ends the transmission. A device that
// goes away ends it at the line waiting for its answer, without the time-out.
Outcome transmit(const EditorLines& program, Link& link, int language);

} // namespace ProgramTransmission
