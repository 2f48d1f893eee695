// Sending the editor's program from the toolbar, with the controller played from its own thread.

#include "LinePeer.h"
#include "TerminalSession.h"

#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "serial/SerThreads.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace GlobVar;
using namespace std::chrono_literals;

class TransmissionUiTest : public QObject {
    Q_OBJECT

private slots:
    void program_isSentLineByLineAndShownAsEchoed();
    void nothingToSend_onlyBringsTheTerminalForward_data();
    void nothingToSend_onlyBringsTheTerminalForward();
    void portClosedBetweenLines_endsWithTheTimeout();
    void wrongAnswer_isDroppedAndStopsTheProgram();
    void window_paintsAgainAfterAFastTransmission();
    void lateTransmitEmptyHandOver_doesNotHoldUpTheNextLine();
};

void TransmissionUiTest::program_isSentLineByLineAndShownAsEchoed()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    // The controller takes its time with the first line; the second must wait for it.
    LinePeer peer(s.pty.master(), [](const QByteArray& line) {
        LinePeer::Reply reply = LinePeer::echo(line);
        if (line.startsWith("10"))
            reply.delay = 300ms;
        return reply;
    });
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n\n20 PRINT A\n"));
    s.window->MemoT->setPlainText(QStringLiteral(">"));
    s.window->MemoT->moveCursor(QTextCursor::End);
    s.window->PageControl1->setCurrentWidget(s.window->TSheetEd);

    s.action("tbnTransmit")->trigger();

    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral(">10 A=1\n>\n\n>20 PRINT A\n>"));
    QCOMPARE(peer.received(), QByteArray("10 A=1\r\r20 PRINT A\r"));
    const std::vector<LinePeer::Event> events = peer.events();
    QCOMPARE(events.size(), size_t(6));
    for (size_t i = 0; i + 1 < events.size(); ++i)
        QVERIFY2(events[i].at <= events[i + 1].at && events[i].fromProgram == (i % 2 == 0), "line, answer, line ...");
    QVERIFY(s.prompts.shown.isEmpty());
    // The editor is untouched and the port stays open.
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1\n\n20 PRINT A\n"));
    QVERIFY(PortOpen);
}

void TransmissionUiTest::nothingToSend_onlyBringsTheTerminalForward_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("program");
    QTest::newRow("empty editor") << true << QString();
    QTest::newRow("port closed") << false << QStringLiteral("10 A=1\n");
}

void TransmissionUiTest::nothingToSend_onlyBringsTheTerminalForward()
{
    QFETCH(bool, portOpen);
    QFETCH(QString, program);
    TerminalSession s;
    s.start();
    if (portOpen)
        QVERIFY(s.openPort());
    s.window->RTF->setPlainText(program);
    s.window->PageControl1->setCurrentWidget(s.window->TSheetEd);
    // The button is only enabled while the port is open; the command itself checks again.
    s.window->tbnTransmitClick();
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    QCOMPARE(s.sentUntilQuiet(200), QByteArray());
    QVERIFY(s.prompts.shown.isEmpty());
    QVERIFY(s.window->MemoT->toPlainText().isEmpty());
}

void TransmissionUiTest::portClosedBetweenLines_endsWithTheTimeout()
{
    TerminalSession s;
    Language = 2;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n20 B=2\n30 C=3"));
    // Runs at the first pass of the window's events, which comes after the first line.
    QTimer::singleShot(0, s.window.get(), [&] { s.action("tbnCommClose")->trigger(); });
    QElapsedTimer clock;
    clock.start();
    s.action("tbnTransmit")->trigger();
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 4000 && elapsed < 9000, qPrintable(QString::number(elapsed)));
    QCOMPARE(s.prompts.texts("warning"), QStringList{QStringLiteral("Timeout !")});
    QCOMPARE(s.prompts.shown.first().caption, QStringLiteral("Warnung"));
    QCOMPARE(peer.received(), QByteArray("10 A=1\r"));
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("10 A=1\n>"));
    QVERIFY(!PortOpen);
}

void TransmissionUiTest::wrongAnswer_isDroppedAndStopsTheProgram()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    // The second line is answered with one prompt too many.
    LinePeer peer(s.pty.master(), [](const QByteArray& line) {
        LinePeer::Reply reply = LinePeer::echo(line);
        if (line.startsWith("20"))
            reply.bytes += '>';
        return reply;
    });
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n20 B=2\n30 C=3\n"));
    s.action("tbnTransmit")->trigger();
    QCOMPARE(s.prompts.texts("warning"), QStringList{QStringLiteral("Zeitüberschreitung !")});
    QCOMPARE(peer.received(), QByteArray("10 A=1\r20 B=2\r"));
    // The dropped answer does not come back through the received-text display either.
    QTest::qWait(300);
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("10 A=1\n>"));
}


namespace {

class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

void TransmissionUiTest::window_paintsAgainAfterAFastTransmission()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    QStringList program;
    for (int k = 1; k <= 60; ++k)
        program.append(QStringLiteral("%1 PRINT %1").arg(k * 10));
    s.window->RTF->setPlainText(program.join(QLatin1Char('\n')));
    // Lines answered faster than frames: repaints are held back while the program is sent.
    s.action("tbnTransmit")->trigger();
    QVERIFY2(s.prompts.shown.isEmpty(), qPrintable(s.prompts.texts("warning").join(',')));
    // A repaint held back at the end is not lost, and the window goes on painting what changes.
    PaintCounter counter;
    s.window->MemoT->viewport()->installEventFilter(&counter);
    s.window->MemoT->viewport()->update();
    QTRY_VERIFY(counter.paints > 0);
}

void TransmissionUiTest::lateTransmitEmptyHandOver_doesNotHoldUpTheNextLine()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n20 B=2\n30 C=3\n40 D=4"));
    // The writer is slow to hand over the end of each write: the answer is back before it.
    TSerCommWriteThread::SetHandOverDelayForTests(40);
    QElapsedTimer clock;
    clock.start();
    s.action("tbnTransmit")->trigger();
    TSerCommWriteThread::SetHandOverDelayForTests(0);
    QVERIFY2(s.prompts.shown.isEmpty(), qPrintable(s.prompts.texts("warning").join(',')));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(peer.received(), QByteArray("10 A=1\r20 B=2\r30 C=3\r40 D=4\r"));
}

QTEST_MAIN(TransmissionUiTest)
#include "tst_transmission_ui.moc"
