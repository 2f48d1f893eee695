// The program's pictures: every drawing is rendered at every button size, a disabled button looks
// disabled whatever the style, the program's own commands never take a theme's picture, and the
// application icon comes at the sizes a desktop asks for.

#include "platform/Icons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>

class IconsTest : public QObject {
    Q_OBJECT

private slots:
    void everyDrawing_isRenderedAtEveryButtonSize();
    void disabledLook_isGreyLightAndHalfTransparent();
    void ownPicture_carriesItsDisabledLook();
    void names_fallBackToOwnDrawingOrNothing();
    void applicationIcon_atDesktopSizes();
};

// The drawings in the source folder, not the compiled list: a drawing added without rendering it fails.
static QStringList drawings()
{
    QStringList names;
    for (const QFileInfo& svg : QDir(QStringLiteral(TALOMA_ICON_DIR)).entryInfoList({"*.svg"}, QDir::Files))
        names.append(svg.completeBaseName());
    return names;
}

void IconsTest::everyDrawing_isRenderedAtEveryButtonSize()
{
    const QStringList names = drawings();
    QVERIFY(names.size() >= 20);
    for (const QString& name : names) {
        for (int size : {16, 20, 24, 32, 48}) {
            const QImage picture(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size));
            QVERIFY2(!picture.isNull(), qPrintable(QStringLiteral("%1 at %2").arg(name).arg(size)));
            QCOMPARE(picture.size(), QSize(size, size));
            QVERIFY2(picture.hasAlphaChannel(), qPrintable(name));
        }
    }
}

void IconsTest::disabledLook_isGreyLightAndHalfTransparent()
{
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(0, 0, 0, 255));       // an outline
    picture.setPixel(1, 0, qRgba(204, 0, 0, 255));     // a red mark
    picture.setPixel(2, 0, qRgba(255, 255, 255, 0));   // the transparent background
    const QImage look = Icons::disabledLook(picture);
    const QRgb outline = look.pixel(0, 0);
    const QRgb mark = look.pixel(1, 0);
    // No colour is left, and black turns mid grey rather than staying a strong contrast.
    for (QRgb p : {outline, mark})
        QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
    QVERIFY(qRed(outline) >= 100);
    QVERIFY(qRed(mark) > qRed(outline));
    QVERIFY(qAlpha(outline) < 128 && qAlpha(outline) > 64);
    QCOMPARE(qAlpha(look.pixel(2, 0)), 0);
}

void IconsTest::ownPicture_carriesItsDisabledLook()
{
    const QIcon icon = Icons::own(QStringLiteral("taloma-port-open"));
    QVERIFY(!icon.isNull());
    for (int size : {16, 20, 24}) {
        const QImage normal = icon.pixmap(size, size, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled =
            icon.pixmap(size, size, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(disabled.size(), QSize(size, size));
        bool coloured = false;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb n = normal.pixel(x, y);
                const QRgb d = disabled.pixel(x, y);
                coloured = coloured || (qAlpha(n) == 255 && qGreen(n) > qRed(n) + 40); // the green socket
                // Grey (give or take the rounding of premultiplied pixels) and fainter than the picture.
                QVERIFY(qAbs(qRed(d) - qGreen(d)) <= 2 && qAbs(qGreen(d) - qBlue(d)) <= 2);
                QVERIFY(qAlpha(d) <= qAlpha(n) / 2 + 1);
            }
        }
        QVERIFY(coloured);
    }
}

void IconsTest::names_fallBackToOwnDrawingOrNothing()
{
    // A name the theme lacks shows the program's drawing of that name.
    QVERIFY(!Icons::named(QStringLiteral("document-close")).isNull());
    QVERIFY(!Icons::named(QStringLiteral("edit-select-all")).isNull());
    // The program's own commands use its own drawing even under a theme that knows the name.
    const QIcon own = Icons::named(QStringLiteral("taloma-sort"));
    QVERIFY(own.name().isEmpty());
    QCOMPARE(own.pixmap(24).toImage(), Icons::own(QStringLiteral("taloma-sort")).pixmap(24).toImage());
    QVERIFY(Icons::named(QStringLiteral("no-such-picture-anywhere")).isNull());
    QVERIFY(Icons::own(QStringLiteral("no-such-picture-anywhere")).isNull());
}

void IconsTest::applicationIcon_atDesktopSizes()
{
    const QIcon icon = Icons::application();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    // The installed files the desktop reads beside the scalable drawing.
    for (const char* file : {"taloma-terminal.svg", "taloma-terminal-48.png", "taloma-terminal-256.png"})
        QVERIFY2(QFileInfo::exists(QStringLiteral(TALOMA_ICON_DIR "/") + QLatin1String(file)), file);
    QCOMPARE(QImage(QStringLiteral(TALOMA_ICON_DIR "/taloma-terminal-256.png")).size(), QSize(256, 256));
}

QTEST_MAIN(IconsTest)
#include "tst_icons.moc"
