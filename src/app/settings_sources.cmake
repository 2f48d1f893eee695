# The settings store and its accessor: logic without widgets.
list(APPEND CORE_SOURCES
    app/SettingsStore.h app/SettingsStore.cpp
    app/TRegistry.h app/TRegistry.cpp
)
