// Sorting and renumbering long programs through a real editor pane: the time from reading the pane's
// lines to the written-back result (wall clock and the process's processor time), and whether the result
// is the expected one.

#include "basic/LineSyntax.h"
#include "basic/Renumber.h"
#include "basic/SortProgram.h"
#include "editor/PlainTextEditLines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr int Runs = 5;
constexpr qint32 RenumberFrom = 1000;
constexpr qint32 RenumberBy = 5;

// Lines numbered from the highest down, with a GOTO or GOSUB on every third line.
QStringList reversedProgram(int lines)
{
    QStringList program;
    program.reserve(lines);
    for (int k = lines; k >= 1; --k) {
        const int number = k * 10;
        switch (k % 3) {
        case 0:
            program.append(QStringLiteral("%1 IF X>%2 THEN GOTO %3").arg(number).arg(k).arg((k * 7 % lines + 1) * 10));
            break;
        case 1:
            program.append(QStringLiteral("%1 PRINT \"Zeile\",%2:X=X+1").arg(number).arg(k));
            break;
        default:
            program.append(QStringLiteral("%1 REM Schritt %2").arg(number).arg(k));
            break;
        }
        if (k % 3 == 0 && k % 2 == 0)
            program.last() = QStringLiteral("%1 GOSUB %2").arg(number).arg((k * 13 % lines + 1) * 10);
    }
    return program;
}

// With distinct numbers the exchange sort's order is simply the ascending one.
QStringList sortedByNumber(const QStringList& program)
{
    QStringList sorted = program;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString& a, const QString& b) { return LineNumber(a) < LineNumber(b); });
    return sorted;
}

// Ascending numbers and the same lines: what can be checked without a second implementation when
// numbers repeat.
bool sortedAndComplete(const QStringList& result, const QStringList& program)
{
    for (qsizetype k = 1; k < result.size(); ++k)
        if (LineNumber(result.at(k - 1)) > LineNumber(result.at(k)))
            return false;
    QStringList a = result;
    QStringList b = program;
    a.sort();
    b.sort();
    return a == b;
}

QStringList referenceRenumbered(const QStringList& sorted, qint32 start, qint32 step)
{
    RenumberTable table;
    bool differs = false;
    for (int k = 0; k < sorted.size(); ++k) {
        table.append(LineNumber(sorted.at(k)), start + k * step);
        differs = differs || table.entries().at(k).OldNumber != table.entries().at(k).NewNumber;
    }
    if (!differs)
        return sorted;
    QStringList result;
    for (int k = 0; k < sorted.size(); ++k)
        result.append(RenumberLine(sorted.at(k), table.entries().at(k).NewNumber, table));
    return result;
}

double processorMs()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Times of `command` on a pane freshly filled with the program each run: the median and the best wall
// time in milliseconds, and the processor time of the best run. The machine is shared, so the best run
// says most about the code.
struct Timing {
    double medianMs = 0;
    double bestMs = 0;
    double bestProcessorMs = 0;
};

