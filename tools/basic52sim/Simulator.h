#pragma once

#include "basic52sim/Board.h"
#include "basic52sim/ByteLog.h"
#include "basic52sim/Options.h"

#include <chrono>
#include <optional>
#include <string>

namespace basic52sim {

// Serves the board on a pseudo-terminal: it owns the master side, keeps the slave side open itself
// (so a terminal program may close and reopen the port any number of times without the line
// hanging up), paces the board's answers at the chosen baud rate, and lets a running program go
// on while it watches the line for Control C. Idle, it sleeps in poll without a time-out.
class Simulator final {
public:
    explicit Simulator(const Options& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }
    // Serves until SIGINT, SIGTERM or SIGHUP (or the end of standard input when asked to);
    // returns the exit status.
    int serve();

private:
    using Clock = std::chrono::steady_clock;

    bool makeLink(std::string& error);
    void removeLink();
    void setRaw();
    void listenWhenAnswered();
    void readLine();
    void readOpeners();
    void lastOpenerLeft();
    void powerOnWhenDue(Clock::time_point now);
    void collectOutput(Clock::time_point now);
    void sendDue(Clock::time_point now);
    void runProgram(Clock::time_point now);
    std::size_t backlogLimit() const;
    std::optional<Clock::duration> waitTime(Clock::time_point now) const;
    bool listenerPresent() const { return !watching_ || openers_ > 0; }

    Options options_;
    Board board_;
    ByteLog log_;
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    std::string slavePath_;
    bool linked_ = false;
    bool watching_ = false;
    int openers_ = 0;
    std::string tx_;
    bool txBlocked_ = false;
    std::chrono::nanoseconds byteTime_{0};
    Clock::time_point lineFreeAt_{};
    double tokens_ = 0;
    Clock::time_point lastRefill_{};
    std::string failure_;
    // The board is switched on when a terminal first opens the line, and signs on a moment later,
    // once the terminal has set the line up; before that nobody would hear it.
    bool poweredOn_ = false;
    std::optional<Clock::time_point> powerOnAt_;
};

} // namespace basic52sim
