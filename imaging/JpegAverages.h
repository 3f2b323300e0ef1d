#pragma once
// A baseline JPEG picture at 1/8 of its size, made from the average value
// of each 8 x 8 block alone (its DC coefficient): the rest of each block's
// codes are only stepped over, not decoded into coefficients. A camera
// file in a third less time than libjpeg at the same scale, for thumbnails:
// the colours of a 4:2:0 picture come one per 2 x 2 pixels, smoothed, where
// libjpeg decodes more of them.

#include <QImage>

#include <atomic>
#include <cstddef>

struct jpeg_decompress_struct;

namespace JpegAverages {

// The picture whose header libjpeg has just read (jpeg_read_header, its
// source now at the first scan's coded data, which `scan` holds to the end
// of the file), at 1/8 of its size (each side rounded up), unturned. Null
// when the picture is not one this decodes (progressive, arithmetic coded,
// of other colours or sampling, its colours in scans of their own) or its
// data are damaged: libjpeg then decodes it, and says what is wrong.
// Returns null too once *cancel is set.
QImage decode(const jpeg_decompress_struct &header, const unsigned char *scan, std::size_t size,
              const std::atomic_bool *cancel = nullptr);

} // namespace JpegAverages
