#include "basic52sim/Simulator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace basic52sim {

namespace {

volatile std::sig_atomic_t gSignal = 0;

void onSignal(int sig)
{
    gSignal = sig;
}

// A program runs at a steady pace, well above the board's own, without taking a whole processor
// for a loop such as 10 GOTO 10.
constexpr double kStatementsPerSecond = 50000;
constexpr double kBucket = kStatementsPerSecond / 50;
constexpr int kSlice = 500;
constexpr int kMinSlice = 50;
// A paced PRINT waits for the line as it does on the board; unpaced, output may run ahead.
constexpr std::size_t kPacedBacklog = 16;
constexpr std::size_t kUnpacedBacklog = 64 * 1024;
// Without burst loss, what a running program has not read yet; beyond this the line is not read.
constexpr std::size_t kMaxPending = 1024 * 1024;
constexpr std::size_t kReadChunk = 4096;
// From the first open of the line to the sign-on.
constexpr std::chrono::milliseconds kSignOnDelay{150};

std::string errnoText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

Simulator::Simulator(const Options& options)
    : options_(options), board_(Board::Settings{options.autobaud, options.burstLoss, options.maxLine})
{
    if (options_.baud > 0)
        byteTime_ = std::chrono::nanoseconds((10'000'000'000LL + options_.baud - 1) / options_.baud);
}

Simulator::~Simulator()
{
    removeLink();
    if (watch_ >= 0)
        ::close(watch_);
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool Simulator::open(std::string& error)
{
    if (!options_.logPath.empty() && !log_.open(options_.logPath, error))
        return false;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = errnoText("cannot open a pseudo-terminal");
        return false;
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master_, name.data(), name.size()) != 0) {
        error = errnoText("cannot name the pseudo-terminal");
        return false;
    }
    slavePath_ = name.data();
    // Holding the slave ourselves keeps the line up between a terminal's close and its next open,
    // and keeps its settings raw.
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = errnoText("cannot open " + slavePath_);
        return false;
    }
    setRaw();
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);

    // Knowing when a terminal has the port open lets the board talk into the void when nobody
    // listens, as on a real line, instead of leaving stale answers for the next opener.
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 && ::inotify_add_watch(watch_, slavePath_.c_str(), IN_OPEN | IN_CLOSE) >= 0) {
        watching_ = true;
    } else if (watch_ >= 0) {
        ::close(watch_);
        watch_ = -1;
    }

    if (!options_.linkPath.empty() && !makeLink(error))
        return false;
    log_.note("slave " + slavePath_ + (options_.baud ? ", " + std::to_string(options_.baud) + " baud" : ", unpaced") +
              (options_.burstLoss ? "" : ", no burst loss"));
    return true;
}

void Simulator::setRaw()
{
    termios t{};
    if (::tcgetattr(slave_, &t) != 0)
        return;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::tcsetattr(slave_, TCSANOW, &t);
}

