#pragma once

#include "basic/EditorLines.h"

// Sorting a program by line number.
//
// The command's rule is an exchange sort over the editor lines: for each position i, the line number
// of line i is the key, and every later line j with a smaller number (read afresh) exchanges its text
// with line i and becomes the new key. Equal numbers are kept, in the order the exchanges leave them.
// SortProgram carries the rule out literally, exchange by exchange, on a copy of the lines that holds
// each line's number beside its text (a number travels with its text, so reading it afresh gives the
// same number), and writes the result back in one step together with the change notifications the
// exchanges would have raised. The work is quadratic in the worst case; a program on the board has at
// most a few thousand lines, which this sorts in a fraction of a second.

// Replaces every line by its TrimSpaces form and deletes the lines that become empty, then clears the
// pending flag. Only spaces are trimmed: a line of tabs stays.
void CompactLines(EditorLines& lines, bool& sortCleanupPending);

// The sort command. Nothing happens for one line or none (a pending clean-up stays pending). Otherwise
// CompactLines runs first when a clean-up is pending, then the lines are sorted. A line whose first
// word does not convert ends the sort with EConvertError; the exchanges the rule had made up to that
// line stay made.
void SortProgram(EditorLines& lines, bool& sortCleanupPending);
