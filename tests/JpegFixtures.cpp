#include "JpegFixtures.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <jpeglib.h>

namespace JpegFixtures {

QByteArray make(const QImage &source, Kind kind)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    switch (kind) {
    case Kind::Greyscale:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        break;
    case Kind::AdobeCmyk:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        break;
    default:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_EXT_BGRX;
        break;
    }
    jpeg_set_defaults(&cinfo);
    if (kind == Kind::AdobeCmyk)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (kind == Kind::Progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(image.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(int(cinfo.next_scanline)));
        JSAMPROW p = row.data();
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            if (kind == Kind::Greyscale) {
                row[size_t(x)] = uchar(qGray(c));
            } else if (kind == Kind::AdobeCmyk) {
                // Plain CMY with no black, stored inverted (Adobe): the
                // stored value is 255 - ink, and 255 - ink of C is red.
                unsigned char *q = &row[size_t(x) * 4];
                q[0] = uchar(qRed(c));
                q[1] = uchar(qGreen(c));
                q[2] = uchar(qBlue(c));
                q[3] = 255;
            } else {
                p = const_cast<JSAMPROW>(reinterpret_cast<const unsigned char *>(line));
                break;
            }
        }
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QImage quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            image.setPixel(x, y, !bottom ? (right ? qRgb(0, 200, 0) : qRgb(220, 0, 0))
                                         : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 210)));
        }
    return image;
}

QByteArray bmp(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace JpegFixtures
