#include "PictureCodec.h"
#include <QCoreApplication>

#include "StreamedBytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <libheif/heif.h>

#include <memory>

namespace PictureCodec {

namespace {

// The formats taken besides JPEG, as Qt's readers name them.
const QByteArrayList kOtherFormats = {"png", "webp", "tiff", "gif", "bmp"};

// The code of a DecodeError for a picture no reader here takes (JPEG's own
// "not a JPEG" number, so that every caller tells it as before).
constexpr int kNotAPicture = 53;

[[noreturn]] void fail(int code, const QString &what, const QString &detail)
{
    throw DecodeError(
        code, QCoreApplication::translate("PictureCodec", "%1\n(详细信息: %2)").arg(what, detail).toStdString());
}

// HEIC/HEIF, read with libheif: its brands, as its 'ftyp' box names them.
bool isHeif(const QByteArray &data)
{
    static const QByteArrayList brands = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
    return data.size() >= 12 && data.mid(4, 4) == "ftyp" && brands.contains(data.mid(8, 4));
}

struct HeifFile
{
    explicit HeifFile(const QByteArray &data) : context(heif_context_alloc(), heif_context_free)
    {
        if (!context)
            return;
        const heif_error read = heif_context_read_from_memory_without_copy(context.get(), data.constData(),
                                                                           size_t(data.size()), nullptr);
        heif_image_handle *primary = nullptr;
        if (read.code == heif_error_Ok && heif_context_get_primary_image_handle(context.get(), &primary).code == heif_error_Ok)
            handle.reset(primary);
        else
            error = QString::fromUtf8(read.message);
    }
    // Its size as shown, its turns applied.
    QSize size() const
    {
        return handle ? QSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()))
                      : QSize();
    }
    std::unique_ptr<heif_context, void (*)(heif_context *)> context;
    std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle *)> handle{nullptr, heif_image_handle_release};
    QString error;
};

// The picture's size checked against the decoder's limits.
void checkSize(const QSize &size, const QString &detail)
{
    if (!size.isValid() || size.isEmpty())
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片已损坏,无法显示"), detail);
    if (qint64(size.width()) * size.height() > JpegCodec::MaxPixels || size.width() > JpegCodec::MaxSide
        || size.height() > JpegCodec::MaxSide)
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片太大,无法显示"),
             QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
}

// Transparent parts show as the viewer's white page.
QImage onWhite(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QImage decodeHeif(const QByteArray &data, const DecodeOptions &options)
{
    const HeifFile file(data);
    checkSize(file.size(), file.error);
    heif_image *decoded = nullptr;
    const heif_error error = heif_decode_image(file.handle.get(), &decoded, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGBA, nullptr);
    const std::unique_ptr<heif_image, void (*)(const heif_image *)> image(decoded, heif_image_release);
    if (error.code != heif_error_Ok || !image)
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片已损坏,无法显示"),
             QString::fromUtf8(error.message));
    if (options.cancel && options.cancel->load())
        throw DecodeError(JpegCodec::Cancelled, "the decode was cancelled");
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片已损坏,无法显示"),
             QStringLiteral("no pixels"));
    QImage shown = onWhite(QImage(pixels, width, height, stride, QImage::Format_RGBA8888));
    if (options.scaleDenominator > 1) {
        const int d = options.scaleDenominator;
        shown = shown.scaled((width + d - 1) / d, (height + d - 1) / d, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return shown;
}

// A reader on the bytes, limited as the JPEG decoder is.
struct Reader
{
    explicit Reader(const QByteArray &data) : buffer(const_cast<QByteArray *>(&data))
    {
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(true);
        reader.setAllocationLimit(int(JpegCodec::MaxPixels * 4 / (1024 * 1024)) + 1);
    }
    QBuffer buffer;
    QImageReader reader;
};

QSize uprightOf(QImageReader &reader)
{
    QSize size = reader.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    return size;
}

QImage decodeOther(const QByteArray &data, const DecodeOptions &options)
{
    if (isHeif(data))
        return decodeHeif(data, options);
    Reader r(data);
    const QByteArray format = r.reader.format();
    if (!kOtherFormats.contains(format))
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "这不是本程序能显示的图片"),
             QStringLiteral("unknown format"));
    const QSize size = r.reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > JpegCodec::MaxPixels)
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片太大,无法显示"),
             QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
    if (options.scaleDenominator > 1 && size.isValid()) {
        const int d = options.scaleDenominator;
        r.reader.setScaledSize(QSize((size.width() + d - 1) / d, (size.height() + d - 1) / d));
    }
    const QImage image = r.reader.read();
    if (image.isNull())
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片已损坏,无法显示"), r.reader.errorString());
    if (options.cancel && options.cancel->load())
        throw DecodeError(JpegCodec::Cancelled, "the decode was cancelled");
    return onWhite(image);
}

} // namespace

