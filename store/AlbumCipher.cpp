#include "AlbumCipher.h"
#include <QCoreApplication>

#include "TextRules.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <new>

namespace AlbumCipher {

namespace {

const unsigned char kMarker[4] = {0x00, 'Q', 'P', 0x01};
const char kVerifierPrefix[] = "$argon2id$";
// Cheap enough that a password is checked and an album opened in a fraction
// of a second, costly enough to make guessing slow: libsodium's
// "interactive" limits (64 MiB, 2 passes), written out so that a store
// stays readable whatever a later libsodium calls interactive.
struct Cost
{
    unsigned long long ops;
    size_t mem;
};
const Cost kOwnCost = {2, size_t(64) << 20};
// libsodium's least, for tests that make many protected albums; never
// written by the program, and no harder to check than its own.
const Cost kLeastCost = {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
bool leastCostForTests = false;

const Cost &writtenCost() { return leastCostForTests ? kLeastCost : kOwnCost; }

static_assert(crypto_secretstream_xchacha20poly1305_HEADERBYTES == 24, "the stored header size");
static_assert(crypto_secretstream_xchacha20poly1305_ABYTES == 17, "the stored chunk overhead");
static_assert(crypto_secretstream_xchacha20poly1305_KEYBYTES == 32, "a 256-bit album key");

void initialise()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("libsodium cannot start");
}

[[noreturn]] void damaged() { throw damagedPicture(); }

void pictureAd(unsigned char ad[16], int albumId, int pictureId)
{
    const qint64 ids[2] = {albumId, pictureId};
    for (int i = 0; i < 2; ++i)
        for (int b = 0; b < 8; ++b)
            ad[i * 8 + b] = static_cast<unsigned char>(quint64(ids[i]) >> (8 * b));
}

QByteArray albumAd(int albumId)
{
    QByteArray ad("album key ");
    ad += QByteArray::number(albumId);
    return ad;
}

// The key sealing the album key, derived from the password: wiped on exit.
struct DerivedKey
{
    unsigned char bytes[crypto_aead_xchacha20poly1305_ietf_KEYBYTES];
    ~DerivedKey() { sodium_memzero(bytes, sizeof bytes); }
};

bool derive(DerivedKey *out, const QByteArray &folded, const QByteArray &salt, qint64 ops, qint64 mem)
{
    if (salt.size() != crypto_pwhash_SALTBYTES || ops <= 0 || mem <= 0)
        return false;
    return crypto_pwhash(out->bytes, sizeof out->bytes, folded.constData(), static_cast<unsigned long long>(folded.size()),
                         reinterpret_cast<const unsigned char *>(salt.constData()),
                         static_cast<unsigned long long>(ops), static_cast<size_t>(mem),
                         crypto_pwhash_ALG_ARGON2ID13)
           == 0;
}

} // namespace

void useLeastCostForTests(bool least) { leastCostForTests = least; }

CipherError lockedAlbum()
{
    return CipherError(QCoreApplication::translate("AlbumCipher", "该相册已设置访问密码,请先输入密码!").toStdString());
}

CipherError damagedPicture()
{
    return CipherError(QCoreApplication::translate("AlbumCipher", "相片数据已损坏或被改动,无法读取!").toStdString());
}

CipherError damagedAlbum(const QString &album)
{
    return CipherError(QCoreApplication::translate("AlbumCipher", "相册“%1”的密码数据已损坏或被改动,无法打开该相册!\n"
                                                                  "为保护您的图片,程序不会向该相册写入任何内容。")
                           .arg(album)
                           .toStdString());
}

struct KeyAccess
{
    static unsigned char *&bytes(Key &key) { return key.m_bytes; }
};

QByteArray foldedPassword(const QString &password) { return asciiFolded(trimText(password)).toUtf8(); }

bool isVerifier(const QString &stored) { return stored.startsWith(QLatin1String(kVerifierPrefix)); }

QString makeVerifier(const QByteArray &folded)
{
    initialise();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, folded.constData(), static_cast<unsigned long long>(folded.size()), writtenCost().ops,
                          writtenCost().mem)
        != 0)
        throw std::bad_alloc(); // the one way it fails
    return QString::fromLatin1(out);
}

