// Stands in for a QtTest binary that lies with its totals line: it prints the given totals and then
// ends as its first argument says. The runner must judge each of these by how the process ended as
// well as by what it printed.
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void* volatile sink = nullptr;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake_qtest exit0|exit1|abort|segv|leak|real-leak|real-overflow [TOTALS]\n");
        return 2;
    }
    const char* ending = argv[1];
    if (argc > 2)
        std::printf("%s\n", argv[2]);
    std::fflush(stdout);

    if (std::strcmp(ending, "exit0") == 0)
        return 0;
    if (std::strcmp(ending, "exit1") == 0)
        return 1;
    if (std::strcmp(ending, "abort") == 0)
        std::abort();
    if (std::strcmp(ending, "segv") == 0)
        std::raise(SIGSEGV);
    if (std::strcmp(ending, "leak") == 0) {
        // What LeakSanitizer does at exit when it finds a leak: a report and a non-zero status.
        std::fprintf(stderr, "==1==ERROR: LeakSanitizer: detected memory leaks\n");
        std::_Exit(23);
    }
    // Real faults, for the sanitizer build: the sanitizers must end the process with a bad status.
    if (std::strcmp(ending, "real-leak") == 0) {
        sink = std::malloc(64);
        sink = nullptr;
        return 0;
    }
    if (std::strcmp(ending, "real-overflow") == 0) {
        volatile int big = INT_MAX;
        volatile int sum = big + argc; // signed overflow
        return sum == 0 ? 3 : 0;
    }
    return 2;
}
