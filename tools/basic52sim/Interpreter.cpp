// The simulator's BASIC interpreter in one file: the statements, the expression parser and the run
// state are one class whose members all work on the same position in the line being run, and splitting
// them would only spread that cursor over several files. It is a test tool, not part of the program.

#include "basic52sim/Interpreter.h"

#include "basic52sim/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace basic52sim {

namespace {

// The board's control stack holds only a few dozen GOSUB and FOR entries.
constexpr std::size_t kMaxFrames = 40;
constexpr double kLargest = 1e128;
constexpr double kTrue = 65535;
constexpr int kPrintZone = 8;
constexpr double kMaxPrintPosition = 255;

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether word (upper case) stands at text[at], not glued to a following letter.
bool wordAt(const std::string& text, std::size_t at, const char* word)
{
    std::size_t i = 0;
    for (; word[i]; ++i) {
        if (at + i >= text.size() || upper(text[at + i]) != word[i])
            return false;
    }
    return !(isLetter(word[i - 1]) && at + i < text.size() && isLetter(text[at + i]));
}

} // namespace

Interpreter::Interpreter(const ProgramStore& program, Output& out) : program_(program), out_(out)
{
    pos_.line = program_.lines().end();
    continueAt_ = pos_;
}

const std::string& Interpreter::text() const
{
    return pos_.direct ? directText_ : pos_.line->second;
}

unsigned Interpreter::currentLine() const
{
    return pos_.direct ? 0 : pos_.line->first;
}

double Interpreter::variable(const std::string& name) const
{
    const auto it = vars_.find(name);
    return it == vars_.end() ? 0.0 : it->second;
}

void Interpreter::clearVariables()
{
    vars_.clear();
    stack_.clear();
    canContinue_ = false;
}

void Interpreter::programChanged()
{
    // Saved positions point into the old program.
    stack_.clear();
    canContinue_ = false;
}

void Interpreter::dropDirectFrames()
{
    std::erase_if(stack_, [](const Frame& f) { return f.resume.direct; });
}

void Interpreter::beginRun()
{
    clearVariables();
    thenBranch_ = false;
    pos_ = Position{false, program_.lines().begin(), 0};
    enteredProgram_ = true;
    status_ = program_.empty() ? Status::Ended : Status::Running;
    if (program_.empty())
        pos_.direct = true;
}

void Interpreter::beginDirect(const std::string& text)
{
    const bool refersToDirectLine =
        std::any_of(stack_.begin(), stack_.end(), [](const Frame& f) { return f.resume.direct; });
    if (refersToDirectLine || continueAt_.direct) {
        canContinue_ = false;
        dropDirectFrames();
    }
    directText_ = text;
    pos_ = Position{true, program_.lines().end(), 0};
    enteredProgram_ = false;
    thenBranch_ = false;
    status_ = Status::Running;
}

bool Interpreter::beginContinue()
{
    if (!canContinue_)
        return false;
    canContinue_ = false;
    pos_ = continueAt_;
    enteredProgram_ = true;
    thenBranch_ = false;
    status_ = Status::Running;
    return true;
}

void Interpreter::interrupt()
{
    if (status_ == Status::Running)
        endRun(Status::Stopped);
}

void Interpreter::endRun(Status status)
{
    status_ = status;
    canContinue_ = status == Status::Stopped && !pos_.direct;
    if (canContinue_)
        continueAt_ = pos_;
    if (pos_.direct)
        dropDirectFrames();
}

int Interpreter::step(int budget)
{
    int done = 0;
    while (status_ == Status::Running && done < budget) {
        ++done;
        try {
            executeStatement();
        } catch (const Failure& f) {
            fault_ = Fault{f.message, !pos_.direct, currentLine(), text(), f.column};
            endRun(Status::Failed);
        }
    }
    return done;
}

void Interpreter::fail(const char* message) const
{
    fail(message, pos_.pos);
}

void Interpreter::fail(const char* message, std::size_t column) const
{
    throw Failure{message, column};
}

// ---- control flow ----------------------------------------------------------------------------

void Interpreter::jump(const Position& to)
{
    pos_ = to;
    thenBranch_ = false;
}

