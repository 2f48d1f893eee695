// The editing commands on the pane in front, the editor's caret panel, its overwrite indicator and the
// tab step, driven through the main window's keys, mouse, menu items and buttons.

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "dialogs/TfrmTab.h"
#include "editor/PaneCommands.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

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

void moveMouseOver(QPlainTextEdit* pane)
{
    QWidget* viewport = pane->viewport();
    const QPoint inside(viewport->width() / 2, 5);
    QMouseEvent move(QEvent::MouseMove, inside, viewport->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

// A press only: the pane's own handling of it is not what is looked at.
void pressMouseOn(QPlainTextEdit* pane)
{
    QWidget* viewport = pane->viewport();
    const QPoint inside(viewport->width() / 2, 5);
    QMouseEvent press(QEvent::MouseButtonPress, inside, viewport->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
}

} // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void caretPanel_startOfTextAndWideLineNumber();
    void caretPanel_keyDownShowsBeforeKeyUpAfter();

    void insertKey_flipsModeAndIndicatorTogether();
    void doubleClickOnIndicator_postsInsert();
    void indicator_acrossPageChange_withAndWithoutTerminalText();

    void undo_oneStepThenOnlyRedo();
    void undo_takesBackOnlyTheLastChange();
    void redoAfterNewChange_takesBackThatChange();
    void undoInOverwriteMode_bringsBackTheCharacterTypedOver();
    void undoInTerminal_alternatesWithoutTouchingTheTranscript();

    void ctrlDel_withoutSelection_leavesEditorAlone();
    void clearEnabling_eachOccasionSetsItsCommands();
    void selectAll_fromToolbarEnablesClearAtOnce_data();
    void selectAll_fromToolbarEnablesClearAtOnce();
    void clear_andPaneClears_actOnTheirPane();

    void tabStep_setsBothPanesAfterEveryClosing();
    void tabStep_notAnInteger_reportedAndKept();

private:
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }
    QString panel() const { return m_window->StatusBar1->panelText(0); }
    void showEditor(const QString& text);
    void showTerminal();
    // Runs the tab-step command; `fill` acts on the open dialog and closes it.
    void runTabDialog(const std::function<void(TfrmTab*)>& fill);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
    QPlainTextEdit* m_editor = nullptr;
    QPlainTextEdit* m_terminal = nullptr;
};

void EditCommandsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("settings.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<TfrmTerminal>();
    m_editor = m_window->RTF;
    m_terminal = m_window->MemoT;
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void EditCommandsTest::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    m_dir.reset();
}

void EditCommandsTest::showEditor(const QString& text)
{
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    if (!text.isNull())
        m_editor->setPlainText(text);
    m_editor->setFocus();
    QTRY_VERIFY(m_editor->hasFocus());
}

void EditCommandsTest::showTerminal()
{
    m_window->PageControl1->setCurrentWidget(m_window->TSheetTerm);
    m_terminal->setFocus();
    QTRY_VERIFY(m_terminal->hasFocus());
}

// --- the caret panel

void EditCommandsTest::caretPanel_startOfTextAndWideLineNumber()
{
    QStringList lines;
    for (int k = 1; k <= 1300; ++k)
        lines << QStringLiteral("%1 PRINT %1").arg(k * 10);
    showEditor(lines.join(QLatin1Char('\n')));
    placeCaret(m_editor, 0);
    QTest::keyRelease(m_editor, Qt::Key_Shift);
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   1"));

    // Line 1234, column 5: four places for the line, the column still right-aligned in three. A
    // selection counts from its start, whichever way it was made.
    const int lineStart = m_editor->document()->findBlockByNumber(1233).position();
    placeCaret(m_editor, lineStart + 4, lineStart + 9);
    QTest::keyRelease(m_editor, Qt::Key_Shift);
    QCOMPARE(panel(), QStringLiteral("  Z: 1234   S:   5"));

    // The mouse moving over the editor and a change of its text show it too.
    placeCaret(m_editor, 3);
    moveMouseOver(m_editor);
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   4"));
    m_editor->insertPlainText(QStringLiteral("X"));
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   5"));
}

