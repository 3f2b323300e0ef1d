#pragma once
// Helpers of the benchmarks that drive the main window.

#include "AlbumStore.h"
#include "AlbumTreeView.h"
#include "JpegCodec.h"
#include "Sql.h"
#include "StoreSchema.h"
#include "MainWindow.h"
#include "PictureView.h"
#include "PictureViewer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <random>

namespace Bench {

// A photograph-like picture: smooth gradients with fine noise, which
// compresses as a camera picture does; seed varies the noise and the hue.
inline QImage photo(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int r = (x * 255 / width + noise(rng) + seed * 40) & 0xff;
            const int g = (y * 255 / height + noise(rng)) & 0xff;
            const int b = ((x + y) * 255 / (width + height) + noise(rng)) & 0xff;
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

// A store of albums of the given sizes, every picture the same small JPEG,
// named IMG_000001 on; with thumbnailOf given, each with that thumbnail.
inline QString makeLibrary(const QTemporaryDir &dir, const QString &name, const QList<int> &albumSizes,
                           const std::function<QByteArray(int pictureId)> &thumbnailOf = {})
{
    const QString path = dir.filePath(name);
    if (!StoreSchema::createEmptyStore(path)) {
        std::fprintf(stderr, "cannot make a store in %s\n", qPrintable(dir.path()));
        std::exit(1);
    }
    AlbumStore store;
    store.openStore(path);
    const QByteArray jpeg = JpegCodec::encode(photo(64, 48, 1), 90);
    SqlTransaction t(store.connection());
    int id = 0;
    for (int a = 0; a < albumSizes.size(); ++a) {
        SqlStatement album(store.connection(),
                           QStringLiteral("INSERT INTO PicLibTable (PicLibID, PicLibName, PicPass) VALUES (?, ?, '')"));
        album.bind(1, a + 1).bind(2, QStringLiteral("相册 %1").arg(a + 1)).exec();
        for (int p = 0; p < albumSizes[a]; ++p) {
            ++id;
            SqlStatement info(store.connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, "
                                                                 "PicName, PicExt) VALUES (?, ?, ?, 'jpg')"));
            info.bind(1, id).bind(2, a + 1).bind(3, QStringLiteral("IMG_%1").arg(id, 6, 10, QLatin1Char('0'))).exec();
            SqlStatement data(store.connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
            data.bind(1, id).bindBlob(2, jpeg).exec();
            if (thumbnailOf)
                SqlStatement(store.connection(), QStringLiteral("INSERT INTO PicThumbTable (PicInfoID, Thumb) VALUES (?, ?)"))
                    .bind(1, id)
                    .bindBlob(2, thumbnailOf(id))
                    .exec();
        }
    }
    t.commit();
    store.closeStore();
    return path;
}

// Opens the window on the store and shows it; ends the benchmark when the
// store does not open.
inline void showWindow(MainWindow &window)
{
    if (!window.storeOpened()) {
        std::fprintf(stderr, "the window did not open its store\n");
        std::exit(1);
    }
    window.show();
}

inline AlbumTreeView *tree(const MainWindow &window)
{
    return window.findChild<AlbumTreeView *>(QStringLiteral("albumTree"));
}
inline PictureViewer *viewer(const MainWindow &window)
{
    return window.findChild<PictureViewer *>(QStringLiteral("viewer"));
}

// A node of the tree: the album at that row under the root, or the picture
// at that row of it.
inline QModelIndex albumNode(const MainWindow &window, int album)
{
    const QAbstractItemModel *model = tree(window)->model();
    return model->index(album, 0, model->index(0, 0));
}
inline QModelIndex pictureNode(const MainWindow &window, int album, int picture)
{
    const QModelIndex node = albumNode(window, album);
    return node.model()->index(picture, 0, node);
}

// Opens every album of the tree (their passwords asked as a user opens them).
inline void expandAll(const MainWindow &window)
{
    tree(window)->expandAll();
}

// Waits for the picture on screen, then draws the viewer as the screen would.
inline void drawn(MainWindow &window)
{
    while (viewer(window)->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    viewer(window)->grab();
}

// Lets the window finish what it does after a picture is shown.
inline void settle()
{
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 400)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace Bench
