#include "ImageOps.h"

#include <QTransform>

namespace ImageOps {

// Extended precision, as the factors 1.1 and 0.9 of the viewer are given.
QSize zoomSize(const QSize &size, long double widthFactor, long double heightFactor)
{
    return QSize(int(size.width() * widthFactor), int(size.height() * heightFactor));
}

bool zoomAllowed(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= MaxZoomSide && size.height() <= MaxZoomSide
           && qint64(size.width()) * size.height() <= MaxZoomPixels;
}

QImage stretch(const QImage &image, const QSize &size)
{
    if (image.isNull()) {
        // Nothing to copy: a picture of the size with nothing drawn in it.
        QImage blank(size, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }
    const QImage source = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    // Qt's smooth scaling averages every covered source pixel when reducing
    // and interpolates when enlarging.
    QImage out = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.format() == QImage::Format_RGB32 ? out : out.convertToFormat(QImage::Format_RGB32);
}

bool zoom(const QImage &picture, const QSize &controlSize, long double widthFactor, long double heightFactor,
          QImage *result)
{
    const QSize size = zoomSize(controlSize, widthFactor, heightFactor);
    if (!zoomAllowed(size))
        return false;
    *result = stretch(picture, size);
    return true;
}

void rotateQuarter(QImage &bitmap, bool clockwise)
{
    if (bitmap.isNull())
        return;
    const QImage source =
        bitmap.format() == QImage::Format_RGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    // A quarter turn maps pixels exactly: no resampling.
    bitmap = source.transformed(QTransform().rotate(clockwise ? 90 : -90));
}

QImage upright(const QImage &image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(-90)).mirrored(true, false);
    case 8:
        return image.transformed(QTransform().rotate(-90));
    default:
        return image;
    }
}

} // namespace ImageOps
