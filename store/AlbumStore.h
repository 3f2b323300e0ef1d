#pragma once
// The album store: the one connection to the store file, every statement
// run against it, and compaction and backup of the file. Windows name
// albums and pictures by their names; ids are looked up when needed.

#include "AlbumCipher.h"
#include "Sql.h"

#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <map>
#include <memory>

class QLockFile;
class StreamedBytes;

class AlbumStore
{
public:
    // A store object with its connection closed.
    AlbumStore();
    ~AlbumStore();
    AlbumStore(const AlbumStore &) = delete;
    AlbumStore &operator=(const AlbumStore &) = delete;

    // ---- connection
    // Opens the store file at path with the database password, closing any
    // open connection first, and locks it against every other process. Never
    // creates a file. False when the file is missing or cannot be read, the
    // password is wrong, the file is not a store or lacks the tables, its
    // first pages are damaged, or another process has the store open
    // (openFailure() tells which); the connection is then closed. Reports
    // nothing.
    bool openStore(const QString &path);
    // Closes the connection and lets other processes open the store.
    void closeStore();
    enum class OpenFailure { None, Missing, Unreadable, NotAStore, InUse, Damaged };
    OpenFailure openFailure() const { return m_openFailure; }
    // What the user is told of the last failed opening, in Chinese.
    QString openFailureMessage() const;
    // The lock file beside a store that marks it as in use.
    static QString lockFilePath(const QString &storePath);
    // The file of the open store.
    const QString &path() const { return m_path; }

    // ---- damage
    // A store found damaged (a page that does not decrypt or check, a
    // truncated file) is written no more: every write then fails, and the
    // handler is told once. Found at opening by a cheap check, by
    // checkEveryPage(), or by any statement that meets a damaged page.
    bool isDamaged() const { return m_damaged; }
    void markDamaged();
    // Every write is preceded by this: a store not yet known to be whole
    // has every page of its file checked first (StorePages), once per
    // opening. A store found whole is noted beside it (.<store>.checked,
    // the file as it was then: device, inode, size, times), so that the
    // next opening of a store that nothing else changed since skips the
    // check; the note is renewed when the store is closed after the
    // program's own writes. Throws SqlError (SQLITE_CORRUPT) when the
    // store is damaged: it is then marked so, and nothing is written.
    void checkBeforeWriting();
    // A check of every page run elsewhere (the window's, in the background)
    // found the store whole.
    void noteFoundWhole();
    // Called before the first write runs a check of its own: a caller with
    // a check under way waits for it here (and tells its verdict).
    void setCheckWaiter(std::function<void()> waiter) { m_checkWaiter = std::move(waiter); }
    // The note beside a store of the file as it was when last found whole,
    // and what it holds: the file as it is now ("device inode size mtime
    // ctime"), empty when that cannot be told.
    static QString wholeNotePath(const QString &storePath);
    static QByteArray fileIdentity(const QString &path);
    void setDamageHandler(std::function<void()> handler) { m_damageHandler = std::move(handler); }
    bool isOpen() const { return m_connection.isOpen(); }

    // The statement runner: every statement runs on this one connection,
    // with bound parameters. Throws SqlError when closed.
    SqlConnection &connection();

    // Number of rows of table whose column equals value (compared as the
    // column's collation does). Only the schema's own table and column names
    // are accepted; any other name, a closed connection or a store error
    // gives 0.
    int countWhere(const QString &table, const QString &column, const QString &value);

    // Largest id of column plus 1; 1 on an empty table. Throws SqlError on a
    // store error or a name that is not the schema's.
    int nextId(const QString &table, const QString &column);

