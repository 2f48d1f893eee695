# The port component: settings groups, opening and closing a Linux serial device, the event and
# writer threads, the transmit buffer; line-parameter codes and texts; the device map and port list.
list(APPEND CORE_SOURCES
    serial/SerTypes.h serial/SerTypes.cpp
    serial/SerPersistent.h serial/SerPersistent.cpp
    serial/SerSync.h serial/SerSync.cpp
    serial/SerCommBuffer.h serial/SerCommBuffer.cpp
    serial/SerInputQueue.h serial/SerInputQueue.cpp
    serial/SerLine.h serial/SerLine.cpp
    serial/SerThreads.h serial/SerThreads.cpp
    serial/SerComm.h serial/SerComm.cpp serial/SerCommIo.cpp
    serial/PortMap.h serial/PortMap.cpp
    serial/PortCodes.h serial/PortCodes.cpp
    serial/SerialPortList.h serial/SerialPortList.cpp
    serial/PortDescription.h serial/PortDescription.cpp
    serial/DeviceWatcher.h serial/DeviceWatcher.cpp
)
