// The terminal page and the function-key window, driven like a user would: toolbar buttons, keys in
// the pane and the mouse, with the controller's end of the line played by the test.

#include "TerminalSession.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "settings/TRegistry.h"
#include "terminal/TfrmFTaste.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

using namespace GlobVar;

namespace {

// Long enough for a chunk to be read and shown (the display waits 50 ms per chunk).
constexpr int kSettleMs = 250;

void placeCaret(QPlainTextEdit* pane, int position, int anchor = -1)
{
    QTextCursor caret = pane->textCursor();
    caret.setPosition(anchor < 0 ? position : anchor);
    if (anchor >= 0)
        caret.setPosition(position, QTextCursor::KeepAnchor);
    pane->setTextCursor(caret);
}

void typeKey(QWidget* widget, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Press, widget, key, text, modifiers);
    QTest::sendKeyEvent(QTest::Release, widget, key, text, modifiers);
}

} // namespace

class TerminalTest : public QObject {
    Q_OBJECT

private slots:
    void buttons_followThePortState();
    void failingOpen_leavesTheButtonsAsTheyWere();
    void carriageReturnAfterOpen_onlyWhenAsked_data();
    void carriageReturnAfterOpen_onlyWhenAsked();

    void received_bellAndRubOutAloneAreNotShown();
    void received_goesToTheEndNotToTheCaretOrSelection();
    void received_lineBreakSplitOverTwoChunksIsOneBreak();
    void received_reachesThePaneWhileTheEditorIsInFront();

    void typed_withEchoOffIsSentAndNotShown();
    void typed_withEchoOnIsSentAndShown();
    void backspace_sendsDeleteAndKeepsThePrompt();
    void controlC_altSendsOneByteCtrlCopies();
    void controlKeys_sendTheirCode_commandKeysDoNot();
    void keysWithoutCharacter_areNotSent();
    void portClosed_typedKeysStillFollowTheDisplayRule();

    void caretPanel_andClearCommands_followMouseAndKeys();
    void txEmptyWarning_followsEveryWriteWhenSwitchedOn();
    void echoMenuItem_togglesTheSetting();

    void functionKeys_sendRunAndList();
    void functionKeys_helpKeys();
    void functionKeyWindow_showHideAndPlace();
    void functionKeyWindow_positionSurvivesARestart();
};

void TerminalTest::buttons_followThePortState()
{
    TerminalSession s;
    s.start();
    auto states = [&] {
        return QList<bool>{s.action("tbnCommOpen")->isEnabled(), s.action("tbnCommClose")->isEnabled(),
                           s.action("tbnTransmit")->isEnabled(), s.action("tbnBreak")->isEnabled(), PortOpen};
    };
    const QList<bool> closed{true, false, false, false, false};
    QCOMPARE(states(), closed);
    QVERIFY(s.openPort());
    QCOMPARE(states(), (QList<bool>{false, true, true, true, true}));
    s.action("tbnCommClose")->trigger();
    QCOMPARE(states(), closed);
    // The port is opened again by the same button.
    QVERIFY(s.openPort());
    QVERIFY(s.window->SerComm1->IsOpen());
}

void TerminalTest::failingOpen_leavesTheButtonsAsTheyWere()
{
    TerminalSession s;
    ComPort = 3; // not mapped to any device
    s.start();
    s.action("tbnCommOpen")->trigger();
    QVERIFY(!PortOpen);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());
    QVERIFY(!s.action("tbnCommClose")->isEnabled());
    QVERIFY(!s.action("tbnTransmit")->isEnabled());
    QVERIFY(!s.action("tbnBreak")->isEnabled());
    QCOMPARE(s.prompts.texts(QStringLiteral("warning")).size(), 1);
}

