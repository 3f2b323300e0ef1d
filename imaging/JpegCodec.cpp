#include "JpegCodec.h"
#include <QCoreApplication>

#include "ImageOps.h"
#include "JpegAverages.h"
#include "StreamedBytes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>
#include <sys/mman.h>

namespace JpegCodec {

namespace {

// libjpeg's default error_exit ends the process; this one jumps back to the
// stage that was running, which turns the code into a JpegError. The stages
// below hold no C++ objects, so the jump skips no destructor.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    // Set when the decode was stopped by the progress monitor rather than by
    // libjpeg: one of the negative codes below.
    int stopped;
    const std::atomic_bool *cancel;
};

void errorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void silentMessage(j_common_ptr) {}

constexpr int kOutOfRange = -1;
constexpr int kTooManyScans = -3;

// Called by libjpeg many times a scan: stops a decode that is no longer
// wanted, and a progressive picture with more scans than any encoder
// writes (each scan costs a pass over the whole picture).
void progressMonitor(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (err->cancel && err->cancel->load(std::memory_order_relaxed)) {
        err->stopped = Cancelled;
        std::longjmp(err->jump, 1);
    }
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans) {
        err->stopped = kTooManyScans;
        std::longjmp(err->jump, 1);
    }
}

int failureCode(const ErrorManager *err) { return err->stopped ? err->stopped : err->pub.msg_code; }

struct Header
{
    int width;  // as declared
    int height;
    int outputWidth; // as decoded, at the scale asked for
    int outputHeight;
    J_COLOR_SPACE colorSpace;
    bool adobe;
};

