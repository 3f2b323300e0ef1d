#include "StorePages.h"

#include "EngineFile.h"
#include "Sql.h"
#include "StorePageCodec.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using StorePageCodec::Codec;

constexpr int kPage = StorePageCodec::PageSize;
constexpr qint64 kLockBytePage = StorePageCodec::LockBytePage;
// Read at once under one read transaction: 16 MB.
constexpr int kChunkPages = 4096;

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

QString findDamage(SqlConnection &lock, const std::atomic_bool *stop)
{
    const EngineFile file(lock);
    std::vector<unsigned char> chunk;
    std::optional<Codec> codec;
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
            const qint64 size = file.size();
            if (size % kPage != 0)
                return QStringLiteral("the file is %1 bytes, not a whole number of pages").arg(size);
            // A compaction may have made it shorter since the last chunk.
            pages = size / kPage;
            count = std::min<qint64>(kChunkPages, pages - first + 1);
            if (count <= 0)
                return QString();
            const size_t bytes = size_t(count) * kPage;
            chunk.resize(std::max(chunk.size(), bytes));
            file.read(chunk.data(), qint64(bytes), (first - 1) * kPage);
        }
        if (!codec)
            codec.emplace(chunk.data());
        for (qint64 i = 0; i < count; ++i) {
            const qint64 number = first + i;
            if (number == kLockBytePage)
                continue;
            const unsigned char *page = chunk.data() + size_t(i) * kPage;
            // The engine takes a page of zeros for one never written; in a
            // store every page was written.
            if (allZero(page, kPage) || !codec->checks(page, number))
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
    Codec codec(bytes);
    for (qint64 number = 2; number * kPage <= head.size(); ++number)
        if (codec.checks(bytes + (number - 1) * kPage, number))
            return true;
    return false;
}

} // namespace StorePages
