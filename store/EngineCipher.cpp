#include "EngineCipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sqlite3.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

extern "C" {

// The engine's interface for its cipher, as its version 3.4 declares it
// (the header is not installed with the library).
struct sqlcipher_provider
{
    int (*activate)(void *ctx);
    int (*deactivate)(void *ctx);
    const char *(*get_provider_name)(void *ctx);
    int (*add_random)(void *ctx, void *buffer, int length);
    int (*random)(void *ctx, void *buffer, int length);
    int (*hmac)(void *ctx, unsigned char *hmac_key, int key_sz, unsigned char *in, int in_sz, unsigned char *in2,
                int in2_sz, unsigned char *out);
    int (*kdf)(void *ctx, const unsigned char *pass, int pass_sz, unsigned char *salt, int salt_sz, int workfactor,
               int key_sz, unsigned char *key);
    int (*cipher)(void *ctx, int mode, unsigned char *key, int key_sz, unsigned char *iv, unsigned char *in, int in_sz,
                  unsigned char *out);
    int (*set_cipher)(void *ctx, const char *cipher_name);
    const char *(*get_cipher)(void *ctx);
    int (*get_key_sz)(void *ctx);
    int (*get_iv_sz)(void *ctx);
    int (*get_block_sz)(void *ctx);
    int (*get_hmac_sz)(void *ctx);
    int (*ctx_copy)(void *target_ctx, void *source_ctx);
    int (*ctx_cmp)(void *c1, void *c2);
    int (*ctx_init)(void **ctx);
    int (*ctx_free)(void **ctx);
    int (*fips_status)(void *ctx);
    const char *(*get_provider_version)(void *ctx);
};

int sqlcipher_register_provider(sqlcipher_provider *p);
void sqlcipher_activate(void);
}

