# The settings store: the registry's stand-in, kept in a .reg text file, and its accessor. Below the
# serial layer, whose port list reads it. The program's global state, one variable per setting, sits
# beside it.
list(APPEND CORE_SOURCES
    settings/GlobVar_Unit.h settings/GlobVar_Unit.cpp
    settings/PanelStyle.h settings/PanelStyle.cpp
    settings/RegText.h settings/RegText.cpp
    settings/SettingsFile.h settings/SettingsFile.cpp
    settings/SettingsStore.h settings/SettingsStore.cpp
    settings/TRegistry.h settings/TRegistry.cpp
)
