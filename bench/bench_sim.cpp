// Controller simulator: how many program lines it takes per second when each waits for the board's
// echo and prompt (as a program transmission does), and how much processor it uses while idle.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <atomic>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sim {
    pid_t pid = -1;
    int fd = -1;
};

void makeRaw(int fd);

bool startSim(Sim& sim)
{
    int out[2];
    if (::pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(BASIC52_SIM), nullptr};
    const int rc = posix_spawn(&sim.pid, BASIC52_SIM, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0)
        return false;
    std::string path;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n')
        path += c;
    ::close(out[0]);
    sim.fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (sim.fd < 0)
        return false;
    makeRaw(sim.fd);
    // The sign-on that greets the first opener must not be taken for the first answer.
    pollfd p{sim.fd, POLLIN, 0};
    char buf[256];
    while (::poll(&p, 1, 200) > 0 && ::read(sim.fd, buf, sizeof buf) > 0) {
    }
    return true;
}

void stopSim(Sim& sim)
{
    if (sim.fd >= 0)
        ::close(sim.fd);
    if (sim.pid > 0) {
        ::kill(sim.pid, SIGTERM);
        ::waitpid(sim.pid, nullptr, 0);
    }
}

// Sends one line and reads until the expected answer is complete; false on a wrong answer or silence.
bool sendLine(const Sim& sim, const std::string& line, std::string& got)
{
    const std::string send = line + "\r";
    const std::string expected = line + "\r\n>";
    if (::write(sim.fd, send.data(), send.size()) != static_cast<ssize_t>(send.size()))
        return false;
    got.clear();
    char buf[256];
    while (got.size() < expected.size()) {
        pollfd p{sim.fd, POLLIN, 0};
        if (::poll(&p, 1, 4000) <= 0)
            return false;
        const ssize_t n = ::read(sim.fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got == expected;
}

void makeRaw(int fd)
{
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

// Program lines per second over fd, each sent after the previous one was answered.
double linesPerSecond(const Sim& sim, int lines)
{
    std::string got;
    const auto start = Clock::now();
    for (int i = 0; i < lines; ++i) {
        const std::string line = std::to_string(i % 5000 + 1) + " PRINT A*" + std::to_string(i) + "+1";
        if (!sendLine(sim, line, got)) {
            std::fprintf(stderr, "line %d was not answered as expected: got %zu bytes\n", i, got.size());
            return 0;
        }
    }
    return lines / std::chrono::duration<double>(Clock::now() - start).count();
}

// The same dialogue against the least a pseudo-terminal server can do (echo, and a prompt after
// CR), to show how much of the figure the kernel's pseudo-terminal takes on this machine.
double referenceLinesPerSecond(int lines)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return 0;
    char name[128];
    ::ptsname_r(master, name, sizeof name);
    const int held = ::open(name, O_RDWR | O_NOCTTY);
    makeRaw(held);
    std::atomic<bool> stop{false};
    std::thread server([&] {
        char in[4096];
        std::string out;
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(master, in, sizeof in);
            out.clear();
            for (ssize_t i = 0; i < n; ++i) {
                out += in[i];
                if (in[i] == '\r')
                    out += "\n>";
            }
            if (!out.empty() && ::write(master, out.data(), out.size()) < 0)
                return;
        }
    });
    Sim client;
    client.fd = ::open(name, O_RDWR | O_NOCTTY);
    makeRaw(client.fd);
    const double rate = linesPerSecond(client, lines);
    stop = true;
    server.join();
    ::close(client.fd);
    ::close(held);
    ::close(master);
    return rate;
}

long cpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) start behind the last ')'.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

} // namespace

int main()
{
    Sim sim;
    if (!startSim(sim)) {
        std::fprintf(stderr, "cannot start %s\n", BASIC52_SIM);
        stopSim(sim);
        return 1;
    }

    constexpr int kLines = 40000;
    std::printf("lines accepted with echo and prompt, unpaced: %.0f lines/s (target > 20000)\n",
                linesPerSecond(sim, kLines));
    std::printf("  reference, a bare pseudo-terminal echo on this machine: %.0f lines/s\n",
                referenceLinesPerSecond(kLines));

    constexpr int kIdleSeconds = 3;
    const long before = cpuTicks(sim.pid);
    const auto idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const long after = cpuTicks(sim.pid);
    const double idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    const double percent = 100.0 * static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) /
                           idleSeconds;
    std::printf("processor use while idle: %ld ticks in %.2f s = %.2f %% (target < 0.5 %%)\n", after - before,
                idleSeconds, percent);
    stopSim(sim);
    return 0;
}
