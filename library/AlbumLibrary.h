#pragma once
// The albums as the windows see them. Every change a user can make goes
// through here and is announced, so that every view of the albums (the
// tree, the viewer, the choosers) follows it without being told by hand.
// It also keeps which protected albums are open: their keys are in memory
// from the right password until the album is locked again.

#include "AlbumStore.h"
#include "LegacyImport.h"
#include "PictureImport.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class StoreCheck;
class StreamedBytes;

class AlbumLibrary : public QObject
{
    Q_OBJECT
public:
    explicit AlbumLibrary(AlbumStore &store, QObject *parent = nullptr);

    // ---- the store
    // Opens the store file; false with openFailureMessage() when it cannot.
    bool open(const QString &path);
    QString openFailureMessage() const { return m_store.openFailureMessage(); }
    bool isOpen() const { return m_store.isOpen(); }
    // The store file as opened (its real place).
    QString storePath() const { return m_store.path(); }
    // A damaged store is written no more; the handler is told once.
    bool isDamaged() const { return m_store.isDamaged(); }
    void markDamaged() { m_store.markDamaged(); }
    void noteFoundWhole() { m_store.noteFoundWhole(); }
    void setDamageHandler(std::function<void()> handler) { m_store.setDamageHandler(std::move(handler)); }
    // Checks every page of the open store in the background (a store of
    // gigabytes must not hold up the start); its verdict marks the store
    // damaged or notes it whole. A write before it has ended waits for it,
    // through the store's work runner.
    void checkPagesInBackground();
    // Told when a write starts (true) and stops (false) waiting for that
    // check: a window shows that it is busy.
    void setWaitIndicator(std::function<void(bool busy)> indicator) { m_waitIndicator = std::move(indicator); }
    // Whether the check of every page is still under way: writes wait for it.
    bool checkingPages() const { return !m_checkDone; }
    // Whether a change is under way in the store (a transaction not yet
    // ended, while a window takes events): nothing else is written then.
    bool isWriting() { return m_store.isOpen() && !m_store.connection().inAutocommit(); }
    // Compacts the store file; when lack of room stopped it, *roomNeeded is
    // the free space it needs. Passes on a store that cannot be opened again.
    bool compact(const QString &storePath, qint64 *roomNeeded);
    // A checked copy of the store file at target (see AlbumStore::backupStore).
    bool backUp(const QString &storePath, const QString &target);

    // What the user is told of an error from the albums: a store error in
    // Chinese with the engine's text as a detail, any other by its text.
    static QString errorMessage(const std::exception &error);
    // The same for a store failure's result code and the engine's text.
    static QString storeFailureMessage(int code, const QString &detail);
    // Why a picture was not stored, in Chinese.
    static QString pictureFailureCause(const AlbumStore::PictureFailure &failure);
    // Makes an empty store at path, never replacing a file; false with the
    // reason in *error.
    static bool createEmptyStore(const QString &path, QString *error);

    // ---- albums (named by their names)
    // Every album, in the store's order. Passes store errors on.
    QStringList albums();
    // For each album of albums(), in its order, whether it holds pictures
    // (without reading their names). Passes store errors on.
    QList<bool> albumsHoldingPictures() { return m_store.albumsHoldingPictures(); }
    bool albumExists(const QString &name);
    // Passes store errors on.
    bool albumHasPassword(const QString &name);
    bool addAlbum(const QString &name, const QString &password);
    bool deleteAlbum(const QString &name);
    // Sets, changes or removes (empty) the album's password; see
    // AlbumStore::setAlbumPassword. Passes store and cipher errors on.
    bool setAlbumPassword(const QString &name, const QString &password);

    // ---- open albums
    // True when the password is the album's: its key is then open (an album
    // without a password needs none). Throws a cipher error for an album
    // whose protection was altered.
    bool unlock(const QString &album, const QString &password);
    // Closes a protected album: its key is wiped, and everything decoded of
    // its pictures is to be dropped (albumLocked).
    void lock(const QString &album);
    bool isUnlocked(const QString &album);
    // Closes every open album but those named.
    void lockAllBut(const QStringList &keep);

