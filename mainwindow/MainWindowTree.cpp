// The album tree: filling it, node images, password-guarded expansion,
// showing the selected picture, and renaming a picture in place.

#include "MainWindow.h"

#include "AlbumLibrary.h"
#include "PictureLoader.h"
#include "Application.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

const QString kRootText = QStringLiteral("所有相册");

// Ends the rename edit through the window's handlers: the edited text is
// handed to applyRename instead of being written into the node, and
// the tree is read-only again however the edit ends.
class RenameDelegate : public QStyledItemDelegate
{
public:
    explicit RenameDelegate(MainWindow *form) : QStyledItemDelegate(form->albumTree), m_form(form)
    {
        connect(this, &QAbstractItemDelegate::closeEditor, this, [this] { endEdit(); });
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        m_node = m_form->albumTree->itemFromIndex(index);
        m_form->renameEditorOpened(m_node);
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        QTreeWidgetItem *node = m_form->albumTree->itemFromIndex(index);
        if (line && node)
            Application::guard([&] { m_form->applyRename(node, line->text()); });
    }

private:
    void endEdit() const
    {
        if (m_node)
            m_node->setFlags(m_node->flags() & ~Qt::ItemIsEditable);
        m_node = nullptr;
    }

    MainWindow *m_form;
    mutable QTreeWidgetItem *m_node = nullptr;
};

} // namespace

MainWindow::NodeLevel MainWindow::levelOf(const QTreeWidgetItem *node)
{
    if (!node)
        return NodeLevel::None;
    const QTreeWidgetItem *parent = node->parent();
    if (!parent)
        return NodeLevel::Root;
    return parent->parent() ? NodeLevel::Picture : NodeLevel::Album;
}

void MainWindow::createTreeHandlers()
{
    // The image of a selected node is the image itself, not tinted.
    for (const QPixmap &image : nodeImages) {
        QIcon icon(image);
        icon.addPixmap(image, QIcon::Selected);
        m_icons.append(icon);
    }
    albumTree->setItemDelegate(new RenameDelegate(this));
    // The selection stays visible, paler, while the focus is elsewhere: it
    // is what every picture command acts on.
    QPalette pal = albumTree->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xc8, 0xd8, 0xea));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(0x20, 0x20, 0x20));
    albumTree->setPalette(pal);

    connect(albumTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        Application::guard([&] { guardAlbumExpansion(node); });
    });
    connect(albumTree, &QTreeWidget::itemCollapsed, this, &MainWindow::nodeCollapsed);
    connect(albumTree, &QTreeWidget::currentItemChanged, this,
            [this] { Application::guard([&] { showSelectedNode(); }); });
    // Auto-expand: a node the user selects opens too. Not on the current
    // node the view sets when it first gets the focus, which selects nothing.
    connect(albumTree, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem *current = albumTree->currentItem();
        if (current && current->isSelected() && !m_selectingByCode && current->childCount() > 0
            && !current->isExpanded()) {
            // The viewer shows what the new selection shows (nothing, for an
            // album) before a protected album asks its password.
            Application::guard([this] { showSelectedNode(); });
            current->setExpanded(true);
        }
    });
}

void MainWindow::buildAlbumTree(const QStringList &keepKeysOf)
{
    forgetDecodedPictures();
    // The albums start closed: their keys go, but for those about to be
    // opened again.
    m_library.lockAllBut(keepKeysOf);
    albumTree->setUpdatesEnabled(false);
    albumTree->clear();
    auto *root = new QTreeWidgetItem(QStringList(kRootText));
    setImage(root, 0);
    try {
        QStringList albums;
        albums = m_library.albums();
        QStringList names;
        QList<QTreeWidgetItem *> albumNodes;
        albumNodes.reserve(albums.size());
        for (const QString &album : albums) {
            auto *albumNode = new QTreeWidgetItem(QStringList(album));
            setImage(albumNode, 2);
            names = m_library.pictureNames(album);
            QList<QTreeWidgetItem *> pictures;
            pictures.reserve(names.size());
            for (const QString &name : names) {
                auto *pictureNode = new QTreeWidgetItem(QStringList(name));
                setImage(pictureNode, 4);
                pictures.append(pictureNode);
            }
            albumNode->addChildren(pictures);
            albumNodes.append(albumNode);
        }
        root->addChildren(albumNodes);
    } catch (const std::exception &e) {
        // The tree keeps its root; the error is told as any other.
        albumTree->addTopLevelItem(root);
        albumTree->setUpdatesEnabled(true);
        Application::reportError(e);
        return;
    }
    albumTree->addTopLevelItem(root);
    albumTree->setUpdatesEnabled(true);
}

void MainWindow::rebuildAlbumTreeKeepingView()
{
    QTreeWidgetItem *root = albumTree->topLevelItem(0);
    const bool rootOpen = root && root->isExpanded();
    QStringList openAlbums;
    for (int i = 0; root && i < root->childCount(); ++i)
        if (root->child(i)->isExpanded())
            openAlbums.append(root->child(i)->text(0));
    QTreeWidgetItem *current = albumTree->currentItem();
    const NodeLevel level = levelOf(current);
    const QString album = level == NodeLevel::Picture ? current->parent()->text(0)
                          : level == NodeLevel::Album  ? current->text(0)
                                                       : QString();
    const QString picture = level == NodeLevel::Picture ? current->text(0) : QString();

    buildAlbumTree(openAlbums);

    // Albums open before were opened with their passwords already given.
    root = albumTree->topLevelItem(0);
    if (!root)
        return;
    if (rootOpen)
        expandGuarded(root, true);
    QTreeWidgetItem *select = level == NodeLevel::Root ? root : nullptr;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *node = root->child(i);
        if (openAlbums.contains(node->text(0)))
            expandGuarded(node, true);
        if (node->text(0) != album)
            continue;
        select = node;
        for (int j = 0; !picture.isEmpty() && j < node->childCount(); ++j)
            if (node->child(j)->text(0) == picture)
                select = node->child(j);
    }
    if (select && (select == root || select->parent() == root || select->parent()->isExpanded()))
        selectByCode(select);
}

