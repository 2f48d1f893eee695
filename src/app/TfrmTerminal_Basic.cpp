// The editor's BASIC line-number commands: sort, renumber and auto-number.

#include "settings/GlobVar_Unit.h"
#include "TfrmTerminal.h"

#include "basic/LineSyntax.h"
#include "basic/SortProgram.h"
#include "dialogs/AutoNum_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "editor/EditorDocument.h"
#include "editor/PlainTextEditLines.h"
#include "platform/Errors.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>

using namespace GlobVar;

// The line tools write their result back to the pane in one edit with its notifications held back;
// they report what the line-by-line edits would have notified, and this runs the change handler for
// each of those text lengths so that the modified state comes out as it would have.
void TfrmTerminal::replayEditorChanges(const LineChanges& changes)
{
    for (const qsizetype length : changes.lengths())
        m_document->textChanged(int(length));
}

void TfrmTerminal::showingUnnumberedLine(const std::function<void()>& tool)
{
    try {
        tool();
    } catch (const EConvertError& e) {
        // The message names the line's first word; the caret goes to the line it came from, so that
        // the user need not search a long program for it. The error itself is shown as usual.
        const QStringList lines = PlainTextEditLines::paneLines(RTF);
        for (int k = 0; k < lines.size(); ++k) {
            const QString word = FirstWord(lines[k]);
            if (!IsInteger(word) && e.message() == ConvertErrorText(word)) {
                PageControl1->setCurrentWidget(TSheetEd);
                RTF->setTextCursor(QTextCursor(RTF->document()->findBlockByNumber(k)));
                RTF->centerCursor();
                RTF->setFocus();
                break;
            }
        }
        throw;
    }
}

void TfrmTerminal::mnuSortClick()
{
    showingUnnumberedLine([this] {
        PlainTextEditLines lines(RTF, [this](const LineChanges& c) { replayEditorChanges(c); });
        SortProgram(lines, SortCleanupPending);
    });
}

void TfrmTerminal::mnuReNumberClick()
{
    if (!m_reNum)
        return;
    // A renumbered program is a changed program: it counts as modified until it is saved, like any
    // other edit, so that closing asks before the new numbers are lost.
    showingUnnumberedLine([this] {
        runRenumberCommand(*m_reNum, RTF, SortCleanupPending,
                           [this](const LineChanges& c) { replayEditorChanges(c); });
    });
}

void TfrmTerminal::mnuAutoNumberClick()
{
    if (!m_autoNum)
        return;
    toggleAutoNumber(*m_autoNum, RTF, [this](bool on) { tbnAutoNum->setChecked(on); });
}
