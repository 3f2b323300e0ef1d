#pragma once
// The albums as a tree: one root ("所有相册"), an album under it for each
// album of the library, and under each album its pictures by name, in the
// store's order. It follows the library's announcements, row by row, so
// that a view keeps its open branches and its selection; it is read anew
// only when asked (a refresh) or when albums came in from elsewhere.
//
// An album's pictures are read when it is first opened (fetchMore), or when
// a node of one is asked for: a large library starts without reading every
// name.
//
// Each node carries the index of the image it shows in ImageIndexRole (0/1
// the root closed/open, 2/3 an album closed/open, 4 a picture), as the view
// tells it which branches are open; with node icons set, the same image is
// its decoration. A picture's name can be edited (setData): the library
// renames it, and refuses what it must.

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>

class AlbumLibrary;

class AlbumTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit AlbumTreeModel(AlbumLibrary &library, QObject *parent = nullptr);
    ~AlbumTreeModel() override;

    enum class Level { None, Root, Album, Picture };
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    static constexpr int LevelRole = Qt::UserRole + 2;
    // A picture node's picture id in the store (looked up once); -1 when it
    // cannot be found.
    static constexpr int PictureIdRole = Qt::UserRole + 3;

    // The images of the nodes, by image index.
    void setNodeIcons(const QList<QIcon> &icons);

    // Reads every album and picture anew; every branch closes. Passes store
    // errors on (the tree then holds the root alone).
    void reload();

    static Level levelOf(const QModelIndex &index);
    QModelIndex rootIndex() const;
    QModelIndex albumIndex(const QString &album) const;
    // Reads the album's pictures first when they are not read yet.
    QModelIndex pictureIndex(const QString &album, const QString &picture);
    // The album a node belongs to (the album's own name for an album node);
    // empty for the root.
    QString albumOf(const QModelIndex &index) const;

    // The view's branches, for the images of the root and the albums.
    void setExpanded(const QModelIndex &index, bool expanded);
    bool isExpanded(const QModelIndex &index) const;

    // Told before a rename is stored: the reason it is refused, in Chinese
    // (shown as a warning), or empty to go ahead.
    QString renameRefusal(const QModelIndex &index, const QString &name) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // A rename was refused: the reason, in Chinese.
    void renameRefused(const QString &reason);

private:
    struct Node;
    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(Node *node) const;
    Node *albumNode(const QString &album) const;
    // Reads an album's pictures when they are not read yet.
    void fetchPictures(Node *album);
    // Brings an album's pictures up to what the library holds, row by row.
    void updatePictures(const QString &album);
    void albumAdded(const QString &album);
    void albumRemoved(const QString &album);
    void pictureRemoved(const QString &album, const QString &picture);
    void pictureRenamed(const QString &album, const QString &from, const QString &to);
    int imageIndex(const Node *node) const;

    AlbumLibrary &m_library;
    std::unique_ptr<Node> m_root;
    QList<QIcon> m_icons;
};
