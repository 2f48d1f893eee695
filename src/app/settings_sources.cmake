# The settings store and its accessor: logic without widgets.
list(APPEND CORE_SOURCES
    app/SettingsFile.h app/SettingsFile.cpp
    app/SettingsStore.h app/SettingsStore.cpp
    app/TRegistry.h app/TRegistry.cpp
)
