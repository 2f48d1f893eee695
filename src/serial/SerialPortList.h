#pragma once

#include <QString>

#include <array>

class PortMap;

// The serial ports of the machine as the port selection offers them: eight slots holding names
// such as "COM1", filled once at start from the local machine's port list.
extern std::array<QString, 8> SerialPortNames;

// Fills SerialPortNames from the values of HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM in the
// order the key lists them; values beyond the eighth are not read. Without the key every slot stays
// empty.
void ReadSerialPortNames();

// Builds that key from the device map: one string value per port, named by the device path and
// holding "COMn", in port order. Called once at start, before ReadSerialPortNames.
void PublishSerialPorts(const PortMap& map);