    // ---- pictures
    // Passes store errors on.
    QStringList pictureNames(const QString &album);
    QList<int> pictureIds(const QString &album);
    int pictureId(const QString &album, const QString &name);
    QString pictureName(int pictureId);
    // The picture's bytes as imported; see AlbumStore::pictureData.
    QByteArray pictureData(int pictureId, bool *found = nullptr) { return m_store.pictureData(pictureId, found); }
    bool streamPictureData(int pictureId, StreamedBytes &into, const std::function<bool()> &ready)
    {
        return m_store.streamPictureData(pictureId, into, ready);
    }
    int exportPictures(const QList<int> &pictureIds, const QString &folder,
                       const std::function<void(int pictureId)> &progress)
    {
        return m_store.exportPictureFiles(pictureIds, folder, progress);
    }
    // ---- thumbnails (see AlbumStore)
    QByteArray thumbnailData(int pictureId) { return m_store.thumbnailData(pictureId); }
    int storeThumbnails(const QList<std::pair<int, QByteArray>> &thumbnails) { return m_store.storeThumbnails(thumbnails); }
    QList<AlbumStore::DetachedPicture> picturesWithoutThumbnail(const QString &album);
    AlbumStore::DetachedPicture detachPicture(int pictureId) { return m_store.detachPicture(pictureId); }

    // A picture shown, written as a JPEG file; see AlbumStore::savePictureFile.
    bool savePictureFile(const QImage *picture, const QString &path, const QString &ext)
    {
        return m_store.savePictureFile(picture, path, ext);
    }

    using PictureFailure = AlbumStore::PictureFailure;
    // Stores the file as a new picture of the album; see AlbumStore::addPicture.
    bool addPicture(const QString &album, const QString &path, PictureFailure *failure = nullptr);
    // The same for a file read already (PictureImport::FilesAhead): its
    // read error, or its bytes with their hash.
    bool addPicture(const QString &album, const QString &path, const PictureImport::ReadFile &read,
                    PictureFailure *failure = nullptr);
    // What the album's pictures are hashed with, for another thread; none
    // while the album is protected and its key not open (it takes no
    // picture then).
    PictureImport::Hasher contentHasher(const QString &album);
    bool deletePicture(const QString &album, const QString &name);
    bool renamePicture(const QString &album, const QString &from, const QString &to);

    // Imports the files and folders (with their subfolders) into the
    // album; see PictureImport. What the paths hold that cannot be read is
    // in the summary too. Passes a cipher error on for a locked album, and
    // a store error that stopped it (what was stored before stays).
    PictureImport::Summary importFiles(const QString &album, const QStringList &paths,
                                       const PictureImport::Progress &progress);

    // Brings in the albums of an earlier version's store; see LegacyImport.
    LegacyImport::Summary importOldStore(const QString &file, const LegacyImport::Progress &progress);

signals:
    void albumAdded(const QString &album);
    void albumRemoved(const QString &album);
    void albumProtectionChanged(const QString &album);
    void picturesAdded(const QString &album);
    void pictureRemoved(const QString &album, const QString &picture);
    void pictureRenamed(const QString &album, const QString &from, const QString &to);
    void albumUnlocked(const QString &album);
    void albumLocked(const QString &album);
    // Albums came in from elsewhere (an old store): every view reads anew.
    void albumsReplaced();
    // The background check of every page has ended, whatever it found.
    void pagesChecked();

private:
    friend class AlbumLibraryTask;
    AlbumStore &m_store;
    QSet<QString> m_unlocked;
    StoreCheck *m_check = nullptr;
    bool m_checkDone = true;
    std::function<void(bool)> m_waitIndicator;
};

// The protected albums a task (a dialog) opens are closed again when it
// ends, but for those that were open before it began.
class AlbumLibraryTask
{
public:
    explicit AlbumLibraryTask(AlbumLibrary &library) : m_library(library), m_before(library.m_unlocked) {}
    ~AlbumLibraryTask();
    AlbumLibraryTask(const AlbumLibraryTask &) = delete;
    AlbumLibraryTask &operator=(const AlbumLibraryTask &) = delete;

private:
    AlbumLibrary &m_library;
    QSet<QString> m_before;
};
