#include "editor/PaneCommands.h"

#include "editor/CaretText.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// The largest tab step laid out, in dialog units: the platform's dialog units were 16-bit values.
constexpr int kLargestTabStep = 32767;

bool isInsertKey(const QKeyEvent* event)
{
    // Shift+Insert pastes and Ctrl+Insert copies; only the key alone switches the mode.
    return event->key() == Qt::Key_Insert && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The pane's own keys for stepping through its whole history (Ctrl+Y, Ctrl+Shift+Z ...).
bool isOwnHistoryKey(const QKeyEvent* event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

} // namespace

PaneCommands::PaneCommands(const Controls& controls, QObject* parent) : QObject(parent), m_controls(controls)
{
    QPlainTextEdit* editor = m_controls.editor;
    editor->installEventFilter(this);
    editor->viewport()->installEventFilter(this);
    editor->viewport()->setMouseTracking(true);
    m_controls.terminal->viewport()->installEventFilter(this);
    m_controls.terminal->viewport()->setMouseTracking(true);
    m_controls.overwritePanel->installEventFilter(this);
    m_controls.overwriteLabel->installEventFilter(this);
}

QPlainTextEdit* PaneCommands::frontPane() const
{
    return m_controls.pages->currentWidget() == m_controls.editorPage ? m_controls.editor : m_controls.terminal;
}

QString PaneCommands::caretText(const QPlainTextEdit* pane)
{
    const int start = pane->textCursor().selectionStart();
    const QTextBlock line = pane->document()->findBlock(start);
    return caretPanelText(line.blockNumber(), start - line.position());
}

qreal PaneCommands::tabStopDistance(int dialogUnits, const QFont& font)
{
    return dialogUnits * QFontMetricsF(font).averageCharWidth() / 4;
}

// ---------------------------------------------------------------------------------------------------
// Enabling and the caret panel

void PaneCommands::enableClear(const QPlainTextEdit* pane, unsigned commands)
{
    const bool selection = pane->textCursor().hasSelection();
    if (commands & MenuItem)
        m_controls.clear->setEnabled(selection);
    if (commands & Button)
        m_controls.clearButton->setEnabled(selection);
    if (commands & Popup)
        (pane == m_controls.editor ? m_controls.editorClearPopup : m_controls.terminalClearPopup)
            ->setEnabled(selection);
}

void PaneCommands::showCaret(const QPlainTextEdit* pane) { emit caretTextChanged(caretText(pane)); }

void PaneCommands::pageChanged()
{
    const bool editorInFront = frontPane() == m_controls.editor;
    QWidget* label = m_controls.overwriteLabel;
    if (!editorInFront) {
        // Taken when the editor goes, not again on every change of the terminal's text, which would
        // take the greyed indicator for the editor's mode.
        if (m_editorWasInFront)
            m_overwriteRemembered = label->isEnabled();
        label->setEnabled(false);
        m_controls.overwritePanel->setEnabled(false);
    } else {
        // Only when the editor comes back: while it stays in front the indicator is the live one.
        if (!m_editorWasInFront)
            label->setEnabled(m_overwriteRemembered);
        m_controls.overwritePanel->setEnabled(true);
    }
    m_editorWasInFront = editorInFront;
    enableClear(frontPane(), AllClear);
}

void PaneCommands::editorKeyDown(const QKeyEvent* event)
{
    // Where the caret stands before the key takes effect; the release shows where it went.
    showCaret(m_controls.editor);
    if (isInsertKey(event)) {
        QPlainTextEdit* editor = m_controls.editor;
        editor->setOverwriteMode(!editor->overwriteMode());
        m_controls.overwriteLabel->setEnabled(!m_controls.overwriteLabel->isEnabled());
    }
}

void PaneCommands::editorKeyUp() { showCaret(m_controls.editor); }

void PaneCommands::editorMouseDown() { enableClear(m_controls.editor, Button | Popup); }

void PaneCommands::editorMouseMove()
{
    enableClear(m_controls.editor, AllClear);
    showCaret(m_controls.editor);
}

void PaneCommands::editorChanged()
{
    showCaret(m_controls.editor);
    enableClear(m_controls.editor, MenuItem | Button);
}

void PaneCommands::terminalMouseDown() { enableClear(m_controls.terminal, AllClear); }

void PaneCommands::terminalMouseMove() { enableClear(m_controls.terminal, AllClear); }

// ---------------------------------------------------------------------------------------------------
// The commands

void PaneCommands::clearSelection()
{
    QPlainTextEdit* pane = frontPane();
    QTextCursor caret = pane->textCursor();
    caret.removeSelectedText();
    pane->setTextCursor(caret);
}

void PaneCommands::selectAll() { frontPane()->selectAll(); }

void PaneCommands::selectAllFromToolbar()
{
    runMenuItem(m_controls.selectAll);
    pageChanged();
}

void PaneCommands::sendUndoRequest(QPlainTextEdit* pane)
{
    // The pane's document can restore only right after a taking back: any change empties what it
    // could restore, and that change is then the last one, which the request takes back.
    const QTextDocument* document = pane->document();
    if (document->isRedoAvailable())
        pane->redo();
    else if (document->isUndoAvailable())
        pane->undo();
}

void PaneCommands::undo()
{
    sendUndoRequest(frontPane());
    m_controls.undo->setEnabled(false);
    m_controls.undoButton->setEnabled(false);
    m_controls.redo->setEnabled(true);
    m_controls.redoButton->setEnabled(true);
}

void PaneCommands::redo()
{
    sendUndoRequest(frontPane());
    m_controls.undo->setEnabled(true);
    m_controls.undoButton->setEnabled(true);
    m_controls.redo->setEnabled(false);
    m_controls.redoButton->setEnabled(false);
}

void PaneCommands::clearTerminal() { m_controls.terminal->clear(); }

void PaneCommands::clearEditor() { m_controls.editor->clear(); }

void PaneCommands::postInsertKey()
{
    QCoreApplication::postEvent(m_controls.editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier));
}

