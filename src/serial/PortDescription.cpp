#include "serial/PortDescription.h"

#include "platform/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Texts of the string table (German at the id, English at id + 1000).
constexpr int NoDeviceText = 782;
constexpr int PseudoTerminalText = 783;
constexpr int BuiltInText = 784;
constexpr int NotFoundText = 785;
constexpr int UsbAdapterText = 786;
constexpr int SerialDeviceText = 787;

// A descriptor string is whatever the adapter's maker put there; the label shows one short line.
constexpr qsizetype MaxNameLength = 48;

// Unix 98 pty slaves have the majors 136 to 143; /dev/pts is where they are normally found.
bool isPseudoTerminal(const QString& canonicalPath)
{
    if (canonicalPath.startsWith(QLatin1String("/dev/pts/")))
        return true;
    struct stat st {};
    if (::stat(QFile::encodeName(canonicalPath).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned int maj = major(st.st_rdev);
    return maj >= 136 && maj <= 143;
}

QString readLine(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.read(4096)).trimmed();
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    text = text.simplified();
    if (text.size() > MaxNameLength)
        text = text.left(MaxNameLength - 1).trimmed() + QStringLiteral("…");
    return text;
}

// The USB device a tty belongs to: the nearest folder above the tty's device that carries USB ids.
// A serial adapter's tty hangs below an interface of the device, a modem-class tty is the interface.
QString usbDeviceDir(const QString& deviceDir)
{
    QDir dir(deviceDir);
    for (int level = 0; level < 6; ++level) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("idVendor"))))
            return dir.path();
        if (!dir.cdUp())
            break;
    }
    return {};
}

} // namespace

namespace PortDescription {

QString UsbName(const QString& usbDir)
{
    const QString product = readLine(usbDir + QStringLiteral("/product"));
    if (!product.isEmpty())
        return product;
    const QString maker = readLine(usbDir + QStringLiteral("/manufacturer"));
    if (!maker.isEmpty())
        return maker;
    const QString vendor = readLine(usbDir + QStringLiteral("/idVendor"));
    const QString model = readLine(usbDir + QStringLiteral("/idProduct"));
    if (vendor.isEmpty())
        return {};
    return QStringLiteral("USB %1:%2").arg(vendor, model);
}

PortDevice Describe(const QString& path, const QString& sysClassTty)
{
    PortDevice device;
    device.path = path;
    if (path.isEmpty())
        return device;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) {
        device.kind = PortDevice::Kind::NotFound;
        return device;
    }
    if (isPseudoTerminal(canonical)) {
        device.kind = PortDevice::Kind::PseudoTerminal;
        return device;
    }

    const QString name = QFileInfo(canonical).fileName();
    device.kind = PortDevice::Kind::Other;
    const QString entry = sysClassTty + u'/' + name;
    const QString deviceDir = QFileInfo(entry + QStringLiteral("/device")).canonicalFilePath();
    if (deviceDir.isEmpty())
        return device;
    if (const QString usb = usbDeviceDir(deviceDir); !usb.isEmpty()) {
        device.kind = PortDevice::Kind::Usb;
        device.detail = UsbName(usb);
        return device;
    }
    if (name.startsWith(QLatin1String("ttyS"))) {
        device.kind = PortDevice::Kind::BuiltIn;
        return device;
    }
    device.detail = QFileInfo(QFileInfo(deviceDir + QStringLiteral("/driver")).canonicalFilePath()).fileName();
    return device;
}

QString Text(const PortDevice& device, int language)
{
    const int offset = StringTable::LanguageOffset(language);
    const auto text = [offset](int id) { return StringTable::LoadStr(id + offset); };
    QString what;
    switch (device.kind) {
    case PortDevice::Kind::Unassigned:
        return text(NoDeviceText);
    case PortDevice::Kind::NotFound:
        what = text(NotFoundText);
        break;
    case PortDevice::Kind::PseudoTerminal:
        what = text(PseudoTerminalText);
        break;
    case PortDevice::Kind::Usb:
        what = device.detail.isEmpty() ? text(UsbAdapterText) : device.detail;
        break;
    case PortDevice::Kind::BuiltIn:
        what = text(BuiltInText);
        break;
    case PortDevice::Kind::Other:
        what = text(SerialDeviceText);
        if (!device.detail.isEmpty())
            what += QStringLiteral(" (%1)").arg(device.detail);
        break;
    }
    return device.path + QStringLiteral(" · ") + what;
}

} // namespace PortDescription
