// Exporting an album's pictures: the stored bytes read on two threads (the
// pages' decryption is most of the work, and a connection does it on one
// processor) while the files are written and flushed on the caller's.

#include "AlbumStore.h"
#include "FileWriting.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QFileInfo>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace {

constexpr int kReaders = 2;
// Read ahead of the file being written: a few pictures, about 64 MB.
constexpr qint64 kAheadBytes = qint64(64) << 20;

struct ReadPicture
{
    QByteArray stored;
    std::exception_ptr failure;
};

} // namespace

// The pictures' stored bytes, read in order by the readers into slots the
// writer takes one after the other.
struct AlbumStore::PicturesAhead::Reading
{
public:
    Reading(const QString &path, const QList<int> &ids) : m_path(path), m_ids(ids), m_slots(size_t(ids.size()))
    {
        for (int r = 0; r < kReaders; ++r)
            m_threads.emplace_back([this, r] { read(r); });
    }
    ~Reading()
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    // The stored bytes of the picture at that place, once read; rethrows
    // what reading it threw.
    QByteArray take(qsizetype at)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [&] { return m_slots[size_t(at)].has_value(); });
        ReadPicture read = std::move(*m_slots[size_t(at)]);
        m_slots[size_t(at)].reset();
        m_ahead -= read.stored.size();
        m_taken = at + 1;
        lock.unlock();
        m_changed.notify_all();
        if (read.failure)
            std::rethrow_exception(read.failure);
        return read.stored;
    }

private:
    void read(int reader)
    {
        std::optional<SqlConnection> db;
        for (qsizetype at = reader; at < m_ids.size(); at += kReaders) {
            {
                // The next one waits while enough is read ahead, unless it is
                // the next to be written.
                std::unique_lock<std::mutex> lock(m_lock);
                m_changed.wait(lock, [&] { return m_stop || at == m_taken || m_ahead < kAheadBytes; });
                if (m_stop)
                    return;
            }
            ReadPicture read;
            try {
                if (!db) {
                    db.emplace();
                    AlbumStore::openForReading(*db, m_path);
                }
                SqlStatement q(*db, QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
                q.bind(1, m_ids.at(at));
                if (q.next())
                    read.stored = q.blob(0);
            } catch (...) {
                read.failure = std::current_exception();
            }
            {
                const std::lock_guard<std::mutex> guard(m_lock);
                m_ahead += read.stored.size();
                m_slots[size_t(at)] = std::move(read);
            }
            m_changed.notify_all();
        }
    }

    const QString m_path;
    const QList<int> m_ids;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::optional<ReadPicture>> m_slots;
    qint64 m_ahead = 0;
    qsizetype m_taken = 0;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

AlbumStore::PicturesAhead::PicturesAhead(AlbumStore &store, const QList<int> &pictureIds)
    : m_store(store), m_ids(pictureIds), m_reading(std::make_unique<Reading>(store.m_path, pictureIds))
{
}

AlbumStore::PicturesAhead::~PicturesAhead() = default;

QByteArray AlbumStore::PicturesAhead::next()
{
    const qsizetype at = m_next++;
    return m_store.plainPicture(m_ids.at(at), m_reading->take(at));
}

std::unique_ptr<AlbumStore::PicturesAhead> AlbumStore::readPicturesAhead(const QList<int> &pictureIds)
{
    return std::unique_ptr<PicturesAhead>(new PicturesAhead(*this, pictureIds));
}

int AlbumStore::exportPictureFiles(const QList<int> &pictureIds, const QString &folder,
                                   const std::function<void(int pictureId)> &progress)
{
    PicturesAhead reading(*this, pictureIds);
    int written = 0;
    for (const int pictureId : pictureIds) {
        if (progress)
            progress(pictureId);
        if (!writePictureFile(pictureId, folder, reading.next()))
            break;
        ++written;
    }
    return written;
}
