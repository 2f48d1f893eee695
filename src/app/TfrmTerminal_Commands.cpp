// The main window's menus, toolbars and pop-up menus, built from tables: one row per item with its
// name, string-table tag (or design caption), shortcut, picture, start state and command. A reader
// finds every command's entry point here; the handlers are the window's slots of the same name.

#include "settings/GlobVar_Unit.h"
#include "sprache.h"
#include "TfrmTerminal.h"
#include "platform/Icons.h"
#include "platform/StringTable.h"

#include "platform/Prompts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <initializer_list>

namespace {

using Field = QAction* TfrmTerminal::*;
using Handler = void (TfrmTerminal::*)();

enum Flag : unsigned { Disabled = 1, Hidden = 2, Checkable = 4, Checked = 8 };

// A row of a menu. A row without a field is a separator; the recent-file row stands for the four
// recent-file items and the separator that follows them.
struct MenuRow {
    Field field = nullptr;
    const char* name = nullptr;
    int tag = 0;                // 0: the design caption stays in both languages
    const char* design = nullptr;
    QKeyCombination shortcut = {};
    unsigned flags = 0;
    Handler handler = nullptr;  // nullptr: wired with the page it belongs to
    bool recentFiles = false;
};

struct MenuTable {
    const char* name;
    int tag;
    std::initializer_list<MenuRow> rows;
};

constexpr MenuRow Separator{};

const std::initializer_list<MenuTable>& mainMenu()
{
    using T = TfrmTerminal;
    static const std::initializer_list<MenuTable> menus{
        {"mnuDatei", 1,
         {
             {&T::mnuNew, "mnuNew", 2, nullptr, Qt::CTRL | Qt::Key_N, 0, &T::mnuNewClick},
             {&T::mnuOpen, "mnuOpen", 3, nullptr, Qt::CTRL | Qt::Key_O, 0, &T::mnuOpenClick},
             {&T::mnuSave, "mnuSave", 4, nullptr, Qt::CTRL | Qt::Key_S, Disabled, &T::mnuSaveClick},
             {&T::mnuSaveAs, "mnuSaveAs", 5, nullptr, {}, 0, &T::mnuSaveAsClick},
             {&T::mnuClose, "mnuClose", 6, nullptr, {}, Disabled, &T::mnuCloseClick},
             Separator,
             {&T::mnuDrucken, "mnuDrucken", 7, nullptr, Qt::CTRL | Qt::Key_P, 0, &T::mnuDruckenClick},
             {&T::mnuDruckvorschau, "mnuDruckvorschau", 10, nullptr, {}, 0, &T::mnuDruckvorschauClick},
             {&T::Druckereinrichtung1, "Druckereinrichtung1", 8, nullptr, {}, 0, &T::Druckereinrichtung1Click},
             Separator,
             {.recentFiles = true},
             {&T::mnuBeenden, "mnuBeenden", 9, nullptr, Qt::CTRL | Qt::Key_Q, 0, &T::mnuBeendenClick},
         }},
        {"mnuBearbeiten", 20,
         {
             {&T::mnuUndo, "mnuUndo", 21, nullptr, Qt::CTRL | Qt::Key_Z, Disabled, &T::mnuUndoClick},
             {&T::mnuRedo, "mnuRedo", 22, nullptr, Qt::CTRL | Qt::ALT | Qt::Key_Z, Disabled, &T::mnuRedoClick},
             Separator,
             {&T::mnuCut, "mnuCut", 23, nullptr, Qt::CTRL | Qt::Key_X},
             {&T::mnuCopy, "mnuCopy", 24, nullptr, Qt::CTRL | Qt::Key_C},
             {&T::mnuPaste, "mnuPaste", 25, nullptr, Qt::CTRL | Qt::Key_V},
             {&T::mnuClear, "mnuClear", 26, nullptr, Qt::CTRL | Qt::Key_Delete, 0, &T::mnuClearClick},
             Separator,
             {&T::mnuSelectAll, "mnuSelectAll", 27, nullptr, Qt::CTRL | Qt::Key_A, 0, &T::mnuSelectAllClick},
             Separator,
             {&T::mnuSuchen, "mnuSuchen", 880, nullptr, Qt::CTRL | Qt::Key_F, 0, &T::mnuSuchenClick},
             {&T::mnuSuchenWeiter, "mnuSuchenWeiter", 889, nullptr, Qt::Key_F3, 0, &T::mnuSuchenWeiterClick},
             {&T::mnuSuchenZurueck, "mnuSuchenZurueck", 890, nullptr, Qt::SHIFT | Qt::Key_F3, 0,
              &T::mnuSuchenZurueckClick},
         }},
        {"mnuTerminal", 40,
         {
             {&T::mnuEcho, "mnuEcho", 41, nullptr, {}, Checkable},
             {&T::ANSIASCII1, "ANSIASCII1", 42, nullptr, {}, Hidden},
             Separator,
             {&T::mnuMitschnitt, "mnuMitschnitt", 980, nullptr, {}, Checkable, &T::mnuMitschnittClick},
             {&T::mnuMitschnittGesendet, "mnuMitschnittGesendet", 981, nullptr, {}, Checkable,
              &T::mnuMitschnittGesendetClick},
             Separator,
             {&T::mnuFontFarbenTerminal, "mnuFontFarbenTerminal", 43, nullptr, {}, 0, &T::mnuFontFarbenTerminalClick},
             Separator,
             {&T::mnuComPort, "mnuComPort", 44, nullptr, {}, 0, &T::mnuComPortClick},
             {&T::mnuEinstellungen, "mnuEinstellungen", 45, nullptr, {}, 0, &T::mnuEinstellungenClick},
             Separator,
             {&T::mnuTransmit, "mnuTransmit", 940, nullptr, {}, Disabled, &T::mnuTransmitClick},
             {&T::mnuFetch, "mnuFetch", 942, nullptr, {}, Disabled, &T::mnuFetchClick},
         }},
        {"mnuEditor", 60,
         {
             {&T::mnuFontFarbenEditor, "mnuFontFarbenEditor", 61, nullptr, {}, 0, &T::mnuFontFarbenEditorClick},
             {&T::mnuTabulator, "mnuTabulator", 62, nullptr, {}, Hidden, &T::mnuTabulatorClick},
             Separator,
             {&T::mnuAutoNumber, "mnuAutoNumber", 63, nullptr, {}, 0, &T::mnuAutoNumberClick},
             {&T::mnuReNumber, "mnuReNumber", 64, nullptr, {}, 0, &T::mnuReNumberClick},
             {&T::mnuSort, "mnuSort", 65, nullptr, {}, 0, &T::mnuSortClick},
             Separator,
             {&T::mnuSyntaxHighlight, "mnuSyntaxHighlight", 881, nullptr, {}, Checkable | Checked,
              &T::mnuSyntaxHighlightClick},
         }},
        {"mnuExtras", 80,
         {
             {&T::mnuUmgebungsoptionen, "mnuUmgebungsoptionen", 81, nullptr, {}, 0, &T::mnuUmgebungsoptionenClick},
             Separator,
             {&T::mnuFTasten, "mnuFTasten", 0, "F-Tasten", {}, Checkable},
             Separator,
             {&T::mnuDeutsch, "mnuDeutsch", 82, nullptr, {}, Checkable | Checked, &T::mnuDeutschClick},
             {&T::mnuEnglish, "mnuEnglish", 83, nullptr, {}, Checkable, &T::mnuEnglishClick},
         }},
        {"mnuHilfe", 100,
         {
             {&T::mnuInhalt, "mnuInhalt", 101, nullptr, Qt::Key_F1, 0, &T::mnuInhaltClick},
             {&T::mnuBasicReferenz, "mnuBasicReferenz", 0, "Basic-Referenz", Qt::CTRL | Qt::Key_F1, 0,
              &T::mnuBasicReferenzClick},
             Separator,
             {&T::mnuUpdate, "mnuUpdate", 0, "&Update ...", {}, 0, &T::mnuUpdateClick},
             Separator,
             {&T::mnuInfo, "mnuInfo", 102, nullptr, {}, 0, &T::mnuInfoClick},
         }},
    };
    return menus;
}

// A toolbar button: its picture by name (see Icons::named); the menu item it runs shows the same.
// A button runs the menu item it names (which does nothing while disabled), or its own command.
struct ButtonRow {
    Field field = nullptr; // nullptr: a separator
    const char* name = nullptr;
    int tag = 0;
    const char* icon = nullptr;
    unsigned flags = 0;
    Field runs = nullptr;
    Handler handler = nullptr;
};

struct ToolbarTable {
    QToolBar* TfrmTerminal::*field;
    const char* name;
    const char* title;
    std::initializer_list<ButtonRow> rows;
};

constexpr ButtonRow Gap{};

const std::initializer_list<ToolbarTable>& toolbars()
{
    using T = TfrmTerminal;
    static const std::initializer_list<ToolbarTable> bars{
        {&T::tbStandard, "tbStandard", "Standard",
         {
             {&T::tbnNew, "tbnNew", 501, "document-new", 0, &T::mnuNew},
             {&T::tbnOpen, "tbnOpen", 502, "document-open", 0, &T::mnuOpen},
             {&T::tbnSave, "tbnSave", 503, "document-save", Disabled, &T::mnuSave},
             {&T::tbnSaveAs, "tbnSaveAs", 504, "document-save-as", 0, &T::mnuSaveAs},
             {&T::tbnClose, "tbnClose", 505, "document-close", Disabled, &T::mnuClose},
             Gap,
             {&T::tbnDrucken, "tbnDrucken", 506, "document-print", 0, &T::mnuDrucken},
             Gap,
             {&T::tbnUndo, "tbnUndo", 507, "edit-undo", Disabled, &T::mnuUndo},
             {&T::tbnRedo, "tbnRedo", 508, "edit-redo", Disabled, &T::mnuRedo},
             Gap,
             {&T::tbnAuschneiden, "tbnAuschneiden", 509, "edit-cut", 0, &T::EditCut1},
             {&T::tbnKopieren, "tbnKopieren", 510, "edit-copy", 0, &T::EditCopy1},
             {&T::tbnEinfuegen, "tbnEinfuegen", 511, "edit-paste", 0, &T::EditPaste1},
             {&T::tbnClear, "tbnClear", 512, "edit-clear", 0, &T::mnuClear},
             Gap,
             {&T::tbnSelectAll, "tbnSelectAll", 513, "edit-select-all", 0, nullptr,
              &T::tbnSelectAllClick},
         }},
        {&T::tbSteuerung, "tbSteuerung", "Steuerung",
         {
             {&T::tbnCommOpen, "tbnCommOpen", 514, "taloma-port-open"},
             {&T::tbnCommClose, "tbnCommClose", 515, "taloma-port-close", Disabled},
             Gap,
             {&T::tbnTransmit, "tbnTransmit", 516, "taloma-transmit", Disabled},
             {&T::tbnBreak, "tbnBreak", 517, "taloma-break", Disabled},
             Gap,
             {&T::tbnEinstellungen, "tbnEinstellungen", 518, "taloma-port-settings", 0,
              &T::mnuEinstellungen},
             {&T::tbnEnvironmnet, "tbnEnvironmnet", 519, "taloma-environment", 0,
              &T::mnuUmgebungsoptionen},
             Gap,
             {&T::tbnAutoNum, "tbnAutoNum", 520, "taloma-autonumber", Disabled | Checkable,
              &T::mnuAutoNumber},
             {&T::tbnRenumber, "tbnRenumber", 521, "taloma-renumber", 0, &T::mnuReNumber},
             {&T::tbnZNSort, "tbnZNSort", 522, "taloma-sort", 0, &T::mnuSort},
             Gap,
             {&T::tbnEmpty, "tbnEmpty", 0, nullptr, Disabled},
             {&T::tbnExit, "tbnExit", 530, "taloma-exit", 0, &T::mnuBeenden},
         }},
    };
    return bars;
}

// Pop-up items act on the pane they belong to (their shortcuts only there).
struct PopupRow {
    Field field = nullptr; // nullptr: a separator
    const char* name = nullptr;
    int tag = 0;
    QKeyCombination shortcut = {};
    Field runs = nullptr;  // nullptr: wired with the page it belongs to
};

// An empty key in a table row means no shortcut.
QKeySequence shortcutOf(QKeyCombination key)
{
    return key.key() == Qt::Key_unknown ? QKeySequence() : QKeySequence(key);
}

void applyFlags(QAction* a, unsigned flags)
{
    a->setCheckable(flags & Checkable);
    a->setChecked(flags & Checked);
    a->setEnabled(!(flags & Disabled));
    a->setVisible(!(flags & Hidden));
}

} // namespace

