// The port layer's pieces without a device: settings groups, the line-parameter codes, message
// formats, the transmit buffer, the input queue, the device map and the port list.

#include "PtyPair.h"
#include "serial/PortCodes.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "serial/SerialPortList.h"
#include "serial/SerInputQueue.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A stand-in for /sys/class/tty: one folder per terminal, with a "device" entry for those backed by
// hardware and a "type" file for serial-core ports.
void addTty(const QString& root, const QString& name, bool device, int uartType = -1)
{
    QDir(root).mkpath(name);
    if (device)
        QDir(root).mkpath(name + QStringLiteral("/device"));
    if (uartType >= 0) {
        QFile type(root + u'/' + name + QStringLiteral("/type"));
        QVERIFY(type.open(QIODevice::WriteOnly));
        type.write(QByteArray::number(uartType) + '\n');
    }
}

QStringList paths(const PortMap& map)
{
    QStringList out;
    for (const PortMap::Entry& e : map.Entries())
        out.append(QStringLiteral("COM%1=%2").arg(e.number).arg(e.path));
    return out;
}

void clearPortEnvironment()
{
    for (int n = 1; n <= 4; ++n)
        qunsetenv(QByteArray("TALOMA_COM" + QByteArray::number(n)).constData());
}

} // namespace

class SerSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void groups_updateFoldsNotifications();
    void groups_assign_copiesOnceAndOnlyFromSameClass();
    void component_ownsItsGroups();

    void codes_data();
    void codes();
    void lineParameterText_data();
    void lineParameterText();
    void applyPortCodes_setsKnownCodesAndKeepsOthers();

    void formatError_fillsCodeTextAndPercent();

    void inputQueue_boundedOrderedAndAnnouncedOnce();
    void inputQueue_rulesAndLoss();

    void portMap_discoveryOrder();
    void portMap_overrides();
    void portMap_unusablePaths_reportedOnceAndIgnored();
    void devicePath_namesPathsAndUnmapped();
    void portList_eightSlotsFromNineDevices();
    void portList_withoutKey_staysEmpty();
};

void SerSettingsTest::groups_updateFoldsNotifications()
{
    TSerBuffers buffers;
    int notified = 0;
    buffers.SetOnChange([&] { ++notified; });

    buffers.SetReadSize(4096); // unchanged: nobody is told
    QCOMPARE(notified, 0);
    buffers.SetReadSize(100);
    QCOMPARE(notified, 1);
    buffers.SetWriteTimeout(5); // a plain value
    QCOMPARE(notified, 1);

    buffers.BeginUpdate();
    buffers.BeginUpdate();
    buffers.SetXonLimit(1);
    buffers.SetXoffLimit(2);
    buffers.EndUpdate();
    QCOMPARE(notified, 1);
    buffers.EndUpdate();
    QCOMPARE(notified, 2);
    QCOMPARE(buffers.UpdateCount(), 0);
    buffers.EndUpdate(); // not below 0, and it still reports
    QCOMPARE(buffers.UpdateCount(), 0);
    QCOMPARE(notified, 3);
}

void SerSettingsTest::groups_assign_copiesOnceAndOnlyFromSameClass()
{
    TSerFlowControl target;
    int notified = 0;
    target.SetOnChange([&] { ++notified; });
    TSerFlowControl source;
    source.SetOutCtsFlow(true);
    source.SetControlDtr(dtrEnabled);
    source.SetControlRts(rtsToggle);
    source.SetTxContinueOnXoff(true);
    target.Assign(source);
    QCOMPARE(notified, 1);
    QVERIFY(target.OutCtsFlow());
    QCOMPARE(target.ControlDtr(), dtrEnabled);
    QCOMPARE(target.ControlRts(), rtsToggle);
    QVERIFY(target.TxContinueOnXoff());
    QVERIFY(!target.XonXoffIn());

    TSerBuffers other;
    try {
        target.Assign(other);
        QFAIL("assigning another class must fail");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot assign a TSerBuffers to a TSerFlowControl"));
    }
    QCOMPARE(notified, 1);
    QVERIFY(target.OutCtsFlow());
}

