#pragma once

#include "basic/BoardLine.h"

#include <QByteArray>
#include <QString>

#include <chrono>

class EditorLines;

// Sending the editor's program to the controller as if the user typed it at the prompt: one line at a
// time, each followed by a carriage return, and the next line only after the controller answered the
// line with exactly its echo, CR, LF and the prompt ">". There is no other acknowledgement.
namespace ProgramTransmission {

using Clock = BoardLine::Clock;

// The longest part of an editor line that is sent; the rest of a longer line is cut off.
constexpr int MaxLineLength = 4096;
// How long the controller has to answer one line, counted from the send.
constexpr Clock::duration AnswerTimeout = std::chrono::seconds(4);

// The program's side of the line and of the window, as the transmission uses them.
class Link : public BoardLine {
public:
    // Whether the program may go out; asked once, after the lines were counted and before the first is
    // sent. False ends the transmission with nothing sent.
    virtual bool approve(const EditorLines& /*program*/) { return true; }
    // Line `line` (counted from 0) of `count` is about to be sent.
    virtual void lineStarted(int /*line*/, int /*count*/) {}
    // The accepted answer of a line, for the terminal pane.
    virtual void showAnswer(const QByteArray& answer) = 0;
    // One pass of the window's pending events, between two lines.
    virtual void processEvents() = 0;
    // Asked after each pass of the window's events: the user wants the transmission to end there.
    virtual bool stopRequested() const { return false; }
    virtual void showTimeout(const QString& message) = 0;
    // After the time-out's message: the line (counted from 0) that got no answer, and what came for it.
    virtual void lineTimedOut(int /*line*/, const QByteArray& /*received*/) {}
    // The transmission ended at this line (counted from 0) because the device went away.
    virtual void stoppedByLostPort(int line) { (void)line; }
};

enum class Outcome { PortClosed, NoLines, Declined, Completed, Stopped, TimedOut, PortLost };

// Why a line got no answer the board accepts, read from what came back for it.
enum class Failure {
    TooLong,    // the board rang the bell for characters beyond what it keeps
    BoardError, // the board reported an error
    NoAnswer,   // nothing came back
    Unexpected, // something came back, but not the line's answer
};
Failure failureOf(const QByteArray& received);

// What is sent for an editor line: its bytes (at most MaxLineLength characters) and a carriage return.
QByteArray lineToSend(const QString& line);
// The controller's answer to that line: the line, CR, LF and ">"; for an empty line CR LF CR LF ">".
QByteArray expectedAnswer(const QString& line);
// "Zeitüberschreitung !" in German (language 1), "Timeout !" for any other language.
QString timeoutMessage(int language);

// Status texts while and after a transmission runs; lines are counted from 1, as the user counts them.
// "Zeile 37 / 300"
QString progressText(int line, int count, int language);
// "Abgebrochen nach Zeile 37"
QString stoppedText(int line, int language);
// "Zeile 20: zu lang (BEL)", "Zeile 20: Fehler des Boards", "Zeile 20: keine Antwort" ...
QString failureText(int line, Failure failure, int language);

// Sends every line of the program. The number of lines is taken once at the start. The first time-out
// shows its message, drops what was received for that line and ends the transmission. A device that
// goes away ends it at the line waiting for its answer, without the time-out. A stop asked for between
// two lines ends it there, after the line that was answered last.
Outcome transmit(const EditorLines& program, Link& link, int language);

} // namespace ProgramTransmission
