// The simulated board fed bytes directly: its line editor, command line, BASIC and messages.
#include "SimSession.h"

#include "basic52sim/NumberFormat.h"
#include "basic52sim/Options.h"

#include <QTest>

#include <random>

using basic52sim::Board;

using simtest::bytes;
using simtest::dashes;
using simtest::Session;

class SimBoardTest : public QObject {
    Q_OBJECT

private slots:
    void lineEditing_data();
    void lineEditing();
    void backspace_doesNotErase();
    void controlCharacters_echoedButNotStored();
    void longLine_keepsSeventyEightCharacters();
    void list_ordersReplacesAndDeletes();
    void list_range_data();
    void list_range();
    void newCommand_clearsProgramAndVariables();
    void run_data();
    void run();
    void run_clearsVariables();
    void runtimeError_data();
    void runtimeError();
    void directLine_data();
    void directLine();
    void programLine_notCheckedWhenEntered();
    void controlC_stopsAndContinues();
    void controlC_afterEditCannotContinue();
    void burst_losesLinesAfterTheFirst();
    void burst_withoutLoss_handlesEveryLineInOrder();
    void burst_whileRunning();
    void autobaud_waitsForSpace();
    void garbage_isEchoedAndRefused();
    void randomLines_neverBreakTheBoard();
    void numberFormat_data();
    void numberFormat();
    void options_data();
    void options();
};

void SimBoardTest::lineEditing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("blanks only") << QByteArray("   \r") << QByteArray("   \r\n\r\n>");
    QTest::newRow("DEL past the start") << QByteArray("A\x7f\x7f") << QByteArray("A\b \b\x07");
    QTest::newRow("bit 7 stripped") << QByteArray("\xb1\xb0\xa0\xc1=1\x8d") << QByteArray("10 A=1\r\n>");
    QTest::newRow("control D cancels the line") << QByteArray("PRINT 5\x04\r") << QByteArray("PRINT 5\r\n\r\n\r\n>");
    // The board answers Control C and does not listen until the answer is out: the rest is lost.
    QTest::newRow("control C at the prompt cancels the line")
        << QByteArray("PR\x03INT 5\r") << QByteArray("PR\r\n\r\nREADY\r\n>");
    QTest::newRow("line number alone deletes") << QByteArray("10\r") << QByteArray("10\r\n>");
    QTest::newRow("NEW") << QByteArray("NEW\r") << QByteArray("NEW\r\n\r\n>");
    QTest::newRow("lower case command") << QByteArray("new\r") << QByteArray("new\r\n\r\n>");
}

void SimBoardTest::lineEditing()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, answer);
    Session s;
    QCOMPARE(bytes(s.send(input.toStdString())), answer);
}

void SimBoardTest::backspace_doesNotErase()
{
    Session s;
    QCOMPARE(bytes(s.send("10 AB\b=1\r")), QByteArray("10 AB\b=1\r\n>"));
    QCOMPARE(bytes(s.send("LIST\r")), QByteArray("LIST\r\n10     AB=1\r\n\r\nREADY\r\n>"));
}

void SimBoardTest::controlCharacters_echoedButNotStored()
{
    Session s;
    QCOMPARE(bytes(s.send("1\x01" "0 A\t=\n1\r")), QByteArray("1\x01" "0 A\t=\n1\r\n>"));
    QCOMPARE(s.board.program().lines().at(10), std::string("A=1"));
}

void SimBoardTest::longLine_keepsSeventyEightCharacters()
{
    Session s;
    const std::string head = "10 REM ";
    const std::string body(78 - head.size(), 'X');
    QCOMPARE(bytes(s.send(head + body)), bytes(head + body));
    // The 79th character and all after it are refused with a bell; DEL still works after them.
    QCOMPARE(bytes(s.send("YZ")), QByteArray("\x07\x07"));
    QCOMPARE(bytes(s.send("\x7fW")), QByteArray("\b \bW"));
    QCOMPARE(bytes(s.send("\r")), QByteArray("\r\n>"));
    QCOMPARE(s.board.program().lines().at(10), "REM " + std::string(body.size() - 1, 'X') + "W");
}