void EditCommandsTest::caretPanel_keyDownShowsBeforeKeyUpAfter()
{
    showEditor(QStringLiteral("10 REM\n20 END"));
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   1"));
    placeCaret(m_editor, 8);
    QTest::keyPress(m_editor, Qt::Key_Up);
    QCOMPARE(m_editor->textCursor().blockNumber(), 0);
    QCOMPARE(panel(), QStringLiteral("  Z:   2   S:   2"));
    QTest::keyRelease(m_editor, Qt::Key_Up);
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   2"));
}

// --- overwrite mode

void EditCommandsTest::insertKey_flipsModeAndIndicatorTogether()
{
    QVERIFY(!m_window->lblUeb->isEnabled());
    showEditor(QStringLiteral("10 PRINT"));
    placeCaret(m_editor, 0);

    QTest::keyClick(m_editor, Qt::Key_Insert);
    QVERIFY(m_window->lblUeb->isEnabled());
    QVERIFY(m_editor->overwriteMode());
    QTest::keyClicks(m_editor, QStringLiteral("20"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));

    // Twice: greyed, as at start, and typing inserts again.
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_editor->overwriteMode());
    QTest::keyClicks(m_editor, QStringLiteral("0"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("200 PRINT"));

    // Shift+Insert pastes; it is not the Insert key.
    QTest::keyClick(m_editor, Qt::Key_Insert, Qt::ShiftModifier);
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_editor->overwriteMode());
}

void EditCommandsTest::doubleClickOnIndicator_postsInsert()
{
    showEditor(QStringLiteral("10 PRINT"));
    // The greyed label passes the click to its panel; both end up as one Insert key in the editor.
    QTest::mouseDClick(m_window->lblUeb, Qt::LeftButton);
    QTRY_VERIFY(m_editor->overwriteMode());
    QVERIFY(m_window->lblUeb->isEnabled());
    QTest::mouseDClick(m_window->lblUeb, Qt::LeftButton);
    QTRY_VERIFY(!m_editor->overwriteMode());
    QVERIFY(!m_window->lblUeb->isEnabled());
    QTest::mouseDClick(m_window->pnlOverWrite, Qt::LeftButton, {}, QPoint(1, 1));
    QTRY_VERIFY(m_editor->overwriteMode());
    QVERIFY(m_window->lblUeb->isEnabled());

    // On the terminal page the indicator is disabled and a double click does nothing.
    showTerminal();
    QTest::mouseDClick(m_window->lblUeb, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(m_editor->overwriteMode());
    QTest::mouseDClick(m_window->pnlOverWrite, Qt::LeftButton, {}, QPoint(1, 1));
    QCoreApplication::processEvents();
    QVERIFY(m_editor->overwriteMode());
    showEditor(QString());
    QVERIFY(m_window->lblUeb->isEnabled());
}

void EditCommandsTest::indicator_acrossPageChange_withAndWithoutTerminalText()
{
    showEditor(QStringLiteral("10 PRINT"));
    QTest::keyClick(m_editor, Qt::Key_Insert);

    // Without terminal text: greyed while away, red again on return.
    showTerminal();
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_window->pnlOverWrite->isEnabled());
    showEditor(QString());
    QVERIFY(m_window->lblUeb->isEnabled());
    QVERIFY(m_window->pnlOverWrite->isEnabled());

    // With terminal text arriving while the terminal is in front: the indicator still comes back as
    // the editor's mode, so the next Insert leaves both in insert mode instead of reversing them.
    showTerminal();
    m_terminal->appendPlainText(QStringLiteral("READY"));
    m_terminal->appendPlainText(QStringLiteral(">"));
    showEditor(QString());
    QVERIFY(m_window->lblUeb->isEnabled());
    QVERIFY(m_editor->overwriteMode());
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_editor->overwriteMode());

    // Text arriving, and the toolbar's Select all, while the editor is in front leave the indicator
    // as it is (not as it was when the terminal page was left).
    m_terminal->appendPlainText(QStringLiteral("more"));
    action("tbnSelectAll")->trigger();
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_editor->overwriteMode());
}

