// Showing a selected 12-megapixel 4:2:0 JPEG (tree selection to bitmap
// ready) against a plain libjpeg-turbo decode of the same bytes from memory.

#include "AlbumStore.h"
#include "BenchUtil.h"
#include "ConnectionString.h"
#include "JpegCodec.h"
#include "MainWindow.h"
#include "QtPromptHandler.h"
#include "StoreSchema.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <random>
#include <turbojpeg.h>

namespace {

// A photograph-like 4000 x 3000 picture: smooth gradients with fine noise,
// which compresses as a camera picture does.
QImage photo()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = (x * 255 / 4000 + noise(rng)) & 0xff;
            const int g = (y * 255 / 3000 + noise(rng)) & 0xff;
            const int b = ((x + y) * 255 / 7000 + noise(rng)) & 0xff;
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    AlbumStore store;
    const QString path = Bench::openNewStore(dir, store);
    store.addAlbum(QStringLiteral("相册"), QString());
    const QByteArray jpeg = JpegCodec::encode(photo(), 92);
    const QString file = dir.filePath(QStringLiteral("IMG_0001.jpg"));
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg);
    }
    store.addPicture(1, file);
    std::printf("picture: 4000 x 3000, 4:2:0, %.1f MB\n", jpeg.size() / 1e6);

    MainWindow window(path);
    window.show();
    QTreeWidgetItem *album = window.albumTree->topLevelItem(0)->child(0);
    QTreeWidgetItem *picture = album->child(0);
    const double show = Bench::medianMs(9, [&] {
        window.albumTree->setCurrentItem(album);
        window.albumTree->setCurrentItem(picture);
        // Decoded off the window's thread: until it is on screen.
        while (window.isLoadingPicture())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (window.loadedPicture.width() != 4000)
            std::printf("picture not shown\n");
    });

    std::vector<unsigned char> pixels(size_t(4000) * 3000 * 4);
    const double plain = Bench::medianMs(9, [&] {
        tjhandle h = tjInitDecompress();
        tjDecompress2(h, reinterpret_cast<const unsigned char *>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()),
                      pixels.data(), 4000, 0, 3000, TJPF_BGRX, 0);
        tjDestroy(h);
    });
    const double decodeOnly = Bench::medianMs(9, [&] { JpegCodec::decode(jpeg); });
    const double readOnly = Bench::medianMs(9, [&] { store.pictureData(1); });
    std::printf("of which: decode %.2f ms, blob read from the store %.2f ms\n", decodeOnly, readOnly);
    const double plainFresh = Bench::medianMs(9, [&] {
        std::vector<unsigned char> fresh(size_t(4000) * 3000 * 4);
        tjhandle h = tjInitDecompress();
        tjDecompress2(h, reinterpret_cast<const unsigned char *>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()),
                      fresh.data(), 4000, 0, 3000, TJPF_BGRX, 0);
        tjDestroy(h);
    });
    std::printf("plain decode into a fresh buffer each time: %.2f ms\n", plainFresh);
    // The baseline decodes into one buffer reused across runs, whose pages
    // are already mapped: the strictest comparison.
    Bench::report("show selected picture", show, "plain libjpeg-turbo decode", plain, 1.3);
    return 0;
}
