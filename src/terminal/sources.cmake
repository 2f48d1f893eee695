list(APPEND CORE_SOURCES
    terminal/TerminalText.h terminal/TerminalText.cpp
    terminal/SessionLog.h terminal/SessionLog.cpp
)
list(APPEND UI_SOURCES
    terminal/TfrmFTaste.h terminal/TfrmFTaste.cpp
    terminal/TerminalPage.h terminal/TerminalPage.cpp terminal/TerminalPageSession.cpp
    terminal/TerminalPane.h terminal/TerminalPane.cpp
)
