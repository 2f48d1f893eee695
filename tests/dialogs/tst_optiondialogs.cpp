// The environment options dialog, the pane font commands and the panel colour dialog, driven through the
// program's own windows as a user would, with scripted choosers. A little over our usual length: the
// three share the program's windows made at start-up as their fixture.

#include "app/Startup.h"
#include "app/TfrmTerminal.h"
#include "dialogs/EnvironmentOptions.h"
#include "dialogs/TfrmEinstFarben.h"
#include "dialogs/TfrmEnvironment.h"
#include "platform/WinColor.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace GlobVar;

namespace {

// Runs `act` on the modal dialog once it is shown (exec() holds the test until it closes). A dialog
// that `act` leaves open, say after a failed check, is closed, so that the test goes on.
void onModal(std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer(qApp);
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && !deadline.hasExpired())
            return;
        timer->deleteLater();
        timer->stop();
        if (!dialog)
            return;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start(5);
}

template <typename T = QWidget>
T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

void click(const QObject* dialog, const char* name) { child<QPushButton>(dialog, name)->click(); }

// Leaves the shown dialog by OK, Cancel, Esc or its close box.
void leave(QDialog* dialog, const QString& how)
{
    if (how == "ok")
        click(dialog, "BitBtnOK");
    else if (how == "cancel")
        click(dialog, "BitBtnCancel");
    else if (how == "esc")
        QTest::keyClick(dialog, Qt::Key_Escape);
    else
        dialog->close();
}

// A face this machine has that differs from the given one.
QString otherFamily(const QString& than)
{
    for (const QString& family : QFontDatabase::families())
        if (family != than && !QFontDatabase::isPrivateFamily(family))
            return family;
    return {};
}

// Width of a text in characters, for the path shortening.
int chars(const QString& text) { return int(text.size()); }

} // namespace

class OptionDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shortenedPath_data();
    void shortenedPath();
    void browseStart_onlyAnExistingFolder();

    void environment_showsTheSettingsAndOkStoresThem_data();
    void environment_showsTheSettingsAndOkStoresThem();
    void environment_fileType_data();
    void environment_fileType();
    void environment_browse_data();
    void environment_browse();
    void environment_longFolderShortenedInTheMiddle();
    void environment_english();
    void environment_lineLimit_takesEffectAtOnce();
    void environment_reconnect_storedOnlyWhenChanged();

    void paneFont_confirmedAndCancelled();
    void paneFont_boldNotRestoredAfterRestart();
    void paneFont_systemColourWrittenBackUnchanged_data();
    void paneFont_systemColourWrittenBackUnchanged();
    void paneFont_standInFaceKeepsItsStoredName();

    void panelColours_onlyOkStores_data();
    void panelColours_onlyOkStores();
    void panelColours_germanFixedDialog();

private:
    TfrmTerminal* start();
    // Opens the environment dialog with its toolbar button and runs `act` while it is shown.
    void environment(const std::function<void(QDialog*)>& act);
    TRegistry settings() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    TfrmTerminal* m_window = nullptr;
};

void OptionDialogsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("HKEY_CURRENT_USER.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void OptionDialogsTest::cleanup()
{
    DestroyForms();
    m_window = nullptr;
    m_prompts.reset();
    m_dir.reset();
}

TfrmTerminal* OptionDialogsTest::start()
{
    CreateForms({});
    m_window = forms().frmTerminal;
    return m_window;
}

void OptionDialogsTest::environment(const std::function<void(QDialog*)>& act)
{
    onModal(act);
    child<QAction>(m_window, "tbnEnvironmnet")->trigger();
}

TRegistry OptionDialogsTest::settings() const
{
    TRegistry reg;
    reg.OpenKey(SettingsKey, true);
    return reg;
}

// --- what needs no window

void OptionDialogsTest::shortenedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fits") << "/home/anna/basic" << 16 << "/home/anna/basic";
    QTest::newRow("empty") << "" << 0 << "";
    QTest::newRow("one middle folder") << "/home/anna/basic/src" << 19 << "/home/.../basic/src";
    QTest::newRow("every middle folder") << "/home/anna/basic/src" << 14 << "/home/.../src";
    QTest::newRow("first folder too") << "/home/anna/basic/src" << 12 << ".../src";
    QTest::newRow("last name cut") << "/home/anna/programme" << 10 << ".../pro...";
    QTest::newRow("closing slash") << "/home/anna/basic/src/" << 14 << "/home/.../src";
    QTest::newRow("relative") << "projekte/alt/neu/src" << 17 << "projekte/.../src";
    QTest::newRow("lone name") << "/messwerterfassung" << 10 << "/messwe...";
    QTest::newRow("nothing fits") << "/home/anna/basic" << 2 << "...";
}