void Interpreter::jumpToLine(unsigned number, std::size_t column)
{
    const auto it = program_.lines().find(number);
    if (it == program_.lines().end())
        fail("INVALID LINE NUMBER", column);
    jump(Position{false, it, 0});
    enteredProgram_ = true;
}

void Interpreter::nextLine()
{
    thenBranch_ = false;
    if (pos_.direct) {
        pos_.pos = directText_.size();
        endRun(Status::Ended);
        return;
    }
    const auto next = std::next(pos_.line);
    if (next == program_.lines().end()) {
        pos_.pos = pos_.line->second.size();
        endRun(Status::Ended);
        return;
    }
    pos_.line = next;
    pos_.pos = 0;
}

// ---- statements --------------------------------------------------------------------------------

void Interpreter::executeStatement()
{
    skipBlanks();
    if (atEnd()) {
        nextLine();
        return;
    }
    if (symbol(":"))
        return;
    if (thenBranch_ && keyword("ELSE")) {
        // The THEN part has run; what follows ELSE is for the other case.
        nextLine();
        return;
    }
    if (keyword("REM")) {
        nextLine();
        return;
    }
    if (keyword("END")) {
        endRun(Status::Ended);
        return;
    }
    if (keyword("STOP")) {
        endRun(Status::Stopped);
        return;
    }
    if (keyword("GOTO")) {
        doGoto(false);
        return;
    }
    if (keyword("GOSUB")) {
        doGoto(true);
        return;
    }
    if (keyword("RETURN")) {
        doReturn();
        return;
    }
    if (keyword("IF")) {
        doIf();
        return;
    }
    if (keyword("NEXT")) {
        doNext();
        return;
    }
    if (keyword("PRINT") || symbol("P.") || keyword("PR")) {
        doPrint();
    } else if (keyword("FOR")) {
        doFor();
    } else if (keyword("CLEAR")) {
        vars_.clear();
    } else if (keyword("LET")) {
        skipBlanks();
        doAssignment(identifier());
    } else if (isLetter(peek())) {
        doAssignment(identifier());
    } else {
        fail("BAD SYNTAX");
    }
    expectStatementEnd();
}

bool Interpreter::atStatementEnd()
{
    skipBlanks();
    return atEnd() || peek() == ':' || peekKeyword("ELSE");
}

void Interpreter::expectStatementEnd()
{
    if (!atStatementEnd())
        fail("BAD SYNTAX");
}

void Interpreter::doAssignment(const std::string& name)
{
    if (name.empty())
        fail("BAD SYNTAX");
    skipBlanks();
    if (!symbol("="))
        fail("BAD SYNTAX");
    vars_[name] = expression();
}

void Interpreter::doPrint()
{
    bool newline = true;
    while (!atStatementEnd()) {
        newline = true;
        if (peek() == '"') {
            const std::string& t = text();
            const std::size_t close = t.find('"', pos_.pos + 1);
            if (close == std::string::npos)
                fail("BAD SYNTAX", t.size());
            out_.put(std::string_view(t).substr(pos_.pos + 1, close - pos_.pos - 1));
            pos_.pos = close + 1;
        } else if (const bool tab = keyword("TAB"); tab || keyword("SPC")) {
            skipBlanks();
            if (!symbol("("))
                fail("BAD SYNTAX");
            const std::size_t at = pos_.pos;
            const double n = std::trunc(expression());
            skipBlanks();
            if (!symbol(")"))
                fail("BAD SYNTAX");
            if (n < 0 || n > kMaxPrintPosition)
                fail("BAD ARGUMENT", at);
            const auto count = static_cast<std::size_t>(n);
            if (!tab)
                out_.put(std::string(count, ' '));
            else if (count > out_.column())
                out_.put(std::string(count - out_.column(), ' '));
        } else if (keyword("CR")) {
            out_.put('\r');
        } else {
            out_.put(formatNumber(expression()));
        }
        skipBlanks();
        if (symbol(",")) {
            newline = false;
            const std::size_t next = (out_.column() / kPrintZone + 1) * kPrintZone;
            out_.put(std::string(next - out_.column(), ' '));
        } else if (symbol(";")) {
            newline = false;
        } else if (!atStatementEnd()) {
            fail("BAD SYNTAX");
        }
    }
    if (newline)
        out_.put("\r\n");
}