bool isOwnVerifier(const QString &stored)
{
    initialise();
    if (!isVerifier(stored) || stored.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray text = stored.toLatin1();
    // 0: the settings are exactly these (1 other settings, -1 no verifier).
    return crypto_pwhash_str_needs_rehash(text.constData(), kOwnCost.ops, kOwnCost.mem) == 0
           || crypto_pwhash_str_needs_rehash(text.constData(), kLeastCost.ops, kLeastCost.mem) == 0;
}

Key::~Key()
{
    if (m_bytes)
        sodium_free(m_bytes); // wipes it
}

Key::Key(Key &&other) noexcept : m_bytes(other.m_bytes) { other.m_bytes = nullptr; }

Key &Key::operator=(Key &&other) noexcept
{
    if (this != &other) {
        if (m_bytes)
            sodium_free(m_bytes);
        m_bytes = other.m_bytes;
        other.m_bytes = nullptr;
    }
    return *this;
}

Key Key::random()
{
    initialise();
    Key key;
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(crypto_secretstream_xchacha20poly1305_KEYBYTES));
    if (!bytes)
        throw std::bad_alloc();
    crypto_secretstream_xchacha20poly1305_keygen(bytes);
    KeyAccess::bytes(key) = bytes;
    return key;
}

Key Key::copy() const
{
    Key key;
    if (!m_bytes)
        return key;
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(crypto_secretstream_xchacha20poly1305_KEYBYTES));
    if (!bytes)
        throw std::bad_alloc();
    std::memcpy(bytes, m_bytes, crypto_secretstream_xchacha20poly1305_KEYBYTES);
    KeyAccess::bytes(key) = bytes;
    return key;
}

WrappedKey wrap(const Key &key, const QByteArray &folded, int albumId)
{
    initialise();
    WrappedKey wrapped;
    wrapped.salt.resize(crypto_pwhash_SALTBYTES);
    randombytes_buf(wrapped.salt.data(), size_t(wrapped.salt.size()));
    wrapped.opsLimit = qint64(writtenCost().ops);
    wrapped.memLimit = qint64(writtenCost().mem);
    DerivedKey kek;
    if (!derive(&kek, folded, wrapped.salt, wrapped.opsLimit, wrapped.memLimit))
        throw std::bad_alloc();
    const QByteArray ad = albumAd(albumId);
    constexpr size_t kNonce = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
    constexpr size_t kKey = crypto_secretstream_xchacha20poly1305_KEYBYTES;
    wrapped.sealed.resize(qsizetype(kNonce + kKey + crypto_aead_xchacha20poly1305_ietf_ABYTES));
    auto *out = reinterpret_cast<unsigned char *>(wrapped.sealed.data());
    randombytes_buf(out, kNonce);
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + kNonce, nullptr, key.data(), kKey,
                                               reinterpret_cast<const unsigned char *>(ad.constData()),
                                               static_cast<unsigned long long>(ad.size()), nullptr, out, kek.bytes);
    return wrapped;
}

Protection protect(const Key &key, const QByteArray &folded, int albumId)
{
    auto wrapping = std::async(std::launch::async, [&] { return wrap(key, folded, albumId); });
    Protection made;
    made.verifier = makeVerifier(folded);
    made.wrapped = wrapping.get();
    return made;
}

std::future<Protection> protectMeanwhile(const Key &key, const QByteArray &folded, int albumId)
{
    return std::async(std::launch::async, protect, std::cref(key), std::cref(folded), albumId);
}

bool isOwnWrapping(const WrappedKey &wrapped)
{
    constexpr size_t kSealed = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + crypto_secretstream_xchacha20poly1305_KEYBYTES
                               + crypto_aead_xchacha20poly1305_ietf_ABYTES;
    const auto is = [&](const Cost &cost) {
        return wrapped.opsLimit == qint64(cost.ops) && wrapped.memLimit == qint64(cost.mem);
    };
    return wrapped.salt.size() == crypto_pwhash_SALTBYTES && (is(kOwnCost) || is(kLeastCost))
           && size_t(wrapped.sealed.size()) == kSealed;
}

Key unwrap(const WrappedKey &wrapped, const QByteArray &folded, int albumId)
{
    initialise();
    constexpr size_t kNonce = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
    constexpr size_t kKey = crypto_secretstream_xchacha20poly1305_KEYBYTES;
    // Only the settings this program writes are ever run: others could hold
    // the program for minutes, or take gigabytes.
    if (!isOwnWrapping(wrapped))
        return Key();
    DerivedKey kek;
    if (!derive(&kek, folded, wrapped.salt, wrapped.opsLimit, wrapped.memLimit))
        return Key();
    Key key;
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(kKey));
    if (!bytes)
        throw std::bad_alloc();
    KeyAccess::bytes(key) = bytes;
    const QByteArray ad = albumAd(albumId);
    const auto *in = reinterpret_cast<const unsigned char *>(wrapped.sealed.constData());
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(bytes, nullptr, nullptr, in + kNonce,
                                                   static_cast<unsigned long long>(wrapped.sealed.size()) - kNonce,
                                                   reinterpret_cast<const unsigned char *>(ad.constData()),
                                                   static_cast<unsigned long long>(ad.size()), in, kek.bytes)
        != 0)
        return Key();
    return key;
}