void SimBoardTest::list_ordersReplacesAndDeletes()
{
    Session s;
    s.enter({"30 C=3", "10 A=1", "20 B=2", "10 A=5", "20", "40", "5    PRINT A"});
    QCOMPARE(bytes(s.send("LIST\r")),
             QByteArray("LIST\r\n5      PRINT A\r\n10     A=5\r\n30     C=3\r\n\r\nREADY\r\n>"));
}

void SimBoardTest::list_range_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("listing");
    QTest::newRow("from a line to the end")
        << QByteArray("LIST 30") << QByteArray("30     C\r\n40     D\r\n65535  E\r\n");
    QTest::newRow("from a missing line") << QByteArray("LIST 35") << QByteArray("40     D\r\n65535  E\r\n");
    QTest::newRow("range") << QByteArray("LIST 15-30") << QByteArray("20     B\r\n30     C\r\n");
    QTest::newRow("range of one line") << QByteArray("LIST 20-20") << QByteArray("20     B\r\n");
    QTest::newRow("range without lines") << QByteArray("LIST 21-29") << QByteArray();
    QTest::newRow("largest number") << QByteArray("LIST 65535") << QByteArray("65535  E\r\n");
}

void SimBoardTest::list_range()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, listing);
    Session s;
    s.enter({"10 A", "20 B", "30 C", "40 D", "65535 E"});
    QCOMPARE(bytes(s.send(command.toStdString() + "\r")), command + "\r\n" + listing + "\r\nREADY\r\n>");
}

void SimBoardTest::newCommand_clearsProgramAndVariables()
{
    Session s;
    s.enter({"10 A=1", "B=2"});
    QCOMPARE(s.board.interpreter().variable("B"), 2.0);
    s.send("NEW\r");
    QVERIFY(s.board.program().empty());
    QCOMPARE(bytes(s.send("PRINT B\r")), QByteArray("PRINT B\r\n 0 \r\n\r\n>"));
}

void SimBoardTest::run_data()
{
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("GOSUB in FOR with IF/THEN/ELSE")
        << QStringList{"10 FOR I=1 TO 3", "20 GOSUB 100", "30 NEXT I", "40 END",
                       "100 IF I=2 THEN PRINT \"TWO\" ELSE PRINT I", "110 RETURN"}
        << QByteArray(" 1 \r\nTWO\r\n 3 \r\n");
    QTest::newRow("negative STEP") << QStringList{"10 FOR I=3 TO 1 STEP -1: PRINT I,: NEXT I"}
                                   << QByteArray(" 3  2  1 ");
    QTest::newRow("fractional STEP reaches its limit")
        << QStringList{"10 FOR X=0 TO 0.3 STEP 0.1: PRINT X,: NEXT X"} << QByteArray(" 0  .1  .2  .3 ");
    QTest::newRow("NEXT without name closes the inner loop")
        << QStringList{"10 FOR I=1 TO 2: FOR J=1 TO 2: PRINT I*10+J,: NEXT: NEXT: PRINT"}
        << QByteArray(" 11  12  21  22 \r\n");
    QTest::newRow("IF THEN line number")
        << QStringList{"10 A=5", "20 IF A>3 THEN 40", "30 PRINT \"SMALL\"", "40 PRINT \"BIG\""}
        << QByteArray("BIG\r\n");
    QTest::newRow("false IF skips the rest of its line")
        << QStringList{"10 IF 0 THEN PRINT 1: PRINT 2", "20 PRINT 3"} << QByteArray(" 3 \r\n");
    QTest::newRow("ELSE part runs all its statements")
        << QStringList{"10 IF 1=2 THEN PRINT 1 ELSE PRINT 2: PRINT 3"} << QByteArray(" 2 \r\n 3 \r\n");
    QTest::newRow("THEN part skips the ELSE part")
        << QStringList{"10 IF 2=2 THEN PRINT 1: PRINT 2 ELSE PRINT 3", "20 PRINT 4"}
        << QByteArray(" 1 \r\n 2 \r\n 4 \r\n");
    QTest::newRow("ELSE with line number")
        << QStringList{"10 IF 0 THEN 30 ELSE 40", "30 PRINT 3", "40 PRINT 4"} << QByteArray(" 4 \r\n");
    QTest::newRow("nested GOSUB returns in order")
        << QStringList{"10 GOSUB 100: PRINT 3", "20 END", "100 PRINT 1,: GOSUB 200: RETURN", "200 PRINT 2,: RETURN"}
        << QByteArray(" 1  2  3 \r\n");
    QTest::newRow("LET and plain assignment") << QStringList{"10 LET A=2: B=A*3: PRINT A+B"} << QByteArray(" 8 \r\n");
    QTest::newRow("separators") << QStringList{"10 PRINT \"A\",\"B\",\"C\""} << QByteArray("ABC\r\n");
    QTest::newRow("TAB and SPC") << QStringList{"10 PRINT \"A\",TAB(5),\"B\",SPC(2),\"C\""}
                                 << QByteArray("A    B  C\r\n");
    QTest::newRow("comparisons and logic")
        << QStringList{"10 PRINT 2>1, 1>2, 12 .AND. 10"} << QByteArray(" 65535  0  8 \r\n");
    QTest::newRow("precedence") << QStringList{"10 PRINT 2+3*4, -2**2, (2+3)*4, 7-2-1, 2**3**2"}
                                << QByteArray(" 14 -4  20  4  64 \r\n");
    QTest::newRow("hexadecimal constant") << QStringList{"10 PRINT 0FFH+1"} << QByteArray(" 256 \r\n");
    QTest::newRow("REM ends the line") << QStringList{"10 REM : PRINT 1", "20 PRINT 2"} << QByteArray(" 2 \r\n");
    QTest::newRow("END stops") << QStringList{"10 END", "20 PRINT 1"} << QByteArray();
    QTest::newRow("STOP names its line")
        << QStringList{"10 PRINT 1", "20 STOP", "30 PRINT 2"}
        << bytes(" 1 \r\n\r\n\r\nSTOP - IN LINE  20 \r\n\r\n20     STOP \r\n" + dashes(11) + "X");
}

