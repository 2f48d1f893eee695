// Waiting for a serial device to come back: under its old path, or as the same USB adapter under a
// new name; and waiting costs no processor time.

#include "serial/DeviceWatcher.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

bool writeAttribute(const QString& dir, const char* name, const QByteArray& value)
{
    QFile file(dir + u'/' + QLatin1String(name));
    return file.open(QIODevice::WriteOnly) && file.write(value + '\n') == value.size() + 1;
}

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A machine's description of its ttys as the system gives it: each tty's "device" leads to an
// interface folder below its USB device, which carries the maker, product and serial number.
struct FakeMachine {
    QTemporaryDir root;
    QString sysClassTty = root.filePath(QStringLiteral("sys/class/tty"));
    QString devDir = root.filePath(QStringLiteral("dev"));

    FakeMachine()
    {
        QDir().mkpath(sysClassTty);
        QDir().mkpath(devDir);
    }
    // A USB adapter at `usbPort` with the given serial number (none when empty), seen as tty `name`.
    bool addUsbTty(const QString& name, const QString& usbPort, const QByteArray& serial)
    {
        const QString device = root.filePath(QStringLiteral("sys/devices/usb1/") + usbPort);
        const QString interface = device + QStringLiteral("/") + usbPort + QStringLiteral(":1.0");
        const QString tty = sysClassTty + u'/' + name;
        return QDir().mkpath(interface) && QDir().mkpath(tty) && writeAttribute(device, "idVendor", "0403") &&
               writeAttribute(device, "idProduct", "6001") && (serial.isEmpty() || writeAttribute(device, "serial", serial)) &&
               QFile::link(interface, tty + QStringLiteral("/device"));
    }
    QString node(const QString& name) const { return devDir + u'/' + name; }
};

} // namespace

class DeviceWatcherTest : public QObject {
    Q_OBJECT

private slots:
    void samePath_isReportedWhenItAppears();
    void usbAdapter_isKnownByItsSerialNumber();
    void usbAdapter_underANewName_isReported();
    void waiting_sleepsUntilTheKernelTells();
};

void DeviceWatcherTest::samePath_isReportedWhenItAppears()
{
    QTemporaryDir dir;
    DeviceWatcher watcher;
    QSignalSpy spy(&watcher, &DeviceWatcher::appeared);
    const QString path = dir.filePath(QStringLiteral("ttyBoard"));
    QVERIFY(watcher.watch(path, QString()));

    // Another device in the same folder is not the one waited for.
    QVERIFY(touch(dir.filePath(QStringLiteral("ttyOther"))));
    QVERIFY(touch(path));
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), path);

    // A link made under the name counts too (a name the user gave the device).
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("ttyOther")), path));
    QTRY_COMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).toString(), path);

    // Stopped, it says nothing more.
    watcher.stop();
    QVERIFY(!watcher.watching());
    QVERIFY(QFile::remove(path));
    QVERIFY(touch(path));
    QTest::qWait(100);
    QCOMPARE(spy.size(), 2);
}

void DeviceWatcherTest::usbAdapter_isKnownByItsSerialNumber()
{
    FakeMachine machine;
    QVERIFY(machine.addUsbTty(QStringLiteral("ttyUSB0"), QStringLiteral("1-1"), "A5XK3RJT"));
    QVERIFY(machine.addUsbTty(QStringLiteral("ttyUSB1"), QStringLiteral("1-2"), QByteArray()));
    QVERIFY(touch(machine.node(QStringLiteral("ttyUSB0"))));
    QVERIFY(touch(machine.node(QStringLiteral("ttyUSB1"))));
    QVERIFY(touch(machine.node(QStringLiteral("ttyS0"))));
    DeviceWatcher watcher;
    watcher.setSystemFolders(machine.sysClassTty, machine.devDir);

    QCOMPARE(watcher.usbIdentity(machine.node(QStringLiteral("ttyUSB0"))), QStringLiteral("0403:6001:A5XK3RJT"));
    // Through a link of the user's as well.
    const QString link = machine.root.filePath(QStringLiteral("board"));
    QVERIFY(QFile::link(machine.node(QStringLiteral("ttyUSB0")), link));
    QCOMPARE(watcher.usbIdentity(link), QStringLiteral("0403:6001:A5XK3RJT"));
    // Without a serial number two adapters of a kind cannot be told apart; not a USB device; gone.
    QCOMPARE(watcher.usbIdentity(machine.node(QStringLiteral("ttyUSB1"))), QString());
    QCOMPARE(watcher.usbIdentity(machine.node(QStringLiteral("ttyS0"))), QString());
    QCOMPARE(watcher.usbIdentity(machine.node(QStringLiteral("ttyUSB7"))), QString());
}

void DeviceWatcherTest::usbAdapter_underANewName_isReported()
{
    FakeMachine machine;
    DeviceWatcher watcher;
    watcher.setSystemFolders(machine.sysClassTty, machine.devDir);
    QSignalSpy spy(&watcher, &DeviceWatcher::appeared);
    // ttyUSB0 was pulled out; the system numbers what comes next anew.
    QVERIFY(watcher.watch(machine.node(QStringLiteral("ttyUSB0")), QStringLiteral("0403:6001:A5XK3RJT")));

    // Another adapter of the same kind is not it.
    QVERIFY(machine.addUsbTty(QStringLiteral("ttyUSB1"), QStringLiteral("1-2"), "FT0001"));
    QVERIFY(touch(machine.node(QStringLiteral("ttyUSB1"))));
    QVERIFY(machine.addUsbTty(QStringLiteral("ttyUSB2"), QStringLiteral("1-3"), "A5XK3RJT"));
    QVERIFY(touch(machine.node(QStringLiteral("ttyUSB2"))));
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), machine.node(QStringLiteral("ttyUSB2")));
}

void DeviceWatcherTest::waiting_sleepsUntilTheKernelTells()
{
    QTemporaryDir dir;
    DeviceWatcher watcher;
    QSignalSpy spy(&watcher, &DeviceWatcher::appeared);
    const QString path = dir.filePath(QStringLiteral("ttyBoard"));
    QVERIFY(watcher.watch(path, QString()));

    // Half a second of waiting costs next to nothing; a loop looking for the device would spend it all.
    const double before = processCpuSeconds();
    QTest::qWait(500);
    const double spent = processCpuSeconds() - before;
    QVERIFY2(spent < 0.05, qPrintable(QString::number(spent)));
    QCOMPARE(spy.size(), 0);

    QVERIFY(touch(path));
    QTRY_COMPARE(spy.size(), 1);
}

QTEST_GUILESS_MAIN(DeviceWatcherTest)
#include "tst_devicewatcher.moc"
