#pragma once

#include "serial/SerTypes.h"

#include <QString>

#include <optional>

class TSerComm;

// The small integer codes under which the program keeps the port and line parameters (ComPort,
// ComBaudrate, ComDatenbits, ComParity, ComStopbits), the component values they stand for and the
// texts shown for them.
//
// ComBaudrate 1 to 10 are 110 ... 38400 baud. Settings written by older versions may hold 12 and 13,
// which the status bar shows as 57600 and 115200; they give those rates here too. Every other code
// has no value: the functions return nothing (or an empty text) and ApplyPortCodes leaves the
// property as it was.
namespace PortCodes {

std::optional<TSerBaudrate> Baudrate(int code);
std::optional<TSerDatabits> Databits(int code);
std::optional<TSerParity> Parity(int code);
std::optional<TSerStopbits> Stopbits(int code);

// "110" ... "38400" (and "57600", "115200" for 12 and 13); empty for other codes.
QString BaudText(int code);
// "4" ... "8"
QString DataBitsChar(int code);
// "N", "O", "E", "M", "S"
QString ParityChar(int code);
// "1", "1.5", "2"
QString StopBitsText(int code);

// The line-parameter text: baud, data bits, parity and stop bits joined by commas ("9600,8,N,1").
QString LineParameterText(const QString& baud, const QString& dataBits, const QString& parity, const QString& stopBits);
QString LineParameterText(int baudCode, int dataCode, int parityCode, int stopCode);

// Gives the component PortNum, Baudrate, Databits, Stopbits and Parity from the codes, in this order.
// Raises as the setters do (PortNum while the port is open).
void ApplyPortCodes(TSerComm& comm, int comPort, int comBaudrate, int comDatenbits, int comParity, int comStopbits);

// The handshake's text: the port runs without flow control ("Kein Handshake" / "No Handshake").
QString HandshakeText(int language);

} // namespace PortCodes
