#include "ReferenceLineTools.h"

#include "basic/Renumber.h"
#include "basic/SortProgram.h"
#include "platform/Errors.h"

#include <QTest>

namespace {

QStringList slashed(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral(" / "));
}

} // namespace

class RenumberTest : public QObject {
    Q_OBJECT

private slots:
    void renumber_examples_data();
    void renumber_examples();
    void renumber_oneLineOrNone_stopsAfterTheSort();
    void renumber_conversionError_leavesTheSortedProgramUntouched_data();
    void renumber_conversionError_leavesTheSortedProgramUntouched();
    void renumber_sortError_endsBeforeAnyNumbering();
    void renumber_longProgram_hasNoLineLimit();
    void renumber_tableMapsTheFirstLineOfANumber();
    void tokenizer_corners_data();
    void tokenizer_corners();
    void renumberLine_leavesLinesWithoutLeadingDigitAlone();
    void renumberLine_longLine_hasNoTokenLimit();
    void renumberLine_megabyteWord_scansInOnePass();
};

void RenumberTest::renumber_examples_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    auto row = [](const char* name, int start, int step, const QString& before, const QString& after) {
        QTest::newRow(name) << start << step << slashed(before) << slashed(after);
    };
    row("references after THEN, ELSE, GOSUB, GOTO", 100, 10,
        "5 REM Start / 7 IF A=1 THEN 30 ELSE 40 / 30 GOSUB 40 / 40 PRINT X:GOTO 5",
        "100 rem Start / 110 if a=1 then 120 else 130 / 120 gosub 130 / 130 print x : goto 100");
    row("GOTO after THEN", 100, 10, "10 IF A THEN GOTO 20 ELSE 30 / 20 END / 30 END",
        "100 if a then goto 110 else 120 / 110 end / 120 end");
    row("sorted first", 100, 10, "30 PRINT A / 10 GOTO 30 / 20 GOSUB 30", "100 goto 120 / 110 gosub 120 / 120 print a");
    row("lists, ONTIME, ONERR, ONEX1", 10, 10,
        "100 ON X GOTO 200,300,100 / 200 PRINT 1 / 300 ONTIME 5,100 / 400 ONERR 200 / 500 ONEX1 300",
        "10 on x goto 20,30,10 / 20 print 1 / 30 ontime 5,10 / 40 onerr 20 / 50 onex1 30");
    row("list out of order", 100, 10, "10 ON X GOTO 30,20 / 20 END / 30 END",
        "100 on x goto 120,110 / 110 end / 120 end");
    row("GOSUB list before a colon", 100, 10, "10 ON X GOSUB 30,20:PRINT / 20 RETURN / 30 RETURN",
        "100 on x gosub 120,110 : print / 110 return / 120 return");
    row("first target names no line", 100, 10, "10 ON X GOTO 99,20 / 20 END / 30 END",
        "100 on x goto 99,20 / 110 end / 120 end");
    row("later target names no line", 100, 10, "10 ON X GOTO 20,99,30 / 20 END / 30 END",
        "100 on x goto 110,99,120 / 110 end / 120 end");
    row("statement after THEN", 100, 10, "10 IF A THEN PRINT 20 / 20 END", "100 if a then print 20 / 110 end");
    row("REMARK", 100, 10, "10 REMARK GOTO 20 / 20 END", "100 remARK GOTO 20 / 110 end");
    row("REM after a colon", 100, 10, "10 GOTO 20:REM go / 20 END", "100 goto 110 : rem go / 110 end");
    row("colon glued to a literal", 100, 10, "10 PRINT \"A\":GOTO 10 / 20 END", "100 print \"A\" :goto 10 / 110 end");
    row("blank before the colon", 100, 10, "10 PRINT \"A\" :GOTO 10 / 20 END", "100 print \"A\" : goto 100 / 110 end");
    row("comma glued to a literal", 100, 10, "10 PRINT \"X=\",X / 20 END", "100 print \"X=\" ,x / 110 end");
    row("literal after a word", 100, 10, "1 $(0)=\"AB\" / 2 END", "100 $(0)= \"AB\" / 110 end");
    row("commas with blanks", 100, 10, "10 PRINT A , B ,C / 20 PRINT A,,B", "100 print a,b,c / 110 print a,,b");
    row("equal numbers", 100, 10, "10 X=1 / 10 Y=2 / 20 GOTO 10", "100 x=1 / 110 y=2 / 120 goto 100");
    row("reference by value", 100, 10, "10 GOTO 0020 / 20 END", "100 goto 110 / 110 end");
    row("glued keyword", 100, 10, "10 GOTO20 / 20 END", "100 goto20 / 110 end");
    row("ONTIME with a blank after the comma", 100, 10, "10 ONTIME 5, 30 / 20 END / 30 RETI",
        "100 ontime 5,120 / 110 end / 120 reti");
    row("negative step", 0, -5, "10 PRINT A / 20 GOTO 10", "0 print a / -5 goto 0");
    row("no number changes: nothing lower-cased", 10, 10, "10 PRINT A / 20 PRINT B", "10 PRINT A / 20 PRINT B");
    row("zero step", 5, 0, "10 A / 20 GOTO 10", "5 a / 5 goto 5");
    row("numbers wrap around in 32 bits", 2147483647, 1, "1 GOTO 2 / 2 END",
        "2147483647 goto -2147483648 / -2147483648 end");
    row("literal without closing quote", 100, 10, "10 PRINT \"AB:GOTO 10 / 20 END", "100 print \"AB:GOTO 10 / 110 end");
    row("GOTO as the last token", 100, 10, "10 GOTO / 20 END", "100 goto / 110 end");
    row("signed line number keeps its text", 100, 10, "+10 PRINT / 20 GOTO 10", "+10 PRINT / 110 goto 100");
    QTest::newRow("runs of spaces") << 100 << 10 << QStringList{"10    PRINT   X  ", "20 END"}
                                    << QStringList{"100 print x", "110 end"};
}

