#pragma once

#include <string>
#include <string_view>

namespace basic52sim {

// A typed line (without its line number) as the board keeps it: the board stores keywords as
// tokens and drops the blanks between words, and LIST writes the tokens back with its own spacing.
// This is that listed form; the simulator stores it and runs it, so that LIST, the line shown
// with an error and the place marked under it agree with the board.
//
// Keywords and names come out in upper case, strings and the text after REM as typed. A statement
// keyword is followed by a blank, THEN, ELSE, TO and STEP stand between blanks, a colon is written
// " : ", and a statement that follows a colon, THEN or ELSE gets one more blank before it.
// Example: for j=1to 2:print"j";j:next j  ->  FOR J=1 TO 2 :  PRINT "j";J :  NEXT J
std::string storedForm(std::string_view typed);

} // namespace basic52sim
