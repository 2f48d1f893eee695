// The terminal page when the port fails: a device that goes away, with and without a transmission
// running, and writes the port refuses. The window tells the user and goes on.

#include "LinePeer.h"
#include "TerminalSession.h"

#include "app/TfrmTerminal.h"
#include "platform/HandOver.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/TfrmFTaste.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace GlobVar;

namespace {

const QString kBufferFull = QStringLiteral("Output buffer is full. Please check comm status.");

QList<bool> buttonStates(const TerminalSession& s)
{
    return {s.action("tbnCommOpen")->isEnabled(), s.action("tbnCommClose")->isEnabled(),
            s.action("tbnTransmit")->isEnabled(), s.action("tbnBreak")->isEnabled(), PortOpen};
}

const QList<bool> kClosed{true, false, false, false, false};

// Fills the transmit buffer (4 bytes) while the writer waits for this thread to take the
// transmit-empty event of its last write, which nothing here serves until the next wait.
void fillWhileWriterWaits(TerminalSession& s)
{
    QVERIFY(s.window->SerComm1->WriteString("ab"));
    QCOMPARE(s.pty.read(2, 3000), QByteArray("ab"));
    for (int i = 0; i < 3000 && HandOver::pendingCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QCOMPARE(HandOver::pendingCount(), 1);
    QVERIFY(s.window->SerComm1->WriteString("cdef"));
}

// The port's own words for the loss, on the message's first line.
bool isLossLine(const QString& line)
{
    static const QRegularExpression loss(QStringLiteral("^(Read|Write) error \\(5\\), .+$"));
    return loss.match(line).hasMatch();
}

} // namespace

class PortFailureTest : public QObject {
    Q_OBJECT

private slots:
    void lostDevice_closesThePortAndNamesIt_data();
    void lostDevice_closesThePortAndNamesIt();
    void lostDuringTransmission_endsAtItsLine();
    void refusedWrites_areShownAndTheWindowGoesOn();
    void received_isGatheredWhileTheWindowGoesOn();
};

void PortFailureTest::lostDevice_closesThePortAndNamesIt_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("closedLine");
    QTest::newRow("German") << 1 << QStringLiteral("COM1 (%1) wurde geschlossen.");
    QTest::newRow("English") << 2 << QStringLiteral("COM1 (%1) has been closed.");
}

void PortFailureTest::lostDevice_closesThePortAndNamesIt()
{
    QFETCH(int, language);
    QFETCH(QString, closedLine);
    TerminalSession s;
    Language = language;
    s.start();
    QVERIFY(s.openPort());
    const QString path = s.pty.slavePath();
    s.receive("READY\r\n>");

    s.pty.closeMaster(); // the far end goes away: the port reads EIO
    QTRY_COMPARE(s.prompts.texts(QStringLiteral("message")).size(), 1);
    const QStringList lines = s.prompts.texts(QStringLiteral("message")).first().split(u'\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(isLossLine(lines[0]), qPrintable(lines[0]));
    QCOMPARE(lines[1], closedLine.arg(path));
    // The toolbar shows the truth: the port is closed and can be opened again.
    QCOMPARE(buttonStates(s), kClosed);
    QVERIFY(!s.window->SerComm1->IsOpen());
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>"));

    // Nothing more is said; typed keys go to a closed port.
    QTest::keyClicks(s.window->MemoT, QStringLiteral("AB"));
    QTest::qWait(200);
    QCOMPARE(s.prompts.shown.size(), 1);
}

void PortFailureTest::lostDuringTransmission_endsAtItsLine()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n20 B=2\n30 PRINT A+B\n40 END"));
    const QString path = s.pty.slavePath();
    {
        // The board answers two lines; at the third its adapter is pulled out.
        LinePeer peer(s.pty.master(), [&s](const QByteArray& line) -> LinePeer::Reply {
            if (!line.startsWith("30"))
                return LinePeer::echo(line);
            s.pty.closeMaster();
            return {QByteArray(), std::chrono::milliseconds(0)};
        });
        s.action("tbnTransmit")->trigger();
    }
    // One message says it all, and no time-out is waited for.
    QCOMPARE(s.prompts.texts(QStringLiteral("warning")), QStringList());
    QTRY_COMPARE(s.prompts.texts(QStringLiteral("message")).size(), 1);
    const QStringList lines = s.prompts.texts(QStringLiteral("message")).first().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(isLossLine(lines[0]), qPrintable(lines[0]));
    QCOMPARE(lines[1], QStringLiteral("COM1 (%1) wurde geschlossen.").arg(path));
    QCOMPARE(lines[2], QStringLiteral("Die Übertragung endete in Zeile 3: 30 PRINT A+B"));
    QCOMPARE(buttonStates(s), kClosed);
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("10 A=1\n>20 B=2\n>"));
    QTest::qWait(200);
    QCOMPARE(s.prompts.shown.size(), 1);
}

void PortFailureTest::refusedWrites_areShownAndTheWindowGoesOn()
{
    TerminalSession s;
    s.start();
    s.window->SerComm1->Buffers().SetWriteSize(4);
    s.window->SerComm1->Buffers().SetWriteTimeout(100);
    QVERIFY(s.openPort());

    // A key typed while the transmit buffer is full.
    fillWhileWriterWaits(s);
    QTest::sendKeyEvent(QTest::Press, s.window->MemoT, Qt::Key_X, QStringLiteral("x"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, s.window->MemoT, Qt::Key_X, QStringLiteral("x"), Qt::NoModifier);
    QCOMPARE(s.prompts.texts(QStringLiteral("message")), QStringList{kBufferFull});
    QCOMPARE(s.sentExactly(4), QByteArray("cdef"));

    // RUN fits, LIST does not: the function-key window says so and goes on.
    s.action("mnuFTasten")->trigger();
    s.keys->BitBtnF6->click();
    QCOMPARE(s.prompts.texts(QStringLiteral("message")).size(), 2);
    s.keys->BitBtnF5->click();
    QCOMPARE(s.sentExactly(4), QByteArray("RUN\r"));

    // Control C from the toolbar and Alt+C, and a transmission whose line does not fit.
    fillWhileWriterWaits(s);
    s.action("tbnBreak")->trigger();
    QTest::sendKeyEvent(QTest::Release, s.window->MemoT, Qt::Key_C, QStringLiteral("c"), Qt::AltModifier);
    QCOMPARE(s.prompts.texts(QStringLiteral("message")).size(), 4);
    QCOMPARE(s.sentExactly(4), QByteArray("cdef"));
    s.window->RTF->setPlainText(QStringLiteral("10 PRINT 1"));
    s.action("tbnTransmit")->trigger();
    QCOMPARE(s.prompts.texts(QStringLiteral("message")), QStringList(5, kBufferFull));

    // The event loop went on throughout: a typed key still reaches the board.
    QTest::keyClick(s.window->MemoT, Qt::Key_Y);
    QCOMPARE(s.sentExactly(1), QByteArray("y"));
    QVERIFY(PortOpen);
}

void PortFailureTest::received_isGatheredWhileTheWindowGoesOn()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    auto* gather = s.window->findChild<QTimer*>(QStringLiteral("tmrGather"));
    QVERIFY(gather);
    // The announcement starts the gathering and returns: this test's own waiting runs meanwhile and
    // sees the text not yet shown, then shown.
    s.pty.write("READY\r\n>");
    QTRY_VERIFY(gather->isActive() && s.window->MemoT->toPlainText().isEmpty());
    QTRY_COMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>"));
    QVERIFY(!gather->isActive());
}

QTEST_MAIN(PortFailureTest)
#include "tst_portfailure.moc"
