#include "PictureViewer.h"

#include "AlbumLibrary.h"
#include "ImageOps.h"
#include "JpegCodec.h"
#include "PictureCodec.h"
#include "PhotoFacts.h"
#include "OffThread.h"
#include "PictureLoader.h"
#include "PicturePrefetch.h"
#include "PictureView.h"
#include "StreamedBytes.h"

#include <QLabel>
#include <QTimer>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QWheelEvent>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

// The largest picture decoded whole for a zoom: 16 MB of pixels.
constexpr qint64 kMaxWholeDecodePixels = 4'000'000;

qint64 wholeDecodePixels(const QSize &picture, int scale)
{
    return qint64((picture.width() + scale - 1) / scale) * ((picture.height() + scale - 1) / scale);
}

} // namespace

PictureViewer::PictureViewer(AlbumLibrary &library, QWidget *parent) : QWidget(parent), m_library(library)
{
    setObjectName(QStringLiteral("viewer"));
    setAutoFillBackground(true);
    setBackground(Qt::white);
    setFocusPolicy(Qt::StrongFocus);

    m_view = new PictureView(this);
    m_view->setObjectName(QStringLiteral("pictureView"));
    m_view->setGeometry(0, 0, 0, 0);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("viewerHint"));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    m_hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_hint->hide();

    m_loader = new PictureLoader(this);
    connect(m_loader, &PictureLoader::loaded, this, [this](int, const QImage &picture) { pictureLoaded(picture); });
    connect(m_loader, &PictureLoader::failed, this, [this](int, const QString &error) { loadFailed(error); });
    m_zoomLoader = new PictureLoader(this, PictureLoader::Urgency::Background);
    connect(m_zoomLoader, &PictureLoader::loaded, this, [this](int, const QImage &picture) {
        m_zoomRequestScale = 0;
        zoomSourceLoaded(picture);
    });
    connect(m_zoomLoader, &PictureLoader::failed, this, [this] { m_zoomRequestScale = 0; });
    m_detailLoader = new PictureLoader(this, PictureLoader::Urgency::Background);
    connect(m_detailLoader, &PictureLoader::loaded, this,
            [this](int, const QImage &detail) { m_view->setDetail(detail, m_detailPart, m_shown.size); });
    // Without it the view stays as sharp as the whole decode at hand.
    connect(m_detailLoader, &PictureLoader::failed, this, [this] { m_detailPart = QRect(); });
    m_prefetch = new PicturePrefetch(this);
    m_aheadAgain = new QTimer(this);
    m_aheadAgain->setSingleShot(true);
    m_aheadAgain->setInterval(50);
    connect(m_aheadAgain, &QTimer::timeout, this, [this] { decodeAhead(m_aheadIds); });
}

PictureViewer::~PictureViewer() = default;

PictureViewer::Picture PictureViewer::shownPicture() const
{
    return m_view->picture().isNull() ? Picture() : m_shown.picture;
}

bool PictureViewer::isEmpty() const { return m_view->picture().isNull(); }

bool PictureViewer::isLoading() const { return m_loader->isLoading(); }

void PictureViewer::setZoomed(bool zoomed)
{
    if (m_zoomed == zoomed)
        return;
    m_zoomed = zoomed;
    emit zoomChanged();
}

QSize PictureViewer::shownSizeOf(const QSize &picture) const
{
    // The control it is drawn in: fitted to the viewer, or as zoomed.
    const QSize control = m_zoomed ? m_view->size() : QSize(width() - 80, height());
    return PictureView::drawRect(picture, control).size();
}

// ---------------------------------------------------------------- showing