void SimBoardTest::run()
{
    QFETCH(QStringList, program);
    QFETCH(QByteArray, output);
    Session s;
    s.enter(program);
    QCOMPARE(bytes(s.send("RUN\r")), "RUN\r\n\r\n" + output + "\r\nREADY\r\n>");
}

void SimBoardTest::run_clearsVariables()
{
    Session s;
    s.enter({"10 PRINT A,: A=A+7"});
    QCOMPARE(bytes(s.send("RUN\r")), QByteArray("RUN\r\n\r\n 0 \r\nREADY\r\n>"));
    QCOMPARE(s.board.interpreter().variable("A"), 7.0);
    QCOMPARE(bytes(s.send("RUN\r")), QByteArray("RUN\r\n\r\n 0 \r\nREADY\r\n>"));
}

void SimBoardTest::runtimeError_data()
{
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<QByteArray>("output");
    // The marker line runs under the listed line up to the place of the fault.
    QTest::newRow("syntax at end of line")
        << QStringList{"10 PRINT 34*21*"}
        << bytes("\r\n\r\nERROR: BAD SYNTAX - IN LINE  10 \r\n\r\n10     PRINT 34*21*\r\n" + dashes(19) + "X");
    QTest::newRow("unknown statement after output")
        << QStringList{"10 PRINT 1", "20 FOO BAR"}
        << bytes(" 1 \r\n\r\n\r\nERROR: BAD SYNTAX - IN LINE  20 \r\n\r\n20     FOOBAR\r\n" + dashes(13) + "X");
    QTest::newRow("missing line")
        << QStringList{"10 GOTO 50"}
        << bytes("\r\n\r\nERROR: INVALID LINE NUMBER - IN LINE  10 \r\n\r\n10     GOTO 50\r\n" + dashes(12) + "X");
    QTest::newRow("RETURN without GOSUB")
        << QStringList{"100 RETURN"}
        << bytes("\r\n\r\nERROR: C-STACK - IN LINE  100 \r\n\r\n100    RETURN \r\n" + dashes(14) + "X");
    QTest::newRow("NEXT without FOR")
        << QStringList{"10 NEXT I"}
        << bytes("\r\n\r\nERROR: C-STACK - IN LINE  10 \r\n\r\n10     NEXT I\r\n" + dashes(12) + "X");
    QTest::newRow("division by zero")
        << QStringList{"10 PRINT 1/0"}
        << bytes("\r\n\r\nERROR: DIVIDE BY ZERO - IN LINE  10 \r\n\r\n10     PRINT 1/0\r\n" + dashes(14) + "X");
    QTest::newRow("unbounded recursion")
        << QStringList{"10 GOSUB 10"}
        << bytes("\r\n\r\nERROR: C-STACK - IN LINE  10 \r\n\r\n10     GOSUB 10\r\n" + dashes(13) + "X");
    QTest::newRow("overflow")
        << QStringList{"10 A=1E100*1E100"}
        << bytes("\r\n\r\nERROR: ARITH. OVERFLOW - IN LINE  10 \r\n\r\n10     A=1E100*1E100\r\n" + dashes(14) + "X");
}

