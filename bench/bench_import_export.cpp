// Importing camera-sized JPEG files (about 7.5 MB each, 50 by default)
// through the import dialog, 50 at a time as the dialog takes them, against
// `cp` of the same files followed by `sync` of just the files written; and
// exporting the album through the export dialog, against the same copy.
// Medians of 5 runs alternated with their baseline, with min and max.
// The thumbnails are made as the window makes them, during and after each
// import: the time from the import's end until every one is kept, against
// 1/8-scale decodes of the files.
//   bench_import_export [files, 50]

#include "AlbumLibrary.h"
#include "AlbumExportDialog.h"
#include "AlbumStore.h"
#include "AlbumThumbnails.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "JpegCodec.h"
#include "PictureImportDialog.h"
#include "Sql.h"
#include "Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

#include <random>

namespace {

// Answers every prompt at once, so the dialogs run unattended.
class SilentPrompts : public PromptHandler
{
public:
    int message(PromptKind, const QString &, const QString &text) override
    {
        last = text;
        return IdOk;
    }
    int askYesNo(const QString &, const QString &) override { return IdYes; }
    QString askPassword(const QString &, const QString &) override { return QString(); }
    QString last;
};

} // namespace

int main(int argc, char **argv)
{
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));
    AlbumStore store;
    AlbumLibrary library(store);
    Bench::openNewStore(dir, store);
    auto prompts = std::make_unique<SilentPrompts>();
    SilentPrompts *said = prompts.get();
    Prompts::install(std::move(prompts));

    // One 12-megapixel picture with fine noise, about 7.5 MB; the files are
    // copies of it, each made distinct by a trailing tag as cameras' files
    // differ.
    const QByteArray jpeg = Bench::cameraJpeg();
    const QString source = dir.filePath(QStringLiteral("source"));
    QDir().mkpath(source);
    QStringList files;
    qint64 bytes = 0;
    for (int i = 1; i <= count; ++i) {
        const QString path = source + QStringLiteral("/IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg + QByteArray::number(i));
        bytes += f.size();
        files.append(path);
    }
    std::printf("%d files, %.1f MB in all\n", count, bytes / 1e6);
    QProcess::execute(QStringLiteral("sync"), {});

    // As the window does: thumbnails made in the background.
    AlbumThumbnails thumbnails(library);
    thumbnails.fillInBackground();
    JpegCodec::DecodeOptions eighth;
    eighth.scaleDenominator = 8;

    constexpr int kRuns = 5;
    const auto copyAndSync = [&](const QString &name) {
        const QString target = dir.filePath(name);
        return Bench::shellMs(QStringLiteral("mkdir '%1' && cp '%2'/* '%1'/ && sync '%1'/*").arg(target, source));
    };

    // Import through the dialog, a new album each run.
    std::vector<double> imports;
    std::vector<double> copiesIn;
    std::vector<double> thumbnailsAfter;
    std::vector<double> eighthDecodes;
    for (int run = 1; run <= kRuns; ++run) {
        const QString album = QStringLiteral("camera%1").arg(run);
        store.addAlbum(album, QString());
        double ms = 0;
        for (qsizetype first = 0; first < files.size(); first += 50) {
            PictureImportDialog import(library);
            import.albumChooser->fill(QStringLiteral("<请选择相册>"), {album});
            import.albumChooser->setCurrentIndex(1);
            import.addFiles(files.mid(first, 50));
            QElapsedTimer t;
            t.start();
            import.startImport();
            ms += double(t.nsecsElapsed()) / 1e6;
            if (said->last != QStringLiteral("图片导入完成!"))
                std::printf("import: %s\n", qPrintable(said->last));
        }
        imports.push_back(ms);
        QElapsedTimer after;
        after.start();
        while (thumbnails.isBusy())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        thumbnailsAfter.push_back(double(after.nsecsElapsed()) / 1e6);
        QElapsedTimer decodes;
        decodes.start();
        for (const QString &file : std::as_const(files)) {
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            JpegCodec::decode(f.readAll(), eighth);
        }
        eighthDecodes.push_back(double(decodes.nsecsElapsed()) / 1e6);
        copiesIn.push_back(copyAndSync(QStringLiteral("cp-in%1").arg(run)));
    }
    const int lacking = int(store.picturesWithoutThumbnail(store.findAlbumId(QStringLiteral("camera1"))).size());
    if (lacking != 0)
        std::printf("%d pictures lack a thumbnail\n", lacking);
    {
        SqlStatement sizes(store.connection(), QStringLiteral("SELECT sum(length(t.Thumb)), sum(length(p.Pic)) "
                                                              "FROM PicThumbTable t JOIN PicTable p USING (PicInfoID)"));
        if (sizes.next())
            std::printf("the thumbnails add %.2f %% to the pictures' bytes (%.1f kB each)\n",
                        100.0 * double(sizes.int64(0)) / double(sizes.int64(1)),
                        double(sizes.int64(0)) / 1000 / (kRuns * count));
    }
    Bench::reportRuns("import of the files", imports, "cp + sync of the same files", copiesIn, 3.0);
    Bench::reportRuns("thumbnails kept after the import", thumbnailsAfter, "1/8 decodes of the files", eighthDecodes, 2.0);
    std::printf("\n");

    // Export through the dialog, into a new folder each run.
    std::vector<double> exports;
    std::vector<double> copiesOut;
    for (int run = 1; run <= kRuns; ++run) {
        AlbumExportDialog exportDialog(library);
        exportDialog.albumChooser->fill(QStringLiteral("<选择相册>"), {QStringLiteral("camera1")});
        exportDialog.albumChooser->setCurrentIndex(1);
        const QString out = dir.filePath(QStringLiteral("out%1").arg(run));
        QDir().mkpath(out);
        exportDialog.targetFolderEdit->setText(out);
        QElapsedTimer t;
        t.start();
        exportDialog.startExport();
        exports.push_back(double(t.nsecsElapsed()) / 1e6);
        if (said->last != QStringLiteral("导出图片已完成!"))
            std::printf("export: %s\n", qPrintable(said->last));
        copiesOut.push_back(copyAndSync(QStringLiteral("cp-out%1").arg(run)));
    }
    Bench::reportRuns("export of the album", exports, "cp + sync of the same files", copiesOut, 2.0);
    return Bench::exitStatus();
}
