list(APPEND CORE_SOURCES
    editor/ProgramFile.h editor/ProgramFile.cpp
    editor/Rtf.h editor/Rtf.cpp
    editor/BasicHighlighter.h editor/BasicHighlighter.cpp
    editor/DocumentText.h editor/DocumentText.cpp
    editor/RecoveryFile.h editor/RecoveryFile.cpp
    editor/RecentFileList.h editor/RecentFileList.cpp
    editor/CaretText.h editor/CaretText.cpp
    editor/ProgramListing.h editor/ProgramListing.cpp
)
# The editor pane seen as program lines, for the line tools and the transmission; the document the
# pane holds, with its file commands; its print commands and their printer; the editing commands on
# whichever pane is in front; the find bar under the page.
list(APPEND UI_SOURCES
    editor/PlainTextEditLines.h editor/PlainTextEditLines.cpp
    editor/EditorDocument.h editor/EditorDocument.cpp
    editor/EditorPrinting.h editor/EditorPrinting.cpp
    editor/PaneCommands.h editor/PaneCommands.cpp
    editor/FindBar.h editor/FindBar.cpp
)
