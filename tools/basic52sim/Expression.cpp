// Scanning and the expressions of the simulator's BASIC; the statements are in Interpreter.cpp.

#include "basic52sim/Interpreter.h"

#include "basic52sim/NumberFormat.h"

#include <cmath>
#include <cstdlib>

namespace basic52sim {

namespace {

// The board's numbers have eight digits and a decimal exponent: the largest is 0.99999999 E+127,
// the smallest above zero 1.0 E-127. Results beyond either end are errors, not infinity or zero.
constexpr double kLargest = 1e127;
constexpr double kSmallest = 1e-127;
constexpr double kTrue = 65535;
constexpr double kPi = 3.1415926;

} // namespace

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
    while (pos_.pos < t.size() && t[pos_.pos] == ' ')
        ++pos_.pos;
}

const Keyword* Interpreter::peekKeyword() const
{
    return keywordAt(text(), pos_.pos);
}

bool Interpreter::keyword(Token token)
{
    const Keyword* k = peekKeyword();
    if (k == nullptr || k->token != token)
        return false;
    pos_.pos += k->spelling.size();
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
    // A name never begins with a keyword: the tokeniser has split such a name already.
    if (!isLetter(peek()) || peekKeyword() != nullptr)
        return name;
    const std::string& t = text();
    while (pos_.pos < t.size() && (isLetter(t[pos_.pos]) || isDigit(t[pos_.pos])))
        name += toUpper(t[pos_.pos++]);
    return name;
}

unsigned Interpreter::lineNumberLiteral()
{
    skipBlanks();
    if (!isDigit(peek()))
        fail("BAD SYNTAX");
    unsigned long value = 0;
    const std::string& t = text();
    while (pos_.pos < t.size() && isDigit(t[pos_.pos])) {
        value = value * 10 + static_cast<unsigned>(t[pos_.pos++] - '0');
        if (value > ProgramStore::kMaxLineNumber)
            fail("BAD SYNTAX");
    }
    return static_cast<unsigned>(value);
}

// ---- expressions -------------------------------------------------------------------------------

double Interpreter::checked(double value, std::size_t at) const
{
    if (!std::isfinite(value))
        fail("ARITH. OVERFLOW", at);
    const double rounded = roundToBoardPrecision(value);
    if (std::fabs(rounded) >= kLargest)
        fail("ARITH. OVERFLOW", at);
    if (rounded != 0 && std::fabs(rounded) < kSmallest)
        fail("ARITH. UNDERFLOW", at);
    return rounded;
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
        if (symbol(".OR.")) {
            const double rhs = logicalAnd();
            value = toWord(value, at) | toWord(rhs, at);
        } else if (symbol(".XOR.")) {
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
        if (!symbol(".AND."))
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
    const char c = peek();
    if (symbol("(")) {
        const double value = expression();
        skipBlanks();
        if (!symbol(")"))
            fail("BAD SYNTAX");
        return value;
    }
    if (numberLength(text(), pos_.pos) > 0)
        return number();
    if (!isLetter(c))
        fail("BAD SYNTAX");
    if (const Keyword* k = peekKeyword()) {
        pos_.pos += k->spelling.size();
        return function(k->token);
    }
    return variable(identifier());
}

double Interpreter::function(Token token)
{
    const std::size_t at = pos_.pos;
    switch (token) {
    case Token::Pi:
        return kPi;
    case Token::Rnd:
        rndState_ ^= rndState_ << 13;
        rndState_ ^= rndState_ >> 17;
        rndState_ ^= rndState_ << 5;
        return roundToBoardPrecision(rndState_ / 4294967296.0);
    case Token::Abs:
    case Token::Int:
    case Token::Sgn:
    case Token::Sqr:
    case Token::Not:
    case Token::Log:
    case Token::Exp:
    case Token::Sin:
    case Token::Cos:
    case Token::Tan:
    case Token::Atn:
        break;
    default:
        fail("BAD SYNTAX", at); // a statement word or THEN, TO ... where a value belongs
    }
    skipBlanks();
    if (!symbol("("))
        fail("BAD SYNTAX");
    const std::size_t argAt = pos_.pos;
    const double x = expression();
    skipBlanks();
    if (!symbol(")"))
        fail("BAD SYNTAX");
    switch (token) {
    case Token::Abs: return std::fabs(x);
    case Token::Int: return std::trunc(x);
    case Token::Sgn: return x > 0 ? 1 : (x < 0 ? -1 : 0);
    case Token::Sqr:
        if (x < 0)
            fail("BAD ARGUMENT", argAt);
        return checked(std::sqrt(x), argAt);
    case Token::Not: return kTrue - toWord(x, argAt);
    case Token::Log:
        if (x <= 0)
            fail("BAD ARGUMENT", argAt);
        return checked(std::log(x), argAt);
    case Token::Exp: return checked(std::exp(x), argAt);
    case Token::Sin: return checked(std::sin(x), argAt);
    case Token::Cos: return checked(std::cos(x), argAt);
    case Token::Tan: return checked(std::tan(x), argAt);
    default: return checked(std::atan(x), argAt);
    }
}

double Interpreter::number()
{
    const std::string& t = text();
    const std::size_t start = pos_.pos;
    const std::size_t length = numberLength(t, start);
    pos_.pos += length;
    const std::string digits = t.substr(start, length);
    if (toUpper(digits.back()) != 'H')
        return checked(std::strtod(digits.c_str(), nullptr), start);
    double value = 0;
    for (std::size_t k = 0; k + 1 < digits.size(); ++k) {
        const char d = toUpper(digits[k]);
        value = value * 16 + (isDigit(d) ? d - '0' : d - 'A' + 10);
    }
    return checked(value, start);
}

} // namespace basic52sim
