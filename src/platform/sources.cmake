list(APPEND CORE_SOURCES
    platform/Errors.h
    platform/AtomicFile.h platform/AtomicFile.cpp
    platform/Prompts.h platform/Prompts.cpp
    platform/HandOver.h platform/HandOver.cpp
    platform/TerminationSignals.h platform/TerminationSignals.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/platform2.cmake OPTIONAL)