namespace EngineCipher {

namespace {

constexpr char kName[] = "quilbo-openssl";
// The versions whose interface is the one above.
constexpr char kKnownVersion[] = "3.4.";
// HMAC keys up to a SHA-1 block are used as they are; longer ones (never
// given by the engine) go the slow way.
constexpr int kShaBlock = 64;
// Random bytes drawn at once: the reserves of 85 pages.
constexpr int kRandomBatch = 4096;

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// One direction of the cipher, keyed once and given a new IV per page.
struct Direction
{
    CipherContext context{EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free};
    std::array<unsigned char, EVP_MAX_KEY_LENGTH> key{};
    int keySize = -1;
};

// One of the engine's cipher contexts (each connection has two, for reading
// and writing; a connection is used by one thread at a time).
struct Context
{
    const EVP_CIPHER *cipher = nullptr;
    Direction directions[2]; // decrypting, encrypting
    DigestContext inner{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    DigestContext outer{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    DigestContext work{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    std::array<unsigned char, kShaBlock> macKey{};
    int macKeySize = -1;
    std::array<unsigned char, kRandomBatch> random{};
    int randomLeft = 0;

    bool complete() const { return directions[0].context && directions[1].context && inner && outer && work; }
    void forgetKeys()
    {
        for (Direction &d : directions) {
            OPENSSL_cleanse(d.key.data(), d.key.size());
            d.keySize = -1;
        }
        OPENSSL_cleanse(macKey.data(), macKey.size());
        macKeySize = -1;
    }
    ~Context()
    {
        forgetKeys();
        OPENSSL_cleanse(random.data(), random.size());
    }
};

Context *of(void *ctx) { return static_cast<Context *>(ctx); }

int activate(void *) { return SQLITE_OK; }

// Given the engine's cipher context, not this one's: reads nothing of it.
const char *name(void *) { return kName; }

int addRandom(void *, void *buffer, int length)
{
    RAND_add(buffer, length, 0);
    return SQLITE_OK;
}

int random(void *ctx, void *buffer, int length)
{
    Context *c = of(ctx);
    if (length < 0)
        return SQLITE_ERROR;
    if (length > kRandomBatch)
        return RAND_bytes(static_cast<unsigned char *>(buffer), length) == 1 ? SQLITE_OK : SQLITE_ERROR;
    if (c->randomLeft < length) {
        if (RAND_bytes(c->random.data(), kRandomBatch) != 1)
            return SQLITE_ERROR;
        c->randomLeft = kRandomBatch;
    }
    // Each byte is given once, and not kept.
    unsigned char *from = c->random.data() + (kRandomBatch - c->randomLeft);
    std::memcpy(buffer, from, size_t(length));
    OPENSSL_cleanse(from, size_t(length));
    c->randomLeft -= length;
    return SQLITE_OK;
}

// The inner and outer states of HMAC-SHA1 for the key, made when the key
// is not the one they were made for.
bool keyMac(Context *c, const unsigned char *key, int keySize)
{
    if (keySize == c->macKeySize && CRYPTO_memcmp(key, c->macKey.data(), size_t(keySize)) == 0)
        return true;
    c->macKeySize = -1;
    std::array<unsigned char, kShaBlock> inner{}, outer{};
    for (int i = 0; i < kShaBlock; ++i) {
        const unsigned char k = i < keySize ? key[i] : 0;
        inner[size_t(i)] = k ^ 0x36;
        outer[size_t(i)] = k ^ 0x5c;
    }
    const bool made = EVP_DigestInit_ex(c->inner.get(), EVP_sha1(), nullptr) == 1
                      && EVP_DigestUpdate(c->inner.get(), inner.data(), inner.size()) == 1
                      && EVP_DigestInit_ex(c->outer.get(), EVP_sha1(), nullptr) == 1
                      && EVP_DigestUpdate(c->outer.get(), outer.data(), outer.size()) == 1;
    OPENSSL_cleanse(inner.data(), inner.size());
    OPENSSL_cleanse(outer.data(), outer.size());
    if (!made)
        return false;
    std::memcpy(c->macKey.data(), key, size_t(keySize));
    c->macKeySize = keySize;
    return true;
}

int hmac(void *ctx, unsigned char *key, int keySize, unsigned char *in, int inSize, unsigned char *in2, int in2Size,
         unsigned char *out)
{
    Context *c = of(ctx);
    if (keySize < 0 || inSize < 0 || in2Size < 0)
        return SQLITE_ERROR;
    if (keySize > kShaBlock) {
        unsigned int size = 0;
        std::unique_ptr<unsigned char[]> both(new (std::nothrow) unsigned char[size_t(inSize) + size_t(in2Size) + 1]);
        if (!both)
            return SQLITE_NOMEM;
        std::memcpy(both.get(), in, size_t(inSize));
        std::memcpy(both.get() + inSize, in2, size_t(in2Size));
        return HMAC(EVP_sha1(), key, keySize, both.get(), size_t(inSize) + size_t(in2Size), out, &size) ? SQLITE_OK
                                                                                                        : SQLITE_ERROR;
    }
    if (!keyMac(c, key, keySize))
        return SQLITE_ERROR;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX *work = c->work.get();
    const bool done = EVP_MD_CTX_copy_ex(work, c->inner.get()) == 1 && EVP_DigestUpdate(work, in, size_t(inSize)) == 1
                      && EVP_DigestUpdate(work, in2, size_t(in2Size)) == 1
                      && EVP_DigestFinal_ex(work, digest, &size) == 1 && EVP_MD_CTX_copy_ex(work, c->outer.get()) == 1
                      && EVP_DigestUpdate(work, digest, size) == 1 && EVP_DigestFinal_ex(work, out, &size) == 1;
    return done ? SQLITE_OK : SQLITE_ERROR;
}

int kdf(void *, const unsigned char *pass, int passSize, unsigned char *salt, int saltSize, int workFactor, int keySize,
        unsigned char *key)
{
    return PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char *>(pass), passSize, salt, saltSize, workFactor, keySize,
                                  key)
                   == 1
               ? SQLITE_OK
               : SQLITE_ERROR;
}

int cipher(void *ctx, int mode, unsigned char *key, int keySize, unsigned char *iv, unsigned char *in, int inSize,
           unsigned char *out)
{
    Context *c = of(ctx);
    if (!c->cipher || keySize < 0 || keySize > EVP_MAX_KEY_LENGTH || inSize < 0)
        return SQLITE_ERROR;
    const int encrypting = mode ? 1 : 0;
    Direction &d = c->directions[encrypting];
    EVP_CIPHER_CTX *e = d.context.get();
    if (keySize != d.keySize || CRYPTO_memcmp(key, d.key.data(), size_t(keySize)) != 0) {
        d.keySize = -1;
        if (EVP_CIPHER_CTX_reset(e) != 1 || EVP_CipherInit_ex(e, c->cipher, nullptr, nullptr, nullptr, encrypting) != 1
            || (keySize != EVP_CIPHER_get_key_length(c->cipher) && EVP_CIPHER_CTX_set_key_length(e, keySize) != 1)
            || EVP_CipherInit_ex(e, nullptr, nullptr, key, nullptr, encrypting) != 1
            || EVP_CIPHER_CTX_set_padding(e, 0) != 1)
            return SQLITE_ERROR;
        std::memcpy(d.key.data(), key, size_t(keySize));
        d.keySize = keySize;
    }
    // The key stays; only the IV is new.
    int written = 0, tail = 0;
    if (EVP_CipherInit_ex(e, nullptr, nullptr, nullptr, iv, encrypting) != 1
        || EVP_CipherUpdate(e, out, &written, in, inSize) != 1 || EVP_CipherFinal_ex(e, out + written, &tail) != 1
        || written + tail != inSize)
        return SQLITE_ERROR;
    return SQLITE_OK;
}

int setCipher(void *ctx, const char *cipherName)
{
    Context *c = of(ctx);
    const EVP_CIPHER *chosen = EVP_get_cipherbyname(cipherName);
    if (!chosen)
        return SQLITE_ERROR;
    if (chosen != c->cipher) {
        c->cipher = chosen;
        c->forgetKeys();
    }
    return SQLITE_OK;
}

const char *cipherName(void *ctx) { return of(ctx)->cipher ? EVP_CIPHER_get0_name(of(ctx)->cipher) : ""; }
int keySize(void *ctx) { return of(ctx)->cipher ? EVP_CIPHER_get_key_length(of(ctx)->cipher) : 0; }
int ivSize(void *ctx) { return of(ctx)->cipher ? EVP_CIPHER_get_iv_length(of(ctx)->cipher) : 0; }
int blockSize(void *ctx) { return of(ctx)->cipher ? EVP_CIPHER_get_block_size(of(ctx)->cipher) : 0; }
int macSize(void *) { return EVP_MD_get_size(EVP_sha1()); }

int copy(void *target, void *source)
{
    if (of(target)->cipher != of(source)->cipher) {
        of(target)->cipher = of(source)->cipher;
        of(target)->forgetKeys();
    }
    return SQLITE_OK;
}

int compare(void *c1, void *c2) { return of(c1)->cipher == of(c2)->cipher; }

int init(void **ctx)
{
    auto *c = new (std::nothrow) Context;
    if (!c || !c->complete()) {
        delete c;
        *ctx = nullptr;
        return SQLITE_NOMEM;
    }
    *ctx = c;
    return SQLITE_OK;
}

int release(void **ctx)
{
    delete of(*ctx);
    *ctx = nullptr;
    return SQLITE_OK;
}

int fipsStatus(void *) { return 0; }

const char *version(void *) { return OpenSSL_version(OPENSSL_VERSION); }

// Each entry by its name: the order is the engine's.
sqlcipher_provider made()
{
    sqlcipher_provider p{};
    p.activate = activate;
    p.deactivate = activate;
    p.get_provider_name = name;
    p.add_random = addRandom;
    p.random = random;
    p.hmac = hmac;
    p.kdf = kdf;
    p.cipher = cipher;
    p.set_cipher = setCipher;
    p.get_cipher = cipherName;
    p.get_key_sz = keySize;
    p.get_iv_sz = ivSize;
    p.get_block_sz = blockSize;
    p.get_hmac_sz = macSize;
    p.ctx_copy = copy;
    p.ctx_cmp = compare;
    p.ctx_init = init;
    p.ctx_free = release;
    p.fips_status = fipsStatus;
    p.get_provider_version = version;
    return p;
}

sqlcipher_provider provider = made();

// The engine's version, asked of a connection to nothing.
std::string engineVersion()
{
    sqlite3 *db = nullptr;
    std::string version;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *q = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &q, nullptr) == SQLITE_OK
            && sqlite3_step(q) == SQLITE_ROW)
            if (const unsigned char *text = sqlite3_column_text(q, 0))
                version = reinterpret_cast<const char *>(text);
        sqlite3_finalize(q);
    }
    sqlite3_close(db);
    return version;
}

} // namespace

void install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (engineVersion().rfind(kKnownVersion, 0) != 0)
            return;
        // Held for the life of the process: when the last of the engine's
        // users lets go, the engine frees the cipher it holds, and this one
        // is not the engine's to free.
        sqlcipher_activate();
        sqlcipher_register_provider(&provider);
    });
}

const char *providerName() { return kName; }

} // namespace EngineCipher
