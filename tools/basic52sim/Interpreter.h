#pragma once

#include "basic52sim/Keywords.h"
#include "basic52sim/Output.h"
#include "basic52sim/ProgramStore.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace basic52sim {

// Runs the board's BASIC: one direct line typed at the prompt, or the stored program, a few
// statements at a time so that the caller can keep the line served (and notice Control C) while a
// program runs. Lines are parsed while they run, as the board does, so a faulty line is only
// reported when it is reached. Every line it runs is in its stored form (see Tokeniser.h), so
// the columns it reports are columns of the listed line.
//
// The statements (Interpreter.cpp) and the expressions (Expression.cpp) are one class because
// they all move the same cursor through the line being run.
class Interpreter final {
public:
    enum class Status { Idle, Running, Ended, Stopped, Failed };

    // Where and why a run ended with an error or a stop.
    struct Fault {
        std::string message;    // the board's text, e.g. "BAD SYNTAX"; empty for a stop
        bool inProgram = false; // false: in the direct line
        unsigned line = 0;
        std::string text;       // the line's stored text (after its number)
        std::size_t column = 0; // where in text the board stopped reading
    };

    Interpreter(const ProgramStore& program, Output& out);
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // RUN: clears the variables and starts at the first line; with no program it ends at once.
    void beginRun();
    // Executes a line typed without a number. Variables stay; a stopped program's position stays
    // available to CONT unless this line makes it meaningless.
    void beginDirect(const std::string& text);
    // CONT: resumes a stopped program; false when there is nothing to continue.
    bool beginContinue();
    // Control C: stops at the current statement.
    void interrupt();
    // The stored program changed: a stopped run cannot go on.
    void programChanged();
    // NEW and CLEAR: variables and the control stack go.
    void clearVariables();

    // Executes up to budget statements; returns how many ran.
    int step(int budget);

    Status status() const { return status_; }
    bool running() const { return status_ == Status::Running; }
    // Whether this run has been in the stored program (RUN, CONT, or a jump from the direct line).
    bool enteredProgram() const { return enteredProgram_; }
    unsigned currentLine() const;
    // After an error: where and why; after a stop: where.
    const Fault& fault() const { return fault_; }

    // For tests: a variable's value (0 when never assigned, as on the board).
    double variable(const std::string& name) const;

private:
    struct Position {
        bool direct = true;
        ProgramStore::Lines::const_iterator line;
        std::size_t pos = 0;
    };
    struct Frame {
        enum class Kind { Gosub, For } kind;
        Position resume;
        bool thenBranch = false; // a GOSUB inside a THEN part returns into it
        std::string var;
        double limit = 0;
        double step = 0;
    };
    struct Failure {
        std::string message;
        std::size_t column;
    };

    const std::string& text() const;
    void jump(const Position& to);
    void jumpToLine(unsigned number, std::size_t column);
    void nextLine();
    void endRun(Status status);
    [[noreturn]] void fail(const char* message) const;
    [[noreturn]] void fail(const char* message, std::size_t column) const;
    void dropDirectFrames();

    // Statements
    void executeStatement();
    void expectStatementEnd();
    bool atStatementEnd();
    void doAssignment(const std::string& name);
    void doPrint();
    void doGoto(bool gosub);
    void doReturn();
    void doIf();
    void doFor();
    void doNext();
    bool skipToElse();
    void printItem();
    void printSpacing(bool tab);

    // Scanning
    void skipBlanks();
    bool atEnd() const;
    char peek() const;
    const Keyword* peekKeyword() const;
    bool keyword(Token token);
    bool symbol(const char* s);
    std::string identifier();
    unsigned lineNumberLiteral();

    // Expressions
    double expression();
    double logicalAnd();
    double relation();
    double additive();
    double term();
    double unary();
    double power();
    double primary();
    double number();
    double function(Token token);
    double checked(double value, std::size_t at) const;
    std::uint16_t toWord(double value, std::size_t at) const;

    const ProgramStore& program_;
    Output& out_;
    std::map<std::string, double> vars_;
    std::vector<Frame> stack_;
    std::string directText_;
    Position pos_;
    bool thenBranch_ = false;
    bool enteredProgram_ = false;
    Status status_ = Status::Idle;
    Fault fault_;
    bool canContinue_ = false;
    Position continueAt_;
    std::uint32_t rndState_ = 0x2545F491u;
};

} // namespace basic52sim
