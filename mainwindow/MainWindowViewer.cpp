// The picture viewer: placing the image control, zoom, actual size and the
// quarter turns.

#include "MainWindow.h"

#include "AlbumStore.h"
#include "Application.h"
#include "PictureLoader.h"

#include <QWheelEvent>

#include <algorithm>
#include "ImageOps.h"

void MainWindow::loadPicture(int pictureId)
{
    m_searchResult = SearchResult();
    bool found = false;
    const QByteArray bytes = AlbumStore::instance()->pictureData(pictureId, &found);
    if (!found) {
        // A picture no longer in the store: nothing to show.
        m_loader->cancel();
        viewer->unsetCursor();
        loadedPicture = QImage();
        return;
    }
    m_loader->load(bytes);
    viewer->setCursor(Qt::BusyCursor);
}

bool MainWindow::isLoadingPicture() const { return m_loader->isLoading(); }

void MainWindow::pictureLoaded(const QImage &picture)
{
    viewer->unsetCursor();
    pictureView->setPicture(picture);
    loadedPicture = picture;
    m_quarterTurns = 0;
    fitImage(pictureView);
    centerImage(pictureView);
    if (m_searchResult.active) {
        const SearchResult found = m_searchResult;
        m_searchResult = SearchResult();
        selectShownPicture(found.album, found.picture);
    }
}

void MainWindow::pictureFailed(const QString &error)
{
    // The viewer and loadedPicture are left as they were.
    viewer->unsetCursor();
    m_searchResult = SearchResult();
    Application::reportError(error);
}

void MainWindow::fitImage(PictureView *image)
{
    if (zoomed)
        return;
    image->resize(viewer->width() - 80, viewer->height());
}

void MainWindow::centerImage(PictureView *image)
{
    image->move((viewer->width() - image->width()) / 2, (viewer->height() - image->height()) / 2);
}

void MainWindow::viewerResized()
{
    fitImage(pictureView);
    centerImage(pictureView);
}

// Zoom, actual size and the turns do nothing while the viewer is empty:
// there is nothing on screen for them to act on.

QSize MainWindow::zoomedSize(long double factor) const
{
    // The scale the picture is shown at now, whichever way it is turned:
    // the zoom keeps the picture's proportions, whatever the viewer's shape.
    const QImage &shown = pictureView->picture();
    const QRect drawn = PictureView::drawRect(shown.size(), pictureView->size());
    const bool turned = shown.size() != loadedPicture.size() && shown.size() == loadedPicture.size().transposed();
    const int across = turned ? loadedPicture.height() : loadedPicture.width();
    if (across <= 0)
        return QSize();
    const long double scale = (long double)drawn.width() / across * factor;
    return ImageOps::zoomSize(loadedPicture.size(), scale, scale);
}

void MainWindow::zoom(long double factor)
{
    const QSize size = zoomedSize(factor);
    QImage picture;
    // A zoom too large to hold is refused and the command does nothing.
    if (!ImageOps::zoom(loadedPicture, size, 1.0L, 1.0L, &picture))
        return;
    pictureView->resize(picture.size());
    pictureView->setPicture(picture);
    m_quarterTurns = 0;
    centerImage(pictureView);
}

void MainWindow::zoomIn()
{
    if (pictureView->picture().isNull())
        return;
    if (!ImageOps::zoomAllowed(zoomedSize(1.1L)))
        return;
    zoomed = true;
    zoom(1.1L);
}

void MainWindow::zoomOut()
{
    if (pictureView->picture().isNull())
        return;
    zoomed = true;
    if (pictureView->picture().width() < 50)
        return;
    zoom(0.9L);
}

void MainWindow::showActualSize()
{
    if (pictureView->picture().isNull())
        return;
    zoomed = false;
    fitImage(pictureView);
    centerImage(pictureView);
    pictureView->setPicture(loadedPicture);
    m_quarterTurns = 0;
}

void MainWindow::turn(bool clockwise)
{
    QImage picture = pictureView->picture();
    if (picture.isNull())
        return;
    ImageOps::rotateQuarter(picture, clockwise);
    pictureView->setPicture(picture);
    m_quarterTurns = (m_quarterTurns + (clockwise ? 1 : 3)) % 4;
}

void MainWindow::turnClockwise() { turn(true); }
void MainWindow::turnCounterClockwise() { turn(false); }

void MainWindow::viewerWheel(QWheelEvent *event)
{
    const QPoint steps = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        if (steps.y() > 0)
            zoomIn();
        else if (steps.y() < 0)
            zoomOut();
        return;
    }
    if (!zoomed || pictureView->picture().isNull())
        return;
    // A wheel step moves the picture by a tenth of the viewer; it stops
    // where its edge meets the viewer's edge.
    const bool sideways = steps.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    const int delta = sideways ? (steps.x() != 0 ? steps.x() : steps.y()) : steps.y();
    auto clamp = [](int position, int size, int room) {
        return size <= room ? (room - size) / 2 : std::clamp(position, room - size, 0);
    };
    QPoint place = pictureView->pos();
    if (sideways)
        place.rx() += delta * viewer->width() / 1200;
    else
        place.ry() += delta * viewer->height() / 1200;
    place = QPoint(clamp(place.x(), pictureView->width(), viewer->width()),
                   clamp(place.y(), pictureView->height(), viewer->height()));
    pictureView->move(place);
}