void OptionDialogsTest::shortenedPath()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(QString, shown);
    QCOMPARE(EnvironmentOptions::shortenedPath(path, width, chars), shown);
}

void OptionDialogsTest::browseStart_onlyAnExistingFolder()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("datei.bas"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(EnvironmentOptions::browseStart(dir.path()), dir.path());
    QCOMPARE(EnvironmentOptions::browseStart(dir.filePath("fehlt")), QString());
    QCOMPARE(EnvironmentOptions::browseStart(file.fileName()), QString());
    // An empty name is no folder, not the current one.
    QCOMPARE(EnvironmentOptions::browseStart(QString()), QString());
}

// --- the environment options dialog

void OptionDialogsTest::environment_showsTheSettingsAndOkStoresThem_data()
{
    // Each switch on its own pattern, so that two mixed-up controls show.
    QTest::addColumn<QList<bool>>("values"); // Return, MReturn, OReturn, Tb1, Tb2, Break ... TxBuffer
    QTest::newRow("pattern") << QList<bool>{true, false, true, false, true, true, false, true, false, false, true};
    QTest::newRow("inverse") << QList<bool>{false, true, false, true, false, false, true, false, true, true, false};
}

void OptionDialogsTest::environment_showsTheSettingsAndOkStoresThem()
{
    QFETCH(QList<bool>, values);
    start();
    bool* const globals[] = {&EnvReturn,  &EnvMReturn,  &EnvOReturn,  &ShowToolbar1, &ShowToolbar2, &EnvBreak,
                             &EnvFraming, &EnvOverflow, &EnvRxBuffer, &EnvParity,    &EnvTxBuffer};
    for (int i = 0; i < values.size(); ++i)
        *globals[i] = values[i];
    EnvFilter = 2;
    const char* errorBoxes[] = {"cboxBreak",    "cboxFraming", "cboxOverflow",
                                "cboxRxBuffer", "cboxParity",  "cboxTxBuffer"};

    environment([&](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Umgebungsoptionen"));
        QCOMPARE(child<QTabWidget>(d, "PageControl1")->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(d, "cboxFilter")->currentIndex(), 2);
        QCOMPARE(d->focusWidget(), child<QPushButton>(d, "BitBtnOK"));
        QCOMPARE(child<QRadioButton>(d, "rbtnReturn")->isChecked(), values[0]);
        QCOMPARE(child<QRadioButton>(d, "rbtnNoReturn")->isChecked(), !values[0]);
        QCOMPARE(child<QRadioButton>(d, "rbtnMoveYes")->isChecked(), values[1]);
        QCOMPARE(child<QRadioButton>(d, "rbtnOverlappYes")->isChecked(), values[2]);
        QCOMPARE(child<QCheckBox>(d, "chboxTb1")->isChecked(), values[3]);
        QCOMPARE(child<QCheckBox>(d, "chboxTb2")->isChecked(), values[4]);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(child<QCheckBox>(d, errorBoxes[i])->isChecked(), values[5 + i]);
            QVERIFY(!child<QCheckBox>(d, errorBoxes[i])->isEnabled());
        }
        click(d, "BitBtnOK");
    });
    // OK without changes writes back what was there.
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(*globals[i], values[i]);
    QCOMPARE(EnvFilter, 2);

    // The user switches everything that can be switched; the error reports cannot be.
    environment([&](QDialog* d) {
        child<QRadioButton>(d, values[0] ? "rbtnNoReturn" : "rbtnReturn")->click();
        child<QRadioButton>(d, values[1] ? "rbtnMoveNo" : "rbtnMoveYes")->click();
        child<QRadioButton>(d, values[2] ? "rbtnOverlappNo" : "rbtnOverlappYes")->click();
        child<QCheckBox>(d, "chboxTb1")->click();
        child<QCheckBox>(d, "chboxTb2")->click();
        click(d, "BitBtnOK");
    });
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(*globals[i], i < 5 ? !values[i] : values[i]);
}

