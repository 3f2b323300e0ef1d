#pragma once
// JPEG fixtures made at test time with libjpeg, each showing one kind of
// picture the decoder must handle.

#include <QByteArray>
#include <QImage>

namespace JpegFixtures {

enum class Kind { Baseline, Greyscale, AdobeCmyk, Progressive };

// Encodes image (RGB32) as the given kind, at quality 95. For AdobeCmyk the
// colours are written as inverted CMYK with the Adobe marker, as
// Photoshop does.
QByteArray make(const QImage &image, Kind kind);

// A picture of four solid quarters: red, green, blue, white.
QImage quarters(int width, int height);

// A minimal BMP file of the image.
QByteArray bmp(const QImage &image);

} // namespace JpegFixtures
