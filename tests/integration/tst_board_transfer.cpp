// Programs to and from the controller simulator: one fetched back and sent to it again (the board lists
// the same program both times, so nothing was lost or changed on the way into the editor and out
// again), and lines the board does not take, sent all the same, with what the window says about them.

#include "../terminal/TerminalSession.h"
#include "SimulatorProcess.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// 300 lines of the kinds a program has, with the spacing people type, a few of them out of order.
QStringList program300()
{
    QStringList program;
    for (int k = 1; k <= 300; ++k) {
        const int number = k == 300 ? 65535 : k * 10;
        QString statement;
        switch (k % 6) {
        case 0:
            statement = QStringLiteral("PRINT \"STEP \",%1,  X*%1").arg(k);
            break;
        case 1:
            statement = QStringLiteral("X=X+%1 : Y = Y-1").arg(k % 7);
            break;
        case 2:
            statement = QStringLiteral("IF X>%1 THEN %2 ELSE %3").arg(k).arg(number + 10).arg(number + 20);
            break;
        case 3:
            statement = QStringLiteral("REM   SECTION %1 OF THE PROGRAM   ").arg(k);
            break;
        case 4:
            statement = QStringLiteral("FOR I=1 TO %1 STEP 2 : NEXT I").arg(k);
            break;
        default:
            statement = QStringLiteral("GOSUB %1").arg(number + 100);
            break;
        }
        program.append(QStringLiteral("%1 %2").arg(number).arg(statement));
    }
    program.swapItemsAt(10, 20);
    program.swapItemsAt(100, 250);
    return program;
}

QString listingIn(const QPlainTextEdit* pane)
{
    const QString text = pane->toPlainText();
    return text.mid(text.lastIndexOf(QStringLiteral("LIST\n")));
}

QStringList editorLines(const QPlainTextEdit* editor)
{
    QString text = editor->toPlainText();
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

} // namespace

class BoardTransferTest : public QObject {
    Q_OBJECT

private slots:
    void program300_comesBackAndGoesOutUnchanged();
    void lineTheBoardRefuses_isShownWithItsReason_data();
    void lineTheBoardRefuses_isShownWithItsReason();
};

void BoardTransferTest::program300_comesBackAndGoesOutUnchanged()
{
    SimulatorProcess board;
    const QString device = board.start();
    QVERIFY(device.startsWith(QStringLiteral("/dev/")));
    TerminalSession s;
    pointPort(1, device);
    s.start();
    QPlainTextEdit* pane = s.window->MemoT;
    QPlainTextEdit* editor = s.window->RTF;
    QVERIFY(s.openPort());
    QTRY_VERIFY(pane->toPlainText().endsWith(QStringLiteral("READY\n>")));

    const QStringList program = program300();
    editor->setPlainText(program.join(QLatin1Char('\n')));
    s.action("tbnTransmit")->trigger();
    QVERIFY2(s.prompts.shown.isEmpty(), qPrintable(s.prompts.texts("warning").join(',')));

    // Fetched: the editor's program replaced (without saving it) by the board's.
    s.prompts.answers.enqueue(Prompts::Answer::No);
    s.action("mnuFetch")->trigger();
    QCOMPARE(s.prompts.texts("confirm").size(), 1);
    const QString firstListing = listingIn(pane);
    const QStringList fetched = editorLines(editor);
    QCOMPARE(fetched.size(), 300);
    QList<int> numbers;
    for (const QString& line : program)
        numbers.append(line.section(QLatin1Char(' '), 0, 0).toInt());
    std::sort(numbers.begin(), numbers.end());
    for (int k = 0; k < 300; ++k)
        QCOMPARE(fetched[k].section(QLatin1Char(' '), 0, 0).toInt(), numbers[k]);
    // Every listed line is there, statement for statement.
    QStringList listed = firstListing.split(QLatin1Char('\n'));
    listed.removeIf([](const QString& line) { return line.isEmpty() || !line.front().isDigit(); });
    QCOMPARE(listed.size(), 300);
    for (int k = 0; k < 300; ++k)
        QCOMPARE(listed[k].simplified(), fetched[k].simplified());

    // A board that has forgotten the program gets the fetched one, and lists it as before.
    s.window->PageControl1->setCurrentWidget(s.window->TSheetTerm);
    pane->setFocus();
    QTest::keyClicks(pane, QStringLiteral("NEW"));
    QTest::keyClick(pane, Qt::Key_Return);
    QTRY_VERIFY(pane->toPlainText().contains(QStringLiteral("NEW\n")));
    QTRY_VERIFY(pane->toPlainText().section(QStringLiteral("NEW\n"), -1).contains(QLatin1Char('>')));
    s.action("tbnTransmit")->trigger();
    QVERIFY2(s.prompts.texts("warning").isEmpty(), qPrintable(s.window->StatusBar1->panelText(4)));

    s.prompts.answers.enqueue(Prompts::Answer::No);
    s.action("mnuFetch")->trigger();
    QCOMPARE(listingIn(pane), firstListing);
    QCOMPARE(editorLines(editor), fetched);
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetEd);
    QVERIFY(s.prompts.texts("message").isEmpty());
}

void BoardTransferTest::lineTheBoardRefuses_isShownWithItsReason_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("too long") << QStringLiteral("20 REM %1").arg(QString(85, QLatin1Char('X')))
                              << QStringLiteral("Zeile 2: zu lang (BEL)");
    QTest::newRow("number too large") << QStringLiteral("70000 B=2") << QStringLiteral("Zeile 2: Fehler des Boards");
}

void BoardTransferTest::lineTheBoardRefuses_isShownWithItsReason()
{
    QFETCH(QString, line);
    QFETCH(QString, reason);
    SimulatorProcess board;
    const QString device = board.start();
    QVERIFY(device.startsWith(QStringLiteral("/dev/")));
    TerminalSession s;
    pointPort(1, device);
    s.start();
    QVERIFY(s.openPort());
    QTRY_VERIFY(s.window->MemoT->toPlainText().endsWith(QStringLiteral("READY\n>")));
    s.window->RTF->setPlainText(QStringList{"10 A=1", line, "30 C=3"}.join(QLatin1Char('\n')));

    bool asked = false;
    QTimer::singleShot(0, qApp, [&] {
        if (auto* question = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            asked = true;
            QTest::mouseClick(question->findChild<QPushButton*>(QStringLiteral("btnSend")), Qt::LeftButton);
        }
    });
    s.action("tbnTransmit")->trigger();

    QVERIFY(asked);
    QCOMPARE(s.prompts.texts("warning"), QStringList{"Zeitüberschreitung !"});
    QCOMPARE(s.window->StatusBar1->panelText(4), reason);
    QCOMPARE(s.window->RTF->textCursor().blockNumber(), 1);
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    // The third line never went out.
    QVERIFY(!s.window->MemoT->toPlainText().contains(QStringLiteral("30 C=3")));
}

QTEST_MAIN(BoardTransferTest)
#include "tst_board_transfer.moc"