void PaneCommands::applyTabStep(int dialogUnits)
{
    if (dialogUnits < 1 || dialogUnits > kLargestTabStep)
        return;
    for (QPlainTextEdit* pane : {m_controls.terminal, m_controls.editor})
        pane->setTabStopDistance(tabStopDistance(dialogUnits, pane->font()));
}

// ---------------------------------------------------------------------------------------------------
// The keyboard and the mouse

QAction* PaneCommands::shortcutCommand(const QKeyEvent* event) const
{
    const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    // Menu items first: a pop-up item with the same shortcut runs the same command.
    for (const QList<QAction*>& list : {m_controls.window->actions(), m_controls.editor->actions()})
        for (QAction* a : list)
            if (!a->shortcut().isEmpty() && a->shortcut() == pressed)
                return a;
    return nullptr;
}

bool PaneCommands::editorKeyPressed(QKeyEvent* event)
{
    editorKeyDown(event);
    if (QAction* command = shortcutCommand(event)) {
        // A disabled command does nothing, and the pane's own meaning of the key (Ctrl+Del deleting a
        // word, Ctrl+Z stepping back through its history) does not stand in for it.
        runMenuItem(command);
        return true;
    }
    if (isOwnHistoryKey(event))
        return true;
    QPlainTextEdit* editor = m_controls.editor;
    if (!editor->overwriteMode() || event->text().isEmpty())
        return false;
    // Typing over a character removes it and inserts the new one as two edits of the pane's history;
    // grouped, the undo step takes back both, instead of leaving the character typed over missing.
    QTextCursor group(editor->document());
    group.beginEditBlock();
    m_forwarding = true;
    QCoreApplication::sendEvent(editor, event);
    m_forwarding = false;
    group.endEditBlock();
    return true;
}

bool PaneCommands::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    QPlainTextEdit* editor = m_controls.editor;
    if (watched == editor) {
        if (m_forwarding)
            return false;
        if (type == QEvent::ShortcutOverride) {
            // The pane would take these keys for its own editing; claiming them brings them here as
            // key presses, where the window's commands come first.
            const auto* key = static_cast<QKeyEvent*>(event);
            if (shortcutCommand(key) || isOwnHistoryKey(key)) {
                event->accept();
                return true;
            }
        } else if (type == QEvent::KeyPress) {
            bool used = true;
            runCommand([&] { used = editorKeyPressed(static_cast<QKeyEvent*>(event)); });
            return used;
        } else if (type == QEvent::KeyRelease) {
            editorKeyUp();
        }
        return false;
    }
    if (watched == editor->viewport()) {
        // Seen before the pane acts on the press: the selection is still the one before the click.
        if (type == QEvent::MouseButtonPress)
            editorMouseDown();
        else if (type == QEvent::MouseMove)
            editorMouseMove();
        return false;
    }
    if (watched == m_controls.terminal->viewport()) {
        if (type == QEvent::MouseButtonPress)
            terminalMouseDown();
        else if (type == QEvent::MouseMove)
            terminalMouseMove();
        return false;
    }
    if (type == QEvent::MouseButtonDblClick &&
        (watched == m_controls.overwriteLabel || watched == m_controls.overwritePanel)) {
        // A greyed label passes the click on to its panel, which is enabled while the editor is in
        // front; on the terminal page both are disabled and the click does nothing.
        if (!static_cast<QWidget*>(watched)->isEnabled())
            return false;
        postInsertKey();
        return true;
    }
    return false;
}