// A source reading bytes as they arrive: the decode keeps pace with the
// reading, waiting where it has caught up.
struct StreamSource
{
    jpeg_source_mgr pub;
    const StreamedBytes *stream;
    qsizetype handedOut; // bytes given to libjpeg so far
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void initStream(j_decompress_ptr) {}
void termStream(j_decompress_ptr) {}

boolean fillFromStream(j_decompress_ptr cinfo)
{
    auto *src = reinterpret_cast<StreamSource *>(cinfo->src);
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    qsizetype in = src->handedOut;
    // Short waits, so that a decode no longer wanted stops while it waits.
    while (in == src->handedOut && in < src->stream->size()) {
        if (err->cancel && err->cancel->load(std::memory_order_relaxed)) {
            err->stopped = Cancelled;
            std::longjmp(err->jump, 1);
        }
        in = src->stream->waitBeyond(src->handedOut, 50);
        if (in < 0)
            ERREXIT(cinfo, JERR_INPUT_EOF); // the rest will never come
    }
    if (in == src->handedOut) {
        // Past the last byte: end the picture there, as libjpeg's own
        // memory source does for a file cut short.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->pub.next_input_byte = kFakeEoi;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    src->pub.next_input_byte = reinterpret_cast<const JOCTET *>(src->stream->data()) + src->handedOut;
    src->pub.bytes_in_buffer = size_t(in - src->handedOut);
    src->handedOut = in;
    return TRUE;
}

void skipInStream(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr *src = cinfo->src;
    if (count <= 0)
        return;
    while (count > long(src->bytes_in_buffer)) {
        count -= long(src->bytes_in_buffer);
        fillFromStream(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void useStream(j_decompress_ptr cinfo, StreamSource *source, const StreamedBytes *stream)
{
    if (stream->size() == 0)
        ERREXIT(cinfo, JERR_INPUT_EMPTY); // as the memory source says it
    source->pub.init_source = initStream;
    source->pub.fill_input_buffer = fillFromStream;
    source->pub.skip_input_data = skipInStream;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = termStream;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    source->stream = stream;
    source->handedOut = 0;
    cinfo->src = &source->pub;
}

// Stage 1: read the header, choose the output colour space and scale.
// Reads from `stream` when given, else from the data. Returns 0 or a
// failure code.
int readHeader(jpeg_decompress_struct *cinfo, ErrorManager *err, const unsigned char *data, unsigned long size,
               int scaleNum, int scaleDenom, Header *out, StreamSource *streamSource = nullptr,
               const StreamedBytes *stream = nullptr)
{
    if (setjmp(err->jump))
        return failureCode(err);
    if (stream)
        useStream(cinfo, streamSource, stream);
    else
        jpeg_mem_src(cinfo, data, size);
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK)
        cinfo->out_color_space = JCS_CMYK;
    else
        cinfo->out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32
    cinfo->scale_num = unsigned(scaleNum);
    cinfo->scale_denom = unsigned(scaleDenom);
    jpeg_calc_output_dimensions(cinfo);
    out->width = int(cinfo->image_width);
    out->height = int(cinfo->image_height);
    out->outputWidth = int(cinfo->output_width);
    out->outputHeight = int(cinfo->output_height);
    out->colorSpace = cinfo->out_color_space;
    out->adobe = cinfo->saw_Adobe_marker;
    return 0;
}

void cmykToRgb(QRgb *line, const unsigned char *cmykRow, JDIMENSION width, bool adobe)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        const unsigned char *p = cmykRow + 4 * x;
        // Adobe writes CMYK inverted (0 is full ink); others do not.
        const int c = adobe ? p[0] : 255 - p[0];
        const int m = adobe ? p[1] : 255 - p[1];
        const int yel = adobe ? p[2] : 255 - p[2];
        const int k = adobe ? p[3] : 255 - p[3];
        line[x] = qRgb(c * k / 255, m * k / 255, yel * k / 255);
    }
}

// Stage 2: decode every row into the image's buffer; a CMYK picture goes
// through one row buffer and is converted to RGB.
int readPixels(jpeg_decompress_struct *cinfo, ErrorManager *err, uchar *bits, qsizetype bytesPerLine,
               unsigned char *cmykRow, bool adobe)
{
    if (setjmp(err->jump))
        return failureCode(err);
    jpeg_start_decompress(cinfo);
    if (!cmykRow) {
        // Several rows a call, as many as the decoder can give at once.
        JSAMPROW rows[16];
        while (cinfo->output_scanline < cinfo->output_height) {
            const JDIMENSION first = cinfo->output_scanline;
            const JDIMENSION n = std::min<JDIMENSION>(16, cinfo->output_height - first);
            for (JDIMENSION i = 0; i < n; ++i)
                rows[i] = bits + qsizetype(first + i) * bytesPerLine;
            jpeg_read_scanlines(cinfo, rows, n);
        }
    }
    while (cmykRow && cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION y = cinfo->output_scanline;
        auto *line = reinterpret_cast<QRgb *>(bits + qsizetype(y) * bytesPerLine);
        JSAMPROW row = cmykRow;
        jpeg_read_scanlines(cinfo, &row, 1);
        cmykToRgb(line, cmykRow, cinfo->output_width, adobe);
    }
    jpeg_finish_decompress(cinfo);
    return 0;
}

// Stage 2 for a part: the rows above it are skipped (read, never turned
// into pixels), only the columns it spans are decoded, and the rows below
// it are never read. `bits` holds part.height rows of the columns from
// *firstColumn on, which is the part's left edge moved left to a block
// boundary; *columns is how many.
int readPart(jpeg_decompress_struct *cinfo, ErrorManager *err, const QRect &part, JDIMENSION *firstColumn,
             JDIMENSION *columns, QImage *image, unsigned char *cmykRow, bool adobe)
{
    if (setjmp(err->jump))
        return failureCode(err);
    jpeg_start_decompress(cinfo);
    *firstColumn = JDIMENSION(part.x());
    *columns = JDIMENSION(part.width());
    jpeg_crop_scanline(cinfo, firstColumn, columns);
    *image = QImage(int(*columns), part.height(), QImage::Format_RGB32);
    if (image->isNull())
        return kOutOfRange;
    // Skipped a band at a time: a decode no longer wanted stops between
    // bands (libjpeg reports no progress while it skips).
    for (JDIMENSION toSkip = JDIMENSION(part.y()); toSkip > 0;) {
        if (err->cancel && err->cancel->load(std::memory_order_relaxed)) {
            err->stopped = Cancelled;
            std::longjmp(err->jump, 1);
        }
        const JDIMENSION skipped = jpeg_skip_scanlines(cinfo, std::min<JDIMENSION>(toSkip, 128));
        if (skipped == 0)
            break;
        toSkip -= skipped;
    }
    for (int y = 0; y < part.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image->scanLine(y));
        JSAMPROW row = cmykRow ? cmykRow : reinterpret_cast<JSAMPROW>(line);
        jpeg_read_scanlines(cinfo, &row, 1);
        if (cmykRow)
            cmykToRgb(line, cmykRow, *columns, adobe);
    }
    // The rest is never read.
    jpeg_abort_decompress(cinfo);
    return 0;
}

[[noreturn]] void throwCode(int code)
{
    if (code == Cancelled)
        throw JpegError(code, "the decode was cancelled");
    if (code == kTooManyScans)
        throw JpegError(code,
                        QCoreApplication::translate("JpegCodec", "图片的扫描次数过多(超过 %1 次),可能已损坏,无法显示")
                            .arg(MaxScans)
                            .toStdString());
    // What the user is told, with the decoder's own number as a detail.
    QString what;
    switch (code) {
    case JERR_NO_SOI:
        what = QCoreApplication::translate("JpegCodec", "这不是 JPEG 图片,无法显示");
        break;
    case JERR_INPUT_EMPTY:
        what = QCoreApplication::translate("JpegCodec", "图片数据是空的,无法显示");
        break;
    case JERR_BAD_PRECISION:
        what = QCoreApplication::translate("JpegCodec", "这张 JPEG 图片不是 8 位精度的,本程序无法显示");
        break;
    case JERR_SOF_UNSUPPORTED:
    case JERR_NOT_COMPILED:
        what = QCoreApplication::translate("JpegCodec", "这张 JPEG 图片用了本程序不支持的编码方式,无法显示");
        break;
    case JERR_NO_BACKING_STORE:
    case JERR_OUT_OF_MEMORY:
        what = QCoreApplication::translate("JpegCodec", "显示这张图片需要的内存太多,无法显示");
        break;
    default:
        what = QCoreApplication::translate("JpegCodec", "图片数据已损坏,无法显示");
        break;
    }
    throw JpegError(
        code,
        QCoreApplication::translate("JpegCodec", "%1\n(详细信息: JPEG error #%2)").arg(what).arg(code).toStdString());
}

quint32 read32(const uchar *p, bool le)
{
    return le ? quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24
              : quint32(p[3]) | quint32(p[2]) << 8 | quint32(p[1]) << 16 | quint32(p[0]) << 24;
}

quint16 read16(const uchar *p, bool le) { return le ? quint16(p[0] | p[1] << 8) : quint16(p[1] | p[0] << 8); }

// The orientation tag of IFD0 in an APP1 "Exif" payload; 1 when absent.
int orientationFromExif(const uchar *p, size_t n)
{
    if (n < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return 1;
    const uchar *tiff = p + 6;
    const size_t size = n - 6;
    bool le;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        le = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        le = false;
    else
        return 1;
    const quint32 ifd = read32(tiff + 4, le);
    if (ifd > size - 2 || size < 8)
        return 1;
    const quint16 count = read16(tiff + ifd, le);
    for (quint32 i = 0; i < count; ++i) {
        const size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        if (entry + 12 > size)
            return 1;
        if (read16(tiff + entry, le) == 0x0112) {
            const int value = read16(tiff + entry + 8, le);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

int orientationOf(const jpeg_decompress_struct &cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1)
            if (const int o = orientationFromExif(m->data, m->data_length); o != 1)
                return o;
    return 1;
}

// The coefficient buffer a picture in several scans is decoded through
// (as libjpeg sizes it: each component's blocks, rounded up to its
// sampling, 128 bytes a block); 0 for a picture in one scan. Known once the
// header is read.
qint64 coefficientBytes(const jpeg_decompress_struct &cinfo)
{
    if (!cinfo.progressive_mode && cinfo.comps_in_scan >= cinfo.num_components)
        return 0;
    qint64 bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info &c = cinfo.comp_info[i];
        const auto roundUp = [](qint64 n, qint64 to) { return (n + to - 1) / to * to; };
        bytes += roundUp(c.width_in_blocks, c.h_samp_factor) * roundUp(c.height_in_blocks, c.v_samp_factor)
                 * qint64(sizeof(JBLOCK));
    }
    return bytes;
}

// The share of MaxCoefficientBytes one decode holds while it runs.
class CoefficientMemory
{
public:
    // Throws when a picture needs more than all there is.
    static void refuseBeyondBound(qint64 bytes)
    {
        if (bytes > MaxCoefficientBytes)
            throw JpegError(kOutOfRange,
                            QCoreApplication::translate("JpegCodec", "解码这张图片需要 %1 MB 内存,超过了 %2 MB 的上限,"
                                                                     "图片可能已损坏,无法显示")
                                .arg((bytes + (1 << 20) - 1) >> 20)
                                .arg(MaxCoefficientBytes >> 20)
                                .toStdString());
    }

    CoefficientMemory(qint64 bytes, const std::atomic_bool *cancel) : m_bytes(bytes)
    {
        refuseBeyondBound(bytes);
        std::unique_lock<std::mutex> lock(s_mutex);
        while (s_used + bytes > MaxCoefficientBytes) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                m_bytes = 0;
                throw JpegError(Cancelled, "the decode was cancelled");
            }
            s_freed.wait_for(lock, std::chrono::milliseconds(50));
        }
        s_used += bytes;
    }
    ~CoefficientMemory()
    {
        if (m_bytes == 0)
            return;
        std::lock_guard<std::mutex> lock(s_mutex);
        s_used -= m_bytes;
        s_freed.notify_all();
    }
    CoefficientMemory(const CoefficientMemory &) = delete;
    CoefficientMemory &operator=(const CoefficientMemory &) = delete;

private:
    qint64 m_bytes;
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_freed;
    static inline qint64 s_used = 0;
};

// Owns the decompressor for the whole decode, whatever way it ends.
struct Decompressor
{
    explicit Decompressor(const std::atomic_bool *cancel = nullptr)
    {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = errorExit;
        err.pub.output_message = silentMessage;
        err.cancel = cancel;
        jpeg_create_decompress(&cinfo);
        // libjpeg's own bound, should its buffers ever outgrow the share
        // reserved: past it the decode fails (no backing store) instead of
        // allocating.
        cinfo.mem->max_memory_to_use = long(MaxCoefficientBytes + (qint64(64) << 20));
        progress.progress_monitor = progressMonitor;
        cinfo.progress = &progress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    StreamSource streamSource{};
};

// Picture buffers. A large one is aligned to 2 MiB and asked to be backed by
// huge pages: a fresh 12-megapixel buffer otherwise costs some 12,000 page
// faults, a quarter of the decode's own time. Each is freed with its
// picture: a full-size decode is rare, and its memory is not kept.
void freePicture(void *memory) { std::free(memory); }

QImage allocatePicture(int width, int height)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (bytes < 2 * kHugePage)
        return QImage(width, height, QImage::Format_RGB32);
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void *memory = std::aligned_alloc(kHugePage, rounded);
    if (!memory)
        return QImage();
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    return QImage(static_cast<uchar *>(memory), width, height, bytesPerLine, QImage::Format_RGB32, freePicture,
                  memory);
}

// A header can declare any size: a huge one is refused before allocating,
// and one out of all proportion to the data behind it (no encoder packs
// more than a few hundred pixels into a byte; a file cut short or made to
// exhaust memory does).
void refuseImplausibleSize(const Header &header, qsizetype dataSize)
{
    const qint64 pixels = qint64(header.width) * header.height;
    if (header.width > MaxSide || header.height > MaxSide || pixels > MaxPixels)
        throw JpegError(kOutOfRange, QCoreApplication::translate("JpegCodec", "图片太大,无法显示: %1 × %2 像素")
                                         .arg(header.width)
                                         .arg(header.height)
                                         .toStdString());
    if (pixels > FreePixels && pixels > MaxPixelsPerByte * qint64(dataSize))
        throw JpegError(kOutOfRange,
                        QCoreApplication::translate("JpegCodec", "图片的尺寸与文件大小不符,可能已损坏,无法显示: "
                                                                 "%1 × %2 像素, 文件只有 %3 字节")
                            .arg(header.width)
                            .arg(header.height)
                            .arg(dataSize)
                            .toStdString());
}

// Where a part of the upright picture lies in the picture as stored.
QRect storedPart(const QRect &upright, const QSize &stored, int orientation)
{
    const int w = stored.width();
    const int h = stored.height();
    const auto toStored = [&](int u, int v) {
        switch (orientation) {
        case 2: return QPoint(w - u, v);
        case 3: return QPoint(w - u, h - v);
        case 4: return QPoint(u, h - v);
        case 5: return QPoint(v, u);
        case 6: return QPoint(v, h - u);
        case 7: return QPoint(w - v, h - u);
        case 8: return QPoint(w - v, u);
        default: return QPoint(u, v);
        }
    };
    // Corners as edges between pixels, so that a mirror maps them exactly.
    const QPoint a = toStored(upright.left(), upright.top());
    const QPoint b = toStored(upright.left() + upright.width(), upright.top() + upright.height());
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

} // namespace

QImage decode(const QByteArray &data, const DecodeOptions &options)
{
    const StreamedBytes whole(data);
    return decode(whole, options);
}

QImage decode(const StreamedBytes &data, const DecodeOptions &options)
{
    Decompressor d(options.cancel);
    Header header{};
    if (const int code = readHeader(&d.cinfo, &d.err, nullptr, 0, 1, options.scaleDenominator, &header,
                                    &d.streamSource, &data))
        throwCode(code);

    refuseImplausibleSize(header, data.size());
    // Saved markers live only until the decode finishes.
    const int orientation = orientationOf(d.cinfo);
    if (options.blockAverages && options.scaleDenominator == 8 && data.isComplete()) {
        const auto *first = reinterpret_cast<const unsigned char *>(data.data());
        const unsigned char *scan = d.cinfo.src->next_input_byte;
        if (scan >= first && scan <= first + data.size()) {
            QImage image = JpegAverages::decode(d.cinfo, scan, size_t(first + data.size() - scan), options.cancel);
            if (options.cancel && options.cancel->load(std::memory_order_relaxed))
                throw JpegError(Cancelled, "the decode was cancelled");
            // Else, one it does not decode: libjpeg's way below.
            if (!image.isNull())
                return orientation == 1 ? image : ImageOps::upright(image, orientation);
        }
    }
    const CoefficientMemory reserved(coefficientBytes(d.cinfo), options.cancel);

    QImage image = allocatePicture(header.outputWidth, header.outputHeight);
    if (image.isNull())
        throw JpegError(kOutOfRange, QCoreApplication::translate("JpegCodec", "内存不足,无法显示图片").toStdString());
    QByteArray cmykRow;
    if (header.colorSpace == JCS_CMYK)
        cmykRow.resize(qsizetype(header.outputWidth) * 4);
    if (const int code = readPixels(&d.cinfo, &d.err, image.bits(), image.bytesPerLine(),
                                    cmykRow.isEmpty() ? nullptr : reinterpret_cast<unsigned char *>(cmykRow.data()),
                                    header.adobe))
        throwCode(code);

    return orientation == 1 ? image : ImageOps::upright(image, orientation);
}

QImage decodePart(const QByteArray &data, const QRect &part, int eighths, const DecodeOptions &options)
{
    Decompressor d(options.cancel);
    Header header{};
    if (const int code = readHeader(&d.cinfo, &d.err, reinterpret_cast<const unsigned char *>(data.constData()),
                                    static_cast<unsigned long>(data.size()), std::clamp(eighths, 1, 8), 8, &header))
        throwCode(code);
    refuseImplausibleSize(header, data.size());
    const CoefficientMemory reserved(coefficientBytes(d.cinfo), options.cancel);
    const int orientation = orientationOf(d.cinfo);
    const QSize stored(header.width, header.height);
    const QSize upright = orientation >= 5 ? stored.transposed() : stored;
    const QRect wanted = part.intersected(QRect(QPoint(0, 0), upright));
    if (wanted.isEmpty())
        return QImage();

    // The part as stored, in the decoded picture's pixels: widened to whole
    // pixels where the scale splits one.
    const QRect inStored = storedPart(wanted, stored, orientation);
    const double sx = double(header.outputWidth) / header.width;
    const double sy = double(header.outputHeight) / header.height;
    const int left = int(std::floor(inStored.left() * sx));
    const int top = int(std::floor(inStored.top() * sy));
    const int right = std::min(header.outputWidth, int(std::ceil((inStored.left() + inStored.width()) * sx)));
    const int bottom = std::min(header.outputHeight, int(std::ceil((inStored.top() + inStored.height()) * sy)));
    const QRect decoded(left, top, std::max(1, right - left), std::max(1, bottom - top));

    QByteArray cmykRow;
    if (header.colorSpace == JCS_CMYK)
        cmykRow.resize(qsizetype(header.outputWidth) * 4);
    JDIMENSION firstColumn = 0;
    JDIMENSION columns = 0;
    QImage image;
    if (const int code = readPart(&d.cinfo, &d.err, decoded, &firstColumn, &columns, &image,
                                  cmykRow.isEmpty() ? nullptr : reinterpret_cast<unsigned char *>(cmykRow.data()),
                                  header.adobe))
        throwCode(code);
    image = image.copy(QRect(decoded.x() - int(firstColumn), 0, decoded.width(), decoded.height()));
    return orientation == 1 ? image : ImageOps::upright(image, orientation);
}

void checkHeader(const QByteArray &data, qint64 fileSize)
{
    Decompressor d;
    Header header{};
    if (const int code = readHeader(&d.cinfo, &d.err, reinterpret_cast<const unsigned char *>(data.constData()),
                                    static_cast<unsigned long>(data.size()), 1, 1, &header)) {
        // The start of a file ended before the header did: more is needed.
        if (code == JERR_NO_IMAGE && fileSize > data.size())
            throw JpegError(HeaderIncomplete, "the header goes on past the bytes given");
        throwCode(code);
    }
    refuseImplausibleSize(header, std::max<qint64>(fileSize, data.size()));
    CoefficientMemory::refuseBeyondBound(coefficientBytes(d.cinfo));
}

QSize uprightSize(const QByteArray &data)
{
    Decompressor d;
    Header header{};
    if (readHeader(&d.cinfo, &d.err, reinterpret_cast<const unsigned char *>(data.constData()),
                   static_cast<unsigned long>(data.size()), 1, 1, &header))
        return QSize();
    const QSize stored(header.width, header.height);
    return orientationOf(d.cinfo) >= 5 ? stored.transposed() : stored;
}

int scaleDenominatorFor(const QSize &picture, const QSize &shown)
{
    for (const int d : {8, 4, 2}) {
        const int width = (picture.width() + d - 1) / d;
        const int height = (picture.height() + d - 1) / d;
        if (width >= shown.width() && height >= shown.height())
            return d;
    }
    return 1;
}

int exifOrientation(const QByteArray &data)
{
    Decompressor d;
    Header header{};
    if (readHeader(&d.cinfo, &d.err, reinterpret_cast<const unsigned char *>(data.constData()),
                   static_cast<unsigned long>(data.size()), 1, 1, &header))
        return 1;
    return orientationOf(d.cinfo);
}

namespace {

struct Compressor
{
    Compressor()
    {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = errorExit;
        err.pub.output_message = silentMessage;
        jpeg_create_compress(&cinfo);
    }
    ~Compressor()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
};

int writeAll(Compressor *c, const QImage &image, int quality)
{
    if (setjmp(c->err.jump))
        return c->err.pub.msg_code;
    jpeg_compress_struct *cinfo = &c->cinfo;
    jpeg_mem_dest(cinfo, &c->buffer, &c->size);
    cinfo->image_width = JDIMENSION(image.width());
    cinfo->image_height = JDIMENSION(image.height());
    cinfo->input_components = 4;
    cinfo->in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return 0;
}

} // namespace

QByteArray encode(const QImage &image, int quality)
{
    if (image.isNull())
        throw JpegError(kOutOfRange, "no picture to encode");
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    Compressor c;
    if (const int code = writeAll(&c, rgb, quality))
        throwCode(code);
    return QByteArray(reinterpret_cast<const char *>(c.buffer), qsizetype(c.size));
}

} // namespace JpegCodec
