#include "basic/SortProgram.h"

#include "basic/LineSyntax.h"
#include "platform/Errors.h"

#include <algorithm>
#include <utility>
#include <vector>

void CompactLines(EditorLines& lines, bool& sortCleanupPending)
{
    int i = 0;
    while (i < lines.count()) {
        const QString trimmed = TrimSpaces(lines.line(i));
        lines.setLine(i, trimmed);
        if (trimmed.isEmpty())
            lines.deleteLine(i); // the next line moves into place i and is handled next
        else
            ++i;
    }
    // The writes above notified the change handler, which may have set the flag again; the clean-up
    // clears it after them.
    lines.flushChanges();
    sortCleanupPending = false;
}

namespace {

struct NumberedLine {
    qint32 number = 0;
    QString text;
};

void exchangeSort(EditorLines& lines)
{
    const int n = lines.count();
    std::vector<NumberedLine> program(size_t(n), NumberedLine{});
    int unnumbered = n; // the first line whose number does not convert
    for (int k = 0; k < n; ++k) {
        program[size_t(k)].text = lines.line(k);
        if (unnumbered == n && !TryStrToInt(FirstWord(program[size_t(k)].text), program[size_t(k)].number))
            unnumbered = k;
    }

    // The first pass reads every line in order and changes nothing behind the line it reads, so a line
    // without a number ends the sort within the first pass, when that pass reaches it.
    const int passes = unnumbered == n ? n : std::min(unnumbered, 1);
    // Each exchange writes line i, which leaves the text longer or shorter by the difference of the two
    // lines, and then line j, which restores the length. Once two lengths are known, further writes
    // make no difference to the change handler and are not recorded.
    LineChanges changes;
    for (int i = 0; i < passes; ++i) {
        NumberedLine& atI = program[size_t(i)];
        qint32 key = atI.number;
        for (int j = i + 1; j < unnumbered; ++j) {
            NumberedLine& atJ = program[size_t(j)];
            if (key > atJ.number) {
                if (changes.lengths().size() < 2) {
                    changes.record(atJ.text.size() - atI.text.size());
                    changes.record(0);
                }
                std::swap(atI, atJ);
                key = atI.number;
            }
        }
    }

    if (!changes.isEmpty()) {
        std::vector<QString> texts;
        texts.reserve(program.size());
        for (NumberedLine& line : program)
            texts.push_back(std::move(line.text));
        lines.replaceLines(texts, changes);
    }
    if (unnumbered < n)
        throw EConvertError(ConvertErrorText(FirstWord(lines.line(unnumbered))));
}

} // namespace

void SortProgram(EditorLines& lines, bool& sortCleanupPending)
{
    if (lines.count() <= 1)
        return;
    if (sortCleanupPending)
        CompactLines(lines, sortCleanupPending);
    exchangeSort(lines);
}