void PictureViewer::showPicture(const Picture &picture)
{
    m_loader->cancel();
    m_pending = Decoding();
    m_pending.picture = picture;
    // Decoded no larger than it is shown: a camera's picture at an eighth
    // of its size fills the viewer, at a fraction of the cost.
    const auto chooseScale = [this](const QByteArray &bytes) {
        m_pending.size = PictureCodec::uprightSize(bytes);
        m_pending.scale = m_pending.size.isEmpty()
                              ? 1
                              : JpegCodec::scaleDenominatorFor(m_pending.size, shownSizeOf(m_pending.size));
    };

    // A neighbour decoded ahead comes with its bytes: nothing to read.
    const QByteArray ahead = m_prefetch->findData(picture.pictureId);
    if (!ahead.isNull()) {
        m_pending.data = ahead;
        chooseScale(ahead);
        const QImage ready = m_prefetch->find(picture.pictureId, m_pending.scale);
        if (!ready.isNull()) {
            pictureLoaded(ready);
            return;
        }
        m_loader->load(ahead, m_pending.scale);
        setCursor(Qt::BusyCursor);
        return;
    }

    // Decoded while it is read: the decode starts once the header is in.
    auto stream = std::make_shared<StreamedBytes>();
    bool found = false;
    try {
        found = m_library.streamPictureData(picture.pictureId, *stream, [&] {
            const QByteArray header = stream->arrivedBytes();
            if (PictureCodec::uprightSize(header).isEmpty() && !stream->isComplete())
                return false;
            chooseScale(header);
            m_loader->load(stream, m_pending.scale);
            return true;
        });
    } catch (...) {
        m_loader->cancel();
        m_pending = Decoding();
        throw;
    }
    if (!found) {
        // A picture no longer in the store: nothing to show.
        m_loader->cancel();
        unsetCursor();
        m_loaded = QImage();
        m_pending = Decoding();
        return;
    }
    m_pending.data = stream->bytes();
    setCursor(Qt::BusyCursor);
}

void PictureViewer::pictureLoaded(const QImage &picture)
{
    unsetCursor();
    dropZoomDecodes();
    m_shown = std::exchange(m_pending, Decoding());
    m_view->setPicture(picture, m_shown.size.isEmpty() ? picture.size() : m_shown.size);
    m_loaded = picture;
    m_quarterTurns = 0;
    fit();
    centre();
    m_prefetch->keep(m_shown.picture.pictureId, m_shown.scale, picture, m_shown.data);
    emit pictureShown();
}

void PictureViewer::loadFailed(const QString &error)
{
    // What is shown, and the picture as loaded, are left as they were.
    unsetCursor();
    m_pending = Decoding();
    emit pictureFailed(error);
}

void PictureViewer::clear()
{
    setZoomed(false);
    m_view->setPicture(QImage());
    m_loader->cancel();
    m_pending = Decoding();
    m_shown = Decoding();
    m_aheadIds.clear();
    dropZoomDecodes();
    unsetCursor();
    emit cleared();
}

void PictureViewer::decodeAhead(const QList<int> &pictureIds)
{
    m_aheadIds = pictureIds;
    if (m_shown.picture.isNull())
        return;
    QList<PicturePrefetch::Request> requests = {{m_shown.picture.pictureId, QByteArray(), m_shown.scale}};
    for (const int id : pictureIds) {
        // One decoded ahead already (the picture just left, when stepping)
        // has its bytes at hand: they are not read again.
        QByteArray bytes = m_prefetch->findData(id);
        bool found = !bytes.isNull();
        if (!found) {
            try {
                bytes = m_library.pictureData(id, &found);
            } catch (const std::exception &) {
                continue; // shown, it will say what is wrong with it
            }
        }
        const QSize size = PictureCodec::uprightSize(bytes);
        if (!found || size.isEmpty())
            continue;
        // At the scale it will be shown fitted.
        const QSize fitted = PictureView::drawRect(size, QSize(width() - 80, height())).size();
        requests.append({id, bytes, JpegCodec::scaleDenominatorFor(size, fitted)});
    }
    m_prefetch->prefetch(requests);
}

void PictureViewer::forgetDecodedPictures() { m_prefetch->clear(); }

bool PictureViewer::keepsWholePictureForDetail() const { return m_detailLoader->holdsWholePicture(); }

void PictureViewer::dropPicturesOf(const QString &album)
{
    forgetDecodedPictures();
    if (m_pending.picture.album == album) {
        m_loader->cancel();
        m_pending = Decoding();
        unsetCursor();
    }
    if (m_shown.picture.album != album)
        return;
    dropZoomDecodes();
    m_view->setPicture(QImage());
    m_loaded = QImage();
    m_shown = Decoding();
    emit cleared();
}

void PictureViewer::pictureRenamed(const QString &album, const QString &from, const QString &to)
{
    forgetDecodedPictures();
    for (Decoding *d : {&m_shown, &m_pending})
        if (d->picture.album == album && d->picture.name == from)
            d->picture.name = to;
}

// ---------------------------------------------------------------- placing

void PictureViewer::fit()
{
    if (m_zoomed)
        return;
    m_view->resize(width() - 80, height());
}

void PictureViewer::centre() { m_view->move((width() - m_view->width()) / 2, (height() - m_view->height()) / 2); }