void RenumberTest::renumber_examples()
{
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    MemoryLines lines(before);
    bool pending = false;
    const RenumberOutcome outcome = RenumberProgram(lines, start, step, pending);
    QCOMPARE(lines.lines(), after);
    const bool untouched = before == after;
    QCOMPARE(outcome, untouched ? RenumberOutcome::Unchanged : RenumberOutcome::Renumbered);
    QCOMPARE(lines.changes().isEmpty(), untouched);

    // The line-by-line rule gives the same text.
    NotifyingLines reference(before, false, {});
    bool referencePending = false;
    ReferenceRenumber(reference, start, step, referencePending);
    QCOMPARE(reference.lines(), after);
}

void RenumberTest::renumber_oneLineOrNone_stopsAfterTheSort()
{
    for (const QStringList& before : {QStringList(), QStringList{"10 GOTO 10"}, QStringList{"", "  10 GOTO 10 "}}) {
        MemoryLines lines(before);
        bool pending = true;
        QCOMPARE(RenumberProgram(lines, 100, 10, pending), RenumberOutcome::TooFewLines);
        // Two lines are cleaned up to one; the single line itself is not renumbered.
        QCOMPARE(lines.lines(), before.size() == 2 ? QStringList{"10 GOTO 10"} : before);
    }
}

void RenumberTest::renumber_conversionError_leavesTheSortedProgramUntouched_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("sorted");
    QTest::addColumn<QString>("error");
    QTest::newRow("blank before the ONTIME comma")
        << slashed("10 ONTIME 5 ,30 / 20 END / 30 RETI") << slashed("10 ONTIME 5 ,30 / 20 END / 30 RETI") << "','";
    QTest::newRow("target missing at the end of a list")
        << slashed("20 ON X GOTO 10, / 10 END") << slashed("10 END / 20 ON X GOTO 10,") << "''";
    QTest::newRow("late line fails after earlier lines were rewritten")
        << slashed("30 GOTO 10 / 10 PRINT / 20 ONERR X") << slashed("10 PRINT / 20 ONERR X / 30 GOTO 10") << "'x'";
    QTest::newRow("ONEX1 without a target")
        << slashed("10 ONEX1 : END / 20 END") << slashed("10 ONEX1 : END / 20 END") << "''";
    QTest::newRow("GOSUB to a variable") << slashed("10 GOSUB X / 20 END") << slashed("10 GOSUB X / 20 END") << "'x'";
}

