// Compaction and backup of a store of pictures (2,000 MB by default, a
// tenth of its pictures deleted), each against `cp` of the store file plus
// `sync` of just the file written: medians of 5 runs, with min and max.
// Also the peak extra disk a compaction uses, as a multiple of the
// compacted size, and what the check of every page before a first write
// costs: a tool adding a picture to a store noted whole, and to one that is
// not (alternately), and against reading the file.
//   bench_maintenance [megabytes, 2000] [folder for the store, .]
// Skipped, saying so, where the folder has no room for the store and its
// copies.

#include "AlbumStore.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "JpegCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

namespace {

constexpr int kRuns = 5;

qint64 folderBytes(const QString &folder)
{
    qint64 total = 0;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        total += f.size();
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    keepLargeBuffers();
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 2000;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::currentPath();
    if (Bench::freeMb(folder) < qint64(megabytes) * 3 + 500) {
        std::printf("skipped: %s has %lld MB free, a store of %d MB and its copies need %d\n", qPrintable(folder),
                    Bench::freeMb(folder), megabytes, megabytes * 3 + 500);
        return 0;
    }
    QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("bench-XXXXXX")));
    const QString storeFolder = dir.filePath(QStringLiteral("date"));
    QDir().mkpath(storeFolder);
    QTemporaryDir storeDir(storeFolder + QStringLiteral("/XXXXXX"));
    AlbumStore store;
    const QString storePath = Bench::openNewStore(storeDir, store);
    store.addAlbum(QStringLiteral("album"), QString());
    {
        // 5 MB pictures of random bytes, written in one transaction.
        const int count = megabytes / 5;
        SqlTransaction t(store.connection());
        QByteArray bytes(5 << 20, Qt::Uninitialized);
        for (int i = 1; i <= count; ++i) {
            QRandomGenerator(quint32(i)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            SqlStatement info(store.connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, PicName, PicExt) "
                                                                 "VALUES (?, 1, ?, 'jpg')"));
            info.bind(1, i).bind(2, QStringLiteral("IMG_%1").arg(i)).exec();
            SqlStatement pic(store.connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
            pic.bind(1, i).bindBlob(2, bytes).exec();
        }
        t.commit();
        for (int i = 1; i <= count; i += 10)
            store.deletePicture(1, QStringLiteral("IMG_%1").arg(i));
    }
    store.closeStore();
    QProcess::execute(QStringLiteral("sync"), {});
    std::printf("store: %.0f MB, a tenth of its pictures deleted (load %.2f)\n", QFileInfo(storePath).size() / 1e6,
                Bench::loadAverage());

    // Compactions of fresh copies of the store (made and found whole
    // beforehand, as the window finds its store, untimed), alternately with
    // the baseline: a copy of the store file, flushed to disk. A tenth of
    // the pictures deleted, then one picture only.
    const QString copy = dir.filePath(QStringLiteral("copy.pdb"));
    const QString work = storeDir.filePath(QStringLiteral("work.pdb"));
    qint64 peak = 0;
    qint64 compacted = 0;
    const auto compactCopy = [&](const QString &deleteFirst) -> double {
        QFile::remove(work);
        QFile::remove(AlbumStore::wholeNotePath(work));
        QFile::copy(storePath, work);
        if (!deleteFirst.isEmpty()) {
            AlbumStore one;
            one.openStore(work);
            one.deletePicture(1, deleteFirst);
            one.closeStore();
        }
        {
            QProcess noting; // opened, checked and noted whole
            noting.setStandardOutputFile(QProcess::nullDevice());
            noting.start(QStringLiteral(QUILBO_COMPACTSTORE_BENCH), {work, QStringLiteral("0")});
            noting.waitForFinished(-1);
        }
        QProcess::execute(QStringLiteral("sync"), {});
        const qint64 before = folderBytes(storeDir.path());
        QProcess child;
        QElapsedTimer t;
        t.start();
        child.start(QStringLiteral(QUILBO_COMPACTSTORE_BENCH), {work, QStringLiteral("1")});
        while (!child.waitForFinished(5))
            peak = std::max(peak, folderBytes(storeDir.path()) - before);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (child.exitCode() != 0)
            std::printf("compaction FAILED: %s", child.readAllStandardError().constData());
        compacted = QFileInfo(work).size();
        return ms;
    };
    const auto copyOnce = [&] {
        const double ms = Bench::shellMs(QStringLiteral("cp '%1' '%2' && sync '%2'").arg(storePath, copy));
        QFile::remove(copy);
        return ms;
    };
    std::vector<double> tenth, cp, single, cpSingle;
    for (int i = 0; i < kRuns; ++i) {
        tenth.push_back(compactCopy(QString()));
        cp.push_back(copyOnce());
    }
    std::printf("compacted size %.0f MB\n", compacted / 1e6);
    Bench::reportRuns("compaction, a tenth deleted", tenth, "cp + sync of the store file", cp, 3.0);
    std::printf("peak extra disk %.0f MB = %.2f x the compacted size\n\n", peak / 1e6, double(peak) / double(compacted));
    // The store already compacted once: one more picture deleted.
    QFile::remove(storePath);
    QFile::rename(work, storePath);
    QFile::remove(AlbumStore::wholeNotePath(storePath));
    for (int i = 0; i < kRuns; ++i) {
        single.push_back(compactCopy(QStringLiteral("IMG_2")));
        cpSingle.push_back(copyOnce());
    }
    Bench::reportRuns("compaction, one picture deleted", single, "cp + sync of the store file", cpSingle, 0.2);
    std::printf("\n");

    // Backups of the compacted store, to files that do not exist yet,
    // alternately with the copy they are compared with.
    store.openStore(storePath);
    std::vector<double> cp2, backups;
    for (int i = 0; i < kRuns; ++i) {
        cp2.push_back(Bench::shellMs(QStringLiteral("cp '%1' '%2' && sync '%2'").arg(storePath, copy)));
        QFile::remove(copy);
        const QString target = dir.filePath(QStringLiteral("backup%1").arg(i));
        QElapsedTimer t;
        t.start();
        const bool ok = store.backupStore(storePath, target);
        backups.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!ok)
            std::printf("backup FAILED\n");
        QFile::remove(target + QStringLiteral(".pdb"));
    }
    Bench::reportRuns("backup", backups, "cp + sync of the store file", cp2, 1.5);
    store.closeStore();

    // The check before a first write: a tool adding one picture to the
    // store, once with the note that nothing changed the file since it was
    // last found whole, once without it (every page is checked first).
    std::printf("\nfirst write to the store (load %.2f)\n", Bench::loadAverage());
    const QString picture = dir.filePath(QStringLiteral("one.jpg"));
    {
        QImage small(64, 48, QImage::Format_RGB32);
        small.fill(Qt::darkGreen);
        QFile one(picture);
        one.open(QIODevice::WriteOnly);
        one.write(JpegCodec::encode(small, JpegCodec::SaveQuality));
    }
    const QString note = AlbumStore::wholeNotePath(storePath);
    int added = 0;
    const auto addOne = [&](bool noted) {
        if (!noted)
            QFile::remove(note);
        const QString file = dir.filePath(QStringLiteral("p%1.jpg").arg(++added));
        QFile::copy(picture, file);
        if (QProcess::execute(QStringLiteral(QUILBO_ADDPICTURES_BENCH), {storePath, QStringLiteral("first-write"), file}) != 0)
            std::printf("adding a picture FAILED\n");
    };
    addOne(false); // the album made, the note written
    const auto [noted, checked] = Bench::alternate(kRuns, [&] { addOne(true); }, [&] { addOne(false); });
    Bench::reportRuns("add a picture, store noted whole", noted, "the same, every page checked first", checked, 0);
    const auto [check, read] = Bench::alternate(
        kRuns, [&] { addOne(false); },
        [&] { Bench::shellMs(QStringLiteral("cat '%1' > /dev/null").arg(storePath)); });
    Bench::reportRuns("add a picture, every page checked", check, "cat of the store file", read, 0);
    return Bench::exitStatus();
}
