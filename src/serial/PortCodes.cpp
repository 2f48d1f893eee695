#include "serial/PortCodes.h"

#include "serial/SerComm.h"

namespace PortCodes {

std::optional<TSerBaudrate> Baudrate(int code)
{
    static constexpr TSerBaudrate kRates[] = {br110,  br300,  br600,   br1200,  br2400,
                                              br4800, br9600, br14400, br19200, br38400};
    if (code >= 1 && code <= 10)
        return kRates[code - 1];
    if (code == 12)
        return br57600;
    if (code == 13)
        return br115200;
    return std::nullopt;
}

std::optional<TSerDatabits> Databits(int code)
{
    if (code >= 1 && code <= 5)
        return TSerDatabits(code - 1);
    return std::nullopt;
}

std::optional<TSerParity> Parity(int code)
{
    if (code >= 1 && code <= 5)
        return TSerParity(code - 1);
    return std::nullopt;
}

std::optional<TSerStopbits> Stopbits(int code)
{
    if (code >= 1 && code <= 3)
        return TSerStopbits(code - 1);
    return std::nullopt;
}

QString BaudText(int code)
{
    static const char* const kTexts[] = {"110",  "300",  "600",   "1200",  "2400",
                                         "4800", "9600", "14400", "19200", "38400"};
    if (code >= 1 && code <= 10)
        return QString::fromLatin1(kTexts[code - 1]);
    if (code == 12)
        return QStringLiteral("57600");
    if (code == 13)
        return QStringLiteral("115200");
    return {};
}

QString DataBitsChar(int code)
{
    return code >= 1 && code <= 5 ? QString::number(code + 3) : QString();
}

QString ParityChar(int code)
{
    return code >= 1 && code <= 5 ? QString(QLatin1Char("NOEMS"[code - 1])) : QString();
}

QString StopBitsText(int code)
{
    static const char* const kTexts[] = {"1", "1.5", "2"};
    return code >= 1 && code <= 3 ? QString::fromLatin1(kTexts[code - 1]) : QString();
}

QString LineParameterText(const QString& baud, const QString& dataBits, const QString& parity, const QString& stopBits)
{
    return baud + u',' + dataBits + u',' + parity + u',' + stopBits;
}

QString LineParameterText(int baudCode, int dataCode, int parityCode, int stopCode)
{
    return LineParameterText(BaudText(baudCode), DataBitsChar(dataCode), ParityChar(parityCode),
                             StopBitsText(stopCode));
}

void ApplyPortCodes(TSerComm& comm, int comPort, int comBaudrate, int comDatenbits, int comParity, int comStopbits)
{
    if (comPort >= 1)
        comm.SetPortNum(comPort);
    if (const auto value = Baudrate(comBaudrate))
        comm.SetBaudrate(*value);
    if (const auto value = Databits(comDatenbits))
        comm.SetDatabits(*value);
    if (const auto value = Stopbits(comStopbits))
        comm.SetStopbits(*value);
    if (const auto value = Parity(comParity))
        comm.SetParity(*value);
}

QString HandshakeText(int language)
{
    return language == 1 ? QStringLiteral("Kein Handshake") : QStringLiteral("No Handshake");
}

} // namespace PortCodes