void SerSettingsTest::component_ownsItsGroups()
{
    TSerComm comm;
    TSerBuffers mine;
    mine.SetReadSize(64);
    comm.SetBuffers(mine);
    QCOMPARE(comm.Buffers().ReadSize(), 64);
    mine.SetReadSize(128); // the component copied, it does not share
    QCOMPARE(comm.Buffers().ReadSize(), 64);
}

void SerSettingsTest::codes_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("ordinal"); // -1: no component value
    QTest::addColumn<QString>("text");

    const int bauds[] = {br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400};
    const char* baudTexts[] = {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400"};
    for (int code = 1; code <= 10; ++code)
        QTest::addRow("baud %d", code) << "baud" << code << bauds[code - 1] << baudTexts[code - 1];
    QTest::newRow("baud 11") << "baud" << 11 << -1 << "";
    QTest::newRow("baud 12") << "baud" << 12 << int(br57600) << "57600";
    QTest::newRow("baud 13") << "baud" << 13 << int(br115200) << "115200";
    QTest::newRow("baud 0") << "baud" << 0 << -1 << "";
    QTest::newRow("baud 14") << "baud" << 14 << -1 << "";
    for (int code = 1; code <= 5; ++code)
        QTest::addRow("data %d", code) << "data" << code << code - 1 << QString::number(code + 3);
    QTest::newRow("data 6") << "data" << 6 << -1 << "";
    const char* parities[] = {"N", "O", "E", "M", "S"};
    for (int code = 1; code <= 5; ++code)
        QTest::addRow("parity %d", code) << "parity" << code << code - 1 << parities[code - 1];
    QTest::newRow("parity 0") << "parity" << 0 << -1 << "";
    const char* stops[] = {"1", "1.5", "2"};
    for (int code = 1; code <= 3; ++code)
        QTest::addRow("stop %d", code) << "stop" << code << code - 1 << stops[code - 1];
    QTest::newRow("stop 4") << "stop" << 4 << -1 << "";
}

void SerSettingsTest::codes()
{
    QFETCH(QString, setting);
    QFETCH(int, code);
    QFETCH(int, ordinal);
    QFETCH(QString, text);

    std::optional<int> value;
    QString shown;
    if (setting == QLatin1String("baud")) {
        if (auto v = PortCodes::Baudrate(code))
            value = int(*v);
        shown = PortCodes::BaudText(code);
    } else if (setting == QLatin1String("data")) {
        if (auto v = PortCodes::Databits(code))
            value = int(*v);
        shown = PortCodes::DataBitsChar(code);
    } else if (setting == QLatin1String("parity")) {
        if (auto v = PortCodes::Parity(code))
            value = int(*v);
        shown = PortCodes::ParityChar(code);
    } else {
        if (auto v = PortCodes::Stopbits(code))
            value = int(*v);
        shown = PortCodes::StopBitsText(code);
    }
    QCOMPARE(value.value_or(-1), ordinal);
    QCOMPARE(shown, text);
}

void SerSettingsTest::lineParameterText_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QString>("text");
    QTest::newRow("built-in") << QList<int>{7, 5, 1, 1} << "9600,8,N,1";
    QTest::newRow("19200,7,E,2") << QList<int>{9, 4, 3, 3} << "19200,7,E,2";
    QTest::newRow("110,4,S,1.5") << QList<int>{1, 1, 5, 2} << "110,4,S,1.5";
}

void SerSettingsTest::lineParameterText()
{
    QFETCH(QList<int>, codes);
    QFETCH(QString, text);
    QCOMPARE(PortCodes::LineParameterText(codes[0], codes[1], codes[2], codes[3]), text);
}

