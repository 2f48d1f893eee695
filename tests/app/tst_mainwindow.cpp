// The main window's frame, its settings and its language switch, driven through its controls. Longer
// than our files usually are: it is one table-driven test class over the window's design state (every
// control, caption, tag and shortcut), whose tables are most of its length.

#include "settings/GlobVar_Unit.h"
#include "app/HelpWindow.h"
#include "app/QtPrompts.h"
#include "app/Startup.h"
#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "dialogs/AutoNum_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "platform/StringTable.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "serial/SerialPortList.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"
#include "terminal/TfrmFTaste.h"

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

using namespace GlobVar;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuItems_matchTheDesign_data();
    void menuItems_matchTheDesign();
    void toolbarButtons_matchTheDesign_data();
    void toolbarButtons_matchTheDesign();
    void menuItemsAndWindows_showThePictures();
    void disabledMenuItem_doesNothingFromButtonOrCode();
    void statusPanels_atStartAndAfterResize();

    void firstStart_writesExactlyTheDefaults();
    void roundTrip_ofEveryValue();
    void wronglyTypedValue_appliesEarlierKeepsLaterAndStartsUp();
    void recentFiles_fromSettings_data();
    void recentFiles_fromSettings();
    void closingMaximized_writesStateOnlyAndKeepsBounds();
    void windowStates_areStartStates_data();
    void windowStates_areStartStates();

    void english_setsEveryTaggedControl();
    void languageSwitch_renamesUnnamedAndRewritesModifiedCaption();
    void language3_germanUntilFirstActivationThenEnglish();

    void damagedSettingsFile_reportedKeptAsideAndDefaultsUsed();
    void helpCommands_openTheirDocuments();
    void pageChange_overwriteIndicatorAndClearCommands();
    void standardToolbar_shownAgainFromBandMenu();

    void port_getsTheStoredCodesAndIsClosedBeforeNewSettingsAndExit();

    void firstActivation_showsTerminalPage();
    void formActivate_onlyWhenOwnWindowCloses();
    void closedDuringSplash_programEnds();
    void secondClose_savesNothingAgain();
    void unreadableSettingsFile_reportedOnce();
    void missingPaneFont_fixedPitchStandInKeepsStoredName();
    void qtTexts_followTheLanguage();
    void fixedDialogs_haveNoMaximiseButton();
    void fileDialogFilters_patternsOnceSuffixFollowsChoice();
    void fileArgument_bringsEditorForwardOnce();
    void unreadableFileArgument_unnamedDocumentAndTerminalPage();
    void fifoArgument_refusedWithoutWaiting();

private:
    void createWindow(const QStringList& arguments = {});
    QAction* action(const char* name) const;
    TRegistry openKey() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
};

void MainWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("HKEY_CURRENT_USER.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    m_dir.reset();
}

void MainWindowTest::createWindow(const QStringList& arguments)
{
    m_window = std::make_unique<TfrmTerminal>(arguments);
}

QAction* MainWindowTest::action(const char* name) const
{
    return m_window->findChild<QAction*>(QLatin1String(name));
}

TRegistry MainWindowTest::openKey() const
{
    TRegistry reg;
    reg.OpenKey(SettingsKey, true);
    return reg;
}

// --- design of the frame

void MainWindowTest::menuItems_matchTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("tag");
    const struct {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool enabled, visible;
        int tag;
    } rows[] = {
        {"mnuNew", "&Neu", "Ctrl+N", true, true, 2},
        {"mnuOpen", "Ö&ffnen", "Ctrl+O", true, true, 3},
        {"mnuSave", "&Speichern", "Ctrl+S", false, true, 4},
        {"mnuSaveAs", "Speichern &unter...", "", true, true, 5},
        {"mnuClose", "Schlie&ßen", "", false, true, 6},
        {"mnuDrucken", "D&rucken...", "Ctrl+P", true, true, 7},
        {"mnuDruckvorschau", "Druck&vorschau...", "", true, true, 10},
        {"Druckereinrichtung1", "Drucker&einrichtung...", "", true, true, 8},
        {"mnuDateiNr1", "&1 ", "", true, false, 0},
        {"mnuDateiNr4", "&4 ", "", true, false, 0},
        {"mnuBeenden", "&Beenden", "Ctrl+Q", true, true, 9},
        {"mnuUndo", "&Rückgängig", "Ctrl+Z", false, true, 21},
        {"mnuRedo", "&Widerrufen", "Ctrl+Alt+Z", false, true, 22},
        {"mnuCut", "&Ausschneiden", "Ctrl+X", true, true, 23},
        {"mnuCopy", "&Kopieren", "Ctrl+C", true, true, 24},
        {"mnuPaste", "&Einfügen", "Ctrl+V", true, true, 25},
        {"mnuClear", "&Löschen", "Ctrl+Del", true, true, 26},
        {"mnuSelectAll", "Alles &markieren", "Ctrl+A", true, true, 27},
        {"mnuSuchen", "&Suchen…", "Ctrl+F", true, true, 880},
        {"mnuSuchenWeiter", "&Weitersuchen", "F3", true, true, 889},
        {"mnuSuchenZurueck", "&Rückwärts suchen", "Shift+F3", true, true, 890},
        {"mnuEcho", "Ech&o", "", true, true, 41},
        {"ANSIASCII1", "&ASNI <=> ASCII", "", true, false, 42},
        {"mnuFontFarbenTerminal", "&Font/Farben...", "", true, true, 43},
        {"mnuComPort", "&ComPort...", "", true, true, 44},
        {"mnuEinstellungen", "&Einstellungen...", "", true, true, 45},
        {"mnuTransmit", "Programm übertragen", "", false, true, 940},
        {"mnuFetch", "Programm vom Board holen", "", false, true, 942},
        {"mnuFontFarbenEditor", "&Font/Farben...", "", true, true, 61},
        {"mnuTabulator", "&Tabulator...", "", true, false, 62},
        {"mnuAutoNumber", "Auto-Nummerierung", "", true, true, 63},
        {"mnuReNumber", "Re-Nummerierung", "", true, true, 64},
        {"mnuSort", "Sortieren", "", true, true, 65},
        {"mnuSyntaxHighlight", "Syntax&hervorhebung", "", true, true, 881},
        {"mnuUmgebungsoptionen", "&Umgebungsoptionen...", "", true, true, 81},
        {"mnuFTasten", "F-Tasten", "", true, true, 0},
        {"mnuDeutsch", "&Deutsch", "", true, true, 82},
        {"mnuEnglish", "Englisc&h", "", true, true, 83},
        {"mnuInhalt", "&Inhalt", "F1", true, true, 101},
        {"mnuBasicReferenz", "Basic-Referenz", "Ctrl+F1", true, true, 0},
        {"mnuUpdate", "&Update ...", "", true, true, 0},
        {"mnuInfo", "I&nfo", "", true, true, 102},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << r.name << QString::fromUtf8(r.caption) << r.shortcut << r.enabled << r.visible
                              << r.tag;
}

