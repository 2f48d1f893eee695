// Reading and writing the settings key: once while the window is created, once when it closes.

#include "GlobVar_Unit.h"
#include "TRegistry.h"
#include "TfrmTerminal.h"
#include "terminal/TerminalPane.h"

#include <QAction>
#include <QPlainTextEdit>

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
        move(x(), MainWindowTop);
        MainWindowLeft = reg.ReadInteger(QStringLiteral("MainWindowLeft"));
        move(MainWindowLeft, y());
        MainWindowHeight = reg.ReadInteger(QStringLiteral("MainWindowHeight"));
        resize(width(), MainWindowHeight);
        MainWindowWidth = reg.ReadInteger(QStringLiteral("MainWindowWidth"));
        resize(MainWindowWidth, height());
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

    SourceCodePfad = reg.ReadString(QStringLiteral("SourceCodePfad"));
    if (SourceCodePfad.isEmpty())
        SourceCodePfad = StartDirectory;

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

    CurrentFileName = QStringLiteral("ohne Namen");

    // Read last: a damaged value here costs no other setting.
    TerminalMaxLinesStored = reg.ValueExists(QStringLiteral("TerminalMaxLines"));
    if (TerminalMaxLinesStored) {
        TerminalMaxLines = reg.ReadInteger(QStringLiteral("TerminalMaxLines"));
        m_terminalPane->setMaxLines(TerminalMaxLines);
    }
}

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

void TfrmTerminal::storePaneFont(QPlainTextEdit* pane, const QString& prefix)
{
    TRegistry& reg = *m_registry;
    reg.WriteString(prefix + QStringLiteral("Font"), pane->font().family());
    reg.WriteInteger(prefix + QStringLiteral("Size"), pane->font().pointSize());
    reg.WriteInteger(prefix + QStringLiteral("Color"), int(pane->property("winColor").toUInt()));
}

void TfrmTerminal::SaveSettings()
{
    TRegistry& reg = *m_registry;
    reg.OpenKey(SettingsKey, true);
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
        reg.WriteInteger(QStringLiteral("FTasteWindowTop"), m_functionKeys ? m_functionKeys->y() : FTasteWindowTop);
        reg.WriteInteger(QStringLiteral("FTasteWindowLeft"), m_functionKeys ? m_functionKeys->x() : FTasteWindowLeft);
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
}
