// Protected albums: the password checked against its verifier, the album
// key opened with it and kept while the album is open, and the pictures
// encrypted, decrypted or left as they are when a password is set, removed
// or changed.

#include "AlbumStore.h"
#include "StoreSchema.h"
#include "StoreScrub.h"
#include "TextRules.h"

#include <future>
#include <optional>

using AlbumCipher::Key;

namespace {

struct AlbumRow
{
    int id = -1;
    QString stored; // PicPass as stored: a verifier, an older plain password, or nothing
};

// The first album of that name, as every lookup by name finds it.
AlbumRow findAlbumRow(SqlConnection &db, const QString &name)
{
    SqlStatement q(db, QStringLiteral("SELECT PicLibID, PicPass FROM PicLibTable WHERE PicLibName = ? LIMIT 1"));
    q.bind(1, name);
    AlbumRow row;
    if (q.next()) {
        row.id = int(q.int64(0));
        row.stored = q.text(1);
    }
    return row;
}

// Tells the progress handler the task is over however it ends; the last
// step (the file's unused bytes cleared) is told done with it.
struct ProgressShown
{
    const AlbumStore::ProgressHandler &handler;
    int steps;
    ProgressShown(const AlbumStore::ProgressHandler &h, int s) : handler(h), steps(s)
    {
        if (handler)
            handler(0, steps);
    }
    ~ProgressShown()
    {
        if (handler)
            handler(steps, steps);
    }
};

// A picture's bytes as the album now keeps them, and their hash.
struct Recoded
{
    QByteArray bytes;
    QByteArray hash;
};

// A transaction that rewrites a whole album keeps more pages in memory, so
// that it spills to the file (each spill a flush of the journal) less
// often. And what the engine frees meanwhile is zeroed: the pictures' old
// chains of pages (reused at once for the encrypted bytes, whose last page
// would keep the old tail) and the rows dropped from the table's pages.
struct RecodingSettings
{
    explicit RecodingSettings(SqlConnection &db)
        : cache(db, "PRAGMA cache_size = -131072", "PRAGMA cache_size = -2000"),
          zeroed(db, "PRAGMA secure_delete = ON", "PRAGMA secure_delete = OFF")
    {
    }
    SqlSetting cache;
    SqlSetting zeroed;
};

} // namespace

const Key *AlbumStore::openKey(int albumId) const
{
    const auto it = m_albumKeys.find(albumId);
    return it == m_albumKeys.end() ? nullptr : &it->second;
}

bool AlbumStore::albumHasKeyRow(int albumId)
{
    try {
        SqlStatement q(connection(), QStringLiteral("SELECT 1 FROM PicKeyTable WHERE PicLibID = ?"));
        q.bind(1, albumId);
        return q.next();
    } catch (const SqlError &e) {
        // A store of an older version, not yet converted, has no such table.
        if (SqlError::meansDamage(e.code()))
            throw;
        return false;
    }
}

bool AlbumStore::albumIsKeyed(int albumId)
{
    if (openKey(albumId))
        return true;
    SqlStatement q(connection(), QStringLiteral("SELECT PicPass FROM PicLibTable WHERE PicLibID = ?"));
    q.bind(1, albumId);
    return (q.next() && AlbumCipher::isVerifier(q.text(0))) || albumHasKeyRow(albumId);
}

