#include "PictureLoader.h"

#include "JpegCodec.h"

#include <new>

PictureLoader::PictureLoader(QObject *parent) : QObject(parent)
{
    // Two threads: a cancelled decode may still be winding down while the
    // next one starts.
    m_pool.setMaxThreadCount(2);
}

PictureLoader::~PictureLoader()
{
    cancel();
    m_pool.waitForDone();
}

int PictureLoader::load(const QByteArray &data, int scaleDenominator)
{
    cancel();
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_cancel = stop;
    const int request = ++m_last;
    m_pending = request;
    m_pool.start([this, data, scaleDenominator, stop, request] {
        QImage picture;
        QString error;
        try {
            JpegCodec::DecodeOptions options;
            options.cancel = stop.get();
            options.scaleDenominator = scaleDenominator;
            picture = JpegCodec::decode(data, options);
        } catch (const JpegCodec::JpegError &e) {
            error = QString::fromUtf8(e.what());
        } catch (const std::bad_alloc &) {
            error = QStringLiteral("内存不足,无法显示图片");
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