void RenumberTest::renumber_conversionError_leavesTheSortedProgramUntouched()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, sorted);
    QFETCH(QString, error);
    MemoryLines lines(before);
    bool pending = false;
    try {
        RenumberProgram(lines, 100, 10, pending);
        QFAIL("no conversion error");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), error + QStringLiteral(" ist kein gültiger Integerwert"));
    }
    QCOMPARE(lines.lines(), sorted);
}

void RenumberTest::renumber_sortError_endsBeforeAnyNumbering()
{
    MemoryLines lines(slashed("20 GOTO 10 / 10 END / GOTO 20 / 5 REM"));
    bool pending = false;
    QVERIFY_THROWS_EXCEPTION(EConvertError, RenumberProgram(lines, 100, 10, pending));
    QCOMPARE(lines.lines(), slashed("10 END / 20 GOTO 10 / GOTO 20 / 5 REM"));
}

void RenumberTest::renumber_longProgram_hasNoLineLimit()
{
    QStringList before;
    for (int n = 250; n >= 1; --n)
        before.append(QStringLiteral("%1 GOSUB %2").arg(n).arg(n == 250 ? 1 : n + 1));
    MemoryLines lines(before);
    bool pending = false;
    QCOMPARE(RenumberProgram(lines, 1000, 2, pending), RenumberOutcome::Renumbered);
    QCOMPARE(lines.count(), 250);
    QCOMPARE(lines.line(0), QStringLiteral("1000 gosub 1002"));
    QCOMPARE(lines.line(248), QStringLiteral("1496 gosub 1498"));
    QCOMPARE(lines.line(249), QStringLiteral("1498 gosub 1000"));
}

void RenumberTest::renumber_tableMapsTheFirstLineOfANumber()
{
    MemoryLines lines(slashed("10 A / 10 B / 20 GOTO 10"));
    bool pending = false;
    RenumberTable table;
    RenumberProgram(lines, 1, 1, pending, &table);
    QCOMPARE(table.lastIndex(), 2);
    QCOMPARE(table.entries().at(1).OldNumber, 10);
    QCOMPARE(table.entries().at(1).NewNumber, 2);
    QCOMPARE(table.lookup(10), std::optional<qint32>(1));
    QCOMPARE(table.lookup(11), std::nullopt);
    QCOMPARE(lines.line(2), QStringLiteral("3 goto 1"));
}

void RenumberTest::tokenizer_corners_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("tokens");
    QTest::addColumn<QString>("joined");
    QTest::newRow("literal right after a colon")
        << "10 PRINT:\"A\"" << QStringList{"10", "print", ":", "\"A\""} << "10 print : \"A\"";
    QTest::newRow("character after that literal is taken as it is")
        << "10 PRINT:\"A\"X" << QStringList{"10", "print", ":", "\"A\"", "x"} << "10 print : \"A\" x";
    QTest::newRow("literal right after a comma")
        << "10 PRINT A,\"B\"" << QStringList{"10", "print", "a", ",", "\"B\""} << "10 print a,\"B\"";
    QTest::newRow("character after a literal behind a separator is taken as it is")
        << "10 PRINT:\"A\"\":X" << QStringList{"10", "print", ":", "\"A\"", "\"", ":", "x"}
        << "10 print : \"A\" \" : x";
    QTest::newRow("two literals back to back")
        << "10 PRINT \"A\"\"B\"" << QStringList{"10", "print", "\"A\"", "\"B\""} << "10 print \"A\" \"B\"";
    QTest::newRow("REMARK") << "10 REMARK GOTO 20" << QStringList{"10", "remARK GOTO 20"} << "10 remARK GOTO 20";
    QTest::newRow("REM right after a colon")
        << "10 X=1:rEm  Kept  As IS" << QStringList{"10", "x=1", ":", "rem  Kept  As IS"}
        << "10 x=1 : rem  Kept  As IS";
    QTest::newRow("empty token from a blank between commas")
        << "10 PRINT A, ,B" << QStringList{"10", "print", "a", ",", "", ",", "b"} << "10 print a,,b";
    QTest::newRow("second comma joins the next word")
        << "10 PRINT A,,B" << QStringList{"10", "print", "a", ",", ",b"} << "10 print a,,b";
    QTest::newRow("ONTIME without blanks")
        << "10 ONTIME 5,30" << QStringList{"10", "ontime", "5", ",", "30"} << "10 ontime 5,30";
    QTest::newRow("ONTIME with a blank before the comma")
        << "10 ONTIME 5 ,30" << QStringList{"10", "ontime", "5", "", ",", "30"} << "10 ontime 5,30";
    QTest::newRow("blank before a colon stores an empty token")
        << "10 A :B" << QStringList{"10", "a", "", ":", "b"} << "10 a : b";
    QTest::newRow("trailing blanks leave an empty token") << "10 END  " << QStringList{"10", "end", ""} << "10 end";
    QTest::newRow("letters in literals and umlauts keep their case")
        << "10 PRINT \"Ab\" ÄB" << QStringList{"10", "print", "\"Ab\"", "Äb"} << "10 print \"Ab\" Äb";
    QTest::newRow("literal without closing quote")
        << "10 PRINT \"A:B" << QStringList{"10", "print", "\"A:B"} << "10 print \"A:B";
    QTest::newRow("colon before a comma token")
        << "10 PRINT A,:B" << QStringList{"10", "print", "a", ",", ":b"} << "10 print a,:b";
    QTest::newRow("tab is an ordinary character") << "10 PRINT\tA" << QStringList{"10", "print\ta"} << "10 print\ta";
    QTest::newRow("REM made of the character after a literal and the next two")
        << "10 PRINT:\"A\"REM x" << QStringList{"10", "print", ":", "\"A\"", "rem x"} << "10 print : \"A\" rem x";
    QTest::newRow("REM after a blank behind a comma")
        << "10 PRINT A, REM x" << QStringList{"10", "print", "a", ",", "rem x"} << "10 print a,rem x";
    QTest::newRow("blank after a literal behind a colon, then REM")
        << "10 PRINT:\"A\" REM x" << QStringList{"10", "print", ":", "\"A\"", "rem x"} << "10 print : \"A\" rem x";
}