void MainWindow::addAlbumNode(const QString &name)
{
    QTreeWidgetItem *root = albumTree->topLevelItem(0);
    if (!root)
        return;
    auto *node = new QTreeWidgetItem(root, QStringList(name));
    updateNodeImage(node);
}

void MainWindow::setImage(QTreeWidgetItem *node, int index)
{
    node->setIcon(0, m_icons.value(index));
    node->setData(0, ImageIndexRole, index);
}

int MainWindow::imageIndex(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ImageIndexRole).toInt() : -1;
}

void MainWindow::updateNodeImage(QTreeWidgetItem *node)
{
    // A node without children shows closed whatever the view says of it
    // (expanding all marks even those expanded).
    const bool open = node && node->isExpanded() && node->childCount() > 0;
    switch (levelOf(node)) {
    case NodeLevel::Root:
        setImage(node, open ? 1 : 0);
        break;
    case NodeLevel::Album:
        setImage(node, open ? 3 : 2);
        break;
    case NodeLevel::Picture:
        setImage(node, 4);
        break;
    case NodeLevel::None:
        break;
    }
}

void MainWindow::expandGuarded(QTreeWidgetItem *node, bool expand)
{
    m_expandGuard = true;
    node->setExpanded(expand);
    m_expandGuard = false;
    updateNodeImage(node);
}

void MainWindow::guardAlbumExpansion(QTreeWidgetItem *node)
{
    if (m_expandGuard)
        return;
    if (levelOf(node) != NodeLevel::Album) {
        updateNodeImage(node);
        return;
    }
    const QString album = trimText(node->text(0));
    // The view has expanded the node already: close it again at once, before
    // anything is drawn, and open it only for the right password.
    expandGuarded(node, false);
    if (!m_library.albumHasPassword(album)) {
        expandGuarded(node, true);
        return;
    }
    if (albumPasswordGiven(album))
        expandGuarded(node, true);
}

bool MainWindow::albumPasswordGiven(const QString &album)
{
    const QString answer = trimText(Prompts::askPassword(QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")));
    if (answer.isEmpty())
        return false;
    if (m_library.unlock(album, answer))
        return true;
    Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!"));
    return false;
}

void MainWindow::nodeCollapsed(QTreeWidgetItem *node)
{
    updateNodeImage(node);
    if (m_expandGuard)
        return;
    // A protected album closed is locked again: its key is wiped, and
    // nothing decoded from it is kept.
    if (levelOf(node) == NodeLevel::Album) {
        m_library.lock(trimText(node->text(0)));
        dropPicturesOf(node->text(0));
    }
    // A hidden node keeps no selection: it moves up to the collapsed node,
    // as it would in the file manager's tree.
    for (QTreeWidgetItem *n = albumTree->currentItem(); n; n = n->parent())
        if (n->parent() == node) {
            selectByCode(node);
            break;
        }
}

void MainWindow::showSelectedNode()
{
    if (m_keepViewer) {
        QTreeWidgetItem *node = albumTree->currentItem();
        currentAlbumNode = levelOf(node) == NodeLevel::Picture ? node->parent() : nullptr;
        return;
    }
    zoomed = false;
    pictureView->setPicture(QImage());
    m_loader->cancel();
    m_pending = ShownPicture();
    m_shown = ShownPicture();
    dropZoomDecodes();
    viewer->unsetCursor();
    QTreeWidgetItem *node = albumTree->currentItem();
    if (levelOf(node) != NodeLevel::Picture) {
        currentAlbumNode = nullptr;
        return;
    }
    currentAlbumNode = node->parent();
    const QString album = currentAlbumNode->text(0);
    const QString name = trimText(node->text(0));
    loadPicture(m_library.pictureId(album, name), album, name);
}

void MainWindow::beginRename(QTreeWidgetItem *node)
{
    if (levelOf(node) != NodeLevel::Picture)
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    albumTree->editItem(node);
}

void MainWindow::renameEditorOpened(QTreeWidgetItem *node)
{
    oldPictureName = node ? trimText(node->text(0)) : QString();
}

void MainWindow::applyRename(QTreeWidgetItem *node, const QString &text)
{
    const QString newName = trimText(text);
    // The name becomes a file name when the album is exported.
    if (newName.isEmpty()) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("图片名称不能为空!"));
        return;
    }
    if (newName.contains(QLatin1Char('/'))) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("图片名称不能包含字符\"/\"!"));
        return;
    }
    if (!isSafeName(newName)) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("图片名称不能包含控制字符或文字方向控制字符!"));
        return;
    }
    if (!m_library.renamePicture(node->parent()->text(0), oldPictureName, newName)) {
        // The label keeps the name the store has.
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("该相册中已有同名的图片,请换一个名称!"));
        return;
    }
    node->setText(0, newName);
    // The picture on screen keeps its node under the new name.
    if (m_shown.album == node->parent()->text(0) && m_shown.name == oldPictureName)
        m_shown.name = newName;
    forgetDecodedPictures();
}

void MainWindow::refreshTree() { buildAlbumTree(); }