QString PictureViewer::shownDetails() const
{
    if (m_shown.picture.isNull())
        return QString();
    const QSize size = wholeSize();
    QStringList parts = {m_shown.picture.name, tr("%1 × %2 像素").arg(size.width()).arg(size.height())};
    if (!m_shown.data.isEmpty()) {
        parts.append(QLocale::system().formattedDataSize(m_shown.data.size(), 1, QLocale::DataSizeTraditionalFormat));
        const PhotoFacts facts = photoFacts(m_shown.data);
        if (!facts.taken.isEmpty())
            parts.append(tr("拍摄于 %1").arg(facts.taken));
        if (!facts.camera.isEmpty())
            parts.append(facts.camera);
    }
    return parts.join(QStringLiteral("   "));
}

QSize PictureViewer::wholeSize() const { return m_shown.size.isEmpty() ? m_loaded.size() : m_shown.size; }

void PictureViewer::setBackground(const QColor &colour)
{
    QPalette background = palette();
    background.setColor(QPalette::Window, colour);
    setPalette(background);
}

void PictureViewer::setHint(const QString &text)
{
    m_hint->setText(text);
    m_hint->setVisible(!text.isEmpty());
}

void PictureViewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_hint->setGeometry(rect().adjusted(40, 20, -40, -20));
    fit();
    centre();
    updateDetail();
    if (!m_aheadIds.isEmpty())
        m_aheadAgain->start();
}

void PictureViewer::leaveZoom()
{
    setZoomed(false);
    fit();
    centre();
    updateDetail();
}

void PictureViewer::wheelEvent(QWheelEvent *event)
{
    const QPoint steps = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        if (steps.y() > 0)
            zoomIn();
        else if (steps.y() < 0)
            zoomOut();
        return;
    }
    if (!m_zoomed || m_view->picture().isNull())
        return;
    // A wheel step moves the picture by a tenth of the viewer; it stops
    // where its edge meets the viewer's edge.
    const bool sideways = steps.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    const int delta = sideways ? (steps.x() != 0 ? steps.x() : steps.y()) : steps.y();
    auto clamp = [](int position, int size, int room) {
        return size <= room ? (room - size) / 2 : std::clamp(position, room - size, 0);
    };
    QPoint place = m_view->pos();
    if (sideways)
        place.rx() += delta * width() / 1200;
    else
        place.ry() += delta * height() / 1200;
    place = QPoint(clamp(place.x(), m_view->width(), width()), clamp(place.y(), m_view->height(), height()));
    m_view->move(place);
    updateDetail();
}

// ---------------------------------------------------------------- zoom and turns

void PictureViewer::dropZoomDecodes()
{
    m_zoomLoader->cancel();
    m_zoomSource = QImage();
    m_zoomRequestScale = 0;
    dropDetail();
}

void PictureViewer::zoomSourceLoaded(const QImage &picture)
{
    m_zoomSource = picture;
    // Drawn from the sharper picture from now on, where the zoom shows it
    // as loaded (a turn shows its own turned copy).
    if (m_zoomed && m_quarterTurns == 0)
        m_view->setPicture(zoomSourceFor(m_view->pictureSize()), m_view->pictureSize());
}

