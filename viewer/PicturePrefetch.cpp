#include "PicturePrefetch.h"

#include "JpegCodec.h"
#include "PictureCodec.h"

PicturePrefetch::PicturePrefetch(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    // Work ahead yields to what the window does now.
    m_pool.setThreadPriority(QThread::IdlePriority);
}

PicturePrefetch::~PicturePrefetch()
{
    if (m_cancel)
        m_cancel->store(true);
    m_pool.waitForDone();
}

void PicturePrefetch::prefetch(const QList<Request> &requests)
{
    if (m_cancel)
        m_cancel->store(true);
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_cancel = stop;
    // Only the pictures asked for now stay: memory holds a few at most.
    QList<int> wanted;
    for (const Request &r : requests)
        wanted.append(r.pictureId);
    for (const int id : QList<int>(m_order))
        if (!wanted.contains(id)) {
            m_entries.remove(id);
            m_order.removeAll(id);
        }
    for (const Request &request : requests) {
        if (!find(request.pictureId, request.scaleDenominator).isNull())
            continue;
        m_pool.start([this, request, stop] {
            if (stop->load())
                return;
            JpegCodec::DecodeOptions options;
            options.cancel = stop.get();
            options.scaleDenominator = request.scaleDenominator;
            QImage picture;
            try {
                picture = PictureCodec::decode(request.data, options);
            } catch (...) {
                return; // shown, it will say what is wrong with it
            }
            if (stop->load())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, request, picture, stop] {
                    if (!stop->load())
                        store(request.pictureId, {request.scaleDenominator, picture, request.data});
                },
                Qt::QueuedConnection);
        });
    }
}

void PicturePrefetch::keep(int pictureId, int scaleDenominator, const QImage &picture, const QByteArray &data)
{
    store(pictureId, {scaleDenominator, picture, data});
}

QImage PicturePrefetch::find(int pictureId, int scaleDenominator) const
{
    const auto it = m_entries.constFind(pictureId);
    return it != m_entries.cend() && it->scaleDenominator == scaleDenominator ? it->picture : QImage();
}

QByteArray PicturePrefetch::findData(int pictureId) const
{
    const auto it = m_entries.constFind(pictureId);
    return it != m_entries.cend() ? it->data : QByteArray();
}

void PicturePrefetch::clear()
{
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    m_entries.clear();
    m_order.clear();
}

void PicturePrefetch::store(int pictureId, const Entry &entry)
{
    m_entries.insert(pictureId, entry);
    m_order.removeAll(pictureId);
    m_order.append(pictureId);
    while (m_order.size() > MaxEntries)
        m_entries.remove(m_order.takeFirst());
}
