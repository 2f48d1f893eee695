# The update: the HTTP client, the version check, the installer's download and the byte-size text.
# The dialog that shows them is in dialogs/.
list(APPEND CORE_SOURCES
    update/UpdateClient.h update/UpdateClient.cpp
    update/UpdateSite.h update/UpdateSite.cpp
    update/ByteSize.h update/ByteSize.cpp
    update/VersionCheck.h update/VersionCheck.cpp
    update/InstallerDownload.h update/InstallerDownload.cpp
)
