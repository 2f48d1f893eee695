#include "basic52sim/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace basic52sim {

namespace {

constexpr int kDigits = 8;

// Mantissa digits and decimal exponent of |value| rounded to kDigits significant digits:
// |value| == 0.d1d2...d8 * 10^exponent.
void splitDigits(double value, std::string& digits, int& exponent)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kDigits - 1, std::fabs(value));
    // buf looks like "d.ddddddde+XX"
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += *p;
    }
    exponent = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
}

} // namespace

double roundToBoardPrecision(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return value;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kDigits - 1, value);
    return std::strtod(buf, nullptr);
}

std::string formatNumber(double value)
{
    if (value == 0.0)
        return " 0 ";
    std::string out(1, value < 0 ? '-' : ' ');
    std::string digits;
    int exponent = 0;
    splitDigits(value, digits, exponent);
    const int count = static_cast<int>(digits.size());
    if (exponent < 0 || exponent > kDigits) {
        // Below 0.1 and above 99999999: one digit, the point, at least one more digit, a blank,
        // and the exponent with its sign and without leading zeros.
        out += digits[0];
        out += '.';
        out += count > 1 ? digits.substr(1) : "0";
        out += exponent - 1 < 0 ? " E-" : " E+";
        out += std::to_string(std::abs(exponent - 1));
    } else if (exponent == 0) {
        out += '.';
        out += digits;
    } else if (count <= exponent) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent - count), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(exponent));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(exponent));
    }
    out += ' ';
    return out;
}

} // namespace basic52sim
