#include "TfrmTerminal.h"

#include "HelpWindow.h"
#include "platform/Icons.h"
#include "sprache.h"
#include "StatusBar.h"
#include "platform/StringTable.h"
#include "platform/WinColor.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"

#include "editor/EditorDocument.h"
#include "editor/FindBar.h"
#include "editor/PaneCommands.h"
#include "platform/Prompts.h"
#include "serial/PortCodes.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "serial/SerialPortList.h"
#include "terminal/TerminalPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

using namespace GlobVar;

TfrmTerminal::TfrmTerminal(const QStringList& arguments, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QStringLiteral("Terminal - 8052 AH-Basic"));
    // Every window of the program (dialogs, help, splash) carries the program's icon.
    QApplication::setWindowIcon(Icons::application());
    setMinimumSize(400, 333);
    move(195, 115);
    resize(752, 566);
    sprache::RegisterWindow(this);

    buildMenus();
    buildToolbars();
    buildPages();
    buildStatusBar();
    connectDocument();

    // The port component: closed at start, no flow control, ports named COM1 ... COM4.
    SerComm1 = new TSerComm(this);
    SerComm1->setObjectName(QStringLiteral("SerComm1"));
    SerComm1->SetAutoOpen(false);
    SerComm1->SetDeviceName(QStringLiteral("COM%d"));
    SerComm1->OnOpen = [this](TSerCustomComm*) { SerComm1Open(); };
    SerComm1->OnClose = [this](TSerCustomComm*) { SerComm1Close(); };
    connectTerminal();
    connectEditing();
    connectFinding();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { runCommand([this] { Timer1Timer(); }); });
    Timer1->start();

    FormCreate(arguments);
}

TfrmTerminal::~TfrmTerminal() { sprache::UnregisterWindow(this); }

void TfrmTerminal::connectCommand(QAction* item, void (TfrmTerminal::*handler)())
{
    connect(item, &QAction::triggered, this, [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
}


// ---------------------------------------------------------------------------------------------------
// Building the window in its design state

void TfrmTerminal::buildPages()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 3, 0);
    layout->setSpacing(2);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    auto pane = [](QWidget* sheet, const char* name) {
        auto* p = new QPlainTextEdit(sheet);
        p->setObjectName(QLatin1String(name));
        p->setLineWrapMode(QPlainTextEdit::NoWrap);
        p->setContextMenuPolicy(Qt::CustomContextMenu);
        auto* l = new QVBoxLayout(sheet);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(p);
        return p;
    };

    TSheetTerm = new QWidget(PageControl1);
    TSheetTerm->setObjectName(QStringLiteral("TSheetTerm"));
    TSheetTerm->setProperty(TabSheetProperty, true);
    tagControl(TSheetTerm, 550);
    MemoT = pane(TSheetTerm, "MemoT");
    MemoT->setTabChangesFocus(false);
    PageControl1->addTab(TSheetTerm, StringTable::LoadStr(550));

    TSheetEd = new QWidget(PageControl1);
    TSheetEd->setObjectName(QStringLiteral("TSheetEd"));
    RTF = pane(TSheetEd, "RTF");
    PageControl1->addTab(TSheetEd, QStringLiteral("Editor"));

    applyPaneFont(MemoT, TerminalFont, TerminalSize, TerminalColor);
    applyPaneFont(RTF, EditorFont, EditorSize, EditorColor);

    connect(MemoT, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popmnuTerm->exec(MemoT->mapToGlobal(at)); });
    connect(RTF, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popmnuEd->exec(RTF->mapToGlobal(at)); });
    MemoT->addActions({popClearT, Allesmarkieren2});
    RTF->addActions({popClear, Allesmarkieren1});

    connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmTerminal::TSheetChange);
    connect(MemoT, &QPlainTextEdit::textChanged, this, &TfrmTerminal::TSheetChange);
    connect(RTF, &QPlainTextEdit::textChanged, this, &TfrmTerminal::RTFChange);

    // Files dropped on the panes are files to open, not text to insert.
    MemoT->viewport()->installEventFilter(this);
    RTF->viewport()->installEventFilter(this);

    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
}

