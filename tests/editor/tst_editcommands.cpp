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
#include <QTest>
#include <QTextBlock>
#include <QTimer>

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

    void caretPanel_formatAndOccasions();
    void overwrite_insertKeyAndDoubleClickFlipModeAndIndicator();
    void indicator_acrossPageChange_withAndWithoutTerminalText();
    void undo_singleStepAlternatesWithRedo();
    void undoInOverwriteMode_bringsBackTheCharacterTypedOver();
    void clear_ctrlDelAndTheOccasionsThatEnableIt();
    void selectAll_fromToolbarEnablesClearAtOnce_data();
    void selectAll_fromToolbarEnablesClearAtOnce();
    void paneClears_emptyTheirPaneOnly();
    void tabStep_everyClosingSetsBothPanes();

private:
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QLatin1String(name)); }
    QString panel() const { return m_window->StatusBar1->panelText(0); }
    bool enabled(const char* name) const { return action(name)->isEnabled(); }
    void showEditor(const QString& text = QString());
    void showTerminal();
    // Runs the tab-step command with the text typed into the dialog and the button pressed.
    void runTabDialog(const QString& text, const char* button);

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

void EditCommandsTest::caretPanel_formatAndOccasions()
{
    QStringList lines;
    for (int k = 1; k <= 1300; ++k)
        lines << QStringLiteral("%1 PRINT %1").arg(k * 10);
    showEditor(lines.join(QLatin1Char('\n')));
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   1"));

    // Line 1234, column 5: four places for the line, the column still right-aligned in three. A
    // selection counts from its start, whichever way it was made.
    const int lineStart = m_editor->document()->findBlockByNumber(1233).position();
    placeCaret(m_editor, lineStart + 4, lineStart + 9);
    QTest::keyRelease(m_editor, Qt::Key_Shift);
    QCOMPARE(panel(), QStringLiteral("  Z: 1234   S:   5"));

    // A key going down shows the caret before the key acts, its release where it went.
    placeCaret(m_editor, m_editor->document()->findBlockByNumber(1).position() + 1);
    QTest::keyPress(m_editor, Qt::Key_Up);
    QCOMPARE(m_editor->textCursor().blockNumber(), 0);
    QCOMPARE(panel(), QStringLiteral("  Z:   2   S:   2"));
    QTest::keyRelease(m_editor, Qt::Key_Up);
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   2"));

    // The mouse moving over the editor, and a change of its text.
    placeCaret(m_editor, 3);
    moveMouseOver(m_editor);
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   4"));
    m_editor->insertPlainText(QStringLiteral("X"));
    QCOMPARE(panel(), QStringLiteral("  Z:   1   S:   5"));
}