bool isEncrypted(const char *data, qsizetype size)
{
    // Bytes that begin with the marker but are too short for the header
    // are an encrypted picture cut short, not a picture in the clear.
    return size >= qsizetype(sizeof kMarker) && std::memcmp(data, kMarker, sizeof kMarker) == 0;
}

QByteArray encrypt(const Key &key, int albumId, int pictureId, const QByteArray &plain)
{
    initialise();
    unsigned char ad[16];
    pictureAd(ad, albumId, pictureId);
    const qsizetype chunks = plain.isEmpty() ? 1 : (plain.size() + Decryptor::PlainChunk - 1) / Decryptor::PlainChunk;
    QByteArray stored(HeaderSize + plain.size() + chunks * crypto_secretstream_xchacha20poly1305_ABYTES,
                      Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(stored.data());
    std::memcpy(out, kMarker, sizeof kMarker);
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, out + sizeof kMarker, key.data());
    out += HeaderSize;
    const auto *in = reinterpret_cast<const unsigned char *>(plain.constData());
    for (qsizetype i = 0; i < chunks; ++i) {
        const qsizetype offset = i * Decryptor::PlainChunk;
        const qsizetype n = std::min(Decryptor::PlainChunk, plain.size() - offset);
        const unsigned char tag = i == chunks - 1 ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                  : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
        crypto_secretstream_xchacha20poly1305_push(&state, out, nullptr, in + offset, static_cast<unsigned long long>(n),
                                                   ad, sizeof ad, tag);
        out += n + crypto_secretstream_xchacha20poly1305_ABYTES;
    }
    sodium_memzero(&state, sizeof state);
    return stored;
}

QByteArray decrypt(const Key &key, int albumId, int pictureId, const QByteArray &stored)
{
    Decryptor decryptor(key, albumId, pictureId, stored.constData(), stored.size());
    QByteArray plain(decryptor.plainSize(), Qt::Uninitialized);
    const qsizetype written =
        decryptor.decryptChunks(stored.constData() + HeaderSize, stored.size() - HeaderSize, plain.data());
    if (!decryptor.finished())
        damaged();
    plain.truncate(written);
    return plain;
}

struct Decryptor::State
{
    crypto_secretstream_xchacha20poly1305_state stream;
};

Decryptor::Decryptor(const Key &key, int albumId, int pictureId, const char *header, qsizetype storedSize)
    : m_state(std::make_unique<State>())
{
    initialise();
    pictureAd(m_ad, albumId, pictureId);
    if (key.isNull() || !isEncrypted(header, storedSize))
        damaged();
    // Every chunk but the last is whole; the last holds 0 to 64 KiB.
    const qsizetype body = storedSize - HeaderSize;
    m_chunksLeft = (body + StoredChunk - 1) / StoredChunk;
    const qsizetype last = body - (m_chunksLeft - 1) * StoredChunk;
    if (m_chunksLeft < 1 || last < qsizetype(crypto_secretstream_xchacha20poly1305_ABYTES))
        damaged();
    m_plainSize = body - m_chunksLeft * qsizetype(crypto_secretstream_xchacha20poly1305_ABYTES);
    if (crypto_secretstream_xchacha20poly1305_init_pull(
            &m_state->stream, reinterpret_cast<const unsigned char *>(header) + sizeof kMarker, key.data())
        != 0)
        damaged();
}

Decryptor::~Decryptor() { sodium_memzero(&m_state->stream, sizeof m_state->stream); }

qsizetype Decryptor::decryptChunks(const char *stored, qsizetype size, char *out)
{
    qsizetype written = 0;
    while (size > 0) {
        if (m_finished || m_chunksLeft == 0)
            damaged();
        const qsizetype n = std::min(size, StoredChunk);
        // Only the last chunk may be short.
        if (n < StoredChunk && m_chunksLeft != 1)
            damaged();
        unsigned long long plainLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(
                &m_state->stream, reinterpret_cast<unsigned char *>(out + written), &plainLength, &tag,
                reinterpret_cast<const unsigned char *>(stored), static_cast<unsigned long long>(n), m_ad, sizeof m_ad)
            != 0)
            damaged();
        --m_chunksLeft;
        const bool final = tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL;
        // The last chunk, and only it, says it is the last.
        if (final != (m_chunksLeft == 0))
            damaged();
        m_finished = final;
        written += qsizetype(plainLength);
        stored += n;
        size -= n;
    }
    return written;
}

} // namespace AlbumCipher