void TfrmTerminal::buildMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);

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

    for (const MenuTable& table : mainMenu()) {
        auto* menu = new QMenu(StringTable::LoadStr(table.tag), this);
        menu->setObjectName(QLatin1String(table.name));
        tagControl(menu, table.tag);
        MainMenu1->addMenu(menu);
        for (const MenuRow& row : table.rows) {
            if (row.recentFiles) {
                addRecentFileItems(menu);
                continue;
            }
            if (!row.field) {
                menu->addSeparator();
                continue;
            }
            auto* a = new QAction(row.tag ? StringTable::LoadStr(row.tag) : QString::fromUtf8(row.design), this);
            a->setObjectName(QLatin1String(row.name));
            tagControl(a, row.tag);
            a->setShortcut(shortcutOf(row.shortcut));
            applyFlags(a, row.flags);
            menu->addAction(a);
            addAction(a); // the shortcuts act while the menu is shown only inside the toolbar
            this->*row.field = a;
            if (row.handler)
                connectCommand(a, row.handler);
        }
    }
    connect(mnuCut, &QAction::triggered, EditCut1, &QAction::trigger);
    connect(mnuCopy, &QAction::triggered, EditCopy1, &QAction::trigger);
    connect(mnuPaste, &QAction::triggered, EditPaste1, &QAction::trigger);

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
    applyFlags(popmnuStandard, Checkable | Checked);
    popmnuSteuerung = popmnuMenubar->addAction(QStringLiteral("Steuerung"));
    popmnuSteuerung->setObjectName(QStringLiteral("popmnuSteuerung"));
    applyFlags(popmnuSteuerung, Checkable | Checked);
    connectCommand(popmnuStandard, &TfrmTerminal::popmnuStandardClick);

    buildPopupMenus();
}

