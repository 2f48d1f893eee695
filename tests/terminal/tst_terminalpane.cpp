// The terminal pane as the board's transcript (text at the end, the view following it, the line
// limit), the keyboard focus, and what the user is told about the port.

#include "TerminalSession.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "terminal/TerminalPane.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>

#include <sys/fsuid.h>
#include <unistd.h>

using namespace GlobVar;

namespace {

void placeCaret(QPlainTextEdit* pane, int position, int anchor = -1)
{
    QTextCursor caret = pane->textCursor();
    caret.setPosition(anchor < 0 ? position : anchor);
    if (anchor >= 0)
        caret.setPosition(position, QTextCursor::KeepAnchor);
    pane->setTextCursor(caret);
}

QByteArray numberedLines(int from, int to)
{
    QByteArray out;
    for (int n = from; n <= to; ++n)
        out += "LINE " + QByteArray::number(n) + "\r\n";
    return out;
}

bool showsEnd(QPlainTextEdit* pane)
{
    const QScrollBar* bar = pane->verticalScrollBar();
    return bar->value() == bar->maximum();
}

// Opens files as another user for as long as it lives, so that a root test run meets the access
// checks a user meets. Only the file-system identity of this thread changes.
class AsOtherUser final {
public:
    AsOtherUser() : m_before(::setfsuid(65534)) {}
    ~AsOtherUser() { ::setfsuid(uid_t(m_before)); }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;
    bool active() const { return ::setfsuid(uid_t(-1)) == 65534; }

private:
    int m_before;
};

} // namespace

class TerminalPaneTest : public QObject {
    Q_OBJECT

private slots:
    void endRules_data();
    void endRules();

    void longLine_isShownInPiecesOfBlockChars();
    void echoAndBackspace_actAtTheEndAndKeepTheSelection();
    void view_followsTheEndUntilTheUserScrollsUp();

    void lineLimit_andNoUndo_fromTheSettings();

    void failingOpen_warnsInTheLanguageAndKeepsTheButtons();
    void deniedAccess_addsTheGroupHint();
    void portPanel_namesTheDevice();

    void focus_returnsToThePaneAfterMenuPageAndOpen();
    void applyPortSettings_leavesTheButtonsClosed();
};

void TerminalPaneTest::endRules_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("steps"); // "r:" received, "t:" typed, "bs" backspace
    QTest::addColumn<QString>("after");

    QTest::newRow("split CR LF is one break") << "" << QStringList{"r:READY\r", "r:\n>"} << "READY\n>";
    QTest::newRow("LF alone is a break") << ">" << QStringList{"r:\n"} << ">\n";
    QTest::newRow("echo between CR and LF") << "" << QStringList{"r:A\r", "t:x", "r:\n"} << "A\nx\n";
    QTest::newRow("CR erased before LF") << "" << QStringList{"r:A\r", "bs", "r:\n"} << "A\n";
    QTest::newRow("backspace keeps the prompt") << "READY\n>" << QStringList{"bs"} << "READY\n>";
    QTest::newRow("backspace after the prompt") << "READY\n>AB" << QStringList{"bs", "bs", "bs"} << "READY\n>";
    QTest::newRow("backspace on an empty line joins") << "READY\n" << QStringList{"bs"} << "READY";
    QTest::newRow("backspace in an empty pane") << "" << QStringList{"bs"} << "";
}

void TerminalPaneTest::endRules()
{
    QFETCH(QString, before);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    QPlainTextEdit edit;
    auto* pane = new TerminalPane(&edit);
    edit.setPlainText(before);
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1String("r:")))
            pane->appendReceived(step.mid(2));
        else if (step.startsWith(QLatin1String("t:")))
            pane->appendTyped(step.mid(2));
        else
            pane->eraseLast();
    }
    QCOMPARE(edit.toPlainText(), after);
}

void TerminalPaneTest::longLine_isShownInPiecesOfBlockChars()
{
    constexpr int B = TerminalPane::BlockChars;
    QPlainTextEdit edit;
    auto* pane = new TerminalPane(&edit);
    auto lengths = [&] {
        QList<int> out;
        for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next())
            out.append(b.length() - 1);
        return out;
    };
    // A run without line ends goes on in a new piece once its piece is full, over several chunks.
    pane->appendReceived(QStringLiteral(">"));
    pane->appendReceived(QString(2 * B + 100, u'x'));
    QCOMPARE(lengths(), (QList<int>{B, B, 101}));
    pane->appendReceived(QString(B, u'y'));
    QCOMPARE(lengths(), (QList<int>{B, B, B, 101}));
    pane->appendTyped(QStringLiteral("z"));
    QCOMPARE(lengths(), (QList<int>{B, B, B, 102}));
    // A line of exactly one piece ends without an empty piece; line ends start afresh.
    pane->appendReceived(QString(B - 102, u'w') + QStringLiteral("\r\n") + QString(B, u'v') + QStringLiteral("\r\n>"));
    QCOMPARE(lengths(), (QList<int>{B, B, B, B, B, 1}));
    // Nothing is lost or changed but the breaks between the pieces.
    const QString expected = QStringLiteral(">") + QString(2 * B + 100, u'x') + QString(B, u'y') + QStringLiteral("z") +
                             QString(B - 102, u'w') + QString(B, u'v') + QStringLiteral(">");
    QCOMPARE(edit.toPlainText().remove(u'\n'), expected);
}

