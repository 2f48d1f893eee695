// The terminal page's handlers, handed to the page, which holds their logic.

#include "StatusBar.h"
#include "TfrmTerminal.h"
#include "editor/FindBar.h"
#include "editor/PaneCommands.h"
#include "platform/Prompts.h"
#include "serial/SerComm.h"
#include "platform/StringTable.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/TerminalPage.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

using namespace GlobVar;

namespace {

// How long a pop-up menu takes to leave the screen after its item was chosen.
constexpr int kPopupGoneMs = 100;

} // namespace

void TfrmTerminal::connectTerminal()
{
    m_terminal = new TerminalPage(this, {MemoT, RTF, SerComm1, tbnCommOpen, tbnCommClose, tbnBreak, tbnTransmit,
                                         mnuEcho, mnuMitschnitt, mnuMitschnittGesendet});
    connect(m_terminal, &TerminalPage::loggingChanged, this, &TfrmTerminal::showLogging);
    connect(m_terminal, &TerminalPage::caretTextChanged, this,
            [this](const QString& text) { StatusBar1->setPanelText(0, text); });
    connect(m_terminal, &TerminalPage::pageWanted, this, [this] { PageControl1->setCurrentWidget(TSheetTerm); });
    connect(m_terminal, &TerminalPage::focusWanted, this, &TfrmTerminal::focusFrontPane);
    StatusBar1->setPanelToolTip(1, [this] { return m_terminal->portToolTip(); });

    // Port events run in the port's hand-overs, which show an error of theirs and go on.
    SerComm1->OnRxChar = [this](TSerCustomComm*, int count) { SerComm1RxChar(count); };
    SerComm1->OnTxEmpty = [this](TSerCustomComm*) { SerComm1TxEmpty(); };
    SerComm1->OnBreak = [this](TSerCustomComm*) { SerComm1Break(); };
    SerComm1->OnLost = [this](TSerCustomComm*, const QString& message) { SerComm1Lost(message); };

    connectCommand(tbnCommOpen, &TfrmTerminal::tbnCommOpenClick);
    connectCommand(tbnCommClose, &TfrmTerminal::tbnCommCloseClick);
    connectCommand(tbnBreak, &TfrmTerminal::tbnBreakClick);
    connectCommand(tbnTransmit, &TfrmTerminal::tbnTransmitClick);
    connectTransfer();
    connectCommand(mnuEcho, &TfrmTerminal::mnuEchoClick);
    connectCommand(mnuFTasten, &TfrmTerminal::mnuFTastenClick);

    auto forward = [this](QAction* from, QAction* menuItem) {
        connect(from, &QAction::triggered, this, [menuItem] { runMenuItem(menuItem); });
    };
    forward(popEinstellungen, mnuEinstellungen);
    forward(popFontFarbenTerminal, mnuFontFarbenTerminal);
    forward(popFontFarbenEditor, mnuFontFarbenEditor);

    MemoT->installEventFilter(this);

    // A menu closed with Escape leaves the menu bar holding the keyboard, and the next letters
    // typed would open menus. The focus goes back once the menu bar has let go of the menu.
    for (QAction* top : MainMenu1->actions())
        if (QMenu* menu = top->menu())
            connect(menu, &QMenu::aboutToHide, this, [this] {
                QTimer::singleShot(0, this, [this] {
                    if (!QApplication::activePopupWidget())
                        focusFrontPane();
                });
            });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { focusFrontPane(); });
}

QPlainTextEdit* TfrmTerminal::frontPane() const
{
    return PageControl1->currentWidget() == TSheetEd ? RTF : MemoT;
}

void TfrmTerminal::focusFrontPane()
{
    // The keys typed next are meant for the board (or the editor), never for the menu bar or a
    // toolbar that happened to keep the focus. The find bar, opened from a menu, keeps its field.
    if (m_findBar && m_findBar->isVisible() && m_findBar->isAncestorOf(focusWidget()))
        return;
    frontPane()->setFocus(Qt::OtherFocusReason);
}

void TfrmTerminal::tbnCommOpenClick() { m_terminal->openPort(); }

