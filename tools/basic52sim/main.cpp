#include "basic52sim/Options.h"
#include "basic52sim/Simulator.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace basic52sim;
    const std::string program = "basic52-sim";
    Options options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(), usageText(program).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(program).c_str(), stdout);
        return 0;
    }
    Simulator simulator(options);
    if (!simulator.open(error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
        return 1;
    }
    // The first line of output is the port to open; scripts and tests read it.
    std::printf("%s\n", simulator.slavePath().c_str());
    std::fflush(stdout);
    return simulator.serve();
}
