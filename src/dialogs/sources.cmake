list(APPEND UI_SOURCES
    dialogs/Update_Unit.h dialogs/Update_Unit.cpp
    dialogs/TfrmEnvironment.h dialogs/TfrmEnvironment.cpp
    dialogs/TfrmEinstellungen.h dialogs/TfrmEinstellungen.cpp
    dialogs/TfrmEinstFarben.h dialogs/TfrmEinstFarben.cpp
    dialogs/TfrmComPort.h dialogs/TfrmComPort.cpp
    dialogs/Info_Unit.h dialogs/Info_Unit.cpp
    dialogs/TfrmTab.h dialogs/TfrmTab.cpp
)
# The renumbering and auto-numbering dialogs have a list of their own.
include(${CMAKE_CURRENT_LIST_DIR}/basic_dialogs.cmake OPTIONAL)
