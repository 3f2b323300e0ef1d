#pragma once
// Image operations behind the viewer's zoom and quarter turns, as plain
// functions on images and sizes.

#include <QImage>
#include <QSize>

namespace ImageOps {

// A zoom larger than this is refused: it would exhaust memory.
constexpr qint64 MaxZoomPixels = 100'000'000;
constexpr int MaxZoomSide = 32'767;

// The size times the factors, each product truncated toward zero.
QSize zoomSize(const QSize &size, long double widthFactor, long double heightFactor);

// Whether a bitmap of that size may be made: no empty side, within the limits.
bool zoomAllowed(const QSize &size);

// The image stretched to fill size exactly: area-averaged when reduced,
// smoothly interpolated when enlarged. Always RGB32.
QImage stretch(const QImage &image, const QSize &size);

// The picture stretched to the control's size times the factors (each
// product truncated). False, with *result untouched, when the new size
// would have an empty side or be too large to hold.
bool zoom(const QImage &picture, const QSize &controlSize, long double widthFactor, long double heightFactor,
          QImage *result);

// Replaces the bitmap by its quarter turn: clockwise, target (x, y) takes
// source (y, H - 1 - x); counter-clockwise, source (W - 1 - y, x). The
// result is RGB32 (colour kept, the fourth byte dropped). An empty bitmap
// is left unchanged.
void rotateQuarter(QImage &bitmap, bool clockwise);

// The transform that turns a picture stored with an EXIF orientation upright.
QImage upright(const QImage &image, int orientation);

} // namespace ImageOps
