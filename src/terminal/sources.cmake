list(APPEND UI_SOURCES
    terminal/TfrmFTaste.h terminal/TfrmFTaste.cpp
)
