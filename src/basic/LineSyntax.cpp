#include "basic/LineSyntax.h"

#include "platform/Errors.h"

#include <limits>

namespace {

constexpr QChar Space = QLatin1Char(' ');

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QString FirstWord(const QString& line)
{
    const qsizetype space = line.indexOf(Space);
    return space < 0 ? line : line.left(space);
}

bool TryStrToInt(const QString& text, qint32& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == Space)
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false; // a sign or prefix without digits, or nothing at all

    // The magnitude may reach 2^31 only for a negative value; accumulate in 64 bits and stop early so
    // that any number of leading zeros stays fine and no digit string can overflow.
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1 : std::numeric_limits<qint32>::max();
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const int digit = base == 16 ? hexValue(text.at(i)) : (IsDigit(text.at(i)) ? text.at(i).unicode() - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    value = qint32(negative ? -magnitude : magnitude);
    return true;
}

qint32 StrToInt(const QString& text)
{
    qint32 value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(ConvertErrorText(text));
    return value;
}

QString ConvertErrorText(const QString& text)
{
    // Concatenated rather than formatted with arg(), so that a "%1" inside the offending text stays as it is.
    return QLatin1Char('\'') + text + QStringLiteral("' ist kein gültiger Integerwert");
}

qint32 LineNumber(const QString& line) { return StrToInt(FirstWord(line)); }

bool IsInteger(const QString& text)
{
    qint32 ignored = 0;
    return TryStrToInt(text, ignored);
}

bool IsDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == Space)
        ++first;
    while (last > first && text.at(last - 1) == Space)
        --last;
    return first == 0 && last == text.size() ? text : text.mid(first, last - first);
}

QString TrimLeadingSpaces(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == Space)
        ++first;
    return first == 0 ? text : text.mid(first);
}

QString LowerAscii(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return result;
}
