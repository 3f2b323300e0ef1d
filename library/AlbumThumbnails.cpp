#include "AlbumThumbnails.h"

#include "AlbumLibrary.h"
#include "JpegCodec.h"
#include "Thumbnail.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_set>

#include <sys/stat.h>

namespace {

// Decoded thumbnails kept in memory, in KiB: a few screens of them.
constexpr int kCacheKiB = 48 * 1024;
// The window's thread reads and decodes asked-for thumbnails this long at a
// time, then lets the window draw.
constexpr int kServeSliceMs = 10;
// Made thumbnails are kept in the store this many at a time (one
// transaction, one flush), or after a short while.
constexpr int kSaveBatch = 32;
constexpr int kSaveAfterMs = 500;
// Threads that make thumbnails, at most.
constexpr int kMakers = 2;

} // namespace

// The thread that makes thumbnails from pictures: the ones asked for first,
// then the background's, each picture read through a connection of its own.
struct AlbumThumbnails::Maker
{
    struct Job
    {
        AlbumStore::DetachedPicture picture;
        int generation = 0;
    };

    explicit Maker(AlbumThumbnails &owner) : m_owner(owner)
    {
        // One a processor: once an import has ended, the thumbnails it left
        // are made on all of them.
        const int threads = qBound(1, QThread::idealThreadCount(), kMakers);
        for (int i = 0; i < threads; ++i) {
            QThread *thread = QThread::create([this] { run(); });
            thread->setObjectName(QStringLiteral("thumbnails"));
            // Nothing the user waits for but the thumbnails on screen: the
            // system's idle class leaves the processors to everything else.
            thread->start(QThread::IdlePriority);
            m_threads.push_back(thread);
        }
    }
    ~Maker()
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        for (QThread *thread : m_threads) {
            thread->wait();
            delete thread;
        }
    }

    void setPath(const QString &path)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_path = path;
    }
    // Those on screen, in place of those asked for before.
    void setUrgent(const QList<AlbumStore::DetachedPicture> &pictures, int generation)
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_urgent.clear();
            for (const auto &picture : pictures)
                m_urgent.push_back({picture, generation});
        }
        m_changed.notify_all();
    }
    void addBackground(const QList<AlbumStore::DetachedPicture> &pictures, int generation)
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            for (const auto &picture : pictures)
                m_background.push_back({picture, generation});
        }
        m_changed.notify_all();
    }
    // Drops every job (and with them the keys they hold).
    void clear()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_urgent.clear();
        m_background.clear();
        m_done.clear();
    }
    bool isBusy()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_working > 0 || !m_urgent.empty() || !m_background.empty() || m_inFlight > 0;
    }
    void handled() { --m_inFlight; }

private:
    void run()
    {
        std::optional<SqlConnection> db;
        dev_t device = 0;
        ino_t inode = 0;
        for (;;) {
            Job job;
            QString path;
            {
                std::unique_lock<std::mutex> lock(m_lock);
                m_changed.wait(lock, [&] { return m_stop || !m_urgent.empty() || !m_background.empty(); });
                if (m_stop)
                    return;
                auto &queue = !m_urgent.empty() ? m_urgent : m_background;
                job = std::move(queue.front());
                queue.pop_front();
                if (m_done.count(job.picture.pictureId) || m_taken.count(job.picture.pictureId))
                    continue;
                // Another thread does not make it again meanwhile.
                m_taken.insert(job.picture.pictureId);
                ++m_working;
                path = m_path;
            }
            enum { Made, CannotBeMade, NotNow } outcome = NotNow;
            QByteArray thumbnail;
            try {
                // A compaction into a copy puts a new file in the store's
                // place: read that one, and let the old one go.
                struct stat now = {};
                if (::stat(QFile::encodeName(path).constData(), &now) != 0)
                    throw SqlError(14, "the store file is gone");
                if (!db || now.st_dev != device || now.st_ino != inode) {
                    db.reset();
                    db.emplace();
                    AlbumStore::openForReading(*db, path);
                    device = now.st_dev;
                    inode = now.st_ino;
                }
                const QByteArray picture = AlbumStore::readDetached(*db, job.picture);
                if (!picture.isEmpty()) {
                    thumbnail = Thumbnail::make(picture);
                    outcome = Made;
                }
            } catch (const SqlError &) {
                // Busy or gone: tried again at the next filling.
                db.reset();
            } catch (const std::exception &) {
                outcome = CannotBeMade; // not decodable, or not decrypted
            }
            bool idle = false;
            {
                const std::lock_guard<std::mutex> guard(m_lock);
                if (outcome != NotNow) {
                    m_done.insert(job.picture.pictureId);
                    ++m_inFlight;
                }
                m_taken.erase(job.picture.pictureId);
                --m_working;
                idle = m_urgent.empty() && m_background.empty();
            }
            // No connection is held while there is nothing to do: a store
            // replaced meanwhile is let go of.
            if (idle)
                db.reset();
            if (outcome == NotNow)
                continue;
            const int id = job.picture.pictureId;
            const int generation = job.generation;
            if (outcome == Made)
                QMetaObject::invokeMethod(
                    &m_owner, [this, id, thumbnail, generation] { m_owner.made(id, thumbnail, generation); },
                    Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(
                    &m_owner, [this, id, generation] { m_owner.notMade(id, generation); }, Qt::QueuedConnection);
        }
    }

    AlbumThumbnails &m_owner;
    std::vector<QThread *> m_threads;
    std::mutex m_lock;
    std::condition_variable m_changed;
    QString m_path;
    std::deque<Job> m_urgent;
    std::deque<Job> m_background;
    // Made (or found not makeable) since the queues were last cleared.
    std::unordered_set<int> m_done;
    // Being made now.
    std::unordered_set<int> m_taken;
    // Results posted to the window's thread and not handled yet.
    std::atomic_int m_inFlight = 0;
    int m_working = 0;
    bool m_stop = false;
};

