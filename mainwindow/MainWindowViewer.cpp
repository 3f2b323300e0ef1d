// The picture viewer: placing the image control, zoom, actual size and the
// quarter turns.

#include "MainWindow.h"

#include "AlbumLibrary.h"
#include "Application.h"
#include "ImageOps.h"
#include "JpegCodec.h"
#include "PictureLoader.h"
#include "PicturePrefetch.h"
#include "StreamedBytes.h"
#include "TextRules.h"

#include <QEventLoop>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <algorithm>
#include <utility>
#include <stdexcept>

namespace {

// The largest picture decoded whole for a zoom: 16 MB of pixels.
constexpr qint64 kMaxWholeDecodePixels = 4'000'000;

qint64 wholeDecodePixels(const QSize &picture, int scale)
{
    return qint64((picture.width() + scale - 1) / scale) * ((picture.height() + scale - 1) / scale);
}

} // namespace

QSize MainWindow::shownSizeOf(const QSize &picture) const
{
    // The control it is drawn in: fitted to the viewer, or as zoomed.
    const QSize control = zoomed ? pictureView->size() : QSize(viewer->width() - 80, viewer->height());
    return PictureView::drawRect(picture, control).size();
}

void MainWindow::loadPicture(int pictureId, const QString &album, const QString &name)
{
    m_loader->cancel();
    m_pending = ShownPicture();
    m_pending.pictureId = pictureId;
    m_pending.album = album;
    m_pending.name = name;
    // Decoded no larger than it is shown: a camera's picture at an eighth
    // of its size fills the viewer, at a fraction of the cost.
    const auto chooseScale = [this](const QByteArray &bytes) {
        m_pending.size = JpegCodec::uprightSize(bytes);
        m_pending.scale = m_pending.size.isEmpty()
                              ? 1
                              : JpegCodec::scaleDenominatorFor(m_pending.size, shownSizeOf(m_pending.size));
    };

    // A neighbour decoded ahead comes with its bytes: nothing to read.
    const QByteArray ahead = m_prefetch->findData(pictureId);
    if (!ahead.isNull()) {
        m_pending.data = ahead;
        chooseScale(ahead);
        const QImage ready = m_prefetch->find(pictureId, m_pending.scale);
        if (!ready.isNull()) {
            pictureLoaded(ready);
            return;
        }
        m_loader->load(ahead, m_pending.scale);
        viewer->setCursor(Qt::BusyCursor);
        return;
    }

    // Decoded while it is read: the decode starts once the header is in.
    auto stream = std::make_shared<StreamedBytes>();
    bool found = false;
    try {
        found = m_library.streamPictureData(pictureId, *stream, [&] {
            const QByteArray header = stream->arrivedBytes();
            if (JpegCodec::uprightSize(header).isEmpty() && !stream->isComplete())
                return false;
            chooseScale(header);
            m_loader->load(stream, m_pending.scale);
            return true;
        });
    } catch (...) {
        m_loader->cancel();
        m_pending = ShownPicture();
        throw;
    }
    if (!found) {
        // A picture no longer in the store: nothing to show.
        m_loader->cancel();
        viewer->unsetCursor();
        loadedPicture = QImage();
        m_pending = ShownPicture();
        return;
    }
    m_pending.data = stream->bytes();
    viewer->setCursor(Qt::BusyCursor);
}

bool MainWindow::isLoadingPicture() const { return m_loader->isLoading(); }

void MainWindow::pictureLoaded(const QImage &picture)
{
    viewer->unsetCursor();
    dropZoomDecodes();
    m_shown = std::exchange(m_pending, ShownPicture());
    pictureView->setPicture(picture, m_shown.size.isEmpty() ? picture.size() : m_shown.size);
    loadedPicture = picture;
    m_quarterTurns = 0;
    fitImage(pictureView);
    centerImage(pictureView);
    // Whatever way it came (decoded ahead, read and decoded, from the tree
    // or the search), the picture on screen is the tree's selection.
    selectShownPicture();
    m_prefetch->keep(m_shown.pictureId, m_shown.scale, picture, m_shown.data);
    // The neighbours are read once this picture is on screen.
    QTimer::singleShot(0, this, [this] { Application::guard([this] { prefetchNeighbours(); }); });
}

