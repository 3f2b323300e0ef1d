#include "AlbumTreeView.h"

#include "AlbumTreeModel.h"

#include <QMouseEvent>

AlbumTreeView::AlbumTreeView(AlbumTreeModel &model, QWidget *parent) : QTreeView(parent), m_model(model)
{
    setModel(&model);
    setHeaderHidden(true);
    setIndentation(19);
    setRootIsDecorated(true);
    // Every node is one line high: the view then lays out an album of
    // thousands of pictures without measuring each.
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeView::expanded, this, &AlbumTreeView::nodeExpanded);
    connect(this, &QTreeView::collapsed, this, &AlbumTreeView::nodeCollapsed);
    connect(this, &QWidget::customContextMenuRequested, this, &AlbumTreeView::menuRequested);
    // A model read anew starts with every branch closed.
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { collapseAll(); });
}

void AlbumTreeView::selectByCode(const QModelIndex &index, bool keepViewer)
{
    // Moves made by commands do not open what they land on, so stepping
    // onto a protected album does not ask for its password.
    const bool selecting = m_selectingByCode;
    const bool keeping = m_keepViewer;
    m_selectingByCode = true;
    m_keepViewer = keepViewer;
    if (index.isValid())
        setCurrentIndex(index);
    else
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    m_keepViewer = keeping;
    m_selectingByCode = selecting;
}

void AlbumTreeView::setExpandedByCode(const QModelIndex &index, bool expanded)
{
    const bool guard = m_expandingByCode;
    m_expandingByCode = true;
    setExpanded(index, expanded);
    m_expandingByCode = guard;
    m_model.setExpanded(index, expanded && isExpanded(index));
}

void AlbumTreeView::beginRename(const QModelIndex &index)
{
    if (AlbumTreeModel::levelOf(index) == AlbumTreeModel::Level::Picture)
        edit(index);
}

void AlbumTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    m_shownNode = current;
    emit currentNodeChanged(current);
    openSelected();
}

void AlbumTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    // A click makes a node current before selecting it: it opens now. A
    // key selects it before it is told current: it opens then. Rows taken
    // out beside it say the selection changed too, selecting nothing.
    if (currentIndex() == m_shownNode && selected.contains(currentIndex()))
        openSelected();
}

void AlbumTreeView::openSelected()
{
    // A node the user selects opens too, once (the viewer shows what the
    // new selection shows first: nothing, for an album about to ask its
    // password). Not the current node the view sets when it first gets the
    // focus, which selects nothing.
    const QModelIndex current = currentIndex();
    if (m_selectingByCode || !current.isValid() || !selectionModel()->isSelected(current) || current == m_openTried)
        return;
    m_openTried = current;
    if (!isExpanded(current) && m_model.hasChildren(current))
        expand(current);
}

void AlbumTreeView::mousePressEvent(QMouseEvent *event)
{
    // A right click opens the menu without moving the selection.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void AlbumTreeView::nodeExpanded(const QModelIndex &index)
{
    if (m_expandingByCode || AlbumTreeModel::levelOf(index) != AlbumTreeModel::Level::Album) {
        m_model.setExpanded(index, true);
        return;
    }
    // The view has opened the album already: close it again at once,
    // before anything is drawn, and open it only when it may be.
    setExpandedByCode(index, false);
    const QString album = m_model.albumOf(index);
    if (!m_opener || m_opener(album))
        setExpandedByCode(index, true);
}

void AlbumTreeView::nodeCollapsed(const QModelIndex &index)
{
    m_model.setExpanded(index, false);
    if (m_expandingByCode)
        return;
    if (AlbumTreeModel::levelOf(index) == AlbumTreeModel::Level::Album)
        emit albumClosed(m_model.albumOf(index));
    // A hidden node keeps no selection: it moves up to the collapsed node,
    // as it would in the file manager's tree.
    for (QModelIndex n = currentIndex(); n.isValid(); n = n.parent())
        if (n.parent() == index) {
            selectByCode(index);
            break;
        }
}

// The order passes through closed albums too: their pictures are read
// when first stepped into.
static int childrenOf(const QModelIndex &index)
{
    auto *model = const_cast<QAbstractItemModel *>(index.model());
    if (model->canFetchMore(index))
        model->fetchMore(index);
    return model->rowCount(index);
}

QModelIndex AlbumTreeView::nextNode(const QModelIndex &index)
{
    if (!index.isValid())
        return QModelIndex();
    const QAbstractItemModel *model = index.model();
    if (childrenOf(index) > 0)
        return model->index(0, 0, index);
    for (QModelIndex n = index; n.isValid(); n = n.parent()) {
        const QModelIndex next = n.siblingAtRow(n.row() + 1);
        if (next.isValid())
            return next;
    }
    return QModelIndex();
}

QModelIndex AlbumTreeView::selectionAfterRemoving(const QModelIndex &index)
{
    const QModelIndex next = index.siblingAtRow(index.row() + 1);
    return next.isValid() ? next : index.parent();
}

QModelIndex AlbumTreeView::previousNode(const QModelIndex &index)
{
    if (!index.isValid())
        return QModelIndex();
    const QAbstractItemModel *model = index.model();
    QModelIndex previous = index.row() > 0 ? index.siblingAtRow(index.row() - 1) : QModelIndex();
    if (!previous.isValid())
        return index.parent();
    while (childrenOf(previous) > 0)
        previous = model->index(model->rowCount(previous) - 1, 0, previous);
    return previous;
}