AlbumThumbnails::AlbumThumbnails(AlbumLibrary &library, QObject *parent)
    : QObject(parent), m_library(library), m_maker(std::make_unique<Maker>(*this))
{
    m_cache.setMaxCost(kCacheKiB);
    m_serve = new QTimer(this);
    m_serve->setSingleShot(true);
    m_serve->setInterval(0);
    connect(m_serve, &QTimer::timeout, this, &AlbumThumbnails::serveRequests);
    m_saveLater = new QTimer(this);
    m_saveLater->setSingleShot(true);
    m_saveLater->setInterval(kSaveAfterMs);
    connect(m_saveLater, &QTimer::timeout, this, &AlbumThumbnails::saveMade);

    // Ids can be used again once their picture is gone, and keys change:
    // what is queued or decoded is dropped, and the filling starts again.
    for (const auto signal : {&AlbumLibrary::albumRemoved, &AlbumLibrary::albumLocked,
                              &AlbumLibrary::albumProtectionChanged})
        connect(&library, signal, this, &AlbumThumbnails::startAgain);
    connect(&library, &AlbumLibrary::pictureRemoved, this, &AlbumThumbnails::startAgain);
    connect(&library, &AlbumLibrary::albumsReplaced, this, &AlbumThumbnails::startAgain);
    connect(&library, &AlbumLibrary::picturesAdded, this, &AlbumThumbnails::fillAlbum);
    connect(&library, &AlbumLibrary::albumUnlocked, this, &AlbumThumbnails::fillAlbum);
    connect(&library, &AlbumLibrary::pagesChecked, this, [this] {
        if (m_fillWhenChecked)
            fillInBackground();
    });
}

AlbumThumbnails::~AlbumThumbnails()
{
    // The maker stops before anything it posts to could go.
    m_maker.reset();
}

void AlbumThumbnails::setImageSize(const QSize &size)
{
    if (size == m_imageSize)
        return;
    m_imageSize = size;
    m_cache.clear();
}

QImage AlbumThumbnails::thumbnail(int pictureId) const
{
    const QImage *image = m_cache.object(pictureId);
    return image ? *image : QImage();
}

void AlbumThumbnails::request(const QList<int> &pictureIds)
{
    m_wanted = pictureIds;
    m_toMake.clear();
    m_requested = QSet<int>(pictureIds.cbegin(), pictureIds.cend());
    m_serve->start();
}

bool AlbumThumbnails::isBusy() const
{
    return !m_wanted.isEmpty() || !m_unsaved.isEmpty() || !m_albumsToFill.isEmpty() || m_maker->isBusy();
}

