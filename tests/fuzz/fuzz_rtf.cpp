// The RTF reader on arbitrary bytes (it must never fail, whatever it is given), and the writer and
// reader together: any text, written as RTF in any font and read back, is the same text.
#include "FuzzCheck.h"

#include "editor/Rtf.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // QFont needs the application object; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)rtfToPlainText(bytes);

    // The same bytes as a text of UTF-16 units (broken surrogates included) and, up to the first
    // zero unit, as a font family name.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t k = 0; k + 1 < size; k += 2)
        text[qsizetype(k / 2)] = QChar(char16_t(data[k] | data[k + 1] << 8));
    const qsizetype zero = text.indexOf(QChar(u'\0'));
    QFont font(zero < 0 ? QString() : text.left(zero), size > 0 ? 1 + data[0] % 40 : 11);
    font.setBold(size > 1 && (data[1] & 1));
    font.setItalic(size > 1 && (data[1] & 2));
    const QColor color = size > 2 && (data[2] & 1) ? QColor() : QColor(qRgb(data[0], 0x40, 0x80));

    const QString back = rtfToPlainText(plainTextToRtf(text, font, color));
    FUZZ_CHECK(back == text, "the text read back from its RTF differs");
    return 0;
}
