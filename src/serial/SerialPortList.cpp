#include "serial/SerialPortList.h"

#include "serial/PortMap.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"

std::array<QString, 8> SerialPortNames;

namespace {
const QString kSerialCommKey = QStringLiteral("\\HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

void ReadSerialPortNames()
{
    SerialPortNames.fill(QString());
    TRegistry reg(Hive::LocalMachine);
    if (!reg.OpenKeyReadOnly(kSerialCommKey))
        return;
    const QStringList names = reg.GetValueNames();
    for (qsizetype i = 0; i < names.size() && i < qsizetype(SerialPortNames.size()); ++i)
        SerialPortNames[size_t(i)] = reg.ReadString(names[i]);
    reg.CloseKey();
}

void PublishSerialPorts(const PortMap& map)
{
    TRegistry reg(Hive::LocalMachine);
    reg.OpenKey(kSerialCommKey, true);
    for (const PortMap::Entry& entry : map.Entries())
        reg.WriteString(entry.path, QStringLiteral("COM%1").arg(entry.number));
    reg.CloseKey();
}
