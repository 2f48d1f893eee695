#include "TfrmTerminal.h"

#include "GlobVar_Unit.h"
#include "HelpWindow.h"
#include "SettingsStore.h"
#include "StatusBar.h"
#include "StringTable.h"
#include "TRegistry.h"
#include "WinColor.h"
#include "sprache.h"

#include "platform/Prompts.h"
#include "serial/PortCodes.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "serial/SerialPortList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>
#include <utility>

using namespace GlobVar;

namespace {

// Button pictures: the platform's standard icons where one fits, otherwise a small drawn glyph.
QIcon glyphIcon(const QString& glyph, const QColor& color)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(glyph.size() > 2 ? 9 : 13);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

// Small drawn pictures for the buttons the platform has no icon for.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1.4));
    draw(painter);
    return QIcon(pixmap);
}

QIcon printIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 14, 10, 7));
    });
}

QIcon copyIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 3, 10, 13));
        p.drawRect(QRectF(10, 8, 10, 13));
    });
}

QIcon pasteIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setBrush(QColor(205, 170, 110));
        p.drawRoundedRect(QRectF(4, 4, 14, 17), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10, 9, 10, 12));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(8, 2, 6, 4));
    });
}

void setTag(QObject* object, int tag) { object->setProperty(sprache::TagProperty, tag); }

QString handshakeText(int language) { return language == 1 ? QStringLiteral("Kein Handshake") : QStringLiteral("No Handshake"); }

} // namespace

TfrmTerminal::TfrmTerminal(const QStringList& arguments, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QStringLiteral("Terminal - 8052 AH-Basic"));
    setMinimumSize(400, 333);
    move(195, 115);
    resize(752, 566);
    sprache::RegisterWindow(this);

    buildMenus();
    buildToolbars();
    buildPages();
    buildStatusBar();

    // The port component: closed at start, no flow control, ports named COM1 ... COM4.
    SerComm1 = new TSerComm(this);
    SerComm1->setObjectName(QStringLiteral("SerComm1"));
    SerComm1->SetAutoOpen(false);
    SerComm1->SetDeviceName(QStringLiteral("COM%d"));
    SerComm1->OnOpen = [this](TSerCustomComm*) { SerComm1Open(); };
    SerComm1->OnClose = [this](TSerCustomComm*) { SerComm1Close(); };
    connectTerminal();

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

