#pragma once
// The pictures' thumbnails as a view shows them. Those asked for (the ones
// on screen) are read from the store and decoded on this thread, a few
// milliseconds at a time; those the store lacks are made from their
// pictures on a thread of their own at the system's idle priority, and
// kept in the store. In the background the same thread makes every missing
// thumbnail of the albums that can be read, oldest album first. Decoded
// thumbnails are kept in memory up to a bound, whatever the albums hold;
// nothing is written anywhere but the store.

#include "AlbumStore.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>

#include <memory>

class AlbumLibrary;
class QTimer;

class AlbumThumbnails : public QObject
{
    Q_OBJECT
public:
    explicit AlbumThumbnails(AlbumLibrary &library, QObject *parent = nullptr);
    ~AlbumThumbnails() override;

    // The size thumbnails are given at (they keep their proportions inside
    // it), in device pixels.
    void setImageSize(const QSize &size);
    QSize imageSize() const { return m_imageSize; }

    // The picture's thumbnail at that size; null while it is not at hand
    // (ask for it), and for a picture none can be made of.
    QImage thumbnail(int pictureId) const;
    bool cannotBeMade(int pictureId) const { return m_unmakeable.contains(pictureId); }
    // The pictures wanted now, most wanted first, in place of those asked
    // for before: each is read or made, and thumbnailReady tells when it is
    // at hand.
    void request(const QList<int> &pictureIds);
    // Makes the missing thumbnails of every album that can be read, in the
    // background, once the store's pages are checked.
    void fillInBackground();

    // Whether anything asked for or to be made in the background is left.
    bool isBusy() const;

signals:
    void thumbnailReady(int pictureId);

private:
    struct Maker;
    void serveRequests();
    // A thumbnail made on the maker's thread, on this one.
    void made(int pictureId, const QByteArray &thumbnail, int generation);
    void notMade(int pictureId, int generation);
    void saveMade();
    // What the store holds no longer matches what is queued or decoded (a
    // picture deleted, an album locked): everything starts again.
    void startAgain();
    void fillAlbum(const QString &album);
    void fillNextAlbum();
    // Decodes a thumbnail's bytes at the image size into the cache.
    bool keep(int pictureId, const QByteArray &thumbnail);

    AlbumLibrary &m_library;
    std::unique_ptr<Maker> m_maker;
    QSize m_imageSize{128, 128};
    QCache<int, QImage> m_cache;
    QList<int> m_wanted;
    // The pictures last asked for, kept in memory as they come.
    QSet<int> m_requested;
    // Handed to the maker and not back yet.
    QHash<int, AlbumStore::DetachedPicture> m_sent;
    // Of those asked for, the ones the maker is to make first.
    QList<AlbumStore::DetachedPicture> m_toMake;
    QSet<int> m_unmakeable;
    QTimer *m_serve = nullptr;
    QTimer *m_saveLater = nullptr;
    // Made while the store was busy with a change of the user's.
    QList<std::pair<int, QByteArray>> m_unsaved;
    // Albums still to be looked through by the background filling.
    QStringList m_albumsToFill;
    int m_generation = 0;
    bool m_fillWhenChecked = false;
    bool m_stopped = false;
};
