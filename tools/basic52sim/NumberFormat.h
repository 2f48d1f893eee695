#pragma once

#include <string>

namespace basic52sim {

// The board computes with eight significant decimal digits; rounding every result to that keeps
// sums such as 0.1 + 0.2 and loops with fractional steps ending where they do on the board.
double roundToBoardPrecision(double value);

// A number as PRINT shows it in free format: a blank or minus sign before it and a blank after it,
// integers without a point, fractions without a leading zero, very large or small values with an
// exponent.
std::string formatNumber(double value);

} // namespace basic52sim
