# Small platform services: pictures, single instance guard, program version.
list(APPEND CORE_SOURCES
    platform/JpegImage.h platform/JpegImage.cpp
    platform/SingleInstance.h platform/SingleInstance.cpp
    platform/Version.h platform/Version.cpp
    ../resources/taloma.qrc
)
