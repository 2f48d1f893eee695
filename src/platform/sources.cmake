list(APPEND CORE_SOURCES
    platform/Errors.h
    platform/Prompts.h platform/Prompts.cpp
    platform/HandOver.h platform/HandOver.cpp
)