// --- undo and redo

void EditCommandsTest::undo_oneStepThenOnlyRedo()
{
    showEditor(QString());
    QTest::keyClicks(m_editor, QStringLiteral("10 PRINT"));
    QVERIFY(action("mnuUndo")->isEnabled());
    QVERIFY(action("tbnUndo")->isEnabled());
    QVERIFY(!action("mnuRedo")->isEnabled());

    // Ctrl+Z is the menu item's.
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QString());
    QVERIFY(!action("mnuUndo")->isEnabled());
    QVERIFY(!action("tbnUndo")->isEnabled());
    QVERIFY(action("mnuRedo")->isEnabled());
    QVERIFY(action("tbnRedo")->isEnabled());

    // Undo again is impossible: not from the menu, the button or the key, nor by the pane's own keys
    // for its further history.
    QVERIFY(!runMenuItem(action("mnuUndo")));
    action("tbnUndo")->trigger();
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_editor, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_editor->toPlainText(), QString());

    // Redo (Ctrl+Alt+Z) brings back the state before Undo.
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    QVERIFY(action("mnuUndo")->isEnabled());
    QVERIFY(action("tbnUndo")->isEnabled());
    QVERIFY(!action("mnuRedo")->isEnabled());
    QVERIFY(!action("tbnRedo")->isEnabled());
}