void SerSettingsTest::applyPortCodes_setsKnownCodesAndKeepsOthers()
{
    TSerComm comm;
    PortCodes::ApplyPortCodes(comm, 3, 9, 4, 3, 3);
    QCOMPARE(comm.PortNum(), 3);
    QCOMPARE(comm.Baudrate(), br19200);
    QCOMPARE(comm.Databits(), db7);
    QCOMPARE(comm.Parity(), paEven);
    QCOMPARE(comm.Stopbits(), sb2);

    PortCodes::ApplyPortCodes(comm, 0, 11, 9, 0, 7);
    QCOMPARE(comm.PortNum(), 3);
    QCOMPARE(comm.Baudrate(), br19200);
    QCOMPARE(comm.Databits(), db7);
    QCOMPARE(comm.Parity(), paEven);
    QCOMPARE(comm.Stopbits(), sb2);
}

void SerSettingsTest::formatError_fillsCodeTextAndPercent()
{
    const QString text = QString::fromLocal8Bit(strerror(EBUSY));
    QCOMPARE(SerFormatError(QStringLiteral("Error writing dcb (%d), %s"), EBUSY),
             QStringLiteral("Error writing dcb (16), ") + text);
    QCOMPARE(SerFormatError(QStringLiteral("Can't open specified device /dev/100%% (Error %d, %s)"), EBUSY),
             QStringLiteral("Can't open specified device /dev/100% (Error 16, ") + text + u')');
    QCOMPARE(SerFormatError(QStringLiteral("50% off"), 1), QStringLiteral("50% off"));
}

void SerSettingsTest::inputQueue_boundedOrderedAndAnnouncedOnce()
{
    int fds[2];
    QCOMPARE(::pipe2(fds, O_NONBLOCK), 0);
    SerInputQueue queue;
    queue.Reset(10);
    const QByteArray bytes("0123456789abcdefghijklmno");
    QCOMPARE(::write(fds[1], bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));

    SerInputQueue::Pull pull = queue.PullFrom(fds[0]);
    QCOMPARE(pull.added, 10);
    QVERIFY(pull.nearlyFull);
    QVERIFY(queue.Full());
    QVERIFY(queue.TakeUnannounced());
    QVERIFY(!queue.TakeUnannounced());

    // Around the end of the ring and back, in order; a full queue says so once it is read.
    QByteArray out;
    uint8_t part[8];
    bool wasFull = false;
    for (int round = 0; round < 4; ++round) {
        const int n = queue.Take(part, 7, wasFull);
        QCOMPARE(wasFull, round < 3);
        out.append(reinterpret_cast<const char*>(part), n);
        queue.PullFrom(fds[0]);
    }
    out.append(reinterpret_cast<const char*>(part), queue.Take(part, 8, wasFull));
    QCOMPARE(out, bytes);

    QCOMPARE(::write(fds[1], "xy", 2), ssize_t(2));
    queue.PullFrom(fds[0]);
    QCOMPARE(queue.CountAndAnnounce(), 2);
    QVERIFY(!queue.TakeUnannounced());
    ::close(fds[0]);
    ::close(fds[1]);
}

void SerSettingsTest::inputQueue_rulesAndLoss()
{
    int fds[2];
    QCOMPARE(::pipe2(fds, O_NONBLOCK), 0);
    SerInputQueue queue;
    queue.Reset(100000);
    queue.SetRules(true, '!');
    const QByteArray bytes("a\0b\0c!", 6);
    QCOMPARE(::write(fds[1], bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    SerInputQueue::Pull pull = queue.PullFrom(fds[0]);
    QCOMPARE(pull.added, 4);
    QVERIFY(pull.eventChar);
    QVERIFY(!pull.nearlyFull);
    QVERIFY(!pull.lost);
    uint8_t out[8];
    bool wasFull;
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), queue.Take(out, 8, wasFull)), QByteArray("abc!"));

    // Nothing waiting is not a loss; the far end gone is.
    pull = queue.PullFrom(fds[0]);
    QVERIFY(!pull.lost);
    ::close(fds[1]);
    pull = queue.PullFrom(fds[0]);
    QVERIFY(pull.lost);
    QCOMPARE(pull.error, EIO);
    ::close(fds[0]);
}