bool TfrmTerminal::runMenuItem(QAction* item)
{
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Building the window in its design state

void TfrmTerminal::buildMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);

    auto menu = [this](const char* name, int tag) {
        auto* m = new QMenu(StringTable::LoadStr(tag), this);
        m->setObjectName(QLatin1String(name));
        setTag(m, tag);
        MainMenu1->addMenu(m);
        return m;
    };
    auto item = [this](QMenu* m, const char* name, int tag, const QString& design,
                       const QKeySequence& shortcut = QKeySequence()) {
        auto* a = new QAction(tag ? StringTable::LoadStr(tag) : design, this);
        a->setObjectName(QLatin1String(name));
        setTag(a, tag);
        a->setShortcut(shortcut);
        m->addAction(a);
        addAction(a); // the shortcuts act while the menu is shown only inside the toolbar
        return a;
    };

    QMenu* mnuDatei = menu("mnuDatei", 1);
    mnuNew = item(mnuDatei, "mnuNew", 2, {}, QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOpen = item(mnuDatei, "mnuOpen", 3, {}, QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = item(mnuDatei, "mnuSave", 4, {}, QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAs = item(mnuDatei, "mnuSaveAs", 5, {});
    mnuClose = item(mnuDatei, "mnuClose", 6, {});
    mnuDatei->addSeparator();
    mnuDrucken = item(mnuDatei, "mnuDrucken", 7, {}, QKeySequence(Qt::CTRL | Qt::Key_P));
    Druckereinrichtung1 = item(mnuDatei, "Druckereinrichtung1", 8, {});
    mnuDatei->addSeparator();
    for (int k = 0; k < 4; ++k) {
        mnuDateiNr[k] = item(mnuDatei, QStringLiteral("mnuDateiNr%1").arg(k + 1).toLatin1().constData(), 0,
                             QStringLiteral("&%1 ").arg(k + 1));
        mnuDateiNr[k]->setVisible(false);
        connect(mnuDateiNr[k], &QAction::triggered, this, [this, k] { runCommand([this, k] { mnuDateiNrClick(k + 1); }); });
    }
    N4 = mnuDatei->addSeparator();
    N4->setObjectName(QStringLiteral("N4"));
    N4->setVisible(false);
    mnuBeenden = item(mnuDatei, "mnuBeenden", 9, {}, QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuSave->setEnabled(false);
    mnuClose->setEnabled(false);

    QMenu* mnuBearbeiten = menu("mnuBearbeiten", 20);
    mnuUndo = item(mnuBearbeiten, "mnuUndo", 21, {}, QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = item(mnuBearbeiten, "mnuRedo", 22, {}, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    mnuBearbeiten->addSeparator();
    mnuCut = item(mnuBearbeiten, "mnuCut", 23, {}, QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = item(mnuBearbeiten, "mnuCopy", 24, {}, QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = item(mnuBearbeiten, "mnuPaste", 25, {}, QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuClear = item(mnuBearbeiten, "mnuClear", 26, {}, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    mnuBearbeiten->addSeparator();
    mnuSelectAll = item(mnuBearbeiten, "mnuSelectAll", 27, {}, QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuUndo->setEnabled(false);
    mnuRedo->setEnabled(false);

    // The standard edit actions act on the pane with the focus. Their shortcuts are the menu items'.
    auto editAction = [this](const char* name, void (QPlainTextEdit::*slot)()) {
        auto* a = new QAction(QLatin1String(name), this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, slot] {
            if (auto* pane = qobject_cast<QPlainTextEdit*>(focusWidget()))
                (pane->*slot)();
        });
        return a;
    };
    EditCut1 = editAction("EditCut1", &QPlainTextEdit::cut);
    EditCopy1 = editAction("EditCopy1", &QPlainTextEdit::copy);
    EditPaste1 = editAction("EditPaste1", &QPlainTextEdit::paste);
    connect(mnuCut, &QAction::triggered, EditCut1, &QAction::trigger);
    connect(mnuCopy, &QAction::triggered, EditCopy1, &QAction::trigger);
    connect(mnuPaste, &QAction::triggered, EditPaste1, &QAction::trigger);

    QMenu* mnuTerminal = menu("mnuTerminal", 40);
    mnuEcho = item(mnuTerminal, "mnuEcho", 41, {});
    mnuEcho->setCheckable(true);
    ANSIASCII1 = item(mnuTerminal, "ANSIASCII1", 42, {});
    ANSIASCII1->setVisible(false);
    mnuTerminal->addSeparator();
    mnuFontFarbenTerminal = item(mnuTerminal, "mnuFontFarbenTerminal", 43, {});
    mnuTerminal->addSeparator();
    mnuComPort = item(mnuTerminal, "mnuComPort", 44, {});
    mnuEinstellungen = item(mnuTerminal, "mnuEinstellungen", 45, {});

    QMenu* mnuEditor = menu("mnuEditor", 60);
    mnuFontFarbenEditor = item(mnuEditor, "mnuFontFarbenEditor", 61, {});
    mnuTabulator = item(mnuEditor, "mnuTabulator", 62, {});
    mnuTabulator->setVisible(false);
    mnuEditor->addSeparator();
    mnuAutoNumber = item(mnuEditor, "mnuAutoNumber", 63, {});
    mnuReNumber = item(mnuEditor, "mnuReNumber", 64, {});
    mnuSort = item(mnuEditor, "mnuSort", 65, {});

    QMenu* mnuExtras = menu("mnuExtras", 80);
    mnuUmgebungsoptionen = item(mnuExtras, "mnuUmgebungsoptionen", 81, {});
    mnuExtras->addSeparator();
    mnuFTasten = item(mnuExtras, "mnuFTasten", 0, QStringLiteral("F-Tasten"));
    mnuFTasten->setCheckable(true);
    mnuExtras->addSeparator();
    mnuDeutsch = item(mnuExtras, "mnuDeutsch", 82, {});
    mnuDeutsch->setCheckable(true);
    mnuDeutsch->setChecked(true);
    mnuEnglish = item(mnuExtras, "mnuEnglish", 83, {});
    mnuEnglish->setCheckable(true);

    QMenu* mnuHilfe = menu("mnuHilfe", 100);
    mnuInhalt = item(mnuHilfe, "mnuInhalt", 101, {}, QKeySequence(Qt::Key_F1));
    mnuBasicReferenz = item(mnuHilfe, "mnuBasicReferenz", 0, QStringLiteral("Basic-Referenz"),
                            QKeySequence(Qt::CTRL | Qt::Key_F1));
    mnuHilfe->addSeparator();
    mnuUpdate = item(mnuHilfe, "mnuUpdate", 0, QStringLiteral("&Update ..."));
    mnuHilfe->addSeparator();
    mnuInfo = item(mnuHilfe, "mnuInfo", 102, {});

    connectCommand(mnuNew, &TfrmTerminal::mnuNewClick);
    connectCommand(mnuOpen, &TfrmTerminal::mnuOpenClick);
    connectCommand(mnuSave, &TfrmTerminal::mnuSaveClick);
    connectCommand(mnuSaveAs, &TfrmTerminal::mnuSaveAsClick);
    connectCommand(mnuClose, &TfrmTerminal::mnuCloseClick);
    connectCommand(mnuBeenden, &TfrmTerminal::mnuBeendenClick);
    connectCommand(mnuDeutsch, &TfrmTerminal::mnuDeutschClick);
    connectCommand(mnuEnglish, &TfrmTerminal::mnuEnglishClick);
    connectCommand(mnuInhalt, &TfrmTerminal::mnuInhaltClick);
    connectCommand(mnuBasicReferenz, &TfrmTerminal::mnuBasicReferenzClick);
    connectCommand(mnuUpdate, &TfrmTerminal::mnuUpdateClick);
    connectCommand(mnuInfo, &TfrmTerminal::mnuInfoClick);
    connectCommand(mnuSort, &TfrmTerminal::mnuSortClick);
    connectCommand(mnuReNumber, &TfrmTerminal::mnuReNumberClick);
    connectCommand(mnuAutoNumber, &TfrmTerminal::mnuAutoNumberClick);

    // Drop-down of the Open button: the recent files.
    popmnuDL = new QMenu(this);
    popmnuDL->setObjectName(QStringLiteral("popmnuDL"));
    for (int k = 0; k < 4; ++k) {
        auto* a = new QAction(QStringLiteral("&%1 ").arg(k + 1), this);
        a->setObjectName(QStringLiteral("N%1").arg(k + 1) + QLatin1Char('1'));
        a->setVisible(false);
        popmnuDL->addAction(a);
        popmnuDLItems[k] = a;
        connect(a, &QAction::triggered, this, [this, k] { runMenuItem(mnuDateiNr[k]); });
    }

    // Pop-up of the toolbar band.
    popmnuMenubar = new QMenu(this);
    popmnuMenubar->setObjectName(QStringLiteral("popmnuMenubar"));
    popmnuStandard = popmnuMenubar->addAction(QStringLiteral("Standard"));
    popmnuStandard->setObjectName(QStringLiteral("popmnuStandard"));
    popmnuStandard->setCheckable(true);
    popmnuStandard->setChecked(true);
    popmnuSteuerung = popmnuMenubar->addAction(QStringLiteral("Steuerung"));
    popmnuSteuerung->setObjectName(QStringLiteral("popmnuSteuerung"));
    popmnuSteuerung->setCheckable(true);
    popmnuSteuerung->setChecked(true);
    connectCommand(popmnuStandard, &TfrmTerminal::popmnuStandardClick);

    // Pop-ups of the two panes.
    auto popItem = [this](QMenu* m, const char* name, int tag, const QKeySequence& shortcut = QKeySequence()) {
        auto* a = new QAction(StringTable::LoadStr(tag), this);
        a->setObjectName(QLatin1String(name));
        setTag(a, tag);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WidgetShortcut);
        m->addAction(a);
        return a;
    };
    popmnuTerm = new QMenu(this);
    popmnuTerm->setObjectName(QStringLiteral("popmnuTerm"));
    popEinstellungen = popItem(popmnuTerm, "popEinstellungen", 600);
    popFontFarbenTerminal = popItem(popmnuTerm, "popFontFarbenTerminal", 601);
    popmnuTerm->addSeparator();
    Ausschneiden3 = popItem(popmnuTerm, "Ausschneiden3", 602);
    Kopieren3 = popItem(popmnuTerm, "Kopieren3", 603);
    Lschen1 = popItem(popmnuTerm, "Lschen1", 604);
    popClearT = popItem(popmnuTerm, "popClearT", 605, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    popmnuTerm->addSeparator();
    Allesmarkieren2 = popItem(popmnuTerm, "Allesmarkieren2", 606, QKeySequence(Qt::CTRL | Qt::Key_A));
    popmnuTerm->addSeparator();
    popTermClear = popItem(popmnuTerm, "popTermClear", 607);

    popmnuEd = new QMenu(this);
    popmnuEd->setObjectName(QStringLiteral("popmnuEd"));
    popFontFarbenEditor = popItem(popmnuEd, "popFontFarbenEditor", 620);
    popmnuEd->addSeparator();
    Ausschneiden1 = popItem(popmnuEd, "Ausschneiden1", 621);
    Kopieren1 = popItem(popmnuEd, "Kopieren1", 622);
    Einfgen1 = popItem(popmnuEd, "Einfgen1", 623);
    popClear = popItem(popmnuEd, "popClear", 624, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    popmnuEd->addSeparator();
    Allesmarkieren1 = popItem(popmnuEd, "Allesmarkieren1", 625, QKeySequence(Qt::CTRL | Qt::Key_A));
    popmnuEd->addSeparator();
    popEditClear = popItem(popmnuEd, "popEditClear", 626);

    for (QAction* a : {Ausschneiden3, Ausschneiden1})
        connect(a, &QAction::triggered, EditCut1, &QAction::trigger);
    for (QAction* a : {Kopieren3, Kopieren1})
        connect(a, &QAction::triggered, EditCopy1, &QAction::trigger);
    for (QAction* a : {Lschen1, Einfgen1})
        connect(a, &QAction::triggered, EditPaste1, &QAction::trigger);
}

void TfrmTerminal::buildToolbars()
{
    auto bar = [this](const char* name, const QString& title) {
        auto* b = new QToolBar(title, this);
        b->setObjectName(QLatin1String(name));
        b->setIconSize(QSize(20, 20));
        b->setMovable(true);
        b->setFloatable(true);
        return b;
    };
    auto button = [this](QToolBar* b, const char* name, int tag, const QIcon& icon) {
        // The hint is also the button's text, which the toolbar shows in its overflow menu; a button
        // without a tag (the spacer) has neither.
        const QString hint = tag ? StringTable::LoadStr(tag) : QString();
        auto* a = new QAction(icon, hint, this);
        a->setObjectName(QLatin1String(name));
        a->setProperty(sprache::ToolButtonProperty, true);
        setTag(a, tag);
        a->setToolTip(hint);
        b->addAction(a);
        return a;
    };
    auto forward = [this](QAction* buttonAction, QAction* menuItem) {
        connect(buttonAction, &QAction::triggered, this, [menuItem] { runMenuItem(menuItem); });
    };
    QStyle* s = style();

    tbMenu = bar("tbMenu", QStringLiteral("Menü"));
    tbMenu->addWidget(MainMenu1);
    addToolBar(Qt::TopToolBarArea, tbMenu);
    addToolBarBreak();

    tbStandard = bar("tbStandard", QStringLiteral("Standard"));
    tbnNew = button(tbStandard, "tbnNew", 501, s->standardIcon(QStyle::SP_FileIcon));
    tbnOpen = button(tbStandard, "tbnOpen", 502, s->standardIcon(QStyle::SP_DialogOpenButton));
    tbnOpen->setMenu(popmnuDL);
    if (auto* tb = qobject_cast<QToolButton*>(tbStandard->widgetForAction(tbnOpen)))
        tb->setPopupMode(QToolButton::MenuButtonPopup);
    tbnSave = button(tbStandard, "tbnSave", 503, s->standardIcon(QStyle::SP_DialogSaveButton));
    tbnSaveAs = button(tbStandard, "tbnSaveAs", 504, glyphIcon(QStringLiteral("S…"), Qt::darkBlue));
    tbnClose = button(tbStandard, "tbnClose", 505, s->standardIcon(QStyle::SP_DialogCloseButton));
    tbStandard->addSeparator();
    tbnDrucken = button(tbStandard, "tbnDrucken", 506, printIcon());
    tbStandard->addSeparator();
    tbnUndo = button(tbStandard, "tbnUndo", 507, s->standardIcon(QStyle::SP_ArrowBack));
    tbnRedo = button(tbStandard, "tbnRedo", 508, s->standardIcon(QStyle::SP_ArrowForward));
    tbStandard->addSeparator();
    tbnAuschneiden = button(tbStandard, "tbnAuschneiden", 509, glyphIcon(QStringLiteral("✂"), Qt::black));
    tbnKopieren = button(tbStandard, "tbnKopieren", 510, copyIcon());
    tbnEinfuegen = button(tbStandard, "tbnEinfuegen", 511, pasteIcon());
    tbnClear = button(tbStandard, "tbnClear", 512, s->standardIcon(QStyle::SP_TrashIcon));
    tbStandard->addSeparator();
    tbnSelectAll = button(tbStandard, "tbnSelectAll", 513, glyphIcon(QStringLiteral("▣"), Qt::darkBlue));
    tbnSave->setEnabled(false);
    tbnClose->setEnabled(false);
    tbnUndo->setEnabled(false);
    tbnRedo->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, tbStandard);

    tbSteuerung = bar("tbSteuerung", QStringLiteral("Steuerung"));
    tbnCommOpen = button(tbSteuerung, "tbnCommOpen", 514, s->standardIcon(QStyle::SP_MediaPlay));
    tbnCommClose = button(tbSteuerung, "tbnCommClose", 515, s->standardIcon(QStyle::SP_MediaStop));
    tbSteuerung->addSeparator();
    tbnTransmit = button(tbSteuerung, "tbnTransmit", 516, s->standardIcon(QStyle::SP_ArrowRight));
    tbnBreak = button(tbSteuerung, "tbnBreak", 517, glyphIcon(QStringLiteral("^C"), Qt::darkRed));
    tbSteuerung->addSeparator();
    tbnEinstellungen = button(tbSteuerung, "tbnEinstellungen", 518, s->standardIcon(QStyle::SP_FileDialogDetailedView));
    tbnEnvironmnet = button(tbSteuerung, "tbnEnvironmnet", 519, s->standardIcon(QStyle::SP_ComputerIcon));
    tbSteuerung->addSeparator();
    tbnAutoNum = button(tbSteuerung, "tbnAutoNum", 520, glyphIcon(QStringLiteral("#+"), Qt::darkGreen));
    tbnAutoNum->setCheckable(true);
    tbnRenumber = button(tbSteuerung, "tbnRenumber", 521, glyphIcon(QStringLiteral("#"), Qt::darkGreen));
    tbnZNSort = button(tbSteuerung, "tbnZNSort", 522, glyphIcon(QStringLiteral("1‥9"), Qt::darkGreen));
    tbSteuerung->addSeparator();
    tbnEmpty = button(tbSteuerung, "tbnEmpty", 0, QIcon());
    tbnEmpty->setEnabled(false);
    tbnExit = button(tbSteuerung, "tbnExit", 530, glyphIcon(QStringLiteral("⏻"), Qt::darkRed));
    tbnCommClose->setEnabled(false);
    tbnTransmit->setEnabled(false);
    tbnBreak->setEnabled(false);
    tbnAutoNum->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, tbSteuerung);

    forward(tbnNew, mnuNew);
    forward(tbnOpen, mnuOpen);
    forward(tbnSave, mnuSave);
    forward(tbnSaveAs, mnuSaveAs);
    forward(tbnClose, mnuClose);
    forward(tbnDrucken, mnuDrucken);
    forward(tbnUndo, mnuUndo);
    forward(tbnRedo, mnuRedo);
    connect(tbnAuschneiden, &QAction::triggered, EditCut1, &QAction::trigger);
    connect(tbnKopieren, &QAction::triggered, EditCopy1, &QAction::trigger);
    connect(tbnEinfuegen, &QAction::triggered, EditPaste1, &QAction::trigger);
    forward(tbnClear, mnuClear);
    connectCommand(tbnSelectAll, &TfrmTerminal::tbnSelectAllClick);
    forward(tbnEinstellungen, mnuEinstellungen);
    forward(tbnEnvironmnet, mnuUmgebungsoptionen);
    forward(tbnAutoNum, mnuAutoNumber);
    forward(tbnRenumber, mnuReNumber);
    forward(tbnZNSort, mnuSort);
    forward(tbnExit, mnuBeenden);
}

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
    TSheetTerm->setProperty(sprache::TabSheetProperty, true);
    setTag(TSheetTerm, 550);
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
    StatusBar1->addPanel({{}, 70, Qt::AlignLeft, false});
    // The last panel holds the overwrite indicator and the clock, each with a frame of its own.
    StatusBar1->addPanel({{}, 0, Qt::AlignLeft, false});
    centralWidget()->layout()->addWidget(StatusBar1);

    // The overwrite indicator and the clock sit in the bar's right end and move with it.
    pnlOverWrite = new QFrame(StatusBar1);
    pnlOverWrite->setObjectName(QStringLiteral("pnlOverWrite"));
    setTag(pnlOverWrite, 70);
    pnlOverWrite->setFrameShape(QFrame::Panel);
    pnlOverWrite->setFrameShadow(QFrame::Sunken);
    pnlOverWrite->setFixedSize(21, 19);
    lblUeb = new QLabel(StringTable::LoadStr(70), pnlOverWrite);
    lblUeb->setObjectName(QStringLiteral("lblUeb"));
    setTag(lblUeb, 70);
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
    HandshakeText = handshakeText(Language);
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
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd),
                                 QStringLiteral("Editor - ") + QFileInfo(CurrentFileName).fileName());
        PageControl1->setCurrentWidget(TSheetEd);
        RTF->setFocus();
        StartFileGiven = false;
    }
}

void TfrmTerminal::TSheetChange()
{
    const bool editor = PageControl1->currentWidget() == TSheetEd;
    if (!editor) {
        if (m_lastPageWasEditor)
            m_overwriteWasEnabled = lblUeb->isEnabled();
        lblUeb->setEnabled(false);
        pnlOverWrite->setEnabled(false);
        setTerminalClearEnabled();
    } else {
        if (!m_lastPageWasEditor)
            lblUeb->setEnabled(m_overwriteWasEnabled);
        pnlOverWrite->setEnabled(true);
        const bool selection = RTF->textCursor().hasSelection();
        mnuClear->setEnabled(selection);
        tbnClear->setEnabled(selection);
        popClear->setEnabled(selection);
    }
    m_lastPageWasEditor = editor;
}

void TfrmTerminal::FormCanResize(int newWidth)
{
    if (newWidth > 333) {
        const int widths[6] = {90, 45, 80, qMax(newWidth - 424, -24), 125, 50};
        for (int i = 0; i < 6; ++i)
            StatusBar1->setPanelWidth(i, widths[i]);
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
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd), editorCaption(true));
    HandshakeText = handshakeText(language);
    StatusBar1->setPanelText(3, QLatin1Char(' ') + HandshakeText);
    lblUeb->setText(language == 1 ? QStringLiteral("ÜB") : QStringLiteral("OV"));
}

void TfrmTerminal::mnuDeutschClick() { setLanguage(1, true); }

void TfrmTerminal::mnuEnglishClick() { setLanguage(2, true); }

// ---------------------------------------------------------------------------------------------------
// Help, dialogs, exit

void TfrmTerminal::showHelp(const QString& document, const QString& topic)
{
    HelpFile = document;
    HelpWindow::instance().showDocument(document, topic);
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
    if (!EditorModified)
        return true;
    if (CurrentFileName.isEmpty())
        CurrentFileName = DefaultFileName;
    switch (Prompts::instance().confirm(QStringLiteral("Änderungen speichern ?"))) {
    case Prompts::Answer::Cancel:
        return false;
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Yes:
        runMenuItem(mnuSave);
        // A save that did not happen (Save As cancelled, file not written) keeps the program open.
        return !EditorModified;
    }
    return false;
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
    if (terminalEvent(watched, event))
        return true;
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
