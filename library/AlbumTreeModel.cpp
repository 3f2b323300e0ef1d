#include "AlbumTreeModel.h"

#include "AlbumLibrary.h"
#include "TextRules.h"

#include <memory>
#include <vector>

struct AlbumTreeModel::Node
{
    QString text;
    Node *parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    bool expanded = false;
    // An album whose pictures are not read yet, and whether it holds any.
    bool unread = false;
    bool holdsPictures = false;
    // A picture's id in the store once asked for (0: not yet); a rename
    // keeps it.
    mutable int pictureId = 0;

    // Where it was last found among its parent's children: rows move only
    // when one is added or taken before it, and an album holds thousands.
    mutable size_t rowHint = 0;

    int row() const
    {
        if (!parent)
            return 0;
        const auto &siblings = parent->children;
        if (rowHint < siblings.size() && siblings[rowHint].get() == this)
            return int(rowHint);
        for (size_t i = 0; i < siblings.size(); ++i)
            if (siblings[i].get() == this) {
                rowHint = i;
                return int(i);
            }
        return -1;
    }
    Node *add(const QString &name, size_t at)
    {
        auto node = std::make_unique<Node>();
        node->text = name;
        node->parent = this;
        Node *added = node.get();
        added->rowHint = at;
        children.insert(children.begin() + qsizetype(at), std::move(node));
        return added;
    }
};

AlbumTreeModel::AlbumTreeModel(AlbumLibrary &library, QObject *parent)
    : QAbstractItemModel(parent), m_library(library), m_root(std::make_unique<Node>())
{
    m_root->text = tr("所有相册");
    connect(&library, &AlbumLibrary::albumAdded, this, &AlbumTreeModel::albumAdded);
    connect(&library, &AlbumLibrary::albumRemoved, this, &AlbumTreeModel::albumRemoved);
    connect(&library, &AlbumLibrary::picturesAdded, this, &AlbumTreeModel::updatePictures);
    connect(&library, &AlbumLibrary::pictureRemoved, this, &AlbumTreeModel::pictureRemoved);
    connect(&library, &AlbumLibrary::pictureRenamed, this, &AlbumTreeModel::pictureRenamed);
    connect(&library, &AlbumLibrary::albumsReplaced, this, &AlbumTreeModel::reload);
}

AlbumTreeModel::~AlbumTreeModel() = default;

void AlbumTreeModel::setNodeIcons(const QList<QIcon> &icons)
{
    m_icons = icons;
    emit dataChanged(rootIndex(), rootIndex());
}

void AlbumTreeModel::reload()
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    m_root->text = tr("所有相册");
    // The root stays whatever happens below; the error is passed on after
    // the model is whole again.
    std::exception_ptr failure;
    try {
        const QStringList albums = m_library.albums();
        const QList<bool> holding = m_library.albumsHoldingPictures();
        for (qsizetype i = 0; i < albums.size(); ++i) {
            Node *node = m_root->add(albums.at(i), m_root->children.size());
            node->unread = true;
            node->holdsPictures = holding.value(i, true);
        }
    } catch (...) {
        m_root->children.clear();
        failure = std::current_exception();
    }
    endResetModel();
    if (failure)
        std::rethrow_exception(failure);
}

AlbumTreeModel::Level AlbumTreeModel::levelOf(const QModelIndex &index)
{
    if (!index.isValid())
        return Level::None;
    if (!index.parent().isValid())
        return Level::Root;
    return index.parent().parent().isValid() ? Level::Picture : Level::Album;
}

QModelIndex AlbumTreeModel::rootIndex() const { return createIndex(0, 0, m_root.get()); }

AlbumTreeModel::Node *AlbumTreeModel::albumNode(const QString &album) const
{
    for (const auto &node : m_root->children)
        if (node->text == album)
            return node.get();
    return nullptr;
}

QModelIndex AlbumTreeModel::albumIndex(const QString &album) const { return indexOf(albumNode(album)); }