    // ---- albums (named by their names; ids looked up when needed)
    // Fills list with every album name, in the store's order. Passes store
    // errors on, leaving the list as it was. Does nothing without a list.
    void listAlbums(QStringList *list);
    // For each album of listAlbums, in its order, whether it holds any
    // picture: one look into the (album, name) index per album, whatever
    // the albums hold. Passes store errors on.
    QList<bool> albumsHoldingPictures();
    // The album's id, or -1 when no album has that name or on any failure.
    int findAlbumId(const QString &name);
    // Adds an album with the name trimmed; false on failure and for a name
    // that is not safe to show (isSafeName). With a password, the album is
    // protected from the start: its verifier and wrapped key are written
    // with it, and its key is kept open (see checkAlbumPassword).
    bool addAlbum(const QString &name, const QString &password);
    // Deletes every album of that name with its pictures; false on failure.
    bool deleteAlbum(const QString &name);
    // True when the album exists and its trimmed password is not empty.
    // Passes store errors on.
    bool albumHasPassword(const QString &name);
    // True when the entered password is the album's (trimmed, letter case
    // A to Z aside): the password that opens the album's key, which is then
    // kept in locked memory until forgotten, so that the album's pictures
    // can be read and added. False otherwise and on a store failure. Throws
    // AlbumCipher::CipherError (damagedAlbum) for an album whose protection
    // was altered: its key row gone, or settings this program never writes.
    bool checkAlbumPassword(const QString &name, const QString &password);
    // Protects the album with the password (trimmed), changes it, or, with
    // an empty one, removes it; false when no album has that name. Setting
    // one encrypts every picture of the album, changing it encrypts them
    // anew with a new album key, removing it decrypts them, each in one
    // transaction. A protected album's key must be open (checkAlbumPassword)
    // to change or remove its password. Passes store and cipher errors on.
    bool setAlbumPassword(const QString &name, const QString &password);
    // Wipes the album's key from memory; its pictures can no longer be read.
    void forgetAlbumKey(const QString &name);
    // Wipes every album key but those of the albums named.
    void forgetAlbumKeys(const QStringList &keep = QStringList());
    bool albumKeyOpen(const QString &name);

    // Told how far a long task has gone (pictures encrypted or decrypted of
    // all), from 0 to total; the store's thread.
    using ProgressHandler = std::function<void(int done, int total)>;
    void setProgressHandler(ProgressHandler handler) { m_progressHandler = std::move(handler); }
    // Runs a long computation that touches nothing of the store (a key
    // derivation) and returns when it is done; a window runs it off its
    // thread and is redrawn meanwhile. Without one, it runs here.
    using WorkRunner = std::function<void(const std::function<void()> &work)>;
    void setWorkRunner(WorkRunner runner) { m_workRunner = std::move(runner); }
    // Runs work through the work runner; its exception is passed on here.
    void runWork(const std::function<void()> &work);

    // ---- pictures
    // The file name up to its first dot, trimmed.
    static QString pictureNameOf(const QString &path);
    // The file name's last extension without its dot, trimmed.
    static QString pictureExtensionOf(const QString &path);
    // Why a picture was not stored; detail holds the system's or the
    // engine's own text, storeCode SQLite's result code.
    struct PictureFailure
    {
        enum Kind { None, DuplicateName, Unreadable, Empty, NotAPicture, UnsafeName, NoSuchAlbum, Damaged, Store, Locked };
        Kind kind = None;
        QString detail;
        int storeCode = 0;
    };
    // Stores the file's bytes, unchanged, as a new picture of the album. All
    // or nothing: false (and nothing added) on a duplicate name in the
    // album, an unreadable or empty file, one the viewer could not show
    // (its detail says why, in Chinese), a name that is not safe to show or
    // a store error; *failure (when given) says which.
    bool addPicture(int albumId, const QString &path, PictureFailure *failure = nullptr);
    // The same for bytes read already, stored under that name and
    // extension; hash is their contentHash() when the caller has it, and
    // thumbnail (when not empty) is kept with the picture, in the same
    // transaction.
    bool addPictureData(int albumId, const QString &name, const QString &extension, const QByteArray &bytes,
                        PictureFailure *failure = nullptr, const QByteArray &hash = QByteArray(),
                        const QByteArray &thumbnail = QByteArray());

