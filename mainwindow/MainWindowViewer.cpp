// The picture viewer: placing the image control, zoom, actual size and the
// quarter turns.

#include "MainWindow.h"

#include "AlbumStore.h"
#include "Application.h"
#include "PictureLoader.h"
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

void MainWindow::zoom(long double factor)
{
    QImage picture;
    // A zoom too large to hold is refused and the command does nothing.
    if (!ImageOps::zoom(loadedPicture, pictureView->size(), factor, factor, &picture))
        return;
    pictureView->resize(picture.size());
    pictureView->setPicture(picture);
    centerImage(pictureView);
}

void MainWindow::zoomIn()
{
    if (pictureView->picture().isNull())
        return;
    const QSize size = ImageOps::zoomSize(pictureView->size(), 1.1L, 1.1L);
    if (!ImageOps::zoomAllowed(size))
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
}

void MainWindow::turn(bool clockwise)
{
    QImage picture = pictureView->picture();
    if (picture.isNull())
        return;
    ImageOps::rotateQuarter(picture, clockwise);
    pictureView->setPicture(picture);
}

void MainWindow::turnClockwise() { turn(true); }
void MainWindow::turnCounterClockwise() { turn(false); }