bool Simulator::makeLink(std::string& error)
{
    const std::string& link = options_.linkPath;
    struct stat st{};
    if (::lstat(link.c_str(), &st) == 0) {
        // A link left by an earlier run that was killed is replaced; anything else is not ours.
        if (!S_ISLNK(st.st_mode)) {
            error = "will not replace " + link + ": it is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(slavePath_.c_str(), link.c_str()) != 0) {
        error = errnoText("cannot create the link " + link);
        return false;
    }
    linked_ = true;
    return true;
}

void Simulator::removeLink()
{
    if (!linked_)
        return;
    linked_ = false;
    // Only our own link goes: another simulator may have taken the name meanwhile.
    std::array<char, 256> target{};
    const ssize_t n = ::readlink(options_.linkPath.c_str(), target.data(), target.size() - 1);
    if (n > 0 && std::string(target.data(), static_cast<std::size_t>(n)) == slavePath_)
        ::unlink(options_.linkPath.c_str());
}

int Simulator::serve()
{
    sigset_t blocked;
    sigset_t original;
    sigemptyset(&blocked);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&blocked, sig);
    // Signals are taken only inside ppoll, so none is missed between the check and the wait.
    sigprocmask(SIG_BLOCK, &blocked, &original);
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (listenerPresent())
        powerOnAt_ = Clock::now();
    lastRefill_ = Clock::now();
    tokens_ = kBucket;
    bool stdinOpen = options_.exitOnEof;
    while (gSignal == 0 && failure_.empty()) {
        Clock::time_point now = Clock::now();
        powerOnWhenDue(now);
        collectOutput(now);
        sendDue(now);
        listenWhenAnswered();

        std::array<pollfd, 3> fds{};
        nfds_t count = 0;
        const std::size_t lineSlot = count++;
        fds[lineSlot].fd = master_;
        fds[lineSlot].events = static_cast<short>((board_.pendingInput() < kMaxPending ? POLLIN : 0) |
                                                  (txBlocked_ ? POLLOUT : 0));
        std::size_t watchSlot = fds.size();
        if (watching_) {
            watchSlot = count++;
            fds[watchSlot] = pollfd{watch_, POLLIN, 0};
        }
        std::size_t stdinSlot = fds.size();
        if (stdinOpen) {
            stdinSlot = count++;
            fds[stdinSlot] = pollfd{STDIN_FILENO, POLLIN, 0};
        }
        const std::optional<Clock::duration> wait = waitTime(now);
        timespec ts{};
        if (wait) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*wait).count();
            ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        const int ready = ::ppoll(fds.data(), count, wait ? &ts : nullptr, &original);
        if (ready < 0) {
            if (errno != EINTR)
                failure_ = errnoText("poll");
            continue;
        }
        // Opens and closes first: input on the line means that someone who opened it is there.
        if (watchSlot < fds.size() && (fds[watchSlot].revents & POLLIN)) {
            readOpeners();
            listenWhenAnswered();
        }
        if (fds[lineSlot].revents & POLLIN)
            readLine();
        else if (fds[lineSlot].revents & (POLLERR | POLLHUP | POLLNVAL))
            failure_ = "the pseudo-terminal failed";
        if (fds[lineSlot].revents & POLLOUT)
            txBlocked_ = false;
        if (stdinSlot < fds.size() && fds[stdinSlot].revents) {
            std::array<char, 256> scratch{};
            if (::read(STDIN_FILENO, scratch.data(), scratch.size()) <= 0) {
                stdinOpen = false;
                gSignal = SIGTERM;
            }
        }
        runProgram(Clock::now());
    }
    if (!failure_.empty()) {
        std::fprintf(stderr, "basic52-sim: %s\n", failure_.c_str());
        log_.note(failure_);
        return 1;
    }
    log_.note("ended by signal " + std::to_string(static_cast<int>(gSignal)));
    return 0;
}

void Simulator::listenWhenAnswered()
{
    if (tx_.empty() && !board_.running() && !board_.listening())
        board_.answerSent();
}

void Simulator::readLine()
{
    std::array<char, kReadChunk> buf{};
    const ssize_t n = ::read(master_, buf.data(), buf.size());
    if (n > 0) {
        const std::string_view bytes(buf.data(), static_cast<std::size_t>(n));
        log_.record("RX", bytes);
        // Someone talks to the board: it is on by now.
        if (!poweredOn_) {
            powerOnAt_ = Clock::now();
            powerOnWhenDue(*powerOnAt_);
        }
        board_.receive(bytes);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
        failure_ = errnoText("read from the pseudo-terminal");
    }
}

