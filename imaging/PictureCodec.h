#pragma once
// Pictures of every format the program takes: JPEG through JpegCodec (with
// its scaled, partial and streamed decodes); PNG, WebP, TIFF, GIF (its first
// frame) and BMP through Qt's image readers; HEIC/HEIF phone photos through
// libheif. All under the same limits of size and memory, turned upright by
// their own orientation where they carry one. The stored bytes are never
// changed: only decoded.

#include "JpegCodec.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>

class StreamedBytes;

namespace PictureCodec {

using DecodeError = JpegCodec::JpegError;
using DecodeOptions = JpegCodec::DecodeOptions;

// Whether the bytes start as a JPEG file does.
bool isJpeg(const QByteArray &data);
// The format of a picture of another format a reader here takes ("png",
// "webp", "tiff", "gif", "bmp", "heic"), from its first bytes; empty when
// none.
QByteArray otherFormat(const QByteArray &data);

// Whether the picture can be shown, from its header: throws the
// DecodeError a decode would (not a picture of a format taken here, an
// implausible size, too much memory). fileSize as JpegCodec::checkHeader.
void checkHeader(const QByteArray &data, qint64 fileSize = -1);
// The picture's size as shown (upright); empty when it is no picture.
QSize uprightSize(const QByteArray &data);
// Decodes to an RGB32 image, upright; a transparent picture on white.
// scaleDenominator decodes at about 1/n of the size where the format can.
QImage decode(const QByteArray &data, const DecodeOptions &options = DecodeOptions());
// The same from bytes still arriving: a JPEG as they come in, the others
// once they are all in.
QImage decode(const StreamedBytes &data, const DecodeOptions &options = DecodeOptions());
// The part of the upright picture at eighths/8 of its size; see
// JpegCodec::decodePart (the other formats decode whole, then cut).
QImage decodePart(const QByteArray &data, const QRect &part, int eighths, const DecodeOptions &options = DecodeOptions());
// Whether decodePart decodes only the part (JPEG), rather than the whole
// picture each time.
bool decodesParts(const QByteArray &data);
// The part of a whole decoded picture at eighths/8 of its size, as
// decodePart gives it.
QImage partOf(const QImage &whole, const QRect &part, int eighths);

} // namespace PictureCodec
