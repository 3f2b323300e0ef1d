#include "StorePages.h"

#include "FileReading.h"
#include "Sql.h"
#include "StoreSchema.h"

#include <QFile>
#include <QScopeGuard>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPage = StoreSchema::CipherPageSize;
// SQLCipher 3: the page's last 48 bytes hold its IV (16) and its HMAC-SHA1
// (20); page 1 begins with the file's salt (16).
constexpr int kReserve = 48;
constexpr int kIv = 16;
constexpr int kMac = 20;
constexpr int kSalt = StoreSchema::SaltSize;
constexpr int kMacKeyRounds = 2;
constexpr unsigned char kMacSaltMask = 0x3a;
// The page over the lock bytes at 1 GiB is never written.
constexpr qint64 kLockBytePage = (qint64(1) << 30) / kPage + 1;
// Read at once under one read transaction: 16 MB.
constexpr int kChunkPages = 4096;

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

// HMAC-SHA1 with the inner and outer keyed states made once, copied for
// each page.
class PageMac
{
public:
    explicit PageMac(const unsigned char *key, int keySize)
        : m_inner(EVP_MD_CTX_new(), &EVP_MD_CTX_free), m_outer(EVP_MD_CTX_new(), &EVP_MD_CTX_free),
          m_work(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        std::array<unsigned char, 64> inner{}, outer{};
        for (int i = 0; i < 64; ++i) {
            const unsigned char k = i < keySize ? key[i] : 0;
            inner[i] = k ^ 0x36;
            outer[i] = k ^ 0x5c;
        }
        EVP_DigestInit_ex(m_inner.get(), EVP_sha1(), nullptr);
        EVP_DigestUpdate(m_inner.get(), inner.data(), inner.size());
        EVP_DigestInit_ex(m_outer.get(), EVP_sha1(), nullptr);
        EVP_DigestUpdate(m_outer.get(), outer.data(), outer.size());
    }

    // Whether the page, numbered pageNumber, carries its own code.
    bool checks(const unsigned char *page, qint64 pageNumber)
    {
        const int start = pageNumber == 1 ? kSalt : 0;
        const int covered = kPage - start - kReserve + kIv;
        const unsigned char *stored = page + start + covered;
        const quint32 number = quint32(pageNumber);
        const unsigned char little[4] = {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                                         static_cast<unsigned char>(number >> 16),
                                         static_cast<unsigned char>(number >> 24)};
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_MD_CTX_copy_ex(m_work.get(), m_inner.get());
        EVP_DigestUpdate(m_work.get(), page + start, size_t(covered));
        EVP_DigestUpdate(m_work.get(), little, sizeof little);
        EVP_DigestFinal_ex(m_work.get(), digest, &size);
        EVP_MD_CTX_copy_ex(m_work.get(), m_outer.get());
        EVP_DigestUpdate(m_work.get(), digest, size);
        EVP_DigestFinal_ex(m_work.get(), digest, &size);
        return std::memcmp(digest, stored, kMac) == 0;
    }

private:
    DigestContext m_inner;
    DigestContext m_outer;
    DigestContext m_work;
};

// The page codes' key, from the salt at the start of the file.
PageMac pageMacFor(const unsigned char *salt)
{
    const QByteArray key = StoreSchema::pageKeyFor(QByteArray(reinterpret_cast<const char *>(salt), kSalt));
    unsigned char macSalt[kSalt], macKey[32];
    for (int i = 0; i < kSalt; ++i)
        macSalt[i] = salt[i] ^ kMacSaltMask;
    PKCS5_PBKDF2_HMAC_SHA1(key.constData(), int(key.size()), macSalt, kSalt, kMacKeyRounds, sizeof macKey, macKey);
    PageMac mac(macKey, int(sizeof macKey));
    OPENSSL_cleanse(macKey, sizeof macKey);
    return mac;
}

bool allZero(const unsigned char *bytes, int size)
{
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// A read lock for one chunk, unless the connection holds a transaction.
void takeReadLock(std::optional<SqlTransaction> &locked, SqlConnection &lock)
{
    if (sqlite3_get_autocommit(lock.handle()))
        locked.emplace(lock, SqlTransaction::Kind::Read);
}

QString pageDamaged(qint64 page, qint64 pages)
{
    return QStringLiteral("page %1 of %2 does not check").arg(page).arg(pages);
}

} // namespace

namespace StorePages {

QString findDamage(const QString &path, SqlConnection &lock, const std::atomic_bool *stop)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw SqlError(SQLITE_CANTOPEN, "cannot read " + path.toStdString() + ": " + std::strerror(errno));
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });

    std::vector<unsigned char> chunk;
    std::optional<PageMac> mac;
    qint64 pages = 0;
    for (qint64 first = 1;; first += kChunkPages) {
        if (stop && *stop)
            return QString();
        qint64 count = 0;
        {
            std::optional<SqlTransaction> locked;
            try {
                takeReadLock(locked, lock);
            } catch (const SqlError &e) {
                // A first page that does not decrypt: the whole file is lost.
                if (SqlError::meansDamage(e.code()))
                    return pageDamaged(1, std::max<qint64>(pages, 1));
                throw;
            }
            struct stat file = {};
            if (::fstat(fd, &file) != 0)
                throw SqlError(SQLITE_IOERR, "cannot read " + path.toStdString());
            if (file.st_size % kPage != 0)
                return QStringLiteral("the file is %1 bytes, not a whole number of pages").arg(qint64(file.st_size));
            // A compaction may have made it shorter since the last chunk.
            pages = qint64(file.st_size) / kPage;
            count = std::min<qint64>(kChunkPages, pages - first + 1);
            if (count <= 0)
                return QString();
            const size_t bytes = size_t(count) * kPage;
            chunk.resize(std::max(chunk.size(), bytes));
            if (readAt(fd, chunk.data(), bytes, off_t((first - 1) * kPage)) != ssize_t(bytes))
                throw SqlError(SQLITE_IOERR, "cannot read " + path.toStdString());
        }
        if (!mac)
            mac.emplace(pageMacFor(chunk.data()));
        for (qint64 i = 0; i < count; ++i) {
            const qint64 number = first + i;
            if (number == kLockBytePage)
                continue;
            const unsigned char *page = chunk.data() + size_t(i) * kPage;
            // The engine takes a page of zeros for one never written; in a
            // store every page was written.
            if (allZero(page, kPage) || !mac->checks(page, number))
                return pageDamaged(number, pages);
        }
    }
}

} // namespace StorePages

namespace StorePages {

bool isStoreFile(const QString &path)
{
    // A few pages after the first are enough: a store's pages all carry
    // codes, a foreign file's none.
    constexpr int kLooked = 16;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(qint64(kLooked + 1) * kPage);
    if (head.size() < 2 * kPage)
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());
    PageMac mac = pageMacFor(bytes);
    for (qint64 number = 2; number * kPage <= head.size(); ++number)
        if (mac.checks(bytes + (number - 1) * kPage, number))
            return true;
    return false;
}

} // namespace StorePages