void MainWindowTest::menuItems_matchTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(int, tag);
    createWindow();
    auto* item = m_window->findChild<QAction*>(name);
    QVERIFY2(item, qPrintable(name));
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut().toString(), shortcut);
    QCOMPARE(item->isVisible(), visible);
    if (visible) // Qt reports hidden actions as disabled
        QCOMPARE(item->isEnabled(), enabled);
    QCOMPARE(item->property("tag").toInt(), tag);
    // Check marks of the start state.
    QCOMPARE(action("mnuDeutsch")->isChecked(), true);
    QCOMPARE(action("mnuEnglish")->isChecked(), false);
    QCOMPARE(action("mnuEcho")->isChecked(), false);
    QCOMPARE(action("mnuFTasten")->isChecked(), false);
}

void MainWindowTest::toolbarButtons_matchTheDesign_data()
{
    QTest::addColumn<QString>("toolbar");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("tbStandard") << "tbStandard"
                                << QStringList{"tbnNew",     "tbnOpen",        "tbnSave",     "tbnSaveAs",
                                               "tbnClose",   "|",              "tbnDrucken",  "|",
                                               "tbnUndo",    "tbnRedo",        "|",           "tbnAuschneiden",
                                               "tbnKopieren", "tbnEinfuegen",  "tbnClear",    "|",
                                               "tbnSelectAll"}
                                << QStringList{"tbnSave", "tbnClose", "tbnUndo", "tbnRedo"};
    QTest::newRow("tbSteuerung") << "tbSteuerung"
                                 << QStringList{"tbnCommOpen", "tbnCommClose", "|",          "tbnTransmit",
                                                "tbnBreak",    "|",            "tbnEinstellungen",
                                                "tbnEnvironmnet", "|",         "tbnAutoNum", "tbnRenumber",
                                                "tbnZNSort",   "|",            "tbnEmpty",   "tbnExit"}
                                 << QStringList{"tbnCommClose", "tbnTransmit", "tbnBreak", "tbnAutoNum", "tbnEmpty"};
}

void MainWindowTest::toolbarButtons_matchTheDesign()
{
    QFETCH(QString, toolbar);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, disabled);
    createWindow();
    auto* bar = m_window->findChild<QToolBar*>(toolbar);
    QVERIFY(bar);
    QStringList seen;
    for (QAction* a : bar->actions())
        seen.append(a->isSeparator() ? QStringLiteral("|") : a->objectName());
    QCOMPARE(seen, buttons);
    static const QMap<QString, QString> hints{{"tbnNew", "Neu"},
                                              {"tbnSave", "Speichern"},
                                              {"tbnClear", "Löschen (Strg+Entf)"},
                                              {"tbnTransmit", "Übertragung starten"},
                                              {"tbnBreak", "Control C (Alt+C)"},
                                              {"tbnExit", "Programm beenden"}};
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            continue;
        // Every button but the spacer shows a picture.
        if (a->objectName() != "tbnEmpty")
            QVERIFY2(!a->icon().pixmap(20, 20).isNull(), qPrintable(a->objectName()));
        // The port and exit buttons are the program's own pictures: a plug, never a media player's.
        if (a->objectName() == "tbnCommOpen" || a->objectName() == "tbnExit")
            QVERIFY(a->icon().name().isEmpty());
        QCOMPARE(a->isEnabled(), !disabled.contains(a->objectName()));
        if (hints.contains(a->objectName()))
            QCOMPARE(a->toolTip(), hints.value(a->objectName()));
    }
}

void MainWindowTest::menuItemsAndWindows_showThePictures()
{
    createWindow();
    // A menu item that a button runs shows the button's picture.
    for (const auto& [item, button] : {std::pair{"mnuSaveAs", "tbnSaveAs"}, std::pair{"mnuSort", "tbnZNSort"},
                                       std::pair{"mnuBeenden", "tbnExit"}}) {
        const QImage expected = action(button)->icon().pixmap(16).toImage();
        QVERIFY2(!expected.isNull(), button);
        QCOMPARE(action(item)->icon().pixmap(16).toImage(), expected);
    }
    QVERIFY(!action("mnuFTasten")->icon().isNull());
    // The application icon stands on every window the program opens, the help included.
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(QApplication::windowIcon().availableSizes().contains(QSize(256, 256)));
    QVERIFY(runMenuItem(action("mnuInhalt")));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && w->isVisible())
            QVERIFY2(!w->windowIcon().isNull(), qPrintable(w->objectName()));
    HelpWindow::instance().hide();
}