bool isJpeg(const QByteArray &data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

QByteArray otherFormat(const QByteArray &data)
{
    if (data.isEmpty() || isJpeg(data))
        return QByteArray();
    if (isHeif(data))
        return QByteArrayLiteral("heic");
    Reader r(data);
    const QByteArray format = r.reader.format();
    return kOtherFormats.contains(format) ? format : QByteArray();
}

void checkHeader(const QByteArray &data, qint64 fileSize)
{
    if (data.isEmpty() || isJpeg(data) || otherFormat(data).isEmpty()) {
        JpegCodec::checkHeader(data, fileSize);
        return;
    }
    if (isHeif(data)) {
        const HeifFile file(data);
        checkSize(file.size(), file.error);
        return;
    }
    Reader r(data);
    checkSize(uprightOf(r.reader), r.reader.errorString());
}

QSize uprightSize(const QByteArray &data)
{
    if (isJpeg(data) || otherFormat(data).isEmpty())
        return JpegCodec::uprightSize(data);
    if (isHeif(data))
        return HeifFile(data).size();
    Reader r(data);
    return uprightOf(r.reader);
}

QImage decode(const QByteArray &data, const DecodeOptions &options)
{
    if (isJpeg(data) || otherFormat(data).isEmpty())
        return JpegCodec::decode(data, options);
    return decodeOther(data, options);
}

QImage decode(const StreamedBytes &data, const DecodeOptions &options)
{
    // The first bytes tell the format.
    qsizetype have = 0;
    while (have < qMin<qsizetype>(16, data.size())) {
        const qsizetype now = data.waitBeyond(have, 1000);
        if (now < 0)
            break; // the JPEG decoder tells what is wrong
        have = now;
    }
    if (have <= 0 || isJpeg(QByteArray::fromRawData(data.data(), have)))
        return JpegCodec::decode(data, options);
    while (have >= 0 && have < data.size()) {
        if (options.cancel && options.cancel->load())
            throw DecodeError(JpegCodec::Cancelled, "the decode was cancelled");
        have = data.waitBeyond(have, 1000);
    }
    if (have < 0)
        fail(kNotAPicture, QCoreApplication::translate("PictureCodec", "图片数据读取失败,无法显示"),
             QStringLiteral("the bytes did not arrive"));
    // Whole bytes: a format of no reader here is told as JPEG's decoder
    // tells it.
    const QByteArray whole = QByteArray::fromRawData(data.data(), data.size());
    return PictureCodec::decode(whole, options);
}

bool decodesParts(const QByteArray &data) { return isJpeg(data) || otherFormat(data).isEmpty(); }

QImage decodePart(const QByteArray &data, const QRect &part, int eighths, const DecodeOptions &options)
{
    if (decodesParts(data))
        return JpegCodec::decodePart(data, part, eighths, options);
    return partOf(decodeOther(data, options), part, eighths);
}

QImage partOf(const QImage &whole, const QRect &part, int eighths)
{
    const QRect inside = part.intersected(whole.rect());
    if (inside.isEmpty())
        return QImage();
    const QImage cut = whole.copy(inside);
    if (eighths >= 8)
        return cut;
    const QSize scaled((cut.width() * eighths + 7) / 8, (cut.height() * eighths + 7) / 8);
    return cut.scaled(scaled.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace PictureCodec
