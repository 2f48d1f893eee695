#pragma once

#include <QObject>
#include <QString>

class QAction;
class QFont;
class QKeyEvent;
class QPlainTextEdit;
class QTabWidget;
class QWidget;

// The editing commands that act on whichever pane is in front (Clear, Select all, Undo, Redo), the
// commands that empty one pane, the enabling of Clear, the editor's caret panel and its overwrite
// indicator, and the tab stops of both panes. The main window owns one and hands its handlers to it.
//
// Clear follows one rule for both panes: it is enabled exactly when the pane it would act on has a
// selection. The rule is not watched continuously; it is looked at on the occasions the program has
// always looked at it (the mouse over a pane, a change of the editor's text, a change of page), and
// each occasion sets the Clear commands it has always set.
//
// Each pane keeps a single undo step. Undo and Redo send the same request: it takes back the pane's
// last change, and when that last change was itself such a taking back, it restores what was taken
// back. The pane's document holds the step; the pane's own keys for undoing and redoing further steps
// are taken away from it.
//
// The overwrite indicator mirrors the Insert key in the editor: each press flips both the editor's
// mode and the indicator, and nothing reads the editor's mode back to correct the indicator. While
// the terminal page is in front the indicator is greyed and the editor's state is kept for when the
// editor comes back.
class PaneCommands final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PaneCommands)

public:
    // The window's controls the commands work with.
    struct Controls {
        // Its menu items' shortcuts come before the editor's own keys.
        QWidget* window = nullptr;
        QTabWidget* pages = nullptr;
        QWidget* editorPage = nullptr;
        QPlainTextEdit* terminal = nullptr;
        QPlainTextEdit* editor = nullptr;
        // Clear: the menu item and the toolbar button serve both panes, each pane has its pop-up item.
        QAction* clear = nullptr;
        QAction* clearButton = nullptr;
        QAction* terminalClearPopup = nullptr;
        QAction* editorClearPopup = nullptr;
        QAction* selectAll = nullptr;
        QAction* undo = nullptr;
        QAction* undoButton = nullptr;
        QAction* redo = nullptr;
        QAction* redoButton = nullptr;
        // The overwrite indicator: the label, and the panel it sits in.
        QWidget* overwritePanel = nullptr;
        QWidget* overwriteLabel = nullptr;
    };

    // Watches the panes' mouse, the editor's keys and the indicator's double click.
    PaneCommands(const Controls& controls, QObject* parent);

    QPlainTextEdit* frontPane() const;
    // The caret panel's text for a pane: the line and column of the start of its selection.
    static QString caretText(const QPlainTextEdit* pane);
    // The distance of a tab stop of the given dialog units in a pane with the font: a dialog unit is a
    // quarter of the font's average character width.
    static qreal tabStopDistance(int dialogUnits, const QFont& font);

    // The page changed, or the terminal's text did.
    void pageChanged();

    // The editor pane's keys and mouse, and a change of its text.
    void editorKeyDown(const QKeyEvent* event);
    void editorKeyUp();
    void editorMouseDown();
    void editorMouseMove();
    void editorChanged();
    // The mouse over the terminal pane (its caret panel is the terminal page's).
    void terminalMouseDown();
    void terminalMouseMove();

    // The commands.
    void clearSelection();
    void selectAll();
    // The toolbar's Select all: the menu item, then the page's enabling, so that Clear is enabled at once.
    void selectAllFromToolbar();
    void undo();
    void redo();
    void clearTerminal();
    void clearEditor();
    // A double click on the indicator: an Insert key goes to the editor as if typed there.
    void postInsertKey();
    // One tab stop of `dialogUnits` for both panes. A step below 1 or beyond 32767 (not a distance the
    // panes could lay out) leaves the tab stops as they are.
    void applyTabStep(int dialogUnits);

signals:
    void caretTextChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum ClearCommand : unsigned { MenuItem = 1, Button = 2, Popup = 4, AllClear = MenuItem | Button | Popup };
    // Enables the named Clear commands exactly when the pane has a selection.
    void enableClear(const QPlainTextEdit* pane, unsigned commands);
    void showCaret(const QPlainTextEdit* pane);
    // The pane's single undo step: takes back its last change, or restores the change just taken back.
    void sendUndoRequest(QPlainTextEdit* pane);
    // The window's command whose shortcut the key is, if any.
    QAction* shortcutCommand(const QKeyEvent* event) const;
    // A key pressed in the editor; true when it was used up and the pane must not see it.
    bool editorKeyPressed(QKeyEvent* event);

    Controls m_controls;
    // The indicator's state while the editor was last in front.
    bool m_overwriteRemembered = false;
    bool m_editorWasInFront = false;
    // A key the editor is being handed inside an undo group; it is the pane's to handle now.
    bool m_forwarding = false;
};
