list(APPEND CORE_SOURCES
    platform/Errors.h
    platform/AtomicFile.h platform/AtomicFile.cpp
    platform/Prompts.h platform/Prompts.cpp
    platform/HandOver.h platform/HandOver.cpp
    platform/TerminationSignals.h platform/TerminationSignals.cpp
)
# Small platform services: pictures, single instance guard, program version, what the machine is.
list(APPEND CORE_SOURCES
    platform/JpegImage.h platform/JpegImage.cpp
    platform/SingleInstance.h platform/SingleInstance.cpp
    platform/Version.h platform/Version.cpp
    platform/SystemInfo.h platform/SystemInfo.cpp
    ../resources/taloma.qrc
    platform/Icons.h platform/Icons.cpp
    ../resources/icons.qrc
)
# Stand-ins for the program's embedded string resource and for Windows colour values, as stored in
# the settings.
list(APPEND CORE_SOURCES
    platform/StringTable.h platform/StringTable.cpp
    ../resources/strings.qrc
    platform/WinColor.h platform/WinColor.cpp
)
