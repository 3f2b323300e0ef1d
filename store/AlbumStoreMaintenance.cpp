// Store maintenance: compaction into a fresh keyed copy that replaces the
// store in one atomic rename, and backup copies that never replace a file.

#include "AlbumStore.h"
#include <QCoreApplication>
#include "FileReading.h"
#include "FileWriting.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <optional>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

void removeWorkingFile(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

qint64 singleValue(SqlConnection &db, const char *statement)
{
    SqlStatement q(db, QString::fromLatin1(statement));
    return q.next() ? q.int64(0) : 0;
}

qint64 rowCount(SqlConnection &db, const char *table)
{
    SqlStatement q(db, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    return q.next() ? q.int64(0) : -1;
}

// The copy must open with the database password, pass SQLite's own check
// and hold as many rows as the store.
bool verifyCopy(const QString &path, qint64 albums, qint64 pictures, qint64 data)
{
    try {
        SqlConnection copy;
        copy.open(path);
        StoreSchema::keyConnection(copy);
        SqlStatement check(copy, QStringLiteral("PRAGMA integrity_check"));
        if (!check.next() || check.text(0) != QLatin1String("ok"))
            return false;
        return rowCount(copy, "PicLibTable") == albums && rowCount(copy, "PicInfoTable") == pictures
               && rowCount(copy, "PicTable") == data;
    } catch (const SqlError &) {
        return false;
    }
}

// Copies the whole of in to out, in the kernel where it can.
bool copyAll(int in, int out)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break; // not here: copy through a buffer from where it stands
    }
    std::vector<char> buffer(size_t(4) << 20);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

// True when the bytes of in and out from begin to end (or to the end of
// the files) are the same.
bool sameBytes(int in, int out, off_t begin, off_t end)
{
    const size_t chunk = size_t(4) << 20;
    std::vector<char> store(chunk), copy(chunk);
    for (off_t at = begin; at < end; at += off_t(chunk)) {
        const size_t size = size_t(std::min<off_t>(off_t(chunk), end - at));
        const ssize_t n = readAt(in, store.data(), size, at);
        const ssize_t m = readAt(out, copy.data(), size, at);
        if (n < 0 || m != n || std::memcmp(store.data(), copy.data(), size_t(n)) != 0)
            return false;
        if (size_t(n) < size)
            return true;
    }
    return true;
}

// True when the copy, read back after its flush, holds the store's bytes: a
// byte for byte comparison at memory speed, its two halves side by side.
// (The flush reports a write the disk refused; a damaged page of the store
// itself is the store's own checks' to find.)
bool copyMatches(int in, int out)
{
    struct stat storeStat = {}, copyStat = {};
    if (::fstat(in, &storeStat) != 0 || ::fstat(out, &copyStat) != 0 || storeStat.st_size != copyStat.st_size)
        return false;
    const off_t half = storeStat.st_size / 2 / (off_t(4) << 20) * (off_t(4) << 20);
    auto first = std::async(std::launch::async, sameBytes, in, out, off_t(0), half);
    const bool second = sameBytes(in, out, half, storeStat.st_size);
    return first.get() && second;
}

} // namespace

bool AlbumStore::compactStore(const QString &storePath)
{
    m_compactionRoomNeeded = 0;
    const QFileInfo store(storePath);
    if (!store.isFile())
        return false;
    if (!isOpen() && !openStore(m_path))
        return false;
    try {
        checkBeforeWriting();
    } catch (const SqlError &) {
        return false;
    }
    // Only the open store is compacted: renaming its copy over another file
    // would destroy that file.
    if (store.canonicalFilePath() != QFileInfo(m_path).canonicalFilePath())
        return false;
    bool inPlace = false;
    qint64 need = 0;
    try {
        SqlStatement mode(connection(), QStringLiteral("PRAGMA auto_vacuum"));
        constexpr int incremental = 2;
        inPlace = mode.next() && mode.int64(0) == incremental;
        // Room for the journal of the pages a compaction in place moves (the
        // page and what points to it, at most two for each page freed), or
        // for the copy of what is in use; and a margin.
        const qint64 pages = singleValue(connection(), "PRAGMA page_count");
        const qint64 free = singleValue(connection(), "PRAGMA freelist_count");
        need = (inPlace ? 2 * free : pages - free) * StoreSchema::CipherPageSize + (qint64(1) << 20);
    } catch (const SqlError &) {
        return false;
    }
    // An older store is compacted into a copy that, once checked, replaces
    // it; the copy keeps a map of its pages, so that every later compaction
    // is done in place.
    // At the store's real place: a link to it stays a link.
    if (inPlace ? compactInPlace() : compactIntoCopy(m_path))
        return true;
    // Told when lack of room is what stopped it.
    struct statvfs disk = {};
    if (::statvfs(QFile::encodeName(store.absolutePath()).constData(), &disk) == 0
        && qint64(disk.f_bavail) * qint64(disk.f_frsize) < need)
        m_compactionRoomNeeded = need;
    return false;
}

