// The pictures' content hashes: a picture imported again is recognised by
// its hash, without reading the pictures stored.

#include "AlbumStore.h"
#include "StoreSchema.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>
#include <sodium.h>

QByteArray AlbumStore::hashWith(const AlbumCipher::Key *key, const QByteArray &bytes)
{
    // SHA-256, which this machine's processors compute in hardware (a
    // camera file's hash in a third of BLAKE2b's time); keyed (HMAC) in a
    // protected album, so that its hashes say nothing of its pictures to
    // anyone without its key.
    QByteArray hash(SHA256_DIGEST_LENGTH, Qt::Uninitialized);
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    auto *out = reinterpret_cast<unsigned char *>(hash.data());
    unsigned int length = 0;
    bool made = false;
    if (key) {
        if (sodium_init() < 0)
            throw std::runtime_error("libsodium cannot start");
        // A key of its own for the hashes, derived from the album key.
        unsigned char subkey[32];
        static_assert(sizeof subkey >= crypto_kdf_BYTES_MIN && sizeof subkey <= crypto_kdf_BYTES_MAX);
        crypto_kdf_derive_from_key(subkey, sizeof subkey, 1, "pichash_", key->data());
        made = HMAC(EVP_sha256(), subkey, int(sizeof subkey), data, size_t(bytes.size()), out, &length) != nullptr;
        sodium_memzero(subkey, sizeof subkey);
    } else {
        made = EVP_Digest(data, size_t(bytes.size()), out, &length, EVP_sha256(), nullptr) == 1;
    }
    if (!made || int(length) != hash.size())
        throw std::runtime_error("a picture's hash could not be made");
    return hash;
}

void AlbumStore::forgetHashesOfOlderStores()
{
    if (m_damaged)
        return;
    qint64 version = 0;
    {
        SqlStatement q(connection(), QStringLiteral("PRAGMA user_version"));
        version = q.next() ? q.int64(0) : 0;
    }
    if (version >= 3)
        return;
    static_assert(StoreSchema::SchemaVersion == 3, "the version whose hashes are SHA-256");
    // Hashes made by a version before are of another kind: they would
    // recognise nothing. Forgotten, they are made again as any picture's
    // that lacks one, the first time its album takes an import.
    // (Album passwords an older version kept as text are found by
    // themselves, whatever the version says.)
    checkBeforeWriting();
    SqlTransaction t(connection());
    if (hasHashTable())
        connection().execFixed("DELETE FROM PicHashTable");
    connection().execFixed("PRAGMA user_version = 3");
    t.commit();
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
