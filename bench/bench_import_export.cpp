// Importing 50 camera-sized JPEG files (about 5 MB each) through the import
// dialog, against `cp` of the same files followed by `sync`; and exporting
// the album through the export dialog, against `cp` of the same files from a
// plain folder followed by `sync`. One run each, in one process.

#include "AlbumExportDialog.h"
#include "AlbumStore.h"
#include "BenchUtil.h"
#include "JpegCodec.h"
#include "PictureImportDialog.h"
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));
    AlbumStore store;
    Bench::openNewStore(dir, store);
    auto prompts = std::make_unique<SilentPrompts>();
    SilentPrompts *said = prompts.get();
    Prompts::install(std::move(prompts));
    store.addAlbum(QStringLiteral("camera"), QString());

    // One 12-megapixel picture with fine noise, about 5 MB; 50 files of it,
    // each made distinct by a trailing tag as cameras' files differ.
    QImage image(4000, 3000, QImage::Format_RGB32);
    std::mt19937 rng(3);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(int(rng() % 256), (x + int(rng() % 64)) % 256, (y + int(rng() % 64)) % 256);
    }
    const QByteArray jpeg = JpegCodec::encode(image, 75);
    const QString source = dir.filePath(QStringLiteral("source"));
    QDir().mkpath(source);
    QStringList files;
    qint64 bytes = 0;
    for (int i = 1; i <= 50; ++i) {
        const QString path = source + QStringLiteral("/IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg + QByteArray::number(i));
        bytes += f.size();
        files.append(path);
    }
    std::printf("50 files, %.1f MB in all\n", bytes / 1e6);
    QProcess::execute(QStringLiteral("sync"), {});

    // Import through the dialog.
    PictureImportDialog import;
    import.albumChooser->fill(QStringLiteral("<请选择相册>"), {QStringLiteral("camera")});
    import.albumChooser->setCurrentIndex(1);
    import.addFiles(files);
    QElapsedTimer t;
    t.start();
    import.startImport();
    const double importMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("import: %s\n", qPrintable(said->last));
    const double cpIn = Bench::shellMs(QStringLiteral("mkdir %1/cp-in && cp %2/* %1/cp-in/ && sync").arg(dir.path(), source));
    std::printf("import of 50 files %26.0f ms (%.0f MB/s)\ncp + sync of the same files %16.0f ms (%.0f MB/s)\nratio %.2f\n\n",
                importMs, bytes / 1e3 / importMs, cpIn, bytes / 1e3 / cpIn, importMs / cpIn);

    // Export through the dialog.
    AlbumExportDialog exportDialog;
    exportDialog.albumChooser->fill(QStringLiteral("<选择相册>"), {QStringLiteral("camera")});
    exportDialog.albumChooser->setCurrentIndex(1);
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    exportDialog.targetFolderEdit->setText(out);
    QProcess::execute(QStringLiteral("sync"), {});
    t.restart();
    exportDialog.startExport();
    const double exportMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("export: %s\n", qPrintable(said->last));
    const double cpOut = Bench::shellMs(QStringLiteral("mkdir %1/cp-out && cp %2/* %1/cp-out/ && sync").arg(dir.path(), source));
    std::printf("export of the album %25.0f ms (%.0f MB/s)\ncp + sync from a plain folder %15.0f ms (%.0f MB/s)\nratio %.2f\n",
                exportMs, bytes / 1e3 / exportMs, cpOut, bytes / 1e3 / cpOut, exportMs / cpOut);
    return 0;
}
