#include "JpegFixtures.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>
#include <jpeglib.h>
#include <libexif/exif-data.h>

namespace JpegFixtures {

namespace {

QByteArray encode(const QImage &source, Kind kind, const Coding &coding)
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
    if (kind == Kind::Baseline) {
        cinfo.comp_info[0].h_samp_factor = coding.lumaWide;
        cinfo.comp_info[0].v_samp_factor = coding.lumaHigh;
        for (int c = 1; c < 3; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.restart_interval = coding.restartInterval;
    cinfo.optimize_coding = coding.optimized ? TRUE : FALSE;
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

} // namespace

QByteArray make(const QImage &image, Kind kind) { return encode(image, kind, Coding()); }

QByteArray make(const QImage &image, const Coding &coding) { return encode(image, Kind::Baseline, coding); }

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

QByteArray notAPicture() { return QByteArrayLiteral("These are notes, not a picture.\n"); }

QByteArray bmp(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

namespace {

// The offset of the first marker of that code, or -1; markers are found by
// walking the segments, never inside their data.
qsizetype findMarker(const QByteArray &jpeg, uchar code)
{
    qsizetype i = 2; // after SOI
    while (i + 4 <= jpeg.size() && uchar(jpeg[i]) == 0xff) {
        const uchar marker = uchar(jpeg[i + 1]);
        if (marker == code)
            return i;
        if (marker == 0xda) // entropy data follow: no walking past them
            return -1;
        i += 2 + (uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]));
    }
    return -1;
}

// The end of the entropy data that start at from: the next marker that is
// neither a stuffed 0xff nor a restart marker.
qsizetype entropyEnd(const QByteArray &jpeg, qsizetype from)
{
    for (qsizetype i = from; i + 1 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) != 0xff)
            continue;
        const uchar next = uchar(jpeg[i + 1]);
        if (next != 0x00 && !(next >= 0xd0 && next <= 0xd7))
            return i;
    }
    return jpeg.size();
}

} // namespace

QByteArray withRepeatedScan(const QByteArray &progressive, int extra)
{
    const qsizetype sos = findMarker(progressive, 0xda);
    const qsizetype data = sos + 2 + (uchar(progressive[sos + 2]) << 8 | uchar(progressive[sos + 3]));
    const QByteArray scan = progressive.mid(sos, entropyEnd(progressive, data) - sos);
    QByteArray out = progressive.left(progressive.size() - 2); // without EOI
    for (int i = 0; i < extra; ++i)
        out += scan;
    return out + QByteArray("\xff\xd9", 2);
}

QByteArray withDeclaredSize(const QByteArray &jpeg, int width, int height)
{
    QByteArray out = jpeg;
    qsizetype sof = -1;
    for (uchar code : {uchar(0xc0), uchar(0xc1), uchar(0xc2)})
        if ((sof = findMarker(out, code)) >= 0)
            break;
    out[sof + 5] = char(height >> 8);
    out[sof + 6] = char(height & 0xff);
    out[sof + 7] = char(width >> 8);
    out[sof + 8] = char(width & 0xff);
    const qsizetype sos = findMarker(out, 0xda);
    const qsizetype data = sos + 2 + (uchar(out[sos + 2]) << 8 | uchar(out[sos + 3]));
    return out.left(data) + QByteArray("\xff\xd9", 2);
}

QByteArray withComments(const QByteArray &jpeg, int count, int size)
{
    QByteArray comments;
    for (int i = 0; i < count; ++i) {
        comments += QByteArray("\xff\xfe", 2);
        comments += char((size + 2) >> 8);
        comments += char((size + 2) & 0xff);
        comments += QByteArray(size, 'c');
    }
    return jpeg.left(2) + comments + jpeg.mid(2);
}

QByteArray tagged(const QByteArray &tag)
{
    static const QByteArray small = make(quarters(8, 8), Kind::Baseline);
    QByteArray comment("\xff\xfe", 2);
    comment += char((tag.size() + 2) >> 8);
    comment += char((tag.size() + 2) & 0xff);
    return small.left(2) + comment + tag + small.mid(2);
}

QByteArray withExifOrientation(const QByteArray &jpeg, int orientation)
{
    // A TIFF header (Intel order) with one IFD entry: tag 0x0112, SHORT.
    QByteArray tiff("II\x2a\x00\x08\x00\x00\x00\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00", 18);
    tiff += char(orientation);
    tiff += QByteArray(3, '\0');
    tiff += QByteArray(4, '\0'); // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xff\xe1", 2);
    app1 += char((payload.size() + 2) >> 8);
    app1 += char((payload.size() + 2) & 0xff);
    return jpeg.left(2) + app1 + payload + jpeg.mid(2);
}

QByteArray withExifFacts(const QByteArray &jpeg, const char *taken, const char *make, const char *model)
{
    ExifData *data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    const auto put = [data](ExifIfd ifd, ExifTag tag, const char *text) {
        if (!text || !*text)
            return;
        ExifEntry *entry = exif_entry_new();
        exif_content_add_entry(data->ifd[ifd], entry);
        entry->tag = tag;
        entry->format = EXIF_FORMAT_ASCII;
        entry->components = std::strlen(text) + 1;
        entry->size = unsigned(entry->components);
        entry->data = static_cast<unsigned char *>(malloc(entry->size));
        std::memcpy(entry->data, text, entry->size);
        exif_entry_unref(entry);
    };
    put(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, taken);
    put(EXIF_IFD_0, EXIF_TAG_MAKE, make);
    put(EXIF_IFD_0, EXIF_TAG_MODEL, model);
    unsigned char *saved = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &saved, &size);
    exif_data_unref(data);
    // What libexif saves begins with "Exif\0\0": an APP1 segment's payload.
    const QByteArray payload(reinterpret_cast<const char *>(saved), int(size));
    free(saved);
    QByteArray app1("\xff\xe1", 2);
    app1 += char((payload.size() + 2) >> 8);
    app1 += char((payload.size() + 2) & 0xff);
    return jpeg.left(2) + app1 + payload + jpeg.mid(2);
}

QImage noisy(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(0, 60);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 255 / width + noise(rng)) & 0xff, (y * 255 / height + noise(rng)) & 0xff, noise(rng));
    }
    return image;
}

double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 255;
    const QImage p = a.convertToFormat(QImage::Format_RGB32);
    const QImage q = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < p.height(); ++y) {
        const auto *lp = reinterpret_cast<const QRgb *>(p.constScanLine(y));
        const auto *lq = reinterpret_cast<const QRgb *>(q.constScanLine(y));
        for (int x = 0; x < p.width(); ++x)
            sum += std::abs(qRed(lp[x]) - qRed(lq[x])) + std::abs(qGreen(lp[x]) - qGreen(lq[x]))
                   + std::abs(qBlue(lp[x]) - qBlue(lq[x]));
    }
    return sum / (3.0 * p.width() * p.height());
}

} // namespace JpegFixtures
