#pragma once

#include "basic52sim/Interpreter.h"
#include "basic52sim/Output.h"
#include "basic52sim/ProgramStore.h"

#include <deque>
#include <string>
#include <string_view>

namespace basic52sim {

// The controller as seen from its serial line: it is fed the bytes that arrive and produces the
// bytes it sends back, with the board's line editor (echo, DEL, the line limit), its command line
// (program lines, LIST, NEW, RUN, CONT, direct statements) and its messages.
//
// The board has a receive buffer of one byte and does not read the line while it works on a
// completed line or prints its answer. With burst loss on, bytes that arrive in that time are lost;
// the caller reports the end of that time with answerSent() once the answer has left. With burst
// loss off, they wait and are handled in order.
class Board final {
public:
    // The board keeps 78 characters of a line and answers every further one with a bell.
    static constexpr std::size_t kDefaultMaxLine = 78;
    static constexpr const char* kSignOn = "*8052AH-BASIC V1.1 simulator*";

    struct Settings {
        bool autobaud = false; // wait for a space before the sign-on, as after a reset
        bool burstLoss = true;
        std::size_t maxLine = kDefaultMaxLine;
    };

    explicit Board(Settings settings);
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Prints the sign-on, or starts waiting for the space that sets the baud rate.
    void powerOn();
    // Bytes as they arrived together.
    void receive(std::string_view bytes);
    // Lets a running program execute up to budget statements; returns how many ran.
    int run(int budget);
    // The answer to the last line has been sent: the board listens again.
    void answerSent();

    bool running() const { return mode_ == Mode::Running; }
    bool listening() const { return !deaf_; }
    bool hasOutput() const { return !out_.empty(); }
    std::size_t outputSize() const { return out_.size(); }
    std::string takeOutput() { return out_.take(); }
    // Bytes dropped since the last call: lost while the board was busy, or before the sign-on.
    std::string takeLost();
    // Bytes received but not yet handled (only without burst loss, while a program runs).
    std::size_t pendingInput() const { return pending_.size(); }

    const ProgramStore& program() const { return program_; }
    const Interpreter& interpreter() const { return interpreter_; }

private:
    enum class Mode { WaitingForSpace, Command, Running };

    void signOn();
    void editLine(char c);
    void executeLine(const std::string& line);
    bool command(Token token, const std::string& rest);
    void list(const std::string& range);
    void startRunning();
    void finishRun();
    void report(const std::string& heading, const Interpreter::Fault& where);
    void directError(const char* message);
    void prompt();
    void ready();
    void pump();
    void busy();

    Settings settings_;
    ProgramStore program_;
    Output out_;
    Interpreter interpreter_;
    Mode mode_ = Mode::Command;
    std::string line_;
    std::deque<char> pending_;
    std::string lost_;
    bool deaf_ = false;
};

} // namespace basic52sim