int AlbumStore::albumOfPicture(int pictureId)
{
    SqlStatement q(connection(), QStringLiteral("SELECT PicLibID FROM PicInfoTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? int(q.int64(0)) : -1;
}

void AlbumStore::refuseClearPictureOfKeyedAlbum(int pictureId)
{
    // A keyed album's pictures are all encrypted: one in the clear was put
    // there by something else, and is not the album's own.
    if (albumIsKeyed(albumOfPicture(pictureId)))
        throw AlbumCipher::damagedPicture();
}

QByteArray AlbumStore::plainPicture(int pictureId, const QByteArray &stored)
{
    if (!AlbumCipher::isEncrypted(stored)) {
        refuseClearPictureOfKeyedAlbum(pictureId);
        return stored;
    }
    const int albumId = albumOfPicture(pictureId);
    const Key *key = openKey(albumId);
    if (!key)
        throw AlbumCipher::lockedAlbum();
    return AlbumCipher::decrypt(*key, albumId, pictureId, stored);
}

void AlbumStore::runWork(const std::function<void()> &work)
{
    if (!m_workRunner) {
        work();
        return;
    }
    std::exception_ptr failure;
    m_workRunner([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

bool AlbumStore::checkAlbumPassword(const QString &name, const QString &password)
{
    AlbumRow album;
    QByteArray folded;
    AlbumCipher::WrappedKey wrapped;
    try {
        album = findAlbumRow(connection(), name);
        folded = AlbumCipher::foldedPassword(password);
        if (album.id < 0 || folded.isEmpty())
            return false;
        if (!AlbumCipher::isVerifier(album.stored))
            // Written by an older version and not yet converted: the
            // pictures are in the clear, and the text is compared as the
            // store compares text.
            return AlbumCipher::foldedPassword(album.stored) == folded;
        SqlStatement q(connection(), QStringLiteral("SELECT KeySalt, KeyOps, KeyMem, WrappedKey FROM PicKeyTable "
                                                    "WHERE PicLibID = ?"));
        q.bind(1, album.id);
        // A protected album has its key row, and both are as this program
        // writes them; else its protection was altered.
        if (!q.next())
            throw AlbumCipher::damagedAlbum(trimText(name));
        wrapped = {q.blob(0), q.int64(1), q.int64(2), q.blob(3)};
    } catch (const AlbumCipher::CipherError &) {
        throw;
    } catch (const std::exception &) {
        return false;
    }
    if (!AlbumCipher::isOwnVerifier(album.stored) || !AlbumCipher::isOwnWrapping(wrapped))
        throw AlbumCipher::damagedAlbum(trimText(name));
    // The password is the one that opens the album key: one derivation,
    // off the window's thread where a window runs the store.
    Key key;
    runWork([&] { key = AlbumCipher::unwrap(wrapped, folded, album.id); });
    if (key.isNull())
        return false;
    m_albumKeys[album.id] = std::move(key);
    return true;
}

void AlbumStore::forgetAlbumKey(const QString &name)
{
    const int id = findAlbumId(name);
    if (id >= 0)
        m_albumKeys.erase(id);
}

void AlbumStore::forgetAlbumKeys(const QStringList &keep)
{
    QList<int> kept;
    for (const QString &name : keep)
        kept.append(findAlbumId(name));
    for (auto it = m_albumKeys.begin(); it != m_albumKeys.end();)
        it = kept.contains(it->first) ? std::next(it) : m_albumKeys.erase(it);
}

bool AlbumStore::albumKeyOpen(const QString &name)
{
    const int id = findAlbumId(name);
    return id >= 0 && openKey(id);
}

void AlbumStore::writeAlbumProtection(int albumId, std::future<AlbumCipher::Protection> making)
{
    AlbumCipher::Protection made;
    runWork([&] { made = making.get(); });
    const AlbumCipher::WrappedKey &wrapped = made.wrapped;
    SqlStatement keyRow(connection(), QStringLiteral("INSERT OR REPLACE INTO PicKeyTable "
                                                     "(PicLibID, KeySalt, KeyOps, KeyMem, WrappedKey) "
                                                     "VALUES (?, ?, ?, ?, ?)"));
    keyRow.bind(1, albumId)
        .bindBlob(2, wrapped.salt)
        .bind(3, wrapped.opsLimit)
        .bind(4, wrapped.memLimit)
        .bindBlob(5, wrapped.sealed)
        .exec();
    SqlStatement pass(connection(), QStringLiteral("UPDATE PicLibTable SET PicPass = ? WHERE PicLibID = ?"));
    pass.bind(1, made.verifier).bind(2, albumId).exec();
}

void AlbumStore::recodeAlbumPictures(int albumId, const Key *from, const Key *to, int *done, int total)
{
    QList<int> ids;
    {
        SqlStatement q(connection(), QStringLiteral("SELECT PicInfoID FROM PicInfoTable WHERE PicLibID = ? "
                                                    "ORDER BY PicInfoID"));
        q.bind(1, albumId);
        while (q.next())
            ids.append(int(q.int64(0)));
    }
    // Each picture's bytes are decrypted, hashed and encrypted on another
    // thread while the one before is written.
    const auto recode = [albumId, from, to](int pictureId, const QByteArray &stored) {
        Recoded made;
        QByteArray plain = stored;
        if (AlbumCipher::isEncrypted(plain)) {
            // Only the album's own key opens it; a picture that does not
            // decrypt stops the whole change, and nothing is written.
            if (!from)
                throw AlbumCipher::lockedAlbum();
            plain = AlbumCipher::decrypt(*from, albumId, pictureId, plain);
        } else if (from) {
            // In the clear in a keyed album: not the album's own.
            throw AlbumCipher::damagedPicture();
        }
        // Its hash keyed as the album now is.
        made.hash = hashWith(to, plain);
        made.bytes = to ? AlbumCipher::encrypt(*to, albumId, pictureId, plain) : plain;
        return made;
    };
    struct Recoding
    {
        int pictureId = 0;
        std::future<Recoded> work; // none for a picture without bytes
    };
    const auto finish = [&](Recoding &picture) {
        if (picture.work.valid()) {
            const Recoded made = picture.work.get();
            writeHash(picture.pictureId, made.hash);
            SqlStatement write(connection(), QStringLiteral("UPDATE PicTable SET Pic = ? WHERE PicInfoID = ?"));
            write.bindBlob(1, made.bytes).bind(2, picture.pictureId).exec();
        }
        recodeThumbnail(albumId, picture.pictureId, from, to);
        ++*done;
        if (m_progressHandler)
            m_progressHandler(*done, total);
    };
    std::optional<Recoding> before;
    for (const int pictureId : ids) {
        Recoding picture{pictureId, {}};
        {
            SqlStatement read(connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
            read.bind(1, pictureId);
            if (read.next() && !read.isNull(0))
                picture.work = std::async(std::launch::async, recode, pictureId, read.blob(0));
        }
        if (before)
            finish(*before);
        before = std::move(picture);
    }
    if (before)
        finish(*before);
}

bool AlbumStore::setAlbumPassword(const QString &name, const QString &password)
{
    const AlbumRow album = findAlbumRow(connection(), name);
    if (album.id < 0)
        return false;
    const QByteArray folded = AlbumCipher::foldedPassword(password);
    const bool keyed = albumHasKeyRow(album.id);
    // A verifier without its key row: the album's protection was altered.
    if (!keyed && AlbumCipher::isVerifier(album.stored))
        throw AlbumCipher::damagedAlbum(trimText(name));
    const Key *current = openKey(album.id);
    if (keyed && !current)
        throw AlbumCipher::lockedAlbum();
    checkBeforeWriting();

    int total = 0;
    {
        SqlStatement count(connection(), QStringLiteral("SELECT count(*) FROM PicInfoTable WHERE PicLibID = ?"));
        count.bind(1, album.id);
        total = count.next() ? int(count.int64(0)) : 0;
    }
    int done = 0;
    const ProgressShown progress(m_progressHandler, total + 1);
    const RecodingSettings settings(connection());
    SqlTransaction t(connection());
    StoreSchema::createKeyTable(connection());
    Key added;
    if (folded.isEmpty()) {
        // Removed: the pictures as imported again, no key, no verifier.
        if (keyed)
            recodeAlbumPictures(album.id, current, nullptr, &done, total + 1);
        SqlStatement(connection(), QStringLiteral("DELETE FROM PicKeyTable WHERE PicLibID = ?")).bind(1, album.id).exec();
        SqlStatement(connection(), QStringLiteral("UPDATE PicLibTable SET PicPass = '' WHERE PicLibID = ?"))
            .bind(1, album.id)
            .exec();
    } else {
        // Set, or changed: a new album key, and every picture encrypted with
        // it (a change so that the old password with a copy of the old key
        // row opens nothing added from now on). The password's derivations
        // are made meanwhile, on other threads.
        added = Key::random();
        auto protection = AlbumCipher::protectMeanwhile(added, folded, album.id);
        recodeAlbumPictures(album.id, keyed ? current : nullptr, &added, &done, total + 1);
        writeAlbumProtection(album.id, std::move(protection));
        if (!keyed && total > 0)
            markScrubPending();
    }
    t.commit();
    if (folded.isEmpty())
        m_albumKeys.erase(album.id);
    else if (!added.isNull())
        m_albumKeys[album.id] = std::move(added);
    scrubIfPending();
    return true;
}

void AlbumStore::markScrubPending()
{
    StoreSchema::createPendingTable(connection());
    connection().execFixed("INSERT OR IGNORE INTO PicPendingTable (Task) VALUES ('scrub')");
}

void AlbumStore::scrubIfPending()
{
    try {
        SqlStatement q(connection(), QStringLiteral("SELECT 1 FROM PicPendingTable WHERE Task = 'scrub'"));
        if (!q.next())
            return;
    } catch (const SqlError &e) {
        if (SqlError::meansDamage(e.code()))
            throw;
        return; // no such table: nothing ever pending
    }
    checkBeforeWriting();
    try {
        StoreScrub::clearUnusedSpace(connection());
        connection().execFixed("DROP TABLE PicPendingTable");
        return;
    } catch (const SqlError &e) {
        qWarning("Clearing the store's unused bytes failed (%s); the store is rewritten instead", e.what());
    }
    // Left pending when that fails too (a disk without room for the copy):
    // tried again at the next opening.
    if (!compactIntoCopy(m_path))
        qWarning("The store could not be rewritten to clear the fragments of encrypted pictures");
}

void AlbumStore::protectPlainPasswords()
{
    if (m_damaged)
        return;
    struct Plain
    {
        int id;
        QByteArray folded;
    };
    QList<Plain> albums;
    int total = 0;
    {
        SqlStatement q(connection(), QStringLiteral("SELECT PicLibID, PicPass, (SELECT count(*) FROM PicInfoTable i "
                                                    "WHERE i.PicLibID = l.PicLibID) FROM PicLibTable l"));
        while (q.next()) {
            const QString stored = q.text(1);
            if (trimText(stored).isEmpty() || AlbumCipher::isVerifier(stored))
                continue;
            albums.append({int(q.int64(0)), AlbumCipher::foldedPassword(stored)});
            total += int(q.int64(2));
        }
    }
    if (albums.isEmpty())
        return;
    checkBeforeWriting();
    // All or nothing: until it commits, the store is read as an older one.
    int done = 0;
    const ProgressShown progress(m_progressHandler, total + 1);
    const RecodingSettings settings(connection());
    SqlTransaction t(connection());
    StoreSchema::createKeyTable(connection());
    for (const Plain &album : albums) {
        const Key key = Key::random();
        auto protection = AlbumCipher::protectMeanwhile(key, album.folded, album.id);
        recodeAlbumPictures(album.id, nullptr, &key, &done, total + 1);
        writeAlbumProtection(album.id, std::move(protection));
    }
    if (total > 0)
        markScrubPending();
    connection().execFixed("PRAGMA user_version = 3");
    static_assert(StoreSchema::SchemaVersion == 3, "the version a converted store has");
    t.commit();
    scrubIfPending();
}
