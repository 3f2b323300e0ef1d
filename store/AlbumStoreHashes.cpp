// The pictures' content hashes: a picture imported again is recognised by
// its hash, without reading the pictures stored.

#include "AlbumStore.h"
#include "StoreSchema.h"

#include <sodium.h>

QByteArray AlbumStore::hashWith(const AlbumCipher::Key *key, const QByteArray &bytes)
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
    QByteArray hash(crypto_generichash_BYTES, Qt::Uninitialized);
    unsigned char subkey[crypto_generichash_KEYBYTES];
    if (key) {
        // A key of its own for the hashes, derived from the album key.
        static_assert(crypto_generichash_KEYBYTES == crypto_kdf_KEYBYTES);
        crypto_kdf_derive_from_key(subkey, sizeof subkey, 1, "pichash_", key->data());
    }
    crypto_generichash(reinterpret_cast<unsigned char *>(hash.data()), size_t(hash.size()),
                       reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size()),
                       key ? subkey : nullptr, key ? sizeof subkey : 0);
    sodium_memzero(subkey, sizeof subkey);
    return hash;
}

void AlbumStore::writeHash(int pictureId, const QByteArray &hash)
{
    if (!hasHashTable()) {
        StoreSchema::createHashTable(connection());
        m_hashTable = -1; // asked again, should the transaction not hold
    }
    SqlStatement(connection(), QStringLiteral("INSERT OR REPLACE INTO PicHashTable (PicInfoID, Hash) VALUES (?, ?)"))
        .bind(1, pictureId)
        .bindBlob(2, hash)
        .exec();
}

QByteArray AlbumStore::contentHash(int albumId, const QByteArray &bytes) { return contentHasher(albumId)(bytes); }

std::function<QByteArray(const QByteArray &)> AlbumStore::contentHasher(int albumId)
{
    const AlbumCipher::Key *key = openKey(albumId);
    if (!key && albumIsKeyed(albumId))
        throw AlbumCipher::lockedAlbum();
    std::shared_ptr<const AlbumCipher::Key> copy =
        key ? std::make_shared<const AlbumCipher::Key>(key->copy()) : nullptr;
    return [copy](const QByteArray &bytes) { return hashWith(copy.get(), bytes); };
}

bool AlbumStore::albumHoldsHash(int albumId, const QByteArray &hash)
{
    if (!hasHashTable())
        return false;
    SqlStatement q(connection(), QStringLiteral("SELECT 1 FROM PicHashTable h JOIN PicInfoTable i "
                                                "ON i.PicInfoID = h.PicInfoID WHERE h.Hash = ? AND i.PicLibID = ?"));
    q.bindBlob(1, hash).bind(2, albumId);
    return q.next();
}

QSet<QByteArray> AlbumStore::albumHashes(int albumId)
{
    QSet<QByteArray> hashes;
    if (!hasHashTable())
        return hashes;
    SqlStatement q(connection(), QStringLiteral("SELECT h.Hash FROM PicHashTable h JOIN PicInfoTable i "
                                                "ON i.PicInfoID = h.PicInfoID WHERE i.PicLibID = ?"));
    q.bind(1, albumId);
    while (q.next())
        hashes.insert(q.blob(0));
    return hashes;
}

int AlbumStore::hashAlbumPictures(int albumId, const std::function<bool(int done, int total)> &progress)
{
    const QList<int> lacking = picturesLackingRowIn(albumId, "PicHashTable", hasHashTable());
    if (lacking.isEmpty())
        return 0;
    const AlbumCipher::Key *key = openKey(albumId);
    if (!key && albumIsKeyed(albumId))
        throw AlbumCipher::lockedAlbum();
    checkBeforeWriting();
    // A few dozen to a transaction: an album of thousands is not held in
    // one, and what was done stays should it be stopped.
    constexpr qsizetype kBatch = 32;
    int done = 0;
    for (qsizetype first = 0; first < lacking.size(); first += kBatch) {
        if (progress && !progress(done, int(lacking.size())))
            break;
        SqlTransaction t(connection());
        for (const int id : lacking.mid(first, kBatch)) {
            writeHash(id, hashWith(key, pictureData(id)));
            ++done;
        }
        t.commit();
    }
    return done;
}
