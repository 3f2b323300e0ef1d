#pragma once
// A main window over a store holding a few albums, for the window tests.
//   open (unprotected): cat, dog, bmp (text, no picture)
//   secret (password pw1): hidden
//   other (password xyz): x
//   empty: no pictures

#include "AlbumTreeModel.h"
#include "AlbumTreeView.h"
#include "JpegFixtures.h"
#include "MainWindow.h"
#include "PictureView.h"
#include "PictureViewer.h"
#include "TestStore.h"

#include <QTest>

namespace FormFixture {

inline void makeAlbums(TestStore::Fixture &f)
{
    AlbumStore &store = *f.store;
    store.addAlbum(QStringLiteral("open"), QString());
    store.addAlbum(QStringLiteral("secret"), QStringLiteral("pw1"));
    store.addAlbum(QStringLiteral("other"), QStringLiteral("xyz"));
    store.addAlbum(QStringLiteral("empty"), QString());
    const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(64, 48), JpegFixtures::Kind::Baseline);
    TestStore::addPictureBytes(f.dir, 1, QStringLiteral("cat"), jpeg);
    // The same size as cat, but another picture: a command on the wrong one
    // shows.
    TestStore::addPictureBytes(
        f.dir, 1, QStringLiteral("dog"),
        JpegFixtures::make(JpegFixtures::quarters(64, 48).mirrored(true, true), JpegFixtures::Kind::Baseline));
    TestStore::addPictureBytes(f.dir, 1, QStringLiteral("bmp"), JpegFixtures::notAPicture());
    TestStore::addPictureBytes(f.dir, 2, QStringLiteral("hidden"), jpeg);
    TestStore::addPictureBytes(f.dir, 3, QStringLiteral("x"), jpeg);
}

// Opens the main window on the fixture's store and shows it.
inline std::unique_ptr<MainWindow> open(TestStore::Fixture &f)
{
    f.store->closeStore();
    auto form = std::make_unique<MainWindow>(*f.library, f.path);
    if (!form->storeOpened())
        QTest::qFail("the main window did not open its store", __FILE__, __LINE__);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        QTest::qFail("the main window was not shown", __FILE__, __LINE__);
    return form;
}

// A widget or action of a window, by its object name; fails the test when
// there is none.
template <typename T>
T *child(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no %1 here").arg(QLatin1String(name))), __FILE__, __LINE__);
    return found;
}

inline AlbumTreeView *tree(const MainWindow &form) { return child<AlbumTreeView>(form, "albumTree"); }
inline PictureViewer *viewer(const MainWindow &form) { return child<PictureViewer>(form, "viewer"); }
// The control the viewer draws its picture in.
inline PictureView *view(const MainWindow &form) { return viewer(form)->view(); }

// Waits until the window has shown, or given up on, the picture it is
// decoding off its thread.
inline void settle(const MainWindow &form)
{
    if (!QTest::qWaitFor([&] { return !viewer(form)->isLoading(); }, 10000))
        QTest::qFail("the picture did not finish loading", __FILE__, __LINE__);
}

// ---- the tree's nodes
inline QModelIndex root(const MainWindow &form) { return tree(form)->model()->index(0, 0); }
// An album's pictures, read first as the view reads them when it opens it.
inline int childCount(const QModelIndex &node)
{
    auto *model = const_cast<QAbstractItemModel *>(node.model());
    if (model->canFetchMore(node))
        model->fetchMore(node);
    return model->rowCount(node);
}
inline QModelIndex child(const QModelIndex &node, int row)
{
    childCount(node);
    return node.model()->index(row, 0, node);
}
inline QString text(const QModelIndex &node) { return node.data().toString(); }
inline QStringList texts(const QModelIndex &node)
{
    QStringList list;
    for (int i = 0; i < childCount(node); ++i)
        list.append(text(child(node, i)));
    return list;
}
inline int imageIndex(const QModelIndex &node) { return node.data(AlbumTreeModel::ImageIndexRole).toInt(); }
inline AlbumTreeModel::Level levelOf(const QModelIndex &node) { return AlbumTreeModel::levelOf(node); }

inline QModelIndex albumNode(const MainWindow &form, const QString &name)
{
    const QModelIndex top = root(form);
    for (int i = 0; i < childCount(top); ++i)
        if (text(child(top, i)) == name)
            return child(top, i);
    return QModelIndex();
}

inline QModelIndex pictureNode(const MainWindow &form, const QString &album, const QString &picture)
{
    const QModelIndex node = albumNode(form, album);
    for (int i = 0; node.isValid() && i < childCount(node); ++i)
        if (text(child(node, i)) == picture)
            return child(node, i);
    return QModelIndex();
}

inline QModelIndex current(const MainWindow &form) { return tree(form)->currentIndex(); }
inline bool isExpanded(const MainWindow &form, const QModelIndex &node) { return tree(form)->isExpanded(node); }
inline void expand(const MainWindow &form, const QModelIndex &node) { tree(form)->expand(node); }
inline void collapse(const MainWindow &form, const QModelIndex &node) { tree(form)->collapse(node); }
// Selects a node as a click would, and waits for what it shows.
inline void select(const MainWindow &form, const QModelIndex &node)
{
    tree(form)->setCurrentIndex(node);
    settle(form);
}

} // namespace FormFixture