void SerSettingsTest::portMap_discoveryOrder()
{
    QTemporaryDir sys;
    addTty(sys.path(), QStringLiteral("console"), false);
    addTty(sys.path(), QStringLiteral("ptmx"), false);
    addTty(sys.path(), QStringLiteral("tty0"), false);
    addTty(sys.path(), QStringLiteral("tty12"), false);
    addTty(sys.path(), QStringLiteral("ttyS0"), true, 4);
    addTty(sys.path(), QStringLiteral("ttyS1"), true, 0); // no UART behind it
    addTty(sys.path(), QStringLiteral("ttyS2"), true);    // no type at all
    addTty(sys.path(), QStringLiteral("ttyS10"), true, 4);
    addTty(sys.path(), QStringLiteral("ttyUSB10"), true);
    addTty(sys.path(), QStringLiteral("ttyUSB2"), true);
    addTty(sys.path(), QStringLiteral("ttyACM0"), true);
    addTty(sys.path(), QStringLiteral("ttyAMA0"), true);
    addTty(sys.path(), QStringLiteral("ttyUSB3"), false); // gone, folder left behind
    QCOMPARE(
        PortMap::DiscoverDevices(sys.path(), QStringLiteral("/dev")),
        (QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyS10"}));
}

void SerSettingsTest::portMap_overrides()
{
    clearPortEnvironment();
    QTemporaryDir sys;
    addTty(sys.path(), QStringLiteral("ttyUSB0"), true);
    addTty(sys.path(), QStringLiteral("ttyUSB1"), true);
    addTty(sys.path(), QStringLiteral("ttyS0"), true, 4);
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("ports.conf"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("# my ports\n"
              "\n"
              "COM2 = /dev/ttyUSB0\n" // takes the device discovery gave COM1
              "com4=/dev/serial/by-id/board\n"
              "COM3=\n" // no COM3
              "nonsense\n"
              "LPT1=/dev/lp0\n");
    out.close();

    PortMap map;
    map.Load(sys.path(), QStringLiteral("/dev"), file);
    QCOMPARE(paths(map), (QStringList{"COM2=/dev/ttyUSB0", "COM4=/dev/serial/by-id/board"}));
    QCOMPARE(map.Problems(), (QStringList{"ports.conf:6: nonsense", "ports.conf:7: LPT1=/dev/lp0"}));
    QCOMPARE(map.PathFor(QStringLiteral("com2")), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(map.PathFor(QStringLiteral("COM3")), QString());
    QCOMPARE(map.PathFor(QStringLiteral("COM")), QString());

    // The environment wins over the file, and an empty value takes a port away.
    qputenv("TALOMA_COM1", "/dev/pts/7");
    qputenv("TALOMA_COM4", "");
    qputenv("TALOMA_COM3", "/dev/ttyS0");
    map.Load(sys.path(), QStringLiteral("/dev"), file);
    QCOMPARE(paths(map), (QStringList{"COM1=/dev/pts/7", "COM2=/dev/ttyUSB0", "COM3=/dev/ttyS0"}));
    clearPortEnvironment();

    // Without overrides, discovery numbers the ports from COM1.
    map.Load(sys.path(), QStringLiteral("/dev"), QString());
    QCOMPARE(paths(map), (QStringList{"COM1=/dev/ttyUSB0", "COM2=/dev/ttyUSB1", "COM3=/dev/ttyS0"}));
}

void SerSettingsTest::portMap_unusablePaths_reportedOnceAndIgnored()
{
    clearPortEnvironment();
    SettingsStore::resetForTests();
    ScriptedPrompts prompts;
    QTemporaryDir sys;
    addTty(sys.path(), QStringLiteral("ttyUSB0"), true);
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("ports.conf"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("COM2=/dev/serial/by-id/usb\tboard\n"
              "COM2=/dev/pts/3\n" // a later good line still counts
              "COM3=/dev/" + QByteArray(16384, 'x') + "\n"
              "COM4=/dev/ttyACM0\n");
    out.close();
    qputenv("TALOMA_COM1", "/dev/pts/\x01");

    PortMap map;
    map.Load(sys.path(), QStringLiteral("/dev"), file);
    clearPortEnvironment();
    QCOMPARE(paths(map), (QStringList{"COM1=/dev/ttyUSB0", "COM2=/dev/pts/3", "COM4=/dev/ttyACM0"}));
    QCOMPARE(map.Problems().size(), 3);
    QVERIFY2(map.Problems()[0].startsWith(QStringLiteral("ports.conf:1: ")), qPrintable(map.Problems()[0]));
    QVERIFY(map.Problems()[1].startsWith(QStringLiteral("ports.conf:3: ")));
    QVERIFY(map.Problems()[2].startsWith(QStringLiteral("TALOMA_COM1")));

    // The port list takes what is left, and the user hears of the rest once, in one warning.
    PublishSerialPorts(map);
    ReadSerialPortNames();
    QCOMPARE(SerialPortNames[1], QStringLiteral("COM2"));
    QVERIFY(prompts.shown.isEmpty());
    map.ReportProblemsOnce();
    map.ReportProblemsOnce();
    const QStringList warnings = prompts.texts(QStringLiteral("warning"));
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(QStringLiteral("ports.conf:3: ")));
    QVERIFY(warnings.first().contains(QStringLiteral("TALOMA_COM1")));
    QVERIFY2(warnings.first().size() < 2000, "a long path is shortened in the warning");
    QCOMPARE(prompts.shown.size(), 1);
}

void SerSettingsTest::devicePath_namesPathsAndUnmapped()
{
    pointPort(2, QStringLiteral("/dev/pts/42"));
    TSerComm comm;
    comm.SetPortNum(2);
    QCOMPARE(comm.DevicePath(), QStringLiteral("/dev/pts/42"));
    comm.SetPortNum(3);
    QCOMPARE(comm.DevicePath(), QStringLiteral("COM3"));
    comm.SetDeviceName(QStringLiteral("/dev/ttyUSB%d"));
    QCOMPARE(comm.DevicePath(), QStringLiteral("/dev/ttyUSB3"));
    clearPortEnvironment();
}

void SerSettingsTest::portList_eightSlotsFromNineDevices()
{
    clearPortEnvironment();
    SettingsStore::resetForTests();
    QTemporaryDir sys;
    for (int i = 0; i < 9; ++i)
        addTty(sys.path(), QStringLiteral("ttyUSB%1").arg(i), true);
    PortMap map;
    map.Load(sys.path(), QStringLiteral("/dev"), QString());
    QCOMPARE(map.Entries().size(), 9);
    PublishSerialPorts(map);
    ReadSerialPortNames();
    for (int i = 0; i < 8; ++i)
        QCOMPARE(SerialPortNames[size_t(i)], QStringLiteral("COM%1").arg(i + 1));

    // The key lists device paths as value names, in port order.
    TRegistry reg(Hive::LocalMachine);
    QVERIFY(reg.OpenKeyReadOnly(QStringLiteral("\\hardware\\devicemap\\serialcomm")));
    QCOMPARE(reg.GetValueNames().value(0), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(reg.GetValueNames().size(), 9);
    QCOMPARE(reg.ReadString(QStringLiteral("/dev/ttyUSB8")), QStringLiteral("COM9"));
}

void SerSettingsTest::portList_withoutKey_staysEmpty()
{
    SettingsStore::resetForTests();
    SerialPortNames[0] = QStringLiteral("stale");
    ReadSerialPortNames();
    for (const QString& slot : SerialPortNames)
        QVERIFY(slot.isEmpty());
}

QTEST_GUILESS_MAIN(SerSettingsTest)
#include "tst_sersettings.moc"
