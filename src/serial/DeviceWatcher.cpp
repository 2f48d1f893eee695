#include "serial/DeviceWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

QString readAttribute(const QDir& dir, const char* name)
{
    QFile file(dir.filePath(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

} // namespace

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent) {}

DeviceWatcher::~DeviceWatcher() { stop(); }

void DeviceWatcher::setSystemFolders(const QString& sysClassTty, const QString& devDir)
{
    m_sysClassTty = sysClassTty;
    m_devDir = devDir;
}

QString DeviceWatcher::usbIdentity(const QString& devicePath) const
{
    // A link (a by-id name, a name of the user's) stands for the node it leads to.
    const QString node = QFileInfo(devicePath).canonicalFilePath();
    if (node.isEmpty())
        return {};
    const QString device =
        QFileInfo(m_sysClassTty + u'/' + QFileInfo(node).fileName() + QStringLiteral("/device")).canonicalFilePath();
    if (device.isEmpty())
        return {};
    // The tty hangs below an interface of the USB device; the device itself carries the numbers.
    QDir dir(device);
    for (int depth = 0; depth < 8; ++depth) {
        const QString vendor = readAttribute(dir, "idVendor");
        if (!vendor.isEmpty()) {
            const QString serial = readAttribute(dir, "serial");
            if (serial.isEmpty())
                return {};
            return vendor + u':' + readAttribute(dir, "idProduct") + u':' + serial;
        }
        if (!dir.cdUp())
            break;
    }
    return {};
}

bool DeviceWatcher::watch(const QString& devicePath, const QString& identity)
{
    stop();
    m_path = devicePath;
    m_identity = identity;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return false;
    const uint32_t mask = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;
    QStringList dirs{QFileInfo(devicePath).absolutePath()};
    if (!identity.isEmpty() && !dirs.contains(m_devDir))
        dirs << m_devDir;
    for (const QString& dir : dirs) {
        const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), mask);
        if (wd >= 0)
            m_watches.append({wd, dir});
    }
    if (m_watches.isEmpty()) {
        stop();
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceWatcher::readEvents);
    return true;
}

void DeviceWatcher::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_watches.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void DeviceWatcher::readEvents()
{
    QStringList found;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->len == 0)
                continue;
            for (const auto& [wd, dir] : std::as_const(m_watches)) {
                if (wd != event->wd)
                    continue;
                const QString path = candidate(dir, QFile::decodeName(event->name));
                if (!path.isEmpty() && !found.contains(path))
                    found << path;
            }
        }
    }
    // A handler may stop the watcher; what was found is reported all the same.
    for (const QString& path : std::as_const(found))
        emit appeared(path);
}

QString DeviceWatcher::candidate(const QString& dir, const QString& name) const
{
    const QString path = dir + u'/' + name;
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(m_path).absoluteFilePath())
        return path;
    if (m_identity.isEmpty() || dir != m_devDir || !name.startsWith(QStringLiteral("tty")))
        return {};
    return usbIdentity(path) == m_identity ? path : QString();
}