void TerminalPaneTest::echoAndBackspace_actAtTheEndAndKeepTheSelection()
{
    TerminalSession s;
    s.start();
    s.action("mnuEcho")->trigger();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    s.receive("READY\r\n>");
    placeCaret(pane, 5, 0); // "READY" selected
    QTest::keyClicks(pane, QStringLiteral("AB"));
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>AB"));
    auto backspace = [&] {
        QTest::sendKeyEvent(QTest::Press, pane, Qt::Key_Backspace, QStringLiteral("\b"), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, pane, Qt::Key_Backspace, QStringLiteral("\b"), Qt::NoModifier);
    };
    backspace();
    backspace();
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>"));
    // The last line holds the prompt only: it stays.
    backspace();
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>"));
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("READY"));
    QCOMPARE(s.sent(5), QByteArray("AB\x7f\x7f\x7f"));
}

void TerminalPaneTest::view_followsTheEndUntilTheUserScrollsUp()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    QScrollBar* bar = pane->verticalScrollBar();
    s.pty.write(numberedLines(1, 50) + ">");
    QTRY_COMPARE(pane->document()->lastBlock().text(), QStringLiteral(">"));
    QVERIFY(bar->maximum() > 0);
    QVERIFY(showsEnd(pane));
    QVERIFY(pane->cursorForPosition(QPoint(0, 0)).blockNumber() > 0);

    // A click into the output on screen does not hold the view back.
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(pane->textCursor().blockNumber() < 50);
    s.pty.write(numberedLines(51, 60));
    QTRY_COMPARE(pane->document()->lastBlock().text(), QString());
    QVERIFY(showsEnd(pane));

    // Scrolled up, the view stays where the user put it ...
    bar->setValue(5);
    s.pty.write(numberedLines(61, 70));
    QTRY_COMPARE(pane->document()->lastBlock().previous().text(), QStringLiteral("LINE 70"));
    QCOMPARE(bar->value(), 5);
    // ... until the user scrolls back to the end.
    bar->setValue(bar->maximum());
    s.pty.write(numberedLines(71, 80));
    QTRY_COMPARE(pane->document()->lastBlock().previous().text(), QStringLiteral("LINE 80"));
    QVERIFY(showsEnd(pane));
    // Ctrl+End scrolls only as far as the last line needs, which may be short of the bar's end.
    bar->setValue(5);
    QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
    s.pty.write(numberedLines(81, 90));
    QTRY_COMPARE(pane->document()->lastBlock().previous().text(), QStringLiteral("LINE 90"));
    QVERIFY(showsEnd(pane));
}

void TerminalPaneTest::lineLimit_andNoUndo_fromTheSettings()
{
    {
        // Built in: 100,000 lines. A first start, and a close that changed nothing, write no value.
        TerminalSession s;
        s.start();
        QVERIFY(!s.window->MemoT->isUndoRedoEnabled());
        QCOMPARE(s.window->MemoT->maximumBlockCount(), 100000);
        s.window->SaveSettings();
        TRegistry reg;
        QVERIFY(reg.OpenKey(SettingsKey, false));
        QVERIFY(!reg.ValueExists(QStringLiteral("TerminalMaxLines")));
    }
    ResetGlobals();
    TerminalSession s;
    {
        TfrmTerminal firstStart; // writes the defaults
        TRegistry reg;
        QVERIFY(reg.OpenKey(SettingsKey, false));
        reg.WriteInteger(QStringLiteral("TerminalMaxLines"), 3);
    }
    ResetGlobals();
    s.start();
    QCOMPARE(TerminalMaxLines, 3);
    QVERIFY(s.openPort());
    s.pty.write(numberedLines(1, 5) + ">");
    QTRY_COMPARE(s.window->MemoT->document()->lastBlock().text(), QStringLiteral(">"));
    // The oldest lines went first.
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("LINE 4\nLINE 5\n>"));

    TerminalMaxLines = 0;
    s.window->SaveSettings();
    TRegistry reg;
    QVERIFY(reg.OpenKey(SettingsKey, false));
    QCOMPARE(reg.ReadInteger(QStringLiteral("TerminalMaxLines")), 0);
}