void EditCommandsTest::undo_takesBackOnlyTheLastChange()
{
    showEditor(QString());
    QTest::keyClicks(m_editor, QStringLiteral("10 PRINT"));
    QTest::keyClick(m_editor, Qt::Key_Home);
    QTest::keyClicks(m_editor, QStringLiteral("5"));
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    action("mnuRedo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("510 PRINT"));
    // The single step is the same change, however often it goes back and forth.
    action("mnuUndo")->trigger();
    action("mnuRedo")->trigger();
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
}

void EditCommandsTest::redoAfterNewChange_takesBackThatChange()
{
    // Redo is the same request as Undo: after a new change it takes that change back.
    showEditor(QString());
    QTest::keyClicks(m_editor, QStringLiteral("10 END"));
    action("mnuUndo")->trigger();
    QTest::keyClicks(m_editor, QStringLiteral("20 STOP"));
    QVERIFY(action("mnuRedo")->isEnabled());
    action("mnuRedo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QString());
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 STOP"));
}

void EditCommandsTest::undoInOverwriteMode_bringsBackTheCharacterTypedOver()
{
    showEditor(QStringLiteral("10 PRINT"));
    placeCaret(m_editor, 0);
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QTest::keyClicks(m_editor, QStringLiteral("2"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));
    // Taking back the typing takes back what it typed over with it, never half of it.
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    action("mnuRedo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));
}

void EditCommandsTest::undoInTerminal_alternatesWithoutTouchingTheTranscript()
{
    showEditor(QString());
    QTest::keyClicks(m_editor, QStringLiteral("10 END"));
    showTerminal();
    m_terminal->setPlainText(QStringLiteral("READY"));
    action("mnuUndo")->trigger();
    QCOMPARE(m_terminal->toPlainText(), QStringLiteral("READY"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 END"));
    QVERIFY(!action("mnuUndo")->isEnabled());
    QVERIFY(action("mnuRedo")->isEnabled());
}

// --- Clear and Select all

void EditCommandsTest::ctrlDel_withoutSelection_leavesEditorAlone()
{
    showEditor(QStringLiteral("10 PRINT X"));
    placeCaret(m_editor, 0);
    moveMouseOver(m_editor);
    QVERIFY(!action("mnuClear")->isEnabled());
    // The pane alone would delete the word after the caret.
    QTest::keyClick(m_editor, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT X"));

    // With a selection seen by the mouse it deletes the selection.
    placeCaret(m_editor, 3, 0);
    moveMouseOver(m_editor);
    QTest::keyClick(m_editor, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("PRINT X"));
    // Ctrl+A is Select all's.
    QTest::keyClick(m_editor, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_editor->textCursor().selectedText(), QStringLiteral("PRINT X"));
}

void EditCommandsTest::clearEnabling_eachOccasionSetsItsCommands()
{
    QAction* commands[] = {action("mnuClear"), action("tbnClear"), action("popClear")};
    auto enabled = [&] {
        return QList<bool>{commands[0]->isEnabled(), commands[1]->isEnabled(), commands[2]->isEnabled()};
    };
    showEditor(QStringLiteral("10 PRINT X"));
    placeCaret(m_editor, 0);
    moveMouseOver(m_editor);
    QCOMPARE(enabled(), (QList<bool>{false, false, false}));

    // The press sets the button and the pop-up item from the selection as it is when it goes down.
    placeCaret(m_editor, 2, 0);
    pressMouseOn(m_editor);
    QCOMPARE(enabled(), (QList<bool>{false, true, true}));
    // A change of the text sets the menu item and the button.
    m_editor->insertPlainText(QStringLiteral("20"));
    QCOMPARE(enabled(), (QList<bool>{false, false, true}));
    placeCaret(m_editor, 0, 2);
    QTextCursor(m_editor->document()).insertText(QStringLiteral("1"));
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));

    // The terminal's pop-up item is the terminal's alone; the mouse over the terminal sets it.
    QVERIFY(!action("popClearT")->isEnabled());
    showTerminal();
    QCOMPARE(enabled().mid(0, 2), (QList<bool>{false, false}));
    m_terminal->setPlainText(QStringLiteral("READY"));
    placeCaret(m_terminal, 5, 0);
    moveMouseOver(m_terminal);
    QVERIFY(action("popClearT")->isEnabled());
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));
}

void EditCommandsTest::selectAll_fromToolbarEnablesClearAtOnce_data()
{
    QTest::addColumn<bool>("editor");
    QTest::newRow("editor") << true;
    QTest::newRow("terminal") << false;
}

void EditCommandsTest::selectAll_fromToolbarEnablesClearAtOnce()
{
    QFETCH(bool, editor);
    if (editor) {
        showEditor(QStringLiteral("10 PRINT X"));
    } else {
        showTerminal();
        m_terminal->setPlainText(QStringLiteral("READY"));
    }
    QPlainTextEdit* pane = editor ? m_editor : m_terminal;
    QAction* popup = action(editor ? "popClear" : "popClearT");
    placeCaret(pane, 0);
    moveMouseOver(pane);
    QVERIFY(!action("tbnClear")->isEnabled());

    // The menu item selects, but leaves the enabling to the next occasion.
    action("mnuSelectAll")->trigger();
    QCOMPARE(pane->textCursor().selectedText(), pane->toPlainText());
    QVERIFY(!action("tbnClear")->isEnabled());

    placeCaret(pane, 0);
    action("tbnSelectAll")->trigger();
    QCOMPARE(pane->textCursor().selectedText(), pane->toPlainText());
    QVERIFY(action("tbnClear")->isEnabled());
    QVERIFY(action("mnuClear")->isEnabled());
    QVERIFY(popup->isEnabled());
    action("tbnClear")->trigger();
    QVERIFY(pane->toPlainText().isEmpty());
}

void EditCommandsTest::clear_andPaneClears_actOnTheirPane()
{
    m_terminal->setPlainText(QStringLiteral("READY"));
    placeCaret(m_terminal, 5, 0);
    showEditor(QStringLiteral("10 PRINT X"));
    placeCaret(m_editor, 3, 0);
    moveMouseOver(m_editor);
    action("popClear")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("PRINT X"));
    QCOMPARE(m_terminal->toPlainText(), QStringLiteral("READY"));

    // Emptying the editor is a change like any other: the document is marked.
    action("popEditClear")->trigger();
    QVERIFY(m_editor->toPlainText().isEmpty());
    QVERIFY(EditorModified);
    QVERIFY(m_window->PageControl1->tabText(1).endsWith(QStringLiteral(" *")));
    QCOMPARE(m_terminal->toPlainText(), QStringLiteral("READY"));

    m_editor->setPlainText(QStringLiteral("10 END"));
    action("popTermClear")->trigger();
    QVERIFY(m_terminal->toPlainText().isEmpty());
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 END"));
}

// --- the tab step

void EditCommandsTest::runTabDialog(const std::function<void(TfrmTab*)>& fill)
{
    auto* dialog = new TfrmTab(m_window.get());
    m_window->setTabDialog(dialog);
    bool filled = false;
    QTimer::singleShot(0, dialog, [&] {
        QTRY_VERIFY(dialog->isVisible());
        fill(dialog);
        filled = true;
    });
    m_window->mnuTabulatorClick();
    QVERIFY(filled);
    QVERIFY(!dialog->isVisible());
}

void EditCommandsTest::tabStep_setsBothPanesAfterEveryClosing()
{
    // The item is hidden, as the program has always had it; the command is there all the same.
    QVERIFY(!action("mnuTabulator")->isVisible());
    const qreal before = m_editor->tabStopDistance();

    TabStep = 12;
    runTabDialog([](TfrmTab* dialog) {
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"));
        QCOMPARE(box->text(), QStringLiteral("12"));
        box->setText(QStringLiteral("16"));
        dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOK"))->click();
    });
    QCOMPARE(TabStep, 16);
    // Sixteen dialog units are four average characters of each pane's own font.
    for (QPlainTextEdit* pane : {m_editor, m_terminal}) {
        QCOMPARE(pane->tabStopDistance(), 4 * QFontMetricsF(pane->font()).averageCharWidth());
        QVERIFY(pane->tabStopDistance() != before);
    }

    // Cancel keeps the value; the tab stops are set again all the same.
    m_editor->setTabStopDistance(before);
    runTabDialog([](TfrmTab* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"))->setText(QStringLiteral("40"));
        dialog->findChild<QPushButton*>(QStringLiteral("BitBtnCancel"))->click();
    });
    QCOMPARE(TabStep, 16);
    QCOMPARE(m_editor->tabStopDistance(), PaneCommands::tabStopDistance(16, m_editor->font()));
}

void EditCommandsTest::tabStep_notAnInteger_reportedAndKept()
{
    QCOMPARE(TabStep, 8);
    runTabDialog([](TfrmTab* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"))->setText(QStringLiteral("4.5"));
        dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOK"))->click();
    });
    QCOMPARE(m_prompts->texts(QStringLiteral("message")),
             QStringList{QStringLiteral("'4.5' ist kein gültiger Integerwert")});
    QCOMPARE(TabStep, 8);
    QCOMPARE(m_terminal->tabStopDistance(), PaneCommands::tabStopDistance(8, m_terminal->font()));

    // A step the panes cannot lay out is kept as entered and leaves the tab stops alone.
    runTabDialog([](TfrmTab* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"))->setText(QStringLiteral("0"));
        dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOK"))->click();
    });
    QCOMPARE(TabStep, 0);
    QCOMPARE(m_terminal->tabStopDistance(), PaneCommands::tabStopDistance(8, m_terminal->font()));
}

QTEST_MAIN(EditCommandsTest)
#include "tst_editcommands.moc"