void MainWindowTest::disabledMenuItem_doesNothingFromButtonOrCode()
{
    createWindow();
    m_window->RTF->setPlainText("10 PRINT 1");
    // Close is enabled by the change; disable it again and run it from its button.
    QVERIFY(action("mnuClose")->isEnabled());
    action("mnuClose")->setEnabled(false);
    action("tbnClose")->setEnabled(true);
    action("tbnClose")->trigger();
    QVERIFY(!runMenuItem(action("mnuClose")));
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 PRINT 1"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void MainWindowTest::statusPanels_atStartAndAfterResize()
{
    createWindow();
    StatusBar* bar = m_window->StatusBar1;
    QCOMPARE(bar->panelCount(), 6);
    QCOMPARE(bar->panelText(1), QString("Com 1"));
    QCOMPARE(bar->panelText(2), QString("9600,8,N,1"));
    QCOMPARE(bar->panelText(3), QString(" Kein Handshake"));
    QCOMPARE(bar->panelText(4), QString());
    QCOMPARE(bar->panelText(5), QString());
    QCOMPARE(m_window->pnlUhr->text(), QString("00:00:00"));

    m_window->FormCanResize(400);
    const QList<int> expected400{90, 45, 80, -24, 125, 50};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(bar->panelWidth(i), expected400[i]);
    m_window->FormCanResize(1000);
    QCOMPARE(bar->panelWidth(3), 576);
    // Widths up to 333 leave the panels alone.
    m_window->FormCanResize(300);
    QCOMPARE(bar->panelWidth(3), 576);

    // In the status bar's right end, side by side; on a 640 x 480 screen 4 pixels below its top edge.
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->pnlUhr->parentWidget(), bar);
    QCOMPARE(m_window->pnlOverWrite->parentWidget(), bar);
    QCOMPARE(m_window->pnlUhr->geometry().right(), bar->width() - 7);
    QVERIFY(m_window->pnlOverWrite->geometry().right() < m_window->pnlUhr->x());
    ScreenWidthAtStart = 640;
    m_window->FormCanResize(m_window->width());
    QCOMPARE(m_window->pnlUhr->y(), 4);
    QCOMPARE(m_window->pnlOverWrite->y(), 4);
    // A toolbar docked at the bottom leaves them in the status bar, below the toolbar.
    m_window->addToolBar(Qt::BottomToolBarArea, m_window->tbSteuerung);
    QTRY_VERIFY(m_window->tbSteuerung->geometry().bottom() < bar->mapTo(m_window.get(), QPoint(0, 0)).y());
    QCOMPARE(m_window->pnlUhr->parentWidget(), bar);
    QCOMPARE(m_window->pnlUhr->geometry().right(), bar->width() - 7);

    // The caret panel shows three-digit line and column numbers in full.
    bar->setPanelText(0, QStringLiteral("  Z: 107   S: 123"));
    QVERIFY(bar->shownWidth(0) >= bar->fontMetrics().horizontalAdvance(bar->panelText(0)));
    QCOMPARE(bar->panelLeft(1), bar->shownWidth(0));

    // The clock ticks in the long time format (at any time of day, midnight too) and its hint names the day.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QString before = QLocale().toString(QTime::currentTime(), format.trimmed());
    m_window->Timer1Timer();
    const QString after = QLocale().toString(QTime::currentTime(), format.trimmed());
    QVERIFY2(m_window->pnlUhr->text() == before || m_window->pnlUhr->text() == after,
             qPrintable(m_window->pnlUhr->text()));
    m_window->pnlUhrMouseMove();
    QVERIFY(m_window->pnlUhr->toolTip().contains(QString::number(QDate::currentDate().year())));
}

// --- settings

void MainWindowTest::firstStart_writesExactlyTheDefaults()
{
    createWindow();
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
    const QMap<QString, int> dwords{
        {"Language", 1},     {"MainWindowState", 0}, {"MainWindowTop", 115},  {"MainWindowLeft", 195},
        {"MainWindowHeight", 566}, {"MainWindowWidth", 752}, {"FTasteWindowTop", 10}, {"FTasteWindowLeft", 10},
        {"ComPort", 1},      {"ComBaudrate", 7},     {"ComDatenbits", 5},     {"ComParity", 1},
        {"ComStopbits", 1},  {"ComEcho", 0},         {"TerminalSize", 8},     {"TerminalColor", 16711680},
        {"EditorSize", 10},  {"EditorColor", int(2147483656u)}, {"EnvFilter", 0}, {"EnvReturn", 0},
        {"EnvMReturn", 0},   {"EnvOReturn", 0},      {"EnvBreak", 0},         {"EnvFraming", 0},
        {"EnvOverflow", 0},  {"EnvRxBuffer", 0},     {"EnvParity", 0},        {"EnvTxBuffer", 0}};
    for (auto it = dwords.begin(); it != dwords.end(); ++it)
        QCOMPARE(reg.ReadInteger(it.key()), it.value());
    QCOMPARE(reg.ReadString("TerminalFont"), QString("MS Sans Serif"));
    QCOMPARE(reg.ReadString("EditorFont"), QString("MS Sans Serif"));
    QCOMPARE(reg.ReadString("SourceCodePfad"), QString());
    QStringList names = reg.GetValueNames();
    QCOMPARE(names.size(), dwords.size() + 3);
    QVERIFY(!reg.ValueExists("Dateipfad1"));
    QVERIFY(ShowToolbar1 && ShowToolbar2);
    QVERIFY(!FirstStartSave);
    // The document is the unnamed one: a Save asks for a name, proposing the unnamed name.
    m_window->RTF->setPlainText("10 END");
    m_window->mnuSaveClick();
    QCOMPARE(m_prompts->fileRequests.size(), 1);
    QCOMPARE(QFileInfo(m_prompts->fileRequests[0].path).fileName(), QString("ohne Namen"));
}

