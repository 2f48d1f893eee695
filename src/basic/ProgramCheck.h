#pragma once

#include <QList>
#include <QString>

class EditorLines;

// The editor's lines looked at the way the board will take them when they are typed at its prompt,
// before the transmission sends the first one: what would stop the transmission or do harm on the
// board. Empty lines (also lines of blanks alone) are harmless and never a problem.
namespace ProgramCheck {

// The most characters the board keeps of a line; it rings the bell for every further one, and the
// transmission then waits in vain for the line's echo.
constexpr int BoardLineLength = 78;
// The highest line number the board stores.
constexpr int MaxLineNumber = 65535;
// The most problems a question lists; the rest are counted.
constexpr int MaxListed = 20;

struct Problem {
    enum class Kind {
        TooLong,         // value: the line's length
        NoLineNumber,    // the board executes the line at once as a command
        NumberTooLarge,  // value: the line number as written (its digits)
        DuplicateNumber, // value: the line number; earlierLine: where it stood first
    };
    int line = 0; // counted from 0
    Kind kind = Kind::TooLong;
    QString value;
    int earlierLine = -1;

    bool operator==(const Problem&) const = default;
};

// Every problem, by line and, within a line, in the order of the kinds above.
QList<Problem> check(const EditorLines& program);

// One entry of the question's list: "Zeile 12: ..." with the line counted from 1.
QString describe(const Problem& problem, int language);
// What the question lists: the first MaxListed problems, then "… und N weitere" when there are more.
QStringList listed(const QList<Problem>& problems, int language);

} // namespace ProgramCheck
