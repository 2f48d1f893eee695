#pragma once

#include "basic/EditorLines.h"

#include <QtGlobal>

#include <vector>

// Sorting a program by line number.
//
// The command's rule is an exchange sort over the editor lines: for each position i, the line number
// of line i is the key, and every later line j with a smaller number (read afresh) exchanges its text
// with line i and becomes the new key. Equal numbers are kept, and the rule leaves them in one
// particular order, which SortProgram reproduces without the quadratic number of comparisons: the
// numbers are read once, the final order is computed directly (ExchangeSortOrder), and the lines are
// put in place with edits whose change notifications have the effect the exchanges' notifications
// would have had (some edit at all; some text length other than the final one in between).

// Replaces every line by its TrimSpaces form and deletes the lines that become empty, then clears the
// pending flag. Only spaces are trimmed: a line of tabs stays.
void CompactLines(EditorLines& lines, bool& sortCleanupPending);

// The sort command. Nothing happens for one line or none (a pending clean-up stays pending). Otherwise
// CompactLines runs first when a clean-up is pending, then the lines are sorted. A line whose first
// word does not convert ends the sort with EConvertError; the exchanges the rule had made up to that
// line stay made.
void SortProgram(EditorLines& lines, bool& sortCleanupPending);

// The order the exchange sort leaves lines with these numbers in: result[k] is the original index of
// the line that ends at position k.
std::vector<int> ExchangeSortOrder(const std::vector<qint32>& keys);

// Whether the exchange sort, run on lines with these numbers and text lengths, ever exchanges two lines
// of different lengths (which leaves the text at another length until the second line is written).
bool ExchangesChangeLength(const std::vector<qint32>& keys, const std::vector<qsizetype>& lengths);