bool AlbumStore::compactInPlace()
{
    // The pages freed by deleted pictures are filled from the end of the
    // file, which is then cut short: only the pages that move are read and
    // written. One transaction of SQLite's own: a compaction cut short at
    // any moment is rolled back from its journal when the store is next
    // opened, and leaves the store as it was. Before it is committed, every
    // table must hold its rows and the pictures their lengths, as before;
    // the cost follows the pages moved, not the store (no check of every
    // page: the store's own page check is there for damage).
    try {
        SqlConnection &db = connection();
        SqlTransaction t(db);
        const auto contents = [&db] {
            return std::array<qint64, 4>{rowCount(db, "PicLibTable"), rowCount(db, "PicInfoTable"),
                                         rowCount(db, "PicTable"),
                                         singleValue(db, "SELECT coalesce(sum(length(Pic)), 0) FROM PicTable")};
        };
        const auto before = contents();
        db.execFixed("PRAGMA incremental_vacuum");
        if (contents() != before)
            return false;
        t.commit();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool AlbumStore::compactIntoCopy(const QString &storePath)
{
    const QFileInfo store(storePath);
    struct stat storeStat = {};
    if (::stat(QFile::encodeName(storePath).constData(), &storeStat) != 0)
        return false;

    // Working files of a compaction that was cut short (the program killed
    // or the machine stopped) hold nothing the store does not have.
    const QString workingPattern = QStringLiteral(".") + store.fileName() + QStringLiteral(".compact-*");
    for (const QString &stale : QDir(store.absolutePath()).entryList({workingPattern}, QDir::Files | QDir::Hidden))
        QFile::remove(store.absoluteDir().filePath(stale));

    // The working file lies beside the store, on the same file system, so
    // that it can replace the store in one rename.
    QString working;
    {
        QTemporaryFile reserve(store.absolutePath() + QStringLiteral("/.") + store.fileName()
                               + QStringLiteral(".compact-XXXXXX"));
        // Left in place, empty: the connection, which never creates files,
        // attaches it and the engine writes the copy into it.
        reserve.setAutoRemove(false);
        if (!reserve.open())
            return false;
        working = reserve.fileName();
    }

    try {
        SqlConnection &db = connection();
        const qint64 albums = rowCount(db, "PicLibTable");
        const qint64 pictures = rowCount(db, "PicInfoTable");
        const qint64 data = rowCount(db, "PicTable");
        qint64 userVersion = 0;
        {
            SqlStatement version(db, QStringLiteral("PRAGMA user_version"));
            userVersion = version.next() ? version.int64(0) : 0;
        }

        db.execFixed("PRAGMA cipher_default_page_size = 4096");
        {
            SqlStatement attach(db, QStringLiteral("ATTACH DATABASE ? AS compacted KEY ?"));
            attach.bind(1, working).bind(2, QString::fromLatin1(StoreSchema::rawKeyText())).exec();
        }
        try {
            // The copy is a new file, flushed and checked before it replaces
            // anything: it needs no journal of its own.
            db.execFixed("PRAGMA compacted.journal_mode = OFF");
            db.execFixed("PRAGMA compacted.synchronous = OFF");
            db.execFixed("PRAGMA compacted.cache_size = -65536");
            db.execFixed("PRAGMA compacted.auto_vacuum = INCREMENTAL");
            db.execFixed("SELECT sqlcipher_export('compacted')");
            // The export does not carry the schema's version over.
            const QByteArray setVersion = "PRAGMA compacted.user_version = " + QByteArray::number(userVersion);
            db.execFixed(setVersion.constData());
            // A new file holds nothing but its rows: no scrub is pending.
            db.execFixed("DROP TABLE IF EXISTS compacted.PicPendingTable");
        } catch (const SqlError &) {
            db.execFixed("DETACH DATABASE compacted");
            throw;
        }
        db.execFixed("DETACH DATABASE compacted");

        // The copy takes the store's permission bits, so that a store shared
        // through its folder stays readable as it was.
        if (::chmod(QFile::encodeName(working).constData(), storeStat.st_mode & 07777) != 0
            || !flushToDisk(working) || !verifyCopy(working, albums, pictures, data)) {
            removeWorkingFile(working);
            return false;
        }
    } catch (const SqlError &) {
        removeWorkingFile(working);
        return false;
    }

    // At every instant the store's path holds the old or the new store,
    // whole. The lock is kept throughout.
    m_connection.close();
    const bool replaced = ::rename(QFile::encodeName(working).constData(), QFile::encodeName(storePath).constData()) == 0;
    if (replaced)
        flushToDisk(store.absolutePath(), true);
    else
        removeWorkingFile(working);
    if (!openConnection()) {
        closeStore();
        throw SqlError(14, QCoreApplication::translate("AlbumStoreMaintenance", "相册库压缩后无法重新打开: %1")
                               .arg(storePath)
                               .toStdString());
    }
    return replaced;
}

QString AlbumStore::backupTarget(const QString &storePath, const QString &target)
{
    const QString file = QFileInfo(storePath).fileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : file.mid(dot);
    return target.contains(QLatin1Char('.')) ? target : target + extension;
}

bool AlbumStore::backupStore(const QString &storePath, const QString &target)
{
    if (trimText(target).isEmpty())
        return false;
    const QFileInfo backup(backupTarget(storePath, trimText(target)));
    // An existing file, or a link to one, is never replaced.
    if (backup.exists() || backup.isSymLink() || !backup.absoluteDir().exists())
        return false;
    const QDir folder = backup.absoluteDir();

    // The copy is made under a working name in the target's folder and given
    // the target's name only once it is whole and checked: a backup cut
    // short at any moment leaves nothing under that name. Working copies of
    // a run that was cut short are cleared first.
    const QString workingPrefix = QStringLiteral(".") + backup.fileName() + QStringLiteral(".backup-");
    for (const QString &stale : folder.entryList({workingPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(stale));
    QString working;
    {
        QTemporaryFile reserve(folder.filePath(workingPrefix + QStringLiteral("XXXXXX")));
        reserve.setAutoRemove(false);
        if (!reserve.open())
            return false;
        working = reserve.fileName();
    }

    bool ok = false;
    const int out = ::open(QFile::encodeName(working).constData(), O_RDWR | O_TRUNC | O_CLOEXEC);
    if (out >= 0) {
        try {
            // Under a read transaction of the open connection no other
            // connection can commit while the file is copied and compared.
            std::optional<SqlTransaction> reading;
            if (isOpen() && QFileInfo(storePath).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath())
                reading.emplace(m_connection, SqlTransaction::Kind::Read);
            const int in = ::open(QFile::encodeName(storePath).constData(), O_RDONLY | O_CLOEXEC);
            if (in >= 0) {
                ok = copyAll(in, out) && ::fsync(out) == 0 && copyMatches(in, out);
                // Closed once the transaction is over: closing any descriptor
                // of the file lets go of the engine's locks on it too.
                reading.reset();
                ::close(in);
            }
        } catch (const SqlError &) {
            ok = false;
        }
        ok = ::close(out) == 0 && ok;
    }
    // The copy gets its name only where nothing has it.
    ok = ok && giveNameWithoutReplacing(working, backup.filePath());
    QFile::remove(working);
    if (ok)
        flushToDisk(folder.path(), true);
    return ok;
}
