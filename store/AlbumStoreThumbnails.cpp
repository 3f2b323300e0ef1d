// The pictures' thumbnails: kept in the store beside their pictures, a
// protected album's encrypted with its key, and what another thread needs
// to make the missing ones from the pictures' bytes.

#include "AlbumStore.h"
#include "StoreSchema.h"

#include <algorithm>

namespace {

// A thumbnail is bound to its picture's id negated: it can never pass for
// the picture itself, nor the picture for it.
int thumbnailBinding(int pictureId) { return -pictureId; }

} // namespace

bool AlbumStore::hasTable(const char *table, int &cache)
{
    if (cache < 0) {
        SqlStatement q(connection(), QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
        q.bind(1, QString::fromLatin1(table));
        cache = q.next() ? 1 : 0;
    }
    return cache == 1;
}

QList<int> AlbumStore::picturesLackingRowIn(int albumId, const char *table, bool tableExists)
{
    // The table's name is the schema's own, never the user's.
    SqlStatement q(connection(),
                   tableExists ? QStringLiteral("SELECT i.PicInfoID FROM PicInfoTable i WHERE i.PicLibID = ? AND NOT EXISTS "
                                                "(SELECT 1 FROM %1 t WHERE t.PicInfoID = i.PicInfoID)")
                                     .arg(QLatin1String(table))
                               : QStringLiteral("SELECT PicInfoID FROM PicInfoTable WHERE PicLibID = ?"));
    q.bind(1, albumId);
    QList<int> ids;
    while (q.next())
        ids.append(int(q.int64(0)));
    std::sort(ids.begin(), ids.end());
    return ids;
}

QByteArray AlbumStore::thumbnailData(int pictureId)
{
    if (!hasThumbnailTable())
        return QByteArray();
    SqlStatement q(connection(), QStringLiteral("SELECT t.Thumb, i.PicLibID FROM PicThumbTable t "
                                                "JOIN PicInfoTable i ON i.PicInfoID = t.PicInfoID "
                                                "WHERE t.PicInfoID = ?"));
    q.bind(1, pictureId);
    if (!q.next())
        return QByteArray();
    const QByteArray stored = q.blob(0);
    const int albumId = int(q.int64(1));
    if (!AlbumCipher::isEncrypted(stored))
        return albumIsKeyed(albumId) ? QByteArray() : stored;
    const AlbumCipher::Key *key = openKey(albumId);
    if (!key)
        throw AlbumCipher::lockedAlbum();
    return AlbumCipher::decrypt(*key, albumId, thumbnailBinding(pictureId), stored);
}

int AlbumStore::storeThumbnails(const QList<std::pair<int, QByteArray>> &thumbnails)
{
    if (thumbnails.isEmpty())
        return 0;
    checkBeforeWriting();
    SqlTransaction t(connection());
    int kept = 0;
    for (const auto &[pictureId, thumbnail] : thumbnails) {
        const int albumId = albumOfPicture(pictureId);
        if (albumId < 0)
            continue;
        const AlbumCipher::Key *key = openKey(albumId);
        if (!key && albumIsKeyed(albumId))
            continue;
        writeThumbnail(albumId, pictureId, key, thumbnail);
        ++kept;
    }
    t.commit();
    return kept;
}

void AlbumStore::writeThumbnail(int albumId, int pictureId, const AlbumCipher::Key *key, const QByteArray &thumbnail)
{
    if (!hasThumbnailTable()) {
        StoreSchema::createThumbnailTable(connection());
        m_thumbnailTable = -1; // asked again, should the transaction not hold
    }
    SqlStatement q(connection(),
                   QStringLiteral("INSERT OR REPLACE INTO PicThumbTable (PicInfoID, Thumb) VALUES (?, ?)"));
    q.bind(1, pictureId)
        .bindBlob(2, key ? AlbumCipher::encrypt(*key, albumId, thumbnailBinding(pictureId), thumbnail) : thumbnail)
        .exec();
}

void AlbumStore::recodeThumbnail(int albumId, int pictureId, const AlbumCipher::Key *from, const AlbumCipher::Key *to)
{
    if (!hasThumbnailTable())
        return;
    QByteArray bytes;
    {
        SqlStatement read(connection(), QStringLiteral("SELECT Thumb FROM PicThumbTable WHERE PicInfoID = ?"));
        read.bind(1, pictureId);
        if (!read.next())
            return;
        bytes = read.blob(0);
    }
    const int binding = thumbnailBinding(pictureId);
    if (AlbumCipher::isEncrypted(bytes) != (from != nullptr)) {
        // Not the album's own: dropped, and made anew from the picture.
        SqlStatement(connection(), QStringLiteral("DELETE FROM PicThumbTable WHERE PicInfoID = ?")).bind(1, pictureId).exec();
        return;
    }
    if (from)
        bytes = AlbumCipher::decrypt(*from, albumId, binding, bytes);
    if (to)
        bytes = AlbumCipher::encrypt(*to, albumId, binding, bytes);
    SqlStatement(connection(), QStringLiteral("UPDATE PicThumbTable SET Thumb = ? WHERE PicInfoID = ?"))
        .bindBlob(1, bytes)
        .bind(2, pictureId)
        .exec();
}

namespace {

std::shared_ptr<const AlbumCipher::Key> keyCopy(const AlbumCipher::Key *key)
{
    return key ? std::make_shared<const AlbumCipher::Key>(key->copy()) : nullptr;
}

} // namespace

QList<AlbumStore::DetachedPicture> AlbumStore::picturesWithoutThumbnail(int albumId)
{
    const AlbumCipher::Key *key = openKey(albumId);
    if (!key && albumIsKeyed(albumId))
        return {};
    const QList<int> ids = picturesLackingRowIn(albumId, "PicThumbTable", hasThumbnailTable());
    const auto shared = keyCopy(key);
    QList<DetachedPicture> pictures;
    pictures.reserve(ids.size());
    for (const int id : std::as_const(ids))
        pictures.append({id, albumId, shared});
    return pictures;
}

AlbumStore::DetachedPicture AlbumStore::detachPicture(int pictureId)
{
    const int albumId = albumOfPicture(pictureId);
    if (albumId < 0)
        return {};
    const AlbumCipher::Key *key = openKey(albumId);
    if (!key && albumIsKeyed(albumId))
        return {pictureId, -1, nullptr};
    return {pictureId, albumId, keyCopy(key)};
}

void AlbumStore::openForReading(SqlConnection &db, const QString &path)
{
    db.open(path);
    StoreSchema::keyConnection(db);
    db.execFixed("PRAGMA query_only = ON");
}

QByteArray AlbumStore::readDetached(SqlConnection &db, const DetachedPicture &picture)
{
    QByteArray stored;
    {
        SqlStatement q(db, QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
        q.bind(1, picture.pictureId);
        if (!q.next())
            return QByteArray();
        stored = q.blob(0);
    }
    if (!AlbumCipher::isEncrypted(stored)) {
        // A keyed album's pictures are all encrypted.
        if (picture.key)
            throw AlbumCipher::damagedPicture();
        return stored;
    }
    if (!picture.key)
        throw AlbumCipher::lockedAlbum();
    return AlbumCipher::decrypt(*picture.key, picture.albumId, picture.pictureId, stored);
}