void OptionDialogsTest::environment_fileType_data()
{
    QTest::addColumn<QString>("typed"); // empty: the item is chosen from the list
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<int>("envFilter");
    QTest::addColumn<QString>("firstFilter");
    QTest::addColumn<QString>("extension");
    // clang-format off
    QTest::newRow("basic chosen") << "" << 1 << "ok" << 1 << "Basic-Dateien (*.bas)|*.bas" << "bas";
    QTest::newRow("typed text") << "Quelltexte" << -1 << "ok" << -1 << "Alle Dateien (*.*)|*.*" << "*";
    QTest::newRow("typed and Enter") << "Quelltexte" << -1 << "enter" << -1 << "Alle Dateien (*.*)|*.*" << "*";
    QTest::newRow("item typed") << "basic-dateien (*.BAS)" << -1 << "ok" << 1 << "Basic-Dateien (*.bas)|*.bas" << "bas";
    QTest::newRow("cancel") << "" << 1 << "cancel" << 0 << "Textdateien (*.txt)|*.txt" << "txt";
    // clang-format on
}

void OptionDialogsTest::environment_fileType()
{
    QFETCH(QString, typed);
    QFETCH(int, item);
    QFETCH(QString, leave);
    QFETCH(int, envFilter);
    QFETCH(QString, firstFilter);
    QFETCH(QString, extension);
    start();
    FileFilter = QStringLiteral("marker"); // rebuilt after every closing
    environment([&](QDialog* d) {
        auto* box = child<QComboBox>(d, "cboxFilter");
        QCOMPARE(box->count(), 3);
        if (typed.isEmpty()) {
            box->setCurrentIndex(item);
        } else {
            box->lineEdit()->clear();
            QTest::keyClicks(box->lineEdit(), typed);
        }
        if (leave == "enter")
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        else
            ::leave(d, leave);
        QVERIFY(!d->isVisible());
        QCOMPARE(box->count(), 3); // typed text is not added to the list
    });
    QCOMPARE(EnvFilter, envFilter);
    QVERIFY2(FileFilter.startsWith(firstFilter), qPrintable(FileFilter));
    QCOMPARE(DefaultExtension, extension);
    if (envFilter == -1)
        QCOMPARE(FileFilter, FilterAllFiles);
    // The next showing selects no item for it and leaves the box empty.
    if (envFilter == -1)
        environment([](QDialog* d) { QCOMPARE(child<QComboBox>(d, "cboxFilter")->currentText(), QString()); });
}

void OptionDialogsTest::environment_browse_data()
{
    QTest::addColumn<bool>("storedExists");
    QTest::addColumn<bool>("chooses");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<QString>("kept"); // "old", "new" or "" (empty)
    // clang-format off
    QTest::newRow("chosen, OK") << true << true << "ok" << "new";
    QTest::newRow("chosen, Cancel") << true << true << "cancel" << "old";
    QTest::newRow("chosen, Esc") << true << true << "esc" << "old";
    QTest::newRow("chosen, close box") << true << true << "close" << "new";
    QTest::newRow("cancelled, OK") << true << false << "ok" << "old";
    QTest::newRow("missing, cancelled, close box") << false << false << "close" << "";
    QTest::newRow("missing, cancelled, Cancel") << false << false << "cancel" << "old";
    // clang-format on
}

void OptionDialogsTest::environment_browse()
{
    QFETCH(bool, storedExists);
    QFETCH(bool, chooses);
    QFETCH(QString, leave);
    QFETCH(QString, kept);
    QTemporaryDir folders;
    const QString old = storedExists ? folders.path() : folders.filePath("entfernt");
    const QString chosen = folders.filePath("neu");
    QVERIFY(QDir().mkpath(chosen));
    start();
    SourceCodePfad = old;
    if (chooses)
        m_prompts->folders.enqueue(chosen);
    environment([&](QDialog* d) {
        click(d, "BitBtnSuchen");
        // Stored at once, and shown.
        const QString now = chooses ? chosen : storedExists ? old : QString();
        QCOMPARE(SourceCodePfad, now);
        QCOMPARE(child<QLabel>(d, "lblSourcePfad")->toolTip(), now);
        ::leave(d, leave);
    });
    QCOMPARE(m_prompts->shown.size(), 1);
    QCOMPARE(m_prompts->shown[0].caption, QStringLiteral("Bitte wählen Sie den Zielordner aus: "));
    QCOMPARE(m_prompts->shown[0].text, storedExists ? old : QString()); // where the picker started
    QCOMPARE(SourceCodePfad, kept == "old" ? old : kept == "new" ? chosen : QString());
}