void RenumberTest::tokenizer_corners()
{
    QFETCH(QString, line);
    QFETCH(QStringList, tokens);
    QFETCH(QString, joined);
    QCOMPARE(TokenizeLine(line), tokens);
    QCOMPARE(JoinTokens(tokens), joined);
}

void RenumberTest::renumberLine_leavesLinesWithoutLeadingDigitAlone()
{
    RenumberTable table;
    table.append(10, 100);
    for (const QString& line :
         {QStringLiteral(""), QStringLiteral(" 10 GOTO 10"), QStringLiteral("$A GOTO 10"), QStringLiteral("PRINT")})
        QCOMPARE(RenumberLine(line, 5, table), line);
    QCOMPARE(RenumberLine(QStringLiteral("0010 GOTO 10"), 5, table), QStringLiteral("5 goto 100"));
}

void RenumberTest::renumberLine_longLine_hasNoTokenLimit()
{
    RenumberTable table;
    table.append(1, 7);
    QString line = QStringLiteral("1 ON X GOTO 1");
    QString expected = QStringLiteral("9 on x goto 7");
    for (int i = 0; i < 150; ++i) {
        line += QStringLiteral(",1");
        expected += QStringLiteral(",7");
    }
    QCOMPARE(RenumberLine(line, 9, table), expected);
}

void RenumberTest::renumberLine_megabyteWord_scansInOnePass()
{
    // A scan that re-reads the word at every character needs hours for this line and runs into the
    // test's time limit; one that keeps its state as it goes needs milliseconds.
    const QString word(1 << 20, QLatin1Char('W'));
    RenumberTable table;
    table.append(10, 100);
    table.append(20, 110);
    QCOMPARE(RenumberLine(QStringLiteral("20 ") + word + QStringLiteral(":GOTO 10:REM  Done"), 110, table),
             QStringLiteral("110 ") + word.toLower() + QStringLiteral(" : goto 100 : rem  Done"));
    // The word-start rule for REM still looks at the first three letters only, however long the word.
    QCOMPARE(TokenizeLine(QStringLiteral("10 REM") + word), (QStringList{"10", QStringLiteral("rem") + word}));
    QCOMPARE(TokenizeLine(QStringLiteral("10 ") + word + QStringLiteral("REM")),
             (QStringList{"10", word.toLower() + QStringLiteral("rem")}));
}

QTEST_GUILESS_MAIN(RenumberTest)
#include "tst_renumber.moc"
