#pragma once

#include <QStandardPaths>
#include <QString>

// Where updates come from and where the installer goes.

// The maker's web server, used when TALOMA_UPDATE_URL is not set.
inline constexpr char DefaultUpdateServerURL[] = "https://www.orvik.example/";
// The folder of the program's files on that server, the installer's name there and on the desktop, and
// the version file beside it.
inline constexpr char UpdateFolder[] = "files/Taloma-Terminal/";
inline constexpr char UpdateFileName[] = "taloma-terminal_amd64.deb";
inline constexpr char VersionFileName[] = "ver_terminal.txt";
// The installer is fetched in ranges of this many bytes, with the window's events between them.
inline constexpr qint64 DownloadChunkSize = 40960;

// The server's root, ending in a slash: TALOMA_UPDATE_URL when it is set and not empty (a local mirror,
// the tests), otherwise DefaultUpdateServerURL. A missing final slash is added.
QString UpdateServerURL();

// The address of a file in the update folder.
QString UpdateFileURL(const QString& fileName);

// The running program's version, major.minor.release.build; fixed when the update dialog is made.
extern QString InstalledVersion;
// The installer's address, composed at each download.
extern QString DownloadURL;
// Where the installer goes: the desktop and UpdateFileName. Composed each time the update dialog
// opens; when no desktop can be had it keeps its earlier value (empty at first).
extern QString DownloadTarget;

// The folder of the given kind, created when it is missing. False when there is none or it cannot be
// made; path is then left alone.
bool GetSpecialFolder(QStandardPaths::StandardLocation location, QString& path);
