#include "TfrmHallo.h"

#include "platform/JpegImage.h"
#include "platform/Version.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

TfrmHallo::TfrmHallo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen)
{
    setObjectName(QStringLiteral("frmHallo"));
    setWindowTitle(QStringLiteral("Begrüssungs-Bildschirm"));
    setFixedSize(449, 381);
    setStyleSheet(QStringLiteral("TfrmHallo { background: white; border: 1px solid #808080; }"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(10, 10, 137, 361);
    Image1->setScaledContents(true);

    auto label = [this](const QString& text, int y, int pixelSize, bool bold) {
        auto* l = new QLabel(text, this);
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        f.setBold(bold);
        l->setFont(f);
        l->setGeometry(165, y, 275, pixelSize + 12);
        return l;
    };
    label(QStringLiteral("ZUV"), 16, 30, true);
    label(QStringLiteral("8052 - ZU - RADUZ"), 60, 20, true);
    label(QStringLiteral("Taloma-Terminal"), 96, 24, true);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(165, 140, 270, 4);
    lblVersion = label(QString(), 152, 13, false);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    label(QStringLiteral("ZUV Mikrocontroller-Systeme"), 268, 12, false);
    label(QStringLiteral("Am Werkhof 12"), 288, 12, false);
    label(QStringLiteral("D-12345 Musterstadt"), 308, 12, false);
    label(QStringLiteral("Tel. 01234 / 56 78 90"), 328, 12, false);

    FormCreate();
}

void TfrmHallo::FormCreate()
{
    QFile picture(QStringLiteral(":/splash.jpg"));
    if (picture.open(QIODevice::ReadOnly)) {
        const QImage image = decodeJpeg(picture.readAll());
        if (!image.isNull())
            Image1->setPixmap(QPixmap::fromImage(image));
    }
    lblVersion->setText(QStringLiteral("Version: ") + versionText());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
