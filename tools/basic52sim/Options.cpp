#include "basic52sim/Options.h"

#include <cerrno>
#include <cstdlib>

namespace basic52sim {

namespace {

// The fastest rate a real line to the board could carry, with room to spare.
constexpr unsigned long kMaxBaud = 4000000;
// The board's line buffer is counted in one byte.
constexpr unsigned long kMaxLineLimit = 255;

// A whole decimal number from 1 to max; false for anything else.
bool parseCount(const std::string& value, unsigned long max, unsigned long& out)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || value[0] == '-' || value[0] == '+' || *end != '\0' || errno != 0 || n == 0 || n > max)
        return false;
    out = n;
    return true;
}

} // namespace

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error)
{
    options = Options{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const bool takesValue = name == "--link" || name == "--log" || name == "--baud" || name == "--max-line";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            hasValue = true;
        }
        if (!takesValue && hasValue) {
            error = "option " + name + " takes no value";
            return false;
        }
        if (name == "--link" || name == "--log") {
            if (value.empty()) {
                error = "option " + name + " needs a path";
                return false;
            }
            (name == "--link" ? options.linkPath : options.logPath) = value;
        } else if (name == "--baud") {
            unsigned long baud = 0;
            if (!parseCount(value, kMaxBaud, baud)) {
                error = "--baud needs a rate from 1 to " + std::to_string(kMaxBaud) + ", not '" + value + "'";
                return false;
            }
            options.baud = static_cast<unsigned>(baud);
        } else if (name == "--max-line") {
            unsigned long limit = 0;
            if (!parseCount(value, kMaxLineLimit, limit)) {
                error =
                    "--max-line needs a length from 1 to " + std::to_string(kMaxLineLimit) + ", not '" + value + "'";
                return false;
            }
            options.maxLine = limit;
        } else if (name == "--autobaud") {
            options.autobaud = true;
        } else if (name == "--no-burst-loss") {
            options.burstLoss = false;
        } else if (name == "--exit-on-eof") {
            options.exitOnEof = true;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
    }
    return true;
}

std::string usageText(const std::string& program)
{
    return "Usage: " + program + " [options]\n"
           "Stands in for an 8052AH-BASIC board on a pseudo-terminal. Prints the path of the\n"
           "terminal side on its first line of output; open that path as the serial port.\n"
           "\n"
           "  --link PATH       also make PATH a symbolic link to it (removed at exit)\n"
           "  --baud N          send answers at N baud (10 bit times a byte) instead of at once\n"
           "  --max-line N      keep N characters of a typed line, a bell for each further one\n"
           "                    (default 78, as the board)\n"
           "  --autobaud        wait for a space before the sign-on, as the board does after reset\n"
           "  --no-burst-loss   keep the bytes the board would lose while it is busy with a line\n"
           "  --log FILE        write every byte received and sent, with times, to FILE\n"
           "  --exit-on-eof     end when standard input is closed (for a parent holding a pipe)\n"
           "  --help            show this text\n"
           "\n"
           "Ends on SIGINT, SIGTERM or SIGHUP.\n";
}

} // namespace basic52sim