void TfrmTerminal::buildStatusBar()
{
    StatusBar1 = new StatusBar(centralWidget());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->addPanel({{}, 100, Qt::AlignLeft, true, true}); // "Z: 107   S: 12" must never be cut
    StatusBar1->addPanel({{}, 50, Qt::AlignHCenter, true});
    StatusBar1->addPanel({{}, 100, Qt::AlignHCenter, true});
    StatusBar1->addPanel({{}, 140, Qt::AlignLeft, true});
    // The transmission's progress and outcome: "Abgebrochen nach Zeile 300" must not be cut either.
    StatusBar1->addPanel({{}, 70, Qt::AlignLeft, false, true});
    // The last panel holds the overwrite indicator and the clock, each with a frame of its own.
    StatusBar1->addPanel({{}, 0, Qt::AlignLeft, false});
    centralWidget()->layout()->addWidget(StatusBar1);

    // The overwrite indicator and the clock sit in the bar's right end and move with it.
    pnlOverWrite = new QFrame(StatusBar1);
    pnlOverWrite->setObjectName(QStringLiteral("pnlOverWrite"));
    tagControl(pnlOverWrite, 70);
    pnlOverWrite->setFrameShape(QFrame::Panel);
    pnlOverWrite->setFrameShadow(QFrame::Sunken);
    pnlOverWrite->setFixedSize(21, 19);
    lblUeb = new QLabel(StringTable::LoadStr(70), pnlOverWrite);
    lblUeb->setObjectName(QStringLiteral("lblUeb"));
    tagControl(lblUeb, 70);
    QFont bold = lblUeb->font();
    bold.setBold(true);
    bold.setPixelSize(9);
    lblUeb->setFont(bold);
    lblUeb->setStyleSheet(QStringLiteral("QLabel { color: red; } QLabel:disabled { color: #c8a0a0; }"));
    lblUeb->setAlignment(Qt::AlignCenter);
    lblUeb->setGeometry(1, 1, 19, 17);
    lblUeb->setEnabled(false);

    pnlUhr = new QLabel(QStringLiteral("00:00:00"), StatusBar1);
    pnlUhr->setObjectName(QStringLiteral("pnlUhr"));
    pnlUhr->setFixedSize(58, 17);
    pnlUhr->setAlignment(Qt::AlignCenter);
    pnlUhr->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlUhr->setStyleSheet(QStringLiteral("QLabel { color: blue; }"));
    pnlUhr->setMouseTracking(true);
    pnlUhr->installEventFilter(this);
    buildLogIndicator();
    connect(StatusBar1, &StatusBar::resized, this, &TfrmTerminal::placeOverlayPanels);
    placeOverlayPanels();
}

void TfrmTerminal::placeOverlayPanels()
{
    if (!StatusBar1 || !pnlUhr)
        return;
    // In the bar's own coordinates, from its right end; on a 640 x 480 screen both 4 pixels down.
    const bool smallScreen = ScreenWidthAtStart == 640 || ScreenHeightAtStart == 480;
    pnlUhr->move(StatusBar1->width() - pnlUhr->width() - 6, smallScreen ? 4 : 3);
    pnlOverWrite->move(pnlUhr->x() - pnlOverWrite->width() - 4, smallScreen ? 4 : 2);
    if (pnlLog)
        pnlLog->move(pnlOverWrite->x() - pnlLog->width() - 4, pnlUhr->y());
}

void TfrmTerminal::applyPaneFont(QPlainTextEdit* pane, const QString& family, int size, quint32 color)
{
    // The board's listings and its error marker under the failing character need columns. A face
    // this machine lacks (the stored defaults name faces of another system) would be replaced by a
    // proportional one, so it is shown in the system's fixed-pitch font at the stored size instead;
    // the stored name is kept, so the settings file keeps its meaning.
    const bool installed = QFontDatabase::hasFamily(family);
    QFont font = installed ? QFont(family) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (size > 0)
        font.setPointSize(size);
    pane->setFont(font);
    // The stored name and the face shown for it: as long as the pane shows that face, the stored name
    // is what is written back.
    pane->setProperty(FontStandInProperty, installed ? QStringList() : QStringList{family, font.family()});
    pane->setProperty("winColor", color);
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Text, winColorToQColor(color));
    pane->setPalette(palette);
}

// ---------------------------------------------------------------------------------------------------
// Start-up