    // ---- content hashes: one of each picture's bytes as imported, kept
    // beside it, so that a picture imported again is recognised without
    // reading the pictures stored. A protected album's are keyed with a key
    // derived from its album key: they tell nothing of its pictures to
    // anyone without it.
    // The hash the album's pictures are compared by. Throws lockedAlbum
    // when the album is protected and its key is not open.
    QByteArray contentHash(int albumId, const QByteArray &bytes);
    // The same as a function of the bytes alone, for another thread (a
    // protected album's key goes with it as a copy). Throws lockedAlbum
    // as contentHash does.
    std::function<QByteArray(const QByteArray &bytes)> contentHasher(int albumId);
    // Whether a picture of the album has that hash. Passes store errors on.
    bool albumHoldsHash(int albumId, const QByteArray &hash);
    // Every hash the album's pictures have, read at once.
    QSet<QByteArray> albumHashes(int albumId);
    // Computes and keeps the hashes the album's pictures lack (pictures
    // stored by an older version), reading each of those once, a few dozen
    // to a transaction; returns how many. progress is told how many are
    // done of all before each; false stops there (what was done is kept).
    // Passes store and cipher errors on.
    int hashAlbumPictures(int albumId, const std::function<bool(int done, int total)> &progress = {});
    // Deletes the album's pictures of that name; false on failure.
    bool deletePicture(int albumId, const QString &name);
    // Renames the album's pictures of the old name (written as given); false
    // on failure, such as a name another picture of the album has or one
    // that is not safe to show.
    bool renamePicture(int albumId, const QString &oldName, const QString &newName);
    // The picture's id, or -1 when not found or on any failure.
    int findPictureId(int albumId, const QString &name);
    // The picture's name; empty when not found. Passes store errors on.
    QString pictureName(int pictureId);
    // The album's picture ids (as decimal text) and names; empty on failure.
    void listPictureIds(int albumId, QStringList *list);
    void listPictureNames(int albumId, QStringList *list);
    // The picture's bytes as imported (decrypted when its album is
    // protected); empty when not found (*found then false). Passes store
    // errors on; AlbumCipher::CipherError when the album's key is not open or
    // the stored bytes do not decrypt.
    QByteArray pictureData(int pictureId, bool *found = nullptr);
    // The same bytes read into `into` piece by piece. After each piece,
    // `ready` is called until it returns true: the caller can start a
    // decoder on the bytes in so far (the header) while the rest is read.
    // False when the picture is not there. On an error the stream fails (a
    // reader waiting on it stops) and the error is passed on.
    bool streamPictureData(int pictureId, StreamedBytes &into, const std::function<bool()> &ready);
    // Writes the picture's bytes as imported to folder/<its name>.jpg (a
    // picture of another format with that format's extension),
    // atomically, never through a link. False when the name cannot be a
    // file name or the file cannot be written; passes store and cipher
    // errors on (nothing is written then).
    bool exportPictureFile(int pictureId, const QString &folder);
    // Writes the pictures to folder, in that order, each as
    // exportPictureFile does, and returns how many were written: all, or up
    // to the first that could not be (a store or cipher error about it is
    // passed on once those before it are written). The stored bytes are
    // read ahead, a few pictures at most, on two threads of their own
    // through connections of their own, while this thread decrypts and
    // writes; before each file is written, progress is told its picture.
    int exportPictureFiles(const QList<int> &pictureIds, const QString &folder,
                           const std::function<void(int pictureId)> &progress);
    // The pictures' bytes as imported, one after the other in the order
    // given, their stored bytes read ahead as the export reads them. next()
    // passes a store or cipher error about its picture on; it is called at
    // most once per picture.
    class PicturesAhead
    {
    public:
        ~PicturesAhead();
        QByteArray next();

    private:
        friend class AlbumStore;
        struct Reading;
        PicturesAhead(AlbumStore &store, const QList<int> &pictureIds);
        AlbumStore &m_store;
        QList<int> m_ids;
        qsizetype m_next = 0;
        std::unique_ptr<Reading> m_reading;
    };
    std::unique_ptr<PicturesAhead> readPicturesAhead(const QList<int> &pictureIds);
    // Decodes the stored picture into *picture (an RGB32 bitmap, upright).
    // Without a picture, does nothing; with no such picture, leaves it
    // unchanged. Passes store and decoder errors on ("JPEG error #%d"),
    // leaving *picture unchanged.
    void loadPicture(QImage *picture, int pictureId);
    // Writes the picture as JPEG data to path + "." + ext, atomically. False
    // without a picture or on any failure (no partial file is left); a null
    // picture writes nothing and gives true.
    bool savePictureFile(const QImage *picture, const QString &path, const QString &ext);

