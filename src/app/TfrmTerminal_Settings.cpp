// Reading and writing the settings key: once while the window is created, once when it closes.

#include "settings/GlobVar_Unit.h"
#include "TfrmTerminal.h"
#include "StatusBar.h"
#include "dialogs/TfrmComPort.h"
#include "dialogs/TfrmEinstellungen.h"
#include "dialogs/TfrmEnvironment.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "platform/WinColor.h"
#include "settings/TRegistry.h"
#include "terminal/TerminalPage.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

#include <algorithm>
#include <array>
#include <utility>

using namespace GlobVar;

namespace {

// The environment options' switches, in the order they are read and written.
const std::array<std::pair<QString, bool*>, 9>& environmentSwitches()
{
    static const std::array<std::pair<QString, bool*>, 9> switches{{
        {QStringLiteral("EnvReturn"), &EnvReturn},
        {QStringLiteral("EnvMReturn"), &EnvMReturn},
        {QStringLiteral("EnvOReturn"), &EnvOReturn},
        {QStringLiteral("EnvBreak"), &EnvBreak},
        {QStringLiteral("EnvFraming"), &EnvFraming},
        {QStringLiteral("EnvOverflow"), &EnvOverflow},
        {QStringLiteral("EnvRxBuffer"), &EnvRxBuffer},
        {QStringLiteral("EnvParity"), &EnvParity},
        {QStringLiteral("EnvTxBuffer"), &EnvTxBuffer},
    }};
    return switches;
}

// Stored bounds may come from a larger screen, or be nonsense: the window is kept on the primary screen.
// Computed wide so that sums of stored values cannot overflow.
void placeOnScreen(QWidget& window, qint64 left, qint64 top, qint64 width, qint64 height)
{
    QRect area(-QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX, 2 * QWIDGETSIZE_MAX, 2 * QWIDGETSIZE_MAX);
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && !screen->availableGeometry().isEmpty())
        area = screen->availableGeometry();
    width = std::clamp<qint64>(width, 1, std::min<qint64>(area.width(), QWIDGETSIZE_MAX));
    height = std::clamp<qint64>(height, 1, std::min<qint64>(area.height(), QWIDGETSIZE_MAX));
    left = std::clamp<qint64>(left, area.left(), qint64(area.left()) + area.width() - width);
    top = std::clamp<qint64>(top, area.top(), qint64(area.top()) + area.height() - height);
    window.move(int(left), int(top));
    window.resize(int(width), int(height));
}

// A value of the wrong type ends the load, and the close would then write built-in values over the
// user's later ones. So the file is first copied aside as it is, and the value that cannot be used is
// dropped, so that it does not bring the same message back at every start.
[[noreturn]] void reportUnusableValue(TRegistry& reg, const ERegistryError& error)
{
    const QString name = reg.WrongTypedValue();
    SettingsStore& store = SettingsStore::of(reg.RootKey());
    if (name.isEmpty() || store.writeBlocked())
        throw error;
    bool failed = false;
    const QString aside = store.keepCopyAside(failed);
    QString text = error.message();
    if (!aside.isEmpty()) {
        reg.DeleteValue(name);
        text += QStringLiteral("\nDie Einstellungsdatei wurde unverändert aufbewahrt als\n%1")
                    .arg(QDir::toNativeSeparators(aside));
    } else if (failed) {
        text += QStringLiteral("\nDie Einstellungsdatei ließ sich nicht beiseitelegen; sie bleibt unverändert, und "
                               "Änderungen der Einstellungen werden bis zum Programmende nicht gespeichert.");
    }
    throw ERegistryError(text);
}

} // namespace

void TfrmTerminal::CreateDefaultSettings()
{
    ShowToolbar1 = true;
    ShowToolbar2 = true;
    m_registry->CreateKey(SettingsKey);
    FirstStartSave = true;
    try {
        SaveSettings();
    } catch (...) {
        FirstStartSave = false;
        throw;
    }
    FirstStartSave = false;
}

