#pragma once
// One page of a store file as SQLCipher 3 writes it: AES-256-CBC over the
// page's bytes (after the file's salt on page 1) with a random IV, then
// HMAC-SHA1 over the encrypted bytes, the IV and the page's number (little
// endian); the IV and the code sit in the last 48 bytes, the rest of them
// random. The encryption key is the one the store is keyed with; the code's
// key comes from it and the salt through PBKDF2 (two rounds, salt masked).

#include <openssl/evp.h>

#include <QtGlobal>

#include <cstddef>
#include <memory>

namespace StorePageCodec {

constexpr int PageSize = 4096;
constexpr int Reserve = 48;
constexpr int IvSize = 16;
constexpr int MacSize = 20;
constexpr int SaltSize = 16;
// Bytes of a page the engine uses; the reserve follows them.
constexpr int UsableSize = PageSize - Reserve;
// The page over the lock bytes at 1 GiB is never written.
constexpr qint64 LockBytePage = (qint64(1) << 30) / PageSize + 1;

// The first byte of a page that is encrypted: page 1 begins with the salt.
constexpr int firstEncrypted(qint64 number) { return number == 1 ? SaltSize : 0; }

// HMAC-SHA1 with the key's inner and outer states made once, copied for
// each code: the engine's page code, for keys up to a SHA-1 block.
class Sha1Mac
{
public:
    Sha1Mac();
    ~Sha1Mac();
    Sha1Mac(Sha1Mac &&) noexcept;
    Sha1Mac(const Sha1Mac &) = delete;
    Sha1Mac &operator=(const Sha1Mac &) = delete;

    static constexpr int MaxKeySize = 64;
    // Whether its contexts could be made.
    bool isValid() const;
    // Keyed for key, unless keyed for it already. False (and keyed for
    // nothing) when the key is too long or the states cannot be made.
    bool setKey(const unsigned char *key, int size);
    // The code of first followed by second, into out (MacSize bytes).
    bool code(const unsigned char *first, size_t firstSize, const unsigned char *second, size_t secondSize,
              unsigned char *out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

class Codec
{
public:
    // For the file whose first bytes (its salt) are given.
    explicit Codec(const unsigned char *salt);
    ~Codec();
    Codec(Codec &&) noexcept;
    Codec(const Codec &) = delete;
    Codec &operator=(const Codec &) = delete;

    // Whether the page, as stored, carries its own code.
    bool checks(const unsigned char *page, qint64 number);
    // The page's clear bytes into plain (PageSize bytes; the bytes before
    // firstEncrypted() and the reserve are left as they are). False when
    // the page does not check.
    bool decrypt(const unsigned char *page, qint64 number, unsigned char *plain);
    // The clear bytes of plain encrypted as the engine does, with a new IV,
    // into page; page 1 gets the salt.
    bool encrypt(const unsigned char *plain, qint64 number, unsigned char *page);

private:
    bool code(const unsigned char *page, qint64 number, unsigned char *digest);

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace StorePageCodec
