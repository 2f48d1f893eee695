#pragma once

#include "basic/EditorLines.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// Renumbering: new line numbers (start, start + step, ... in line order) and every line reference
// after GOTO, GOSUB, THEN, ELSE, ONERR, ONEX1 and ONTIME rewritten to name the same line. Text inside
// string literals and after REM is never touched; everything else is lower-cased and re-spaced by the
// tokenizer and the joining rule below.

// The renumber command's values, kept for the program run and shown again by the dialog.
extern qint32 RenumberStart;   // 10 at start
extern qint32 RenumberStep;    // 10 at start; zero and negative steps are accepted
extern bool RenumberConfirmed; // set before the dialog opens; only its Cancel button clears it

struct RenumberEntry {
    qint32 OldNumber = 0; // the number the line carries after sorting
    qint32 NewNumber = 0; // the number it gets
};

// One entry per program line, in line order, with lookup by old number: the first entry whose
// OldNumber equals a value gives that value's new number. There is no limit on the number of lines.
class RenumberTable final {
public:
    void clear();
    void append(qint32 oldNumber, qint32 newNumber);

    const QList<RenumberEntry>& entries() const { return m_entries; }
    int lastIndex() const { return int(m_entries.size()) - 1; }
    bool anyNumberChanges() const { return m_anyChange; }

    std::optional<qint32> lookup(qint32 oldNumber) const;

private:
    QList<RenumberEntry> m_entries;
    QHash<qint32, qint32> m_first;
    bool m_anyChange = false;
};

// The tokens of one program line. Spaces end words and collapse; commas and colons are tokens of their
// own; a string literal (with its quotes, as written) is one token; "rem" at the start of a word takes
// the rest of the line unchanged. The character right after a comma, a colon or a closing quote joins
// the following word. A literal without its closing quote runs to the end of the line.
QStringList TokenizeLine(const QString& line);

// Rewrites the references in a line's tokens through the table (tokens[0] is the line's own number
// and is not looked at). Throws EConvertError for a target after GOTO, GOSUB, ONERR, ONEX1 or ONTIME
// that does not convert; a target that names no line stays as it is.
void RewriteReferences(QStringList& tokens, const RenumberTable& table);

// Joins tokens back into a line: single spaces between tokens, empty tokens skipped, a comma bound to
// both neighbours, a colon between spaces.
QString JoinTokens(const QStringList& tokens);

// One line renumbered: a line whose first character is not a digit comes back unchanged; otherwise
// its number becomes newNumber and its references are rewritten. Throws EConvertError as
// RewriteReferences.
QString RenumberLine(const QString& line, qint32 newNumber, const RenumberTable& table);

enum class RenumberOutcome {
    TooFewLines, // one line or none after the sort: nothing else happened
    Unchanged,   // every line keeps its number: no line was touched
    Renumbered,  // every line went through RenumberLine
};

// The renumber command on the lines, after the dialog: sort (SortProgram), build the table, and when
// some number changes, rewrite every line. A conversion error in the sort ends the command with the
// sort's partial result; a conversion error while rewriting leaves the lines exactly as the sort left
// them (no line is written unless every line converts), since a half-renumbered program would point at
// wrong lines.
RenumberOutcome RenumberProgram(EditorLines& lines, qint32 start, qint32 step, bool& sortCleanupPending,
                                RenumberTable* table = nullptr);
