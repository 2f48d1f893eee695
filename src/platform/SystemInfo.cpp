#include "platform/SystemInfo.h"

#include "platform/Prompts.h"

#include <QFile>

#include <sys/utsname.h>

#include <array>
#include <limits>
#include <utility>

// ---------------------------------------------------------------------------------------------------
// Operating system

QString WindowsVersionText(const WindowsVersionInfo& v)
{
    const QString buildText = QStringLiteral("  Build: ") + QString::number(v.build);
    const QString csdInParentheses = QStringLiteral(" (") + v.csd + QStringLiteral(")");
    QString name;
    QString detail;
    switch (v.platformId) {
    case 0:
        name = QStringLiteral("Win32s unter Windows 3.x");
        break;
    case 1:
        // Windows 9x reports its minor version only as these three values; the build is not shown.
        if (v.minor == 0) {
            name = QStringLiteral("Windows 95 ") + v.csd + QStringLiteral(" ");
            detail = QStringLiteral("00");
        } else if (v.minor == 10) {
            // Only the exact one-letter text marks the Second Edition.
            name = v.csd == QLatin1String("A") ? QStringLiteral("Windows 98SE ") : QStringLiteral("Windows 98 ");
            detail = QStringLiteral("10");
        } else if (v.minor == 90) {
            name = QStringLiteral("Windows ME ");
            detail = QStringLiteral("90");
        }
        break;
    case 2:
        if (v.major == 3 || v.major == 4) {
            name = QStringLiteral("Windows NT");
            detail = QString::number(v.minor) + buildText + csdInParentheses;
        } else if (v.major == 5 && v.minor == 0) {
            name = QStringLiteral("Windows 2000");
            detail = QStringLiteral("0") + buildText + csdInParentheses;
        } else if (v.major == 5 && v.minor == 1) {
            name = QStringLiteral("Windows XP");
            detail = QStringLiteral("1") + buildText + (v.csd.isEmpty() ? QString() : csdInParentheses);
        }
        break;
    default:
        break;
    }
    return name + QStringLiteral(" ") + QString::number(v.major) + QStringLiteral(".") + detail;
}

namespace {

// One value of a shell-style assignment: double quotes (with \ before $ " ` \ and newline), single
// quotes, backslashes outside quotes; unquoted blanks end the value.
QString unquoteShellValue(const QString& text)
{
    QString value;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'"') {
            for (++i; i < n && text.at(i) != u'"'; ++i) {
                if (text.at(i) == u'\\' && i + 1 < n && QStringLiteral("$\"`\\\n").contains(text.at(i + 1)))
                    ++i;
                value += text.at(i);
            }
            ++i;
        } else if (c == u'\'') {
            for (++i; i < n && text.at(i) != u'\''; ++i)
                value += text.at(i);
            ++i;
        } else if (c == u'\\' && i + 1 < n) {
            value += text.at(i + 1);
            i += 2;
        } else if (c == u' ' || c == u'\t') {
            break;
        } else {
            value += c;
            ++i;
        }
    }
    return value;
}

} // namespace

QString OsReleasePrettyName(const QByteArray& osRelease)
{
    // Later assignments win, as they would when a shell sources the file.
    QString prettyName;
    const QStringList lines = QString::fromUtf8(osRelease).split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.left(equals) != QLatin1String("PRETTY_NAME"))
            continue;
        prettyName = unquoteShellValue(line.mid(equals + 1));
    }
    return prettyName;
}

QString LinuxVersionText(const QString& prettyName, const QString& kernelName, const QString& kernelRelease)
{
    QString text = prettyName.isEmpty() ? QStringLiteral("Linux") : prettyName;
    if (!kernelName.isEmpty()) {
        text += QStringLiteral(" · ") + kernelName;
        if (!kernelRelease.isEmpty())
            text += QStringLiteral(" ") + kernelRelease;
    }
    return text;
}

QString OperatingSystemText()
{
    QByteArray osRelease;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            osRelease = file.readAll();
            break;
        }
    }
    struct utsname names {};
    QString kernelName;
    QString kernelRelease;
    if (uname(&names) == 0) {
        kernelName = QString::fromLocal8Bit(names.sysname);
        kernelRelease = QString::fromLocal8Bit(names.release);
    }
    return LinuxVersionText(OsReleasePrettyName(osRelease), kernelName, kernelRelease);
}