void OptionDialogsTest::environment_longFolderShortenedInTheMiddle()
{
    start();
    SourceCodePfad = QStringLiteral("/home/anna/projekte/mikrocontroller/taloma/messwerterfassung/aktuell/version-2");
    environment([](QDialog* d) {
        auto* label = child<QLabel>(d, "lblSourcePfad");
        QVERIFY(label->text().startsWith(QStringLiteral("/home/.../")));
        QVERIFY(label->text().endsWith(QStringLiteral("/version-2")));
        QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->contentsRect().width());
        QVERIFY(label->font().bold());
    });
}

void OptionDialogsTest::environment_english()
{
    start();
    runMenuItem(m_window->mnuEnglish);
    environment([](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Environment"));
        QCOMPARE(child<QComboBox>(d, "cboxFilter")->itemText(1), QStringLiteral("Basic-Files (*.bas)"));
        QCOMPARE(child<QTabWidget>(d, "PageControl1")->tabText(2), QStringLiteral("Skin"));
        QCOMPARE(child<QGroupBox>(d, "gboxFilter")->title(), QStringLiteral("preferential File-Extension"));
        QCOMPARE(child<QRadioButton>(d, "rbtnOverlappYes")->text(), QStringLiteral("Yes"));
        QCOMPARE(child<QGroupBox>(d, "gboxTerminal")->title(), QStringLiteral("Terminal Window"));
        QCOMPARE(child<QLabel>(d, "lblMaxLines")->text(), QStringLiteral("Lines kept (0 = no limit):"));
        QCOMPARE(child<QPushButton>(d, "BitBtnCancel")->text(), QStringLiteral("&Cancel"));
        // German in both languages.
        QCOMPARE(child<QGroupBox>(d, "gboxFehler")->title(), QStringLiteral("Fehlermeldungen"));
        QCOMPARE(child<QCheckBox>(d, "chboxTb2")->text(), QStringLiteral("Toolbar 2"));
    });
    // And back: the next showing is German again, list included.
    runMenuItem(m_window->mnuDeutsch);
    environment([](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Umgebungsoptionen"));
        QCOMPARE(child<QComboBox>(d, "cboxFilter")->itemText(1), QStringLiteral("Basic-Dateien (*.bas)"));
        QCOMPARE(child<QLabel>(d, "lblMaxLines")->text(), QStringLiteral("Zeilen behalten (0 = unbegrenzt):"));
    });
}

void OptionDialogsTest::environment_lineLimit_takesEffectAtOnce()
{
    start();
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines << QStringLiteral("LINE %1").arg(i);
    m_window->MemoT->setPlainText(lines.join('\n'));
    const auto setLimit = [this](int limit, const char* how) {
        environment([=](QDialog* d) {
            QCOMPARE(child<QSpinBox>(d, "txtMaxLines")->value(), qMax(0, TerminalMaxLines));
            child<QSpinBox>(d, "txtMaxLines")->setValue(limit);
            leave(d, how);
        });
    };
    setLimit(3, "cancel");
    QCOMPARE(TerminalMaxLines, TerminalMaxLinesDefault);
    QCOMPARE(m_window->MemoT->document()->blockCount(), 10);

    // The lines shown already go down to the limit, the oldest first.
    setLimit(3, "ok");
    QCOMPARE(TerminalMaxLines, 3);
    QCOMPARE(m_window->MemoT->toPlainText(), QStringLiteral("LINE 8\nLINE 9\nLINE 10"));
    m_window->SaveSettings();
    QCOMPARE(settings().ReadInteger("TerminalMaxLines"), 3);

    setLimit(0, "ok");
    QCOMPARE(m_window->MemoT->maximumBlockCount(), 0);
    m_window->MemoT->setPlainText(lines.join('\n'));
    QCOMPARE(m_window->MemoT->document()->blockCount(), 10);

    // A stored value the field cannot show survives an OK that left the field alone.
    TerminalMaxLines = -5;
    setLimit(0, "ok");
    QCOMPARE(TerminalMaxLines, -5);
}

