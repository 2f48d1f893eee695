// A whole session with the controller simulator on COM1: open the port, send a program, list it back
// and run it, and read the dialogue in the terminal pane.

#include "../terminal/TerminalSession.h"
#include "SimulatorProcess.h"

#include "app/TfrmTerminal.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/TfrmFTaste.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

// Squares in a FOR loop through a subroutine, a sum, a countdown with STEP -1, a loop made with IF
// and a jump back, and two more subroutines.
const QStringList Program = {
    "10 REM SQUARES AND SUMS", "20 PRINT \"TABLE\"", "30 S=0", "40 FOR I=1 TO 5", "50 GOSUB 200",
    "60 S=S+Q", "70 NEXT I", "80 PRINT \"SUM\",S", "90 GOSUB 300", "100 FOR J=3 TO 1 STEP -1",
    "110 PRINT J,", "120 NEXT J", "130 PRINT", "140 N=0", "150 N=N+1",
    "160 IF N<3 THEN 150", "170 PRINT \"N=\",N", "180 GOSUB 400", "190 END", "200 REM SQUARE OF I",
    "210 Q=I*I", "220 PRINT I,Q", "230 RETURN", "300 REM DOUBLE THE SUM", "310 D=S*2",
    "320 PRINT \"DOUBLE\",D", "330 RETURN", "400 REM DONE", "410 PRINT \"DONE\"", "420 RETURN",
};

// What the program prints: numbers with a sign place and a trailing space; a comma only separates
// (and at the end keeps the line open), as on the board.
const QString RunOutput = QStringLiteral("TABLE\n"
                                         " 1  1 \n"
                                         " 2  4 \n"
                                         " 3  9 \n"
                                         " 4  16 \n"
                                         " 5  25 \n"
                                         "SUM 55 \n"
                                         "DOUBLE 110 \n"
                                         " 3  2  1 \n"
                                         "N= 3 \n"
                                         "DONE\n");

} // namespace

class WholeFlowTest : public QObject {
    Q_OBJECT

private slots:
    void openSendListRun();
};

void WholeFlowTest::openSendListRun()
{
    SimulatorProcess board;
    const QString device = board.start();
    QVERIFY(device.startsWith(QStringLiteral("/dev/")));
    TerminalSession s;
    pointPort(1, device);
    s.start();
    QPlainTextEdit* pane = s.window->MemoT;

    QVERIFY(s.openPort());
    QString expected = QStringLiteral("\n*8052AH-BASIC V1.1 simulator*\nREADY\n>");
    QTRY_COMPARE(pane->toPlainText(), expected);

    s.window->RTF->setPlainText(Program.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    s.action("tbnTransmit")->trigger();
    QVERIFY(s.prompts.shown.isEmpty());
    for (const QString& line : Program)
        expected += line + QStringLiteral("\n>");
    QCOMPARE(pane->toPlainText(), expected);

    // LIST typed at the prompt; the board's echo shows it. The lines are typed as the board lists
    // them, but for the blank the board writes after a statement word that ends a line.
    pane->setFocus();
    QTest::keyClicks(pane, QStringLiteral("LIST"));
    QTest::keyClick(pane, Qt::Key_Return);
    expected += QStringLiteral("LIST\n");
    for (const QString& line : Program) {
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        const QString text = line.mid(space + 1);
        const bool bareWord = QStringList{"END", "RETURN", "PRINT"}.contains(text);
        expected += line.left(space).leftJustified(7) + text + (bareWord ? QStringLiteral(" ") : QString()) +
                    QLatin1Char('\n');
    }
    expected += QStringLiteral("\nREADY\n>");
    QTRY_COMPARE_WITH_TIMEOUT(pane->toPlainText(), expected, 10000);

    // RUN from the function-key window.
    s.action("mnuFTasten")->trigger();
    QTest::mouseClick(s.keys->BitBtnF5, Qt::LeftButton);
    expected += QStringLiteral("RUN\n\n") + RunOutput + QStringLiteral("\nREADY\n>");
    QTRY_COMPARE_WITH_TIMEOUT(pane->toPlainText(), expected, 10000);

    s.action("tbnCommClose")->trigger();
    QVERIFY(!GlobVar::PortOpen);
    QVERIFY(s.prompts.shown.isEmpty());
}

QTEST_MAIN(WholeFlowTest)
#include "tst_wholeflow.moc"
