#include "ReferenceLineTools.h"

#include "basic/EditorLines.h"
#include "basic/SortProgram.h"
#include "platform/Errors.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

QStringList slashed(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral(" / "));
}

struct Run {
    QStringList lines;
    DocumentFlags flags;
    QString error;
};

// The sort through lines that deliver their recorded notifications at every flush, as the pane adapter
// does, to the window's change handler.
Run runSort(const QStringList& before, const DocumentFlags& flags)
{
    Run run{{}, flags, {}};
    FlushingLines lines(before, false, [&](const LineChanges& changes) { run.flags.replay(changes); });
    try {
        SortProgram(lines, run.flags.sortCleanupPending);
    } catch (const EConvertError& e) {
        run.error = e.message();
    }
    lines.flushChanges();
    run.lines = lines.lines();
    return run;
}

// The line numbers of lines, all of which must have one.
std::vector<qint32> numbersOf(const QStringList& lines)
{
    std::vector<qint32> numbers;
    for (const QString& line : lines)
        numbers.push_back(LineNumber(line));
    return numbers;
}

} // namespace

class SortProgramTest : public QObject {
    Q_OBJECT

private slots:
    void sort_examples_data();
    void sort_examples();
    void sort_conversionErrorKeepsTheExchangesMadeBeforeIt();
    void sort_oneLineOrNone_doesNothingAndKeepsThePendingCleanup();
    void compact_trimsSpacesRemovesEmptyLinesAndClearsTheFlag();
    void sort_changeNotifications_data();
    void sort_changeNotifications();
    void sort_ordersRandomProgramsAndKeepsEveryLine();
    void memoryLines_recordsTheLengthsThePaneWouldHave();
    void memoryLines_behavesLikeAListUnderRandomEdits();
};

void SortProgramTest::sort_examples_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("error");
    for (bool pending : {false, true}) {
        const char* suffix = pending ? " (clean-up pending)" : "";
        QTest::addRow("three lines%s", suffix)
            << "30 PRINT A / 10 PRINT B / 20 PRINT C" << pending << "10 PRINT B / 20 PRINT C / 30 PRINT A" << QString();
        QTest::addRow("equal numbers%s", suffix)
            << "20 A / 20 B / 10 C" << pending << "10 C / 20 B / 20 A" << QString();
        QTest::addRow("numeric order%s", suffix) << "9 X / 10 Y" << pending << "9 X / 10 Y" << QString();
        QTest::addRow("glued number%s", suffix) << "10 A / PRINT B" << pending << "10 A / PRINT B"
                                                << "'PRINT' ist kein gültiger Integerwert";
        QTest::addRow("negative and hex%s", suffix)
            << "$14 A / -5 B / 0019 C" << pending << "-5 B / 0019 C / $14 A" << QString();
    }
    QTest::newRow("clean-up trims and drops empty lines") << "  20 B   /  / 10 A" << true << "10 A / 20 B" << QString();
    QTest::newRow("empty line without clean-up") << "10 A /  / 20 B" << false << "10 A /  / 20 B"
                                                 << "'' ist kein gültiger Integerwert";
    QTest::newRow("leading space without clean-up") << "20 A /  10 B" << false << "20 A /  10 B"
                                                    << "'' ist kein gültiger Integerwert";
    QTest::newRow("clean-up leaves one line without a number") << "    / PRINT" << true << "PRINT"
                                                               << "'PRINT' ist kein gültiger Integerwert";
    QTest::newRow("tab line survives the clean-up") << "20 A / \t / 10 B" << true << "20 A / \t / 10 B"
                                                    << "'\t' ist kein gültiger Integerwert";
}

void SortProgramTest::sort_examples()
{
    QFETCH(QString, before);
    QFETCH(bool, pending);
    QFETCH(QString, after);
    QFETCH(QString, error);
    MemoryLines lines(slashed(before));
    bool cleanupPending = pending;
    QString message;
    try {
        SortProgram(lines, cleanupPending);
    } catch (const EConvertError& e) {
        message = e.message();
    }
    QCOMPARE(lines.lines(), slashed(after));
    QCOMPARE(message, error);
    QVERIFY(!cleanupPending);
}

void SortProgramTest::sort_conversionErrorKeepsTheExchangesMadeBeforeIt()
{
    MemoryLines lines(slashed("30 A / 10 B / 20 C / 5 D / X / 1 E"));
    bool pending = false;
    QVERIFY_THROWS_EXCEPTION(EConvertError, SortProgram(lines, pending));
    // The first pass carried 30 to where 10 was, then 10 to where 5 was, and stopped at X.
    QCOMPARE(lines.lines(), slashed("5 D / 30 A / 20 C / 10 B / X / 1 E"));
}

void SortProgramTest::sort_oneLineOrNone_doesNothingAndKeepsThePendingCleanup()
{
    for (const QStringList& before : {QStringList(), QStringList{"  PRINT  "}, QStringList{"10 A"}}) {
        MemoryLines lines(before);
        bool pending = true;
        SortProgram(lines, pending);
        QVERIFY(pending);
        QCOMPARE(lines.lines(), before);
        QVERIFY(lines.changes().isEmpty());
    }
}

void SortProgramTest::compact_trimsSpacesRemovesEmptyLinesAndClearsTheFlag()
{
    MemoryLines lines({"", "", " 10 A ", "   ", "", "\t", "20 B"});
    bool pending = true;
    CompactLines(lines, pending);
    QVERIFY(!pending);
    QCOMPARE(lines.lines(), (QStringList{"10 A", "\t", "20 B"}));
}

