list(APPEND UI_SOURCES
    dialogs/ReNum_Unit.h dialogs/ReNum_Unit.cpp
    dialogs/AutoNum_Unit.h dialogs/AutoNum_Unit.cpp
)
# The dialogs' commands write through the editor pane's line adapter, listed with the editor.
include(${CMAKE_CURRENT_LIST_DIR}/../editor/ui_sources.cmake)
