// The editing commands on the pane in front, the editor's caret panel and overwrite indicator, and the
// tab step: each handler hands over to the pane commands, which hold the logic.

#include "StatusBar.h"
#include "TfrmTerminal.h"
#include "dialogs/TfrmTab.h"
#include "editor/PaneCommands.h"
#include "platform/Prompts.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>

using namespace GlobVar;

void TfrmTerminal::connectEditing()
{
    m_edit = new PaneCommands({this, PageControl1, TSheetEd, MemoT, RTF, mnuClear, tbnClear, popClearT, popClear,
                               mnuSelectAll, mnuUndo, tbnUndo, mnuRedo, tbnRedo, pnlOverWrite, lblUeb},
                              this);
    connect(m_edit, &PaneCommands::caretTextChanged, this,
            [this](const QString& text) { StatusBar1->setPanelText(0, text); });

    connectCommand(popTermClear, &TfrmTerminal::popTermClearClick);
    connectCommand(popEditClear, &TfrmTerminal::popEditClearClick);
    for (auto [item, menuItem] : {std::pair{popClearT, mnuClear}, std::pair{popClear, mnuClear},
                                  std::pair{Allesmarkieren2, mnuSelectAll}, std::pair{Allesmarkieren1, mnuSelectAll}})
        connect(item, &QAction::triggered, this, [menuItem] { runMenuItem(menuItem); });
}

void TfrmTerminal::RTFKeyDown(QKeyEvent* event) { m_edit->editorKeyDown(event); }

void TfrmTerminal::RTFKeyUp() { m_edit->editorKeyUp(); }

void TfrmTerminal::RTFMouseDown() { m_edit->editorMouseDown(); }

void TfrmTerminal::RTFMouseMove() { m_edit->editorMouseMove(); }

void TfrmTerminal::mnuClearClick() { m_edit->clearSelection(); }

void TfrmTerminal::mnuSelectAllClick() { m_edit->selectAll(); }

void TfrmTerminal::tbnSelectAllClick() { m_edit->selectAllFromToolbar(); }

void TfrmTerminal::mnuUndoClick() { m_edit->undo(); }

void TfrmTerminal::mnuRedoClick() { m_edit->redo(); }

void TfrmTerminal::popTermClearClick() { m_edit->clearTerminal(); }

void TfrmTerminal::popEditClearClick() { m_edit->clearEditor(); }

void TfrmTerminal::pnlOverWriteDblClick() { m_edit->postInsertKey(); }

void TfrmTerminal::lblUebDblClick() { m_edit->postInsertKey(); }

void TfrmTerminal::mnuTabulatorClick()
{
    if (m_tabDialog)
        m_tabDialog->exec();
    // However the dialog was left.
    m_edit->applyTabStep(TabStep);
}