void MainWindowTest::roundTrip_ofEveryValue()
{
    createWindow();
    m_window->move(40, 50);
    m_window->resize(700, 500);
    ComPort = 3;
    ComBaudrate = 10;
    ComDatenbits = 4;
    ComParity = 3;
    ComStopbits = 3;
    ComEcho = true;
    EnvFilter = 1;
    EnvReturn = EnvMReturn = EnvOReturn = EnvBreak = EnvFraming = EnvOverflow = EnvRxBuffer = EnvParity =
        EnvTxBuffer = true;
    SourceCodePfad = m_dir->path() + "/Quellen äöü";
    m_window->mnuEnglishClick();
    for (const char* name : {"/a/one.bas", "/a/two.bas", "/a/three.bas"}) {
        CurrentFileName = name;
        m_window->AddRecentFile();
    }
    QFont font("DejaVu Sans Mono");
    font.setPointSize(13);
    m_window->MemoT->setFont(font);
    m_window->MemoT->setProperty("winColor", 0x00123456u);
    m_window->SaveSettings();
    m_window.reset();

    ResetGlobals();
    createWindow();
    QCOMPARE(m_window->pos(), QPoint(40, 50));
    QCOMPARE(m_window->size(), QSize(700, 500));
    QCOMPARE(ComPort, 3);
    QCOMPARE(ComBaudrate, 10);
    QCOMPARE(ComDatenbits, 4);
    QCOMPARE(ComParity, 3);
    QCOMPARE(ComStopbits, 3);
    QVERIFY(ComEcho);
    QVERIFY(action("mnuEcho")->isChecked());
    QCOMPARE(EnvFilter, 1);
    QCOMPARE(DefaultExtension, QString("bas"));
    QVERIFY(EnvReturn && EnvMReturn && EnvOReturn && EnvBreak && EnvFraming && EnvOverflow && EnvRxBuffer &&
            EnvParity && EnvTxBuffer);
    QCOMPARE(SourceCodePfad, m_dir->path() + "/Quellen äöü");
    QCOMPARE(Language, 2);
    QVERIFY(action("mnuEnglish")->isChecked());
    QCOMPARE(RecentFiles.mid(0, RecentCount), (QStringList{"/a/three.bas", "/a/two.bas", "/a/one.bas"}));
    QCOMPARE(action("mnuDateiNr1")->text(), QString("&1 /a/three.bas"));
    QVERIFY(action("N4")->isVisible());
    QCOMPARE(m_window->MemoT->font().family(), QString("DejaVu Sans Mono"));
    QCOMPARE(m_window->MemoT->font().pointSize(), 13);
    QCOMPARE(m_window->MemoT->property("winColor").toUInt(), 0x00123456u);
    QCOMPARE(m_window->MemoT->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
    QCOMPARE(m_window->StatusBar1->panelText(1), QString("Com 3"));
    QCOMPARE(m_window->StatusBar1->panelText(2), QString("38400,7,E,2"));
    QCOMPARE(CurrentFileName, QString("untitled"));
}

void MainWindowTest::wronglyTypedValue_appliesEarlierKeepsLaterAndStartsUp()
{
    {
        createWindow();
        m_window.reset();
        ResetGlobals();
        TRegistry reg = openKey();
        reg.WriteInteger("Language", 2);
        reg.WriteInteger("MainWindowLeft", 33);
        reg.WriteInteger("FTasteWindowTop", 77);
        reg.WriteInteger("ComPort", 2);
        reg.WriteString("ComBaudrate", "9600"); // a string where a number belongs
        reg.WriteInteger("ComDatenbits", 2);
        reg.WriteInteger("EnvFilter", 2);
    }
    createWindow();
    // One message: the program's text first, then where the file was kept before the built-in values
    // replace the user's.
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().startsWith("Fehler beim Holen der Daten für 'ComBaudrate'\n"));
    // Read before the fault: applied.
    QCOMPARE(Language, 2);
    QCOMPARE(m_window->x(), 33);
    QCOMPARE(FTasteWindowTop, 77);
    QCOMPARE(ComPort, 2);
    // At and after the fault: built-in values.
    QCOMPARE(ComBaudrate, 7);
    QCOMPARE(ComDatenbits, 5);
    QCOMPARE(EnvFilter, 0);
    // The rest of the start-up ran.
    QCOMPARE(m_window->StatusBar1->panelText(1), QString("Com 2"));
    QCOMPARE(m_window->StatusBar1->panelText(2), QString("9600,8,N,1"));
    QCOMPARE(CurrentFileName, QString("untitled"));
    QCOMPARE(FileFilter, QString("Textfiles (*.txt)|*.txt|Basic-Files (*.bas)|*.bas|Alle Files (*.*)|*.*"));
}

void MainWindowTest::recentFiles_fromSettings_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("gap ends the list") << QStringList{"/x/A", "/x/B", "", "/x/D"} << QStringList{"/x/A", "/x/B"};
    QTest::newRow("five stored, four kept")
        << QStringList{"/x/1", "/x/2", "/x/3", "/x/4", "/x/5"} << QStringList{"/x/1", "/x/2", "/x/3", "/x/4"};
    QTest::newRow("none") << QStringList{} << QStringList{};
    const QString longName = "/" + QString(200, 'p');
    QTest::newRow("long name cut to 150") << QStringList{longName} << QStringList{longName.left(150)};
}

void MainWindowTest::recentFiles_fromSettings()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, expected);
    createWindow();
    m_window.reset();
    ResetGlobals();
    {
        TRegistry reg = openKey();
        for (int k = 0; k < stored.size(); ++k)
            reg.WriteString(QString("Dateipfad%1").arg(k + 1), stored[k]);
    }
    createWindow();
    QCOMPARE(RecentFiles.mid(0, RecentCount), expected);
    for (int k = 0; k < 4; ++k) {
        const QString name = QString("mnuDateiNr%1").arg(k + 1);
        QCOMPARE(m_window->findChild<QAction*>(name)->isVisible(), k < expected.size());
        QCOMPARE(m_window->findChild<QAction*>(QString("N%1").arg(k + 1) + "1")->isVisible(), k < expected.size());
    }
    QCOMPARE(action("N4")->isVisible(), !expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(action("N11")->text(), "&1 " + expected.first());

    // Written back cut, as the list holds it.
    m_window->SaveSettings();
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
    for (int k = 0; k < expected.size(); ++k)
        QCOMPARE(reg.ReadString(QString("Dateipfad%1").arg(k + 1)), expected[k]);
}

void MainWindowTest::closingMaximized_writesStateOnlyAndKeepsBounds()
{
    createWindow();
    m_window->show();
    m_window->showMaximized();
    QTRY_VERIFY(m_window->isMaximized());
    m_window->SaveSettings();
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
    QCOMPARE(reg.ReadInteger("MainWindowState"), 1);
    QCOMPARE(reg.ReadInteger("MainWindowLeft"), 195);
    QCOMPARE(reg.ReadInteger("MainWindowWidth"), 752);
}

