// The run state, the control flow and the statements of the simulator's BASIC; the expressions are
// in Expression.cpp.

#include "basic52sim/Interpreter.h"

#include "basic52sim/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace basic52sim {

namespace {

// The board's control stack holds only a few dozen GOSUB and FOR entries.
constexpr std::size_t kMaxFrames = 40;
constexpr double kMaxPrintPosition = 255;

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
    if (status == Status::Stopped)
        fault_ = Fault{{}, !pos_.direct, currentLine(), text(), pos_.pos};
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
    const std::size_t start = pos_.pos;
    const Keyword* k = peekKeyword();
    if (thenBranch_ && k != nullptr && k->token == Token::Else) {
        // The THEN part has run; what follows ELSE is for the other case.
        nextLine();
        return;
    }
    if (k == nullptr || k->kind != KeywordKind::Statement) {
        if (!isLetter(peek()))
            fail("BAD SYNTAX");
        doAssignment(identifier());
        expectStatementEnd();
        return;
    }
    pos_.pos += k->spelling.size();
    switch (k->token) {
    case Token::Rem: nextLine(); return;
    case Token::End: endRun(Status::Ended); return;
    case Token::Stop: endRun(Status::Stopped); return;
    case Token::Goto: doGoto(false); return;
    case Token::Gosub: doGoto(true); return;
    case Token::Return: doReturn(); return;
    case Token::If: doIf(); return;
    case Token::Next: doNext(); return;
    case Token::Print: doPrint(); break;
    case Token::For: doFor(); break;
    case Token::Clear: vars_.clear(); break;
    case Token::Let:
        skipBlanks();
        doAssignment(identifier());
        break;
    default:
        // Commands inside a line, and the statements the simulator does not run.
        fail("BAD SYNTAX", start);
    }
    expectStatementEnd();
}

bool Interpreter::atStatementEnd()
{
    skipBlanks();
    if (atEnd() || peek() == ':')
        return true;
    const Keyword* k = peekKeyword();
    return k != nullptr && k->token == Token::Else;
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
        printItem();
        skipBlanks();
        // The comma only separates; a comma at the end keeps the line open. This version of the
        // board knows no semicolon here, so one is a syntax error like anything else.
        newline = !symbol(",");
        if (newline && !atStatementEnd())
            fail("BAD SYNTAX");
    }
    if (newline)
        out_.put("\r\n");
}

void Interpreter::printItem()
{
    if (peek() == '"') {
        const std::string& t = text();
        const std::size_t close = t.find('"', pos_.pos + 1);
        const std::size_t end = close == std::string::npos ? t.size() : close;
        out_.put(std::string_view(t).substr(pos_.pos + 1, end - pos_.pos - 1));
        // A string left open is printed to the end of the line before the board objects.
        if (close == std::string::npos) {
            pos_.pos = t.size();
            fail("BAD SYNTAX");
        }
        pos_.pos = close + 1;
    } else if (keyword(Token::Tab)) {
        printSpacing(true);
    } else if (keyword(Token::Spc)) {
        printSpacing(false);
    } else if (keyword(Token::Cr)) {
        out_.put('\r');
    } else {
        out_.put(formatNumber(expression()));
    }
}

void Interpreter::printSpacing(bool tab)
{
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
    if (!keyword(Token::Then))
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
        if (inString || (i > 0 && (isLetter(t[i - 1]) || isDigit(t[i - 1]))))
            continue;
        const Keyword* k = keywordAt(t, i);
        if (k == nullptr)
            continue;
        if (k->token == Token::If) {
            ++nested;
        } else if (k->token == Token::Else) {
            if (nested == 0) {
                pos_.pos = i + k->spelling.size();
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
    if (!keyword(Token::To))
        fail("BAD SYNTAX");
    const double limit = expression();
    double step = 1;
    skipBlanks();
    if (keyword(Token::Step))
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

} // namespace basic52sim
