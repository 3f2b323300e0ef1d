#include "PictureImport.h"
#include <QCoreApplication>

#include "AlbumLibrary.h"
#include "PhotoFacts.h"
#include "TextRules.h"
#include "Thumbnail.h"

#include <QCollator>
#include <QDirIterator>
#include <QFile>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QFileInfo>

#include <algorithm>
#include <future>

namespace PictureImport {

QString Summary::text() const
{
    QStringList lines;
    lines.append(QCoreApplication::translate("PictureImport", "导入了 %1 张图片。").arg(imported));
    if (duplicates > 0)
        lines.append(
            QCoreApplication::translate("PictureImport", "%1 张图片相册中已有,没有再次导入。").arg(duplicates));
    for (const QString &name : renamed)
        lines.append(QCoreApplication::translate("PictureImport", "同名的图片已存在,改名导入: %1").arg(name));
    for (const LeftOut &file : leftOut)
        lines.append(QCoreApplication::translate("PictureImport", "没有导入 %1: %2").arg(file.file, file.reason));
    if (notTried > 0)
        lines.append(QCoreApplication::translate("PictureImport", "导入中止,其余 %1 个文件没有导入。").arg(notTried));
    if (cancelled)
        lines.append(
            QCoreApplication::translate("PictureImport", "导入已取消;再次导入同样的文件会接着导入其余的图片。"));
    return lines.join(QLatin1Char('\n'));
}

QStringList collectFiles(const QStringList &paths, QList<LeftOut> *leftOut)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
        } else if (info.isFile()) {
            files.append(path);
        } else if (leftOut) {
            leftOut->append({path, info.exists()
                                       ? QCoreApplication::translate("PictureImport", "不是文件也不是文件夹")
                                       : QCoreApplication::translate("PictureImport", "找不到该文件或文件夹")});
        }
    }
    // When each was taken, from the EXIF data in its first part.
    struct Entry
    {
        QString file;
        QString taken;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(files.size()));
    for (const QString &file : std::as_const(files)) {
        QFile f(file);
        const QByteArray start = f.open(QIODevice::ReadOnly) ? f.read(256 * 1024) : QByteArray();
        entries.push_back({file, photoFacts(start).taken});
    }
    // The C locale's collation knows no numbers (IMG_10 would come before
    // IMG_2): there, English rules sort the names.
    QCollator byName(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    byName.setNumericMode(true);
    byName.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.taken.isEmpty() != b.taken.isEmpty())
            return !a.taken.isEmpty();
        if (a.taken != b.taken)
            return a.taken < b.taken;
        return byName.compare(QFileInfo(a.file).fileName(), QFileInfo(b.file).fileName()) < 0;
    });
    QStringList ordered;
    ordered.reserve(qsizetype(entries.size()));
    for (Entry &entry : entries)
        ordered.append(std::move(entry.file));
    return ordered;
}

namespace {

// known, when given, holds the album's hashes: a picture not among them gets
// its thumbnail made here, from the bytes in hand, rather than read back
// from the store later.
// On a thread of its own, work done ahead yields the processors to the
// storing, which every picture waits for: at equal priority, threads making
// thumbnails ahead left it too small a share to keep up (a camera folder
// imported in 4.3-4.5 s at nice 5 against 4.9-5.2 s). Nice 5 still leaves
// them a third of what a program at the usual priority gets. Linux keeps a
// nice value per thread; std::async makes a new thread for each file, so
// none is handed on.
void yieldToTheStoring() { setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 5); }

ReadFile readAndHash(const QString &file, const Hasher &hash, const QSet<QByteArray> *known, bool ownThread)
{
    if (ownThread)
        yieldToTheStoring();
    ReadFile read;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly))
        read.bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        read.error = f.errorString();
        read.bytes.clear();
        return read;
    }
    if (hash)
        read.hash = hash(read.bytes);
    if (known && !read.bytes.isEmpty() && !known->contains(read.hash)) {
        try {
            read.thumbnail = Thumbnail::make(read.bytes);
        } catch (const std::exception &) {
            // Not a picture the store takes, or one whose thumbnail is tried
            // again (and told) with the others that have none.
        }
    }
    return read;
}

} // namespace

