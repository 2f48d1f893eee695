// Finding text in the pane in front, and the colours of the editor's program: the find bar and the
// highlighter hold the logic; the window places them and follows the page in front.

#include "StatusBar.h"
#include "TfrmTerminal.h"
#include "editor/BasicHighlighter.h"
#include "editor/FindBar.h"
#include "editor/PaneCommands.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QBoxLayout>
#include <QPlainTextEdit>
#include <QTabWidget>

using namespace GlobVar;

void TfrmTerminal::connectFinding()
{
    m_findBar = new FindBar(centralWidget());
    // Under the page, above the status bar.
    if (auto* layout = qobject_cast<QBoxLayout*>(centralWidget()->layout()))
        layout->insertWidget(layout->indexOf(PageControl1) + 1, m_findBar);
    m_findBar->setPane(frontPane());
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { m_findBar->setPane(frontPane()); });
    // A place found is the pane's selection and caret: the Clear commands and the caret panel follow.
    connect(m_findBar, &FindBar::found, this, [this] {
        TSheetChange();
        StatusBar1->setPanelText(0, PaneCommands::caretText(frontPane()));
    });

    m_highlighter = new BasicHighlighter(this);
    showHighlighting();
}

void TfrmTerminal::mnuSuchenClick()
{
    m_findBar->setPane(frontPane());
    m_findBar->open();
}

void TfrmTerminal::mnuSuchenWeiterClick()
{
    m_findBar->setPane(frontPane());
    m_findBar->findNext();
}

void TfrmTerminal::mnuSuchenZurueckClick()
{
    m_findBar->setPane(frontPane());
    m_findBar->findPrevious();
}

void TfrmTerminal::mnuSyntaxHighlightClick()
{
    EditorHighlight = !EditorHighlight;
    showHighlighting();
}

void TfrmTerminal::showHighlighting()
{
    mnuSyntaxHighlight->setChecked(EditorHighlight);
    if (m_highlighter->isOn() != EditorHighlight)
        m_highlighter->attach(RTF->document(), EditorHighlight);
}