Timing timeRuns(QPlainTextEdit& pane, const QStringList& program,
                const std::function<void(PlainTextEditLines&)>& command, QStringList& result)
{
    std::vector<double> times;
    Timing timing;
    for (int run = 0; run < Runs; ++run) {
        pane.setPlainText(program.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QElapsedTimer timer;
        const double processorStart = processorMs();
        timer.start();
        {
            PlainTextEditLines lines(&pane, [](const LineChanges&) {});
            command(lines);
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        const double processor = processorMs() - processorStart;
        if (times.empty() || ms < timing.bestMs) {
            timing.bestMs = ms;
            timing.bestProcessorMs = processor;
        }
        times.push_back(ms);
        result = PlainTextEditLines::paneLines(&pane);
    }
    std::sort(times.begin(), times.end());
    timing.medianMs = times[times.size() / 2];
    return timing;
}

double medianMs(QPlainTextEdit& pane, const QStringList& program,
                const std::function<void(PlainTextEditLines&)>& command, QStringList& result)
{
    return timeRuns(pane, program, command, result).medianMs;
}

void measure(QPlainTextEdit& pane, int lines)
{
    const QStringList program = reversedProgram(lines);
    const QStringList sortedReference = sortedByNumber(program);
    const QStringList renumberedReference = referenceRenumbered(sortedReference, RenumberFrom, RenumberBy);

    QStringList sorted;
    const Timing sort = timeRuns(
        pane, program,
        [](PlainTextEditLines& l) {
            bool pending = true;
            SortProgram(l, pending);
        },
        sorted);
    QStringList renumbered;
    const double renumberMs = medianMs(
        pane, program,
        [](PlainTextEditLines& l) {
            bool pending = true;
            RenumberProgram(l, RenumberFrom, RenumberBy, pending);
        },
        renumbered);

    std::printf("%6d lines, reversed  sort: best %8.1f ms (processor %8.1f ms), median %8.1f ms  identical: %s\n",
                lines, sort.bestMs, sort.bestProcessorMs, sort.medianMs, sorted == sortedReference ? "yes" : "no");
    std::printf("%6d lines  renumber %4.1f ms  identical: %s\n", lines, renumberMs,
                renumbered == renumberedReference ? "yes" : "no");
}

// Many equal numbers, and lines of one length with a single longer line that no exchange touches.
void measureCorners(QPlainTextEdit& pane)
{
    QStringList duplicates;
    for (int k = 0; k < 10000; ++k)
        duplicates.append(QStringLiteral("%1 PRINT %2").arg(k % 2 ? 500 : (k % 997) * 10).arg(k));
    QStringList result;
    double ms = medianMs(
        pane, duplicates,
        [](PlainTextEditLines& l) {
            bool pending = false;
            SortProgram(l, pending);
        },
        result);
    std::printf(" 10000 lines, half of them number 500: sort %.1f ms  ascending and complete: %s\n", ms,
                sortedAndComplete(result, duplicates) ? "yes" : "no");

    QStringList sameLength;
    for (int k = 9999; k >= 1; --k)
        sameLength.append(QStringLiteral("%1 A").arg(k + 10000));
    sameLength.append(QStringLiteral("99999 LONGER LINE"));
    ms = medianMs(
        pane, sameLength,
        [](PlainTextEditLines& l) {
            bool pending = false;
            SortProgram(l, pending);
        },
        result);
    std::printf(" 10000 lines of one length, reversed: sort %.1f ms  identical: %s\n", ms,
                result == sortedByNumber(sameLength) ? "yes" : "no");
}

// One line holding a single long word: the renumber tokenizer must take time in proportion to the
// line's length. Measured on the lines alone and through the pane (which adds the pane's own layout of
// the long line).
void measureLongWord(QPlainTextEdit& pane, int characters)
{
    const QString word(characters, QLatin1Char('A'));
    const QStringList program{QStringLiteral("20 PRINT %1:GOTO 10").arg(word), QStringLiteral("10 GOTO 20")};
    const QStringList expected{QStringLiteral("100 goto 110"),
                               QStringLiteral("110 print %1 : goto 100").arg(word.toLower())};

    std::vector<double> times;
    QStringList inMemory;
    for (int run = 0; run < Runs; ++run) {
        MemoryLines lines(program);
        bool pending = false;
        QElapsedTimer timer;
        timer.start();
        RenumberProgram(lines, 100, 10, pending);
        times.push_back(timer.nsecsElapsed() / 1e6);
        inMemory = lines.lines();
    }
    std::sort(times.begin(), times.end());
    QStringList throughPane;
    const double paneMs = medianMs(
        pane, program,
        [](PlainTextEditLines& l) {
            bool pending = false;
            RenumberProgram(l, 100, 10, pending);
        },
        throughPane);
    std::printf(" one word of %7d characters: renumber %8.1f ms, through the pane %8.1f ms  identical: %s\n",
                characters, times[times.size() / 2], paneMs,
                inMemory == expected && throughPane == expected ? "yes" : "no");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QPlainTextEdit pane;
    std::printf("bench_basic: median of %d runs through a QPlainTextEdit (targets: 1000 lines < 50 ms, "
                "10000 lines < 1000 ms)\n",
                Runs);
    measure(pane, 1000);
    measure(pane, 10000);
    measureCorners(pane);
    measureLongWord(pane, 40000);
    measureLongWord(pane, 160000);
    measureLongWord(pane, 1 << 20);
    return 0;
}
