list(APPEND UI_SOURCES
    app/Application.h app/Application.cpp
    app/QtPrompts.h app/QtPrompts.cpp
    app/sprache.h app/sprache.cpp
    app/StatusBar.h app/StatusBar.cpp
    app/HelpWindow.h app/HelpWindow.cpp
    ../resources/help.qrc
    app/TfrmHallo.h app/TfrmHallo.cpp
    app/TfrmTerminal.h app/TfrmTerminal.cpp
    app/TfrmTerminal_Settings.cpp
    app/TfrmTerminal_Files.cpp
    app/TfrmTerminal_Terminal.cpp
    app/TfrmTerminal_Edit.cpp
    app/TfrmTerminal_Find.cpp
    app/TfrmTerminal_Basic.cpp
    app/TfrmTerminal_Printing.cpp
    app/TfrmTerminal_Commands.cpp
    app/Startup.h app/Startup.cpp
)
