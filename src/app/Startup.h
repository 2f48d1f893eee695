#pragma once

#include <QStringList>

class QWidget;
class TfrmTerminal;
class TfrmUpdate;
class TfrmEnvironment;
class TfrmEinstellungen;
class TfrmEinstFarben;
class TfrmComPort;
class TfrmInfo;
class TfrmTab;
class TfrmFTaste;
class TfrmAutoNum;
class TfrmReNum;

// The program's windows. Each is created once at start-up, in this order, and lives until the end.
struct Forms {
    TfrmTerminal* frmTerminal = nullptr;
    TfrmUpdate* frmUpdate = nullptr;
    TfrmEnvironment* frmEnvironment = nullptr;
    TfrmEinstellungen* frmEinstellungen = nullptr;
    TfrmEinstFarben* frmEinstFarben = nullptr;
    TfrmComPort* frmComPort = nullptr;
    TfrmInfo* frmInfo = nullptr;
    TfrmAutoNum* frmAutoNum = nullptr;
    TfrmTab* frmTab = nullptr;
    TfrmReNum* frmReNum = nullptr;
    TfrmFTaste* frmFTaste = nullptr;
};

Forms& forms();

// Creates the main window (its FormCreate loads the settings and the file named by the first
// argument), the update dialog, applies the start window state, then the other dialogs.
void CreateForms(const QStringList& arguments);

// Destroys every window in reverse order of creation.
void DestroyForms();

// Shows the main window with the splash in front for splashMs (none when splash is null), then runs
// the event loop until the window closes. A window closed while the splash is up ends the program
// right there. Returns the event loop's exit code.
int RunMainWindow(TfrmTerminal* main, QWidget* splash, int splashMs);

// The whole program: single instance, splash, windows, message loop. Returns the exit code.
int RunProgram(int argc, char** argv);
