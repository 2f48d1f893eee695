#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QFrame;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolBar;
class BasicHighlighter;
class EditorDocument;
class FindBar;
class EditorPrinting;
class LineChanges;
class StatusBar;
class TRegistry;
class TerminalPage;
class TSerComm;
class TfrmAutoNum;
class TfrmComPort;
class TfrmEinstellungen;
class TfrmEnvironment;
class TfrmReNum;
class TfrmTab;
class PaneCommands;

// The main window: the terminal and editor pages, the menus and toolbars, the status bar with its
// clock, and the start-up, settings and file handling that belong to the window's frame. Every control
// carries its name as objectName and its string-table number as the property "tag".
//
// Handlers keep the names of the program's event model (FormCreate, mnuOpenClick ...). Commands run
// from code or from a toolbar button go through runMenuItem(), which does nothing while the menu item
// is disabled.
class TfrmTerminal final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmTerminal)

public:
    // Builds the window in its design state and runs FormCreate with the program's arguments (the
    // first one, when present, names a file to load).
    explicit TfrmTerminal(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TfrmTerminal() override;

    // --- frame (start-up, activation, layout, clock, help, exit)
    void FormCreate(const QStringList& arguments);
    void FormActivate();
    void FormCanResize(int newWidth);
    bool FormCloseQuery();
    void FormClose();
    void mnuBeendenClick();
    void TSheetChange();
    void Timer1Timer();
    void pnlUhrMouseMove();
    void ControlBar1Resize();
    void popmnuStandardClick();
    void mnuInhaltClick();
    void mnuBasicReferenzClick();
    void mnuUpdateClick();
    void mnuInfoClick();
    // The program is ended from outside (SIGTERM, SIGHUP, SIGINT): nothing is asked; an unsaved
    // editor text goes to the recovery file, the settings are saved as at a normal exit, and the
    // window closes.
    void terminateBySignal(int signalNumber);
    // At start: offers an editor text kept by such an end; restored, it is the modified document
    // under its old name. Cancel keeps it for the next start.
    void offerRecovery();
    // Files dropped on the window, in the order the desktop lists them.
    void dropFiles(const QStringList& paths);

    // --- language
    void mnuDeutschClick();
    void mnuEnglishClick();

    // --- settings
    void LoadSettings();
    void SaveSettings();
    void CreateDefaultSettings();

    // --- documents and files
    void LoadEditorFile();
    // Loads the file as the current document; when it cannot be loaded, the document keeps its name.
    void openDocument(const QString& path);
    void AddRecentFile();
    void SetFileTexts();
    void DatFilter();
    void RTFChange();
    void mnuNewClick();
    void mnuOpenClick();
    void mnuSaveClick();
    void mnuSaveAsClick();
    void mnuCloseClick();
    void mnuDateiNrClick(int number);

    // --- the port
    // Hands the line-parameter codes of the global state to the port component; an open port is
    // closed first and stays closed until the user opens it again.
    void ApplyPortSettings();
    void SerComm1Open();
    void SerComm1Close();

    // --- the terminal page
    void tbnCommOpenClick();
    void tbnCommCloseClick();
    void SerComm1RxChar(int count);
    // The gathering of received text has ended: everything waiting goes into the pane.
    void tmrGatherTimer();
    // The device went away: the port is closed and the user told which one.
    void SerComm1Lost(const QString& message);
    void SerComm1TxEmpty();
    void SerComm1Break();
    // A key pressed in the terminal pane; returns true when the key was used up (sent, run as a
    // command or dropped) and the pane must not handle it.
    bool MemoTKeyPress(QKeyEvent* event);
    void MemoTKeyUp();
    void MemoTMouseDown();
    void MemoTMouseMove();
    void mnuEchoClick();
    void tbnBreakClick();
    // A key released anywhere in the window.
    void FormKeyUp(QKeyEvent* event);
    void mnuFTastenClick();
    // Sends the editor's program line by line; returns when it is sent or a line timed out.
    void tbnTransmitClick();

    // --- editing commands on the pane in front, the editor's caret panel, overwrite mode and tab step
    // (the toolbar buttons and pop-up items run their menu items)
    void RTFKeyDown(QKeyEvent* event);
    void RTFKeyUp();
    void RTFMouseDown();
    void RTFMouseMove();
    void mnuClearClick();
    void mnuSelectAllClick();
    void tbnSelectAllClick();
    void mnuUndoClick();
    void mnuRedoClick();
    void popTermClearClick();
    void popEditClearClick();
    void pnlOverWriteDblClick();
    void lblUebDblClick();
    void mnuTabulatorClick();
    void setTabDialog(TfrmTab* dialog) { m_tabDialog = dialog; }

    // --- BASIC line-number tools
    void mnuSortClick();
    void mnuReNumberClick();
    void mnuAutoNumberClick();

    // --- printing: the editor's program as a listing, its preview and the printer setup
    void mnuDruckenClick();
    void Druckereinrichtung1Click();
    void mnuDruckvorschauClick();
    QAction* mnuDruckvorschau = nullptr;
    // The print commands and the printer they share, made at their first use.
    EditorPrinting* printing();

private:
    EditorPrinting* m_printing = nullptr;

public:

    // The editor's document: its file, its state and its file commands.
    EditorDocument* document() const { return m_document; }

    // The program's own windows (its dialogs and the function-key window): when one of them closes,
    // the next activation of the main window runs FormActivate. Other activations (after a message
    // box, a file dialog or another program) do not.
    void watchOwnWindow(QWidget* window);

    // The windows created after the main window that the frame uses (set by the start-up).
    void setFunctionKeyWindow(QWidget* window) { m_functionKeys = window; }
    void setUpdateDialog(QWidget* dialog) { m_updateDialog = dialog; }
    void setInfoDialog(QWidget* dialog) { m_infoDialog = dialog; }
    void setLineToolDialogs(TfrmReNum* reNum, TfrmAutoNum* autoNum)
    {
        m_reNum = reNum;
        m_autoNum = autoNum;
    }

    TSerComm* SerComm1 = nullptr;
    QPlainTextEdit* MemoT = nullptr;
    QPlainTextEdit* RTF = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TSheetTerm = nullptr;
    QWidget* TSheetEd = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QFrame* pnlOverWrite = nullptr;
    QLabel* lblUeb = nullptr;
    QLabel* pnlUhr = nullptr;
    QTimer* Timer1 = nullptr;
    QToolBar* tbMenu = nullptr;
    QToolBar* tbStandard = nullptr;
    QToolBar* tbSteuerung = nullptr;
    QMenuBar* MainMenu1 = nullptr;

    // Menu items.
    QAction *mnuNew, *mnuOpen, *mnuSave, *mnuSaveAs, *mnuClose, *mnuDrucken, *Druckereinrichtung1, *N4,
        *mnuBeenden;
    std::array<QAction*, 4> mnuDateiNr{};
    QAction *mnuUndo, *mnuRedo, *mnuCut, *mnuCopy, *mnuPaste, *mnuClear, *mnuSelectAll;
    QAction *mnuEcho, *ANSIASCII1, *mnuFontFarbenTerminal, *mnuComPort, *mnuEinstellungen;
    QAction *mnuFontFarbenEditor, *mnuTabulator, *mnuAutoNumber, *mnuReNumber, *mnuSort;
    QAction *mnuUmgebungsoptionen, *mnuFTasten, *mnuDeutsch, *mnuEnglish;
    QAction *mnuInhalt, *mnuBasicReferenz, *mnuUpdate, *mnuInfo;
    QAction *EditCut1, *EditCopy1, *EditPaste1;

    // Toolbar buttons.
    QAction *tbnNew, *tbnOpen, *tbnSave, *tbnSaveAs, *tbnClose, *tbnDrucken, *tbnUndo, *tbnRedo, *tbnAuschneiden,
        *tbnKopieren, *tbnEinfuegen, *tbnClear, *tbnSelectAll;
    QAction *tbnCommOpen, *tbnCommClose, *tbnTransmit, *tbnBreak, *tbnEinstellungen, *tbnEnvironmnet, *tbnAutoNum,
        *tbnRenumber, *tbnZNSort, *tbnEmpty, *tbnExit;

    // Pop-up menus and their items.
    QMenu *popmnuTerm, *popmnuEd, *popmnuMenubar, *popmnuDL;
    std::array<QAction*, 4> popmnuDLItems{}; // N11 ... N41
    QAction *popEinstellungen, *popFontFarbenTerminal, *Ausschneiden3, *Kopieren3, *Lschen1, *popClearT,
        *Allesmarkieren2, *popTermClear;
    QAction *popFontFarbenEditor, *Ausschneiden1, *Kopieren1, *Einfgen1, *popClear, *Allesmarkieren1,
        *popEditClear;
    QAction *popmnuStandard, *popmnuSteuerung;

signals:
    // The window was closed after its close question (the program ends).
    void closed();
    // The window became active for the first time (start-up is complete).
    void firstActivation();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    void connectTerminal();
    void connectEditing();
    QPlainTextEdit* frontPane() const;

    // The handler runs when the item is triggered; an exception from it is shown and goes no further.
    void connectCommand(QAction* item, void (TfrmTerminal::*handler)());
    void buildMenus();
    void addRecentFileItems(QMenu* menu);
    void buildPopupMenus();
    void buildToolbars();
    void buildPages();
    void buildStatusBar();
    void placeOverlayPanels();
    void setLanguage(int language, bool storeChoice);
    void connectDocument();
    // The recent-file items of the File menu and of its pop-up, from the recent list.
    void showRecentFiles(bool listChanged);
    void replayEditorChanges(const LineChanges& changes);
    // Runs a line tool; when it stops on a line without a line number, the caret is put on that line
    // before the error goes on to be shown.
    void showingUnnumberedLine(const std::function<void()>& tool);
    // A pane showing a stand-in for a stored face this machine lacks: {stored name, face shown}.
    static constexpr char FontStandInProperty[] = "fontStandIn";
    // The face name to store for a pane: the stored name while its stand-in is shown.
    static QString storedFontFamily(const QPlainTextEdit* pane);
    void applyPaneFont(QPlainTextEdit* pane, const QString& family, int size, quint32 color);
    void loadPaneFont(QPlainTextEdit* pane, const QString& prefix, QString& family, int& size, quint32& color);
    void storePaneFont(QPlainTextEdit* pane, const QString& prefix);
    void showHelp(const QString& document, const QString& topic);

    std::unique_ptr<TRegistry> m_registry;
    EditorDocument* m_document = nullptr;
    TerminalPage* m_terminal = nullptr;
    QWidget* m_functionKeys = nullptr;
    QWidget* m_updateDialog = nullptr;
    QWidget* m_infoDialog = nullptr;
    TfrmReNum* m_reNum = nullptr;
    TfrmAutoNum* m_autoNum = nullptr;
    PaneCommands* m_edit = nullptr;
    TfrmTab* m_tabDialog = nullptr;
    // Guarded: the dialogs are the window's children and go while it is being destroyed.
    QList<QPointer<QWidget>> m_ownWindows;
    bool m_ownWindowClosed = false;
    // FormClose has run: the settings are saved and their accessor released.
    bool m_closeDone = false;
    // Gives the keyboard back to the pane in front (after a menu closed, a page change, an open).
    void focusFrontPane();

    // --- the environment options dialog (TfrmEnvironment) and the pane font commands
public:
    void mnuUmgebungsoptionenClick();
    void mnuFontFarbenTerminalClick();
    void mnuFontFarbenEditorClick();
    void setEnvironmentDialog(TfrmEnvironment* dialog) { m_environment = dialog; }

private:
    // The font chooser for a pane, loaded with its font and colour; what the user confirms becomes the
    // whole pane's font. The selection goes in any case.
    void choosePaneFont(QPlainTextEdit* pane);
    TfrmEnvironment* m_environment = nullptr;

    // --- the line-parameter and port dialogs (TfrmEinstellungen, TfrmComPort)
public:
    // Each shows its dialog; once either dialog's OK has been pressed in this run, every later closing
    // of either hands the codes to the port again (which closes an open port).
    void mnuEinstellungenClick();
    void mnuComPortClick();
    void setPortDialogs(TfrmEinstellungen* settings, TfrmComPort* port)
    {
        m_settingsDialog = settings;
        m_portDialog = port;
    }

private:
    TfrmEinstellungen* m_settingsDialog = nullptr;
    TfrmComPort* m_portDialog = nullptr;

    // --- finding text in the pane in front, and the editor's colours
public:
    // The find bar under the page; F3 and Shift+F3 go to the next and previous place.
    void mnuSuchenClick();
    void mnuSuchenWeiterClick();
    void mnuSuchenZurueckClick();
    // Switches the editor's colours on or off (EditorHighlight).
    void mnuSyntaxHighlightClick();
    QAction *mnuSuchen = nullptr, *mnuSuchenWeiter = nullptr, *mnuSuchenZurueck = nullptr,
            *mnuSyntaxHighlight = nullptr;
    FindBar* findBar() const { return m_findBar; }

private:
    void connectFinding();
    // The editor's colours and the menu item's tick as EditorHighlight says.
    void showHighlighting();
    FindBar* m_findBar = nullptr;
    BasicHighlighter* m_highlighter = nullptr;

    // --- the session log (the terminal page keeps it; status panel 5 shows "LOG" while it runs)
public:
    void mnuMitschnittClick();
    void mnuMitschnittGesendetClick();
    QAction *mnuMitschnitt = nullptr, *mnuMitschnittGesendet = nullptr;
    // "LOG" while the log runs. Panel 5 lies under the clock, whose text a panel text would run
    // into; the indicator sits beside the overwrite indicator instead, as a small panel of its own.
    QLabel* pnlLog = nullptr;

private:
    void buildLogIndicator();
    void showLogging(bool running);
    // --- the transmission's menu item (its stop command while it runs) and the program fetched back
    //     from the board (Terminal menu and terminal pop-up)
public:
    void mnuTransmitClick();
    void mnuFetchClick();
    QAction* mnuTransmit = nullptr;
    QAction* mnuFetch = nullptr;
    QAction* popFetch = nullptr;

private:
    void connectTransfer();
    // A long text in status panel 4 takes its room from the handshake panel beside it.
    void fitTransmissionPanel();
};
