// The simulated board's answers byte for byte as the real board gives them, by theme: line length,
// errors, LIST, number formatting, control keys and the sign-on.
#include "SimSession.h"

#include "basic52sim/NumberFormat.h"
#include "basic52sim/Options.h"
#include "basic52sim/Tokeniser.h"

#include <QTest>

using basic52sim::Board;
using simtest::bytes;
using simtest::dashes;
using simtest::Session;

namespace {

const QByteArray kReady = "\r\nREADY\r\n>";

// The answer to a line typed at the prompt that ends in an error.
QByteArray promptError(const QByteArray& line, const QByteArray& message)
{
    return line + "\r\n\r\n\r\nERROR: " + message + kReady;
}

} // namespace

class SimAnswersTest : public QObject {
    Q_OBJECT

private slots:
    // line length
    void lineLength_data();
    void lineLength();
    void lineLength_controlCharactersPastTheLimit();
    void maxLineOption_data();
    void maxLineOption();

    // errors
    void errorAtPrompt_data();
    void errorAtPrompt();
    void errorInProgram_data();
    void errorInProgram();
    void stop_reportsLikeAnErrorAndContinues();

    // LIST
    void listedForm_data();
    void listedForm();
    void listedForm_runsAsTyped();

    // number formatting and PRINT
    void numberFormat_data();
    void numberFormat();
    void print_data();
    void print();

    // control keys
    void controlC_atPrompt();
    void controlD_cancelsWithoutPrompt();
    void controlC_inProgram_reportsAndContinues();

    void signOn_framedAsTheBoard();
};

// ---- line length -----------------------------------------------------------------------------

void SimAnswersTest::lineLength_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("given");
    QTest::newRow("the board's 78 by default") << 78 << false;
    QTest::newRow("a shorter one given") << 20 << true;
}

void SimAnswersTest::lineLength()
{
    QFETCH(int, limit);
    QFETCH(bool, given);
    const auto kept = static_cast<std::size_t>(limit);
    Board::Settings settings;
    if (given)
        settings.maxLine = kept;
    Session s(settings);
    const std::string typed = "PRINT" + std::string(kept - 5, ' ');
    // Everything up to the limit is echoed; each further character is a bell and is dropped.
    QCOMPARE(bytes(s.send(typed)), bytes(typed));
    QCOMPARE(bytes(s.send("123")), QByteArray("\a\a\a"));
    // CR still ends the line, which holds only what was kept: a PRINT of nothing.
    QCOMPARE(bytes(s.send("\r")), QByteArray("\r\n\r\n\r\n>"));
}

void SimAnswersTest::lineLength_controlCharactersPastTheLimit()
{
    // A full line still takes DEL and CR; DEL makes room for one more character.
    Session s;
    const std::string line = "10 REM" + std::string(72, 'A');
    QCOMPARE(s.send(line).size(), std::size_t(78));
    QCOMPARE(bytes(s.send("B\x7f" "C")), QByteArray("\a\b \bC"));
    QCOMPARE(bytes(s.send("\r")), QByteArray("\r\n>"));
    QCOMPARE(s.board.program().lines().at(10).size(), std::size_t(4 + 72));
}

void SimAnswersTest::maxLineOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("limit");
    QTest::newRow("default") << QStringList{} << true << 78;
    QTest::newRow("largest") << QStringList{"--max-line=255"} << true << 255;
    QTest::newRow("too large") << QStringList{"--max-line", "256"} << false << 0;
    QTest::newRow("zero") << QStringList{"--max-line", "0"} << false << 0;
}

void SimAnswersTest::maxLineOption()
{
    QFETCH(QStringList, args);
    QFETCH(bool, valid);
    std::vector<std::string> argv;
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    basic52sim::Options o;
    std::string error;
    QCOMPARE(basic52sim::parseOptions(argv, o, error), valid);
    if (valid) {
        QFETCH(int, limit);
        QCOMPARE(o.maxLine, static_cast<std::size_t>(limit));
        if (args.isEmpty())
            QCOMPARE(o.maxLine, Board::kDefaultMaxLine);
    } else {
        QVERIFY(error.find("--max-line") != std::string::npos);
    }
}

// ---- errors --------------------------------------------------------------------------------------

