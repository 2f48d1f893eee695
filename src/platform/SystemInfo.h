#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// What the information dialog tells about the machine: the operating system, the memory figures, and
// the messages of a failed start of a link. Everything here is a function of its inputs except the
// few readers that fetch those inputs from the running system.

// ---------------------------------------------------------------------------------------------------
// Operating system

// The version as Windows reports it: platform id (0 Win32s, 1 Windows 9x, 2 NT), major and minor
// version, build number and the service-pack text.
struct WindowsVersionInfo {
    quint32 platformId = 0;
    quint32 major = 0;
    quint32 minor = 0;
    quint32 build = 0;
    QString csd;
};

// The one-line name the dialog shows for a Windows version, for example
// "Windows XP 5.1  Build: 2600 (Service Pack 2)". A version the program does not know gives a blank,
// the major version and a dot.
QString WindowsVersionText(const WindowsVersionInfo& version);

// The PRETTY_NAME of an os-release file's text with its shell quoting removed; empty when the file
// has none.
QString OsReleasePrettyName(const QByteArray& osRelease);

// "Debian GNU/Linux 12 (bookworm) · Linux 6.1.0-13-amd64": the distribution's pretty name (the
// os-release default "Linux" when it names none), then the kernel's name and release as uname gives
// them. Without a kernel name the text is the pretty name alone.
QString LinuxVersionText(const QString& prettyName, const QString& kernelName, const QString& kernelRelease);

// The text for this machine: /etc/os-release (or /usr/lib/os-release when that is missing) and uname.
QString OperatingSystemText();

// ---------------------------------------------------------------------------------------------------
// Memory

// The machine's memory in bytes. 64-bit throughout: machines have had more than 4 GB for a long time.
struct MemoryStatus {
    quint64 totalPhys = 0;
    quint64 availPhys = 0;
    quint64 totalPageFile = 0;
    quint64 availPageFile = 0;
};

// Reads the figures from the text of /proc/meminfo: MemTotal, MemAvailable (MemFree on kernels that
// do not report it), SwapTotal and SwapFree. A figure the text lacks or cannot be read is 0.
MemoryStatus ParseMemInfo(const QByteArray& memInfo);

// ParseMemInfo of the given file; all figures 0 when it cannot be read.
MemoryStatus ReadMemoryStatus(const QString& path = QStringLiteral("/proc/meminfo"));

// A byte count as whole kilobytes (rounded) with the locale's thousands separator and " KB":
// 536870912 gives "524.288 KB" in a German locale.
QString FormatKilobytes(quint64 bytes, const QLocale& locale = QLocale());

// ---------------------------------------------------------------------------------------------------
// Starting things

// The result code of starting a document or program: above 32 means success. A link that no program
// on this machine will open reports NoAssociation.
inline constexpr int ShellStarted = 33;
inline constexpr int ShellNoAssociation = 31;

// The message for a failed start's code (German in both interface languages); empty for a success
// and for the codes the table does not name.
QString ShellErrorText(int code);

// Does nothing for a success; otherwise shows a warning "Fataler Dateifehler !" with the code's text
// (which may be empty) through the prompts.
void ShowShellError(int code);

// The system information tools tried in this order; the first one installed is started.
QStringList SystemInfoTools();

// The path of the first of the tools that `find` locates (it returns an empty path for a missing
// one); empty when none is installed.
QString FirstInstalledTool(const QStringList& tools, const std::function<QString(const QString&)>& find);
