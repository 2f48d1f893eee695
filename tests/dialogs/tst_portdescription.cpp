// The description of the device behind a COM name, against a made-up /sys/class/tty and /dev in a
// temporary folder, and against real pseudo-terminals.

#include "serial/PortDescription.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PortDevice)
Q_DECLARE_METATYPE(PortDevice::Kind)

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void link(const QString& target, const QString& name)
{
    QDir().mkpath(QFileInfo(name).path());
    QVERIFY(QFile::link(target, name));
}

// A machine as the kernel shows it: a tty entry with its device link into the device tree, and a node
// of that name in dev/.
class FakeMachine {
public:
    FakeMachine() { QDir(dir.path()).mkpath(QStringLiteral("dev")); }

    QString sys() const { return dir.filePath(QStringLiteral("sys/class/tty")); }
    QString dev(const QString& name) const { return dir.filePath(QStringLiteral("dev/") + name); }

    // A tty whose device is `devicePath` below sys/devices; the USB device, when given, is that many
    // levels above it and carries the files given.
    void addTty(const QString& name, const QString& devicePath, int usbLevelsUp = -1,
                const QList<QPair<QString, QByteArray>>& usbFiles = {})
    {
        writeFile(dev(name), {});
        const QString device = dir.filePath(QStringLiteral("sys/devices/") + devicePath);
        QDir().mkpath(device);
        link(device, sys() + u'/' + name + QStringLiteral("/device"));
        if (usbLevelsUp < 0)
            return;
        QDir usb(device);
        for (int k = 0; k < usbLevelsUp; ++k)
            usb.cdUp();
        for (const auto& [file, content] : usbFiles)
            writeFile(usb.filePath(file), content);
    }

    QTemporaryDir dir;
};

using Files = QList<QPair<QString, QByteArray>>;

} // namespace

class PortDescriptionTest : public QObject {
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void text_data();
    void text();
    void pseudoTerminal_directAndThroughALink();
};

void PortDescriptionTest::describe_data()
{
    QTest::addColumn<QString>("tty");
    QTest::addColumn<QString>("devicePath");
    QTest::addColumn<int>("usbLevelsUp");
    QTest::addColumn<Files>("usbFiles");
    QTest::addColumn<PortDevice::Kind>("kind");
    QTest::addColumn<QString>("detail");

    const Files ftdi{{"idVendor", "0403\n"}, {"idProduct", "6001\n"}, {"product", "FT232R USB UART\n"},
                     {"manufacturer", "FTDI\n"}};
    // A serial adapter's tty hangs below the interface of its device, a modem-class tty is the interface.
    QTest::newRow("usb adapter") << "ttyUSB0" << "pci0/usb1/1-1/1-1:1.0/ttyUSB0" << 2 << ftdi
                                 << PortDevice::Kind::Usb << "FT232R USB UART";
    QTest::newRow("modem class") << "ttyACM0" << "pci0/usb1/1-2/1-2:1.0" << 1
                                 << Files{{"idVendor", "2341"}, {"product", "Arduino Uno"}} << PortDevice::Kind::Usb
                                 << "Arduino Uno";
    QTest::newRow("no product: maker") << "ttyUSB1" << "pci0/usb1/1-3/1-3:1.0/ttyUSB1" << 2
                                       << Files{{"idVendor", "10c4"}, {"manufacturer", "Silicon Labs"}}
                                       << PortDevice::Kind::Usb << "Silicon Labs";
    QTest::newRow("only ids") << "ttyUSB2" << "pci0/usb1/1-4/1-4:1.0/ttyUSB2" << 2
                              << Files{{"idVendor", "1a86\n"}, {"idProduct", "7523\n"}, {"product", " \n"}}
                              << PortDevice::Kind::Usb << "USB 1a86:7523";
    QTest::newRow("controls and length") << "ttyUSB3" << "pci0/usb1/1-5/1-5:1.0/ttyUSB3" << 2
                                         << Files{{"idVendor", "0403"},
                                                  {"product", "Adapter\tA\x01 " + QByteArray(60, 'x') + "\n"}}
                                         << PortDevice::Kind::Usb
                                         << "Adapter A " + QString(37, u'x') + QStringLiteral("…");
    QTest::newRow("built-in uart") << "ttyS0" << "pnp0/00:01/tty/ttyS0" << -1 << Files{}
                                   << PortDevice::Kind::BuiltIn << "";
    QTest::newRow("other with driver") << "ttyAMA0" << "platform/fe201000.serial" << -1 << Files{}
                                       << PortDevice::Kind::Other << "uart-pl011";
}

