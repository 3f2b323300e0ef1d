#pragma once
// The album tree, a view of an AlbumTreeModel: lines and boxes for the
// branches, each node's image for its state, a protected album opened only
// for its password, a node the user selects opened too, a selection hidden
// by a collapse moved up to the collapsed node, a right click that leaves
// the selection alone, and a picture's label edited only when asked.

#include <QTreeView>

#include <functional>

class AlbumTreeModel;

class AlbumTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit AlbumTreeView(AlbumTreeModel &model, QWidget *parent = nullptr);

    AlbumTreeModel &albumModel() const { return m_model; }

    // Asked before an album opens: true to let it open (a protected album
    // asks its password). Without it every album opens.
    void setAlbumOpener(std::function<bool(const QString &album)> opener) { m_opener = std::move(opener); }

    // Selects a node as a command does: an album stepped onto is not opened
    // (so no password is asked), and nothing is shown anew when keepViewer
    // is set (the node's picture is on screen already).
    void selectByCode(const QModelIndex &index, bool keepViewer = false);
    // Opens or closes a node without asking anything (its album's password
    // was given already).
    void setExpandedByCode(const QModelIndex &index, bool expanded);
    // Opens the label editor on a picture node.
    void beginRename(const QModelIndex &index);
    // True while the selection is moved by selectByCode with keepViewer.
    bool keepsViewer() const { return m_keepViewer; }

    // The tree's full top-to-bottom order, collapsed branches included.
    static QModelIndex nextNode(const QModelIndex &index);
    static QModelIndex previousNode(const QModelIndex &index);
    // Where the selection goes when a node is taken out: to the next node
    // beside it, or to its parent after the last.
    static QModelIndex selectionAfterRemoving(const QModelIndex &index);

signals:
    // The current node changed (by the user or by code).
    void currentNodeChanged(const QModelIndex &current);
    // An album was closed (its pictures are hidden now).
    void albumClosed(const QString &album);
    // The user asked for the tree's menu at that point of the viewport.
    void menuRequested(const QPoint &viewportPos);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void openSelected();
    void nodeExpanded(const QModelIndex &index);
    void nodeCollapsed(const QModelIndex &index);

    AlbumTreeModel &m_model;
    std::function<bool(const QString &album)> m_opener;
    bool m_expandingByCode = false;
    bool m_selectingByCode = false;
    bool m_keepViewer = false;
    // The node whose picture the window was last told to show, and the node
    // last opened because the user selected it.
    QPersistentModelIndex m_shownNode;
    QPersistentModelIndex m_openTried;
};