void Interpreter::doGoto(bool gosub)
{
    skipBlanks();
    const std::size_t at = pos_.pos;
    const unsigned target = lineNumberLiteral();
    if (gosub) {
        expectStatementEnd();
        if (stack_.size() >= kMaxFrames)
            fail("C-STACK", at);
        stack_.push_back(Frame{Frame::Kind::Gosub, pos_, thenBranch_, {}, 0, 0});
    }
    jumpToLine(target, at);
}

void Interpreter::doReturn()
{
    expectStatementEnd();
    while (!stack_.empty() && stack_.back().kind != Frame::Kind::Gosub)
        stack_.pop_back();
    if (stack_.empty())
        fail("C-STACK");
    const Frame frame = stack_.back();
    stack_.pop_back();
    jump(frame.resume);
    thenBranch_ = frame.thenBranch;
}

void Interpreter::doIf()
{
    const double condition = expression();
    skipBlanks();
    if (!keyword("THEN"))
        fail("BAD SYNTAX");
    if (condition == 0) {
        if (!skipToElse())
            return; // no ELSE: on with the next line
    } else {
        thenBranch_ = true;
    }
    skipBlanks();
    if (isDigit(peek())) {
        const std::size_t at = pos_.pos;
        jumpToLine(lineNumberLiteral(), at);
    }
}

bool Interpreter::skipToElse()
{
    const std::string& t = text();
    bool inString = false;
    int nested = 0;
    for (std::size_t i = pos_.pos; i < t.size(); ++i) {
        if (t[i] == '"')
            inString = !inString;
        if (inString || (i > 0 && isLetter(t[i - 1])))
            continue;
        if (wordAt(t, i, "IF")) {
            ++nested;
        } else if (wordAt(t, i, "ELSE")) {
            if (nested == 0) {
                pos_.pos = i + 4;
                return true;
            }
            --nested;
        }
    }
    nextLine();
    return false;
}

void Interpreter::doFor()
{
    skipBlanks();
    const std::string name = identifier();
    if (name.empty())
        fail("BAD SYNTAX");
    skipBlanks();
    if (!symbol("="))
        fail("BAD SYNTAX");
    const double start = expression();
    skipBlanks();
    if (!keyword("TO"))
        fail("BAD SYNTAX");
    const double limit = expression();
    double step = 1;
    skipBlanks();
    if (keyword("STEP"))
        step = expression();
    expectStatementEnd();

    vars_[name] = start;
    for (std::size_t i = stack_.size(); i-- > 0;) {
        if (stack_[i].kind == Frame::Kind::For && stack_[i].var == name) {
            stack_.resize(i);
            break;
        }
    }
    if (stack_.size() >= kMaxFrames)
        fail("C-STACK");
    stack_.push_back(Frame{Frame::Kind::For, pos_, thenBranch_, name, limit, step});
}

void Interpreter::doNext()
{
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        const std::string name = identifier();
        std::size_t found = stack_.size();
        for (std::size_t i = stack_.size(); i-- > 0;) {
            if (stack_[i].kind == Frame::Kind::Gosub)
                break;
            if (name.empty() || stack_[i].var == name) {
                found = i;
                break;
            }
        }
        if (found == stack_.size())
            fail("C-STACK", at);
        const Frame& loop = stack_[found];
        const double value = checked(variable(loop.var) + loop.step, at);
        vars_[loop.var] = value;
        const bool done = loop.step >= 0 ? value > loop.limit : value < loop.limit;
        if (!done) {
            stack_.resize(found + 1);
            jump(stack_.back().resume);
            thenBranch_ = stack_.back().thenBranch;
            return;
        }
        stack_.resize(found);
        skipBlanks();
        if (name.empty() || !symbol(","))
            break;
    }
    expectStatementEnd();
}

// ---- scanning ----------------------------------------------------------------------------------

bool Interpreter::atEnd() const
{
    return pos_.pos >= text().size();
}

char Interpreter::peek() const
{
    return atEnd() ? '\0' : text()[pos_.pos];
}