void TfrmTerminal::LoadSettings()
{
    TRegistry& reg = *m_registry;
    if (!reg.KeyExists(SettingsKey)) {
        CreateDefaultSettings();
        CurrentFileName = QStringLiteral("ohne Namen");
        return;
    }
    reg.OpenKey(SettingsKey, true);
    try {
        const int language = reg.ReadInteger(QStringLiteral("Language"));
        if (language == 1)
            mnuDeutschClick();
        else if (language == 2)
            mnuEnglishClick();

        const int state = reg.ReadInteger(QStringLiteral("MainWindowState"));
        if (state == 0 || state == 1) {
            // Maximized windows get the normal bounds too, so that restoring returns to them.
            MainWindowState = state;
            StartWindowState = state == 1 ? WindowState::Maximized : WindowState::Normal;
            MainWindowTop = reg.ReadInteger(QStringLiteral("MainWindowTop"));
            placeOnScreen(*this, x(), MainWindowTop, width(), height());
            MainWindowLeft = reg.ReadInteger(QStringLiteral("MainWindowLeft"));
            placeOnScreen(*this, MainWindowLeft, y(), width(), height());
            MainWindowHeight = reg.ReadInteger(QStringLiteral("MainWindowHeight"));
            placeOnScreen(*this, x(), y(), width(), MainWindowHeight);
            MainWindowWidth = reg.ReadInteger(QStringLiteral("MainWindowWidth"));
            placeOnScreen(*this, x(), y(), MainWindowWidth, height());
        } else if (state == 2) {
            MainWindowState = state;
            StartWindowState = WindowState::Minimized;
        }

        FTasteWindowTop = reg.ReadInteger(QStringLiteral("FTasteWindowTop"));
        FTasteWindowLeft = reg.ReadInteger(QStringLiteral("FTasteWindowLeft"));
        ComPort = reg.ReadInteger(QStringLiteral("ComPort"));
        ComBaudrate = reg.ReadInteger(QStringLiteral("ComBaudrate"));
        ComDatenbits = reg.ReadInteger(QStringLiteral("ComDatenbits"));
        ComParity = reg.ReadInteger(QStringLiteral("ComParity"));
        ComStopbits = reg.ReadInteger(QStringLiteral("ComStopbits"));

        ComEcho = reg.ReadBool(QStringLiteral("ComEcho"));
        if (ComEcho)
            mnuEcho->setChecked(true);

        loadPaneFont(MemoT, QStringLiteral("Terminal"), TerminalFont, TerminalSize, TerminalColor);
        loadPaneFont(RTF, QStringLiteral("Editor"), EditorFont, EditorSize, EditorColor);

        EnvFilter = reg.ReadInteger(QStringLiteral("EnvFilter"));
        DatFilter();

        for (const auto& [name, value] : environmentSwitches())
            *value = reg.ReadBool(name);

        Language = reg.ReadInteger(QStringLiteral("Language"));

        // An empty source folder stays empty: the file dialogs then start in the home folder, not in the
        // folder the program happened to be started from.
        SourceCodePfad = reg.ReadString(QStringLiteral("SourceCodePfad"));

        QStringList stored;
        for (int k = 1;; ++k) {
            const QString value = reg.ReadString(QStringLiteral("Dateipfad%1").arg(k));
            if (value.isEmpty())
                break;
            stored.append(value);
        }
        if (!stored.isEmpty()) {
            for (int k = int(stored.size()) - 1; k >= 0; --k) {
                CurrentFileName = stored[k];
                AddRecentFile();
            }
        }
    } catch (const ERegistryError& e) {
        reportUnusableValue(reg, e);
    }

    CurrentFileName = QStringLiteral("ohne Namen");

    // Read last: a damaged value here costs no other setting.
    TerminalMaxLinesStored = reg.ValueExists(QStringLiteral("TerminalMaxLines"));
    if (TerminalMaxLinesStored) {
        TerminalMaxLines = reg.ReadInteger(QStringLiteral("TerminalMaxLines"));
        m_terminal->setMaxLines(TerminalMaxLines);
    }
    EditorHighlightStored = reg.ValueExists(QStringLiteral("EditorHighlight"));
    if (EditorHighlightStored) {
        EditorHighlight = reg.ReadInteger(QStringLiteral("EditorHighlight")) != 0;
        showHighlighting();
    }
    try {
        EnvReconnectStored = reg.ValueExists(QStringLiteral("EnvReconnect"));
        if (EnvReconnectStored)
            EnvReconnect = reg.ReadBool(QStringLiteral("EnvReconnect"));
    } catch (const ERegistryError& e) {
        reportUnusableValue(reg, e);
    }
}