    // ---- thumbnails: one small JPEG per picture, upright, kept in a table
    // of its own that goes with its picture (a deleted picture takes its
    // thumbnail with it, whatever program deletes it); a protected album's
    // encrypted with its key as its pictures are. Never exported.
    // The picture's thumbnail as made; empty when it has none yet (or only
    // one in the clear in a protected album, which is not the album's own).
    // Passes store errors on; AlbumCipher::CipherError when the album's key
    // is not open or the thumbnail does not decrypt.
    QByteArray thumbnailData(int pictureId);
    // Keeps thumbnails made of pictures (picture id, JPEG bytes), each
    // encrypted when its album is protected, in place of any they had, all
    // in one transaction; returns how many were kept. One whose picture is
    // gone, or whose album is protected and its key not open, is left out.
    // Passes store errors on (nothing is kept then).
    int storeThumbnails(const QList<std::pair<int, QByteArray>> &thumbnails);
    // What another thread needs to read a picture's bytes as imported
    // through a connection of its own: the ids, and a protected album's key
    // (a copy, wiped when the last user lets it go).
    struct DetachedPicture
    {
        int pictureId = -1;
        int albumId = -1;
        std::shared_ptr<const AlbumCipher::Key> key;
    };
    // The album's pictures that have no thumbnail, in the order imported;
    // none while the album is protected and its key is not open. Passes
    // store errors on.
    QList<DetachedPicture> picturesWithoutThumbnail(int albumId);
    // The picture, detached; albumId -1 when it is gone or its album is
    // protected and locked. Passes store errors on.
    DetachedPicture detachPicture(int pictureId);
    // Opens db on the store file at path for reading only (another
    // thread's connection). Throws SqlError.
    static void openForReading(SqlConnection &db, const QString &path);
    // The detached picture's bytes as imported, read through such a
    // connection; empty when it is gone. Throws SqlError and CipherError.
    static QByteArray readDetached(SqlConnection &db, const DetachedPicture &picture);

    // ---- many albums and pictures added in the caller's transaction (an
    // import of another store)
    // Adds an album under the name (trimmed) and returns its id. With a
    // password, the album is protected: its verifier and wrapped key are
    // written, and its key is given back in *key. Throws SqlError.
    int insertAlbum(const QString &name, const QString &password, AlbumCipher::Key *key);
    // Adds a picture under the id, its bytes encrypted with the key when one
    // is given (the album's). Throws SqlError.
    void insertPicture(int pictureId, int albumId, const QString &name, const QString &extension,
                       const QByteArray &bytes, const AlbumCipher::Key *key, QByteArray hash = QByteArray());

