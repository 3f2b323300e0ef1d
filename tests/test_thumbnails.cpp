// Thumbnails: made upright and small, kept in the store with their
// pictures (encrypted for protected albums), made in the background for
// the albums that can be read, and shown as an album's grid.
#include "AlbumCipher.h"
#include "AlbumGridView.h"
#include "AlbumThumbnails.h"
#include "FormFixture.h"
#include "ImageOps.h"
#include "JpegCodec.h"
#include "JpegFixtures.h"
#include "StoreSchema.h"
#include "TestStore.h"
#include "Thumbnail.h"

#include <QDirIterator>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

using JpegFixtures::Kind;

namespace {

QByteArray storedThumbnail(AlbumStore &store, int pictureId)
{
    SqlStatement q(store.connection(), QStringLiteral("SELECT Thumb FROM PicThumbTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? q.blob(0) : QByteArray();
}

qint64 thumbnailRows(AlbumStore &store)
{
    SqlStatement q(store.connection(), QStringLiteral("SELECT count(*) FROM PicThumbTable"));
    return q.next() ? q.int64(0) : -1;
}

QList<int> idsOf(const QList<AlbumStore::DetachedPicture> &pictures)
{
    QList<int> ids;
    for (const auto &picture : pictures)
        ids.append(picture.pictureId);
    return ids;
}

// Every file under the folder, but the store's own lock and note.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!file.endsWith(QStringLiteral(".lock")) && !file.endsWith(QStringLiteral(".checked")))
            files.append(file);
    }
    files.sort();
    return files;
}

} // namespace