QModelIndex AlbumTreeModel::pictureIndex(const QString &album, const QString &picture)
{
    Node *node = albumNode(album);
    try {
        if (node)
            fetchPictures(node);
    } catch (const std::exception &) {
        return QModelIndex(); // the album's pictures could not be read
    }
    if (!node)
        return QModelIndex();
    // The names come from the store, trimmed: the exact one first.
    for (size_t i = 0; i < node->children.size(); ++i)
        if (node->children[i]->text == picture)
            return createIndex(int(i), 0, node->children[i].get());
    const QString wanted = trimText(picture);
    for (size_t i = 0; i < node->children.size(); ++i)
        if (trimText(node->children[i]->text) == wanted)
            return createIndex(int(i), 0, node->children[i].get());
    return QModelIndex();
}

QString AlbumTreeModel::albumOf(const QModelIndex &index) const
{
    switch (levelOf(index)) {
    case Level::Album:
        return nodeOf(index)->text;
    case Level::Picture:
        return nodeOf(index)->parent->text;
    default:
        return QString();
    }
}

void AlbumTreeModel::setExpanded(const QModelIndex &index, bool expanded)
{
    Node *node = nodeOf(index);
    if (!node)
        return;
    // An album opened shows its pictures: read them now if the view has not.
    if (expanded)
        fetchMore(index);
    if (node->expanded == expanded)
        return;
    node->expanded = expanded;
    emit dataChanged(index, index, {Qt::DecorationRole, ImageIndexRole});
}

bool AlbumTreeModel::isExpanded(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node && node->expanded;
}

int AlbumTreeModel::imageIndex(const Node *node) const
{
    // A node without children shows closed, whatever the view says of it
    // (expanding all marks even those expanded).
    const bool open = node->expanded && !node->children.empty();
    if (node == m_root.get())
        return open ? 1 : 0;
    if (node->parent == m_root.get())
        return open ? 3 : 2;
    return 4;
}

// ---------------------------------------------------------------- following the library

void AlbumTreeModel::albumAdded(const QString &album)
{
    const int row = int(m_root->children.size());
    beginInsertRows(rootIndex(), row, row);
    Node *node = m_root->add(album, size_t(row));
    try {
        for (const QString &picture : m_library.pictureNames(album))
            node->add(picture, node->children.size());
    } catch (const std::exception &) {
        // Its pictures come with the next reading.
    }
    endInsertRows();
    emit dataChanged(rootIndex(), rootIndex(), {Qt::DecorationRole, ImageIndexRole});
}

void AlbumTreeModel::albumRemoved(const QString &album)
{
    Node *node = albumNode(album);
    if (!node)
        return;
    const int row = node->row();
    beginRemoveRows(rootIndex(), row, row);
    m_root->children.erase(m_root->children.begin() + row);
    endRemoveRows();
    emit dataChanged(rootIndex(), rootIndex(), {Qt::DecorationRole, ImageIndexRole});
}

void AlbumTreeModel::fetchPictures(Node *album)
{
    if (!album->unread)
        return;
    // Read before anything is told: a failure leaves the album unread, to
    // be tried again.
    const QStringList names = m_library.pictureNames(album->text);
    album->unread = false;
    const QModelIndex parent = indexOf(album);
    if (!names.isEmpty()) {
        beginInsertRows(parent, 0, int(names.size()) - 1);
        album->children.reserve(size_t(names.size()));
        for (const QString &name : names)
            album->add(name, album->children.size());
        endInsertRows();
    }
    emit dataChanged(parent, parent, {Qt::DecorationRole, ImageIndexRole});
}

void AlbumTreeModel::updatePictures(const QString &album)
{
    Node *node = albumNode(album);
    if (!node)
        return;
    if (node->unread) {
        // Read with the rest when it is opened.
        node->holdsPictures = true;
        const QModelIndex index = indexOf(node);
        emit dataChanged(index, index, {Qt::DecorationRole, ImageIndexRole});
        return;
    }
    QStringList names;
    try {
        names = m_library.pictureNames(album);
    } catch (const std::exception &) {
        return;
    }
    // Pictures are only ever added here, in the store's order: each one not
    // yet in its place is inserted there.
    const QModelIndex parent = indexOf(node);
    for (int i = 0; i < names.size(); ++i) {
        if (size_t(i) < node->children.size() && node->children[size_t(i)]->text == names.at(i))
            continue;
        beginInsertRows(parent, i, i);
        node->add(names.at(i), size_t(i));
        endInsertRows();
    }
    emit dataChanged(parent, parent, {Qt::DecorationRole, ImageIndexRole});
}

