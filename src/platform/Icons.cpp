#include "Icons.h"

#include <QFileInfo>
#include <QPixmap>

#include <initializer_list>

// The pictures are compiled into the core library; a static library needs them registered by hand.
static void initIconResource() { Q_INIT_RESOURCE(icons); }

namespace Icons {

namespace {

constexpr std::initializer_list<int> ButtonSizes{16, 20, 24, 32, 48};
constexpr std::initializer_list<int> ApplicationSizes{16, 24, 32, 48, 64, 128, 256};

QString picturePath(const QString& name, int size)
{
    return QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
}

// A desktop without a theme of its own (a bare window manager, a fresh machine) still has the common
// theme that the set-up installs; a theme the desktop names comes first.
void useCommonThemeAsFallback()
{
    static const bool done = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    (void)done;
}

} // namespace

QImage disabledLook(const QImage& picture)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            // Grey from the brightness, lifted towards white so that dark outlines turn mid grey.
            const int grey = 110 + qGray(p) * 130 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(p) * 45 / 100);
        }
    }
    return image;
}

QIcon own(const QString& name)
{
    initIconResource();
    QIcon icon;
    for (int size : ButtonSizes) {
        const QString path = picturePath(name, size);
        if (!QFileInfo::exists(path))
            continue;
        const QImage picture(path);
        icon.addPixmap(QPixmap::fromImage(picture), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(disabledLook(picture)), QIcon::Disabled);
    }
    return icon;
}

QIcon named(const QString& name)
{
    if (name.startsWith(QLatin1String("taloma-")))
        return own(name);
    useCommonThemeAsFallback();
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return own(name);
}

QIcon application()
{
    initIconResource();
    QIcon icon;
    for (int size : ApplicationSizes)
        icon.addFile(picturePath(QStringLiteral("taloma-terminal"), size), QSize(size, size));
    return icon;
}

} // namespace Icons