void TerminalPaneTest::failingOpen_warnsInTheLanguageAndKeepsTheButtons()
{
    TerminalSession s;
    ComPort = 3; // not mapped to any device
    s.start();
    s.action("tbnCommOpen")->trigger();
    QVERIFY(!PortOpen);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());
    QVERIFY(!s.action("tbnCommClose")->isEnabled());
    QVERIFY(!s.action("tbnBreak")->isEnabled());
    QCOMPARE(s.prompts.shown.size(), 1);
    QCOMPARE(s.prompts.shown.last().kind, QStringLiteral("warning"));
    QCOMPARE(s.prompts.shown.last().caption, QStringLiteral("Warnung"));
    QCOMPARE(s.prompts.shown.last().text,
             QStringLiteral("COM3 lässt sich nicht öffnen.\n\nSpecified device not found (COM3)."));

    s.action("mnuEnglish")->trigger();
    s.action("tbnCommOpen")->trigger();
    QCOMPARE(s.prompts.shown.size(), 2);
    QCOMPARE(s.prompts.shown.last().caption, QStringLiteral("Warning"));
    QCOMPARE(s.prompts.shown.last().text,
             QStringLiteral("COM3 cannot be opened.\n\nSpecified device not found (COM3)."));
    QVERIFY(!s.prompts.shown.last().text.contains(QLatin1String("dialout")));
}

void TerminalPaneTest::deniedAccess_addsTheGroupHint()
{
    TerminalSession s;
    const QString locked = s.dir.filePath(QStringLiteral("locked"));
    {
        QFile file(locked);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
    pointPort(1, locked);
    s.start();
    s.action("mnuEnglish")->trigger();
    AsOtherUser other;
    if (::geteuid() == 0 && !other.active())
        QSKIP("running as root without a way to open files as another user: access is never denied");
    s.action("tbnCommOpen")->trigger();
    QVERIFY(!PortOpen);
    QCOMPARE(s.prompts.shown.size(), 1);
    const QString text = s.prompts.shown.last().text;
    QVERIFY2(text.startsWith(QStringLiteral("COM1 cannot be opened.\n\nCan't open specified device ") + locked +
                             QStringLiteral(" (Error 13, ")),
             qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\n\nYour user may not open the device. Add it to the group dialout "
                                          "(sudo adduser $USER dialout), then log out and in again.")),
             qPrintable(text));
}

void TerminalPaneTest::portPanel_namesTheDevice()
{
    TerminalSession s;
    s.start();
    StatusBar* bar = s.window->StatusBar1;
    QCOMPARE(bar->panelToolTip(1), QStringLiteral("COM1 = ") + s.pty.slavePath());
    QCOMPARE(bar->panelAt(QPoint(bar->panelLeft(1) + 2, bar->height() / 2)), 1);
    ComPort = 4;
    QCOMPARE(bar->panelToolTip(1), QStringLiteral("COM4: kein Gerät zugeordnet"));
    s.action("mnuEnglish")->trigger();
    QCOMPARE(bar->panelToolTip(1), QStringLiteral("COM4: no device assigned"));
    QCOMPARE(bar->panelToolTip(2), QString());
}

void TerminalPaneTest::focus_returnsToThePaneAfterMenuPageAndOpen()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;

    // A menu opened and closed with Escape.
    auto* terminalMenu = s.window->findChild<QMenu*>(QStringLiteral("mnuTerminal"));
    QVERIFY(terminalMenu);
    s.window->MainMenu1->setActiveAction(terminalMenu->menuAction());
    QTRY_VERIFY(terminalMenu->isVisible());
    QTest::keyClick(terminalMenu, Qt::Key_Escape);
    QTRY_VERIFY(!terminalMenu->isVisible());
    // What the window system does when a menu closes (the headless platform leaves it to us).
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    QTRY_VERIFY(pane->hasFocus());
    // The next letters go to the board, not to the menus.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("be"));
    QCOMPARE(s.sent(2), QByteArray("be"));
    QVERIFY(!QApplication::activePopupWidget());

    // Back from the editor page while the focus was outside the pages.
    s.window->PageControl1->setCurrentWidget(s.window->TSheetEd);
    s.window->tbSteuerung->setFocus();
    QTRY_VERIFY(s.window->tbSteuerung->hasFocus());
    s.window->PageControl1->setCurrentWidget(s.window->TSheetTerm);
    QTRY_VERIFY(pane->hasFocus());

    // Opening the port from a toolbar that had taken the focus.
    s.action("tbnCommClose")->trigger();
    s.window->tbSteuerung->setFocus();
    QTRY_VERIFY(!pane->hasFocus());
    QVERIFY(s.openPort());
    QTRY_VERIFY(pane->hasFocus());
}

void TerminalPaneTest::applyPortSettings_leavesTheButtonsClosed()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    ComBaudrate = 10;
    s.window->ApplyPortSettings();
    QVERIFY(!PortOpen);
    QVERIFY(!s.window->SerComm1->IsOpen());
    QCOMPARE(s.window->SerComm1->Baudrate(), br38400);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());
    QVERIFY(!s.action("tbnCommClose")->isEnabled());
    QVERIFY(!s.action("tbnTransmit")->isEnabled());
    QVERIFY(!s.action("tbnBreak")->isEnabled());
    // The user opens it again.
    QVERIFY(s.openPort());
}

QTEST_MAIN(TerminalPaneTest)
#include "tst_terminalpane.moc"
