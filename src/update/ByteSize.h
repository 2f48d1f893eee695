#pragma once

#include <QLocale>
#include <QString>

// A byte count as the download shows it: "500 Byte", "40 KB", "97,66 KB", "1,5 MB", "2 GB"; "Fehler" for
// -1. Kilo-, mega- and gigabytes are rounded to two decimals, an exact half to the even neighbour, and
// written without trailing zeros, with the locale's decimal separator.
QString FormatByteSize(qint64 n, const QLocale& locale = QLocale());
