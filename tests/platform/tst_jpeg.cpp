#include "platform/JpegImage.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

namespace {

// Four quadrants: red, green, blue, white.
const QRgb Quadrants[4] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(20, 40, 210), qRgb(250, 250, 250)};

QByteArray jpegOf(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "JPG", 95) ? data : QByteArray();
}

QByteArray quadrantPicture()
{
    QImage image(64, 48, QImage::Format_RGB32);
    QPainter p(&image);
    for (int q = 0; q < 4; ++q)
        p.fillRect(q % 2 * 32, q / 2 * 24, 32, 24, QColor(Quadrants[q]));
    return jpegOf(image);
}

} // namespace

class JpegTest : public QObject {
    Q_OBJECT

private slots:
    void colourAndGrayPictures_decodeToTheirPixels();
    void truncatedPicture_givesNullAtEveryLength();
    void foreignData_givesNull();
    void splashPicture_isBuiltIn();
};

void JpegTest::colourAndGrayPictures_decodeToTheirPixels()
{
    const QImage colour = decodeJpeg(quadrantPicture());
    QCOMPARE(colour.size(), QSize(64, 48));
    QCOMPARE(colour.format(), QImage::Format_RGB32);
    for (int q = 0; q < 4; ++q) {
        const QRgb got = colour.pixel(q % 2 * 32 + 16, q / 2 * 24 + 12);
        QVERIFY2(qAbs(qRed(got) - qRed(Quadrants[q])) < 16 && qAbs(qGreen(got) - qGreen(Quadrants[q])) < 16 &&
                     qAbs(qBlue(got) - qBlue(Quadrants[q])) < 16,
                 qPrintable(QString::number(got, 16)));
    }

    QImage ramp(100, 40, QImage::Format_Grayscale8);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            ramp.scanLine(y)[x] = uchar(x * 255 / 99);
    const QImage gray = decodeJpeg(jpegOf(ramp));
    QCOMPARE(gray.format(), QImage::Format_Grayscale8);
    QCOMPARE(gray.size(), QSize(100, 40));
    for (int x : {5, 50, 95})
        QVERIFY(qAbs(int(gray.constScanLine(20)[x]) - x * 255 / 99) < 8);
}

void JpegTest::truncatedPicture_givesNullAtEveryLength()
{
    // libjpeg itself would fill a cut-off picture with grey; we want no picture instead.
    const QByteArray whole = quadrantPicture();
    QVERIFY(!decodeJpeg(whole).isNull());
    for (qsizetype length = 0; length < whole.size(); ++length)
        QVERIFY2(decodeJpeg(whole.left(length)).isNull(), qPrintable(QString::number(length)));
}

void JpegTest::foreignData_givesNull()
{
    QVERIFY(decodeJpeg("\x89PNG\r\n\x1a\n not a jpeg at all").isNull());
    QVERIFY(decodeJpeg(QByteArray("\xff\xd8\xff\xe0") + QByteArray(500, '\xff')).isNull());
    QByteArray badMarker = quadrantPicture();
    badMarker[1] = '\x00'; // the start-of-image marker
    QVERIFY(decodeJpeg(badMarker).isNull());
}

void JpegTest::splashPicture_isBuiltIn()
{
    QCOMPARE(loadJpeg(QStringLiteral(":/splash.jpg")).size(), QSize(137, 361));
    QVERIFY(loadJpeg(QStringLiteral(":/no-such-picture.jpg")).isNull());
}

QTEST_GUILESS_MAIN(JpegTest)
#include "tst_jpeg.moc"
