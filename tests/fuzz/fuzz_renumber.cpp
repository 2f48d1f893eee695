// The sort and renumber commands on in-memory lines whose edits are batched, against the same commands
// on lines that notify every edit on its own (tests/basic/ReferenceLineTools.h): same lines, same
// error, and for the renumbering the same document flags. The sort is the exchange sort carried out
// literally; its flags through the batched write-back are checked by the table tests, so here it is
// held to its result: the lines in order of their numbers, none lost or added (unless a clean-up was
// pending, which tidies the lines first).
//
// Input: a first line "START STEP [p][f][s]" (p: a clean-up is pending, f: the text ends in a line
// break, s: sort only), then the program, one line per line, each byte a character.
#include "FuzzCheck.h"

#include "basic/LineSyntax.h"
#include "basic/ReferenceLineTools.h"
#include "basic/SortProgram.h"
#include "platform/Errors.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// The literal rule edits line by line and rebuilds the whole text at each edit; past this many lines
// the input is only run through the fast commands.
constexpr int kReferenceLines = 48;

struct Run {
    QStringList lines;
    DocumentFlags flags;
    std::optional<QString> error;
};

struct Input {
    qint32 start = 10;
    qint32 step = 10;
    bool pending = false;
    bool finalBreak = false;
    bool sortOnly = false;
    QStringList lines;
};

Input parse(const uint8_t* data, size_t size)
{
    Input in;
    QStringList all = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    const QString head = all.takeFirst();
    static const QRegularExpression form(QStringLiteral("^(-?\\d{1,10}) (-?\\d{1,10})(?: ([pfs]*))?$"));
    if (const auto m = form.match(head); m.hasMatch()) {
        in.start = qint32(m.captured(1).toLongLong());
        in.step = qint32(m.captured(2).toLongLong());
        const QString flags = m.captured(3);
        in.pending = flags.contains(u'p');
        in.finalBreak = flags.contains(u'f');
        in.sortOnly = flags.contains(u's');
    }
    in.lines = all;
    return in;
}

Run runReference(const Input& in, const DocumentFlags& flags)
{
    Run run{{}, flags, {}};
    NotifyingLines lines(in.lines, in.finalBreak, [&](qsizetype length) { run.flags.changed(length); });
    try {
        if (in.sortOnly)
            SortProgram(lines, run.flags.sortCleanupPending);
        else
            ReferenceRenumber(lines, in.start, in.step, run.flags.sortCleanupPending);
    } catch (const EConvertError& e) {
        run.error = e.message();
    }
    run.lines = lines.lines();
    return run;
}

Run runFast(const Input& in, const DocumentFlags& flags)
{
    Run run{{}, flags, {}};
    FlushingLines lines(in.lines, in.finalBreak, [&](const LineChanges& changes) { run.flags.replay(changes); });
    try {
        if (in.sortOnly)
            SortProgram(lines, run.flags.sortCleanupPending);
        else
            RenumberProgram(lines, in.start, in.step, run.flags.sortCleanupPending);
    } catch (const EConvertError& e) {
        run.error = e.message();
    }
    lines.flushChanges();
    run.lines = lines.lines();
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input in = parse(data, size);
    const DocumentFlags flags{in.lines.join(u'\n').size() + (in.finalBreak ? 1 : 0), false, in.pending};
    const Run fast = runFast(in, flags);
    if (in.lines.size() > kReferenceLines)
        return 0;

    const Run reference = runReference(in, flags);
    FUZZ_CHECK(fast.error == reference.error,
               "error " + fast.error.value_or("none") + " where the rule gives " + reference.error.value_or("none"));
    if (in.sortOnly) {
        FUZZ_CHECK(fast.lines == reference.lines, "lines differ from the rule's");
        // A pending clean-up tidies the lines first; otherwise the sort only moves them.
        if (!in.pending) {
            QStringList before = in.lines, after = fast.lines;
            before.sort();
            after.sort();
            FUZZ_CHECK(before == after, "the sort lost or added lines");
        }
        if (!fast.error) {
            for (qsizetype i = 1; i < fast.lines.size(); ++i)
                FUZZ_CHECK(LineNumber(fast.lines[i - 1]) <= LineNumber(fast.lines[i]), "lines out of order");
        }
        return 0;
    }
    if (!fast.error) {
        FUZZ_CHECK(fast.lines == reference.lines, "lines differ from the rule's");
        FUZZ_CHECK(fast.flags == reference.flags, "document flags differ from the rule's");
        return 0;
    }
    // A renumbering that fails writes no line at all: the program stays as the sort left it, where the
    // rule has already written the lines before the failing one.
    Input sortOnly = in;
    sortOnly.sortOnly = true;
    const Run sorted = runReference(sortOnly, flags);
    FUZZ_CHECK(fast.lines == sorted.lines, "a failed renumbering changed the sorted lines");
    return 0;
}
