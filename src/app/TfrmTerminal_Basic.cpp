// The editor's BASIC line-number commands: sort, renumber and auto-number.

#include "GlobVar_Unit.h"
#include "TfrmTerminal.h"

#include "basic/SortProgram.h"
#include "dialogs/AutoNum_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "editor/PlainTextEditLines.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>

using namespace GlobVar;

// The line tools write their result back to the pane in one edit with its notifications held back;
// they report what the line-by-line edits would have notified, and this runs the change handler for
// each of those text lengths so that the modified state comes out as it would have.
void TfrmTerminal::replayEditorChanges(const LineChanges& changes)
{
    for (const qsizetype length : changes.lengths())
        editorTextChanged(int(length));
}

void TfrmTerminal::mnuSortClick()
{
    PlainTextEditLines lines(RTF, [this](const LineChanges& c) { replayEditorChanges(c); });
    SortProgram(lines, SortCleanupPending);
}

void TfrmTerminal::mnuReNumberClick()
{
    if (!m_reNum)
        return;
    const auto result = runRenumberCommand(*m_reNum, RTF, SortCleanupPending,
                                           [this](const LineChanges& c) { replayEditorChanges(c); });
    if (result == RenumberCommandResult::Completed && EditorModified) {
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd), editorCaption(false));
        EditorModified = false;
    }
}

void TfrmTerminal::mnuAutoNumberClick()
{
    if (!m_autoNum)
        return;
    toggleAutoNumber(*m_autoNum, RTF, [this](bool on) { tbnAutoNum->setChecked(on); });
}