void TfrmTerminal::addRecentFileItems(QMenu* menu)
{
    for (int k = 0; k < 4; ++k) {
        auto* a = new QAction(QStringLiteral("&%1 ").arg(k + 1), this);
        a->setObjectName(QStringLiteral("mnuDateiNr%1").arg(k + 1));
        tagControl(a, 0);
        a->setVisible(false);
        menu->addAction(a);
        addAction(a);
        mnuDateiNr[k] = a;
        connect(a, &QAction::triggered, this, [this, k] { runCommand([this, k] { mnuDateiNrClick(k + 1); }); });
    }
    N4 = menu->addSeparator();
    N4->setObjectName(QStringLiteral("N4"));
    N4->setVisible(false);
}

void TfrmTerminal::buildPopupMenus()
{
    using T = TfrmTerminal;
    const auto build = [this](const char* name, std::initializer_list<PopupRow> rows) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QLatin1String(name));
        for (const PopupRow& row : rows) {
            if (!row.field) {
                menu->addSeparator();
                continue;
            }
            auto* a = new QAction(StringTable::LoadStr(row.tag), this);
            a->setObjectName(QLatin1String(row.name));
            tagControl(a, row.tag);
            a->setShortcut(shortcutOf(row.shortcut));
            a->setShortcutContext(Qt::WidgetShortcut);
            menu->addAction(a);
            this->*row.field = a;
            if (row.runs)
                connect(a, &QAction::triggered, this->*row.runs, &QAction::trigger);
        }
        return menu;
    };
    popmnuTerm = build("popmnuTerm", {
                                          {&T::popEinstellungen, "popEinstellungen", 600},
                                          {&T::popFontFarbenTerminal, "popFontFarbenTerminal", 601},
                                          {},
                                          {&T::Ausschneiden3, "Ausschneiden3", 602, {}, &T::EditCut1},
                                          {&T::Kopieren3, "Kopieren3", 603, {}, &T::EditCopy1},
                                          {&T::Lschen1, "Lschen1", 604, {}, &T::EditPaste1},
                                          {&T::popClearT, "popClearT", 605, Qt::CTRL | Qt::Key_Delete},
                                          {},
                                          {&T::Allesmarkieren2, "Allesmarkieren2", 606, Qt::CTRL | Qt::Key_A},
                                          {},
                                          {&T::popTermClear, "popTermClear", 607},
                                          {},
                                          {&T::popFetch, "popFetch", 942},
                                      });
    popmnuEd = build("popmnuEd", {
                                      {&T::popFontFarbenEditor, "popFontFarbenEditor", 620},
                                      {},
                                      {&T::Ausschneiden1, "Ausschneiden1", 621, {}, &T::EditCut1},
                                      {&T::Kopieren1, "Kopieren1", 622, {}, &T::EditCopy1},
                                      {&T::Einfgen1, "Einfgen1", 623, {}, &T::EditPaste1},
                                      {&T::popClear, "popClear", 624, Qt::CTRL | Qt::Key_Delete},
                                      {},
                                      {&T::Allesmarkieren1, "Allesmarkieren1", 625, Qt::CTRL | Qt::Key_A},
                                      {},
                                      {&T::popEditClear, "popEditClear", 626},
                                  });
}