void SortProgramTest::sort_changeNotifications_data()
{
    // A document loaded with the text as it stands (the length after loading is the current length),
    // not yet modified: whether sorting marks it depends on what the exchanges pass through.
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("pendingAfter");
    const QString none;
    QTest::newRow("sorted already: no edit") << "10 A / 20 B" << false << "10 A / 20 B" << none << false << false;
    QTest::newRow("exchanges of equal lengths")
        << "30 A / 20 B / 10 C" << false << "10 C / 20 B / 30 A" << none << false << false;
    QTest::newRow("same final lengths, different on the way")
        << "30 A / 20 BB / 10 C" << false << "10 C / 20 BB / 30 A" << none << true << true;
    QTest::newRow("different lengths") << "20 AAA / 10 B" << false << "10 B / 20 AAA" << none << true << true;
    QTest::newRow("clean-up without change of length")
        << "10 A / 20 B" << true << "10 A / 20 B" << none << false << false;
    QTest::newRow("clean-up shortens, sort does not exchange")
        << "10 A  / 20 B" << true << "10 A / 20 B" << none << true << false;
    QTest::newRow("clean-up shortens, sort exchanges") << "20 A  / 10 B" << true << "10 B / 20 A" << none << true
                                                       << true;
    const QString x = QStringLiteral("'X' ist kein gültiger Integerwert");
    QTest::newRow("error after exchanges of equal lengths")
        << "20 A / 10 B / X / 5 C" << false << "10 B / 20 A / X / 5 C" << x << false << false;
    QTest::newRow("error after an exchange of different lengths")
        << "30 A / 10 BB / X / 5 C" << false << "10 BB / 30 A / X / 5 C" << x << true << true;
    QTest::newRow("error before any exchange") << "10 A / X / 5 CCC" << false << "10 A / X / 5 CCC" << x << false
                                               << false;
    QTest::newRow("error after the clean-up")
        << " 10 A / X / 5 C" << true << "10 A / X / 5 C" << x << true << false;
}

void SortProgramTest::sort_changeNotifications()
{
    QFETCH(QString, before);
    QFETCH(bool, pending);
    QFETCH(QString, after);
    QFETCH(QString, error);
    QFETCH(bool, modified);
    QFETCH(bool, pendingAfter);
    const QStringList lines = slashed(before);
    const Run run = runSort(lines, DocumentFlags{lines.join(QLatin1Char('\n')).size(), false, pending});
    QCOMPARE(run.lines, slashed(after));
    QCOMPARE(run.error, error);
    QCOMPARE(run.flags.editorModified, modified);
    QCOMPARE(run.flags.sortCleanupPending, pendingAfter);
}

// Whatever the numbers, the result is in ascending order and holds the lines it was given.
void SortProgramTest::sort_ordersRandomProgramsAndKeepsEveryLine()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 300; ++round) {
        QStringList before;
        const int n = random.bounded(2, 200);
        const int range = random.bounded(1, 400);
        for (int i = 0; i < n; ++i)
            before.append(QStringLiteral("%1 %2").arg(random.bounded(range) - 50).arg(QString(i % 7, u'A')));
        MemoryLines lines(before);
        bool pending = false;
        SortProgram(lines, pending);
        const std::vector<qint32> numbers = numbersOf(lines.lines());
        QVERIFY(std::is_sorted(numbers.begin(), numbers.end()));
        QStringList expected = before;
        QStringList result = lines.lines();
        expected.sort();
        result.sort();
        QCOMPARE(result, expected);
    }
}

void SortProgramTest::memoryLines_recordsTheLengthsThePaneWouldHave()
{
    MemoryLines lines({"10 A", "20 BB"}, true); // "10 A\n20 BB\n": 11 characters
    QCOMPARE(lines.textLength(), 11);
    lines.setLine(0, "10 AAA");
    lines.setLine(0, "10 A");
    lines.setLine(1, "20 B");
    LineChanges changes = lines.takeChanges();
    QCOMPARE(changes.writes(), 3);
    QCOMPARE(changes.lengths(), (std::vector<qsizetype>{13, 11})); // the third length (10) is not kept
    QVERIFY(changes.anyLengthDiffersFrom(11));
    QVERIFY(lines.takeChanges().isEmpty());

    lines.deleteLine(0);
    changes = lines.takeChanges();
    QCOMPARE(changes.lengths(), (std::vector<qsizetype>{5})); // "20 B\n"
    QVERIFY(!changes.anyLengthDiffersFrom(5));
    lines.deleteLine(0);
    QCOMPARE(lines.textLength(), 0);
    QCOMPARE(lines.text(), QString());
}

void SortProgramTest::memoryLines_behavesLikeAListUnderRandomEdits()
{
    QRandomGenerator random(99);
    MemoryLines lines;
    QStringList model;
    for (int step = 0; step < 5000; ++step) {
        const int op = random.bounded(3);
        const QString text = QString::number(step);
        if (op == 0 || model.isEmpty()) {
            lines.appendLine(text);
            model.append(text);
        } else {
            const int index = random.bounded(int(model.size()));
            if (op == 1) {
                lines.setLine(index, text);
                model[index] = text;
            } else {
                lines.deleteLine(index);
                model.removeAt(index);
            }
        }
        QCOMPARE(lines.count(), int(model.size()));
        QCOMPARE(lines.textLength(), model.isEmpty() ? 0 : model.join(QLatin1Char('\n')).size());
    }
    QCOMPARE(lines.lines(), model);
}

QTEST_GUILESS_MAIN(SortProgramTest)
#include "tst_sortprogram.moc"
