#include "EngineCipher.h"

#include "StorePageCodec.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
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
// Random bytes drawn at once: the reserves of 85 pages.
constexpr int kRandomBatch = 4096;

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
    StorePageCodec::Sha1Mac mac;
    std::array<unsigned char, kRandomBatch> random{};
    int randomLeft = 0;

    bool complete() const { return directions[0].context && directions[1].context && mac.isValid(); }
    void forgetKeys()
    {
        for (Direction &d : directions) {
            OPENSSL_cleanse(d.key.data(), d.key.size());
            d.keySize = -1;
        }
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

int hmac(void *ctx, unsigned char *key, int keySize, unsigned char *in, int inSize, unsigned char *in2, int in2Size,
         unsigned char *out)
{
    Context *c = of(ctx);
    if (keySize < 0 || inSize < 0 || in2Size < 0)
        return SQLITE_ERROR;
    // The engine's code key is as long as the cipher's key; a key longer
    // than a SHA-1 block is refused (never given).
    return c->mac.setKey(key, keySize) && c->mac.code(in, size_t(inSize), in2, size_t(in2Size), out) ? SQLITE_OK
                                                                                                     : SQLITE_ERROR;
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