void OptionDialogsTest::environment_reconnect_storedOnlyWhenChanged()
{
    start();
    const auto tick = [this](bool on, const char* how) {
        environment([=](QDialog* d) {
            auto* box = child<QCheckBox>(d, "cboxReconnect");
            QCOMPARE(box->isChecked(), EnvReconnect);
            QCOMPARE(box->text(), QStringLiteral("Nach Trennung automatisch wieder verbinden"));
            box->setChecked(on);
            leave(d, how);
        });
    };
    // Off by default, and a close that changed nothing writes no value.
    tick(false, "ok");
    QVERIFY(!EnvReconnect);
    m_window->SaveSettings();
    QVERIFY(!settings().ValueExists(QStringLiteral("EnvReconnect")));

    tick(true, "cancel");
    QVERIFY(!EnvReconnect);
    tick(true, "ok");
    QVERIFY(EnvReconnect);
    m_window->SaveSettings();
    QCOMPARE(settings().ReadInteger("EnvReconnect"), 1);

    // Read back at the next start; switched off again, the value stays in the file as 0.
    DestroyForms();
    ResetGlobals();
    start();
    QVERIFY(EnvReconnect);
    tick(false, "ok");
    m_window->SaveSettings();
    QCOMPARE(settings().ReadInteger("EnvReconnect"), 0);
}

// --- the pane font commands

void OptionDialogsTest::paneFont_confirmedAndCancelled()
{
    start();
    struct Pane {
        QPlainTextEdit* pane;
        QAction* command;
    };
    for (const Pane& p :
         {Pane{m_window->MemoT, m_window->popFontFarbenTerminal}, Pane{m_window->RTF, m_window->popFontFarbenEditor}}) {
        p.pane->setPlainText(QStringLiteral("10 PRINT 1"));
        p.pane->selectAll();
        const QFont before = p.pane->font();
        p.command->trigger(); // the pop-up item runs the menu command
        QCOMPARE(p.pane->font(), before);
        QVERIFY(!p.pane->textCursor().hasSelection());

        QFont chosen(otherFamily(before.family()), 13);
        chosen.setItalic(true);
        m_prompts->fonts.enqueue(chosen);
        m_prompts->colors.enqueue(QColor(0x80, 0, 0));
        p.pane->selectAll();
        p.command->trigger();
        QCOMPARE(p.pane->font().family(), chosen.family());
        QCOMPARE(p.pane->font().pointSize(), 13);
        QVERIFY(p.pane->font().italic());
        QCOMPARE(p.pane->palette().color(QPalette::Text), QColor(0x80, 0, 0));
        QVERIFY(!p.pane->textCursor().hasSelection());
    }
    QCOMPARE(m_prompts->texts("font").size(), 4);
}

void OptionDialogsTest::paneFont_boldNotRestoredAfterRestart()
{
    start();
    QFont chosen(otherFamily(m_window->MemoT->font().family()), 15);
    chosen.setBold(true);
    chosen.setUnderline(true);
    m_prompts->fonts.enqueue(chosen);
    m_prompts->colors.enqueue(QColor(0, 0x80, 0));
    runMenuItem(m_window->mnuFontFarbenTerminal);
    QVERIFY(m_window->MemoT->font().bold());
    QVERIFY(m_window->MemoT->font().underline());
    m_window->SaveSettings();
    QCOMPARE(settings().ReadInteger("TerminalColor"), 0x008000);

    DestroyForms();
    ResetGlobals();
    start();
    const QFont restored = m_window->MemoT->font();
    QCOMPARE(restored.family(), chosen.family());
    QCOMPARE(restored.pointSize(), 15);
    QCOMPARE(m_window->MemoT->palette().color(QPalette::Text), QColor(0, 0x80, 0));
    QVERIFY(!restored.bold());
    QVERIFY(!restored.underline());
}

void OptionDialogsTest::paneFont_systemColourWrittenBackUnchanged_data()
{
    QTest::addColumn<bool>("answerColour");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<quint32>("stored");
    QTest::newRow("colour left alone") << false << QColor() << quint32(0x80000008);
    QTest::newRow("same colour confirmed") << true << winColorToQColor(0x80000008) << quint32(0x80000008);
    QTest::newRow("other colour") << true << QColor(0x12, 0x34, 0x56) << quint32(0x563412);
}

void OptionDialogsTest::paneFont_systemColourWrittenBackUnchanged()
{
    QFETCH(bool, answerColour);
    QFETCH(QColor, colour);
    QFETCH(quint32, stored);
    start(); // the editor's colour is the desktop's window-text colour
    m_prompts->fonts.enqueue(QFont(otherFamily(m_window->RTF->font().family()), 11));
    if (answerColour)
        m_prompts->colors.enqueue(colour);
    runMenuItem(m_window->mnuFontFarbenEditor);
    m_window->SaveSettings();
    QCOMPARE(quint32(settings().ReadInteger("EditorColor")), stored);
}

