list(APPEND CORE_SOURCES
    terminal/TerminalText.h terminal/TerminalText.cpp
    terminal/SessionLog.h terminal/SessionLog.cpp
)
list(APPEND UI_SOURCES
    terminal/TfrmFTaste.h terminal/TfrmFTaste.cpp
    terminal/TerminalPage.h terminal/TerminalPage.cpp terminal/TerminalPageSession.cpp
    terminal/TerminalPage.h terminal/TerminalPage.cpp terminal/TerminalPage_Transfer.cpp
    terminal/TerminalLink.h terminal/TerminalLink.cpp
    terminal/ProgramCheckDialog.h terminal/ProgramCheckDialog.cpp
    terminal/TerminalPane.h terminal/TerminalPane.cpp
)