// ---------------------------------------------------------------------------------------------------
// The line-parameter and port dialogs. They change the codes of the global state; the port is given
// them here, after the dialog has closed.

void TfrmTerminal::mnuEinstellungenClick()
{
    if (!m_settingsDialog)
        return;
    m_settingsDialog->exec();
    if (PortSettingsChanged)
        ApplyPortSettings();
}

void TfrmTerminal::mnuComPortClick()
{
    if (!m_portDialog)
        return;
    m_portDialog->exec();
    if (PortSettingsChanged)
        ApplyPortSettings();
    StatusBar1->setPanelText(1, QStringLiteral("Com %1").arg(ComPort));
}

// ---------------------------------------------------------------------------------------------------
// Pane fonts, and writing the settings back

// Name, size and colour of a pane's font, each applied as soon as it is read, so that a value that
// fails to read leaves the ones before it in effect.
void TfrmTerminal::loadPaneFont(QPlainTextEdit* pane, const QString& prefix, QString& family, int& size,
                                quint32& color)
{
    TRegistry& reg = *m_registry;
    family = reg.ReadString(prefix + QStringLiteral("Font"));
    applyPaneFont(pane, family, pane->font().pointSize(), pane->property("winColor").toUInt());
    size = reg.ReadInteger(prefix + QStringLiteral("Size"));
    applyPaneFont(pane, family, size, pane->property("winColor").toUInt());
    color = quint32(reg.ReadInteger(prefix + QStringLiteral("Color")));
    applyPaneFont(pane, family, size, color);
}

QString TfrmTerminal::storedFontFamily(const QPlainTextEdit* pane)
{
    const QStringList standIn = pane->property(FontStandInProperty).toStringList();
    const QString shown = pane->font().family();
    return standIn.size() == 2 && standIn[1] == shown ? standIn[0] : shown;
}

void TfrmTerminal::storePaneFont(QPlainTextEdit* pane, const QString& prefix)
{
    TRegistry& reg = *m_registry;
    reg.WriteString(prefix + QStringLiteral("Font"), storedFontFamily(pane));
    reg.WriteInteger(prefix + QStringLiteral("Size"), pane->font().pointSize());
    reg.WriteInteger(prefix + QStringLiteral("Color"), int(pane->property("winColor").toUInt()));
}