void TfrmTerminal::buildToolbars()
{
    using T = TfrmTerminal;
    const auto bar = [this](const char* name, const char* title) {
        auto* b = new QToolBar(QString::fromUtf8(title), this);
        b->setObjectName(QLatin1String(name));
        b->setIconSize(QSize(20, 20));
        b->setMovable(true);
        b->setFloatable(true);
        return b;
    };

    tbMenu = bar("tbMenu", "Menü");
    tbMenu->addWidget(MainMenu1);
    addToolBar(Qt::TopToolBarArea, tbMenu);
    addToolBarBreak();

    for (const ToolbarTable& table : toolbars()) {
        QToolBar* toolbar = bar(table.name, table.title);
        this->*table.field = toolbar;
        for (const ButtonRow& row : table.rows) {
            if (!row.field) {
                toolbar->addSeparator();
                continue;
            }
            const QIcon icon = row.icon ? Icons::named(QLatin1String(row.icon)) : QIcon();
            // The hint is also the button's text, which the toolbar shows in its overflow menu; a button
            // without a tag (the spacer) has neither.
            const QString hint = row.tag ? StringTable::LoadStr(row.tag) : QString();
            auto* a = new QAction(icon, hint, this);
            a->setObjectName(QLatin1String(row.name));
            a->setProperty(ToolButtonProperty, true);
            tagControl(a, row.tag);
            a->setToolTip(hint);
            applyFlags(a, row.flags);
            toolbar->addAction(a);
            this->*row.field = a;
            if (row.runs) {
                connect(a, &QAction::triggered, this, [menuItem = this->*row.runs] { runMenuItem(menuItem); });
                (this->*row.runs)->setIcon(icon);
            }
            else if (row.handler)
                connectCommand(a, row.handler);
        }
        addToolBar(Qt::TopToolBarArea, toolbar);
    }

    // Menu items without a button of their own; a theme without the picture leaves the item plain.
    const std::initializer_list<std::pair<Field, const char*>> menuPictures{
        {&T::mnuDruckvorschau, "document-print-preview"},
        {&T::mnuFontFarbenTerminal, "preferences-desktop-font"},
        {&T::mnuFontFarbenEditor, "preferences-desktop-font"},
        {&T::mnuComPort, "taloma-port-settings"},
        {&T::mnuFTasten, "taloma-function-keys"},
        {&T::mnuInhalt, "help-contents"},
        {&T::mnuBasicReferenz, "help-browser"},
        {&T::mnuUpdate, "system-software-update"},
        {&T::mnuInfo, "help-about"},
    };
    for (const auto& [field, name] : menuPictures)
        (this->*field)->setIcon(Icons::named(QLatin1String(name)));

    tbnOpen->setMenu(popmnuDL);
    if (auto* tb = qobject_cast<QToolButton*>(tbStandard->widgetForAction(tbnOpen)))
        tb->setPopupMode(QToolButton::MenuButtonPopup);
}
