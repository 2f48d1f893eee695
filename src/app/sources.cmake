list(APPEND UI_SOURCES
    app/Application.h app/Application.cpp
)