void TerminalTest::carriageReturnAfterOpen_onlyWhenAsked_data()
{
    QTest::addColumn<bool>("envReturn");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void TerminalTest::carriageReturnAfterOpen_onlyWhenAsked()
{
    QFETCH(bool, envReturn);
    TerminalSession s;
    EnvReturn = envReturn;
    s.start();
    QVERIFY(s.openPort());
    QCOMPARE(s.sentExactly(envReturn ? 1 : 0), envReturn ? QByteArray("\r") : QByteArray());
}

void TerminalTest::received_bellAndRubOutAloneAreNotShown()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    // Each chunk on its own; a later character shows that the chunk was handled.
    s.receive("\x07");
    s.pty.write("1");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("1"));
    s.receive("\x08 \x08");
    s.pty.write("2");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("12"));
    // Among other characters they stay.
    s.pty.write("A\x07");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("12A\x07"));
    s.pty.write("B\x08 \x08\r\n>");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("12A\x07" "B\x08 \x08\n>"));
    // Every byte is the character of the same code.
    s.pty.write("\r\n\xe4\xb5\xff");
    QTRY_COMPARE(pane->document()->lastBlock().text(), QStringLiteral("\u00e4\u00b5\u00ff"));
}

void TerminalTest::received_goesToTheEndNotToTheCaretOrSelection()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    pane->setPlainText(QStringLiteral("abc\ndef"));
    placeCaret(pane, 2);
    s.pty.write("XY");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("abc\ndefXY"));
    QCOMPARE(pane->textCursor().position(), 2);
    placeCaret(pane, 6, 4); // "de" selected
    s.pty.write("Q");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("abc\ndefXYQ"));
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("de"));
}

void TerminalTest::received_lineBreakSplitOverTwoChunksIsOneBreak()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    s.receive("READY\r");
    s.pty.write("\n>");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("READY\n>"));
    // A line feed of its own, or after the caret was moved, is a line break of its own.
    s.pty.write("\n");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("READY\n>\n"));
    s.pty.write("X\r");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("READY\n>\nX\n"));
    // Text added at the end in between (the local echo) makes the LF a break of its own.
    s.action("mnuEcho")->trigger();
    QTest::keyClicks(pane, QStringLiteral("Y"));
    s.pty.write("\n");
    QTRY_COMPARE(pane->toPlainText(), QStringLiteral("READY\n>\nX\nY\n"));
}

void TerminalTest::received_reachesThePaneWhileTheEditorIsInFront()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    s.window->MemoT->setPlainText(QStringLiteral(">"));
    placeCaret(s.window->MemoT, 1);
    s.window->PageControl1->setCurrentWidget(s.window->TSheetEd);
    s.pty.write("READY\r\n>");
    QTRY_COMPARE(s.window->MemoT->toPlainText(), QStringLiteral(">READY\n>"));
    QVERIFY(s.window->RTF->toPlainText().isEmpty());
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetEd);
}

void TerminalTest::typed_withEchoOffIsSentAndNotShown()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QTest::keyClicks(s.window->MemoT, QStringLiteral("PRINT 1"));
    typeKey(s.window->MemoT, Qt::Key_Return, QStringLiteral("\r"));
    QCOMPARE(s.sent(8), QByteArray("PRINT 1\r"));
    QCOMPARE(s.sentUntilQuiet(100), QByteArray());
    QVERIFY(s.window->MemoT->toPlainText().isEmpty());
}

void TerminalTest::typed_withEchoOnIsSentAndShown()
{
    TerminalSession s;
    s.start();
    s.action("mnuEcho")->trigger();
    QVERIFY(s.openPort());
    QTest::keyClicks(s.window->MemoT, QStringLiteral("PRINT 1"));
    typeKey(s.window->MemoT, Qt::Key_Return, QStringLiteral("\r"));
    typeKey(s.window->MemoT, Qt::Key_Tab, QStringLiteral("\t"));
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("PRINT 1\n\t"));
    QCOMPARE(s.sent(9), QByteArray("PRINT 1\r\t"));
}

void TerminalTest::backspace_sendsDeleteAndKeepsThePrompt()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    pane->setPlainText(QStringLiteral("READY\n>AB"));
    auto backspace = [&] { typeKey(pane, Qt::Key_Backspace, QStringLiteral("\b")); };

    // The erase acts at the end, wherever the caret is.
    placeCaret(pane, 2);
    backspace();
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>A"));
    backspace();
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>"));
    backspace(); // column 2 of the last line: the prompt stays
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY\n>"));
    pane->setPlainText(QStringLiteral("READY\n"));
    backspace(); // column 1 joins the line with the one before
    QCOMPARE(pane->toPlainText(), QStringLiteral("READY"));
    QCOMPARE(s.sent(4), QByteArray("\x7f\x7f\x7f\x7f"));
}

