// Album and picture records: every operation's result and failure value,
// and the all-or-nothing import of one file.

#include "ConnectionString.h"
#include "PicDMUnit.h"
#include "ScriptedPrompts.h"
#include "SqlDb.h"
#include "TestStore.h"

#include <QTemporaryDir>
#include <QTest>

class TestAlbums : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
    }
    void cleanup()
    {
        QCOMPARE(m_f.prompts->Messages.size(), 0);
        m_f.Teardown();
    }

    void listAlbums()
    {
        QStringList list{QStringLiteral("stale")};
        m_f.dm->ListAlbums(&list);
        QVERIFY(list.isEmpty());
        m_f.dm->ListAlbums(nullptr); // no list: nothing happens
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("b"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("家庭"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("a"), QString()));
        m_f.dm->ListAlbums(&list);
        QCOMPARE(list, (QStringList{QStringLiteral("b"), QStringLiteral("家庭"), QStringLiteral("a")}));
        // A store error is passed on and the list is left as it was.
        m_f.dm->CloseStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.dm->ListAlbums(&list));
        QCOMPARE(list.size(), 3);
    }

    void addAndFindAlbums()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("  Trip  "), QStringLiteral(" 12 ")));
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("Trip")), 1);
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("TRIP")), 1);
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("Trip ")), -1);
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("O'Brien")), -1);
        QVERIFY(m_f.dm->AlbumHasPassword(QStringLiteral("trip")));
        QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("Trip"), QStringLiteral("12")));
        QVERIFY(!m_f.dm->CheckAlbumPassword(QStringLiteral("Trip"), QStringLiteral(" 12 ")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("O'Brien"), QString()));
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("o'brien")), 2);
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("O'Brien")));
        m_f.dm->CloseStore();
        QVERIFY(!m_f.dm->AddAlbum(QStringLiteral("x"), QString()));
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("Trip")), -1);
    }

    void passwords()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("secret"), QStringLiteral("Abc")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("secret"), QStringLiteral("aBC")));
        QVERIFY(!m_f.dm->CheckAlbumPassword(QStringLiteral("secret"), QStringLiteral("xyz")));
        QVERIFY(!m_f.dm->CheckAlbumPassword(QStringLiteral("nobody"), QStringLiteral("xyz")));
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("open")));
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("nobody")));

        QVERIFY(m_f.dm->SetAlbumPassword(QStringLiteral("open"), QStringLiteral("   ")));
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("open")));
        QVERIFY(m_f.dm->SetAlbumPassword(QStringLiteral("OPEN"), QStringLiteral(" 密码 ")));
        QVERIFY(m_f.dm->CheckAlbumPassword(QStringLiteral("open"), QStringLiteral("密码")));
        QVERIFY(m_f.dm->SetAlbumPassword(QStringLiteral("secret"), QString()));
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("secret")));
        QVERIFY(!m_f.dm->SetAlbumPassword(QStringLiteral("nobody"), QStringLiteral("x")));
        QCOMPARE(m_f.dm->CountWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicPass"), QStringLiteral("x")), 0);

        // A stored password of blanks only leaves the album unprotected.
        SqlStatement(m_f.dm->Db(), QStringLiteral("Update PicLibTable Set PicPass = '   ' Where PicLibName = 'other'")).exec();
        QVERIFY(!m_f.dm->AlbumHasPassword(QStringLiteral("other")));

        m_f.dm->CloseStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.dm->AlbumHasPassword(QStringLiteral("open")));
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.dm->SetAlbumPassword(QStringLiteral("open"), QString()));
        QVERIFY(!m_f.dm->CheckAlbumPassword(QStringLiteral("open"), QStringLiteral("密码")));
    }

    void deleteAlbumTakesItsPictures()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("keep"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("gone"), QString()));
        const QString file = writeFile(QStringLiteral("cat.jpg"), "cat bytes");
        QVERIFY(m_f.dm->AddPicture(1, file));
        QVERIFY(m_f.dm->AddPicture(2, file));
        QVERIFY(m_f.dm->DeleteAlbum(QStringLiteral("nobody")));
        QCOMPARE(albumNames(), (QStringList{QStringLiteral("keep"), QStringLiteral("gone")}));
        QVERIFY(m_f.dm->DeleteAlbum(QStringLiteral("GONE")));
        QCOMPARE(albumNames(), QStringList{QStringLiteral("keep")});
        // The reused id starts empty; the picture id of the deleted picture
        // gets its own bytes.
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("new"), QString()));
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("new")), 2);
        QStringList names;
        m_f.dm->ListPictureNames(2, &names);
        QVERIFY(names.isEmpty());
        const QString dog = writeFile(QStringLiteral("dog.jpg"), "dog bytes");
        QVERIFY(m_f.dm->AddPicture(2, dog));
        QCOMPARE(m_f.dm->FindPictureId(2, QStringLiteral("dog")), 2);
        QCOMPARE(m_f.dm->PictureData(2), QByteArray("dog bytes"));
        m_f.dm->CloseStore();
        QVERIFY(!m_f.dm->DeleteAlbum(QStringLiteral("keep")));
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
        QCOMPARE(TPicDM::ExtractPicName(path), name);
        QCOMPARE(TPicDM::ExtractPicExt(path), ext);
    }

    void addPicture()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("a"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("b"), QString()));
        QByteArray bytes(300000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i % 251);
        const QString file = writeFile(QStringLiteral("a.b.JPG"), bytes);
        QVERIFY(m_f.dm->AddPicture(1, file));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("A")), 1);
        QCOMPARE(m_f.dm->PictureData(1), bytes);
        QCOMPARE(m_f.dm->GetPictureName(1), QStringLiteral("a"));
        SqlStatement ext(m_f.dm->Db(), QStringLiteral("Select PicExt From PicInfoTable Where PicInfoID = 1"));
        QVERIFY(ext.next());
        QCOMPARE(ext.text(0), QStringLiteral("JPG"));

        // The same name again in the album: refused, nothing added.
        const QString again = writeFile(QStringLiteral("A.jpg"), "other");
        QVERIFY(!m_f.dm->AddPicture(1, again));
        QCOMPARE(pictureRows(), (QPair<int, int>(1, 1)));
        // Into another album: fine.
        QVERIFY(m_f.dm->AddPicture(2, again));
        // A file that cannot be read, a folder, an album that does not exist.
        QVERIFY(!m_f.dm->AddPicture(1, m_f.dir.filePath(QStringLiteral("missing.jpg"))));
        QVERIFY(!m_f.dm->AddPicture(1, m_f.dir.path()));
        QVERIFY(!m_f.dm->AddPicture(1, writeFile(QStringLiteral("empty.jpg"), QByteArray())));
        QVERIFY(!m_f.dm->AddPicture(-1, writeFile(QStringLiteral("orphan.jpg"), "x")));
        QCOMPARE(pictureRows(), (QPair<int, int>(2, 2)));
        QCOMPARE(m_f.dm->GetPictureName(99), QString());
    }

    void addPictureLeavesNothingOnAStoreError()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("a"), QString()));
        // The second insert fails inside the store.
        m_f.dm->Db().execFixed("CREATE TRIGGER fail BEFORE INSERT ON PicTable BEGIN SELECT RAISE(ABORT, 'disk'); END");
        QVERIFY(!m_f.dm->AddPicture(1, writeFile(QStringLiteral("p.jpg"), "p")));
        QCOMPARE(pictureRows(), (QPair<int, int>(0, 0)));
        m_f.dm->Db().execFixed("DROP TRIGGER fail");
        QVERIFY(m_f.dm->AddPicture(1, writeFile(QStringLiteral("p.jpg"), "p")));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("p")), 1);
    }

    void renameDeleteAndList()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("a"), QString()));
        for (const char *name : {"cat.jpg", "dog.jpg", "O'Brien.jpg"})
            QVERIFY(m_f.dm->AddPicture(1, writeFile(QString::fromLatin1(name), name)));
        QStringList list;
        m_f.dm->ListPictureNames(1, &list);
        QCOMPARE(list, (QStringList{QStringLiteral("cat"), QStringLiteral("dog"), QStringLiteral("O'Brien")}));
        m_f.dm->ListPictureIds(1, &list);
        QCOMPARE(list, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        m_f.dm->ListPictureNames(-1, &list);
        QVERIFY(list.isEmpty());

        QVERIFY(m_f.dm->RenamePicture(1, QStringLiteral("CAT"), QStringLiteral("kitten")));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("kitten")), 1);
        QVERIFY(!m_f.dm->RenamePicture(1, QStringLiteral("kitten"), QStringLiteral("DOG")));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("kitten")), 1);
        QVERIFY(m_f.dm->RenamePicture(1, QStringLiteral("kitten"), QStringLiteral("Kitten")));
        QCOMPARE(m_f.dm->GetPictureName(1), QStringLiteral("Kitten"));
        QVERIFY(m_f.dm->RenamePicture(1, QStringLiteral("nobody"), QStringLiteral("x")));

        QVERIFY(m_f.dm->DeletePicture(1, QStringLiteral("nobody")));
        QVERIFY(m_f.dm->DeletePicture(1, QStringLiteral("o'brien")));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("O'Brien")), -1);
        QCOMPARE(pictureRows(), (QPair<int, int>(2, 2)));

        m_f.dm->CloseStore();
        QVERIFY(!m_f.dm->DeletePicture(1, QStringLiteral("dog")));
        QVERIFY(!m_f.dm->RenamePicture(1, QStringLiteral("dog"), QStringLiteral("x")));
        QCOMPARE(m_f.dm->FindPictureId(1, QStringLiteral("dog")), -1);
        list = QStringList{QStringLiteral("stale")};
        m_f.dm->ListPictureNames(1, &list);
        QVERIFY(list.isEmpty());
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.dm->GetPictureName(1));
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_f.dir.filePath(name);
        if (!TestStore::WriteFile(path, bytes))
            QTest::qFail("cannot write a fixture", __FILE__, __LINE__);
        return path;
    }

    QStringList albumNames()
    {
        QStringList list;
        m_f.dm->ListAlbums(&list);
        return list;
    }

    QPair<int, int> pictureRows()
    {
        auto count = [this](const char *sql) {
            SqlStatement q(m_f.dm->Db(), QString::fromLatin1(sql));
            q.next();
            return int(q.int64(0));
        };
        return {count("Select count(*) From PicInfoTable"), count("Select count(*) From PicTable")};
    }

    TestStore::Fixture m_f;
};

QTEST_GUILESS_MAIN(TestAlbums)
#include "test_albums.moc"