void MainWindowTest::windowStates_areStartStates_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("startState");
    QTest::addColumn<int>("left");
    QTest::newRow("normal") << 0 << int(WindowState::Normal) << 20;
    QTest::newRow("maximized keeps bounds for restoring") << 1 << int(WindowState::Maximized) << 20;
    QTest::newRow("minimized reads no bounds") << 2 << int(WindowState::Minimized) << 195;
    QTest::newRow("unknown changes nothing") << 7 << int(WindowState::Normal) << 195;
}

void MainWindowTest::windowStates_areStartStates()
{
    QFETCH(int, stored);
    QFETCH(int, startState);
    QFETCH(int, left);
    createWindow();
    m_window.reset();
    ResetGlobals();
    {
        TRegistry reg = openKey();
        reg.WriteInteger("MainWindowState", stored);
        reg.WriteInteger("MainWindowLeft", 20);
    }
    createWindow();
    QCOMPARE(int(StartWindowState), startState);
    QCOMPARE(m_window->x(), left);
}

// --- language

void MainWindowTest::english_setsEveryTaggedControl()
{
    createWindow();
    const QString fTasten = action("mnuFTasten")->text();
    const QString basicRef = action("mnuBasicReferenz")->text();
    const QString tbnNewText = action("tbnNew")->text();
    m_window->mnuEnglishClick();

    QCOMPARE(action("mnuOpen")->text(), QString("&Open"));
    QCOMPARE(action("mnuBeenden")->text(), QString("E&xit"));
    QCOMPARE(action("mnuInhalt")->text(), QString("Help &Contents"));
    QCOMPARE(action("Druckereinrichtung1")->text(), QString("PrinterConfig..."));
    QCOMPARE(m_window->findChild<QMenu*>("mnuDatei")->title(), QString("&File"));
    QCOMPARE(m_window->findChild<QMenu*>("mnuHilfe")->title(), QString("&Help"));
    QCOMPARE(action("popTermClear")->text(), QString("Clear Terminal-Window"));
    QCOMPARE(action("popEditClear")->text(), QString("Clear Editor-Window"));
    QCOMPARE(m_window->PageControl1->tabText(0), QString("TerminalWindow"));
    QCOMPARE(m_window->lblUeb->text(), QString("OV"));
    // Untagged items keep their design captions; buttons change only their hints.
    QCOMPARE(action("mnuFTasten")->text(), fTasten);
    QCOMPARE(action("mnuBasicReferenz")->text(), basicRef);
    QCOMPARE(action("tbnNew")->toolTip(), QString("New"));
    QCOMPARE(action("tbnTransmit")->toolTip(), QString("Start Trasmission"));
    // A button's hint is also its text (the toolbar's overflow menu shows it); the spacer has none.
    QCOMPARE(action("tbnNew")->text(), QString("New"));
    QCOMPARE(tbnNewText, QString("Neu"));
    QCOMPARE(action("tbnEmpty")->text(), QString());
    QCOMPARE(action("tbnEmpty")->toolTip(), QString());
    QVERIFY(action("mnuEnglish")->isChecked());
    QVERIFY(!action("mnuDeutsch")->isChecked());

    // Every tagged control of the window carries its English text, as the program's table lists it.
    static const QMap<QString, QString> englishTexts{
        {"mnuDatei", "&File"}, {"mnuNew", "&New"}, {"mnuOpen", "&Open"}, {"mnuSave", "&Save"},
        {"mnuSaveAs", "Save &As..."}, {"mnuClose", "&Close"}, {"mnuDrucken", "Print..."},
        {"mnuDruckvorschau", "Print Pre&view..."},
        {"Druckereinrichtung1", "PrinterConfig..."}, {"mnuBeenden", "E&xit"}, {"mnuBearbeiten", "&Edit"},
        {"mnuUndo", "&Undo"}, {"mnuRedo", "&Redo"}, {"mnuCut", "Cu&t"}, {"mnuCopy", "&Copy"},
        {"mnuPaste", "&Paste"}, {"mnuClear", "&Delete"}, {"mnuSelectAll", "Select &All"},
        {"mnuTerminal", "&Terminal"}, {"mnuEcho", "Ech&o"}, {"ANSIASCII1", "&ANSI <=> ASCII"},
        {"mnuMitschnitt", "Session &log…"}, {"mnuMitschnittGesendet", "Log what is &sent"},
        {"mnuFontFarbenTerminal", "&Font/Color..."}, {"mnuComPort", "&ComPort..."},
        {"mnuEinstellungen", "&Settings..."}, {"mnuEditor", "&Editor"}, {"mnuFontFarbenEditor", "&Font/Color..."},
        {"mnuTabulator", "&Tabulator..."}, {"mnuAutoNumber", "Auto-Number"}, {"mnuReNumber", "Re-Number"},
        {"mnuSort", "Sort"}, {"lblUeb", "OV"}, {"mnuExtras", "E&xtras"}, {"mnuUmgebungsoptionen", "&Environment..."},
        {"mnuDeutsch", "&German"}, {"mnuEnglish", "Englis&h"}, {"mnuHilfe", "&Help"},
        {"mnuInhalt", "Help &Contents"}, {"mnuInfo", "I&nfo"}, {"tbnNew", "New"}, {"tbnOpen", "Open"},
        {"tbnSave", "Save"}, {"tbnSaveAs", "Save As..."}, {"tbnClose", "Close"}, {"tbnDrucken", "Print"},
        {"tbnUndo", "Undo"}, {"tbnRedo", "Redo"}, {"tbnAuschneiden", "Cut"}, {"tbnKopieren", "Copy"},
        {"tbnEinfuegen", "Paste"}, {"tbnClear", "Delete (Strg+Entf)"}, {"tbnSelectAll", "Select All (Strg+A)"},
        {"tbnCommOpen", "Open ComPort"}, {"tbnCommClose", "Close ComPort"}, {"tbnTransmit", "Start Trasmission"},
        {"tbnBreak", "Control C (Alt+C)"}, {"tbnEinstellungen", "Settings"}, {"tbnEnvironmnet", "Environment"},
        {"tbnAutoNum", "Auto-Number"}, {"tbnRenumber", "Re-Number"}, {"tbnZNSort", "Sort"},
        {"tbnExit", "Exit Program"}, {"TSheetTerm", "TerminalWindow"}, {"popEinstellungen", "Settings"},
        {"popFontFarbenTerminal", "Font/Color..."}, {"Ausschneiden3", "Cut"}, {"Kopieren3", "Copy"},
        {"Lschen1", "Paste"}, {"popClearT", "Delete"}, {"Allesmarkieren2", "Select All"},
        {"popTermClear", "Clear Terminal-Window"}, {"popFontFarbenEditor", "Font/Color..."},
        {"Ausschneiden1", "Cut"}, {"Kopieren1", "Copy"}, {"Einfgen1", "Paste"}, {"popClear", "Delete"},
        {"Allesmarkieren1", "Select All (Strg+A)"}, {"popEditClear", "Clear Editor-Window"},
        {"mnuSuchen", "&Find…"}, {"mnuSuchenWeiter", "Find &next"}, {"mnuSuchenZurueck", "Find &previous"},
        {"mnuSyntaxHighlight", "Syntax &highlighting"},
        {"mnuTransmit", "Transmit program"}, {"mnuFetch", "Fetch program from board"},
        {"popFetch", "Fetch program from board"}};
    int checked = 0;
    for (QObject* o : m_window->findChildren<QObject*>()) {
        const int tag = o->property("tag").toInt();
        if (tag == 0 || o == m_window->pnlOverWrite)
            continue;
        QVERIFY2(englishTexts.contains(o->objectName()), qPrintable(o->objectName()));
        const QString english = englishTexts.value(o->objectName());
        if (auto* a = qobject_cast<QAction*>(o)) {
            QCOMPARE(a->text(), english);
            if (a->property("toolbutton").toBool())
                QCOMPARE(a->toolTip(), english);
        }
        else if (auto* m = qobject_cast<QMenu*>(o))
            QCOMPARE(m->title(), english);
        else if (auto* l = qobject_cast<QLabel*>(o))
            QCOMPARE(l->text(), english);
        else if (o == m_window->TSheetTerm)
            QCOMPARE(m_window->PageControl1->tabText(0), english);
        else
            QFAIL(qPrintable(o->objectName()));
        ++checked;
    }
    QCOMPARE(checked, englishTexts.size());
    m_window->mnuDeutschClick();
    QCOMPARE(action("mnuOpen")->text(), QString("Ö&ffnen"));
    QCOMPARE(action("tbnNew")->toolTip(), QString("Neu"));
    QCOMPARE(m_window->StatusBar1->panelText(3), QString(" Kein Handshake"));
}