void TfrmTerminal::FormCreate(const QStringList& arguments)
{
    update();
    setAcceptDrops(true);
    StartDirectory = QDir::currentPath();

    m_registry = std::make_unique<TRegistry>(Hive::CurrentUser);
    try {
        LoadSettings();
    } catch (const std::exception& e) {
        // The values read so far stay applied; the rest keep their built-in values and start-up goes on.
        // A settings file that could not be read has been reported already, with the consequence that
        // the settings are not kept; the writes that then fail say nothing new.
        if (!SettingsStore::currentUser().writeBlocked())
            showError(e);
    }

    PublishSerialPorts(PortMap::global());
    ReadSerialPortNames();
    PortCodes::ApplyPortCodes(*SerComm1, ComPort, ComBaudrate, ComDatenbits, ComParity, ComStopbits);
    PortSettingsChanged = false;

    // The line-parameter texts of the status bar; a code without a text leaves the text as it was.
    auto takeText = [](QString& text, const QString& fromCode) {
        if (!fromCode.isEmpty())
            text = fromCode;
    };
    takeText(BaudText, PortCodes::BaudText(ComBaudrate));
    takeText(DataBitsChar, PortCodes::DataBitsChar(ComDatenbits));
    takeText(ParityChar, PortCodes::ParityChar(ComParity));
    takeText(StopBitsText, PortCodes::StopBitsText(ComStopbits));
    HandshakeText = PortCodes::HandshakeText(Language);
    StatusBar1->setPanelText(1, QStringLiteral("Com %1").arg(SerComm1->PortNum()));
    StatusBar1->setPanelText(2, PortCodes::LineParameterText(BaudText, DataBitsChar, ParityChar, StopBitsText));
    StatusBar1->setPanelText(3, QLatin1Char(' ') + HandshakeText);

    SetFileTexts();
    CurrentFileName = DefaultFileName;

    FirstActivationDone = false;
    PortSettingsChanged = false;
    SaveAsPending = false;
    StatusBar1->setPanelText(4, QString());

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        ScreenWidthAtStart = screen->size().width();
        ScreenHeightAtStart = screen->size().height();
    }

    if (!arguments.isEmpty()) {
        try {
            openDocument(QFileInfo(arguments.first()).absoluteFilePath());
            EditorModified = false;
            AddRecentFile();
            StartFileGiven = true;
        } catch (const std::exception& e) {
            // The document stays the unnamed one.
            showError(e);
        }
    }
}

void TfrmTerminal::FormActivate()
{
    // The texts follow the language; the stored choice stays as it is (a value other than 1 or 2 is
    // shown in English and written back unchanged).
    setLanguage(Language == 1 ? 1 : 2, false);
    if (!FirstActivationDone) {
        PageControl1->setCurrentWidget(TSheetTerm);
        MemoT->setFocus();
        TSheetChange();
        FirstActivationDone = true;
        emit firstActivation();
    }
    if (StartFileGiven) {
        // A document changed meanwhile (a text restored after a signal) keeps its mark.
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd), m_document->caption(EditorModified));
        PageControl1->setCurrentWidget(TSheetEd);
        RTF->setFocus();
        StartFileGiven = false;
    }
}

void TfrmTerminal::TSheetChange()
{
    // Also the terminal pane's change handler, which may run while the window is being built.
    if (m_edit)
        m_edit->pageChanged();
}

void TfrmTerminal::FormCanResize(int newWidth)
{
    if (newWidth > 333) {
        const int widths[6] = {90, 45, 80, qMax(newWidth - 424, -24), 125, 50};
        for (int i = 0; i < 6; ++i)
            StatusBar1->setPanelWidth(i, widths[i]);
        fitTransmissionPanel();
    }
    placeOverlayPanels();
}

void TfrmTerminal::ControlBar1Resize()
{
    // The toolbars sit in the window's toolbar area; the page control fills what remains above the
    // status bar through the layout, so a change of the toolbars' height only needs a new layout pass.
    if (centralWidget() && centralWidget()->layout())
        centralWidget()->layout()->invalidate();
    placeOverlayPanels();
}

void TfrmTerminal::Timer1Timer()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    pnlUhr->setText(QLocale().toString(QTime::currentTime(), format.trimmed()));
}

void TfrmTerminal::pnlUhrMouseMove()
{
    pnlUhr->setToolTip(QLocale().toString(QDate::currentDate(), QStringLiteral("dddd, d. MMMM yyyy")));
}

void TfrmTerminal::popmnuStandardClick()
{
    tbStandard->setVisible(true);
    popmnuStandard->setChecked(true);
}

// ---------------------------------------------------------------------------------------------------
// Language

