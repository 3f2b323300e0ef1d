#pragma once
// A main window over a store holding a few albums, for the window tests.
//   open (unprotected): cat, dog, bmp (not a JPEG)
//   secret (password pw1): hidden
//   other (password xyz): x
//   empty: no pictures

#include "JpegFixtures.h"
#include "MainUnit.h"
#include "TestStore.h"

#include <QTest>
#include <QTreeWidget>

namespace FormFixture {

inline void MakeAlbums(TestStore::Fixture &f)
{
    TPicDM &dm = *f.dm;
    dm.AddAlbum(QStringLiteral("open"), QString());
    dm.AddAlbum(QStringLiteral("secret"), QStringLiteral("pw1"));
    dm.AddAlbum(QStringLiteral("other"), QStringLiteral("xyz"));
    dm.AddAlbum(QStringLiteral("empty"), QString());
    const QByteArray jpeg = JpegFixtures::Make(JpegFixtures::Quarters(64, 48), JpegFixtures::Kind::Baseline);
    TestStore::AddPictureBytes(f.dir, 1, QStringLiteral("cat"), jpeg);
    TestStore::AddPictureBytes(f.dir, 1, QStringLiteral("dog"), jpeg);
    TestStore::AddPictureBytes(f.dir, 1, QStringLiteral("bmp"), JpegFixtures::Bmp(JpegFixtures::Quarters(8, 8)));
    TestStore::AddPictureBytes(f.dir, 2, QStringLiteral("hidden"), jpeg);
    TestStore::AddPictureBytes(f.dir, 3, QStringLiteral("x"), jpeg);
}

// Opens the main window on the fixture's store and shows it.
inline std::unique_ptr<TMainForm> Open(TestStore::Fixture &f)
{
    f.dm->CloseStore();
    auto form = std::make_unique<TMainForm>(f.path);
    if (!form->StoreOpened())
        QTest::qFail("the main window did not open its store", __FILE__, __LINE__);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        QTest::qFail("the main window was not shown", __FILE__, __LINE__);
    return form;
}

inline QTreeWidgetItem *Album(TMainForm &form, const QString &name)
{
    QTreeWidgetItem *root = form.PicLibView->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i)
        if (root->child(i)->text(0) == name)
            return root->child(i);
    return nullptr;
}

} // namespace FormFixture
