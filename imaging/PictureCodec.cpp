#include "PictureCodec.h"

#include "StreamedBytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace PictureCodec {

namespace {

// The formats taken besides JPEG, as Qt's readers name them.
const QByteArrayList kOtherFormats = {"png", "webp", "tiff", "gif", "bmp"};

// The code of a DecodeError for a picture no reader here takes (JPEG's own
// "not a JPEG" number, so that every caller tells it as before).
constexpr int kNotAPicture = 53;

[[noreturn]] void fail(int code, const QString &what, const QString &detail)
{
    throw DecodeError(code, QStringLiteral("%1\n(详细信息: %2)").arg(what, detail).toStdString());
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
    Reader r(data);
    const QByteArray format = r.reader.format();
    if (!kOtherFormats.contains(format))
        fail(kNotAPicture, QStringLiteral("这不是本程序能显示的图片"), QStringLiteral("unknown format"));
    const QSize size = r.reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > JpegCodec::MaxPixels)
        fail(kNotAPicture, QStringLiteral("图片太大,无法显示"), QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
    if (options.scaleDenominator > 1 && size.isValid()) {
        const int d = options.scaleDenominator;
        r.reader.setScaledSize(QSize((size.width() + d - 1) / d, (size.height() + d - 1) / d));
    }
    QImage image = r.reader.read();
    if (image.isNull())
        fail(kNotAPicture, QStringLiteral("图片已损坏,无法显示"), r.reader.errorString());
    if (options.cancel && options.cancel->load())
        throw DecodeError(JpegCodec::Cancelled, "the decode was cancelled");
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    // Transparent parts show as the viewer's white page.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
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
    Reader r(data);
    const QSize size = uprightOf(r.reader);
    if (!size.isValid() || size.isEmpty())
        fail(kNotAPicture, QStringLiteral("图片已损坏,无法显示"), r.reader.errorString());
    if (qint64(size.width()) * size.height() > JpegCodec::MaxPixels || size.width() > JpegCodec::MaxSide
        || size.height() > JpegCodec::MaxSide)
        fail(kNotAPicture, QStringLiteral("图片太大,无法显示"), QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
}

QSize uprightSize(const QByteArray &data)
{
    if (isJpeg(data) || otherFormat(data).isEmpty())
        return JpegCodec::uprightSize(data);
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
        fail(kNotAPicture, QStringLiteral("图片数据读取失败,无法显示"), QStringLiteral("the bytes did not arrive"));
    // Whole bytes: a format of no reader here is told as JPEG's decoder
    // tells it.
    const QByteArray whole = QByteArray::fromRawData(data.data(), data.size());
    return PictureCodec::decode(whole, options);
}

QImage decodePart(const QByteArray &data, const QRect &part, int eighths, const DecodeOptions &options)
{
    if (isJpeg(data) || otherFormat(data).isEmpty())
        return JpegCodec::decodePart(data, part, eighths, options);
    const QImage whole = decodeOther(data, options);
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
