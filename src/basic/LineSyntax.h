#pragma once

#include <QString>
#include <QtGlobal>

// How the line-number tools read numbers from program text and from dialog boxes, and the small text
// operations they share. Only the space character (code 32) separates and is trimmed: a tab is an
// ordinary character, so "10<tab>PRINT" has no usable line number.

// The characters up to, not including, the first space; the whole text when it holds none.
QString FirstWord(const QString& line);

// The integer conversion used for every number the tools read. Accepted: leading spaces, an optional
// sign, then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", ending right after
// the last digit, with a value inside the signed 32-bit range. Anything else throws EConvertError with
// "'<text>' ist kein gültiger Integerwert".
qint32 StrToInt(const QString& text);

// The conversion without the exception; false (and value untouched) where StrToInt would throw.
bool TryStrToInt(const QString& text, qint32& value);

// The conversion error's text for a given offending text.
QString ConvertErrorText(const QString& text);

// The line number of a program line: its first word, converted (throws EConvertError).
qint32 LineNumber(const QString& line);

bool IsInteger(const QString& text);
bool IsDigit(QChar c);

// Without leading and trailing spaces (code 32 only).
QString TrimSpaces(const QString& text);
// Without leading spaces (code 32 only).
QString TrimLeadingSpaces(const QString& text);

// Only the ASCII capitals A to Z become small letters; umlauts and other letters stay as they are.
QString LowerAscii(const QString& text);