void EditCommandsTest::overwrite_insertKeyAndDoubleClickFlipModeAndIndicator()
{
    QLabel* indicator = m_window->lblUeb;
    QVERIFY(!indicator->isEnabled());
    showEditor(QStringLiteral("10 PRINT"));
    placeCaret(m_editor, 0);
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QVERIFY(indicator->isEnabled() && m_editor->overwriteMode());
    QTest::keyClicks(m_editor, QStringLiteral("20"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));
    // Twice: greyed as at start, and typing inserts again. Shift+Insert pastes; it is not the key.
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QTest::keyClick(m_editor, Qt::Key_Insert, Qt::ShiftModifier);
    QVERIFY(!indicator->isEnabled() && !m_editor->overwriteMode());
    QTest::keyClicks(m_editor, QStringLiteral("0"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("200 PRINT"));

    // A double click on the indicator is an Insert key in the editor; the greyed label passes it to
    // its panel.
    QTest::mouseDClick(indicator, Qt::LeftButton);
    QTRY_VERIFY(m_editor->overwriteMode());
    QVERIFY(indicator->isEnabled());
    QTest::mouseDClick(indicator, Qt::LeftButton);
    QTRY_VERIFY(!m_editor->overwriteMode());
    QTest::mouseDClick(m_window->pnlOverWrite, Qt::LeftButton, {}, QPoint(1, 1));
    QTRY_VERIFY(m_editor->overwriteMode());
    QVERIFY(indicator->isEnabled());
    // On the terminal page both are disabled and a double click does nothing.
    showTerminal();
    for (QWidget* target : {static_cast<QWidget*>(indicator), static_cast<QWidget*>(m_window->pnlOverWrite)}) {
        QTest::mouseDClick(target, Qt::LeftButton, {}, QPoint(1, 1));
        QCoreApplication::processEvents();
        QVERIFY(m_editor->overwriteMode());
    }
}

void EditCommandsTest::indicator_acrossPageChange_withAndWithoutTerminalText()
{
    QLabel* indicator = m_window->lblUeb;
    showEditor(QStringLiteral("10 PRINT"));
    QTest::keyClick(m_editor, Qt::Key_Insert);
    showTerminal();
    QVERIFY(!indicator->isEnabled() && !m_window->pnlOverWrite->isEnabled());
    showEditor();
    QVERIFY(indicator->isEnabled() && m_window->pnlOverWrite->isEnabled());

    // With terminal text arriving while the terminal is in front the indicator still comes back as the
    // editor's mode, so the next Insert leaves both in insert mode instead of reversing them.
    showTerminal();
    m_terminal->appendPlainText(QStringLiteral("READY"));
    m_terminal->appendPlainText(QStringLiteral(">"));
    showEditor();
    QVERIFY(indicator->isEnabled() && m_editor->overwriteMode());
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QVERIFY(!indicator->isEnabled() && !m_editor->overwriteMode());

    // Text arriving, and the toolbar's Select all, while the editor is in front leave the indicator as
    // it is, not as it was when the terminal page was left.
    m_terminal->appendPlainText(QStringLiteral("more"));
    action("tbnSelectAll")->trigger();
    QVERIFY(!indicator->isEnabled() && !m_editor->overwriteMode());
}

void EditCommandsTest::undo_singleStepAlternatesWithRedo()
{
    showEditor();
    QTest::keyClicks(m_editor, QStringLiteral("10 PRINT"));
    QTest::keyClick(m_editor, Qt::Key_Home);
    QTest::keyClicks(m_editor, QStringLiteral("5"));
    QVERIFY(enabled("mnuUndo") && enabled("tbnUndo") && !enabled("mnuRedo"));

    // Ctrl+Z takes back the last change only.
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    QVERIFY(!enabled("mnuUndo") && !enabled("tbnUndo") && enabled("mnuRedo") && enabled("tbnRedo"));
    // Undo again is impossible: not by the menu item, the button or the key, nor by the pane's own
    // keys for its further history.
    QVERIFY(!runMenuItem(action("mnuUndo")));
    action("tbnUndo")->trigger();
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_editor, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));

    // Redo (Ctrl+Alt+Z) brings back the state before Undo; the single step goes back and forth.
    QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("510 PRINT"));
    QVERIFY(enabled("mnuUndo") && enabled("tbnUndo") && !enabled("mnuRedo") && !enabled("tbnRedo"));
    action("mnuUndo")->trigger();
    action("mnuRedo")->trigger();
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));

    // Redo is the same request as Undo: after a new change it takes that change back.
    QTest::keyClicks(m_editor, QStringLiteral("2"));
    QVERIFY(enabled("mnuRedo"));
    action("mnuRedo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));

    // On the terminal page the request goes to the transcript, which keeps no step.
    showTerminal();
    m_terminal->setPlainText(QStringLiteral("READY"));
    action("mnuUndo")->trigger();
    QCOMPARE(m_terminal->toPlainText(), QStringLiteral("READY"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    QVERIFY(!enabled("mnuUndo") && enabled("mnuRedo"));
}

void EditCommandsTest::undoInOverwriteMode_bringsBackTheCharacterTypedOver()
{
    showEditor(QStringLiteral("10 PRINT"));
    placeCaret(m_editor, 0);
    QTest::keyClick(m_editor, Qt::Key_Insert);
    QTest::keyClicks(m_editor, QStringLiteral("2"));
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));
    action("mnuUndo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT"));
    action("mnuRedo")->trigger();
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("20 PRINT"));
}

