// Album and picture records: every operation's result and failure value,
// and the all-or-nothing import of one file.

#include "AlbumStore.h"
#include "ScriptedPrompts.h"
#include "Sql.h"
#include "JpegFixtures.h"
#include "TestStore.h"

#include <QTemporaryDir>
#include <QTest>

class TestAlbums : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
    }
    void cleanup()
    {
        QCOMPARE(m_f.prompts->messages.size(), 0);
        m_f.tearDown();
    }

    void listAlbums()
    {
        QStringList list{QStringLiteral("stale")};
        m_f.store->listAlbums(&list);
        QVERIFY(list.isEmpty());
        m_f.store->listAlbums(nullptr); // no list: nothing happens
        QVERIFY(m_f.store->addAlbum(QStringLiteral("b"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("家庭"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("a"), QString()));
        m_f.store->listAlbums(&list);
        QCOMPARE(list, (QStringList{QStringLiteral("b"), QStringLiteral("家庭"), QStringLiteral("a")}));
        // A store error is passed on and the list is left as it was.
        m_f.store->closeStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->listAlbums(&list));
        QCOMPARE(list.size(), 3);
    }

    void addAndFindAlbums()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("  Trip  "), QStringLiteral(" 12 ")));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("Trip")), 1);
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("TRIP")), 1);
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("Trip ")), -1);
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("O'Brien")), -1);
        QVERIFY(m_f.store->albumHasPassword(QStringLiteral("trip")));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("Trip"), QStringLiteral("12")));
        // The entered password is trimmed as the stored one was.
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("Trip"), QStringLiteral(" 12 ")));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("Trip"), QStringLiteral("1 2")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("O'Brien"), QString()));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("o'brien")), 2);
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("O'Brien")));
        // A name that could show as another name is refused.
        QVERIFY(!m_f.store->addAlbum(QStringLiteral("evil\u202E"), QString()));
        QVERIFY(!m_f.store->addAlbum(QStringLiteral("a\nb"), QString()));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("evil\u202E")), -1);
        m_f.store->closeStore();
        QVERIFY(!m_f.store->addAlbum(QStringLiteral("x"), QString()));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("Trip")), -1);
    }

    void passwords()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QStringLiteral("Abc")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("aBC")));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("xyz")));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("nobody"), QStringLiteral("xyz")));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("open")));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("nobody")));

        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("open"), QStringLiteral("   ")));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("open")));
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("OPEN"), QStringLiteral(" 密码 ")));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("open"), QStringLiteral("密码")));
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("secret"), QString()));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("secret")));
        QVERIFY(!m_f.store->setAlbumPassword(QStringLiteral("nobody"), QStringLiteral("x")));
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicPass"), QStringLiteral("x")), 0);

        // A stored password of blanks only leaves the album unprotected.
        SqlStatement(m_f.store->connection(), QStringLiteral("Update PicLibTable Set PicPass = '   ' Where PicLibName = 'other'")).exec();
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("other")));

        m_f.store->closeStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->albumHasPassword(QStringLiteral("open")));
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->setAlbumPassword(QStringLiteral("open"), QString()));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("open"), QStringLiteral("密码")));
    }

    void deleteAlbumTakesItsPictures()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("keep"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("gone"), QString()));
        const QString file = writeFile(QStringLiteral("cat.jpg"), JpegFixtures::tagged("cat bytes"));
        QVERIFY(m_f.store->addPicture(1, file));
        QVERIFY(m_f.store->addPicture(2, file));
        QVERIFY(m_f.store->deleteAlbum(QStringLiteral("nobody")));
        QCOMPARE(albumNames(), (QStringList{QStringLiteral("keep"), QStringLiteral("gone")}));
        QVERIFY(m_f.store->deleteAlbum(QStringLiteral("GONE")));
        QCOMPARE(albumNames(), QStringList{QStringLiteral("keep")});
        // The reused id starts empty; the picture id of the deleted picture
        // gets its own bytes.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("new"), QString()));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("new")), 2);
        QStringList names;
        m_f.store->listPictureNames(2, &names);
        QVERIFY(names.isEmpty());
        const QString dog = writeFile(QStringLiteral("dog.jpg"), JpegFixtures::tagged("dog bytes"));
        QVERIFY(m_f.store->addPicture(2, dog));
        QCOMPARE(m_f.store->findPictureId(2, QStringLiteral("dog")), 2);
        QCOMPARE(m_f.store->pictureData(2), JpegFixtures::tagged("dog bytes"));
        m_f.store->closeStore();
        QVERIFY(!m_f.store->deleteAlbum(QStringLiteral("keep")));
    }

    void extractNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("plain") << "/pics/holiday.jpg" << "holiday" << "jpg";
        QTest::newRow("two dots") << "/pics/a.b.jpg" << "a" << "jpg";
        QTest::newRow("leading dot") << "/pics/.hidden.jpg" << "" << "jpg";
        QTest::newRow("no dot") << "/pics/README" << "README" << "";
        QTest::newRow("ends in a dot") << "/pics/photo." << "photo" << "";
        QTest::newRow("dot in folder") << "/my.pics/photo" << "photo" << "";
        QTest::newRow("blanks") << "/pics/  sea  .  JPG " << "sea" << "JPG";
        QTest::newRow("chinese") << "/相片/长城.JPEG" << "长城" << "JPEG";
    }
    void extractNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(AlbumStore::pictureNameOf(path), name);
        QCOMPARE(AlbumStore::pictureExtensionOf(path), ext);
    }

    void addPicture()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("a"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("b"), QString()));
        const QByteArray bytes = JpegFixtures::make(JpegFixtures::noisy(600, 400), JpegFixtures::Kind::Progressive);
        const QString file = writeFile(QStringLiteral("a.b.JPG"), bytes);
        QVERIFY(m_f.store->addPicture(1, file));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("A")), 1);
        QCOMPARE(m_f.store->pictureData(1), bytes);
        QCOMPARE(m_f.store->pictureName(1), QStringLiteral("a"));
        SqlStatement ext(m_f.store->connection(), QStringLiteral("Select PicExt From PicInfoTable Where PicInfoID = 1"));
        QVERIFY(ext.next());
        QCOMPARE(ext.text(0), QStringLiteral("JPG"));

        // The same name again in the album: refused, nothing added.
        const QString again = writeFile(QStringLiteral("A.jpg"), JpegFixtures::tagged("other"));
        QVERIFY(!m_f.store->addPicture(1, again));
        QCOMPARE(pictureRows(), (QPair<int, int>(1, 1)));
        // Into another album: fine.
        QVERIFY(m_f.store->addPicture(2, again));
        // A file that cannot be read, a folder, an album that does not exist.
        QVERIFY(!m_f.store->addPicture(1, m_f.dir.filePath(QStringLiteral("missing.jpg"))));
        QVERIFY(!m_f.store->addPicture(1, m_f.dir.path()));
        QVERIFY(!m_f.store->addPicture(1, writeFile(QStringLiteral("empty.jpg"), QByteArray())));
        QVERIFY(!m_f.store->addPicture(-1, writeFile(QStringLiteral("orphan.jpg"), JpegFixtures::tagged("x"))));
        QCOMPARE(pictureRows(), (QPair<int, int>(2, 2)));
        // Nor is anything stored that the viewer could not show, whatever
        // its name: another format, a JPEG of 12 bits.
        AlbumStore::PictureFailure failure;
        QVERIFY(!m_f.store->addPicture(1, writeFile(QStringLiteral("bmp.jpg"), JpegFixtures::notAPicture()),
                                       &failure));
        QCOMPARE(failure.kind, AlbumStore::PictureFailure::NotAPicture);
        QVERIFY2(failure.detail.contains(QStringLiteral("JPEG error #53")), qPrintable(failure.detail));
        QCOMPARE(pictureRows(), (QPair<int, int>(2, 2)));
        QCOMPARE(m_f.store->pictureName(99), QString());
    }

    void addPictureLeavesNothingOnAStoreError()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("a"), QString()));
        // The second insert fails inside the store.
        m_f.store->connection().execFixed("CREATE TRIGGER fail BEFORE INSERT ON PicTable BEGIN SELECT RAISE(ABORT, 'disk'); END");
        QVERIFY(!m_f.store->addPicture(1, writeFile(QStringLiteral("p.jpg"), JpegFixtures::tagged("p"))));
        QCOMPARE(pictureRows(), (QPair<int, int>(0, 0)));
        m_f.store->connection().execFixed("DROP TRIGGER fail");
        QVERIFY(m_f.store->addPicture(1, writeFile(QStringLiteral("p.jpg"), JpegFixtures::tagged("p"))));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("p")), 1);
    }

    void renameDeleteAndList()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("a"), QString()));
        for (const char *name : {"cat.jpg", "dog.jpg", "O'Brien.jpg"})
            QVERIFY(m_f.store->addPicture(1, writeFile(QString::fromLatin1(name), JpegFixtures::tagged(name))));
        QStringList list;
        m_f.store->listPictureNames(1, &list);
        QCOMPARE(list, (QStringList{QStringLiteral("cat"), QStringLiteral("dog"), QStringLiteral("O'Brien")}));
        m_f.store->listPictureIds(1, &list);
        QCOMPARE(list, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        m_f.store->listPictureNames(-1, &list);
        QVERIFY(list.isEmpty());

        QVERIFY(m_f.store->renamePicture(1, QStringLiteral("CAT"), QStringLiteral("kitten")));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("kitten")), 1);
        QVERIFY(!m_f.store->renamePicture(1, QStringLiteral("kitten"), QStringLiteral("DOG")));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("kitten")), 1);
        QVERIFY(m_f.store->renamePicture(1, QStringLiteral("kitten"), QStringLiteral("Kitten")));
        QCOMPARE(m_f.store->pictureName(1), QStringLiteral("Kitten"));
        QVERIFY(m_f.store->renamePicture(1, QStringLiteral("nobody"), QStringLiteral("x")));
        QVERIFY(!m_f.store->renamePicture(1, QStringLiteral("Kitten"), QStringLiteral("\u2066Kitten\u2069")));
        QCOMPARE(m_f.store->pictureName(1), QStringLiteral("Kitten"));

        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("nobody")));
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("o'brien")));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("O'Brien")), -1);
        QCOMPARE(pictureRows(), (QPair<int, int>(2, 2)));

        m_f.store->closeStore();
        QVERIFY(!m_f.store->deletePicture(1, QStringLiteral("dog")));
        QVERIFY(!m_f.store->renamePicture(1, QStringLiteral("dog"), QStringLiteral("x")));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("dog")), -1);
        list = QStringList{QStringLiteral("stale")};
        m_f.store->listPictureNames(1, &list);
        QVERIFY(list.isEmpty());
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->pictureName(1));
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_f.dir.filePath(name);
        if (!TestStore::writeFile(path, bytes))
            QTest::qFail("cannot write a fixture", __FILE__, __LINE__);
        return path;
    }

    QStringList albumNames()
    {
        QStringList list;
        m_f.store->listAlbums(&list);
        return list;
    }

    QPair<int, int> pictureRows()
    {
        auto count = [this](const char *sql) {
            SqlStatement q(m_f.store->connection(), QString::fromLatin1(sql));
            q.next();
            return int(q.int64(0));
        };
        return {count("Select count(*) From PicInfoTable"), count("Select count(*) From PicTable")};
    }

    TestStore::Fixture m_f;
};

QTEST_GUILESS_MAIN(TestAlbums)
#include "test_albums.moc"