void TerminalTest::controlC_altSendsOneByteCtrlCopies()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    pane->setPlainText(QStringLiteral("10 PRINT X"));
    placeCaret(pane, 8, 3);

    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("PRINT"));
    QCOMPARE(s.sentUntilQuiet(), QByteArray());

    typeKey(pane, Qt::Key_C, QStringLiteral("c"), Qt::AltModifier);
    QCOMPARE(s.sentExactly(1), QByteArray("\x03"));
    // Alt+C works while the button is disabled too, and from any control of the window.
    s.action("tbnBreak")->setEnabled(false);
    s.window->RTF->setFocus();
    QTRY_VERIFY(s.window->RTF->hasFocus());
    typeKey(s.window->RTF, Qt::Key_C, QStringLiteral("c"), Qt::AltModifier);
    QCOMPARE(s.sentExactly(1), QByteArray("\x03"));
    // The toolbar button sends the same byte.
    s.action("tbnBreak")->setEnabled(true);
    s.action("tbnBreak")->trigger();
    QCOMPARE(s.sentExactly(1), QByteArray("\x03"));
    QCOMPARE(pane->toPlainText(), QStringLiteral("10 PRINT X"));
}

void TerminalTest::controlKeys_sendTheirCode_commandKeysDoNot()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    typeKey(pane, Qt::Key_D, QStringLiteral("\x04"), Qt::ControlModifier);
    typeKey(pane, Qt::Key_Escape, QStringLiteral("\x1b"));
    QCOMPARE(s.sent(2), QByteArray("\x04\x1b"));

    // Ctrl+A selects all, Ctrl+Del clears the selection: commands, not bytes.
    pane->setPlainText(QStringLiteral("old text"));
    typeKey(pane, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("old text"));
    s.window->MemoTMouseMove();
    typeKey(pane, Qt::Key_Delete, QString(), Qt::ControlModifier);
    QVERIFY(pane->toPlainText().isEmpty());
    // With nothing selected Ctrl+Del is disabled and does nothing to the pane.
    pane->setPlainText(QStringLiteral("keep"));
    placeCaret(pane, 0);
    s.window->MemoTMouseMove();
    typeKey(pane, Qt::Key_Delete, QString(), Qt::ControlModifier);
    QCOMPARE(pane->toPlainText(), QStringLiteral("keep"));
    QCOMPARE(s.sentUntilQuiet(), QByteArray());
}

void TerminalTest::keysWithoutCharacter_areNotSent()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    pane->setPlainText(QStringLiteral("ab"));
    placeCaret(pane, 0);
    typeKey(pane, Qt::Key_Right, QString());
    typeKey(pane, Qt::Key_Delete, QStringLiteral("\x7f"));
    typeKey(pane, Qt::Key_F5, QString()); // F5 belongs to the function-key window only
    typeKey(pane, Qt::Key_X, QStringLiteral("x"), Qt::AltModifier);
    QCOMPARE(pane->toPlainText(), QStringLiteral("a"));
    QCOMPARE(s.sentUntilQuiet(), QByteArray());
}

void TerminalTest::portClosed_typedKeysStillFollowTheDisplayRule()
{
    TerminalSession s;
    s.start();
    s.action("mnuEcho")->trigger();
    QTest::keyClicks(s.window->MemoT, QStringLiteral("AB"));
    typeKey(s.window->MemoT, Qt::Key_C, QStringLiteral("c"), Qt::AltModifier);
    typeKey(s.window->MemoT, Qt::Key_Backspace, QStringLiteral("\b"));
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("A"));
    QVERIFY(s.prompts.shown.isEmpty());
    QCOMPARE(s.sentUntilQuiet(100), QByteArray());
}

