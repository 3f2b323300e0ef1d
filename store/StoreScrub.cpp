#include "StoreScrub.h"

#include "EngineFile.h"
#include "FileWriting.h"
#include "Sql.h"
#include "StorePageCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <openssl/rand.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace StoreScrub {

namespace {

using namespace StorePageCodec;

// The engine's rollback journal: a header of one sector, then for each page
// its number, its bytes as stored and a checksum of them.
constexpr unsigned char kJournalMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
constexpr int kJournalSector = 4096;
constexpr int kRecordSize = 4 + PageSize + 4;
// The database header of page 1 and the b-tree page that follows it.
constexpr int kFirstTreeHeader = 100;
constexpr int kFreelistTrunk = 32;
constexpr int kReservedBytes = 20;

std::function<void(qint64)> &pageWrittenHook()
{
    static std::function<void(qint64)> hook;
    return hook;
}

quint32 get4(const unsigned char *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}
int get2(const unsigned char *p) { return p[0] << 8 | p[1]; }
void put4(unsigned char *p, quint32 v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

[[noreturn]] void unexpected(qint64 number)
{
    throw SqlError(SQLITE_CORRUPT, "page " + std::to_string(number) + " of the store is not laid out as expected");
}

[[noreturn]] void ioFailed(const std::string &what, int code = SQLITE_IOERR)
{
    throw SqlError(code, what + ": " + std::strerror(errno));
}

// Zeroes plain[from, to); whether anything there was not zero.
bool clearRange(unsigned char *plain, int from, int to)
{
    if (from >= to)
        return false;
    const bool found = std::any_of(plain + from, plain + to, [](unsigned char b) { return b != 0; });
    std::memset(plain + from, 0, size_t(to - from));
    return found;
}

enum class Kind : unsigned char { Tree, FreeTrunk, FreeLeaf };

struct Page
{
    quint32 number;
    Kind kind;
};

// Clears what a page of that kind does not use. A tree page uses its
// header, its cell pointers, its cells and the first four bytes of each
// free block (the chain of blocks); a free trunk page its next trunk, its
// count and its list; a free leaf page nothing. The pages a tree page or a
// trunk page leads to are added to next. Whether anything was cleared.
bool clearPage(unsigned char *plain, const Page &page, std::vector<Page> *next)
{
    const qint64 number = page.number;
    if (page.kind == Kind::FreeLeaf)
        return clearRange(plain, firstEncrypted(number), UsableSize);
    if (page.kind == Kind::FreeTrunk) {
        const quint32 count = get4(plain + 4);
        if (count > quint32(UsableSize / 4 - 2))
            unexpected(number);
        if (next) {
            if (const quint32 trunk = get4(plain))
                next->push_back({trunk, Kind::FreeTrunk});
            for (quint32 i = 0; i < count; ++i)
                next->push_back({get4(plain + 8 + 4 * i), Kind::FreeLeaf});
        }
        return clearRange(plain, 8 + 4 * int(count), UsableSize);
    }

    const int header = number == 1 ? kFirstTreeHeader : 0;
    bool interior = false;
    switch (plain[header]) {
    case 0x02: // index, interior
    case 0x05: // table, interior
        interior = true;
        break;
    case 0x0a: // index, leaf
    case 0x0d: // table, leaf
        break;
    default:
        unexpected(number);
    }
    const int headerSize = interior ? 12 : 8;
    const int cells = get2(plain + header + 3);
    const int content = get2(plain + header + 5) == 0 ? 65536 : get2(plain + header + 5);
    const int pointersEnd = header + headerSize + 2 * cells;
    if (pointersEnd > content || content > UsableSize)
        unexpected(number);
    if (interior && next) {
        for (int i = 0; i < cells; ++i) {
            const int cell = get2(plain + header + headerSize + 2 * i);
            if (cell < content || cell + 4 > UsableSize)
                unexpected(number);
            next->push_back({get4(plain + cell), Kind::Tree});
        }
        next->push_back({get4(plain + header + 8), Kind::Tree});
    }
    bool found = clearRange(plain, pointersEnd, content);
    // Free blocks lie in the cell area in rising order, never touching.
    for (int block = get2(plain + header + 1); block != 0;) {
        const int following = get2(plain + block);
        const int size = get2(plain + block + 2);
        if (block < content || size < 4 || block + size > UsableSize || (following != 0 && following <= block + size))
            unexpected(number);
        found = clearRange(plain, block + 4, block + size) || found;
        block = following;
    }
    return found;
}

// The store's pages through the engine's own handle.
class PageFile
{
public:
    explicit PageFile(SqlConnection &db) : m_file(db)
    {
        const qint64 size = m_file.size();
        if (size % PageSize != 0 || size < PageSize)
            throw SqlError(SQLITE_CORRUPT, "the store is not a whole number of pages");
        m_pages = size / PageSize;
    }
    qint64 pages() const { return m_pages; }
    void read(qint64 number, unsigned char *into) const { m_file.read(into, PageSize, (number - 1) * PageSize); }
    void write(qint64 number, const unsigned char *from) const
    {
        m_file.write(from, PageSize, (number - 1) * PageSize);
    }
    void flush() const { m_file.flush(); }

private:
    EngineFile m_file;
    qint64 m_pages = 0;
};

void flushFolder(const QString &file)
{
    if (!flushToDisk(QFileInfo(file).absolutePath(), true))
        ioFailed("cannot flush the store's folder");
}

// Writes the journal holding the pages' bytes as they are now, flushed with
// its folder entry. Throws; nothing is left on failure.
void writeJournal(const QString &journal, const PageFile &file, const std::vector<Page> &pages, mode_t mode)
{
    const QByteArray name = QFile::encodeName(journal);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        ioFailed("cannot write " + journal.toStdString(), errno == EEXIST ? SQLITE_BUSY : SQLITE_IOERR);
    bool whole = false;
    const auto finish = qScopeGuard([&] {
        ::close(fd);
        if (!whole)
            ::unlink(name.constData());
    });
    quint32 nonce = 0;
    if (RAND_bytes(reinterpret_cast<unsigned char *>(&nonce), sizeof nonce) != 1)
        throw SqlError(SQLITE_ERROR, "no random nonce for the journal");
    std::vector<unsigned char> buffer(kJournalSector, 0);
    std::memcpy(buffer.data(), kJournalMagic, sizeof kJournalMagic);
    put4(buffer.data() + 8, quint32(pages.size()));
    put4(buffer.data() + 12, nonce);
    put4(buffer.data() + 16, quint32(file.pages()));
    put4(buffer.data() + 20, kJournalSector);
    put4(buffer.data() + 24, PageSize);
    const auto flushBuffer = [&] {
        if (::write(fd, buffer.data(), buffer.size()) != ssize_t(buffer.size()))
            ioFailed("cannot write " + journal.toStdString(), errno == ENOSPC ? SQLITE_FULL : SQLITE_IOERR);
        buffer.clear();
    };
    constexpr size_t kBatch = 256 * kRecordSize;
    for (const Page &page : pages) {
        const size_t at = buffer.size();
        buffer.resize(at + kRecordSize);
        unsigned char *record = buffer.data() + at;
        put4(record, page.number);
        file.read(page.number, record + 4);
        quint32 sum = nonce;
        for (int i = PageSize - 200; i > 0; i -= 200)
            sum += record[4 + i];
        put4(record + 4 + PageSize, sum);
        if (buffer.size() >= kBatch)
            flushBuffer();
    }
    flushBuffer();
    if (::fsync(fd) != 0)
        ioFailed("cannot flush " + journal.toStdString());
    flushFolder(journal);
    whole = true;
}

} // namespace

void setPageWrittenHook(std::function<void(qint64)> hook) { pageWrittenHook() = std::move(hook); }

Outcome clearUnusedSpace(SqlConnection &db)
{
    SqlTransaction locked(db, SqlTransaction::Kind::Exclusive);
    const QString path = QString::fromUtf8(sqlite3_db_filename(db.handle(), "main"));
    std::vector<Page> next{{1, Kind::Tree}};
    {
        SqlStatement roots(db, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE rootpage > 0"));
        while (roots.next())
            next.push_back({quint32(roots.int64(0)), Kind::Tree});
    }
    const PageFile file(db);
    std::vector<unsigned char> raw(PageSize), plain(PageSize);
    file.read(1, raw.data());
    Codec codec(raw.data());
    const auto readPlain = [&](qint64 number) {
        file.read(number, raw.data());
        if (!codec.decrypt(raw.data(), number, plain.data()))
            unexpected(number);
    };

    readPlain(1);
    if (get2(plain.data() + 16) != PageSize || plain[kReservedBytes] != Reserve)
        unexpected(1);
    if (const quint32 trunk = get4(plain.data() + kFreelistTrunk))
        next.push_back({trunk, Kind::FreeTrunk});

    Outcome outcome;
    std::vector<bool> seen(size_t(file.pages()) + 1);
    std::vector<Page> dirty;
    while (!next.empty()) {
        const Page page = next.back();
        next.pop_back();
        if (page.number < 1 || page.number > file.pages() || page.number == LockBytePage)
            unexpected(page.number);
        if (seen[page.number])
            unexpected(page.number);
        seen[page.number] = true;
        readPlain(page.number);
        ++outcome.pagesRead;
        if (clearPage(plain.data(), page, &next))
            dirty.push_back(page);
    }
    if (dirty.empty()) {
        locked.commit();
        return outcome;
    }
    if (std::none_of(dirty.begin(), dirty.end(), [](const Page &p) { return p.number == 1; }))
        dirty.push_back({1, Kind::Tree});
    std::sort(dirty.begin(), dirty.end(), [](const Page &a, const Page &b) { return a.number < b.number; });

    struct stat status = {};
    const QString journal = path + QStringLiteral("-journal");
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        ioFailed("cannot read " + path.toStdString());
    writeJournal(journal, file, dirty, status.st_mode & 0777);

    // From here a failure leaves the journal: once the lock is let go, the
    // engine's next read plays it back.
    std::vector<unsigned char> written(PageSize);
    for (const Page &page : dirty) {
        readPlain(page.number);
        clearPage(plain.data(), page, nullptr);
        if (!codec.encrypt(plain.data(), page.number, written.data()))
            throw SqlError(SQLITE_ERROR, "cannot encrypt a page");
        file.write(page.number, written.data());
        ++outcome.pagesCleared;
        if (pageWrittenHook())
            pageWrittenHook()(outcome.pagesCleared);
    }
    file.flush();
    if (::unlink(QFile::encodeName(journal).constData()) != 0)
        ioFailed("cannot delete " + journal.toStdString());
    flushFolder(journal);
    locked.commit();
    return outcome;
}

} // namespace StoreScrub
