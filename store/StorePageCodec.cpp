#include "StorePageCodec.h"

#include "StoreSchema.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <array>
#include <cstring>

namespace StorePageCodec {

namespace {

constexpr int kMacKeyRounds = 2;
constexpr unsigned char kMacSaltMask = 0x3a;

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

} // namespace

static_assert(SaltSize == StoreSchema::SaltSize && PageSize == StoreSchema::CipherPageSize,
              "the codec's layout is the store's");

struct Sha1Mac::State
{
    DigestContext inner{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    DigestContext outer{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    DigestContext work{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    std::array<unsigned char, Sha1Mac::MaxKeySize> key{};
    int keySize = -1;
    ~State() { OPENSSL_cleanse(key.data(), key.size()); }
};

Sha1Mac::Sha1Mac() : m_state(std::make_unique<State>()) {}
Sha1Mac::~Sha1Mac() = default;
Sha1Mac::Sha1Mac(Sha1Mac &&) noexcept = default;

bool Sha1Mac::isValid() const { return m_state->inner && m_state->outer && m_state->work; }

bool Sha1Mac::setKey(const unsigned char *key, int size)
{
    State &s = *m_state;
    if (size == s.keySize && CRYPTO_memcmp(key, s.key.data(), size_t(size)) == 0)
        return true;
    s.keySize = -1;
    if (size < 0 || size > MaxKeySize || !isValid())
        return false;
    std::array<unsigned char, MaxKeySize> inner{}, outer{};
    for (int i = 0; i < MaxKeySize; ++i) {
        const unsigned char k = i < size ? key[i] : 0;
        inner[size_t(i)] = k ^ 0x36;
        outer[size_t(i)] = k ^ 0x5c;
    }
    const bool made = EVP_DigestInit_ex(s.inner.get(), EVP_sha1(), nullptr) == 1
                      && EVP_DigestUpdate(s.inner.get(), inner.data(), inner.size()) == 1
                      && EVP_DigestInit_ex(s.outer.get(), EVP_sha1(), nullptr) == 1
                      && EVP_DigestUpdate(s.outer.get(), outer.data(), outer.size()) == 1;
    OPENSSL_cleanse(inner.data(), inner.size());
    OPENSSL_cleanse(outer.data(), outer.size());
    if (!made)
        return false;
    std::memcpy(s.key.data(), key, size_t(size));
    s.keySize = size;
    return true;
}

bool Sha1Mac::code(const unsigned char *first, size_t firstSize, const unsigned char *second, size_t secondSize,
                   unsigned char *out)
{
    State &s = *m_state;
    if (s.keySize < 0)
        return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX *work = s.work.get();
    return EVP_MD_CTX_copy_ex(work, s.inner.get()) == 1 && EVP_DigestUpdate(work, first, firstSize) == 1
           && EVP_DigestUpdate(work, second, secondSize) == 1 && EVP_DigestFinal_ex(work, digest, &size) == 1
           && EVP_MD_CTX_copy_ex(work, s.outer.get()) == 1 && EVP_DigestUpdate(work, digest, size) == 1
           && EVP_DigestFinal_ex(work, out, &size) == 1;
}

struct Codec::State
{
    Sha1Mac mac;
    CipherContext cipher{EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free};
    std::array<unsigned char, 32> key{};
    std::array<unsigned char, SaltSize> salt{};
    ~State() { OPENSSL_cleanse(key.data(), key.size()); }
};

Codec::Codec(const unsigned char *salt) : m_state(std::make_unique<State>())
{
    std::memcpy(m_state->salt.data(), salt, SaltSize);
    const QByteArray key = StoreSchema::pageKeyFor(QByteArray(reinterpret_cast<const char *>(salt), SaltSize));
    std::memcpy(m_state->key.data(), key.constData(), m_state->key.size());
    unsigned char macSalt[SaltSize], macKey[32];
    for (int i = 0; i < SaltSize; ++i)
        macSalt[i] = salt[i] ^ kMacSaltMask;
    PKCS5_PBKDF2_HMAC_SHA1(key.constData(), int(key.size()), macSalt, SaltSize, kMacKeyRounds, sizeof macKey, macKey);
    m_state->mac.setKey(macKey, sizeof macKey);
    OPENSSL_cleanse(macKey, sizeof macKey);
}

Codec::~Codec() = default;
Codec::Codec(Codec &&) noexcept = default;

bool Codec::code(const unsigned char *page, qint64 number, unsigned char *digest)
{
    const int start = firstEncrypted(number);
    const int covered = UsableSize - start + IvSize;
    const quint32 n = quint32(number);
    const unsigned char little[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                     static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    return m_state->mac.code(page + start, size_t(covered), little, sizeof little, digest);
}

bool Codec::checks(const unsigned char *page, qint64 number)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    return code(page, number, digest) && std::memcmp(digest, page + UsableSize + IvSize, MacSize) == 0;
}

bool Codec::decrypt(const unsigned char *page, qint64 number, unsigned char *plain)
{
    if (!checks(page, number))
        return false;
    const int start = firstEncrypted(number);
    EVP_CIPHER_CTX *c = m_state->cipher.get();
    int n = 0;
    return EVP_DecryptInit_ex(c, EVP_aes_256_cbc(), nullptr, m_state->key.data(), page + UsableSize) == 1
           && EVP_CIPHER_CTX_set_padding(c, 0) == 1
           && EVP_DecryptUpdate(c, plain + start, &n, page + start, UsableSize - start) == 1
           && n == UsableSize - start;
}

bool Codec::encrypt(const unsigned char *plain, qint64 number, unsigned char *page)
{
    const int start = firstEncrypted(number);
    // As the engine does: the whole reserve random, the IV its first bytes.
    if (RAND_bytes(page + UsableSize, Reserve) != 1)
        return false;
    EVP_CIPHER_CTX *c = m_state->cipher.get();
    int n = 0;
    if (EVP_EncryptInit_ex(c, EVP_aes_256_cbc(), nullptr, m_state->key.data(), page + UsableSize) != 1
        || EVP_CIPHER_CTX_set_padding(c, 0) != 1
        || EVP_EncryptUpdate(c, page + start, &n, plain + start, UsableSize - start) != 1 || n != UsableSize - start)
        return false;
    if (start > 0)
        std::memcpy(page, m_state->salt.data(), SaltSize);
    unsigned char digest[EVP_MAX_MD_SIZE];
    if (!code(page, number, digest))
        return false;
    std::memcpy(page + UsableSize + IvSize, digest, MacSize);
    return true;
}

} // namespace StorePageCodec
