#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace basic52sim {

struct Options {
    std::string linkPath;     // a symbolic link to the slave side, removed at exit
    std::string logPath;      // every byte received and sent, with times
    unsigned baud = 0;        // 0: answers leave at once
    std::size_t maxLine = 78; // characters kept of a typed line
    bool autobaud = false;
    bool burstLoss = true;
    bool exitOnEof = false;   // end when standard input reaches its end
    bool help = false;
};

// Reads the command line (without the program name). On a mistake returns false and says why.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
std::string usageText(const std::string& program);

} // namespace basic52sim
