#pragma once

#include <QString>
#include <QStringList>

// The program's global state: one variable per persisted setting, named after its settings value,
// and the run-time globals shared by the main window, the editor commands and the dialogs.
namespace GlobVar {

enum class WindowState { Normal, Minimized, Maximized };

// Persisted settings (initial values are the built-in defaults written at the first start).
extern int Language;
extern int MainWindowState;
extern int MainWindowTop, MainWindowLeft, MainWindowHeight, MainWindowWidth;
extern int FTasteWindowTop, FTasteWindowLeft;
extern int ComPort, ComBaudrate, ComDatenbits, ComParity, ComStopbits;
extern bool ComEcho;
extern QString TerminalFont;
extern int TerminalSize;
extern quint32 TerminalColor;
extern QString EditorFont;
extern int EditorSize;
extern quint32 EditorColor;
extern int EnvFilter;
extern bool EnvReturn, EnvMReturn, EnvOReturn, EnvBreak, EnvFraming, EnvOverflow, EnvRxBuffer, EnvParity,
    EnvTxBuffer;
extern QString SourceCodePfad;
// Lines the terminal pane keeps, the oldest going first; 0 keeps all. Written back only when the
// settings held it or it differs from the built-in value, so that a first start writes what it
// always wrote.
extern int TerminalMaxLines;
extern bool TerminalMaxLinesStored;
constexpr int TerminalMaxLinesDefault = 100000;
// The editor colours its program (and marks what the board would cut off a line). Written back
// under the same rule as TerminalMaxLines.
extern bool EditorHighlight;
extern bool EditorHighlightStored;
constexpr bool EditorHighlightDefault = true;
// Reopen the port when the device that went away comes back; off unless chosen. Written back only
// when the settings held it or it was switched on.
extern bool EnvReconnect;
extern bool EnvReconnectStored;

// Run-time state.
extern QString CurrentFileName;
extern QString PreviousFileName;
extern QString CurrentExtension;
extern QString DefaultFileName;
extern QString FilterTextFiles, FilterBasicFiles, FilterAllFiles;
extern QString FileFilter, DefaultExtension;
extern QStringList RecentFiles; // most recent first; see editor/RecentFileList.h
extern int RecentCount;
extern bool EditorModified;
extern bool LoadingFile;
extern int LastLoadedLength;
extern bool SaveAsPending, CloseCancelled;
extern bool PortOpen;
extern bool FirstActivationDone, StartFileGiven;
extern WindowState StartWindowState;
extern QString StartDirectory;
extern int ScreenWidthAtStart, ScreenHeightAtStart;
extern bool ShowToolbar1, ShowToolbar2;
extern bool FirstStartSave;
extern int TabStep;
extern bool PortSettingsChanged;
extern bool SortCleanupPending;
extern QString HelpFile;

// Display texts of the line parameters ("9600", "8", "N", "1") and of the handshake.
extern QString BaudText, DataBitsChar, ParityChar, StopBitsText, HandshakeText;


// The settings key of the current user.
inline const QString SettingsKey = QStringLiteral("\\Software\\Orvik\\Taloma-Terminal\\2.0");

// Puts every global back to its initial value (program start; tests).
void ResetGlobals();

// "ohne Namen" or "untitled".
QString UnnamedText(int language);

} // namespace GlobVar
