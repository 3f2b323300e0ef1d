#include "Thumbnail.h"

#include "ImageOps.h"
#include "JpegCodec.h"
#include "PictureCodec.h"

namespace Thumbnail {

QSize sizeFor(const QSize &picture)
{
    if (picture.isEmpty())
        return QSize();
    if (qMax(picture.width(), picture.height()) <= Side)
        return picture;
    return picture.scaled(Side, Side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QByteArray make(const QByteArray &picture)
{
    const QSize upright = PictureCodec::uprightSize(picture);
    const QSize target = sizeFor(upright);
    JpegCodec::DecodeOptions options;
    // The decoder scales before any turn, so the sides are compared either
    // way round.
    options.scaleDenominator = JpegCodec::scaleDenominatorFor(upright, target.expandedTo(target.transposed()));
    options.blockAverages = true;
    const QImage decoded = PictureCodec::decode(picture, options);
    const QSize size = target.isEmpty() ? sizeFor(decoded.size()) : target;
    return JpegCodec::encode(decoded.size() == size ? decoded : ImageOps::stretch(decoded, size), Quality);
}

} // namespace Thumbnail