void TfrmTerminal::tbnCommCloseClick() { m_terminal->closePort(); }

void TfrmTerminal::SerComm1RxChar(int /*count*/) { m_terminal->received(); }

void TfrmTerminal::tmrGatherTimer() { m_terminal->gatherEnded(); }

void TfrmTerminal::SerComm1Lost(const QString& message) { m_terminal->lost(message); }

void TfrmTerminal::SerComm1TxEmpty() { m_terminal->transmitEmpty(); }

void TfrmTerminal::SerComm1Break() { m_terminal->breakReceived(); }

bool TfrmTerminal::MemoTKeyPress(QKeyEvent* event) { return m_terminal->keyPressed(event); }

void TfrmTerminal::MemoTKeyUp() { m_terminal->showCaretPosition(); }

void TfrmTerminal::MemoTMouseDown() { m_edit->terminalMouseDown(); }

void TfrmTerminal::MemoTMouseMove()
{
    m_edit->terminalMouseMove();
    m_terminal->showCaretPosition();
}

void TfrmTerminal::FormKeyUp(QKeyEvent* event) { m_terminal->windowKeyReleased(event); }

void TfrmTerminal::tbnBreakClick() { m_terminal->sendControlC(); }

void TfrmTerminal::mnuEchoClick() { m_terminal->toggleEcho(); }

void TfrmTerminal::tbnTransmitClick() { m_terminal->transmit(); }

void TfrmTerminal::buildLogIndicator()
{
    pnlLog = new QLabel(StringTable::LoadStr(986), StatusBar1);
    pnlLog->setObjectName(QStringLiteral("pnlLog"));
    pnlLog->setFixedSize(32, 17);
    pnlLog->setAlignment(Qt::AlignCenter);
    pnlLog->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont bold = pnlLog->font();
    bold.setBold(true);
    bold.setPixelSize(9);
    pnlLog->setFont(bold);
    pnlLog->hide();
}

void TfrmTerminal::showLogging(bool running) { pnlLog->setVisible(running); }

void TfrmTerminal::mnuMitschnittClick() { m_terminal->toggleSessionLog(); }

void TfrmTerminal::mnuMitschnittGesendetClick() { m_terminal->logSentToggled(); }

void TfrmTerminal::connectTransfer()
{
    m_terminal->setTransferCommands(mnuTransmit, mnuFetch, popFetch);
    connect(m_terminal, &TerminalPage::statusTextChanged, this, [this](const QString& text) {
        StatusBar1->setPanelText(4, text);
        FormCanResize(width());
    });
    // From the pane's pop-up menu the fetch starts a moment later: the menu leaves the screen only once
    // the window system has dealt with its closing, and while the fetch runs the window is only painted.
    connect(popFetch, &QAction::triggered, this,
            [this] { QTimer::singleShot(kPopupGoneMs, this, [this] { runMenuItem(mnuFetch); }); });
    connect(m_terminal, &TerminalPage::editorWanted, this, [this] {
        PageControl1->setCurrentWidget(TSheetEd);
        RTF->setFocus();
    });
}

void TfrmTerminal::fitTransmissionPanel()
{
    if (StatusBar1->panelText(4).isEmpty())
        return;
    // Up to where the overwrite indicator and the clock begin at the bar's right end.
    const int overlaysLeft = StatusBar1->width() - pnlUhr->width() - 6 - pnlOverWrite->width() - 4;
    const int excess = StatusBar1->panelLeft(5) - overlaysLeft;
    if (excess > 0)
        StatusBar1->setPanelWidth(3, qMax(StatusBar1->panelWidth(3) - excess, -24));
}

void TfrmTerminal::mnuTransmitClick() { m_terminal->transmit(); }

void TfrmTerminal::mnuFetchClick() { m_terminal->fetchProgram(*m_document); }

void TfrmTerminal::mnuFTastenClick()
{
    // The item has already ticked or unticked itself on the click: ticked now means show.
    if (m_functionKeys)
        m_functionKeys->setVisible(mnuFTasten->isChecked());
}