void TerminalTest::caretPanel_andClearCommands_followMouseAndKeys()
{
    TerminalSession s;
    s.start();
    QPlainTextEdit* pane = s.window->MemoT;
    pane->setPlainText(QStringLiteral("READY\n>PRINT 1"));
    placeCaret(pane, 10);
    QTest::keyRelease(pane, Qt::Key_Shift);
    QCOMPARE(s.window->StatusBar1->panelText(0), QStringLiteral("  Z:   2   S:   5"));

    QAction* clearCommands[] = {s.action("mnuClear"), s.action("tbnClear"), s.action("popClearT")};
    auto clearEnabled = [&] {
        return QList<bool>{clearCommands[0]->isEnabled(), clearCommands[1]->isEnabled(), clearCommands[2]->isEnabled()};
    };
    QWidget* viewport = pane->viewport();
    const QPoint inside(viewport->width() / 2, 5);
    placeCaret(pane, 3, 0);
    QMouseEvent move(QEvent::MouseMove, inside, viewport->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QCOMPARE(clearEnabled(), (QList<bool>{true, true, true}));
    QCOMPARE(s.window->StatusBar1->panelText(0), QStringLiteral("  Z:   1   S:   1"));

    // A click that empties the selection is seen as it was before the click; the next move
    // disables the commands.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, inside);
    QVERIFY(!pane->textCursor().hasSelection());
    QCOMPARE(clearEnabled(), (QList<bool>{true, true, true}));
    QApplication::sendEvent(viewport, &move);
    QCOMPARE(clearEnabled(), (QList<bool>{false, false, false}));

    // Received text does not move the panel, but changes of the text decide the commands: the
    // selection made without the mouse counts once text arrives (and it stays selected).
    QVERIFY(s.openPort());
    placeCaret(pane, 0, 5);
    QCOMPARE(clearEnabled(), (QList<bool>{false, false, false}));
    const QString panel = s.window->StatusBar1->panelText(0);
    s.pty.write("xyz");
    QTRY_VERIFY(pane->toPlainText().endsWith(QStringLiteral("xyz")));
    QCOMPARE(s.window->StatusBar1->panelText(0), panel);
    QCOMPARE(clearEnabled(), (QList<bool>{true, true, true}));
}

void TerminalTest::txEmptyWarning_followsEveryWriteWhenSwitchedOn()
{
    for (const bool on : {false, true}) {
        TerminalSession s;
        EnvTxBuffer = on;
        s.start();
        QVERIFY(s.openPort());
        QTest::keyClicks(s.window->MemoT, QStringLiteral("A"));
        QCOMPARE(s.sent(1), QByteArray("A"));
        if (on) {
            QTRY_COMPARE(s.prompts.shown.size(), 1);
            QCOMPARE(s.prompts.shown.first().kind, QStringLiteral("warning"));
            QCOMPARE(s.prompts.shown.first().caption, QStringLiteral("Warnung"));
            QCOMPARE(s.prompts.shown.first().text, QStringLiteral("Der Sendepuffer ist voll."));
        } else {
            QTest::qWait(kSettleMs);
            QVERIFY(s.prompts.shown.isEmpty());
        }
    }
}

void TerminalTest::echoMenuItem_togglesTheSetting()
{
    TerminalSession s;
    s.start();
    QAction* echo = s.action("mnuEcho");
    QVERIFY(!echo->isChecked());
    echo->trigger();
    QVERIFY(ComEcho);
    QVERIFY(echo->isChecked());
    echo->trigger();
    QVERIFY(!ComEcho);
    QVERIFY(!echo->isChecked());
}

void TerminalTest::functionKeys_sendRunAndList()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    s.action("mnuFTasten")->trigger();
    QVERIFY(s.keys->isVisible());
    s.keys->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.keys));
    s.keys->BitBtnF2->setFocus();
    QTRY_VERIFY(s.keys->BitBtnF2->hasFocus());

    QTest::keyClick(s.keys->BitBtnF2, Qt::Key_F5);
    QCOMPARE(s.sentExactly(4), QByteArray("RUN\r"));
    QTest::keyClick(s.keys->BitBtnF2, Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(s.sentExactly(5), QByteArray("LIST\r"));
    QTest::mouseClick(s.keys->BitBtnF5, Qt::LeftButton);
    QCOMPARE(s.sentExactly(4), QByteArray("RUN\r"));
    // F2 to F4 have nothing assigned; the focused button's own Space does nothing either.
    QTest::keyClick(s.keys->BitBtnF2, Qt::Key_F2);
    QTest::keyClick(s.keys->BitBtnF2, Qt::Key_Space);
    QCOMPARE(s.sentUntilQuiet(), QByteArray());
    // Nothing goes into the pane; the controller's echo does that.
    QVERIFY(s.window->MemoT->toPlainText().isEmpty());
}

