#pragma once
// The small picture an album's grid shows of each picture.

#include <QByteArray>
#include <QSize>

namespace Thumbnail {

// The thumbnail's longest side, in pixels: sharp in a grid cell on a
// screen of twice the usual density.
constexpr int Side = 256;
constexpr int Quality = 85;

// The size of a thumbnail of a picture of that size: Side on its longest
// side, never larger than the picture.
QSize sizeFor(const QSize &picture);

// A thumbnail of the picture's bytes as imported, upright by its EXIF
// orientation, as JPEG data; the picture is decoded at the smallest scale
// that still gives Side pixels. Throws JpegCodec::JpegError.
QByteArray make(const QByteArray &picture);

} // namespace Thumbnail