QImage PictureViewer::zoomSourceFor(const QSize &shown)
{
    // The smallest decode at hand that is as large as the picture is shown,
    // else the largest; a sharper one is asked for when that is not enough.
    QImage best = m_loaded;
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

QSize PictureViewer::zoomedSize(long double factor) const
{
    // The scale the picture is shown at now, whichever way it is turned:
    // the zoom keeps the picture's proportions, whatever the viewer's shape.
    const QRect drawn = PictureView::drawRect(m_view->pictureSize(), m_view->size());
    const QSize full = wholeSize();
    const int across = m_quarterTurns % 2 ? full.height() : full.width();
    if (across <= 0)
        return QSize();
    const long double scale = (long double)drawn.width() / across * factor;
    return ImageOps::zoomSize(full, scale, scale);
}

void PictureViewer::zoom(long double factor) { zoomTo(zoomedSize(factor)); }

void PictureViewer::zoomTo(const QSize &size)
{
    // A zoom too large to hold is refused and the command does nothing.
    if (!ImageOps::zoomAllowed(size))
        return;
    // No picture of the zoomed size is made: the view draws the part that
    // shows from the sharpest decode at hand.
    m_view->resize(size);
    m_view->setPicture(zoomSourceFor(size), size);
    m_quarterTurns = 0;
    centre();
    updateDetail();
}

void PictureViewer::updateDetail()
{
    const QSize whole = m_shown.size;
    const QSize shown = m_view->pictureSize();
    if (!m_zoomed || m_quarterTurns != 0 || whole.isEmpty() || m_shown.data.isEmpty() || shown.isEmpty()) {
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
    const QRect drawn = PictureView::drawRect(shown, m_view->size());
    const QRect onScreen = QRect(-m_view->pos(), size()).intersected(drawn);
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

void PictureViewer::dropDetail()
{
    m_detailLoader->cancel();
    m_detailLoader->forgetWhole();
    m_detailPart = QRect();
    m_detailEighths = 0;
    m_view->clearDetail();
}

// Zoom, actual size and the turns do nothing while the viewer is empty:
// there is nothing on screen for them to act on.

void PictureViewer::zoomIn()
{
    if (m_view->picture().isNull())
        return;
    if (!ImageOps::zoomAllowed(zoomedSize(1.1L)))
        return;
    setZoomed(true);
    zoom(1.1L);
}

void PictureViewer::zoomOut()
{
    if (m_view->picture().isNull())
        return;
    setZoomed(true);
    if (m_view->pictureSize().width() < 50)
        return;
    zoom(0.9L);
}

void PictureViewer::showActualSize()
{
    if (m_view->picture().isNull())
        return;
    setZoomed(false);
    fit();
    centre();
    m_view->setPicture(m_loaded, wholeSize());
    m_quarterTurns = 0;
    dropDetail();
}

void PictureViewer::showPixelForPixel()
{
    if (m_view->picture().isNull())
        return;
    // Unturned, as every zoom shows it.
    const QSize full = wholeSize();
    const qreal ratio = devicePixelRatioF();
    const QSize size(qRound(full.width() / ratio), qRound(full.height() / ratio));
    if (size.isEmpty() || !ImageOps::zoomAllowed(size))
        return;
    setZoomed(true);
    zoomTo(size);
}

void PictureViewer::turn(bool clockwise)
{
    QImage picture = m_view->picture();
    if (picture.isNull())
        return;
    ImageOps::rotateQuarter(picture, clockwise);
    m_view->setPicture(picture, m_view->pictureSize().transposed());
    m_quarterTurns = (m_quarterTurns + (clockwise ? 1 : 3)) % 4;
    dropDetail();
    forgetDecodedPictures();
}

void PictureViewer::turnClockwise() { turn(true); }
void PictureViewer::turnCounterClockwise() { turn(false); }

// ---------------------------------------------------------------- full resolution

QImage PictureViewer::fullResolution()
{
    if (m_loaded.size() == m_shown.size || m_shown.data.isEmpty())
        return m_loaded;
    if (m_zoomSource.size() == m_shown.size)
        return m_zoomSource;
    QImage full;
    QString error;
    const QByteArray bytes = m_shown.data;
    // Decoded off the window's thread.
    runOffThread([&full, &error, bytes] {
        try {
            full = PictureCodec::decode(bytes);
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
    });
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
    // Not kept: a full-size picture is large, and wanted again rarely.
    return full;
}

QImage PictureViewer::pictureAsShown()
{
    const QImage full = fullResolution();
    if (full.isNull())
        return full;
    QSize size = m_view->pictureSize();
    if (m_quarterTurns % 2)
        size.transpose();
    QImage picture = m_zoomed && size != full.size() ? ImageOps::stretch(full, size) : full;
    for (int i = 0; i < m_quarterTurns; ++i)
        ImageOps::rotateQuarter(picture, true);
    return picture;
}

void PictureViewer::printTo(QPrinter *printer)
{
    // The picture at full resolution, turned as it is shown.
    QImage picture = fullResolution();
    for (int i = 0; i < m_quarterTurns; ++i)
        ImageOps::rotateQuarter(picture, true);
    if (picture.isNull())
        return;
    QPainter painter(printer);
    const QRect page = painter.viewport();
    // Turned to the page's orientation, and as large as the printable area
    // allows at the picture's own proportions.
    if ((page.width() > page.height()) != (picture.width() > picture.height()) && picture.width() != picture.height())
        ImageOps::rotateQuarter(picture, true);
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.x() + (page.width() - size.width()) / 2, page.y() + (page.height() - size.height()) / 2,
                       size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
}
