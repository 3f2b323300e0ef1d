#pragma once
// What makes an album password real. The store keeps no password: an album
// holds a verifier (Argon2id) of it, and a random album key wrapped with a
// key derived from it; the pictures of a protected album are stored
// encrypted with the album key, each bound to its album and picture ids.
//
// A stored picture is either the file's own bytes or, encrypted:
//   4-byte marker | 24-byte stream header | chunks of 64 KiB + 17 bytes
// (libsodium's secretstream, XChaCha20-Poly1305), the last chunk tagged as
// the last, so that a picture cut short, reordered or moved is caught.

#include <QByteArray>
#include <QString>

#include <future>
#include <memory>
#include <stdexcept>

namespace AlbumCipher {

// A picture that cannot be decrypted (damaged, altered, or moved from
// another row) or an album whose key is not at hand. The text is for the
// user, in Chinese.
class CipherError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The errors for a protected album whose key is not open, for stored bytes
// that do not decrypt, and for an album whose protection was altered (its
// key row gone, settings this program never writes).
CipherError lockedAlbum();
CipherError damagedPicture();
CipherError damagedAlbum(const QString &album);

// The password as it is compared: trimmed, and the letters A to Z folded to
// lower case, as the store compares text; UTF-8.
QByteArray foldedPassword(const QString &password);

// True when the stored text is a verifier rather than a password written
// by an older version.
bool isVerifier(const QString &stored);
// A verifier of the folded password, with its own salt and parameters.
// The store keeps it as the mark of a protected album; the password is
// checked by opening the album key, which takes one key derivation
// instead of two.
QString makeVerifier(const QByteArray &folded);
// Whether a verifier is one this program writes: Argon2id with exactly the
// settings it uses (or libsodium's least, see below). Anything else
// (settings that would take minutes or gigabytes to check) is damage, found
// without any derivation.
bool isOwnVerifier(const QString &stored);

// Tests that make many protected albums write them at libsodium's least
// cost; the program always writes its own. Read either way.
void useLeastCostForTests(bool least);

// A 256-bit key in locked memory, wiped when it goes.
class Key
{
public:
    Key() = default;
    ~Key();
    Key(Key &&other) noexcept;
    Key &operator=(Key &&other) noexcept;
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;

    static Key random();
    // The same key in locked memory of its own, for a thread that reads
    // the album's pictures while this one may forget the album's key.
    Key copy() const;
    bool isNull() const { return m_bytes == nullptr; }
    const unsigned char *data() const { return m_bytes; }

private:
    friend struct KeyAccess;
    unsigned char *m_bytes = nullptr;
};

// The album key as stored: sealed with a key derived from the folded
// password and the salt, with the parameters used for that derivation.
struct WrappedKey
{
    QByteArray salt;
    qint64 opsLimit = 0;
    qint64 memLimit = 0;
    QByteArray sealed; // nonce | ciphertext | tag
};
WrappedKey wrap(const Key &key, const QByteArray &folded, int albumId);
// What a password protects an album with: its key wrapped, and the
// password's verifier. Two memory-hard derivations, made side by side.
struct Protection
{
    WrappedKey wrapped;
    QString verifier;
};
Protection protect(const Key &key, const QByteArray &folded, int albumId);
// The same, made on other threads while the caller goes on; key and folded
// must outlive the future's wait (whose destructor waits too).
std::future<Protection> protectMeanwhile(const Key &key, const QByteArray &folded, int albumId);
// Whether a wrapped key is one this program writes (its salt, settings and
// size exactly), before anything is derived.
bool isOwnWrapping(const WrappedKey &wrapped);
// The album key; a null key when the password is not the one it was
// wrapped with (or the wrapping was altered, or is not the program's own).
Key unwrap(const WrappedKey &wrapped, const QByteArray &folded, int albumId);

// Whether stored picture bytes are encrypted, from their first bytes.
constexpr qsizetype HeaderSize = 4 + 24;
bool isEncrypted(const char *data, qsizetype size);
inline bool isEncrypted(const QByteArray &stored) { return isEncrypted(stored.constData(), stored.size()); }

QByteArray encrypt(const Key &key, int albumId, int pictureId, const QByteArray &plain);
// Throws CipherError.
QByteArray decrypt(const Key &key, int albumId, int pictureId, const QByteArray &stored);

// Decrypts stored bytes as they are read, a chunk at a time.
class Decryptor
{
public:
    static constexpr qsizetype PlainChunk = 64 * 1024;
    static constexpr qsizetype StoredChunk = PlainChunk + 17;

    // From the first HeaderSize bytes and the size of all the stored bytes.
    // Throws CipherError when they cannot be an encrypted picture.
    Decryptor(const Key &key, int albumId, int pictureId, const char *header, qsizetype storedSize);
    ~Decryptor();
    Decryptor(const Decryptor &) = delete;
    Decryptor &operator=(const Decryptor &) = delete;

    qsizetype plainSize() const { return m_plainSize; }
    // Decrypts whole stored chunks (the last may be shorter) into out, which
    // has room for PlainChunk bytes each; returns the bytes written. Throws
    // CipherError.
    qsizetype decryptChunks(const char *stored, qsizetype size, char *out);
    // True once the last chunk, tagged as the last, is decrypted.
    bool finished() const { return m_finished; }

private:
    struct State;
    std::unique_ptr<State> m_state;
    unsigned char m_ad[16];
    qsizetype m_plainSize = 0;
    qsizetype m_chunksLeft = 0;
    bool m_finished = false;
};

} // namespace AlbumCipher
