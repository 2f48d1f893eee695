#pragma once

#include <cstddef>
#include <string_view>

namespace basic52sim {

// The words the board turns into tokens when a line is entered. The same table serves the
// tokeniser, which decides how LIST spaces a line, and the interpreter, which runs the listed form:
// both must split a line into the same words, or a line would run differently from how it lists.
enum class Token {
    // statements and commands
    Print, Let, If, For, Next, Goto, Gosub, Return, End, Stop, Rem, Clear, Run, List, New, Cont,
    OtherStatement, // known to the board and listed as such, but not run by the simulator
    // parts of statements
    Then, Else, To, Step,
    // functions, constants and PRINT items
    Abs, Int, Sgn, Sqr, Not, Log, Exp, Sin, Cos, Tan, Atn, Rnd, Pi, Tab, Spc, Cr,
    // bitwise operators
    And, Or, Xor,
};

enum class KeywordKind {
    Statement, // listed with a blank after it
    Clause,    // listed with a blank on either side
    Function,  // listed as it is, like a name
    Operator,  // .AND. and its kind, listed as they are
};

struct Keyword {
    std::string_view spelling; // upper case, as typed
    std::string_view listed;   // as LIST shows it (P. lists as PRINT)
    Token token;
    KeywordKind kind;
};

// The keyword that begins at text[at], compared without regard to case; of several, the longest.
// The board looks for keywords wherever a name could begin, so a name that begins with a keyword
// (TOTAL, COST) is read as that keyword and the rest. nullptr when no keyword begins there.
const Keyword* keywordAt(std::string_view text, std::size_t at);

inline bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The length of the number that begins at text[at] (a digit, or a point before a digit): decimal
// with an optional fraction and exponent, or hexadecimal ending in H. The point of a following
// .AND., .OR. or .XOR. is not taken as a decimal point. 0 when no number begins there.
std::size_t numberLength(std::string_view text, std::size_t at);

} // namespace basic52sim