void TfrmTerminal::SaveSettings()
{
    // After the window's close the accessor is released and the settings are already written.
    if (!m_registry)
        return;
    TRegistry& reg = *m_registry;
    reg.OpenKey(SettingsKey, true);
    try {
        reg.WriteInteger(QStringLiteral("Language"), Language);

        if (isMinimized()) {
            reg.WriteInteger(QStringLiteral("MainWindowState"), 2);
        } else if (isMaximized()) {
            reg.WriteInteger(QStringLiteral("MainWindowState"), 1);
        } else {
            reg.WriteInteger(QStringLiteral("MainWindowState"), 0);
            reg.WriteInteger(QStringLiteral("MainWindowTop"), y());
            reg.WriteInteger(QStringLiteral("MainWindowLeft"), x());
            reg.WriteInteger(QStringLiteral("MainWindowHeight"), height());
            reg.WriteInteger(QStringLiteral("MainWindowWidth"), width());
        }

        if (FirstStartSave) {
            reg.WriteInteger(QStringLiteral("FTasteWindowTop"), 10);
            reg.WriteInteger(QStringLiteral("FTasteWindowLeft"), 10);
        } else {
            reg.WriteInteger(QStringLiteral("FTasteWindowTop"),
                             m_functionKeys ? m_functionKeys->y() : FTasteWindowTop);
            reg.WriteInteger(QStringLiteral("FTasteWindowLeft"),
                             m_functionKeys ? m_functionKeys->x() : FTasteWindowLeft);
        }

        reg.WriteInteger(QStringLiteral("ComPort"), ComPort);
        reg.WriteInteger(QStringLiteral("ComBaudrate"), ComBaudrate);
        reg.WriteInteger(QStringLiteral("ComDatenbits"), ComDatenbits);
        reg.WriteInteger(QStringLiteral("ComParity"), ComParity);
        reg.WriteInteger(QStringLiteral("ComStopbits"), ComStopbits);
        reg.WriteBool(QStringLiteral("ComEcho"), ComEcho);

        storePaneFont(MemoT, QStringLiteral("Terminal"));
        storePaneFont(RTF, QStringLiteral("Editor"));

        reg.WriteInteger(QStringLiteral("EnvFilter"), EnvFilter);
        for (const auto& [name, value] : environmentSwitches())
            reg.WriteBool(name, *value);
        reg.WriteString(QStringLiteral("SourceCodePfad"), SourceCodePfad);
        reg.WriteInteger(QStringLiteral("Language"), Language);

        for (int k = 1; k <= RecentCount; ++k)
            reg.WriteString(QStringLiteral("Dateipfad%1").arg(k), RecentFiles.value(k - 1));

        if (TerminalMaxLinesStored || TerminalMaxLines != TerminalMaxLinesDefault)
            reg.WriteInteger(QStringLiteral("TerminalMaxLines"), TerminalMaxLines);
        if (EditorHighlightStored || EditorHighlight != EditorHighlightDefault)
            reg.WriteInteger(QStringLiteral("EditorHighlight"), EditorHighlight ? 1 : 0);
        if (EnvReconnectStored || EnvReconnect) {
            reg.WriteBool(QStringLiteral("EnvReconnect"), EnvReconnect);
            EnvReconnectStored = true;
        }
    } catch (...) {
        // What was set before the failure is still written, as it was when every value went to the file
        // on its own.
        try {
            reg.CloseKey();
        } catch (const ERegistryError&) {
        }
        throw;
    }
    // The run's one write of the settings; a failure is reported from here.
    reg.CloseKey();
}

// ---------------------------------------------------------------------------------------------------
// The environment options dialog and the pane font commands

void TfrmTerminal::mnuUmgebungsoptionenClick()
{
    if (m_environment)
        m_environment->exec();
    // However the dialog was left: the filters follow the file type, and the line limit holds at once,
    // for the lines already shown too.
    DatFilter();
    m_terminal->setMaxLines(TerminalMaxLines);
}

void TfrmTerminal::mnuFontFarbenTerminalClick() { choosePaneFont(MemoT); }

void TfrmTerminal::mnuFontFarbenEditorClick() { choosePaneFont(RTF); }

void TfrmTerminal::choosePaneFont(QPlainTextEdit* pane)
{
    const QFont shown = pane->font();
    const quint32 storedColor = pane->property("winColor").toUInt();
    const QColor shownColor = winColorToQColor(storedColor);
    QFont font = shown;
    QColor color = shownColor;
    if (Prompts::instance().chooseFont(font, color)) {
        // A face or colour left as it was keeps its stored form: the stored name behind a stand-in face,
        // and a system colour, which follows the desktop's colours.
        const QString family = font.family() == shown.family() ? storedFontFamily(pane) : font.family();
        const quint32 winColor = color == shownColor ? storedColor : qColorToWinColor(color);
        applyPaneFont(pane, family, font.pointSize(), winColor);
        // The style holds until the program ends; it is not among the stored settings.
        QFont styled = pane->font();
        styled.setBold(font.bold());
        styled.setItalic(font.italic());
        styled.setUnderline(font.underline());
        styled.setStrikeOut(font.strikeOut());
        pane->setFont(styled);
    }
    QTextCursor caret = pane->textCursor();
    caret.clearSelection();
    pane->setTextCursor(caret);
}