void AlbumTreeModel::pictureRemoved(const QString &album, const QString &picture)
{
    if (const Node *node = albumNode(album); !node || node->unread)
        return; // read as it is when it is opened
    const QModelIndex index = pictureIndex(album, picture);
    if (!index.isValid())
        return;
    Node *albumNode = nodeOf(index)->parent;
    const QModelIndex parent = index.parent();
    beginRemoveRows(parent, index.row(), index.row());
    albumNode->children.erase(albumNode->children.begin() + index.row());
    endRemoveRows();
    // An album left empty closes.
    if (albumNode->children.empty())
        albumNode->expanded = false;
    emit dataChanged(parent, parent, {Qt::DecorationRole, ImageIndexRole});
}

void AlbumTreeModel::pictureRenamed(const QString &album, const QString &from, const QString &to)
{
    if (const Node *node = albumNode(album); !node || node->unread)
        return; // read as it is when it is opened
    const QModelIndex index = pictureIndex(album, from);
    if (!index.isValid())
        return;
    nodeOf(index)->text = to;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}

// ---------------------------------------------------------------- renaming

QString AlbumTreeModel::renameRefusal(const QModelIndex &index, const QString &name) const
{
    Q_UNUSED(index)
    const QString newName = trimText(name);
    // The name becomes a file name when the album is exported.
    if (newName.isEmpty())
        return tr("图片名称不能为空!");
    if (newName.contains(QLatin1Char('/')))
        return tr("图片名称不能包含字符\"/\"!");
    if (!isSafeName(newName))
        return tr("图片名称不能包含控制字符或文字方向控制字符!");
    return QString();
}

bool AlbumTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || levelOf(index) != Level::Picture)
        return false;
    const QString refusal = renameRefusal(index, value.toString());
    if (!refusal.isEmpty()) {
        emit renameRefused(refusal);
        return false;
    }
    Node *node = nodeOf(index);
    // The label keeps the name the store has; the library's announcement
    // brings the new one.
    if (!m_library.renamePicture(node->parent->text, trimText(node->text), trimText(value.toString()))) {
        emit renameRefused(tr("该相册中已有同名的图片,请换一个名称!"));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the model

AlbumTreeModel::Node *AlbumTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : nullptr;
}

QModelIndex AlbumTreeModel::indexOf(Node *node) const
{
    return node ? createIndex(node->row(), 0, node) : QModelIndex();
}

QModelIndex AlbumTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 ? rootIndex() : QModelIndex();
    Node *node = nodeOf(parent);
    if (size_t(row) >= node->children.size())
        return QModelIndex();
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex AlbumTreeModel::parent(const QModelIndex &child) const
{
    Node *node = nodeOf(child);
    return node && node->parent ? indexOf(node->parent) : QModelIndex();
}

int AlbumTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return 1;
    return int(nodeOf(parent)->children.size());
}

bool AlbumTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return false;
    if (!parent.isValid())
        return true;
    const Node *node = nodeOf(parent);
    return node->unread ? node->holdsPictures : !node->children.empty();
}

bool AlbumTreeModel::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return node && node->unread;
}

void AlbumTreeModel::fetchMore(const QModelIndex &parent)
{
    Node *node = nodeOf(parent);
    if (!node)
        return;
    try {
        fetchPictures(node);
    } catch (const std::exception &) {
        // The album stays unread; its pictures come when it is opened again.
    }
}

int AlbumTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant AlbumTreeModel::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text;
    case Qt::DecorationRole:
        return m_icons.value(imageIndex(node));
    case ImageIndexRole:
        return imageIndex(node);
    case LevelRole:
        return int(levelOf(index));
    case PictureIdRole:
        if (levelOf(index) != Level::Picture)
            return -1;
        if (node->pictureId == 0) {
            try {
                node->pictureId = m_library.pictureId(node->parent->text, node->text);
            } catch (const std::exception &) {
                return -1; // asked again next time
            }
        }
        return node->pictureId;
    default:
        return QVariant();
    }
}

Qt::ItemFlags AlbumTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // A picture's label is edited only when the rename command opens it
    // (the view's edit triggers are off).
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (levelOf(index) == Level::Picture)
        flags |= Qt::ItemIsEditable;
    return flags;
}