void SimAnswersTest::errorAtPrompt_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("divide by zero") << QByteArray("PRINT 1/0") << promptError("PRINT 1/0", "DIVIDE BY ZERO");
    QTest::newRow("overflow") << QByteArray("PRINT 1E127") << promptError("PRINT 1E127", "ARITH. OVERFLOW");
    QTest::newRow("overflow of a result")
        << QByteArray("PRINT 9E126*2") << promptError("PRINT 9E126*2", "ARITH. OVERFLOW");
    QTest::newRow("underflow") << QByteArray("PRINT 1E-100/1E28")
                               << promptError("PRINT 1E-100/1E28", "ARITH. UNDERFLOW");
    QTest::newRow("line number above 65535") << QByteArray("65536 A=1") << promptError("65536 A=1", "BAD SYNTAX");
    QTest::newRow("line number 65535 is taken") << QByteArray("65535 A=1") << QByteArray("65535 A=1\r\n>");
    QTest::newRow("jump above 65535") << QByteArray("GOTO 65536") << promptError("GOTO 65536", "BAD SYNTAX");
    QTest::newRow("output before the error") << QByteArray("PRINT 7,1/0")
                                             << QByteArray("PRINT 7,1/0\r\n 7 \r\n\r\nERROR: DIVIDE BY ZERO") + kReady;
}

void SimAnswersTest::errorAtPrompt()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Session s;
    QCOMPARE(bytes(s.send(line.toStdString() + "\r")), answer);
}

void SimAnswersTest::errorInProgram_data()
{
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<QByteArray>("output");
    // RUN, a fresh line, the output, the message with the line number as PRINT shows it, a blank
    // line, the listed line and the marker.
    QTest::newRow("after output")
        << QStringList{"10 PRINT 1", "20 print1/0"}
        << bytes("RUN\r\n\r\n 1 \r\n\r\n\r\nERROR: DIVIDE BY ZERO - IN LINE  20 \r\n\r\n20     PRINT 1/0\r\n" +
                 dashes(14) + "X");
    QTest::newRow("five-digit line number")
        << QStringList{"65535 A=1E99*1E99"}
        << bytes("RUN\r\n\r\n\r\n\r\nERROR: ARITH. OVERFLOW - IN LINE  65535 \r\n\r\n65535  A=1E99*1E99\r\n" +
                 dashes(13) + "X");
    QTest::newRow("underflow")
        << QStringList{"10 A=1E-99/1E99"}
        << bytes("RUN\r\n\r\n\r\n\r\nERROR: ARITH. UNDERFLOW - IN LINE  10 \r\n\r\n10     A=1E-99/1E99\r\n" +
                 dashes(14) + "X");
    QTest::newRow("jump above 65535")
        << QStringList{"10 GOTO 70000"}
        << bytes("RUN\r\n\r\n\r\n\r\nERROR: BAD SYNTAX - IN LINE  10 \r\n\r\n10     GOTO 70000\r\n" + dashes(17) +
                 "X");
}

void SimAnswersTest::errorInProgram()
{
    QFETCH(QStringList, program);
    QFETCH(QByteArray, output);
    Session s;
    s.enter(program);
    QCOMPARE(bytes(s.send("RUN\r")), output + kReady);
}

void SimAnswersTest::stop_reportsLikeAnErrorAndContinues()
{
    Session s;
    s.enter({"10 PRINT 1:stop:PRINT 2", "20 PRINT 3"});
    QCOMPARE(bytes(s.send("RUN\r")), bytes("RUN\r\n\r\n 1 \r\n\r\n\r\nSTOP - IN LINE  10 \r\n\r\n"
                                           "10     PRINT 1 :  STOP  :  PRINT 2\r\n" +
                                           dashes(7 + 15) + "X") +
                                         kReady);
    QCOMPARE(bytes(s.send("CONT\r")), QByteArray("CONT\r\n 2 \r\n 3 \r\n") + kReady);
}

// ---- LIST ----------------------------------------------------------------------------------------

