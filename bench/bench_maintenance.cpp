// Compaction of a store of about 600 MB with half its pictures deleted,
// against `cp` of the store file plus `sync`, with the peak extra disk used
// during the compaction as a multiple of the compacted size; and a backup of
// the same store against `cp` plus `sync`.
//   bench_maintenance [megabytes]

#include "AlbumStore.h"
#include "BenchUtil.h"
#include "ConnectionString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

namespace {

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
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 600;
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));
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
        for (int i = 1; i <= count; i += 2)
            store.deletePicture(1, QStringLiteral("IMG_%1").arg(i));
    }
    store.closeStore();
    QProcess::execute(QStringLiteral("sync"), {});
    const qint64 before = QFileInfo(storePath).size();
    std::printf("store: %.0f MB, half of its pictures deleted\n", before / 1e6);

    // The baseline first, on the uncompacted file.
    const double cp = Bench::shellMs(QStringLiteral("cp '%1' '%2/copy.pdb' && sync").arg(storePath, dir.path()));
    QFile::remove(dir.filePath(QStringLiteral("copy.pdb")));

    // The compaction in a child process, the folder watched from here.
    QProcess child;
    QElapsedTimer t;
    t.start();
    child.start(QStringLiteral(QUILBO_COMPACTSTORE_BENCH), {storePath, QStringLiteral("1")});
    qint64 peak = 0;
    while (!child.waitForFinished(5)) {
        peak = std::max(peak, folderBytes(storeDir.path()) - before);
    }
    const double compactMs = double(t.nsecsElapsed()) / 1e6;
    const qint64 after = QFileInfo(storePath).size();
    std::printf("compaction: %s", child.readAllStandardOutput().constData());
    std::printf("compacted size %.0f MB\n", after / 1e6);
    std::printf("compaction %31.0f ms\ncp + sync of the store file %15.0f ms\nratio %.2f\n", compactMs, cp, compactMs / cp);
    std::printf("peak extra disk %.0f MB = %.2f x the compacted size\n\n", peak / 1e6, double(peak) / double(after));

    // Backup of the compacted store.
    QProcess::execute(QStringLiteral("sync"), {});
    store.openStore(ConnectionString::forStore(storePath));
    t.restart();
    const bool ok = store.backupStore(storePath, dir.filePath(QStringLiteral("backup")));
    const double backupMs = double(t.nsecsElapsed()) / 1e6;
    const double cp2 = Bench::shellMs(QStringLiteral("cp '%1' '%2/copy2.pdb' && sync").arg(storePath, dir.path()));
    std::printf("backup (%s) %28.0f ms\ncp + sync of the store file %15.0f ms\nratio %.2f\n", ok ? "made" : "FAILED",
                backupMs, cp2, backupMs / cp2);
    return 0;
}
