#include "PictureImport.h"
#include <QCoreApplication>

#include "AlbumLibrary.h"
#include "PhotoFacts.h"
#include "TextRules.h"

#include <QCollator>
#include <QDirIterator>
#include <QFile>
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
    QCollator byName;
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

// A file read in full and hashed as the album compares its pictures.
struct ReadFile
{
    QByteArray bytes;
    QByteArray hash;
    QString error;
};

ReadFile readAndHash(const QString &file, const std::function<QByteArray(const QByteArray &)> &hash)
{
    ReadFile read;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly))
        read.bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        read.error = f.errorString();
        read.bytes.clear();
        return read;
    }
    read.hash = hash(read.bytes);
    return read;
}

} // namespace

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
    // Read ahead, the next file is read and hashed while this one is stored:
    // the two take about as long.
    const auto launch = readAhead == ReadAhead::OnAnotherThread ? std::launch::async : std::launch::deferred;
    std::future<ReadFile> next;
    if (!files.isEmpty())
        next = std::async(launch, readAndHash, files.first(), hash);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &file = files.at(i);
        if (progress && !progress(int(i), int(files.size()), file)) {
            summary.cancelled = true;
            break;
        }
        const ReadFile read = next.get();
        if (i + 1 < files.size())
            next = std::async(launch, readAndHash, files.at(i + 1), hash);
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
        if (!store.addPictureData(albumId, name, AlbumStore::pictureExtensionOf(file), bytes, &failure, read.hash)) {
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