void SimBoardTest::runtimeError()
{
    QFETCH(QStringList, program);
    QFETCH(QByteArray, output);
    Session s;
    s.enter(program);
    QCOMPARE(bytes(s.send("RUN\r")), "RUN\r\n\r\n" + output + "\r\nREADY\r\n>");
    // Nothing is left running or half-typed: the next line gets its plain answer.
    QCOMPARE(bytes(s.send("\r")), QByteArray("\r\n\r\n>"));
}

void SimBoardTest::directLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("PRINT") << QByteArray("PRINT 2*3") << QByteArray(" 6 \r\n\r\n>");
    QTest::newRow("abbreviated PRINT") << QByteArray("P. -1.5") << QByteArray("-1.5 \r\n\r\n>");
    QTest::newRow("loop in a direct line") << QByteArray("FOR I=1 TO 3: PRINT I,: NEXT I")
                                           << QByteArray(" 1  2  3 \r\n>");
    QTest::newRow("syntax error") << QByteArray("PRINT 1+") << QByteArray("\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
    QTest::newRow("unknown word") << QByteArray("HELLO") << QByteArray("\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
    QTest::newRow("RUN takes no line number") << QByteArray("RUN 10")
                                              << QByteArray("\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
    QTest::newRow("bad LIST range") << QByteArray("LIST 5-X") << QByteArray("\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
    QTest::newRow("CONT with nothing stopped")
        << QByteArray("CONT") << QByteArray("\r\n\r\nERROR: CAN'T CONTINUE\r\nREADY\r\n>");
    QTest::newRow("line number too large")
        << QByteArray("65536 PRINT") << QByteArray("\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
    QTest::newRow("unterminated string") << QByteArray("PRINT \"AB")
                                         << QByteArray("AB\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>");
}

void SimBoardTest::directLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Session s;
    QCOMPARE(bytes(s.send(line.toStdString() + "\r")), line + "\r\n" + answer);
}

void SimBoardTest::programLine_notCheckedWhenEntered()
{
    Session s;
    QCOMPARE(bytes(s.send("10 )))(((\r")), QByteArray("10 )))(((\r\n>"));
    QCOMPARE(bytes(s.send("20PRINT 1\r")), QByteArray("20PRINT 1\r\n>"));
    QCOMPARE(bytes(s.send("LIST\r")), QByteArray("LIST\r\n10     )))(((\r\n20     PRINT 1\r\n\r\nREADY\r\n>"));
}

void SimBoardTest::controlC_stopsAndContinues()
{
    Session s;
    s.enter({"10 A=A+1: GOTO 10", "20 PRINT \"NEVER\""});
    s.board.receive("RUN\r");
    QCOMPARE(bytes(s.board.takeOutput()), QByteArray("RUN\r\n\r\n"));
    s.board.run(500);
    QVERIFY(s.board.running());
    const double counted = s.board.interpreter().variable("A");
    QVERIFY(counted > 100);
    // Control C is not echoed; other bytes typed while the program runs are lost.
    s.board.receive("X\x03");
    QVERIFY(!s.board.running());
    // 500 statements are 166 rounds of A=A+1, the colon and GOTO, then A=A+1 and the colon:
    // the marker stands before GOTO.
    QCOMPARE(bytes(s.board.takeOutput()),
             bytes("\r\n\r\nSTOP - IN LINE  10 \r\n\r\n10     A=A+1 :  GOTO 10\r\n" + dashes(7 + 7) +
                   "X\r\nREADY\r\n>"));
    QCOMPARE(bytes(s.board.takeLost()), QByteArray("X"));
    s.board.answerSent();

    // CONT goes on where it stopped, with the variables as they were.
    s.board.receive("CONT\r");
    QVERIFY(s.board.running());
    s.board.run(100);
    QVERIFY(s.board.interpreter().variable("A") > counted);
    s.board.receive("\x83"); // Control C with bit 7 set is still Control C
    QVERIFY(!s.board.running());
}

void SimBoardTest::controlC_afterEditCannotContinue()
{
    Session s;
    s.enter({"10 GOTO 10"});
    s.board.receive("RUN\r");
    s.board.run(10);
    s.board.receive("\x03");
    s.board.takeOutput();
    s.board.answerSent();
    s.send("20 PRINT\r");
    QCOMPARE(bytes(s.send("CONT\r")), QByteArray("CONT\r\n\r\n\r\nERROR: CAN'T CONTINUE\r\nREADY\r\n>"));
}

void SimBoardTest::burst_losesLinesAfterTheFirst()
{
    Session s;
    s.board.receive("10 A=1\r20 B=2\r30 C=3\r");
    QCOMPARE(bytes(s.board.takeOutput()), QByteArray("10 A=1\r\n>"));
    QCOMPARE(bytes(s.board.takeLost()), QByteArray("20 B=2\r30 C=3\r"));
    // Still busy: until the answer has gone out, the board does not read.
    s.board.receive("4");
    QCOMPARE(bytes(s.board.takeLost()), QByteArray("4"));
    s.board.answerSent();
    QCOMPARE(bytes(s.send("40 D=4\r")), QByteArray("40 D=4\r\n>"));
    QCOMPARE(s.board.program().lines().size(), std::size_t(2));
}

void SimBoardTest::burst_withoutLoss_handlesEveryLineInOrder()
{
    Session s(Board::Settings{false, false});
    QCOMPARE(bytes(s.send("10 A=1\r20 B=2\rLIST\r")),
             QByteArray("10 A=1\r\n>20 B=2\r\n>LIST\r\n10     A=1\r\n20     B=2\r\n\r\nREADY\r\n>"));
    QVERIFY(s.board.takeLost().empty());
}

void SimBoardTest::burst_whileRunning()
{
    const std::string program = "10 FOR I=1 TO 2000: NEXT I: PRINT \"DONE\"\r";
    {
        Session lossy;
        lossy.send(program);
        lossy.board.receive("RUN\r");
        lossy.board.run(10);
        lossy.board.receive("PRINT 7\r");
        lossy.runToEnd();
        QCOMPARE(bytes(lossy.board.takeOutput()), QByteArray("RUN\r\n\r\nDONE\r\n\r\nREADY\r\n>"));
    }
    {
        Session keeping(Board::Settings{false, false});
        keeping.send(program);
        keeping.board.receive("RUN\r");
        keeping.board.run(10);
        keeping.board.receive("PRINT 7\r");
        QCOMPARE(keeping.board.pendingInput(), std::size_t(8));
        keeping.runToEnd();
        QCOMPARE(bytes(keeping.board.takeOutput()),
                 QByteArray("RUN\r\n\r\nDONE\r\n\r\nREADY\r\n>PRINT 7\r\n 7 \r\n\r\n>"));
    }
}

void SimBoardTest::autobaud_waitsForSpace()
{
    Board board(Board::Settings{true, true});
    board.powerOn();
    QVERIFY(!board.hasOutput());
    board.receive("x\r");
    QVERIFY(!board.hasOutput());
    board.receive(" ");
    QCOMPARE(bytes(board.takeOutput()), "\r\n" + QByteArray(Board::kSignOn) + "\r\nREADY\r\n>");
}

void SimBoardTest::garbage_isEchoedAndRefused()
{
    Session s;
    std::string all;
    for (int c = 0; c < 256; ++c) {
        if ((c & 0x7f) != '\r' && (c & 0x7f) != 3)
            all += static_cast<char>(c);
    }
    const std::string echo = s.send(all);
    QVERIFY(!echo.empty());
    QVERIFY(echo.size() <= 2 * all.size() + 4);
    const std::string answer = s.send("\r");
    QVERIFY2(answer.find("ERROR: BAD SYNTAX") != std::string::npos || answer == "\r\n\r\n>", answer.c_str());
    QVERIFY(s.board.program().empty());
    QCOMPARE(bytes(s.send("10 A=1\r")), QByteArray("10 A=1\r\n>"));
}

void SimBoardTest::randomLines_neverBreakTheBoard()
{
    // Fragments that reach deep into the parser, glued at random, as stored lines and direct lines.
    const char* const parts[] = {"PRINT", "IF", "THEN", "ELSE", "FOR", "TO", "STEP", "NEXT", "GOSUB", "GOTO",
                                 "RETURN", "LET", "A", "B", "=", "<", ">", "(", ")", "**", "*", "/", "+", "-",
                                 ".AND.", ",", ";", ":", "\"", "1", "0", "10", "20", "1E99", "0FFH", "SQR",
                                 "TAB(", "NOT(", " ", "END", "STOP", "REM", "RUN", "CONT", "LIST", "\x7f"};
    std::mt19937 random(52);
    Session s;
    for (int round = 0; round < 3000; ++round) {
        std::string line = (round % 3 == 0) ? "" : std::to_string(10 * (random() % 4 + 1)) + " ";
        const int count = static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i)
            line += parts[random() % std::size(parts)];
        const std::string answer = s.send(line + "\r", 20000);
        QVERIFY2(!answer.empty() && answer.back() == '>', line.c_str());
        if (round % 50 == 0)
            s.send("NEW\r");
    }
}

void SimBoardTest::numberFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << " 0 ";
    QTest::newRow("integer") << 42.0 << " 42 ";
    QTest::newRow("negative") << -7.0 << "-7 ";
    QTest::newRow("fraction") << 0.5 << " .5 ";
    QTest::newRow("third") << 1.0 / 3 << " .33333333 ";
    QTest::newRow("eight digits") << 12345678.0 << " 12345678 ";
    QTest::newRow("rounded to eight digits") << 2.0 / 3 << " .66666667 ";
    QTest::newRow("mixed") << -123.25 << "-123.25 ";
    QTest::newRow("large") << 1.5e10 << " 1.5 E+10 ";
    QTest::newRow("small") << 0.0000012 << " 1.2 E-6 ";
    QTest::newRow("small below a tenth") << 0.00012 << " 1.2 E-4 ";
}

void SimBoardTest::numberFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(basic52sim::formatNumber(value)), text);
}