void Interpreter::skipBlanks()
{
    const std::string& t = text();
    while (pos_.pos < t.size() && (t[pos_.pos] == ' ' || t[pos_.pos] == '\t'))
        ++pos_.pos;
}

bool Interpreter::peekKeyword(const char* word) const
{
    return wordAt(text(), pos_.pos, word);
}

bool Interpreter::keyword(const char* word)
{
    if (!peekKeyword(word))
        return false;
    pos_.pos += std::char_traits<char>::length(word);
    return true;
}

bool Interpreter::symbol(const char* s)
{
    const std::string& t = text();
    const std::size_t n = std::char_traits<char>::length(s);
    if (t.compare(pos_.pos, n, s) != 0)
        return false;
    pos_.pos += n;
    return true;
}

std::string Interpreter::identifier()
{
    std::string name;
    if (!isLetter(peek()))
        return name;
    const std::string& t = text();
    while (pos_.pos < t.size() && (isLetter(t[pos_.pos]) || isDigit(t[pos_.pos])))
        name += upper(t[pos_.pos++]);
    return name;
}

unsigned Interpreter::lineNumberLiteral()
{
    skipBlanks();
    const std::size_t at = pos_.pos;
    if (!isDigit(peek()))
        fail("BAD SYNTAX");
    unsigned long value = 0;
    const std::string& t = text();
    while (pos_.pos < t.size() && isDigit(t[pos_.pos])) {
        value = value * 10 + static_cast<unsigned>(t[pos_.pos++] - '0');
        if (value > ProgramStore::kMaxLineNumber)
            fail("INVALID LINE NUMBER", at);
    }
    return static_cast<unsigned>(value);
}

// ---- expressions -------------------------------------------------------------------------------

double Interpreter::checked(double value, std::size_t at) const
{
    if (!std::isfinite(value) || std::fabs(value) >= kLargest)
        fail("ARITH. OVERFLOW", at);
    if (std::fabs(value) < 1.0 / kLargest)
        return 0.0;
    return roundToBoardPrecision(value);
}

std::uint16_t Interpreter::toWord(double value, std::size_t at) const
{
    if (value < 0 || value > kTrue)
        fail("BAD ARGUMENT", at);
    return static_cast<std::uint16_t>(value);
}

double Interpreter::expression()
{
    double value = logicalAnd();
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        if (symbol(".OR.") || keyword("OR")) {
            const double rhs = logicalAnd();
            value = toWord(value, at) | toWord(rhs, at);
        } else if (symbol(".XOR.") || keyword("XOR")) {
            const double rhs = logicalAnd();
            value = toWord(value, at) ^ toWord(rhs, at);
        } else {
            return value;
        }
    }
}

double Interpreter::logicalAnd()
{
    double value = relation();
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        if (!(symbol(".AND.") || keyword("AND")))
            return value;
        const double rhs = relation();
        value = toWord(value, at) & toWord(rhs, at);
    }
}

double Interpreter::relation()
{
    double value = additive();
    for (;;) {
        skipBlanks();
        int op;
        if (symbol("<="))
            op = 0;
        else if (symbol(">="))
            op = 1;
        else if (symbol("<>"))
            op = 2;
        else if (symbol("<"))
            op = 3;
        else if (symbol(">"))
            op = 4;
        else if (symbol("="))
            op = 5;
        else
            return value;
        const double rhs = additive();
        bool result = false;
        switch (op) {
        case 0: result = value <= rhs; break;
        case 1: result = value >= rhs; break;
        case 2: result = value != rhs; break;
        case 3: result = value < rhs; break;
        case 4: result = value > rhs; break;
        default: result = value == rhs; break;
        }
        value = result ? kTrue : 0;
    }
}

double Interpreter::additive()
{
    double value = term();
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        if (symbol("+"))
            value = checked(value + term(), at);
        else if (symbol("-"))
            value = checked(value - term(), at);
        else
            return value;
    }
}

double Interpreter::term()
{
    double value = unary();
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        if (symbol("*")) {
            value = checked(value * unary(), at);
        } else if (symbol("/")) {
            const double divisor = unary();
            if (divisor == 0)
                fail("DIVIDE BY ZERO", at);
            value = checked(value / divisor, at);
        } else {
            return value;
        }
    }
}

