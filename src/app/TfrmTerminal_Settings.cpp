// Reading and writing the settings key: once while the window is created, once when it closes.

#include "GlobVar_Unit.h"
#include "TRegistry.h"
#include "TfrmTerminal.h"

#include <QAction>
#include <QPlainTextEdit>

using namespace GlobVar;

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

    TerminalFont = reg.ReadString(QStringLiteral("TerminalFont"));
    applyPaneFont(MemoT, TerminalFont, MemoT->font().pointSize(), MemoT->property("winColor").toUInt());
    TerminalSize = reg.ReadInteger(QStringLiteral("TerminalSize"));
    applyPaneFont(MemoT, TerminalFont, TerminalSize, MemoT->property("winColor").toUInt());
    TerminalColor = quint32(reg.ReadInteger(QStringLiteral("TerminalColor")));
    applyPaneFont(MemoT, TerminalFont, TerminalSize, TerminalColor);
    EditorFont = reg.ReadString(QStringLiteral("EditorFont"));
    applyPaneFont(RTF, EditorFont, RTF->font().pointSize(), RTF->property("winColor").toUInt());
    EditorSize = reg.ReadInteger(QStringLiteral("EditorSize"));
    applyPaneFont(RTF, EditorFont, EditorSize, RTF->property("winColor").toUInt());
    EditorColor = quint32(reg.ReadInteger(QStringLiteral("EditorColor")));
    applyPaneFont(RTF, EditorFont, EditorSize, EditorColor);

    EnvFilter = reg.ReadInteger(QStringLiteral("EnvFilter"));
    DatFilter();

    EnvReturn = reg.ReadBool(QStringLiteral("EnvReturn"));
    EnvMReturn = reg.ReadBool(QStringLiteral("EnvMReturn"));
    EnvOReturn = reg.ReadBool(QStringLiteral("EnvOReturn"));
    EnvBreak = reg.ReadBool(QStringLiteral("EnvBreak"));
    EnvFraming = reg.ReadBool(QStringLiteral("EnvFraming"));
    EnvOverflow = reg.ReadBool(QStringLiteral("EnvOverflow"));
    EnvRxBuffer = reg.ReadBool(QStringLiteral("EnvRxBuffer"));
    EnvParity = reg.ReadBool(QStringLiteral("EnvParity"));
    EnvTxBuffer = reg.ReadBool(QStringLiteral("EnvTxBuffer"));

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
}

void TfrmTerminal::storePaneFont(QPlainTextEdit* pane, const char* fontName, const char* sizeName,
                                 const char* colorName)
{
    TRegistry& reg = *m_registry;
    reg.WriteString(QLatin1String(fontName), pane->font().family());
    reg.WriteInteger(QLatin1String(sizeName), pane->font().pointSize());
    reg.WriteInteger(QLatin1String(colorName), int(pane->property("winColor").toUInt()));
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

    storePaneFont(MemoT, "TerminalFont", "TerminalSize", "TerminalColor");
    storePaneFont(RTF, "EditorFont", "EditorSize", "EditorColor");

    reg.WriteInteger(QStringLiteral("EnvFilter"), EnvFilter);
    reg.WriteBool(QStringLiteral("EnvReturn"), EnvReturn);
    reg.WriteBool(QStringLiteral("EnvMReturn"), EnvMReturn);
    reg.WriteBool(QStringLiteral("EnvOReturn"), EnvOReturn);
    reg.WriteBool(QStringLiteral("EnvBreak"), EnvBreak);
    reg.WriteBool(QStringLiteral("EnvFraming"), EnvFraming);
    reg.WriteBool(QStringLiteral("EnvOverflow"), EnvOverflow);
    reg.WriteBool(QStringLiteral("EnvRxBuffer"), EnvRxBuffer);
    reg.WriteBool(QStringLiteral("EnvParity"), EnvParity);
    reg.WriteBool(QStringLiteral("EnvTxBuffer"), EnvTxBuffer);
    reg.WriteString(QStringLiteral("SourceCodePfad"), SourceCodePfad);
    reg.WriteInteger(QStringLiteral("Language"), Language);

    for (int k = 1; k <= RecentCount; ++k)
        reg.WriteString(QStringLiteral("Dateipfad%1").arg(k), RecentFiles.value(k - 1));
}