void TfrmTerminal::setLanguage(int language, bool storeChoice)
{
    mnuDeutsch->setChecked(language == 1);
    mnuEnglish->setChecked(language != 1);
    sprache::ApplyLanguage(StringTable::LanguageOffset(language));
    sprache::ApplyQtTranslation(language);
    if (storeChoice)
        Language = language;
    SetFileTexts();
    const QString other = UnnamedText(language == 1 ? 2 : 1);
    if (CurrentFileName == other)
        CurrentFileName = UnnamedText(language);
    DefaultFileName = UnnamedText(language);
    if (EditorModified)
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd), m_document->caption(true));
    HandshakeText = PortCodes::HandshakeText(language);
    StatusBar1->setPanelText(3, QLatin1Char(' ') + HandshakeText);
    lblUeb->setText(language == 1 ? QStringLiteral("ÜB") : QStringLiteral("OV"));
    m_findBar->applyLanguage();
}

void TfrmTerminal::mnuDeutschClick() { setLanguage(1, true); }

void TfrmTerminal::mnuEnglishClick() { setLanguage(2, true); }

// ---------------------------------------------------------------------------------------------------
// Help, dialogs, exit

void TfrmTerminal::showHelp(const QString& document, const QString& topic)
{
    HelpFile = document;
    HelpWindow::instance().showDocument(document, topic, Language != 1, this);
}

void TfrmTerminal::mnuInhaltClick() { showHelp(QStringLiteral("Taloma-Terminal.html"), QString()); }

void TfrmTerminal::mnuBasicReferenzClick() { showHelp(QStringLiteral("Taloma-BASIC.html"), QStringLiteral("Inhalt")); }

void TfrmTerminal::mnuUpdateClick()
{
    if (auto* dialog = qobject_cast<QDialog*>(m_updateDialog))
        dialog->exec();
}

void TfrmTerminal::mnuInfoClick()
{
    if (auto* dialog = qobject_cast<QDialog*>(m_infoDialog))
        dialog->exec();
}

void TfrmTerminal::mnuBeendenClick()
{
    if (PortOpen)
        SerComm1->Close();
    close();
}

void TfrmTerminal::ApplyPortSettings()
{
    // Through the toolbar's command, so that the buttons show the closed port.
    if (PortOpen)
        tbnCommCloseClick();
    PortCodes::ApplyPortCodes(*SerComm1, ComPort, ComBaudrate, ComDatenbits, ComParity, ComStopbits);
}

void TfrmTerminal::SerComm1Open() { PortOpen = true; }

void TfrmTerminal::SerComm1Close() { PortOpen = false; }

bool TfrmTerminal::FormCloseQuery()
{
    return m_document->mayEnd();
}

void TfrmTerminal::FormClose()
{
    try {
        // Settings that could not be read are not written back (the user was told at start).
        if (!SettingsStore::currentUser().writeBlocked())
            SaveSettings();
    } catch (const std::exception& e) {
        showError(e);
    }
    if (m_registry)
        m_registry->CloseKey();
    m_registry.reset();
}

// ---------------------------------------------------------------------------------------------------
// Events

void TfrmTerminal::watchOwnWindow(QWidget* window)
{
    if (!window || m_ownWindows.contains(window))
        return;
    m_ownWindows.append(window);
    window->installEventFilter(this);
}

void TfrmTerminal::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // At start, and when one of the program's own windows has closed since the last time.
    if (!FirstActivationDone || std::exchange(m_ownWindowClosed, false))
        FormActivate();
}

void TfrmTerminal::closeEvent(QCloseEvent* event)
{
    // Closed once already (the settings are saved and their accessor is gone): nothing to ask or save.
    if (m_closeDone) {
        event->accept();
        return;
    }
    bool mayClose = false;
    try {
        mayClose = FormCloseQuery();
    } catch (const std::exception& e) {
        showError(e);
    }
    if (!mayClose) {
        event->ignore();
        return;
    }
    FormClose();
    m_closeDone = true;
    event->accept();
    emit closed();
}

void TfrmTerminal::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormCanResize(width());
}

namespace {

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

} // namespace

void TfrmTerminal::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmTerminal::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    dropFiles(files);
}

bool TfrmTerminal::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && m_ownWindows.contains(qobject_cast<QWidget*>(watched))) {
        m_ownWindowClosed = true;
    } else if (watched == pnlUhr && event->type() == QEvent::MouseMove) {
        pnlUhrMouseMove();
    } else if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!localFiles(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (!files.isEmpty()) {
            drop->acceptProposedAction();
            dropFiles(files);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu* TfrmTerminal::createPopupMenu()
{
    // Qt takes ownership of the menu it is given here; hand it a fresh copy of the band's pop-up.
    auto* menu = new QMenu(this);
    menu->addActions(popmnuMenubar->actions());
    return menu;
}
