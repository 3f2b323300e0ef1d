// A deep zoom into a picture of a format without partial decodes (a
// 12-megapixel PNG and a lossless WebP): each part after the first, cut
// from the whole picture kept for parts, against the first part, which
// decodes the whole picture. Run alternately, A B A B.
//   bench_zoom_formats [runs]

#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "BenchWindow.h"
#include "PictureLoader.h"

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>

namespace {

// Decodes one part through the loader and waits for it.
void decodePart(PictureLoader &loader, const QByteArray &bytes, const QRect &part)
{
    QEventLoop loop;
    const auto done = QObject::connect(&loader, &PictureLoader::loaded, &loop, &QEventLoop::quit);
    const auto failed = QObject::connect(&loader, &PictureLoader::failed, &loop, [&loop](int, const QString &error) {
        std::printf("the part was not decoded: %s\n", qPrintable(error));
        loop.quit();
    });
    loader.loadPart(bytes, part, 8);
    loop.exec();
    QObject::disconnect(done);
    QObject::disconnect(failed);
}

} // namespace

int main(int argc, char **argv)
{
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 7;
    const QImage photo = Bench::photo(4000, 3000, 3);
    std::printf("a 4000 x 3000 picture at its own size, parts of 1800 x 1200 (a view of 1200 x 800 with its "
                "margins); load %.2f\n\n",
                Bench::loadAverage());
    for (const char *format : {"PNG", "WEBP"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!photo.save(&buffer, format, format == QByteArray("WEBP") ? 100 : -1)) {
            std::printf("%s: no writer for this format here, left out\n\n", format);
            continue;
        }
        PictureLoader loader;
        // A screen's worth of the picture with the viewer's margin, and the
        // same moved by a scroll.
        const QRect first(1000, 1000, 1800, 1200);
        const QRect scrolled = first.translated(600, 300);
        decodePart(loader, bytes, first); // the whole picture kept, as after a first part
        int step = 0;
        const auto [later, firstPart] = Bench::alternate(
            runs, [&] { decodePart(loader, bytes, (++step % 2) ? scrolled : first); },
            [&] {
                loader.forgetWhole();
                decodePart(loader, bytes, first);
            });
        std::printf("%s, %.1f MB:\n", format, bytes.size() / 1e6);
        Bench::reportRuns("a part after the first", later, "the first part (a whole decode)", firstPart, 0.2);
        std::printf("\n");
    }
    return Bench::exitStatus();
}