void MainWindow::prefetchNeighbours()
{
    QTreeWidgetItem *current = commandPictureNode();
    if (!current || m_shown.pictureId < 0)
        return;
    const QString album = current->parent()->text(0);
    QList<PicturePrefetch::Request> requests = {{m_shown.pictureId, QByteArray(), m_shown.scale}};
    for (QTreeWidgetItem *node : {nextNode(current), previousNode(current)}) {
        if (levelOf(node) != NodeLevel::Picture || node->parent() != current->parent())
            continue;
        const int id = m_library.pictureId(album, node->text(0));
        // One decoded ahead already (the picture just left, when stepping)
        // has its bytes at hand: they are not read again.
        QByteArray bytes = m_prefetch->findData(id);
        bool found = !bytes.isNull();
        if (!found) {
            try {
                bytes = m_library.pictureData(id, &found);
            } catch (const AlbumCipher::CipherError &) {
                continue; // shown, it will say what is wrong with it
            }
        }
        const QSize size = JpegCodec::uprightSize(bytes);
        if (!found || size.isEmpty())
            continue;
        // At the scale it will be shown fitted.
        const QSize fitted =
            PictureView::drawRect(size, QSize(viewer->width() - 80, viewer->height())).size();
        requests.append({id, bytes, JpegCodec::scaleDenominatorFor(size, fitted)});
    }
    m_prefetch->prefetch(requests);
}

void MainWindow::forgetDecodedPictures() { m_prefetch->clear(); }

void MainWindow::dropPicturesOf(const QString &album)
{
    forgetDecodedPictures();
    if (m_pending.album == album) {
        m_loader->cancel();
        m_pending = ShownPicture();
        viewer->unsetCursor();
    }
    if (m_shown.album != album)
        return;
    dropZoomDecodes();
    pictureView->setPicture(QImage());
    loadedPicture = QImage();
    m_shown = ShownPicture();
}

void MainWindow::zoomSourceLoaded(const QImage &picture)
{
    m_zoomSource = picture;
    // Drawn from the sharper picture from now on, where the zoom shows it
    // as loaded (a turn shows its own turned copy).
    if (zoomed && m_quarterTurns == 0)
        pictureView->setPicture(zoomSourceFor(pictureView->pictureSize()), pictureView->pictureSize());
}

QImage MainWindow::zoomSourceFor(const QSize &shown)
{
    // The smallest decode at hand that is as large as the picture is shown,
    // else the largest; a sharper one is asked for when that is not enough.
    QImage best = loadedPicture;
    if (!m_zoomSource.isNull()
        && (best.width() < shown.width() ? m_zoomSource.width() > best.width()
                                         : m_zoomSource.width() >= shown.width() && m_zoomSource.width() < best.width()))
        best = m_zoomSource;
    if (best.width() < shown.width() && !m_shown.size.isEmpty()) {
        int scale = JpegCodec::scaleDenominatorFor(m_shown.size, shown);
        // No whole decode larger than this: beyond it, the part on screen is
        // decoded on its own (updateDetail).
        while (scale < 8 && wholeDecodePixels(m_shown.size, scale) > kMaxWholeDecodePixels)
            scale *= 2;
        const int bestScale = (m_shown.size.width() + best.width() - 1) / std::max(1, best.width());
        if (scale < bestScale && scale != m_zoomRequestScale) {
            m_zoomRequestScale = scale;
            m_zoomLoader->load(m_shown.data, scale);
        }
    }
    return best;
}