    // ---- store maintenance
    // Compacts the open store file. A store that keeps a map of its pages
    // (every store made or compacted by this version) is compacted in place,
    // in one transaction checked before it is committed. An older one is
    // copied into a keyed copy beside it, which is flushed, checked (it must
    // open with the password, pass the integrity check and hold every row)
    // and renamed over the store, after which the connection is opened
    // again. False, with the store as it was and no working file left, when
    // no store file is there or any step fails. Throws SqlError when the
    // store cannot be opened again after a copy.
    bool compactStore(const QString &storePath);
    // After a compaction that failed for lack of room on the store's disk,
    // the free space it needs in bytes; 0 after any other outcome.
    qint64 compactionRoomNeeded() const { return m_compactionRoomNeeded; }
    // Copies the store file to the target (trimmed; the store's extension
    // added when it holds no dot at all). Never replaces an existing file;
    // the copy is flushed to disk, and a partial copy is removed on failure.
    bool backupStore(const QString &storePath, const QString &target);
    // The file a backup to target is written to.
    static QString backupTarget(const QString &storePath, const QString &target);

private:
    // The extension an exported picture's file takes.
    QString exportExtension(int pictureId, const QByteArray &bytes);
    // The picture's bytes as imported written to folder/<its name>.jpg.
    bool writePictureFile(int pictureId, const QString &folder, const QByteArray &bytes);
    // Opens m_path with the database password; the lock is the caller's.
    bool openConnection();
    void writeWholeNote();
    // Makes an index on (album, name) in a store that has none (one made
    // elsewhere), so that looking a name up does not read the whole table.
    void indexPictureNames();
    // Drops the content hashes an older version made (of another kind, they
    // would recognise nothing); they are made again as missing ones are.
    void forgetHashesOfOlderStores();
    // Protects every album whose password an older version stored as text:
    // verifier, key, pictures encrypted, in one transaction.
    void protectPlainPasswords();
    // Once pictures are encrypted in place, their clear bytes may survive in
    // the unused space of the table's pages (SQLite's secure delete clears
    // freed pages, not what a page split leaves behind) and in free pages:
    // those bytes are then cleared in place (or, should that fail, the store
    // is rewritten into a fresh file). Marked inside the encrypting
    // transaction and done after it, so that a kill in between is made good
    // at the next opening.
    void markScrubPending();
    void scrubIfPending();
    // The hash of the bytes with the key (a protected album's) or without.
    static QByteArray hashWith(const AlbumCipher::Key *key, const QByteArray &bytes);
    // Keeps the picture's hash in place of any it had; the caller's
    // transaction.
    void writeHash(int pictureId, const QByteArray &hash);
    // Keeps the picture's thumbnail, encrypted with its album's key when
    // given, inside the caller's transaction.
    void writeThumbnail(int albumId, int pictureId, const AlbumCipher::Key *key, const QByteArray &thumbnail);
    bool hasHashTable() { return hasTable("PicHashTable", m_hashTable); }
    // Whether the store has its table of thumbnails yet (made at the first
    // thumbnail kept), asked once per connection.
    bool hasThumbnailTable() { return hasTable("PicThumbTable", m_thumbnailTable); }
    // Whether the store holds the table (one of the schema's), asked once
    // per connection into cache (-1 not asked yet).
    bool hasTable(const char *table, int &cache);
    // The album's pictures that have no row in the table (one keyed by
    // PicInfoID), in the order imported; all of them without the table.
    QList<int> picturesLackingRowIn(int albumId, const char *table, bool tableExists);
    // Encrypts or decrypts the picture's thumbnail as its picture, when it
    // has one; the caller's transaction.
    void recodeThumbnail(int albumId, int pictureId, const AlbumCipher::Key *from, const AlbumCipher::Key *to);
    // Encrypts (with a key) or decrypts (without) every picture of the album
    // inside the caller's transaction, telling the progress handler.
    void recodeAlbumPictures(int albumId, const AlbumCipher::Key *from, const AlbumCipher::Key *to, int *done,
                             int total);
    // Writes a new verifier and wrapped key for the album, once they are
    // made (AlbumCipher::protectMeanwhile); the caller's transaction.
    void writeAlbumProtection(int albumId, std::future<AlbumCipher::Protection> making);
    // The album's open key, or null.
    const AlbumCipher::Key *openKey(int albumId) const;
    bool albumHasKeyRow(int albumId);
    // A protected album of this version: its key open, a verifier in its
    // password field, or a key row. Its pictures are all encrypted.
    bool albumIsKeyed(int albumId);
    int albumOfPicture(int pictureId);
    // Throws damagedPicture for a picture stored in the clear in a keyed
    // album.
    void refuseClearPictureOfKeyedAlbum(int pictureId);

    // The picture's bytes as imported, from the bytes stored.
    QByteArray plainPicture(int pictureId, const QByteArray &stored);
    bool compactInPlace();
    bool compactIntoCopy(const QString &storePath);

    SqlConnection m_connection;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    OpenFailure m_openFailure = OpenFailure::None;
    // The system's reason for a store that cannot be read.
    QString m_openError;
    bool m_damaged = false;
    // Every page of the file checked (or the note says nothing changed
    // since they were).
    bool m_foundWhole = false;
    std::function<void()> m_checkWaiter;
    std::function<void()> m_damageHandler;
    std::map<int, AlbumCipher::Key> m_albumKeys;
    ProgressHandler m_progressHandler;
    WorkRunner m_workRunner;
    qint64 m_compactionRoomNeeded = 0;
    // -1 not asked yet on this connection, else 0 or 1.
    int m_thumbnailTable = -1;
    int m_hashTable = -1;
};
