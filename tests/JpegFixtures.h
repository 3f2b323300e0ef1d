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

// How a baseline picture is coded: its luma's sampling against the colours
// (2 x 2 is 4:2:0, 2 x 1 is 4:2:2, 1 x 1 is 4:4:4), a restart marker every
// so many MCUs (0: none), Huffman tables made for the picture rather than
// the standard ones.
struct Coding
{
    int lumaWide = 2;
    int lumaHigh = 2;
    unsigned restartInterval = 0;
    bool optimized = false;
};
QByteArray make(const QImage &image, const Coding &coding);

// A picture of four solid quarters: red, green, blue, white.
QImage quarters(int width, int height);

// Fine noise over gradients: compresses as a photograph does, to some
// 0.7 bytes a pixel.
QImage noisy(int width, int height, unsigned seed = 7);

// Mean absolute difference of the colour channels, 0 to 255; 255 for
// pictures of different sizes.
double meanDifference(const QImage &a, const QImage &b);

// A minimal BMP file of the image.
QByteArray bmp(const QImage &image);
// A file that no decoder takes for a picture: text.
QByteArray notAPicture();

// Crafted files, each the shape of a known attack on decoders:
// the first scan of a progressive picture repeated extra times before its
// end (every scan costs the decoder a pass over the whole picture);
QByteArray withRepeatedScan(const QByteArray &progressive, int extra);
// the frame header made to declare another size, and the picture's data cut
// off after the scan header, so that a few hundred bytes declare gigabytes;
QByteArray withDeclaredSize(const QByteArray &jpeg, int width, int height);
// a small picture that carries the tag in a comment: pictures that differ
// in their bytes;
QByteArray tagged(const QByteArray &tag);
// comment segments of the given size (at most 65,533 bytes) right after
// the start of the file, that make it look large enough for its size;
QByteArray withComments(const QByteArray &jpeg, int count, int size);
// an EXIF block with an orientation, right after the start of the file.
QByteArray withExifOrientation(const QByteArray &jpeg, int orientation);
// The JPEG with EXIF data (written by libexif) naming when it was taken
// ("2024:05:01 12:34:56") and the camera's maker and model; empty texts are
// left out.
QByteArray withExifFacts(const QByteArray &jpeg, const char *taken, const char *make, const char *model);

} // namespace JpegFixtures
