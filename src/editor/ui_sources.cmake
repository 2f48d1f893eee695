# The editor pane's adapters (widgets). Included from more than one place while the areas grow together,
# hence the guard.
include_guard(GLOBAL)
list(APPEND UI_SOURCES
    editor/PlainTextEditLines.h editor/PlainTextEditLines.cpp
)