void MainWindowTest::languageSwitch_renamesUnnamedAndRewritesModifiedCaption()
{
    createWindow();
    m_window->StatusBar1->setPanelText(3, " Hardware");
    m_window->mnuEnglishClick();
    QCOMPARE(CurrentFileName, QString("untitled"));
    QCOMPARE(DefaultFileName, QString("untitled"));
    QCOMPARE(m_window->StatusBar1->panelText(3), QString(" No Handshake"));
    QCOMPARE(FilterAllFiles, QString("Alle Files (*.*)|*.*"));

    // An unmodified document's caption is left for the next file command.
    const int ed = m_window->PageControl1->indexOf(m_window->TSheetEd);
    QCOMPARE(m_window->PageControl1->tabText(ed), QString("Editor"));
    m_window->RTF->setPlainText("10 REM");
    QVERIFY(EditorModified);
    m_window->mnuDeutschClick();
    QCOMPARE(CurrentFileName, QString("ohne Namen"));
    QCOMPARE(m_window->PageControl1->tabText(ed), QString("Editor - ohne Namen *"));

    // Save proposes the unnamed name of the language.
    m_window->mnuEnglishClick();
    m_window->mnuSaveClick();
    QCOMPARE(m_prompts->fileRequests.size(), 1);
    QCOMPARE(m_prompts->fileRequests[0].path, QDir::homePath() + "/untitled");
    QCOMPARE(m_prompts->fileRequests[0].title, QString("SaveAs..."));
}

