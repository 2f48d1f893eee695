#pragma once

#include <QString>

// What stands behind a COM name, told to a user who has two adapters and must know which is which:
// the device path and what the device is, from the kernel's own description under /sys/class/tty.
struct PortDevice {
    enum class Kind {
        Unassigned,     // the COM name has no device path
        NotFound,       // the path names nothing (an adapter that was pulled, a stale link)
        PseudoTerminal, // a pty, as given for a simulator or a test
        Usb,            // a USB serial adapter or modem-class device; detail is what it calls itself
        BuiltIn,        // a UART of the machine (ttyS)
        Other,          // any other device; detail is its driver's name when the kernel tells it
    };

    QString path;
    Kind kind = Kind::Unassigned;
    QString detail;

    bool operator==(const PortDevice&) const = default;
};

namespace PortDescription {

// Looks the device up. The path may be a link (by-id names, a simulator's link to its pty); the
// kernel's entry is found under sysClassTty by the name of the node the path leads to.
PortDevice Describe(const QString& path, const QString& sysClassTty = QStringLiteral("/sys/class/tty"));

// A USB device's own name: its product string, else its maker's, else "USB vvvv:pppp" from its ids;
// empty when usbDir holds none of them. Strings longer than a label can show are cut.
QString UsbName(const QString& usbDir);

// The line shown beside the COM name, such as "/dev/ttyUSB0 · FT232R USB UART", in the interface
// language (1 German, anything else English).
QString Text(const PortDevice& device, int language);

} // namespace PortDescription
