// The editor's document commands: each hands over to the document, which holds the logic; the window
// shows its page, its caption and the recent-file items.

#include "TfrmTerminal.h"

#include "editor/EditorDocument.h"
#include "editor/PaneCommands.h"
#include "editor/RecentFileList.h"
#include "platform/Prompts.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>

using namespace GlobVar;

void TfrmTerminal::connectDocument()
{
    m_document = new EditorDocument(RTF, {mnuSave, tbnSave, mnuClose, tbnClose, mnuUndo, tbnUndo, tbnRedo}, this);
    connect(m_document, &EditorDocument::pageWanted, this, [this] { PageControl1->setCurrentWidget(TSheetEd); });
    connect(m_document, &EditorDocument::captionChanged, this,
            [this](const QString& caption) { PageControl1->setTabText(PageControl1->indexOf(TSheetEd), caption); });
    connect(m_document, &EditorDocument::recentFileAdded, this, &TfrmTerminal::showRecentFiles);
}

void TfrmTerminal::showRecentFiles(bool listChanged)
{
    N4->setVisible(true);
    if (!listChanged)
        return;
    for (int k = 0; k < RecentCount; ++k) {
        const QString caption = RecentFileList::caption(k, RecentFiles[k]);
        mnuDateiNr[k]->setText(caption);
        mnuDateiNr[k]->setVisible(true);
        popmnuDLItems[k]->setText(caption);
        popmnuDLItems[k]->setVisible(true);
    }
}

void TfrmTerminal::SetFileTexts() { m_document->setFileTexts(); }

void TfrmTerminal::DatFilter() { m_document->datFilter(); }

void TfrmTerminal::LoadEditorFile() { m_document->loadCurrentFile(); }

void TfrmTerminal::openDocument(const QString& path) { m_document->open(path); }

void TfrmTerminal::AddRecentFile() { m_document->addRecentFile(); }

void TfrmTerminal::RTFChange()
{
    m_document->textChanged();
    // The caret panel and Clear follow the text too (not yet while the window is being built).
    if (m_edit)
        m_edit->editorChanged();
}

void TfrmTerminal::mnuNewClick() { runMenuItem(mnuClose); }

void TfrmTerminal::mnuOpenClick() { m_document->openChosen(); }

void TfrmTerminal::mnuSaveClick() { m_document->save(); }

void TfrmTerminal::mnuSaveAsClick() { m_document->saveAs(); }

void TfrmTerminal::mnuCloseClick() { m_document->close(); }

void TfrmTerminal::mnuDateiNrClick(int number) { m_document->openRecent(number); }

void TfrmTerminal::dropFiles(const QStringList& paths)
{
    if (!m_document->openDropped(paths))
        return;
    RTF->setFocus();
    raise();
    activateWindow();
}

void TfrmTerminal::terminateBySignal(int /*signalNumber*/)
{
    if (m_closeDone)
        return;
    m_document->keepForRecovery();
    if (PortOpen)
        tbnCommCloseClick();
    FormClose();
    m_closeDone = true;
    hide();
    emit closed();
}

void TfrmTerminal::offerRecovery() { m_document->offerRecovery(); }