double Interpreter::unary()
{
    skipBlanks();
    if (symbol("-"))
        return -unary();
    if (symbol("+"))
        return unary();
    return power();
}

double Interpreter::power()
{
    double value = primary();
    for (;;) {
        skipBlanks();
        const std::size_t at = pos_.pos;
        if (!symbol("**"))
            return value;
        // Left to right like the other operators; the exponent may carry its own sign.
        skipBlanks();
        const bool negative = symbol("-");
        if (!negative)
            symbol("+");
        const double exponent = negative ? -primary() : primary();
        if (value == 0 && exponent < 0)
            fail("DIVIDE BY ZERO", at);
        if (value < 0 && exponent != std::trunc(exponent))
            fail("BAD ARGUMENT", at);
        value = checked(std::pow(value, exponent), at);
    }
}

double Interpreter::primary()
{
    skipBlanks();
    const std::size_t at = pos_.pos;
    const char c = peek();
    if (symbol("(")) {
        const double value = expression();
        skipBlanks();
        if (!symbol(")"))
            fail("BAD SYNTAX");
        return value;
    }
    if (isDigit(c) || (c == '.' && pos_.pos + 1 < text().size() && isDigit(text()[pos_.pos + 1])))
        return number();
    if (!isLetter(c))
        fail("BAD SYNTAX");
    const std::string name = identifier();
    skipBlanks();
    if (peek() == '(')
        return function(name, at);
    if (name == "PI")
        return 3.1415926;
    if (name == "RND") {
        rndState_ ^= rndState_ << 13;
        rndState_ ^= rndState_ >> 17;
        rndState_ ^= rndState_ << 5;
        return roundToBoardPrecision(rndState_ / 4294967296.0);
    }
    return variable(name);
}

double Interpreter::function(const std::string& name, std::size_t at)
{
    static const char* const kNames[] = {"ABS", "INT", "SGN", "SQR", "NOT", "LOG", "EXP", "SIN", "COS", "TAN", "ATN"};
    const auto known = std::find_if(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
    if (known == std::end(kNames))
        fail("BAD SYNTAX", at);
    symbol("(");
    const std::size_t argAt = pos_.pos;
    const double x = expression();
    skipBlanks();
    if (!symbol(")"))
        fail("BAD SYNTAX");
    switch (known - std::begin(kNames)) {
    case 0: return std::fabs(x);
    case 1: return std::trunc(x);
    case 2: return x > 0 ? 1 : (x < 0 ? -1 : 0);
    case 3:
        if (x < 0)
            fail("BAD ARGUMENT", argAt);
        return checked(std::sqrt(x), argAt);
    case 4: return kTrue - toWord(x, argAt);
    case 5:
        if (x <= 0)
            fail("BAD ARGUMENT", argAt);
        return checked(std::log(x), argAt);
    case 6: return checked(std::exp(x), argAt);
    case 7: return checked(std::sin(x), argAt);
    case 8: return checked(std::cos(x), argAt);
    case 9: return checked(std::tan(x), argAt);
    default: return checked(std::atan(x), argAt);
    }
}

double Interpreter::number()
{
    const std::string& t = text();
    const std::size_t start = pos_.pos;
    std::size_t i = start;
    while (i < t.size() && isHexDigit(t[i]))
        ++i;
    if (i < t.size() && upper(t[i]) == 'H' && !(i + 1 < t.size() && (isLetter(t[i + 1]) || isDigit(t[i + 1])))) {
        double value = 0;
        for (std::size_t k = start; k < i; ++k) {
            const char d = upper(t[k]);
            value = value * 16 + (isDigit(d) ? d - '0' : d - 'A' + 10);
        }
        pos_.pos = i + 1;
        return checked(value, start);
    }
    i = start;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
    }
    if (i < t.size() && upper(t[i]) == 'E') {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            ++j;
        if (j < t.size() && isDigit(t[j])) {
            while (j < t.size() && isDigit(t[j]))
                ++j;
            i = j;
        }
    }
    pos_.pos = i;
    return checked(std::strtod(t.substr(start, i - start).c_str(), nullptr), start);
}

} // namespace basic52sim