// ---------------------------------------------------------------------------------------------------
// Memory

MemoryStatus ParseMemInfo(const QByteArray& memInfo)
{
    // Each line is "Name:   value kB". A value without unit is a plain count (bytes here).
    auto figure = [&memInfo](const QByteArray& name, bool* found = nullptr) -> quint64 {
        const QList<QByteArray> lines = memInfo.split('\n');
        for (const QByteArray& line : lines) {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0 || line.left(colon).trimmed() != name)
                continue;
            const QList<QByteArray> fields = line.mid(colon + 1).simplified().split(' ');
            bool ok = false;
            const quint64 value = fields.value(0).toULongLong(&ok);
            if (!ok)
                return 0;
            if (found)
                *found = true;
            const QByteArray unit = fields.value(1).toLower();
            if (unit.isEmpty())
                return value;
            if (unit != "kb")
                return 0;
            constexpr quint64 Max = std::numeric_limits<quint64>::max();
            return value > Max / 1024 ? Max : value * 1024;
        }
        return 0;
    };
    MemoryStatus status;
    status.totalPhys = figure("MemTotal");
    bool available = false;
    status.availPhys = figure("MemAvailable", &available);
    if (!available)
        status.availPhys = figure("MemFree");
    status.totalPageFile = figure("SwapTotal");
    status.availPageFile = figure("SwapFree");
    return status;
}

MemoryStatus ReadMemoryStatus(const QString& path)
{
    // /proc files report a size of 0, so they are read to their end rather than by size.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseMemInfo(file.readAll());
}

QString FormatKilobytes(quint64 bytes, const QLocale& locale)
{
    const quint64 kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(kilobytes) + QStringLiteral(" KB");
}

// ---------------------------------------------------------------------------------------------------
// Starting things

QString ShellErrorText(int code)
{
    static const std::array<std::pair<int, const char*>, 15> Texts{{
        {0, "Zuwenig Speicher, ausführbare Datei war zerstört, Relokationswerte waren ungültig"},
        {2, "Datei wurde nicht gefunden."},
        {3, "Verzeichnis wurde nicht gefunden."},
        {5, "Fehler beim gemeinsamen Zugriff auf eine Datei im Netz oder Fehler beim Zugriff auf eine gesperrte "
            "Datei im Netz."},
        {6, "Bibliothek forderte separate Datensegmente für jede Task an."},
        {8, "Zuwenig Speicher, um die Anwendung zu starten."},
        {10, "Falsche Windows-Version."},
        {11, "Ungültige ausführbare Datei. Entweder keine Windows-Anwendung oder Fehler in der EXE-Datei."},
        {12, "Anwendung für ein anderes Betriebssystem."},
        {13, "Anwendung für MS-DOS 4.0."},
        {14, "Typ der ausführbaren Datei unbekannt."},
        {15, "Versuch, eine Real-Mode-Anwendung (für eine frühere Windows-Version) zu laden."},
        {16, "Versuch, eine zweite Instanz einer ausführbaren Datei mit mehreren Datensegmenten, die nicht als nur "
             "lesbar gekennzeichnet waren, zu laden."},
        {19, "Versuch, eine komprimierte ausführbare Datei zu laden. Die Datei muß dekomprimiert werden, bevor sie "
             "geladen werden kann."},
        {20, "Ungültige dynamische Linkbibliothek (DLL). Eine der DLLs, die benötigt wurde, um die Anwendung "
             "auszuführen, war beschädigt."},
    }};
    for (const auto& [number, text] : Texts) {
        if (number == code)
            return QString::fromUtf8(text);
    }
    return {};
}

void ShowShellError(int code)
{
    if (code > 32)
        return;
    Prompts::instance().warning(QStringLiteral("Fataler Dateifehler !"), ShellErrorText(code));
}

QStringList SystemInfoTools()
{
    // Tools that show the machine's hardware and operating system first, then the desktops' system
    // monitors, which at least show memory and processes.
    return {QStringLiteral("hardinfo2"),          QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),        QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"), QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager")};
}

QString FirstInstalledTool(const QStringList& tools, const std::function<QString(const QString&)>& find)
{
    for (const QString& tool : tools) {
        const QString path = find(tool);
        if (!path.isEmpty())
            return path;
    }
    return {};
}
