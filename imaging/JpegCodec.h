#pragma once
// JPEG decoding and encoding with libjpeg-turbo, from and to bytes in memory.

#include <QByteArray>
#include <QImage>

#include <stdexcept>

namespace JpegCodec {

// A decoder failure. For libjpeg's own errors the text is "JPEG error #%d"
// with its message code (53 for a BMP, 42 for empty data).
class JpegError : public std::runtime_error
{
public:
    JpegError(int code, const std::string &text) : std::runtime_error(text), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// Pictures larger than this are refused before any pixel is allocated.
constexpr qint64 MaxPixels = 200'000'000;
constexpr int MaxSide = 65'000;

constexpr int SaveQuality = 95;

// Decodes to an RGB32 image turned upright by its EXIF orientation.
// Greyscale, CMYK/YCCK and progressive pictures are converted; a truncated
// picture gives what could be decoded. Throws JpegError.
QImage decode(const QByteArray &data);

// The EXIF orientation (1 to 8) of the data; 1 when it has none.
int exifOrientation(const QByteArray &data);

// Encodes an image as baseline JPEG data. Throws JpegError.
QByteArray encode(const QImage &image, int quality);

} // namespace JpegCodec
