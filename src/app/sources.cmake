list(APPEND UI_SOURCES
    app/Application.h app/Application.cpp
)
# The settings store has a list of its own.
include(${CMAKE_CURRENT_LIST_DIR}/settings_sources.cmake OPTIONAL)