class TestThumbnails : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { AlbumCipher::useLeastCostForTests(true); }
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup() { m_f.tearDown(); }

    void madeUprightAndSmall_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("made");
        QTest::newRow("landscape") << QSize(800, 600) << 1 << QSize(256, 192);
        QTest::newRow("turned by its EXIF orientation") << QSize(800, 600) << 6 << QSize(192, 256);
        QTest::newRow("mirrored and turned") << QSize(1600, 900) << 7 << QSize(144, 256);
        QTest::newRow("large and turned: from its blocks' averages") << QSize(4096, 2048) << 6 << QSize(128, 256);
        QTest::newRow("small pictures are not enlarged") << QSize(100, 50) << 1 << QSize(100, 50);
        QTest::newRow("a thin strip keeps a pixel") << QSize(3000, 8) << 1 << QSize(256, 1);
    }
    void madeUprightAndSmall()
    {
        QFETCH(QSize, stored);
        QFETCH(int, orientation);
        QFETCH(QSize, made);
        const QImage picture = JpegFixtures::quarters(stored.width(), stored.height());
        QByteArray bytes = JpegFixtures::make(picture, Kind::Baseline);
        if (orientation != 1)
            bytes = JpegFixtures::withExifOrientation(bytes, orientation);
        const QImage thumbnail = JpegCodec::decode(Thumbnail::make(bytes));
        QCOMPARE(thumbnail.size(), made);
        const QImage expected = ImageOps::stretch(ImageOps::upright(picture, orientation), made);
        QVERIFY2(JpegFixtures::meanDifference(thumbnail, expected) < 12,
                 qPrintable(QString::number(JpegFixtures::meanDifference(thumbnail, expected))));
        QVERIFY_THROWS_EXCEPTION(JpegCodec::JpegError, Thumbnail::make(JpegFixtures::notAPicture()));
    }

    // A thumbnail is kept with its picture and goes with it, whatever
    // deletes it; a store made before thumbnails gets the table at the
    // first one kept; compaction keeps them.
    void keptWithTheirPictures()
    {
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("trip"), QString()));
        QVERIFY(store.addAlbum(QStringLiteral("home"), QString()));
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(64, 48), Kind::Baseline);
        QList<int> ids;
        for (const char *name : {"a", "b", "c", "d"})
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QLatin1String(name), jpeg));
        const int other = TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("e"), jpeg);

        // As an older version left it: no table yet.
        store.connection().execFixed("DROP TRIGGER PicThumbGoesWithPicture");
        store.connection().execFixed("DROP TABLE PicThumbTable");
        QVERIFY(store.openStore(m_f.path));
        QCOMPARE(store.thumbnailData(ids.at(0)), QByteArray());
        QCOMPARE(idsOf(store.picturesWithoutThumbnail(1)), ids);

        const auto thumbnailOf = [](int id) { return QByteArray("thumbnail of ") + QByteArray::number(id); };
        QList<std::pair<int, QByteArray>> made;
        for (const int id : ids.mid(0, 3) + QList<int>{other, 999})
            made.append({id, thumbnailOf(id)});
        QCOMPARE(store.storeThumbnails(made), 4); // none for a picture that is not there
        for (const int id : ids.mid(0, 3))
            QCOMPARE(store.thumbnailData(id), thumbnailOf(id));
        QCOMPARE(idsOf(store.picturesWithoutThumbnail(1)), QList<int>{ids.at(3)});
        QCOMPARE(thumbnailRows(store), 4);
        // Made again: the new one in its place.
        QCOMPARE(store.storeThumbnails({{ids.at(0), "again"}}), 1);
        QCOMPARE(store.thumbnailData(ids.at(0)), QByteArray("again"));
        QCOMPARE(thumbnailRows(store), 4);

        QVERIFY(store.deletePicture(1, QStringLiteral("a")));
        QCOMPARE(thumbnailRows(store), 3);
        // A program that knows nothing of thumbnails, without the foreign
        // keys: the trigger takes the thumbnail all the same.
        store.connection().execFixed("PRAGMA foreign_keys = OFF");
        SqlStatement(store.connection(), QStringLiteral("DELETE FROM PicInfoTable WHERE PicInfoID = ?")).bind(1, ids.at(1)).exec();
        SqlStatement(store.connection(), QStringLiteral("DELETE FROM PicTable WHERE PicInfoID = ?")).bind(1, ids.at(1)).exec();
        store.connection().execFixed("PRAGMA foreign_keys = ON");
        QCOMPARE(thumbnailRows(store), 2);

        QVERIFY(store.compactStore(m_f.path));
        QCOMPARE(store.thumbnailData(ids.at(2)), thumbnailOf(ids.at(2)));
        QCOMPARE(store.thumbnailData(other), thumbnailOf(other));
        QVERIFY(store.deleteAlbum(QStringLiteral("trip")));
        QCOMPARE(thumbnailRows(store), 1);
    }

    // A protected album's thumbnails are encrypted with its key, bound to
    // their pictures, and read only while the album is open.
    void protectedWithTheirAlbum()
    {
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("trip"), QString()));
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(64, 48), Kind::Baseline);
        const int id = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("a"), jpeg);
        const int second = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("b"), jpeg);
        const QByteArray thumbnail = JpegFixtures::make(JpegFixtures::noisy(40, 30), Kind::Baseline);
        QCOMPARE(store.storeThumbnails({{id, thumbnail}}), 1);

        QVERIFY(store.setAlbumPassword(QStringLiteral("trip"), QStringLiteral("pw")));
        QVERIFY(AlbumCipher::isEncrypted(storedThumbnail(store, id)));
        QCOMPARE(store.thumbnailData(id), thumbnail);
        QCOMPARE(store.storeThumbnails({{second, thumbnail}}), 1);
        QVERIFY(AlbumCipher::isEncrypted(storedThumbnail(store, second)));

        store.forgetAlbumKey(QStringLiteral("trip"));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, store.thumbnailData(id));
        QCOMPARE(store.picturesWithoutThumbnail(1).size(), 0);
        QCOMPARE(store.detachPicture(id).albumId, -1);
        QCOMPARE(store.storeThumbnails({{id, "clear"}}), 0);
        QVERIFY(AlbumCipher::isEncrypted(storedThumbnail(store, id)));

        QVERIFY(store.checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("pw")));
        QVERIFY(store.setAlbumPassword(QStringLiteral("trip"), QStringLiteral("new")));
        QCOMPARE(store.thumbnailData(id), thumbnail);
        QVERIFY(store.setAlbumPassword(QStringLiteral("trip"), QString()));
        QCOMPARE(storedThumbnail(store, id), thumbnail);
        QVERIFY(store.setAlbumPassword(QStringLiteral("trip"), QStringLiteral("again")));
        QCOMPARE(store.thumbnailData(id), thumbnail);

        // The thumbnail cannot pass for its picture.
        SqlStatement(store.connection(), QStringLiteral("UPDATE PicTable SET Pic = ? WHERE PicInfoID = ?"))
            .bindBlob(1, storedThumbnail(store, id))
            .bind(2, second)
            .exec();
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, store.pictureData(second));
        // One put there in the clear is not the album's own.
        SqlStatement(store.connection(), QStringLiteral("UPDATE PicThumbTable SET Thumb = ? WHERE PicInfoID = ?"))
            .bindBlob(1, thumbnail)
            .bind(2, second)
            .exec();
        QCOMPARE(store.thumbnailData(second), QByteArray());
    }

    // In the background, every album that can be read gets the thumbnails
    // it lacks, kept in the store and nowhere else; a locked album's wait
    // for its password; a picture no decoder reads gets none.
    void madeInTheBackground()
    {
        FormFixture::makeAlbums(m_f);
        m_f.store->forgetAlbumKeys();
        const QStringList before = filesUnder(m_f.dir.path());
        // Where a thumbnail cache would go: nothing is ever written there.
        QTemporaryDir home;
        for (const char *variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "TMPDIR"})
            qputenv(variable, home.path().toUtf8() + '/' + variable);
        AlbumThumbnails thumbnails(*m_f.library);
        thumbnails.fillInBackground();
        QTRY_VERIFY_WITH_TIMEOUT(!thumbnails.isBusy(), 20000);
        AlbumStore &store = *m_f.store;
        const int cat = store.findPictureId(1, QStringLiteral("cat"));
        const int dog = store.findPictureId(1, QStringLiteral("dog"));
        const int bmp = store.findPictureId(1, QStringLiteral("bmp"));
        const int hidden = store.findPictureId(2, QStringLiteral("hidden"));
        QCOMPARE(JpegCodec::decode(store.thumbnailData(cat)).size(), QSize(64, 48));
        QVERIFY(!store.thumbnailData(dog).isEmpty());
        QCOMPARE(idsOf(store.picturesWithoutThumbnail(1)), QList<int>{bmp});
        QCOMPARE(storedThumbnail(store, hidden), QByteArray());
        QCOMPARE(filesUnder(m_f.dir.path()), before);

        // Asked for: read from the store, or made first.
        QSignalSpy ready(&thumbnails, &AlbumThumbnails::thumbnailReady);
        thumbnails.setImageSize(QSize(32, 32));
        thumbnails.request({cat, bmp});
        QTRY_VERIFY(!thumbnails.isBusy());
        QCOMPARE(thumbnails.thumbnail(cat).size(), QSize(32, 24));
        QVERIFY(thumbnails.thumbnail(bmp).isNull());
        QVERIFY(thumbnails.cannotBeMade(bmp));
        QCOMPARE(ready.size(), 1);
        QCOMPARE(ready.first().first().toInt(), cat);

        QVERIFY(m_f.library->unlock(QStringLiteral("secret"), QStringLiteral("pw1")));
        QTRY_VERIFY(!store.thumbnailData(hidden).isEmpty());
        QVERIFY(AlbumCipher::isEncrypted(storedThumbnail(store, hidden)));
        // Locked again: nothing of it stays in memory.
        thumbnails.request({hidden});
        QTRY_VERIFY(!thumbnails.thumbnail(hidden).isNull());
        m_f.library->lock(QStringLiteral("secret"));
        QVERIFY(thumbnails.thumbnail(hidden).isNull());
        QTRY_VERIFY(!thumbnails.isBusy());
        QCOMPARE(filesUnder(m_f.dir.path()), before);
        QCOMPARE(filesUnder(home.path()), QStringList());
        for (const char *variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "TMPDIR"})
            qunsetenv(variable);
    }

    // Selecting an album shows its pictures as a grid of thumbnails in the
    // tree's order; Return shows the chosen picture and selects its node; a
    // protected album shows its grid only once its password is given.
    void albumGridInTheWindow()
    {
        FormFixture::makeAlbums(m_f);
        const auto form = FormFixture::open(m_f);
        auto *stack = FormFixture::child<QStackedWidget>(*form, "viewerStack");
        auto *grid = FormFixture::child<AlbumGridView>(*form, "albumGrid");
        FormFixture::select(*form, FormFixture::albumNode(*form, QStringLiteral("open")));
        QCOMPARE(stack->currentWidget(), grid);
        QCOMPARE(grid->model()->rowCount(grid->rootIndex()), 3);
        const QModelIndex cat = grid->model()->index(0, 0, grid->rootIndex());
        QCOMPARE(cat.data().toString(), QStringLiteral("cat"));
        QCOMPARE(grid->currentIndex(), cat);
        QCOMPARE(FormFixture::child<QLabel>(*form, "pictureDetails")->text(), QStringLiteral("open    3 张图片"));
        // The grid's pictures, asked for as they are on screen.
        const int catId = cat.data(AlbumTreeModel::PictureIdRole).toInt();
        QCOMPARE(grid->wantedPictures().size(), 3);
        QCOMPARE(grid->wantedPictures().first(), catId);
        auto *thumbnails = form->findChild<AlbumThumbnails *>();
        QVERIFY(thumbnails);
        QTRY_VERIFY_WITH_TIMEOUT(!thumbnails->thumbnail(catId).isNull(), 20000);

        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("dog"));
        QTest::keyClick(grid, Qt::Key_Return);
        FormFixture::settle(*form);
        QCOMPARE(stack->currentWidget(), FormFixture::viewer(*form));
        QCOMPARE(FormFixture::viewer(*form)->shownPicture().name, QStringLiteral("dog"));
        QCOMPARE(FormFixture::text(FormFixture::current(*form)), QStringLiteral("dog"));

        // A protected album: nothing without its password, its grid with it.
        m_f.prompts->queuePassword(QString());
        FormFixture::select(*form, FormFixture::albumNode(*form, QStringLiteral("secret")));
        QCOMPARE(stack->currentWidget(), FormFixture::viewer(*form));
        FormFixture::select(*form, FormFixture::albumNode(*form, QStringLiteral("empty")));
        QCOMPARE(stack->currentWidget(), grid);
        QCOMPARE(grid->model()->rowCount(grid->rootIndex()), 0);
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        FormFixture::select(*form, FormFixture::albumNode(*form, QStringLiteral("secret")));
        QTRY_COMPARE(stack->currentWidget(), grid);
        QCOMPARE(grid->model()->index(0, 0, grid->rootIndex()).data().toString(), QStringLiteral("hidden"));
    }

private:
    TestStore::Fixture m_f;
};

QTEST_MAIN(TestThumbnails)
#include "test_thumbnails.moc"
