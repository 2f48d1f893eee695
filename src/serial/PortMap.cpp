#include "serial/PortMap.h"

#include "platform/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <map>

namespace {

struct Found {
    int group;
    QString prefix;
    qint64 number;
    QString name;
};

// ttyS ports exist for every legacy address whether or not a UART answers there; the serial core
// reports "type" 0 for those without one.
bool hasUart(const QString& ttyDir)
{
    QFile type(ttyDir + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int value = QString::fromLatin1(type.readAll()).trimmed().toInt(&ok);
    return ok && value != 0;
}

// A device path is handed on as a name in the port list, where control characters and overlong names
// cannot stand; such a path names no device anyway.
bool isUsablePath(const QString& path)
{
    if (path.size() > PortMap::MaxPathLength)
        return false;
    return std::none_of(path.begin(), path.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// What the user is shown of an ignored entry: enough to find it, not a screenful.
QString shortened(const QString& text)
{
    constexpr qsizetype shown = 120;
    QString out = text.size() > shown ? text.left(shown) + QStringLiteral("…") : text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    }
    return out;
}

} // namespace

PortMap& PortMap::global()
{
    static PortMap map = [] {
        PortMap m;
        m.Reload();
        return m;
    }();
    // Outside the initialisation: the warning's event loop may come back here.
    map.ReportProblemsOnce();
    return map;
}

QString PortMap::DefaultConfigFile()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Taloma-Terminal/ports.conf");
}

int PortMap::PortNumber(const QString& name)
{
    static const QRegularExpression re(QStringLiteral("^COM([1-9][0-9]{0,8})$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(name.trimmed());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QStringList PortMap::DiscoverDevices(const QString& sysClassTty, const QString& devDir)
{
    static const QRegularExpression nameRe(QStringLiteral("^([A-Za-z_-]*?[A-Za-z_-])([0-9]+)$"));
    std::vector<Found> found;
    const QDir dir(sysClassTty);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = nameRe.match(name);
        if (!m.hasMatch())
            continue;
        const QString prefix = m.captured(1);
        const QString ttyDir = dir.filePath(name);
        // Virtual terminals, the console and pseudo-terminals have no device behind them.
        if (!QFileInfo::exists(ttyDir + QStringLiteral("/device")))
            continue;
        int group;
        if (prefix == QLatin1String("ttyUSB"))
            group = 0;
        else if (prefix == QLatin1String("ttyACM"))
            group = 1;
        else if (prefix == QLatin1String("ttyS"))
            group = 3;
        else if (prefix.startsWith(QLatin1String("tty")) && prefix != QLatin1String("tty"))
            group = 2;
        else
            continue;
        if (group == 3 && !hasUart(ttyDir))
            continue;
        found.push_back({group, prefix, m.captured(2).toLongLong(), name});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return a.number < b.number;
    });
    QStringList paths;
    for (const Found& f : found)
        paths.append(devDir + u'/' + f.name);
    return paths;
}

void PortMap::Load(const QString& sysClassTty, const QString& devDir, const QString& configFile)
{
    std::map<int, QString> ports;
    const QStringList devices = DiscoverDevices(sysClassTty, devDir);
    for (int i = 0; i < devices.size(); ++i)
        ports[i + 1] = devices[i];

    std::map<int, QString> overrides;
    m_problems.clear();
    QFile file(configFile);
    if (!configFile.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        int lineNo = 0;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            ++lineNo;
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const qsizetype eq = line.indexOf(u'=');
            const int number = eq > 0 ? PortNumber(line.left(eq)) : 0;
            const QString path = line.mid(eq + 1).trimmed();
            if (number == 0 || !isUsablePath(path)) {
                m_problems.append(QStringLiteral("ports.conf:%1: %2").arg(lineNo).arg(line));
                continue;
            }
            overrides[number] = path;
        }
    }
    for (int n = 1; n <= 4; ++n) {
        const QByteArray var = "TALOMA_COM" + QByteArray::number(n);
        if (!qEnvironmentVariableIsSet(var.constData()))
            continue;
        const QString path = qEnvironmentVariable(var.constData()).trimmed();
        if (isUsablePath(path))
            overrides[n] = path;
        else
            m_problems.append(QStringLiteral("%1: %2").arg(QString::fromLatin1(var), path));
    }

    for (const auto& [number, path] : overrides) {
        if (path.isEmpty())
            continue;
        // One device, one name: the override takes it away from the number discovery gave it.
        for (auto it = ports.begin(); it != ports.end();) {
            if (it->second == path && !overrides.count(it->first))
                it = ports.erase(it);
            else
                ++it;
        }
    }
    for (const auto& [number, path] : overrides) {
        if (path.isEmpty())
            ports.erase(number);
        else
            ports[number] = path;
    }

    m_entries.clear();
    for (const auto& [number, path] : ports)
        m_entries.append(Entry{number, path});
}

void PortMap::ReportProblemsOnce()
{
    if (m_reported || m_problems.isEmpty())
        return;
    m_reported = true;
    QStringList lines;
    for (const QString& problem : m_problems)
        lines.append(shortened(problem));
    const QString text = QStringLiteral("Diese Angaben zu den seriellen Schnittstellen werden nicht beachtet:\n%1");
    Prompts::instance().warning(QStringLiteral("Warnung"), text.arg(lines.join(u'\n')));
}

void PortMap::Reload()
{
    Load(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"), DefaultConfigFile());
}

QString PortMap::PathFor(const QString& name) const
{
    const int number = PortNumber(name);
    for (const Entry& e : m_entries) {
        if (e.number == number)
            return e.path;
    }
    return {};
}
