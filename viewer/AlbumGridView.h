#pragma once
// An album's pictures as a grid of thumbnails with their names, in the
// tree's order: a second view of the album tree's model, rooted at the
// album's node, so that it follows every change the tree follows. Only the
// thumbnails on screen, and a screen's worth around them, are asked for.

#include <QListView>

class AlbumThumbnails;
class AlbumTreeModel;

class AlbumGridView : public QListView
{
    Q_OBJECT
public:
    AlbumGridView(AlbumTreeModel &model, AlbumThumbnails &thumbnails, QWidget *parent = nullptr);

    // Shows the pictures of the album node (an album that can be read); an
    // invalid index shows nothing.
    void showAlbum(const QModelIndex &album);
    QModelIndex album() const { return rootIndex(); }

    // The size of a cell, and of the thumbnail's box inside it (logical
    // pixels).
    static QSize cellSize();
    static QSize thumbnailBox();

    // The pictures whose thumbnails are wanted now: those on screen, then a
    // screen's worth below and above.
    QList<int> wantedPictures() const;
    // Those on screen alone, a line partly shown included.
    QList<int> picturesOnScreen() const;

signals:
    // A picture was chosen (double click or Return): its node.
    void pictureChosen(const QModelIndex &node);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class Delegate;
    // The cells on screen: from the first, lines of columns each (the last
    // ones partly shown), of count in all.
    struct Rows
    {
        int first = 0;
        int columns = 1;
        int lines = 0;
        int count = 0;
    };
    Rows rowsOnScreen() const;
    // Asks for the wanted thumbnails once the window is drawn.
    void askSoon();

    AlbumThumbnails &m_thumbnails;
    bool m_askPending = false;
};
