#include "basic52sim/Board.h"

#include "basic52sim/NumberFormat.h"
#include "basic52sim/Tokeniser.h"

#include <utility>

namespace basic52sim {

namespace {

constexpr char kControlC = 3;
constexpr char kControlD = 4;
constexpr char kBell = 7;
constexpr char kDelete = 127;

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

Board::Board(Settings settings) : settings_(settings), interpreter_(program_, out_)
{
}

void Board::powerOn()
{
    if (settings_.autobaud)
        mode_ = Mode::WaitingForSpace;
    else
        signOn();
}

void Board::signOn()
{
    mode_ = Mode::Command;
    out_.put("\r\n");
    out_.put(kSignOn);
    ready();
    busy();
}

void Board::busy()
{
    if (settings_.burstLoss)
        deaf_ = true;
}

void Board::answerSent()
{
    if (mode_ != Mode::Running)
        deaf_ = false;
}

std::string Board::takeLost()
{
    return std::exchange(lost_, {});
}

void Board::receive(std::string_view bytes)
{
    for (const char raw : bytes) {
        const char c = static_cast<char>(raw & 0x7f);
        if (mode_ == Mode::WaitingForSpace) {
            if (c == ' ')
                signOn();
            else
                lost_ += raw;
        } else if (mode_ == Mode::Running) {
            // A running program looks at the line only for Control C.
            if (c == kControlC) {
                interpreter_.interrupt();
                finishRun();
            } else if (settings_.burstLoss) {
                lost_ += raw;
            } else {
                pending_.push_back(c);
            }
        } else if (deaf_) {
            lost_ += raw;
        } else {
            editLine(c);
        }
    }
}

void Board::pump()
{
    while (!pending_.empty() && mode_ == Mode::Command) {
        // Taken off before it is handled: handling it may end a run, which pumps again.
        const char c = pending_.front();
        pending_.pop_front();
        editLine(c);
    }
}

void Board::editLine(char c)
{
    switch (c) {
    case '\r': {
        out_.put("\r\n");
        const std::string line = std::exchange(line_, {});
        executeLine(line);
        busy();
        break;
    }
    case kControlC:
        line_.clear();
        out_.put("\r\n");
        ready();
        busy();
        break;
    case kControlD:
        line_.clear();
        out_.put("\r\n");
        break;
    case kDelete:
        if (line_.empty()) {
            out_.put(kBell);
        } else {
            line_.pop_back();
            out_.put("\b \b");
        }
        break;
    default:
        if (static_cast<unsigned char>(c) < 0x20) {
            out_.put(c); // echoed, never part of the line
        } else if (line_.size() >= settings_.maxLine) {
            out_.put(kBell);
        } else {
            line_ += c;
            out_.put(c);
        }
    }
}

void Board::executeLine(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && isDigit(line[first])) {
        std::size_t i = first;
        unsigned long number = 0;
        while (i < line.size() && isDigit(line[i])) {
            number = number * 10 + static_cast<unsigned>(line[i++] - '0');
            if (number > ProgramStore::kMaxLineNumber) {
                directError("BAD SYNTAX");
                return;
            }
        }
        program_.store(static_cast<unsigned>(number), storedForm(std::string_view(line).substr(i)));
        interpreter_.programChanged();
        out_.put('>');
        return;
    }

    const std::string stored = storedForm(line);
    if (stored.empty()) {
        prompt();
        return;
    }
    const Keyword* k = keywordAt(stored, 0);
    if (k != nullptr && command(k->token, trimmed(stored.substr(k->spelling.size()))))
        return;
    interpreter_.beginDirect(stored);
    startRunning();
}

bool Board::command(Token token, const std::string& rest)
{
    if (token == Token::List) {
        list(rest);
    } else if (token == Token::New && rest.empty()) {
        program_.clear();
        interpreter_.clearVariables();
        prompt();
    } else if (token == Token::Run && rest.empty()) {
        // The board starts a run on a fresh line.
        out_.put("\r\n");
        interpreter_.beginRun();
        startRunning();
    } else if (token == Token::Cont && rest.empty()) {
        if (interpreter_.beginContinue())
            startRunning();
        else
            directError("CAN'T CONTINUE");
    } else {
        return false;
    }
    return true;
}

void Board::list(const std::string& range)
{
    unsigned from = 0;
    unsigned to = ProgramStore::kMaxLineNumber;
    if (!range.empty()) {
        std::size_t i = 0;
        auto readNumber = [&](unsigned& value) {
            if (i >= range.size() || !isDigit(range[i]))
                return false;
            unsigned long n = 0;
            while (i < range.size() && isDigit(range[i])) {
                n = n * 10 + static_cast<unsigned>(range[i++] - '0');
                if (n > ProgramStore::kMaxLineNumber)
                    return false;
            }
            value = static_cast<unsigned>(n);
            return true;
        };
        // LIST n lists from n to the end.
        bool ok = readNumber(from);
        if (ok && i < range.size() && range[i] == '-') {
            ++i;
            ok = readNumber(to);
        }
        if (!ok || i != range.size()) {
            directError("BAD SYNTAX");
            return;
        }
    }
    for (auto it = program_.lines().lower_bound(from); it != program_.lines().end() && it->first <= to; ++it) {
        out_.put(ProgramStore::listed(it->first, it->second));
        out_.put("\r\n");
    }
    ready();
}

void Board::startRunning()
{
    mode_ = Mode::Running;
    if (!interpreter_.running())
        finishRun();
}

int Board::run(int budget)
{
    if (mode_ != Mode::Running)
        return 0;
    const int done = interpreter_.step(budget);
    if (!interpreter_.running())
        finishRun();
    return done;
}

void Board::finishRun()
{
    mode_ = Mode::Command;
    switch (interpreter_.status()) {
    case Interpreter::Status::Stopped:
        report("STOP", interpreter_.fault());
        break;
    case Interpreter::Status::Failed:
        report("ERROR: " + interpreter_.fault().message, interpreter_.fault());
        break;
    default:
        if (interpreter_.enteredProgram())
            ready();
        else
            prompt();
    }
    busy();
    pump();
}

// In a program the board names the line, lists it and marks where it stopped reading:
//   ERROR: BAD SYNTAX - IN LINE  10
//   (blank line)
//   10     PRINT 34*21*
//   -------------------X
void Board::report(const std::string& heading, const Interpreter::Fault& where)
{
    out_.put("\r\n\r\n" + heading);
    if (where.inProgram) {
        out_.put(" - IN LINE " + formatNumber(where.line) + "\r\n\r\n");
        out_.put(ProgramStore::listed(where.line, where.text) + "\r\n");
        out_.put(std::string(ProgramStore::textColumn(where.line) + where.column, '-') + "X");
    }
    ready();
}

void Board::directError(const char* message)
{
    out_.put("\r\n\r\nERROR: ");
    out_.put(message);
    ready();
}

void Board::prompt()
{
    out_.put("\r\n>");
}

void Board::ready()
{
    out_.put("\r\nREADY\r\n>");
}

} // namespace basic52sim