void EditCommandsTest::clear_ctrlDelAndTheOccasionsThatEnableIt()
{
    auto states = [this] { return QList<bool>{enabled("mnuClear"), enabled("tbnClear"), enabled("popClear")}; };
    showEditor(QStringLiteral("10 PRINT X"));
    placeCaret(m_editor, 0);
    moveMouseOver(m_editor);
    QCOMPARE(states(), (QList<bool>{false, false, false}));
    // Clear is disabled, and the pane's own Ctrl+Del (deleting the word after the caret) does not act.
    QTest::keyClick(m_editor, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("10 PRINT X"));

    // The press sets the button and the pop-up item from the selection as it is when it goes down; a
    // change of the text sets the menu item and the button.
    placeCaret(m_editor, 3, 0);
    pressMouseOn(m_editor);
    QCOMPARE(states(), (QList<bool>{false, true, true}));
    placeCaret(m_editor, 3, 0); // the click itself put the caret where it went down
    m_editor->insertPlainText(QStringLiteral("20 "));
    QCOMPARE(states(), (QList<bool>{false, false, true}));
    placeCaret(m_editor, 0, 3);
    QTextCursor(m_editor->document()).insertText(QStringLiteral("1"));
    QCOMPARE(states(), (QList<bool>{true, true, true}));
    QTest::keyClick(m_editor, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_editor->toPlainText(), QStringLiteral("1PRINT X"));

    // The terminal's pop-up item is the terminal's; the mouse over the terminal sets it.
    QVERIFY(!enabled("popClearT"));
    showTerminal();
    QVERIFY(!enabled("mnuClear") && !enabled("tbnClear"));
    m_terminal->setPlainText(QStringLiteral("READY"));
    placeCaret(m_terminal, 5, 0);
    moveMouseOver(m_terminal);
    QVERIFY(enabled("popClearT") && enabled("mnuClear") && enabled("tbnClear"));
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
    QPlainTextEdit* pane = editor ? m_editor : m_terminal;
    editor ? showEditor() : showTerminal();
    pane->setPlainText(QStringLiteral("READY"));
    placeCaret(pane, 0);
    moveMouseOver(pane);
    // Ctrl+A selects, but leaves the enabling to the next occasion.
    QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("READY"));
    QVERIFY(!enabled("tbnClear"));

    placeCaret(pane, 0);
    action("tbnSelectAll")->trigger();
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("READY"));
    QVERIFY(enabled("tbnClear") && enabled("mnuClear") && enabled(editor ? "popClear" : "popClearT"));
    action("tbnClear")->trigger();
    QVERIFY(pane->toPlainText().isEmpty());
}

void EditCommandsTest::paneClears_emptyTheirPaneOnly()
{
    m_terminal->setPlainText(QStringLiteral("READY"));
    showEditor(QStringLiteral("10 PRINT X"));
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

void EditCommandsTest::runTabDialog(const QString& text, const char* button)
{
    auto* dialog = m_window->findChild<TfrmTab*>();
    if (!dialog) {
        dialog = new TfrmTab(m_window.get());
        m_window->setTabDialog(dialog);
    }
    QTimer::singleShot(0, dialog, [=] {
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"))->text(), QString::number(TabStep));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtTabStep"))->setText(text);
        dialog->findChild<QPushButton*>(QLatin1String(button))->click();
    });
    m_window->mnuTabulatorClick();
    QVERIFY(!dialog->isVisible());
}

void EditCommandsTest::tabStep_everyClosingSetsBothPanes()
{
    // The item is hidden, as the program has always had it; the command is there all the same.
    QVERIFY(!action("mnuTabulator")->isVisible());
    auto distanceOf = [](int step, const QPlainTextEdit* pane) {
        return PaneCommands::tabStopDistance(step, pane->font());
    };
    TabStep = 12;
    runTabDialog(QStringLiteral("16"), "BitBtnOK");
    QCOMPARE(TabStep, 16);
    // Sixteen dialog units are four average characters of each pane's own font.
    for (QPlainTextEdit* pane : {m_editor, m_terminal})
        QCOMPARE(pane->tabStopDistance(), 4 * QFontMetricsF(pane->font()).averageCharWidth());

    // Cancel keeps the value; the tab stops are set again all the same.
    m_editor->setTabStopDistance(1);
    runTabDialog(QStringLiteral("40"), "BitBtnCancel");
    QCOMPARE(TabStep, 16);
    QCOMPARE(m_editor->tabStopDistance(), distanceOf(16, m_editor));

    // A text that is no integer is reported; the dialog closes and the step stays.
    m_editor->setTabStopDistance(1);
    runTabDialog(QStringLiteral("4.5"), "BitBtnOK");
    QCOMPARE(m_prompts->texts(QStringLiteral("message")),
             QStringList{QStringLiteral("'4.5' ist kein gültiger Integerwert")});
    QCOMPARE(TabStep, 16);
    QCOMPARE(m_editor->tabStopDistance(), distanceOf(16, m_editor));

    // A step the panes cannot lay out is kept as entered and leaves the tab stops alone.
    runTabDialog(QStringLiteral("0"), "BitBtnOK");
    QCOMPARE(TabStep, 0);
    QCOMPARE(m_terminal->tabStopDistance(), distanceOf(16, m_terminal));
}

QTEST_MAIN(EditCommandsTest)
#include "tst_editcommands.moc"