QImage MainWindow::fullResolution()
{
    if (loadedPicture.size() == m_shown.size || m_shown.data.isEmpty())
        return loadedPicture;
    if (m_zoomSource.size() == m_shown.size)
        return m_zoomSource;
    // Decoded off the window's thread.
    QImage full;
    QString error;
    const QByteArray bytes = m_shown.data;
    Application::runOffThread([&full, &error, bytes] {
        try {
            full = JpegCodec::decode(bytes);
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
    });
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
    // Not kept: a full-size picture is large, and wanted again rarely.
    return full;
}

QImage MainWindow::pictureAsShown()
{
    // What the viewer shows, at the picture's own resolution: the whole
    // picture when fitted, the zoomed size when zoomed, turned as shown.
    const QImage full = fullResolution();
    if (full.isNull())
        return full;
    QSize size = pictureView->pictureSize();
    if (m_quarterTurns % 2)
        size.transpose();
    QImage picture = zoomed && size != full.size() ? ImageOps::stretch(full, size) : full;
    for (int i = 0; i < m_quarterTurns; ++i)
        ImageOps::rotateQuarter(picture, true);
    return picture;
}

void MainWindow::pictureFailed(const QString &error)
{
    // The viewer and loadedPicture are left as they were.
    viewer->unsetCursor();
    m_pending = ShownPicture();
    Application::reportError(error);
}

void MainWindow::dropZoomDecodes()
{
    m_zoomLoader->cancel();
    m_zoomSource = QImage();
    m_zoomRequestScale = 0;
    dropDetail();
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
    updateDetail();
}

// Zoom, actual size and the turns do nothing while the viewer is empty:
// there is nothing on screen for them to act on.

QSize MainWindow::zoomedSize(long double factor) const
{
    // The scale the picture is shown at now, whichever way it is turned:
    // the zoom keeps the picture's proportions, whatever the viewer's shape.
    const QRect drawn = PictureView::drawRect(pictureView->pictureSize(), pictureView->size());
    const QSize full = m_shown.size.isEmpty() ? loadedPicture.size() : m_shown.size;
    const int across = m_quarterTurns % 2 ? full.height() : full.width();
    if (across <= 0)
        return QSize();
    const long double scale = (long double)drawn.width() / across * factor;
    return ImageOps::zoomSize(full, scale, scale);
}

void MainWindow::zoom(long double factor)
{
    const QSize size = zoomedSize(factor);
    // A zoom too large to hold is refused and the command does nothing.
    if (!ImageOps::zoomAllowed(size))
        return;
    // No picture of the zoomed size is made: the view draws the part that
    // shows from the sharpest decode at hand.
    pictureView->resize(size);
    pictureView->setPicture(zoomSourceFor(size), size);
    m_quarterTurns = 0;
    centerImage(pictureView);
    updateDetail();
}

void MainWindow::updateDetail()
{
    const QSize whole = m_shown.size;
    const QSize shown = pictureView->pictureSize();
    if (!zoomed || m_quarterTurns != 0 || whole.isEmpty() || m_shown.data.isEmpty() || shown.isEmpty()) {
        dropDetail();
        return;
    }
    const int scale = JpegCodec::scaleDenominatorFor(whole, shown);
    if (wholeDecodePixels(whole, scale) <= kMaxWholeDecodePixels) {
        dropDetail(); // a whole decode is sharp enough
        return;
    }
    // The fewest eighths of the picture's size that are as large as shown.
    const int eighths = std::clamp(int((8 * qint64(shown.width()) + whole.width() - 1) / whole.width()), 1, 8);
    // What shows of the view, in the picture's own pixels.
    const QRect drawn = PictureView::drawRect(shown, pictureView->size());
    const QRect onScreen = QRect(-pictureView->pos(), viewer->size()).intersected(drawn);
    if (onScreen.isEmpty())
        return;
    const double sx = double(whole.width()) / drawn.width();
    const double sy = double(whole.height()) / drawn.height();
    const QRect visible = QRectF((onScreen.x() - drawn.x()) * sx, (onScreen.y() - drawn.y()) * sy,
                                 onScreen.width() * sx, onScreen.height() * sy)
                              .toAlignedRect()
                              .intersected(QRect(QPoint(0, 0), whole));
    if (eighths == m_detailEighths && m_detailPart.contains(visible))
        return; // at hand, or on its way
    // With a margin of a quarter of the view each way, a small scroll needs
    // no new decode.
    m_detailPart = visible.adjusted(-visible.width() / 4, -visible.height() / 4, visible.width() / 4,
                                    visible.height() / 4)
                       .intersected(QRect(QPoint(0, 0), whole));
    m_detailEighths = eighths;
    m_detailLoader->loadPart(m_shown.data, m_detailPart, eighths);
}

void MainWindow::dropDetail()
{
    m_detailLoader->cancel();
    m_detailPart = QRect();
    m_detailEighths = 0;
    pictureView->clearDetail();
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
    if (pictureView->pictureSize().width() < 50)
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
    pictureView->setPicture(loadedPicture, m_shown.size.isEmpty() ? loadedPicture.size() : m_shown.size);
    m_quarterTurns = 0;
    dropDetail();
}

void MainWindow::turn(bool clockwise)
{
    QImage picture = pictureView->picture();
    if (picture.isNull())
        return;
    ImageOps::rotateQuarter(picture, clockwise);
    pictureView->setPicture(picture, pictureView->pictureSize().transposed());
    m_quarterTurns = (m_quarterTurns + (clockwise ? 1 : 3)) % 4;
    dropDetail();
    forgetDecodedPictures();
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
    updateDetail();
}
