#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a JPEG picture with libjpeg. Grayscale pictures give a Format_Grayscale8 image, colour
// pictures (YCbCr or RGB) a Format_RGB32 image. Anything that is not a complete, undamaged JPEG of
// those kinds gives a null image; libjpeg's errors never end the program.
QImage decodeJpeg(const QByteArray& data);

// Reads a JPEG file or Qt resource (":/splash.jpg") and decodes it; a missing file gives a null image.
// The program's own pictures are built into the library and available whenever this is linked.
QImage loadJpeg(const QString& path);
