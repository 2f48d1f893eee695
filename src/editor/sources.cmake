list(APPEND CORE_SOURCES
    editor/ProgramFile.h editor/ProgramFile.cpp
    editor/Rtf.h editor/Rtf.cpp
)
list(APPEND CORE_SOURCES
    editor/DocumentText.h editor/DocumentText.cpp
    editor/RecoveryFile.h editor/RecoveryFile.cpp
    editor/RecentFileList.h editor/RecentFileList.cpp
)