void MainWindowTest::language3_germanUntilFirstActivationThenEnglish()
{
    createWindow();
    m_window.reset();
    ResetGlobals();
    openKey().WriteInteger("Language", 3);
    createWindow();
    QCOMPARE(Language, 3);
    QCOMPARE(action("mnuOpen")->text(), QString("Ö&ffnen"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(action("mnuOpen")->text(), QString("&Open"));
    QCOMPARE(m_window->StatusBar1->panelText(3), QString(" No Handshake"));
    // The stored value is written back as it was.
    QCOMPARE(Language, 3);
    m_window->SaveSettings();
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
    QCOMPARE(reg.ReadInteger("Language"), 3);
}

void MainWindowTest::damagedSettingsFile_reportedKeptAsideAndDefaultsUsed()
{
    const QString path = m_dir->filePath("HKEY_CURRENT_USER.reg");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a settings file\n\x01\x02");
    }
    createWindow();
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QCOMPARE(ComBaudrate, 7);
    const QStringList aside = QDir(m_dir->path()).entryList({"HKEY_CURRENT_USER.reg.*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(m_dir->filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("this is not a settings file\n\x01\x02"));
    // The defaults were written as on a first start.
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
    QCOMPARE(reg.ReadInteger("ComBaudrate"), 7);
}

void MainWindowTest::helpCommands_openTheirDocuments()
{
    createWindow();
    QVERIFY(runMenuItem(action("mnuInhalt")));
    QCOMPARE(HelpFile, QString("Taloma-Terminal.html"));
    QWidget* helpWindow = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "HelpWindow")
            helpWindow = w;
    QVERIFY(helpWindow && helpWindow->isVisible());
    auto* browser = helpWindow->findChild<QTextBrowser*>("HelpBrowser");
    QVERIFY(browser->source().toString().endsWith("Taloma-Terminal.html"));
    QVERIFY(browser->toPlainText().contains("Terminalfenster"));

    helpWindow->resize(300, 120); // small enough that the topic lies below the top
    QVERIFY(runMenuItem(action("mnuBasicReferenz")));
    QCOMPARE(HelpFile, QString("Taloma-BASIC.html"));
    QVERIFY(browser->source().toString().endsWith("Taloma-BASIC.html"));
    // The view jumped to the topic "Inhalt": the document's title has scrolled out of view.
    QVERIFY(browser->verticalScrollBar()->value() > 0);
    QCOMPARE(browser->cursorForPosition(QPoint(4, 4)).block().text(), QString("Inhalt"));
    helpWindow->hide();
}

void MainWindowTest::pageChange_overwriteIndicatorAndClearCommands()
{
    createWindow();
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    m_window->lblUeb->setEnabled(true); // overwrite mode in the editor
    m_window->PageControl1->setCurrentWidget(m_window->TSheetTerm);
    QVERIFY(!m_window->lblUeb->isEnabled());
    QVERIFY(!m_window->pnlOverWrite->isEnabled());
    QVERIFY(!action("mnuClear")->isEnabled());
    // Received text while the terminal is in front does not lose the editor's mode.
    m_window->MemoT->setPlainText("READY");
    m_window->MemoT->selectAll();
    m_window->TSheetChange();
    QVERIFY(action("mnuClear")->isEnabled());
    QVERIFY(action("popClearT")->isEnabled());
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    QVERIFY(m_window->lblUeb->isEnabled());
    QVERIFY(m_window->pnlOverWrite->isEnabled());
    QVERIFY(!action("tbnClear")->isEnabled());
}

void MainWindowTest::standardToolbar_shownAgainFromBandMenu()
{
    createWindow();
    m_window->show();
    m_window->tbStandard->hide();
    action("popmnuStandard")->trigger();
    QVERIFY(m_window->tbStandard->isVisible());
}

void MainWindowTest::port_getsTheStoredCodesAndIsClosedBeforeNewSettingsAndExit()
{
    int master = -1, slave = -1;
    QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
    qputenv("TALOMA_COM2", ::ttyname(slave));
    PortMap::global().Reload();
    createWindow();
    m_window.reset();
    ResetGlobals();
    {
        TRegistry reg = openKey();
        reg.WriteInteger("ComPort", 2);
        reg.WriteInteger("ComBaudrate", 9); // 19200
        reg.WriteInteger("ComParity", 3);   // even
    }
    createWindow();
    TSerComm* port = m_window->SerComm1;
    QCOMPARE(port->PortNum(), 2);
    QCOMPARE(port->Baudrate(), br19200);
    QCOMPARE(port->Parity(), paEven);
    QVERIFY(!port->IsOpen());
    QVERIFY(std::find(SerialPortNames.begin(), SerialPortNames.end(), QString("COM2")) != SerialPortNames.end());
    QCOMPARE(m_window->StatusBar1->panelText(1), QString("Com 2"));

    port->Open();
    QVERIFY(PortOpen);
    ComBaudrate = 10; // 38400, as the settings dialog would leave it
    m_window->ApplyPortSettings();
    QVERIFY(!port->IsOpen());
    QVERIFY(!PortOpen);
    QCOMPARE(port->Baudrate(), br38400);

    port->Open();
    m_window->mnuBeendenClick();
    QVERIFY(!port->IsOpen());
    QVERIFY(!PortOpen);
    ::close(slave);
    ::close(master);
    qunsetenv("TALOMA_COM2");
    PortMap::global().Reload();
}

// --- activation and the command-line file

void MainWindowTest::firstActivation_showsTerminalPage()
{
    createWindow();
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetTerm);
    QVERIFY(FirstActivationDone);
    // Later activations leave the page the user chose.
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    m_window->FormActivate();
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetEd);
}

void MainWindowTest::fileArgument_bringsEditorForwardOnce()
{
    const QString path = m_dir->filePath("start.bas");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("10 PRINT \"A\"\r\n20 END\r\n");
    }
    createWindow({path, m_dir->filePath("second.bas")});
    QCOMPARE(CurrentFileName, path);
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 PRINT \"A\"\n20 END\n"));
    QCOMPARE(RecentFiles.value(0), path);
    QCOMPARE(RecentCount, 1);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetEd);
    QCOMPARE(m_window->PageControl1->tabText(1), QString("Editor - start.bas"));
    QVERIFY(!StartFileGiven);
    m_window->PageControl1->setCurrentWidget(m_window->TSheetTerm);
    m_window->FormActivate();
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetTerm);
}

void MainWindowTest::unreadableFileArgument_unnamedDocumentAndTerminalPage()
{
    const QString path = m_dir->filePath("missing.bas");
    createWindow({path});
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().startsWith("Datei " + path + " kann nicht geöffnet werden. "));
    // Typing and Save must not create or replace a file the program could not read: the document is unnamed.
    QCOMPARE(CurrentFileName, QString("ohne Namen"));
    QCOMPARE(RecentCount, 0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetTerm);
    m_window->RTF->setPlainText("10 END");
    m_window->mnuSaveClick();
    QCOMPARE(m_prompts->fileRequests.size(), 1);
    QVERIFY(!QFile::exists(path));
}

void MainWindowTest::fifoArgument_refusedWithoutWaiting()
{
    // A pipe nobody writes to would block the start for ever.
    const QString fifo = m_dir->filePath("pipe.bas");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    createWindow({fifo});
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().contains("not a regular file"));
    QCOMPARE(CurrentFileName, QString("ohne Namen"));
}

// --- activation, closing, settings that cannot be read, fonts, Qt's texts, dialog frames

void MainWindowTest::formActivate_onlyWhenOwnWindowCloses()
{
    createWindow();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QVERIFY(FirstActivationDone);
    // FormActivate sets the file filter afresh; a marker shows whether it ran.
    FileFilter = QStringLiteral("marker");

    // Activated again after a window that is not one of the program's own (a message box, a file
    // dialog, another program): nothing runs.
    QWidget other;
    const auto backFromOther = [&] {
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.hide();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    };
    backFromOther();
    QCOMPARE(FileFilter, QStringLiteral("marker"));

    // One of the program's own windows closes: the next activation runs it, once.
    QDialog own(m_window.get());
    m_window->watchOwnWindow(&own);
    own.show();
    QVERIFY(QTest::qWaitForWindowActive(&own));
    own.hide();
    m_window->activateWindow();
    QTRY_VERIFY(FileFilter != QStringLiteral("marker"));
    FileFilter = QStringLiteral("marker");
    backFromOther();
    QCOMPARE(FileFilter, QStringLiteral("marker"));
}