FilesAhead::FilesAhead(const QStringList &files, const Hasher &hash, ReadAhead readAhead, QSet<QByteArray> known)
    : m_files(files), m_hash(hash), m_readAhead(readAhead), m_known(std::move(known))
{}

FilesAhead::~FilesAhead() = default;

ReadFile FilesAhead::next()
{
    readMore();
    if (m_ahead.empty())
        return ReadFile{{}, {}, QStringLiteral("no more files"), {}};
    ReadFile read = m_ahead.front().read.get();
    m_bytesAhead -= m_ahead.front().size;
    m_ahead.pop_front();
    readMore();
    return read;
}

void FilesAhead::readMore()
{
    // Three pictures in hand besides the one stored, when thumbnails are
    // made too (each takes longer to prepare than to store), as long as
    // they are not large together.
    const bool thumbnails = m_readAhead == ReadAhead::WithThumbnails;
    const size_t depth = thumbnails ? 3 : 1;
    constexpr qint64 aheadBytes = 256 * 1024 * 1024;
    const auto launch = m_readAhead == ReadAhead::No ? std::launch::deferred : std::launch::async;
    while (m_ahead.size() < depth && m_nextToRead < m_files.size()) {
        const QString &file = m_files.at(m_nextToRead);
        const qint64 size = QFileInfo(file).size();
        if (!m_ahead.empty() && m_bytesAhead + size > aheadBytes)
            break;
        m_ahead.push_back({std::async(launch, readAndHash, file, m_hash, thumbnails ? &m_known : nullptr,
                                      launch == std::launch::async),
                           size});
        m_bytesAhead += size;
        ++m_nextToRead;
    }
}

Summary run(AlbumStore &store, int albumId, const QStringList &files, const Progress &progress, ReadAhead readAhead)
{
    Summary summary;
    // A protected album's pictures go in only with its key open.
    const std::function<QByteArray(const QByteArray &)> hash = store.contentHasher(albumId);
    // The album's pictures stored before hashes were kept get theirs first
    // (told with no file).
    store.hashAlbumPictures(albumId, [&](int done, int total) {
        summary.cancelled = progress && !progress(done, total, QString());
        return !summary.cancelled;
    });
    if (summary.cancelled)
        return summary;
    TakenNames taken;
    {
        QStringList names;
        store.listPictureNames(albumId, &names);
        for (const QString &name : std::as_const(names))
            taken.take(name);
    }
    const bool thumbnails = readAhead == ReadAhead::WithThumbnails;
    FilesAhead ahead(files, hash, readAhead, thumbnails ? store.albumHashes(albumId) : QSet<QByteArray>());
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &file = files.at(i);
        if (progress && !progress(int(i), int(files.size()), file)) {
            summary.cancelled = true;
            break;
        }
        const ReadFile read = ahead.next();
        if (!read.error.isEmpty()) {
            summary.leftOut.append(
                {file, QCoreApplication::translate("PictureImport", "无法读取该文件 (%1)").arg(read.error)});
            continue;
        }
        const QByteArray &bytes = read.bytes;
        if (!bytes.isEmpty() && store.albumHoldsHash(albumId, read.hash)) {
            ++summary.duplicates;
            continue;
        }
        const QString wanted = AlbumStore::pictureNameOf(file);
        const QString name = isSafeName(wanted) ? taken.unique(wanted) : wanted;
        AlbumStore::PictureFailure failure;
        if (!store.addPictureData(albumId, name, AlbumStore::pictureExtensionOf(file), bytes, &failure, read.hash,
                                  read.thumbnail)) {
            summary.leftOut.append({file, AlbumLibrary::pictureFailureCause(failure)});
            // Nothing more can be stored.
            if (failure.kind == AlbumStore::PictureFailure::Damaged || failure.kind == AlbumStore::PictureFailure::Store) {
                summary.notTried = int(files.size() - i - 1);
                break;
            }
            continue;
        }
        ++summary.imported;
        if (name != wanted)
            summary.renamed.append(QStringLiteral("%1 -> %2").arg(wanted, name));
    }
    return summary;
}

} // namespace PictureImport