void OptionDialogsTest::paneFont_standInFaceKeepsItsStoredName()
{
    if (QFontDatabase::hasFamily("MS Sans Serif"))
        QSKIP("this machine has the stored face itself");
    start(); // shows a stand-in for the stored "MS Sans Serif"
    QFont shown = m_window->RTF->font();
    shown.setPointSize(14); // only the size changes
    m_prompts->fonts.enqueue(shown);
    runMenuItem(m_window->mnuFontFarbenEditor);
    m_window->SaveSettings();
    QCOMPARE(settings().ReadString("EditorFont"), QStringLiteral("MS Sans Serif"));
    QCOMPARE(settings().ReadInteger("EditorSize"), 14);
}

// --- the panel colour dialog

void OptionDialogsTest::panelColours_onlyOkStores_data()
{
    QTest::addColumn<QString>("leave");
    QTest::newRow("OK") << "ok";
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("close box") << "close";
}

void OptionDialogsTest::panelColours_onlyOkStores()
{
    QFETCH(QString, leave);
    const PanelStyle parameterBefore{QStringLiteral("Arial"), 0x00FF00, 22, 0, 0x000000};
    const PanelStyle handshakeBefore{QStringLiteral("Arial"), 0x008000, 12, PanelStyle::Bold, 0xC0C0C0};
    GlobVar::ParameterPanelStyle = parameterBefore;
    GlobVar::HandshakePanelStyle = handshakeBefore;

    QFont chosen(QStringLiteral("Courier New"), 16);
    chosen.setItalic(true);
    chosen.setStrikeOut(true);
    m_prompts->fonts.enqueue(chosen);
    m_prompts->colors.enqueue(QColor(0xFF, 0, 0)); // the font's colour
    m_prompts->colors.enqueue(QColor(0, 0, 0xFF)); // the handshake panel's background
    QWidget owner;
    TfrmEinstFarben dialog(&owner);
    onModal([&](QDialog* d) {
        // The previews show the styles as they are.
        QCOMPARE(panelStyleOf(child(d, "pnl1")), parameterBefore);
        QCOMPARE(panelStyleOf(child(d, "pnl2")), handshakeBefore);
        click(d, "btnFont");
        click(d, "btnColorRear1");
        click(d, "btnColorRear"); // cancelled: no change
        click(d, "btnFont1");     // cancelled: no change
        ::leave(d, leave);
    });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QCOMPARE(accepted, leave == "ok");

    PanelStyle parameterAfter = parameterBefore;
    PanelStyle handshakeAfter = handshakeBefore;
    if (accepted) {
        parameterAfter.setFont(chosen);
        parameterAfter.fontColor = 0x0000FF;
        handshakeAfter.backgroundColor = 0xFF0000;
    }
    QCOMPARE(GlobVar::ParameterPanelStyle, parameterAfter);
    QCOMPARE(GlobVar::HandshakePanelStyle, handshakeAfter);
    QCOMPARE(bool(GlobVar::ParameterPanelStyle.fontStyle & PanelStyle::StrikeOut), accepted);
    QCOMPARE(m_prompts->texts("font").size(), 2);
    QCOMPARE(m_prompts->texts("color").size(), 2);
}

void OptionDialogsTest::panelColours_germanFixedDialog()
{
    start();
    runMenuItem(m_window->mnuEnglish); // does not reach this dialog
    TfrmEinstFarben* d = forms().frmEinstFarben;
    QCOMPARE(d->windowTitle(), QStringLiteral("Farben einstellen"));
    QCOMPARE(child<QGroupBox>(d, "gboxProtokoll")->title(), QStringLiteral("Protokoll"));
    QCOMPARE(child<QPushButton>(d, "BitBtnCancel")->text(), QStringLiteral("Abbrechen"));
    for (QWidget* w : {static_cast<QWidget*>(d), static_cast<QWidget*>(forms().frmEnvironment)}) {
        QVERIFY(!(w->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QCOMPARE(w->minimumSize(), w->maximumSize());
    }
}

QTEST_MAIN(OptionDialogsTest)
#include "tst_optiondialogs.moc"
