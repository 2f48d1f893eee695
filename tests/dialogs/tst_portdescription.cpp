// The description of the device behind a COM name, against a made-up /sys/class/tty and /dev in a
// temporary folder, and against real pseudo-terminals.

#include "serial/PortDescription.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <unistd.h>

namespace {

using Files = QList<QPair<QString, QByteArray>>;

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

} // namespace

class PortDescriptionTest : public QObject {
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void pseudoTerminalsAndMissingDevices();
};

void PortDescriptionTest::describe_data()
{
    QTest::addColumn<QString>("tty");
    QTest::addColumn<QString>("device");  // below sys/devices
    QTest::addColumn<QString>("usbDir");  // below sys/devices, empty for none
    QTest::addColumn<Files>("usbFiles");
    QTest::addColumn<QString>("english"); // after "<path> · "
    QTest::addColumn<QString>("german");

    // A serial adapter's tty hangs below an interface of its USB device; a modem-class tty is one.
    QTest::newRow("usb adapter") << "ttyUSB0" << "usb1/1-1/1-1:1.0/ttyUSB0" << "usb1/1-1"
                                 << Files{{"idVendor", "0403"}, {"product", "FT232R USB UART\n"}, {"manufacturer", "F"}}
                                 << "FT232R USB UART" << "FT232R USB UART";
    QTest::newRow("modem class") << "ttyACM0" << "usb1/1-2/1-2:1.0" << "usb1/1-2"
                                 << Files{{"idVendor", "2341"}, {"product", "Arduino Uno"}} << "Arduino Uno"
                                 << "Arduino Uno";
    QTest::newRow("maker only") << "ttyUSB1" << "usb1/1-3/1-3:1.0/ttyUSB1" << "usb1/1-3"
                                << Files{{"idVendor", "10c4"}, {"manufacturer", "Silicon Labs"}} << "Silicon Labs"
                                << "Silicon Labs";
    QTest::newRow("ids only") << "ttyUSB2" << "usb1/1-4/1-4:1.0/ttyUSB2" << "usb1/1-4"
                              << Files{{"idVendor", "1a86\n"}, {"idProduct", "7523\n"}, {"product", " \n"}}
                              << "USB 1a86:7523" << "USB 1a86:7523";
    QTest::newRow("empty ids") << "ttyUSB4" << "usb1/1-6/1-6:1.0/ttyUSB4" << "usb1/1-6" << Files{{"idVendor", ""}}
                               << "USB serial adapter" << "USB-Seriell-Adapter";
    QTest::newRow("controls, length") << "ttyUSB3" << "usb1/1-5/1-5:1.0/ttyUSB3" << "usb1/1-5"
                                      << Files{{"idVendor", "0403"}, {"product", "A\tB\x01" + QByteArray(60, 'x')}}
                                      << "A B " + QString(43, u'x') + u'…' << "A B " + QString(43, u'x') + u'…';
    QTest::newRow("built-in uart") << "ttyS0" << "pnp0/00:01/tty/ttyS0" << "" << Files{} << "built-in serial port"
                                   << "eingebaute Schnittstelle";
    QTest::newRow("other, with driver") << "ttyAMA0" << "platform/fe201000.serial" << "" << Files{}
                                        << "serial device (uart-pl011)" << "serielles Gerät (uart-pl011)";
    QTest::newRow("no kernel entry") << "ttyX0" << "" << "" << Files{} << "serial device" << "serielles Gerät";
}

void PortDescriptionTest::describe()
{
    QFETCH(QString, tty);
    QFETCH(QString, device);
    QFETCH(QString, usbDir);
    QFETCH(Files, usbFiles);
    QFETCH(QString, english);
    QFETCH(QString, german);

    QTemporaryDir root;
    const QString sys = root.filePath(QStringLiteral("sys/class/tty"));
    const QString devices = root.filePath(QStringLiteral("sys/devices/"));
    const QString node = root.filePath(QStringLiteral("dev/") + tty);
    writeFile(node, {});
    if (!device.isEmpty()) {
        QDir().mkpath(devices + device);
        link(devices + device, sys + u'/' + tty + QStringLiteral("/device"));
    }
    for (const auto& [file, content] : usbFiles)
        writeFile(devices + usbDir + u'/' + file, content);
    if (tty == QLatin1String("ttyAMA0")) {
        const QString driver = root.filePath(QStringLiteral("sys/bus/amba/drivers/uart-pl011"));
        QDir().mkpath(driver);
        link(driver, devices + device + QStringLiteral("/driver"));
    }

    const PortDevice found = PortDescription::Describe(node, sys);
    QCOMPARE(PortDescription::Text(found, 2), node + QStringLiteral(" · ") + english);
    QCOMPARE(PortDescription::Text(found, 1), node + QStringLiteral(" · ") + german);

    // A by-id link is looked up by the node it leads to, and shown as the user named it.
    const QString byId = root.filePath(QStringLiteral("dev/serial/by-id/the-adapter"));
    link(QStringLiteral("../../") + tty, byId);
    QCOMPARE(PortDescription::Text(PortDescription::Describe(byId, sys), 2), byId + QStringLiteral(" · ") + english);
}

void PortDescriptionTest::pseudoTerminalsAndMissingDevices()
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString path = QString::fromLocal8Bit(name);
    QTemporaryDir dir;
    const QString named = dir.filePath(QStringLiteral("sim-com1"));
    QVERIFY(QFile::link(path, named));

    // Even a tty tree that holds a USB entry of the pty's name does not decide: the node does.
    const QString entry = dir.filePath(QStringLiteral("sys/") + QFileInfo(path).fileName());
    writeFile(dir.filePath(QStringLiteral("usb/idVendor")), "0403");
    link(dir.filePath(QStringLiteral("usb")), entry + QStringLiteral("/device"));
    for (const QString& p : {path, named}) {
        const PortDevice found = PortDescription::Describe(p, dir.filePath(QStringLiteral("sys")));
        QCOMPARE(found, (PortDevice{p, PortDevice::Kind::PseudoTerminal, {}}));
        QCOMPARE(PortDescription::Text(found, 1), p + QStringLiteral(" · Pseudo-Terminal"));
        QCOMPARE(PortDescription::Text(found, 2), p + QStringLiteral(" · pseudo-terminal"));
    }
    ::close(slave);
    ::close(master);

    // A path that names nothing, a link that leads nowhere, and no path at all.
    const QString missing = dir.filePath(QStringLiteral("missing"));
    QVERIFY(QFile::link(missing, dir.filePath(QStringLiteral("stale"))));
    for (const QString& p : {missing, dir.filePath(QStringLiteral("stale"))}) {
        QCOMPARE(PortDescription::Text(PortDescription::Describe(p), 2), p + QStringLiteral(" · not found"));
        QCOMPARE(PortDescription::Text(PortDescription::Describe(p), 1), p + QStringLiteral(" · nicht gefunden"));
    }
    QCOMPARE(PortDescription::Text(PortDescription::Describe(QString()), 2), QStringLiteral("no device assigned"));
    QCOMPARE(PortDescription::Text(PortDescription::Describe(QString()), 1), QStringLiteral("kein Gerät zugeordnet"));
}

QTEST_GUILESS_MAIN(PortDescriptionTest)
#include "tst_portdescription.moc"