void TerminalTest::functionKeys_helpKeys()
{
    TerminalSession s;
    s.start();
    QSignalSpy contents(s.action("mnuInhalt"), &QAction::triggered);
    QSignalSpy reference(s.action("mnuBasicReferenz"), &QAction::triggered);

    // In the main window F1 and Ctrl+F1 open their help once per press; Shift+F1 does nothing.
    QTest::keyClick(s.window->MemoT, Qt::Key_F1);
    QCOMPARE(contents.count(), 1);
    QTest::keyClick(s.window->MemoT, Qt::Key_F1, Qt::ControlModifier);
    QCOMPARE(reference.count(), 1);
    QTest::keyClick(s.window->MemoT, Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(contents.count(), 1);
    QCOMPARE(reference.count(), 1);

    s.action("mnuFTasten")->trigger();
    s.keys->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.keys));
    QWidget* focus = s.keys->BitBtnF3;
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());
    QTest::keyClick(focus, Qt::Key_F1, Qt::ControlModifier);
    QCOMPARE(reference.count(), 2);
    QCOMPARE(contents.count(), 1);
    QTest::keyClick(focus, Qt::Key_F1);
    QCOMPARE(contents.count(), 2);
    QTest::keyClick(focus, Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(contents.count(), 3);
    QCOMPARE(reference.count(), 2);
    QCOMPARE(HelpFile, QStringLiteral("Taloma-Terminal.html"));
}

void TerminalTest::functionKeyWindow_showHideAndPlace()
{
    TerminalSession s;
    FTasteWindowLeft = 40;
    FTasteWindowTop = 30;
    s.start();
    QAction* item = s.action("mnuFTasten");
    QCOMPARE(s.keys->windowTitle(), QStringLiteral("F-Tasten-Belegung"));
    QVERIFY(!s.keys->isVisible());
    QVERIFY(!item->isChecked());
    QCOMPARE(s.keys->pos(), QPoint(40, 30));

    item->trigger();
    QVERIFY(s.keys->isVisible());
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(!s.keys->isVisible());
    QVERIFY(!item->isChecked());

    item->trigger();
    s.keys->move(120, 90);
    QVERIFY(s.keys->close());
    QVERIFY(!s.keys->isVisible());
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(s.keys->isVisible());
    QCOMPARE(s.keys->pos(), QPoint(120, 90));

    // Escape does not hide it; the texts stay German in English.
    QTest::keyClick(s.keys, Qt::Key_Escape);
    QVERIFY(s.keys->isVisible());
    s.action("mnuEnglish")->trigger();
    QCOMPARE(s.keys->lblHilfe->text(), QStringLiteral("Hilfe"));
    QCOMPARE(s.keys->lblReferenz->text(), QStringLiteral("Referenz"));
    QCOMPARE(s.keys->BitBtnCtrlF1->text(), QStringLiteral("Ctrl-F1"));
    QCOMPARE(s.keys->windowTitle(), QStringLiteral("F-Tasten-Belegung"));
}

void TerminalTest::functionKeyWindow_positionSurvivesARestart()
{
    QPoint stored;
    {
        TerminalSession s;
        s.start();
        s.keys->move(210, 150);
        QVERIFY(s.window->close());
        TRegistry reg;
        QVERIFY(reg.OpenKey(SettingsKey, false));
        stored = QPoint(reg.ReadInteger(QStringLiteral("FTasteWindowLeft")), reg.ReadInteger(QStringLiteral("FTasteWindowTop")));
        QCOMPARE(stored, QPoint(210, 150));

        // The next start reads the same settings file.
        ResetGlobals();
        auto window = std::make_unique<TfrmTerminal>();
        auto* keys = new TfrmFTaste(window.get(), {window->mnuInhalt, window->mnuBasicReferenz,
                                                     window->mnuFTasten, window->SerComm1});
        QCOMPARE(keys->pos(), stored);
        QVERIFY(!keys->isVisible());
    }
}

QTEST_MAIN(TerminalTest)
#include "tst_terminal.moc"