bool AlbumThumbnails::keep(int pictureId, const QByteArray &thumbnail)
{
    QImage image;
    try {
        // Decoded straight at the size shown where the decoder can scale
        // to it: a fraction of the cost of decoding and then reducing.
        const QSize size = JpegCodec::uprightSize(thumbnail);
        JpegCodec::DecodeOptions options;
        options.scaleDenominator =
            JpegCodec::scaleDenominatorFor(size, size.scaled(m_imageSize, Qt::KeepAspectRatio));
        image = JpegCodec::decode(thumbnail, options);
    } catch (const std::exception &) {
        return false;
    }
    if (image.width() > m_imageSize.width() || image.height() > m_imageSize.height())
        image = image.scaled(m_imageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const qsizetype kib = image.sizeInBytes() / 1024 + 1;
    m_cache.insert(pictureId, new QImage(std::move(image)), kib);
    return true;
}

void AlbumThumbnails::serveRequests()
{
    if (!m_library.isOpen())
        return;
    QElapsedTimer slice;
    slice.start();
    const qsizetype madeBefore = m_toMake.size();
    while (!m_wanted.isEmpty() && slice.elapsed() < kServeSliceMs) {
        const int id = m_wanted.takeFirst();
        if (m_cache.contains(id) || m_unmakeable.contains(id))
            continue;
        if (const auto sent = m_sent.constFind(id); sent != m_sent.cend()) {
            m_toMake.append(*sent);
            continue;
        }
        QByteArray data;
        try {
            data = m_library.thumbnailData(id);
        } catch (const std::exception &) {
            continue; // its album locked meanwhile, or a store error
        }
        if (data.isEmpty()) {
            // Made but not kept in the store yet.
            for (const auto &[unsavedId, bytes] : std::as_const(m_unsaved))
                if (unsavedId == id)
                    data = bytes;
        }
        if (!data.isEmpty() && keep(id, data)) {
            emit thumbnailReady(id);
            continue;
        }
        try {
            const AlbumStore::DetachedPicture picture = m_library.detachPicture(id);
            if (picture.albumId >= 0) {
                m_toMake.append(picture);
                m_sent.insert(id, picture);
            }
        } catch (const std::exception &) {
        }
    }
    if (m_toMake.size() != madeBefore) {
        m_maker->setPath(m_library.storePath());
        m_maker->setUrgent(m_toMake, m_generation);
    }
    if (!m_wanted.isEmpty())
        m_serve->start();
}

void AlbumThumbnails::made(int pictureId, const QByteArray &thumbnail, int generation)
{
    m_maker->handled();
    if (generation != m_generation)
        return;
    m_sent.remove(pictureId);
    m_unsaved.append({pictureId, thumbnail});
    if (m_requested.contains(pictureId) && keep(pictureId, thumbnail))
        emit thumbnailReady(pictureId);
    if (m_unsaved.size() >= kSaveBatch)
        saveMade();
    else if (!m_saveLater->isActive())
        m_saveLater->start();
}

void AlbumThumbnails::notMade(int pictureId, int generation)
{
    m_maker->handled();
    if (generation != m_generation)
        return;
    m_sent.remove(pictureId);
    m_unmakeable.insert(pictureId);
    if (m_requested.contains(pictureId))
        emit thumbnailReady(pictureId);
}

void AlbumThumbnails::saveMade()
{
    if (m_unsaved.isEmpty() || m_stopped)
        return;
    // Never inside a change of the user's (a window taking events while its
    // transaction is open), nor before the pages are checked: later.
    if (!m_library.isOpen() || m_library.isWriting() || m_library.checkingPages()) {
        m_saveLater->start();
        return;
    }
    const auto batch = std::exchange(m_unsaved, {});
    try {
        m_library.storeThumbnails(batch);
    } catch (const std::exception &e) {
        // A damaged store (told on its own), or a full disk: the thumbnails
        // are made again at the next start.
        qWarning("Thumbnails could not be kept: %s", e.what());
        m_stopped = true;
        m_maker->clear();
    }
}

void AlbumThumbnails::startAgain()
{
    ++m_generation;
    m_maker->clear();
    m_cache.clear();
    m_unsaved.clear();
    m_unmakeable.clear();
    m_sent.clear();
    m_albumsToFill.clear();
    // What is on screen is asked for again by its view.
    m_wanted.clear();
    if (m_fillWhenChecked)
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (generation == m_generation)
                fillInBackground();
        });
}

void AlbumThumbnails::fillInBackground()
{
    m_fillWhenChecked = true;
    if (m_stopped || !m_library.isOpen() || m_library.checkingPages())
        return;
    try {
        m_albumsToFill = m_library.albums();
    } catch (const std::exception &e) {
        qWarning("The albums could not be read for their thumbnails: %s", e.what());
        return;
    }
    fillNextAlbum();
}

void AlbumThumbnails::fillNextAlbum()
{
    if (m_albumsToFill.isEmpty())
        return;
    fillAlbum(m_albumsToFill.takeFirst());
    // One album at a time, each looked through between the window's events.
    if (!m_albumsToFill.isEmpty())
        QTimer::singleShot(0, this, &AlbumThumbnails::fillNextAlbum);
}

void AlbumThumbnails::fillAlbum(const QString &album)
{
    if (!m_fillWhenChecked || m_stopped || !m_library.isOpen() || m_library.checkingPages())
        return;
    try {
        const auto pictures = m_library.picturesWithoutThumbnail(album);
        if (pictures.isEmpty())
            return;
        m_maker->setPath(m_library.storePath());
        m_maker->addBackground(pictures, m_generation);
    } catch (const std::exception &e) {
        qWarning("The album's thumbnails could not be looked for: %s", e.what());
    }
}
