#pragma once

#include <string>

namespace basic52sim {

// The board computes with eight significant decimal digits; rounding every result to that keeps
// sums such as 0.1 + 0.2 and loops with fractional steps ending where they do on the board.
double roundToBoardPrecision(double value);

// A number as PRINT shows it in free format: a blank or minus sign before it and a blank after it;
// from 0.1 to 99999999 plainly (integers without a point, fractions without a leading zero), other
// values in the board's exponent form, such as 1.0 E+10 and 1.234 E-5.
std::string formatNumber(double value);

} // namespace basic52sim
