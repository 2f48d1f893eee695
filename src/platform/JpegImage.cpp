#include "platform/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

// The resource file is compiled into the static core library, where nothing would pull its
// registration into the program; registering it from here makes the pictures exist whenever
// someone can decode them.
static void registerPictures()
{
    Q_INIT_RESOURCE(taloma);
}

namespace {

struct PictureRegistration {
    PictureRegistration() { registerPictures(); }
} pictureRegistration;

// Larger pictures are refused rather than risking a huge allocation on a damaged header.
constexpr qint64 MaxPixels = qint64(64) * 1024 * 1024;

// libjpeg reports errors by calling error_exit, which by default ends the process. Ours jumps back
// into the guarded call instead.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void failDecode(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are how libjpeg reports damaged or truncated data (it would go on and fill the rest of
// the picture with grey); we want no picture then. Only harmless header oddities pass.
void onMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace output
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM)
        return;
    failDecode(cinfo);
}

void noOutput(j_common_ptr) {}

// setjmp lives alone in this frame: no C++ object and no local variable is alive across the jump.
bool guarded(ErrorManager* err, void (*work)(void*), void* context)
{
    if (setjmp(err->jump))
        return false;
    work(context);
    return true;
}

enum class Layout { Gray, Rgb };

struct Decoder {
    jpeg_decompress_struct* cinfo;
    const unsigned char* data;
    unsigned long size;
    Layout layout;
    bool ok;
    uchar* bits;
    qsizetype bytesPerLine;
};

void startDecode(void* context)
{
    auto* d = static_cast<Decoder*>(context);
    jpeg_decompress_struct* cinfo = d->cinfo;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, d->data, d->size);
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return;
    // Everything else goes to RGB; libjpeg refuses what it cannot convert (CMYK).
    d->layout = cinfo->jpeg_color_space == JCS_GRAYSCALE ? Layout::Gray : Layout::Rgb;
    cinfo->out_color_space = d->layout == Layout::Gray ? JCS_GRAYSCALE : JCS_RGB;
    if (qint64(cinfo->image_width) * cinfo->image_height > MaxPixels)
        return;
    jpeg_start_decompress(cinfo);
    const int components = d->layout == Layout::Gray ? 1 : 3;
    d->ok = cinfo->output_components == components && cinfo->output_width > 0 && cinfo->output_height > 0;
}

void readLines(void* context)
{
    auto* d = static_cast<Decoder*>(context);
    jpeg_decompress_struct* cinfo = d->cinfo;
    d->ok = false;
    JSAMPARRAY row = nullptr;
    if (d->layout != Layout::Gray)
        row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                          cinfo->output_width * cinfo->output_components, 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        uchar* line = d->bits + qsizetype(cinfo->output_scanline) * d->bytesPerLine;
        if (d->layout == Layout::Gray) {
            JSAMPROW target = line;
            if (jpeg_read_scanlines(cinfo, &target, 1) != 1)
                return;
            continue;
        }
        if (jpeg_read_scanlines(cinfo, row, 1) != 1)
            return;
        auto* pixel = reinterpret_cast<QRgb*>(line);
        const JSAMPLE* s = row[0];
        for (JDIMENSION x = 0; x < cinfo->output_width; ++x) {
            pixel[x] = qRgb(s[0], s[1], s[2]);
            s += 3;
        }
    }
    jpeg_finish_decompress(cinfo);
    d->ok = true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = failDecode;
    err.pub.emit_message = onMessage;
    err.pub.output_message = noOutput;

    Decoder d{&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
              static_cast<unsigned long>(data.size()), Layout::Rgb, false, nullptr, 0};
    QImage image;
    if (guarded(&err, startDecode, &d) && d.ok) {
        image = QImage(int(cinfo.output_width), int(cinfo.output_height),
                       d.layout == Layout::Gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        if (!image.isNull()) {
            d.bits = image.bits();
            d.bytesPerLine = image.bytesPerLine();
            if (!guarded(&err, readLines, &d) || !d.ok)
                image = QImage();
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return image;
}

QImage loadJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}
