#include "basic52sim/Keywords.h"

namespace basic52sim {

namespace {

using K = KeywordKind;

constexpr Keyword kKeywords[] = {
    {"PRINT", "PRINT", Token::Print, K::Statement},
    {"P.", "PRINT", Token::Print, K::Statement},
    {"LET", "LET", Token::Let, K::Statement},
    {"IF", "IF", Token::If, K::Statement},
    {"FOR", "FOR", Token::For, K::Statement},
    {"NEXT", "NEXT", Token::Next, K::Statement},
    {"GOTO", "GOTO", Token::Goto, K::Statement},
    {"GOSUB", "GOSUB", Token::Gosub, K::Statement},
    {"RETURN", "RETURN", Token::Return, K::Statement},
    {"END", "END", Token::End, K::Statement},
    {"STOP", "STOP", Token::Stop, K::Statement},
    {"REM", "REM", Token::Rem, K::Statement},
    {"CLEAR", "CLEAR", Token::Clear, K::Statement},
    {"RUN", "RUN", Token::Run, K::Statement},
    {"LIST", "LIST", Token::List, K::Statement},
    {"NEW", "NEW", Token::New, K::Statement},
    {"CONT", "CONT", Token::Cont, K::Statement},
    // Statements of the board's BASIC that the simulator does not run; knowing them keeps their
    // lines listed as the board lists them, and lets the line-number references of ON ... GOTO stand
    // apart from the names before them.
    {"INPUT", "INPUT", Token::OtherStatement, K::Statement},
    {"DATA", "DATA", Token::OtherStatement, K::Statement},
    {"READ", "READ", Token::OtherStatement, K::Statement},
    {"RESTORE", "RESTORE", Token::OtherStatement, K::Statement},
    {"DIM", "DIM", Token::OtherStatement, K::Statement},
    {"ON", "ON", Token::OtherStatement, K::Statement},
    {"ONERR", "ONERR", Token::OtherStatement, K::Statement},
    {"ONTIME", "ONTIME", Token::OtherStatement, K::Statement},
    {"ONEX1", "ONEX1", Token::OtherStatement, K::Statement},
    {"RETI", "RETI", Token::OtherStatement, K::Statement},
    {"CALL", "CALL", Token::OtherStatement, K::Statement},
    {"DO", "DO", Token::OtherStatement, K::Statement},
    {"UNTIL", "UNTIL", Token::OtherStatement, K::Statement},
    {"WHILE", "WHILE", Token::OtherStatement, K::Statement},
    {"PUSH", "PUSH", Token::OtherStatement, K::Statement},
    {"POP", "POP", Token::OtherStatement, K::Statement},
    {"PH0.", "PH0.", Token::OtherStatement, K::Statement},
    {"PH1.", "PH1.", Token::OtherStatement, K::Statement},
    {"STRING", "STRING", Token::OtherStatement, K::Statement},
    {"CLOCK0", "CLOCK0", Token::OtherStatement, K::Statement},
    {"CLOCK1", "CLOCK1", Token::OtherStatement, K::Statement},
    {"IDLE", "IDLE", Token::OtherStatement, K::Statement},
    {"THEN", "THEN", Token::Then, K::Clause},
    {"ELSE", "ELSE", Token::Else, K::Clause},
    {"TO", "TO", Token::To, K::Clause},
    {"STEP", "STEP", Token::Step, K::Clause},
    {"ABS", "ABS", Token::Abs, K::Function},
    {"INT", "INT", Token::Int, K::Function},
    {"SGN", "SGN", Token::Sgn, K::Function},
    {"SQR", "SQR", Token::Sqr, K::Function},
    {"NOT", "NOT", Token::Not, K::Function},
    {"LOG", "LOG", Token::Log, K::Function},
    {"EXP", "EXP", Token::Exp, K::Function},
    {"SIN", "SIN", Token::Sin, K::Function},
    {"COS", "COS", Token::Cos, K::Function},
    {"TAN", "TAN", Token::Tan, K::Function},
    {"ATN", "ATN", Token::Atn, K::Function},
    {"RND", "RND", Token::Rnd, K::Function},
    {"PI", "PI", Token::Pi, K::Function},
    {"TAB", "TAB", Token::Tab, K::Function},
    {"SPC", "SPC", Token::Spc, K::Function},
    {"CR", "CR", Token::Cr, K::Function},
    {".AND.", ".AND.", Token::And, K::Operator},
    {".OR.", ".OR.", Token::Or, K::Operator},
    {".XOR.", ".XOR.", Token::Xor, K::Operator},
};

bool spelledAt(std::string_view text, std::size_t at, std::string_view word)
{
    if (at > text.size() || text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (toUpper(text[at + i]) != word[i])
            return false;
    }
    return true;
}

bool isHexDigit(char c)
{
    const char u = toUpper(c);
    return isDigit(c) || (u >= 'A' && u <= 'F');
}

// Whether the point at text[at] begins one of the dotted operators rather than a fraction.
bool operatorAt(std::string_view text, std::size_t at)
{
    const Keyword* k = keywordAt(text, at);
    return k != nullptr && k->kind == KeywordKind::Operator;
}

} // namespace

const Keyword* keywordAt(std::string_view text, std::size_t at)
{
    const Keyword* best = nullptr;
    for (const Keyword& k : kKeywords) {
        if ((best == nullptr || k.spelling.size() > best->spelling.size()) && spelledAt(text, at, k.spelling))
            best = &k;
    }
    return best;
}

std::size_t numberLength(std::string_view text, std::size_t at)
{
    const std::size_t n = text.size();
    auto digitAt = [&](std::size_t i) { return i < n && isDigit(text[i]); };
    if (!digitAt(at) && !(at < n && text[at] == '.' && digitAt(at + 1)))
        return 0;
    std::size_t i = at;
    if (digitAt(at)) {
        while (i < n && isHexDigit(text[i]))
            ++i;
        const bool glued = i + 1 < n && (isLetter(text[i + 1]) || isDigit(text[i + 1]));
        if (i < n && toUpper(text[i]) == 'H' && !glued)
            return i + 1 - at;
        i = at;
    }
    while (digitAt(i))
        ++i;
    if (i < n && text[i] == '.' && !operatorAt(text, i)) {
        ++i;
        while (digitAt(i))
            ++i;
    }
    if (i < n && toUpper(text[i]) == 'E') {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (digitAt(j)) {
            while (digitAt(j))
                ++j;
            i = j;
        }
    }
    return i - at;
}

} // namespace basic52sim
