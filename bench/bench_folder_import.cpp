// Importing a camera's folder (JPEG files of about 7.5 MB in nested
// folders, 500 by default, about 3.7 GB) as 导入文件夹 does, each run into a
// new album and until every thumbnail is kept, against `cp -r` of the
// folder followed by `sync` of the files written (alternated, A B A B ...;
// target 3 x); and the same folder imported again into the same album,
// where every picture is recognised as there already, against the first
// import (target 0.2 x). First, the folder imported as `quilbo --import`
// does it, without thumbnails, the next file read and hashed on another
// thread, against the same without reading ahead (alternated; no target).
//   bench_folder_import [files, 500] [runs, 3]

#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "AlbumThumbnails.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "JpegCodec.h"
#include "PictureImport.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <random>

int main(int argc, char **argv)
{
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));
    AlbumStore store;
    AlbumLibrary library(store);
    Bench::openNewStore(dir, store);

    // One 12-megapixel picture with fine noise; the files are copies of it,
    // each made distinct by a trailing tag, in a card's folders of 100.
    const QByteArray jpeg = Bench::cameraJpeg();
    const QString card = dir.filePath(QStringLiteral("card"));
    qint64 bytes = 0;
    for (int i = 1; i <= count; ++i) {
        const QString folder = card + QStringLiteral("/DCIM/%1CANON").arg(100 + (i - 1) / 100);
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
        f.write(jpeg + QByteArray::number(i));
        bytes += f.size();
    }
    std::printf("%d files, %.1f MB in all\n", count, double(bytes) / 1e6);
    QProcess::execute(QStringLiteral("sync"), {});

    // As the terminal imports: no thumbnails are made meanwhile.
    {
        QList<PictureImport::LeftOut> leftOut;
        const QStringList files = PictureImport::collectFiles({card}, &leftOut);
        int album = 0;
        const auto terminalImport = [&](PictureImport::ReadAhead readAhead) {
            const QString name = QStringLiteral("terminal%1").arg(++album);
            store.addAlbum(name, QString());
            const PictureImport::Summary summary =
                PictureImport::run(store, store.findAlbumId(name), files, {}, readAhead);
            if (summary.imported != count)
                std::printf("import: %s\n", qPrintable(summary.text()));
        };
        const auto [ahead, serial] = Bench::alternate(
            runs, [&] { terminalImport(PictureImport::ReadAhead::OnAnotherThread); },
            [&] { terminalImport(PictureImport::ReadAhead::No); });
        Bench::reportRuns("import, reading ahead", ahead, "the same, one file after the other", serial, 0);
        std::printf("\n");
        // Gone before the window's import, whose thumbnails would be made
        // for them too.
        for (int i = 1; i <= album; ++i)
            store.deleteAlbum(QStringLiteral("terminal%1").arg(i));
    }

    AlbumThumbnails thumbnails(library);
    thumbnails.fillInBackground();
    const auto importInto = [&](const QString &album) {
        QElapsedTimer t;
        t.start();
        const PictureImport::Summary summary = library.importFiles(album, {card}, {});
        // Thumbnails included: until every one is kept.
        while (thumbnails.isBusy())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (summary.imported + summary.duplicates != count)
            std::printf("import: %s\n", qPrintable(summary.text()));
        return std::pair{ms, summary.imported};
    };

    std::vector<double> imports, copies, again;
    for (int run = 1; run <= runs; ++run) {
        const QString album = QStringLiteral("card%1").arg(run);
        store.addAlbum(album, QString());
        imports.push_back(importInto(album).first);
        const QString target = dir.filePath(QStringLiteral("copy"));
        copies.push_back(Bench::shellMs(
            QStringLiteral("cp -r '%1' '%2' && find '%2' -type f -exec sync {} +").arg(card, target)));
        QDir(target).removeRecursively();
        const auto [ms, imported] = importInto(album);
        if (imported != 0)
            std::printf("the second import stored %d pictures\n", imported);
        again.push_back(ms);
    }
    Bench::reportRuns("folder import, thumbnails kept", imports, "cp -r + sync of the folder", copies, 3.0);
    Bench::reportRuns("the same folder again", again, "the first import", imports, 0.2);
    return Bench::exitStatus();
}