void PortDescriptionTest::describe()
{
    QFETCH(QString, tty);
    QFETCH(QString, devicePath);
    QFETCH(int, usbLevelsUp);
    QFETCH(Files, usbFiles);
    QFETCH(PortDevice::Kind, kind);
    QFETCH(QString, detail);

    FakeMachine machine;
    machine.addTty(tty, devicePath, usbLevelsUp, usbFiles);
    if (tty == QLatin1String("ttyAMA0")) {
        const QString driver = machine.dir.filePath(QStringLiteral("sys/bus/amba/drivers/uart-pl011"));
        QDir().mkpath(driver);
        link(driver, machine.dir.filePath(QStringLiteral("sys/devices/") + devicePath + QStringLiteral("/driver")));
    }

    const PortDevice found = PortDescription::Describe(machine.dev(tty), machine.sys());
    QCOMPARE(found.path, machine.dev(tty));
    QCOMPARE(found.kind, kind);
    QCOMPARE(found.detail, detail);

    // A by-id link is described by the node it leads to, and shown as the user named it.
    const QString byId = machine.dev(QStringLiteral("serial/by-id/the-adapter"));
    link(QStringLiteral("../../") + tty, byId);
    const PortDevice viaLink = PortDescription::Describe(byId, machine.sys());
    QCOMPARE(viaLink.path, byId);
    QCOMPARE(viaLink.kind, kind);
    QCOMPARE(viaLink.detail, detail);
}

void PortDescriptionTest::text_data()
{
    QTest::addColumn<PortDevice>("device");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");

    using K = PortDevice::Kind;
    QTest::newRow("unassigned") << PortDevice{} << "kein Gerät zugeordnet" << "no device assigned";
    QTest::newRow("not found") << PortDevice{"/dev/ttyUSB9", K::NotFound, {}} << "/dev/ttyUSB9 · nicht gefunden"
                               << "/dev/ttyUSB9 · not found";
    QTest::newRow("pty") << PortDevice{"/tmp/sim", K::PseudoTerminal, {}} << "/tmp/sim · Pseudo-Terminal"
                         << "/tmp/sim · pseudo-terminal";
    QTest::newRow("usb") << PortDevice{"/dev/ttyUSB0", K::Usb, "FT232R USB UART"} << "/dev/ttyUSB0 · FT232R USB UART"
                         << "/dev/ttyUSB0 · FT232R USB UART";
    QTest::newRow("usb without a name") << PortDevice{"/dev/ttyUSB0", K::Usb, {}} << "/dev/ttyUSB0 · USB-Seriell-Adapter"
                                        << "/dev/ttyUSB0 · USB serial adapter";
    QTest::newRow("built-in") << PortDevice{"/dev/ttyS0", K::BuiltIn, {}} << "/dev/ttyS0 · eingebaute Schnittstelle"
                              << "/dev/ttyS0 · built-in serial port";
    QTest::newRow("other") << PortDevice{"/dev/ttyAMA0", K::Other, "uart-pl011"}
                           << "/dev/ttyAMA0 · serielles Gerät (uart-pl011)" << "/dev/ttyAMA0 · serial device (uart-pl011)";
    QTest::newRow("other, no driver") << PortDevice{"/dev/x", K::Other, {}} << "/dev/x · serielles Gerät"
                                      << "/dev/x · serial device";
}

void PortDescriptionTest::text()
{
    QFETCH(PortDevice, device);
    QFETCH(QString, german);
    QFETCH(QString, english);
    QCOMPARE(PortDescription::Text(device, 1), german);
    QCOMPARE(PortDescription::Text(device, 2), english);
    QCOMPARE(PortDescription::Text(device, 0), english);
}

void PortDescriptionTest::pseudoTerminal_directAndThroughALink()
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString path = QString::fromLocal8Bit(name);
    QTemporaryDir dir;
    const QString named = dir.filePath(QStringLiteral("sim-com1"));
    QVERIFY(QFile::link(path, named));

    // A made-up tty tree that even holds an entry of the pty's name: the node itself decides.
    FakeMachine machine;
    machine.addTty(QFileInfo(path).fileName(), QStringLiteral("pci0/usb1/1-1/1-1:1.0"), 1, {{"idVendor", "0403"}});

    QCOMPARE(PortDescription::Describe(path, machine.sys()), (PortDevice{path, PortDevice::Kind::PseudoTerminal, {}}));
    QCOMPARE(PortDescription::Describe(named, machine.sys()), (PortDevice{named, PortDevice::Kind::PseudoTerminal, {}}));
    ::close(slave);
    ::close(master);

    // A path that names nothing, a link that leads nowhere, and no path at all.
    QCOMPARE(PortDescription::Describe(dir.filePath(QStringLiteral("missing"))).kind, PortDevice::Kind::NotFound);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("stale"))));
    QCOMPARE(PortDescription::Describe(dir.filePath(QStringLiteral("stale"))).kind, PortDevice::Kind::NotFound);
    QCOMPARE(PortDescription::Describe(QString()).kind, PortDevice::Kind::Unassigned);
}

QTEST_GUILESS_MAIN(PortDescriptionTest)
#include "tst_portdescription.moc"