void SimAnswersTest::listedForm_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("listed");
    QTest::newRow("keywords spaced by the board")
        << QByteArray("for j=1to 2:print\"j\";j:next j") << QByteArray("FOR J=1 TO 2 :  PRINT \"j\";J :  NEXT J");
    QTest::newRow("blanks dropped") << QByteArray("a = b + 1") << QByteArray("A=B+1");
    QTest::newRow("strings kept") << QByteArray("print \"a  b\",x") << QByteArray("PRINT \"a  b\",X");
    QTest::newRow("open string kept") << QByteArray("print \"ab ") << QByteArray("PRINT \"ab ");
    QTest::newRow("REM text kept") << QByteArray("rem  Mixed Case : here") << QByteArray("REM Mixed Case : here");
    QTest::newRow("trailing blank after END") << QByteArray("end") << QByteArray("END ");
    QTest::newRow("trailing blank after RETURN") << QByteArray("return") << QByteArray("RETURN ");
    QTest::newRow("statement after THEN")
        << QByteArray("if a>3 then print a else print b") << QByteArray("IF A>3 THEN  PRINT A ELSE  PRINT B");
    QTest::newRow("line number after THEN") << QByteArray("if a then 40 else 50")
                                            << QByteArray("IF A THEN 40 ELSE 50");
    QTest::newRow("glued keywords") << QByteArray("fori=1to9step2") << QByteArray("FOR I=1 TO 9 STEP 2");
    QTest::newRow("name that begins with a keyword") << QByteArray("a=total") << QByteArray("A= TO TAL");
    QTest::newRow("P. is PRINT") << QByteArray("p.5") << QByteArray("PRINT 5");
    QTest::newRow("functions and operators") << QByteArray("a=int(x).and.0ffh")
                                             << QByteArray("A=INT(X).AND.0FFH");
    QTest::newRow("ON ... GOTO") << QByteArray("on x goto 10,20") << QByteArray("ON X GOTO 10,20");
}

void SimAnswersTest::listedForm()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, listed);
    QCOMPARE(bytes(basic52sim::storedForm(typed.toStdString())), listed);
    // And through the board: the echo is what was typed, LIST shows the stored form.
    Session s;
    QCOMPARE(bytes(s.send("15 " + typed.toStdString() + "\r")), "15 " + typed + "\r\n>");
    QCOMPARE(bytes(s.send("LIST\r")), "LIST\r\n15     " + listed + "\r\n" + kReady);
}

void SimAnswersTest::listedForm_runsAsTyped()
{
    // The stored form is what runs: the same line typed compactly and spaced out lists and runs alike.
    const QStringList layouts[] = {
        {"10 fori=1to3:ifi=2thenprinti*10,elseprinti,", "20 nexti"},
        {"10 FOR I = 1 TO 3 : IF I = 2 THEN PRINT I * 10 , ELSE PRINT I ,", "20 NEXT I"},
    };
    for (const QStringList& program : layouts) {
        Session s;
        s.enter(program);
        QCOMPARE(bytes(s.send("LIST\r")), "LIST\r\n10     FOR I=1 TO 3 :  IF I=2 THEN  PRINT I*10, ELSE  PRINT I,\r\n"
                                          "20     NEXT I\r\n" +
                                              kReady);
        QCOMPARE(bytes(s.send("RUN\r")), "RUN\r\n\r\n 1  20  3 " + kReady);
    }
}

// ---- number formatting and PRINT -------------------------------------------------------------

void SimAnswersTest::numberFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    // The observed examples are pinned through PRINT below; these are the edges of the plain range.
    QTest::newRow("a tenth is plain") << 0.1 << " .1 ";
    QTest::newRow("just below a tenth") << 0.099999999 << " 9.9999999 E-2 ";
    QTest::newRow("largest plain") << 99999999.0 << " 99999999 ";
    QTest::newRow("rounds up out of plain") << 99999999.6 << " 1.0 E+8 ";
    QTest::newRow("negative plain") << -0.25 << "-.25 ";
    QTest::newRow("largest number") << 9.9999999e126 << " 9.9999999 E+126 ";
    QTest::newRow("smallest number") << 1e-127 << " 1.0 E-127 ";
}

void SimAnswersTest::numberFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(basic52sim::formatNumber(value)), text);
}

