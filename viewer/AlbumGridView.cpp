#include "AlbumGridView.h"

#include "AlbumThumbnails.h"
#include "AlbumTreeModel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

constexpr int kCellWidth = 144;
constexpr int kCellHeight = 136;
constexpr int kBoxWidth = 128;
constexpr int kBoxHeight = 96;
constexpr int kBoxTop = 6;
constexpr int kNameTop = kBoxTop + kBoxHeight + 6;
constexpr int kNameHeight = 18;

} // namespace

// Draws a cell: the thumbnail centred in its box (the node's image while it
// cannot be had), the name under it, and the selection around both.
class AlbumGridView::Delegate : public QStyledItemDelegate
{
public:
    Delegate(AlbumThumbnails &thumbnails, QObject *parent) : QStyledItemDelegate(parent), m_thumbnails(thumbnails) {}

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return cellSize(); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const QRect cell = option.rect.adjusted(2, 2, -2, -2);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(option.palette.color(group, QPalette::Highlight));
            painter->drawRoundedRect(cell, 4, 4);
        }
        const QRect box(option.rect.left() + (option.rect.width() - kBoxWidth) / 2, option.rect.top() + kBoxTop,
                        kBoxWidth, kBoxHeight);
        const int pictureId = index.data(AlbumTreeModel::PictureIdRole).toInt();
        const QImage image = m_thumbnails.thumbnail(pictureId);
        if (!image.isNull()) {
            QSizeF shown = QSizeF(image.size()) / image.devicePixelRatio();
            shown.scale(QSizeF(box.size()).boundedTo(shown), Qt::KeepAspectRatio);
            const QRectF target(box.left() + (box.width() - shown.width()) / 2,
                                box.top() + (box.height() - shown.height()) / 2, shown.width(), shown.height());
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawImage(target, image);
            painter->setPen(QColor(0xb0, 0xb0, 0xb0));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(target.adjusted(-0.5, -0.5, 0.5, 0.5));
        } else {
            // Not at hand yet (or never: no thumbnail can be made of it).
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0xee, 0xee, 0xee));
            painter->drawRect(box);
            const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
            if (m_thumbnails.cannotBeMade(pictureId) && !icon.isNull())
                icon.paint(painter, QRect(box.center() - QPoint(8, 8), QSize(16, 16)));
        }
        const QRect nameArea(cell.left() + 4, option.rect.top() + kNameTop, cell.width() - 8, kNameHeight);
        painter->setFont(option.font);
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QString name = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideMiddle, nameArea.width());
        painter->drawText(nameArea, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, name);
        if (option.state & QStyle::State_HasFocus && selected) {
            painter->setPen(QPen(option.palette.color(group, QPalette::HighlightedText), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(cell.adjusted(1, 1, -1, -1), 3, 3);
        }
        painter->restore();
    }

private:
    AlbumThumbnails &m_thumbnails;
};

AlbumGridView::AlbumGridView(AlbumTreeModel &model, AlbumThumbnails &thumbnails, QWidget *parent)
    : QListView(parent), m_thumbnails(thumbnails)
{
    setObjectName(QStringLiteral("albumGrid"));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setUniformItemSizes(true);
    setGridSize(cellSize());
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Names are renamed through the tree's command, not here.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(kCellHeight / 4);
    setItemDelegate(new Delegate(thumbnails, this));
    setModel(&model);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        if (AlbumTreeModel::levelOf(index) == AlbumTreeModel::Level::Picture)
            emit pictureChosen(index);
    });
    connect(&thumbnails, &AlbumThumbnails::thumbnailReady, viewport(), qOverload<>(&QWidget::update));
}

QSize AlbumGridView::cellSize() { return QSize(kCellWidth, kCellHeight); }

QSize AlbumGridView::thumbnailBox() { return QSize(kBoxWidth, kBoxHeight); }

void AlbumGridView::showAlbum(const QModelIndex &album)
{
    // Thumbnails are kept at the screen's density.
    const qreal ratio = devicePixelRatioF();
    m_thumbnails.setImageSize((QSizeF(thumbnailBox()) * ratio).toSize());
    if (album.isValid() && model()->canFetchMore(album))
        model()->fetchMore(album);
    setRootIndex(album);
    // An invalid root would show the whole model's top level.
    setVisible(album.isValid());
    const QModelIndex first = model()->index(0, 0, album);
    if (first.isValid())
        setCurrentIndex(first);
    scrollToTop();
    askSoon();
}

AlbumGridView::Rows AlbumGridView::rowsOnScreen() const
{
    const QModelIndex root = rootIndex();
    Rows rows;
    rows.count = root.isValid() ? model()->rowCount(root) : 0;
    if (rows.count == 0)
        return rows;
    // The grid's columns, from where the first line of cells ends.
    const QRect first = visualRect(model()->index(0, 0, root));
    while (rows.columns < rows.count && rows.columns < 256
           && visualRect(model()->index(rows.columns, 0, root)).top() == first.top())
        ++rows.columns;
    const int lineHeight = qMax(1, gridSize().height());
    rows.lines = viewport()->height() / lineHeight + 2;
    rows.first = qMax(0, -first.top() / lineHeight) * rows.columns;
    return rows;
}

namespace {

// The ids of the grid's cells from one to another, those outside left out.
QList<int> &appendIds(QList<int> &ids, const QAbstractItemModel &model, const QModelIndex &root, int from, int to)
{
    const int count = model.rowCount(root);
    for (int row = qMax(0, from); row < qMin(to, count); ++row)
        ids.append(model.index(row, 0, root).data(AlbumTreeModel::PictureIdRole).toInt());
    return ids;
}

} // namespace

QList<int> AlbumGridView::wantedPictures() const
{
    const Rows rows = rowsOnScreen();
    const int screen = rows.lines * rows.columns;
    QList<int> ids;
    appendIds(ids, *model(), rootIndex(), rows.first, rows.first + screen);
    appendIds(ids, *model(), rootIndex(), rows.first + screen, rows.first + 2 * screen);
    return appendIds(ids, *model(), rootIndex(), rows.first - screen, rows.first);
}

QList<int> AlbumGridView::picturesOnScreen() const
{
    const Rows rows = rowsOnScreen();
    QList<int> ids;
    return appendIds(ids, *model(), rootIndex(), rows.first, rows.first + rows.lines * rows.columns);
}

void AlbumGridView::askSoon()
{
    if (m_askPending)
        return;
    m_askPending = true;
    QTimer::singleShot(0, this, [this] {
        m_askPending = false;
        if (isVisible())
            m_thumbnails.request(wantedPictures());
    });
}

void AlbumGridView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    // What the store or the maker took away meanwhile (a deleted picture
    // starts the thumbnails again) is asked for anew.
    const QModelIndex root = rootIndex();
    const Rows rows = rowsOnScreen();
    for (int row = rows.first; row < qMin(rows.count, rows.first + rows.lines * rows.columns); ++row) {
        const QModelIndex index = model()->index(row, 0, root);
        if (!visualRect(index).intersects(event->rect()))
            continue;
        const int id = index.data(AlbumTreeModel::PictureIdRole).toInt();
        if (m_thumbnails.thumbnail(id).isNull() && !m_thumbnails.cannotBeMade(id)) {
            askSoon();
            break;
        }
    }
}

void AlbumGridView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    askSoon();
}

void AlbumGridView::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    askSoon();
}