void MainWindowTest::closedDuringSplash_programEnds()
{
    createWindow();
    QWidget splash;
    splash.show();
    QTimer::singleShot(100, m_window.get(), [this] { m_window->close(); });
    // Were the event loop entered after all, this ends it and the test fails.
    bool loopRan = false;
    QTimer::singleShot(5000, qApp, [&loopRan] {
        loopRan = true;
        QCoreApplication::quit();
    });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(RunMainWindow(m_window.get(), &splash, 3000), 0);
    QVERIFY(!loopRan);
    QVERIFY(clock.elapsed() < 3000);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!splash.isVisible());
}

void MainWindowTest::secondClose_savesNothingAgain()
{
    createWindow();
    m_window->show();
    QVERIFY(m_window->close());
    const QString settings = SettingsStore::currentUser().filePath();
    QVERIFY(QFile::remove(settings));
    // Shown and closed again (a second start's request could bring it back): no question, no save.
    m_window->show();
    QVERIFY(m_window->close());
    QVERIFY(!QFile::exists(settings));
    QVERIFY(m_prompts->shown.isEmpty());
}

void MainWindowTest::unreadableSettingsFile_reportedOnce()
{
    const QString path = m_dir->filePath("HKEY_CURRENT_USER.reg");
    QVERIFY(QDir().mkpath(path + "/inside"));
    createWindow();
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().contains(path));
    QCOMPARE(ComBaudrate, 7);
    m_window->show();
    QVERIFY(m_window->close());
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(QFileInfo(path + "/inside").isDir());
}

void MainWindowTest::missingPaneFont_fixedPitchStandInKeepsStoredName()
{
    if (QFontDatabase::hasFamily("MS Sans Serif"))
        QSKIP("this machine has the stored face itself");
    createWindow(); // the first start stores "MS Sans Serif" for both panes
    // Columns line up: every character is as wide as any other.
    for (QPlainTextEdit* pane : {m_window->MemoT, m_window->RTF}) {
        const QFontMetrics metrics(pane->font());
        QVERIFY2(metrics.horizontalAdvance("iiiii") == metrics.horizontalAdvance("WWWWW"),
                 qPrintable(QFontInfo(pane->font()).family()));
    }
    QCOMPARE(m_window->MemoT->font().pointSize(), 8);
    QCOMPARE(m_window->RTF->font().pointSize(), 10);
    m_window->SaveSettings();
    QCOMPARE(openKey().ReadString("TerminalFont"), QString("MS Sans Serif"));
    QCOMPARE(openKey().ReadString("EditorFont"), QString("MS Sans Serif"));

    // A face the machine has is shown as it is, proportional or not.
    QString present;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isFixedPitch(family) && present.isEmpty())
            present = family;
    QVERIFY(!present.isEmpty());
    openKey().WriteString("TerminalFont", present);
    m_window.reset();
    ResetGlobals();
    createWindow();
    QCOMPARE(m_window->MemoT->font().family(), present);
    m_window->SaveSettings();
    QCOMPARE(openKey().ReadString("TerminalFont"), present);
}

void MainWindowTest::qtTexts_followTheLanguage()
{
    QVERIFY2(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"),
             "Qt's translations (Debian qt6-translations-l10n) are not installed");
    createWindow();
    const QKeySequence save(Qt::CTRL | Qt::Key_S);
    QCOMPARE(save.toString(QKeySequence::NativeText), QString("Strg+S"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
    m_window->mnuEnglishClick();
    QCOMPARE(save.toString(QKeySequence::NativeText), QString("Ctrl+S"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    m_window->mnuDeutschClick();
    QCOMPARE(save.toString(QKeySequence::NativeText), QString("Strg+S"));
}

void MainWindowTest::fixedDialogs_haveNoMaximiseButton()
{
    createWindow();
    TfrmReNum reNum(m_window.get());
    TfrmAutoNum autoNum(m_window.get());
    TfrmFTaste keys(m_window.get(), {});
    for (QWidget* w : std::initializer_list<QWidget*>{&reNum, &autoNum, &keys}) {
        // The frame is the program's own choice, not the window manager's default with every button.
        QVERIFY2(w->windowFlags() & Qt::CustomizeWindowHint, qPrintable(w->objectName()));
        QVERIFY2(!(w->windowFlags() & Qt::WindowMaximizeButtonHint), qPrintable(w->objectName()));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        w->hide();
    }
}

void MainWindowTest::fileDialogFilters_patternsOnceSuffixFollowsChoice()
{
    const QString filter = "Textdateien (*.txt)|*.txt|Basic-Dateien (*.bas)|*.bas|Alle Dateien (*.*)|*.*";
    QCOMPARE(QtPrompts::qtFilter(filter), QString("Textdateien (*.txt);;Basic-Dateien (*.bas);;Alle Dateien (*)"));
    QCOMPARE(QtPrompts::qtFilter("Programme|*.bas;*.txt"), QString("Programme (*.bas *.txt)"));
    QCOMPARE(QtPrompts::suffixOfFilter("Basic-Dateien (*.bas)"), QString("bas"));
    QCOMPARE(QtPrompts::suffixOfFilter("Alle Dateien (*)"), QString());

    // "demo" typed with the BASIC files chosen becomes demo.bas, with every file chosen stays demo.
    QTemporaryDir folder;
    Prompts::FileRequest request{"Speichern unter...", folder.filePath("ohne Namen"), filter, "txt"};
    const auto dialog = QtPrompts::fileDialog(request, true);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(types);
    QCOMPARE(types->count(), 3);
    QCOMPARE(types->itemText(0), QString("Textdateien (*.txt)"));
    QCOMPARE(dialog->defaultSuffix(), QString("txt"));
    types->setCurrentIndex(1);
    emit types->textActivated(types->itemText(1));
    QCOMPARE(dialog->defaultSuffix(), QString("bas"));
    dialog->selectFile("demo");
    QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(), QString("demo.bas"));
    types->setCurrentIndex(2);
    emit types->textActivated(types->itemText(2));
    QCOMPARE(dialog->defaultSuffix(), QString());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
