#pragma once
// The neighbours of the shown picture, decoded ahead in the background, so
// that stepping onto one shows it at once. Bounded in memory; whatever
// could make an entry stale (a rename, a delete, a refresh, a turn) clears
// it.

#include <QHash>
#include <QImage>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>

class PicturePrefetch : public QObject
{
    Q_OBJECT
public:
    explicit PicturePrefetch(QObject *parent = nullptr);
    // Stops what is decoding and waits for it.
    ~PicturePrefetch() override;

    struct Request
    {
        int pictureId;
        QByteArray data;
        int scaleDenominator;
    };
    // Decodes these pictures one after the other, dropping any earlier
    // request not yet done and every entry not among them.
    void prefetch(const QList<Request> &requests);
    // Keeps a picture already decoded, with the bytes it came from.
    void keep(int pictureId, int scaleDenominator, const QImage &picture, const QByteArray &data);
    // The picture decoded at that scale; null when there is none.
    QImage find(int pictureId, int scaleDenominator) const;
    // The stored bytes of a picture decoded ahead; null when there is none.
    QByteArray findData(int pictureId) const;
    void clear();

    // At most this many decoded pictures are kept.
    static constexpr int MaxEntries = 3;

private:
    struct Entry
    {
        int scaleDenominator = 0;
        QImage picture;
        QByteArray data;
    };
    void store(int pictureId, const Entry &entry);

    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QHash<int, Entry> m_entries;
    QList<int> m_order; // oldest first
};
