#pragma once
// JPEG decoding and encoding with libjpeg-turbo, from and to bytes in memory.

#include <QByteArray>
#include <QImage>

#include <atomic>
#include <stdexcept>

class StreamedBytes;

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
// Above FreePixels, a picture declaring more pixels a byte of its data than
// this is refused as damaged or made to exhaust memory.
constexpr qint64 FreePixels = 16'000'000;
constexpr qint64 MaxPixelsPerByte = 1000;
// More scans than this in a progressive picture are refused.
constexpr int MaxScans = 500;
// A picture in several scans (progressive, or its colours one after the
// other) is decoded through a buffer of all its coefficients, two bytes a
// sample whatever scale it is shown at. Every decode under way shares this
// much for those buffers, enough for a progressive picture of 150
// megapixels in the usual 4:2:0; a picture that needs more is refused
// before anything is allocated, and a decode waits while others use it.
constexpr qint64 MaxCoefficientBytes = qint64(448) << 20;
// The code of a JpegError for a decode stopped through its cancel flag.
constexpr int Cancelled = -2;

constexpr int SaveQuality = 95;

struct DecodeOptions
{
    // Set from another thread to stop the decode (JpegError Cancelled).
    const std::atomic_bool *cancel = nullptr;
    // 1, 2, 4 or 8: the picture decoded at 1/n of its size, at a fraction
    // of the cost.
    int scaleDenominator = 1;
    // At 1/8, a baseline picture made from its blocks' averages alone (a
    // third less time; a 4:2:0 picture's colours one per 2 x 2 pixels,
    // smoothed): for thumbnails, where that cannot be seen.
    bool blockAverages = false;
};

// Decodes to an RGB32 image turned upright by its EXIF orientation.
// Greyscale, CMYK/YCCK and progressive pictures are converted; a truncated
// picture gives what could be decoded. Throws JpegError, whose text says in
// Chinese what is wrong, with the decoder's "JPEG error #n" as a detail.
QImage decode(const QByteArray &data, const DecodeOptions &options = DecodeOptions());
// The same, from bytes still arriving: decoded as they come in.
QImage decode(const StreamedBytes &data, const DecodeOptions &options = DecodeOptions());

// The part of the upright picture inside `part` (in its full-size pixels),
// decoded at eighths/8 of its size (1 to 8): only the rows down to the
// part's last are read, only the columns it spans become pixels, so that
// a small part of a large picture costs little time and memory. The image
// covers the part at that scale, rounded out to whole pixels; null when the
// part is outside the picture. Throws JpegError.
QImage decodePart(const QByteArray &data, const QRect &part, int eighths,
                  const DecodeOptions &options = DecodeOptions());

// Whether the decoder can show the picture, from its header alone: throws
// the JpegError a decode would (not a JPEG, a precision other than 8 bits,
// an implausible size, too much memory). fileSize is the whole file's when
// data holds only its start; a header that does not end within data throws
// HeaderIncomplete.
void checkHeader(const QByteArray &data, qint64 fileSize = -1);
constexpr int HeaderIncomplete = -4;

// The picture's size as shown, turned upright by its EXIF orientation, read
// from the header alone; empty when the data are not a JPEG picture.
QSize uprightSize(const QByteArray &data);

// The largest of 8, 4, 2 and 1 at which a picture of that size still
// decodes to at least the size it is shown at.
int scaleDenominatorFor(const QSize &picture, const QSize &shown);

// The EXIF orientation (1 to 8) of the data; 1 when it has none.
int exifOrientation(const QByteArray &data);

// Encodes an image as baseline JPEG data. Throws JpegError.
QByteArray encode(const QImage &image, int quality);

} // namespace JpegCodec
