#include "update/ByteSize.h"

namespace {

// n / unit in hundredths, rounded half to even, computed exactly: floating point cannot tell an exact
// half from a value a hair beside it.
qint64 roundedHundredths(qint64 n, qint64 unit)
{
    const qint64 whole = n / unit;
    const qint64 scaled = (n % unit) * 100; // below 100 * 2^30, no overflow
    qint64 hundredths = whole * 100 + scaled / unit;
    const qint64 twiceRest = (scaled % unit) * 2;
    if (twiceRest > unit || (twiceRest == unit && hundredths % 2 != 0))
        ++hundredths;
    return hundredths;
}

QString decimalText(qint64 hundredths, const QLocale& locale)
{
    QString text = QString::number(hundredths / 100);
    const int fraction = int(hundredths % 100);
    if (fraction == 0)
        return text;
    text += locale.decimalPoint();
    text += QLatin1Char(char('0' + fraction / 10));
    if (fraction % 10 != 0)
        text += QLatin1Char(char('0' + fraction % 10));
    return text;
}

} // namespace

QString FormatByteSize(qint64 n, const QLocale& locale)
{
    constexpr qint64 KB = 1024;
    constexpr qint64 MB = KB * 1024;
    constexpr qint64 GB = MB * 1024;
    if (n == -1)
        return QStringLiteral("Fehler");
    if (n < KB)
        return QString::number(n) + QStringLiteral(" Byte");
    if (n < MB)
        return decimalText(roundedHundredths(n, KB), locale) + QStringLiteral(" KB");
    if (n < GB)
        return decimalText(roundedHundredths(n, MB), locale) + QStringLiteral(" MB");
    return decimalText(roundedHundredths(n, GB), locale) + QStringLiteral(" GB");
}
