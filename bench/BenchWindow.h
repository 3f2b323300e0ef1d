#pragma once
// Helpers of the benchmarks that drive the main window.

#include "AlbumTreeView.h"
#include "MainWindow.h"
#include "PictureView.h"
#include "PictureViewer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

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
