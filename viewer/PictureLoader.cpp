#include "PictureLoader.h"

#include "JpegCodec.h"
#include "PictureCodec.h"
#include "StreamedBytes.h"

#include <new>

PictureLoader::PictureLoader(QObject *parent, Urgency urgency) : QObject(parent)
{
    // Two threads: a cancelled decode may still be winding down while the
    // next one starts.
    m_pool.setMaxThreadCount(2);
    if (urgency == Urgency::Background)
        m_pool.setThreadPriority(QThread::IdlePriority);
}

PictureLoader::~PictureLoader()
{
    cancel();
    m_pool.waitForDone();
}

int PictureLoader::load(const QByteArray &data, int scaleDenominator)
{
    return load(std::make_shared<const StreamedBytes>(data), scaleDenominator);
}

int PictureLoader::load(std::shared_ptr<const StreamedBytes> data, int scaleDenominator)
{
    return start([data, scaleDenominator](const std::atomic_bool *stop) {
        JpegCodec::DecodeOptions options;
        options.cancel = stop;
        options.scaleDenominator = scaleDenominator;
        return PictureCodec::decode(*data, options);
    });
}

namespace {

// A whole picture this large is decoded again for each part rather than
// kept beside the one on screen.
constexpr qsizetype kMaxKeptWholeBytes = 100 << 20;

} // namespace

int PictureLoader::loadPart(const QByteArray &data, const QRect &part, int eighths)
{
    return start([this, data, part, eighths](const std::atomic_bool *stop) {
        JpegCodec::DecodeOptions options;
        options.cancel = stop;
        if (PictureCodec::decodesParts(data))
            return PictureCodec::decodePart(data, part, eighths, options);
        QImage whole = keptWhole(data);
        if (whole.isNull()) {
            whole = PictureCodec::decode(data, options);
            keepWhole(data, whole, stop);
        }
        return PictureCodec::partOf(whole, part, eighths);
    });
}

QImage PictureLoader::keptWhole(const QByteArray &bytes) const
{
    QMutexLocker lock(&m_wholeMutex);
    // The bytes themselves are compared: a picture's bytes may be read
    // again into another buffer, and another picture's may come to lie
    // where these were.
    return m_whole.bytes == bytes ? m_whole.image : QImage();
}

void PictureLoader::keepWhole(const QByteArray &bytes, const QImage &image, const std::atomic_bool *stop)
{
    QMutexLocker lock(&m_wholeMutex);
    m_whole = WholePicture();
    // A request stopped before this (the picture's album locked, another
    // picture shown) keeps nothing: the stop comes before forgetWhole().
    if (!stop->load() && image.sizeInBytes() <= kMaxKeptWholeBytes)
        m_whole = {QByteArray(bytes.constData(), bytes.size()), image};
}

void PictureLoader::forgetWhole()
{
    QMutexLocker lock(&m_wholeMutex);
    m_whole = WholePicture();
}

bool PictureLoader::holdsWholePicture() const
{
    QMutexLocker lock(&m_wholeMutex);
    return !m_whole.image.isNull();
}

int PictureLoader::start(std::function<QImage(const std::atomic_bool *stop)> decode)
{
    cancel();
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_cancel = stop;
    const int request = ++m_last;
    m_pending = request;
    m_pool.start([this, decode = std::move(decode), stop, request] {
        // A request replaced while it waited for a thread is not begun.
        if (stop->load())
            return;
        QImage picture;
        QString error;
        try {
            picture = decode(stop.get());
        } catch (const JpegCodec::JpegError &e) {
            error = QString::fromUtf8(e.what());
        } catch (const std::bad_alloc &) {
            error = tr("内存不足,无法显示图片");
        }
        if (stop->load())
            return;
        // Delivered on the window's thread; dropped if the loader is gone.
        QMetaObject::invokeMethod(
            this, [this, request, picture, error] { report(request, picture, error); }, Qt::QueuedConnection);
    });
    return request;
}

void PictureLoader::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    m_pending = 0;
}

void PictureLoader::report(int request, const QImage &picture, const QString &error)
{
    if (request != m_pending)
        return;
    m_pending = 0;
    m_cancel.reset();
    if (error.isEmpty())
        emit loaded(request, picture);
    else
        emit failed(request, error);
}