void Simulator::readOpeners()
{
    alignas(inotify_event) std::array<char, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(watch_, buf.data(), buf.size());
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buf.data() + at);
            if (event->mask & IN_OPEN) {
                ++openers_;
                if (!poweredOn_ && !powerOnAt_)
                    powerOnAt_ = Clock::now() + kSignOnDelay;
            } else if (event->mask & IN_CLOSE) {
                if (openers_ > 0 && --openers_ == 0)
                    lastOpenerLeft();
            }
            if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED)) {
                // The count can no longer be trusted: take everyone as listening from now on.
                watching_ = false;
                log_.note("no longer tracking who has the line open");
                if (!poweredOn_ && !powerOnAt_)
                    powerOnAt_ = Clock::now();
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void Simulator::powerOnWhenDue(Clock::time_point now)
{
    if (poweredOn_ || !powerOnAt_ || now < *powerOnAt_)
        return;
    poweredOn_ = true;
    powerOnAt_.reset();
    board_.powerOn();
}

void Simulator::lastOpenerLeft()
{
    // An exclusive open that was not undone would keep the next open out while we hold the slave.
    ::ioctl(slave_, TIOCNXCL);
    setRaw();
    ::tcflush(slave_, TCIFLUSH);
    log_.record("DROP", tx_);
    tx_.clear();
    txBlocked_ = false;
    log_.note("the line was closed");
}

void Simulator::collectOutput(Clock::time_point now)
{
    log_.record("LOST", board_.takeLost());
    if (!board_.hasOutput())
        return;
    std::string out = board_.takeOutput();
    if (!listenerPresent()) {
        log_.record("DROP", out);
        return;
    }
    if (tx_.empty())
        lineFreeAt_ = std::max(lineFreeAt_, now);
    tx_ += out;
}

void Simulator::sendDue(Clock::time_point now)
{
    if (tx_.empty() || txBlocked_)
        return;
    std::size_t due = tx_.size();
    if (byteTime_.count() > 0) {
        // A byte has arrived at the far end once its last bit time has passed.
        const auto elapsed = now - lineFreeAt_;
        due = elapsed < byteTime_ ? 0 : std::min<std::size_t>(due, static_cast<std::size_t>(elapsed / byteTime_));
    }
    if (due == 0)
        return;
    const ssize_t written = ::write(master_, tx_.data(), due);
    if (written < 0) {
        if (errno == EAGAIN)
            txBlocked_ = true;
        else if (errno != EINTR)
            failure_ = errnoText("write to the pseudo-terminal");
        return;
    }
    const auto sent = static_cast<std::size_t>(written);
    txBlocked_ = sent < due;
    log_.record("TX", std::string_view(tx_).substr(0, sent));
    tx_.erase(0, sent);
    if (byteTime_.count() > 0)
        lineFreeAt_ += byteTime_ * static_cast<long>(sent);
}

std::size_t Simulator::backlogLimit() const
{
    return byteTime_.count() > 0 ? kPacedBacklog : kUnpacedBacklog;
}

void Simulator::runProgram(Clock::time_point now)
{
    if (!board_.running() || tx_.size() >= backlogLimit())
        return;
    const double elapsed = std::chrono::duration<double>(now - lastRefill_).count();
    lastRefill_ = now;
    tokens_ = std::min(kBucket, tokens_ + elapsed * kStatementsPerSecond);
    const int budget = std::min(kSlice, static_cast<int>(tokens_));
    if (budget < kMinSlice && tokens_ < kBucket)
        return;
    tokens_ -= board_.run(std::max(budget, 1));
}

std::optional<Simulator::Clock::duration> Simulator::waitTime(Clock::time_point now) const
{
    std::optional<Clock::duration> wait;
    auto shorten = [&wait](Clock::duration d) {
        d = std::max(d, Clock::duration::zero());
        if (!wait || d < *wait)
            wait = d;
    };
    if (powerOnAt_)
        shorten(*powerOnAt_ - now);
    if (!tx_.empty() && !txBlocked_ && byteTime_.count() > 0)
        shorten(lineFreeAt_ + byteTime_ - now);
    if (board_.running() && tx_.size() < backlogLimit()) {
        const double have = std::min(kBucket, tokens_ + std::chrono::duration<double>(now - lastRefill_).count() *
                                                            kStatementsPerSecond);
        const double missing = kMinSlice - have;
        shorten(missing <= 0 ? Clock::duration::zero()
                             : std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(missing / kStatementsPerSecond)));
    }
    return wait;
}

} // namespace basic52sim