void SimBoardTest::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("link");
    QTest::addColumn<uint>("baud");
    QTest::addColumn<bool>("burstLoss");
    QTest::newRow("none") << QStringList{} << true << "" << 0u << true;
    QTest::newRow("all") << QStringList{"--link", "/tmp/x", "--baud", "9600", "--no-burst-loss", "--autobaud",
                                        "--log", "l", "--exit-on-eof"}
                         << true << "/tmp/x" << 9600u << false;
    QTest::newRow("with equals") << QStringList{"--link=/tmp/y", "--baud=300"} << true << "/tmp/y" << 300u << true;
    QTest::newRow("baud zero") << QStringList{"--baud", "0"} << false << "" << 0u << true;
    QTest::newRow("baud negative") << QStringList{"--baud", "-9600"} << false << "" << 0u << true;
    QTest::newRow("baud not a number") << QStringList{"--baud", "96k"} << false << "" << 0u << true;
    QTest::newRow("missing value") << QStringList{"--link"} << false << "" << 0u << true;
    QTest::newRow("empty path") << QStringList{"--log="} << false << "" << 0u << true;
    QTest::newRow("value on a switch") << QStringList{"--autobaud=1"} << false << "" << 0u << true;
    QTest::newRow("unknown") << QStringList{"--fast"} << false << "" << 0u << true;
}

void SimBoardTest::options()
{
    QFETCH(QStringList, args);
    QFETCH(bool, valid);
    std::vector<std::string> argv;
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    basic52sim::Options o;
    std::string error;
    QCOMPARE(basic52sim::parseOptions(argv, o, error), valid);
    QCOMPARE(error.empty(), valid);
    if (!valid)
        return;
    QFETCH(QString, link);
    QFETCH(uint, baud);
    QFETCH(bool, burstLoss);
    QCOMPARE(QString::fromStdString(o.linkPath), link);
    QCOMPARE(o.baud, baud);
    QCOMPARE(o.burstLoss, burstLoss);
}

QTEST_GUILESS_MAIN(SimBoardTest)
#include "tst_sim_board.moc"
