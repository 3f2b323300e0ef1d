#pragma once
// A main window over a store holding a few albums, for the window tests.
//   open (unprotected): cat, dog, bmp (not a JPEG)
//   secret (password pw1): hidden
//   other (password xyz): x
//   empty: no pictures

#include "JpegFixtures.h"
#include "MainWindow.h"
#include "TestStore.h"

#include <QTest>
#include <QTreeWidget>

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
    TestStore::addPictureBytes(f.dir, 1, QStringLiteral("bmp"), JpegFixtures::bmp(JpegFixtures::quarters(8, 8)));
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

// Waits until the window has shown, or given up on, the picture it is
// decoding off its thread.
inline void settle(MainWindow &form)
{
    if (!QTest::qWaitFor([&] { return !form.isLoadingPicture(); }, 10000))
        QTest::qFail("the picture did not finish loading", __FILE__, __LINE__);
}

inline QTreeWidgetItem *albumNode(MainWindow &form, const QString &name)
{
    QTreeWidgetItem *root = form.albumTree->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i)
        if (root->child(i)->text(0) == name)
            return root->child(i);
    return nullptr;
}

inline QTreeWidgetItem *pictureNode(MainWindow &form, const QString &album, const QString &picture)
{
    QTreeWidgetItem *node = albumNode(form, album);
    for (int i = 0; node && i < node->childCount(); ++i)
        if (node->child(i)->text(0) == picture)
            return node->child(i);
    return nullptr;
}

} // namespace FormFixture
