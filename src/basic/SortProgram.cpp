#include "basic/SortProgram.h"

#include "basic/LineSyntax.h"
#include "platform/Errors.h"

#include <algorithm>
#include <numeric>

// Why ExchangeSortOrder gives the exchange sort's order.
//
// Pass i carries the line at position i forward and swaps it with every later line whose number is
// strictly smaller than the carried one; the carried line is always the smallest seen so far, and the
// pass ends with the first occurrence of the smallest number at position i. Seen from one number v:
// the lines with numbers <= v form a subsequence that evolves on its own (lines with larger numbers never
// decide what happens to it), and for the lines numbered exactly v only the pattern of "v" and
// "smaller" entries in it matters. While a smaller line is left, every pass removes the first smaller
// entry; if the subsequence starts with a run of v lines, the first of them moves behind the rest of
// that run (it is dropped where the first smaller line was), and the run then joins the v lines that
// followed that smaller line. Once no smaller line is left, the v lines leave in the order they stand.
//
// So, with the v lines grouped by how many smaller lines precede them originally (V0, V1, ..., VS, where
// S is the number of smaller lines), the final order of the v lines is X(S), where X(0) = V0 and
// X(k) = rotate-by-one(X(k-1)) followed by Vk. A rotation by r of a run of size s is a rotation by r mod
// s, so each group of v lines costs time in its own size, and the whole order takes O(n log n) plus the
// rotations of the numbers that occur more than once.

std::vector<int> ExchangeSortOrder(const std::vector<qint32>& keys)
{
    const int n = int(keys.size());
    std::vector<qint32> values(keys);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    const int distinct = int(values.size());

    std::vector<int> rank(n);
    std::vector<int> classSize(distinct, 0);
    for (int p = 0; p < n; ++p) {
        rank[p] = int(std::lower_bound(values.begin(), values.end(), keys[p]) - values.begin());
        ++classSize[rank[p]];
    }
    // classStart[r]: how many lines have a smaller number, which is also where class r ends up.
    std::vector<int> classStart(distinct + 1, 0);
    for (int r = 0; r < distinct; ++r)
        classStart[r + 1] = classStart[r] + classSize[r];

    // smallerBefore[p]: lines with a smaller number in front of position p (a Fenwick tree over ranks).
    std::vector<int> fenwick(distinct + 1, 0);
    std::vector<int> smallerBefore(n, 0);
    for (int p = 0; p < n; ++p) {
        if (classSize[rank[p]] > 1) {
            int sum = 0;
            for (int r = rank[p]; r > 0; r -= r & -r)
                sum += fenwick[r];
            smallerBefore[p] = sum;
        }
        for (int r = rank[p] + 1; r <= distinct; r += r & -r)
            ++fenwick[r];
    }

    // Each class's lines in their original order.
    std::vector<int> byClass(n);
    std::vector<int> fill(classStart.begin(), classStart.end() - 1);
    for (int p = 0; p < n; ++p)
        byClass[fill[rank[p]]++] = p;

    std::vector<int> result(n);
    std::vector<int> run;
    for (int r = 0; r < distinct; ++r) {
        const int begin = classStart[r];
        const int end = classStart[r + 1];
        if (end - begin == 1) {
            result[begin] = byClass[begin];
            continue;
        }
        run.clear();
        int passes = 0;
        auto rotate = [&](int times) {
            if (!run.empty() && times > 0)
                std::rotate(run.begin(), run.begin() + times % int(run.size()), run.end());
        };
        for (int k = begin; k < end; ++k) {
            const int p = byClass[k];
            rotate(smallerBefore[p] - passes);
            passes = smallerBefore[p];
            run.push_back(p);
        }
        rotate(classStart[r] - passes);
        std::copy(run.begin(), run.end(), result.begin() + begin);
    }
    return result;
}

bool ExchangesChangeLength(const std::vector<qint32>& keys, const std::vector<qsizetype>& lengths)
{
    Q_ASSERT(keys.size() == lengths.size());
    if (std::adjacent_find(lengths.begin(), lengths.end(), std::not_equal_to<>()) == lengths.end())
        return false;
    // The exchanges themselves, on numbers and lengths only, up to the first one that pairs different
    // lengths. For ordinary programs that is the very first exchange; the full run is needed only when
    // lines of different lengths never meet, and it works on plain arrays to stay quick.
    std::vector<qint32> key(keys);
    std::vector<qsizetype> length(lengths);
    const size_t n = key.size();
    for (size_t i = 0; i < n; ++i) {
        qint32 carried = key[i];
        for (size_t j = i + 1; j < n; ++j) {
            if (carried > key[j]) {
                if (length[i] != length[j])
                    return true;
                std::swap(key[i], key[j]); // lengths are equal, nothing to swap there
                carried = key[i];
            }
        }
    }
    return false;
}

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

void exchangeSort(EditorLines& lines)
{
    const int n = lines.count();
    std::vector<QString> texts(n);
    std::vector<qint32> keys(n);
    for (int i = 0; i < n; ++i) {
        texts[i] = lines.line(i);
        if (!TryStrToInt(FirstWord(texts[i]), keys[i])) {
            // Every line is read in the first pass, and that pass changes nothing behind the line it
            // reads, so the first line that does not convert ends the sort within the first pass.
            qint32 key = i > 0 ? keys[0] : 0;
            for (int j = 1; j < i; ++j) {
                if (key > keys[j]) {
                    const QString first = lines.line(0);
                    lines.setLine(0, texts[j]);
                    lines.setLine(j, first);
                    key = keys[j];
                }
            }
            throw EConvertError(ConvertErrorText(FirstWord(texts[i])));
        }
    }
    if (std::is_sorted(keys.begin(), keys.end()))
        return; // the rule makes no exchange at all

    const std::vector<int> order = ExchangeSortOrder(keys);
    std::vector<qsizetype> lengths(n);
    for (int i = 0; i < n; ++i)
        lengths[i] = texts[i].size();
    const bool lengthChangesOnTheWay = ExchangesChangeLength(keys, lengths);

    std::vector<QString> current = texts;
    auto write = [&](int index, const QString& text) {
        lines.setLine(index, text);
        current[index] = text;
    };
    auto target = [&](int index) -> const QString& { return texts[order[index]]; };

    if (lengthChangesOnTheWay) {
        const bool someSlotChangesLength = [&] {
            for (int k = 0; k < n; ++k)
                if (target(k).size() != texts[k].size())
                    return true;
            return false;
        }();
        if (!someSlotChangesLength) {
            // The final order keeps every position's length although some exchange on the way paired
            // different lengths; pass through such a state too by exchanging two lines of different
            // lengths first. Both are rewritten below.
            int k0 = 0;
            while (target(k0) == texts[k0])
                ++k0;
            int other = 0;
            while (texts[other].size() == texts[k0].size())
                ++other;
            const QString first = texts[k0];
            write(k0, texts[other]);
            write(other, first);
        }
    }
    // Without exchanges of different lengths no position changes its length, so the text keeps its length
    // throughout; otherwise the first write that changes a position's length shows another length.
    for (int k = 0; k < n; ++k)
        if (current[k] != target(k))
            write(k, target(k));
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