void SimAnswersTest::print_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("comma between numbers") << QByteArray("PRINT 1,2,3") << QByteArray(" 1  2  3 \r\n\r\n>");
    QTest::newRow("comma between strings and numbers")
        << QByteArray("PRINT \"A\",1,\"B\"") << QByteArray("A 1 B\r\n\r\n>");
    QTest::newRow("comma at the end keeps the line")
        << QByteArray("FOR I=1 TO 2:PRINT I,:NEXT I:PRINT \"X\"") << QByteArray(" 1  2 X\r\n\r\n>");
    QTest::newRow("exponent forms") << QByteArray("PRINT 1E10,1.234E-5,-1E-3,123456789")
                                    << QByteArray(" 1.0 E+10  1.234 E-5 -1.0 E-3  1.2345679 E+8 \r\n\r\n>");
    QTest::newRow("the ends of the range are numbers") << QByteArray("PRINT 9.9999999E126,-1E-127")
                                                       << QByteArray(" 9.9999999 E+126 -1.0 E-127 \r\n\r\n>");
    QTest::newRow("semicolon") << QByteArray("PRINT 1;2")
                               << QByteArray(" 1 \r\n\r\nERROR: BAD SYNTAX") + kReady;
    QTest::newRow("semicolon at the end") << QByteArray("PRINT 1;")
                                          << QByteArray(" 1 \r\n\r\nERROR: BAD SYNTAX") + kReady;
    QTest::newRow("unclosed string") << QByteArray("PRINT \"HELLO")
                                     << QByteArray("HELLO\r\n\r\nERROR: BAD SYNTAX") + kReady;
    QTest::newRow(".AND.") << QByteArray("PRINT 12.AND.10") << QByteArray(" 8 \r\n\r\n>");
    QTest::newRow(".OR.") << QByteArray("PRINT 12 .OR. 10") << QByteArray(" 14 \r\n\r\n>");
    QTest::newRow(".XOR.") << QByteArray("PRINT 12.XOR.10") << QByteArray(" 6 \r\n\r\n>");
    QTest::newRow("fraction before .AND.") << QByteArray("PRINT 12.5.AND.10") << QByteArray(" 8 \r\n\r\n>");
}

void SimAnswersTest::print()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Session s;
    QCOMPARE(bytes(s.send(line.toStdString() + "\r")), line + "\r\n" + answer);
}

// ---- control keys ----------------------------------------------------------------------------

void SimAnswersTest::controlC_atPrompt()
{
    Session s;
    QCOMPARE(bytes(s.send("\x03")), QByteArray("\r\n\r\nREADY\r\n>"));
    // A half-typed line is gone with it.
    QCOMPARE(bytes(s.send("10 A=1")), QByteArray("10 A=1"));
    QCOMPARE(bytes(s.send("\x03")), QByteArray("\r\n\r\nREADY\r\n>"));
    QCOMPARE(bytes(s.send("\r")), QByteArray("\r\n\r\n>"));
    QVERIFY(s.board.program().empty());
}

void SimAnswersTest::controlD_cancelsWithoutPrompt()
{
    Session s;
    QCOMPARE(bytes(s.send("10 A=1\x04")), QByteArray("10 A=1\r\n"));
    QVERIFY(s.board.program().empty());
    QCOMPARE(bytes(s.send("20 B=2\r")), QByteArray("20 B=2\r\n>"));
    QCOMPARE(s.board.program().lines().size(), std::size_t(1));
}

void SimAnswersTest::controlC_inProgram_reportsAndContinues()
{
    Session s;
    s.enter({"10 A=A+1", "20 IF A<5 THEN 10", "30 PRINT A"});
    s.board.receive("RUN\r");
    QCOMPARE(bytes(s.board.takeOutput()), QByteArray("RUN\r\n\r\n"));
    // Line 10, on to 20, back to 10, line 10 again, on to 20: it stands at the start of line 20.
    s.board.run(5);
    s.board.receive("\x03");
    QVERIFY(!s.board.running());
    QCOMPARE(bytes(s.board.takeOutput()),
             bytes("\r\n\r\nSTOP - IN LINE  20 \r\n\r\n20     IF A<5 THEN 10\r\n" + dashes(7) + "X") + kReady);
    s.board.answerSent();
    QCOMPARE(s.board.interpreter().variable("A"), 2.0);
    QCOMPARE(bytes(s.send("CONT\r")), QByteArray("CONT\r\n 5 \r\n") + kReady);
}

void SimAnswersTest::signOn_framedAsTheBoard()
{
    Board board(Board::Settings{});
    board.powerOn();
    // Our own text, so that nobody takes the simulator for a board, in the board's frame.
    QCOMPARE(bytes(board.takeOutput()), QByteArray("\r\n*8052AH-BASIC V1.1 simulator*\r\nREADY\r\n>"));
}

QTEST_GUILESS_MAIN(SimAnswersTest)
#include "tst_sim_answers.moc"
