#include "serial/SerTypes.h"

#include <cstring>

QString SerSystemErrorText(int errorCode)
{
    char buffer[256];
    // The GNU variant returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(errorCode, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QString SerFormatError(const QString& format, int errorCode)
{
    QString out;
    out.reserve(format.size() + 48);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'%' && i + 1 < format.size()) {
            const QChar next = format[i + 1];
            if (next == u'd') {
                out += QString::number(errorCode);
                ++i;
                continue;
            }
            if (next == u's') {
                out += SerSystemErrorText(errorCode);
                ++i;
                continue;
            }
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}
