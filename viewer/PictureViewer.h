#pragma once
// The viewer: the white area that shows one stored picture, fitted into it
// with a margin at the sides, zoomed in and out, at its size as loaded, or
// turned by quarter turns. It decodes off the window's thread, no larger
// than the picture is shown (only the part on screen when zoomed far in),
// and keeps the neighbours it is told of decoded ahead. It shows nothing of
// its own accord: a window tells it what to show and follows its signals.
// A plain clipping panel, not a scrolling one: a picture larger than the
// viewer is cut off at its edges; the wheel moves a zoomed one.

#include <QImage>
#include <QRect>
#include <QWidget>

class AlbumLibrary;
class PictureLoader;
class PicturePrefetch;
class PictureView;
class QLabel;
class QTimer;
class QPrinter;

class PictureViewer : public QWidget
{
    Q_OBJECT
public:
    explicit PictureViewer(AlbumLibrary &library, QWidget *parent = nullptr);
    ~PictureViewer() override;

    // A stored picture: which one, of which album, under which name.
    struct Picture
    {
        int pictureId = -1;
        QString album;
        QString name;
        bool isNull() const { return pictureId < 0; }
    };

    // ---- what it shows
    // The picture on screen; null when the viewer is empty. Only a decode
    // that reached the screen makes a picture the shown one, whatever way it
    // took (decoded ahead, or read and decoded as it was read).
    Picture shownPicture() const;
    bool isEmpty() const;
    // True while a picture asked for has not reached the screen or failed.
    bool isLoading() const;
    bool isZoomed() const { return m_zoomed; }
    // The picture as loaded, unzoomed and unturned: the source of every
    // zoom (null before the first).
    QImage loadedPicture() const { return m_loaded; }
    // What the shown picture's file says of it: its name, its size in
    // pixels and in bytes, when it was taken and with which camera, on one
    // line; empty while nothing is shown.
    QString shownDetails() const;
    // The control the picture is drawn in.
    PictureView *view() const { return m_view; }
    PicturePrefetch *prefetchCache() const { return m_prefetch; }

    // ---- showing
    // Starts decoding the picture; once decoded it is shown, fitted and
    // centred (within the zoomed control while zoomed), and pictureShown()
    // follows; a decoder error is told through pictureFailed() and leaves
    // the viewer as it was. Passes store errors on.
    void showPicture(const Picture &picture);
    // Empties the viewer and leaves the zoomed state (a selection that shows
    // nothing, or a picture about to be read).
    void clear();
    // A text shown where the pictures are shown (a first step on an empty
    // store), or none.
    void setHint(const QString &text);
    // The colour around the picture: white in the window, black full screen.
    void setBackground(const QColor &colour);
    // Decodes these pictures of the shown one's album ahead, at the scale
    // they will be shown fitted, so that stepping onto one shows it at once.
    void decodeAhead(const QList<int> &pictureIds);
    // Drops every picture decoded ahead: one may no longer be what the store
    // holds.
    void forgetDecodedPictures();
    // Whether the whole picture of a format without partial decodes is kept
    // for the parts of a deep zoom.
    bool keepsWholePictureForDetail() const;
    // Drops everything decoded or read of an album's pictures: the album
    // was closed.
    void dropPicturesOf(const QString &album);
    // The shown picture was renamed.
    void pictureRenamed(const QString &album, const QString &from, const QString &to);

    // ---- commands (each does nothing while the viewer is empty)
    void zoomIn();
    void zoomOut();
    // The picture as loaded, fitted again, unturned.
    void showActualSize();
    // The picture at 100 %: one of its pixels to one of the screen's, at the
    // screen's scale.
    void showPixelForPixel();
    void turnClockwise();
    void turnCounterClockwise();
    // Leaves the zoomed state without loading anything again: the control
    // is fitted to the viewer and keeps what it shows.
    void leaveZoom();

    // ---- the picture at its own resolution
    // The shown picture decoded at full size (off the window's thread when
    // it is not at hand). Throws on a decoder error.
    QImage fullResolution();
    // What the viewer shows, at the picture's own resolution: the whole
    // picture fitted, the zoomed size zoomed, turned as shown: what save as
    // and the wallpaper write.
    QImage pictureAsShown();
    // Paints the shown picture, at full resolution and turned as shown, on
    // the printer's page, turned to the page and as large as it allows.
    void printTo(QPrinter *printer);

signals:
    // A picture reached the screen (shownPicture() tells which).
    void pictureShown();
    // Nothing is on screen any more.
    void cleared();
    // The decoder's message, in Chinese.
    void pictureFailed(const QString &error);
    void zoomChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QLabel *m_hint = nullptr;
    // The decoding record of a picture: its stored bytes, its size upright,
    // and the scale it is decoded at.
    struct Decoding
    {
        Picture picture;
        QByteArray data;
        QSize size;
        int scale = 1;
    };

    void pictureLoaded(const QImage &picture);
    void loadFailed(const QString &error);
    void fit();
    void centre();
    // The size a picture of that size is drawn at in the viewer now.
    QSize shownSizeOf(const QSize &picture) const;
    // The decode to draw a picture shown at that size from; asks for a
    // sharper one when none at hand is sharp enough.
    QImage zoomSourceFor(const QSize &shown);
    void zoomSourceLoaded(const QImage &picture);
    // Zoomed past what a whole decode may hold, the part of the picture on
    // screen is decoded on its own, sharp; asked for again when a scroll or
    // a zoom leaves what is at hand.
    void updateDetail();
    void dropDetail();
    void dropZoomDecodes();
    void turn(bool clockwise);
    void zoomTo(const QSize &size);
    // The shown picture's own size (the decode's, where the file's is not
    // known).
    QSize wholeSize() const;
    void zoom(long double factor);
    // The loaded picture's size at the scale it is shown now, times factor.
    QSize zoomedSize(long double factor) const;
    void setZoomed(bool zoomed);

    AlbumLibrary &m_library;
    PictureView *m_view = nullptr;
    PictureLoader *m_loader = nullptr;
    PictureLoader *m_zoomLoader = nullptr;
    PictureLoader *m_detailLoader = nullptr;
    PicturePrefetch *m_prefetch = nullptr;
    // The pictures last asked to be decoded ahead: asked again at the new
    // scale once the viewer's size changes (full screen and back).
    QList<int> m_aheadIds;
    QTimer *m_aheadAgain = nullptr;
    bool m_zoomed = false;
    // Quarter turns clockwise of the shown picture against m_loaded.
    int m_quarterTurns = 0;
    // The picture on screen, and the one being decoded to replace it.
    Decoding m_shown;
    Decoding m_pending;
    QImage m_loaded;
    // A sharper decode of the shown picture, for a zoom past m_loaded.
    QImage m_zoomSource;
    int m_zoomRequestScale = 0;
    // The part of the picture (in its own pixels) decoded or being decoded
    // for the view, and at how many eighths of its size.
    QRect m_detailPart;
    int m_detailEighths = 0;
};
