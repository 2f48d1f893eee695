#include "settings/GlobVar_Unit.h"

#include <QDir>

namespace GlobVar {

int Language;
int MainWindowState;
int MainWindowTop, MainWindowLeft, MainWindowHeight, MainWindowWidth;
int FTasteWindowTop, FTasteWindowLeft;
int ComPort, ComBaudrate, ComDatenbits, ComParity, ComStopbits;
bool ComEcho;
QString TerminalFont;
int TerminalSize;
quint32 TerminalColor;
QString EditorFont;
int EditorSize;
quint32 EditorColor;
int EnvFilter;
bool EnvReturn, EnvMReturn, EnvOReturn, EnvBreak, EnvFraming, EnvOverflow, EnvRxBuffer, EnvParity, EnvTxBuffer;
QString SourceCodePfad;
int TerminalMaxLines;
bool TerminalMaxLinesStored;
bool EditorHighlight;
bool EditorHighlightStored;
bool EnvReconnect;
bool EnvReconnectStored;

QString CurrentFileName;
QString PreviousFileName;
QString CurrentExtension;
QString DefaultFileName;
QString FilterTextFiles, FilterBasicFiles, FilterAllFiles;
QString FileFilter, DefaultExtension;
QStringList RecentFiles;
int RecentCount;
bool EditorModified;
bool LoadingFile;
int LastLoadedLength;
bool SaveAsPending, CloseCancelled;
bool PortOpen;
bool FirstActivationDone, StartFileGiven;
WindowState StartWindowState;
QString StartDirectory;
int ScreenWidthAtStart, ScreenHeightAtStart;
bool ShowToolbar1, ShowToolbar2;
bool FirstStartSave;
int TabStep;
bool PortSettingsChanged;
bool SortCleanupPending;
QString HelpFile;
QString BaudText, DataBitsChar, ParityChar, StopBitsText, HandshakeText;

QString UnnamedText(int language)
{
    return language == 1 ? QStringLiteral("ohne Namen") : QStringLiteral("untitled");
}

void ResetGlobals()
{
    Language = 1;
    MainWindowState = 0;
    MainWindowTop = 115;
    MainWindowLeft = 195;
    MainWindowHeight = 566;
    MainWindowWidth = 752;
    FTasteWindowTop = 10;
    FTasteWindowLeft = 10;
    ComPort = 1;
    ComBaudrate = 7;
    ComDatenbits = 5;
    ComParity = 1;
    ComStopbits = 1;
    ComEcho = false;
    TerminalFont = QStringLiteral("MS Sans Serif");
    TerminalSize = 8;
    TerminalColor = 16711680;
    EditorFont = QStringLiteral("MS Sans Serif");
    EditorSize = 10;
    EditorColor = 2147483656u;
    EnvFilter = 0;
    EnvReturn = EnvMReturn = EnvOReturn = EnvBreak = EnvFraming = EnvOverflow = EnvRxBuffer = EnvParity =
        EnvTxBuffer = false;
    SourceCodePfad.clear();
    TerminalMaxLines = TerminalMaxLinesDefault;
    TerminalMaxLinesStored = false;
    EditorHighlight = EditorHighlightDefault;
    EditorHighlightStored = false;
    EnvReconnect = false;
    EnvReconnectStored = false;

    DefaultFileName = UnnamedText(1);
    CurrentFileName = DefaultFileName;
    PreviousFileName.clear();
    CurrentExtension.clear();
    FilterTextFiles = QStringLiteral("Textdateien (*.txt)|*.txt");
    FilterBasicFiles = QStringLiteral("Basic-Dateien (*.bas)|*.bas");
    FilterAllFiles = QStringLiteral("Alle Dateien (*.*)|*.*");
    FileFilter.clear();
    DefaultExtension.clear();
    RecentFiles.clear();
    RecentCount = 0;
    EditorModified = false;
    LoadingFile = false;
    LastLoadedLength = 0;
    SaveAsPending = CloseCancelled = false;
    PortOpen = false;
    FirstActivationDone = StartFileGiven = false;
    StartWindowState = WindowState::Normal;
    StartDirectory = QDir::currentPath();
    ScreenWidthAtStart = ScreenHeightAtStart = 0;
    ShowToolbar1 = ShowToolbar2 = false;
    FirstStartSave = false;
    TabStep = 8;
    PortSettingsChanged = false;
    SortCleanupPending = false;
    HelpFile.clear();
    BaudText.clear();
    DataBitsChar.clear();
    ParityChar.clear();
    StopBitsText.clear();
    HandshakeText.clear();
}

namespace {
// The globals hold their initial values from the start of the program.
const bool initialised = (ResetGlobals(), true);
} // namespace

} // namespace GlobVar
