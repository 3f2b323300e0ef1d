// The search bar: its checks, the exact match, protected albums, and what
// the viewer shows afterwards.

#include "AlbumChooser.h"
#include "FormFixture.h"
#include "JpegCodec.h"
#include "Modal.h"
#include "PicturePrefetch.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

using FormFixture::albumNode;

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        FormFixture::makeAlbums(m_f);
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("Big"),
                                   JpegFixtures::make(JpegFixtures::quarters(900, 700), JpegFixtures::Kind::Baseline));
        m_f.store->addAlbum(QStringLiteral("last"), QString());
        TestStore::addPictureBytes(m_f.dir, m_f.store->findAlbumId(QStringLiteral("last")), QStringLiteral("end"),
                                   JpegFixtures::make(JpegFixtures::quarters(40, 30), JpegFixtures::Kind::Baseline));
        m_form = FormFixture::open(m_f);
        m_form->action("searchBarAction")->trigger();
        QTRY_VERIFY(FormFixture::child<QFrame>(*m_form, "searchPanel")->isVisible());
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void barLayout()
    {
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "searchBar")->size(), QSize(288, 18));
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "searchBar")->y(), 5);
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "searchBar")->geometry().right() + 1, FormFixture::child<QFrame>(*m_form, "searchPanel")->width() - 5);
        m_form->resize(m_form->width() + 123, m_form->height());
        QTRY_COMPARE(FormFixture::child<QWidget>(*m_form, "searchBar")->geometry().right() + 1, FormFixture::child<QFrame>(*m_form, "searchPanel")->width() - 5);
        QCOMPARE(FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->geometry(), QRect(22, 0, 120, 18));
        QCOMPARE(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->size(), QSize(121, 17));
        QCOMPARE(FormFixture::child<QToolButton>(*m_form, "searchButton")->size(), QSize(20, 18));
        QCOMPARE(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->text(), QStringLiteral("关键词"));
        QCOMPARE(FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->currentText(), QStringLiteral("<选择相册>"));
    }

    void incompleteInput_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("no album chosen") << "" << "cat";
        QTest::newRow("keyword left as it was") << "open" << "  关键词 ";
        QTest::newRow("keyword emptied") << "open" << "";
    }
    void incompleteInput()
    {
        QFETCH(QString, album);
        QFETCH(QString, keyword);
        if (!album.isEmpty())
            choose(album);
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(keyword);
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("搜索条件不足!")}}));
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
    }

    void exactMatchIgnoringCase()
    {
        choose(QStringLiteral("open"));
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("   "));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click(); // blanks pass the checks and find nothing
        FormFixture::settle(*m_form);
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("bi"));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click(); // no partial match
        FormFixture::settle(*m_form);
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral(" big "));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(900, 700));
        QCOMPARE(FormFixture::viewer(*m_form)->loadedPicture().size(), QSize(900, 700));
        QCOMPARE(FormFixture::view(*m_form)->geometry(), QRect(40, 0, FormFixture::viewer(*m_form)->width() - 80, FormFixture::viewer(*m_form)->height()));
        // The found picture becomes the tree's selection, its album opened,
        // so that every picture command acts on what is on screen.
        QCOMPARE(FormFixture::current(*m_form), FormFixture::child(albumNode(*m_form, "open"), 3));
        QVERIFY(FormFixture::isExpanded(*m_form, albumNode(*m_form, "open")));
        QCOMPARE(FormFixture::current(*m_form).parent(), albumNode(*m_form, "open"));
        FormFixture::viewer(*m_form)->zoomIn();
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), FormFixture::view(*m_form)->size());
        // A name the album does not hold leaves the picture shown.
        const QImage shown = FormFixture::view(*m_form)->picture();
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("nothing"));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QCOMPARE(FormFixture::view(*m_form)->picture(), shown);
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void zoomedViewerIsNotRefitted()
    {
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(albumNode(*m_form, "open"), 0));
        FormFixture::settle(*m_form);
        FormFixture::viewer(*m_form)->zoomIn();
        const QSize zoomed = FormFixture::view(*m_form)->size();
        choose(QStringLiteral("open"));
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("Big"));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->size(), zoomed);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(900, 700));
    }

    void protectedAlbumAsksItsPassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("right") << "PW1" << true << false;
        QTest::newRow("wrong") << "xyz" << false << true;
        QTest::newRow("cancelled") << "" << false << false;
    }
    void protectedAlbumAsksItsPassword()
    {
        QFETCH(QString, answer);
        QFETCH(bool, shown);
        QFETCH(bool, refused);
        choose(QStringLiteral("secret"));
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("hidden"));
        m_f.prompts->queuePassword(answer);
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QCOMPARE(!FormFixture::view(*m_form)->picture().isNull(), shown);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->messages, expected);
        // The password given once opens the album without a second prompt.
        QCOMPARE(FormFixture::isExpanded(*m_form, albumNode(*m_form, "secret")), shown);
        QCOMPARE(FormFixture::current(*m_form) == FormFixture::child(albumNode(*m_form, "secret"), 0), shown);
    }

    void notAJpegIsReported()
    {
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(albumNode(*m_form, "open"), 0));
        FormFixture::settle(*m_form);
        const QImage before = FormFixture::viewer(*m_form)->loadedPicture();
        const QSize size = FormFixture::view(*m_form)->size();
        choose(QStringLiteral("open"));
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("bmp"));
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)")}}));
        QCOMPARE(FormFixture::viewer(*m_form)->loadedPicture(), before);
        QCOMPARE(FormFixture::view(*m_form)->size(), size);
    }

    // Whatever way the found picture reached the screen, every command on
    // the shown picture acts on it, and the tree selects it.
    void searchThenCommand_data()
    {
        QTest::addColumn<QString>("startAlbum");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("foundAlbum");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("command");
        const struct
        {
            const char *name, *startAlbum, *start, *foundAlbum, *found;
        } cases[] = {
            {"neighbour decoded ahead", "open", "cat", "open", "dog"},
            {"two steps away", "open", "dog", "open", "Big"},
            {"another album", "open", "cat", "last", "end"},
        };
        for (const auto &c : cases)
            for (const char *command : {"delete", "rename", "save as", "previous", "next"})
                QTest::addRow("%s, %s", c.name, command)
                    << c.startAlbum << c.start << c.foundAlbum << c.found << QString::fromLatin1(command);
    }
    void searchThenCommand()
    {
        QFETCH(QString, startAlbum);
        QFETCH(QString, start);
        QFETCH(QString, foundAlbum);
        QFETCH(QString, found);
        QFETCH(QString, command);
        AlbumStore &store = *m_f.store;
        const int startAlbumId = store.findAlbumId(startAlbum);
        const int foundAlbumId = store.findAlbumId(foundAlbum);
        const int foundId = store.findPictureId(foundAlbumId, found);
        const QImage foundPicture = JpegCodec::decode(store.pictureData(foundId));

        QModelIndex startNode = FormFixture::pictureNode(*m_form, startAlbum, start);
        FormFixture::tree(*m_form)->setCurrentIndex(startNode);
        FormFixture::settle(*m_form);
        // Its neighbours decoded ahead, as a user who pauses would have them.
        const QString neighbour = start == QLatin1String("cat") ? QStringLiteral("dog") : QStringLiteral("cat");
        const int neighbourId = store.findPictureId(startAlbumId, neighbour);
        QTRY_VERIFY(!FormFixture::viewer(*m_form)->prefetchCache()->findData(neighbourId).isNull());

        choose(foundAlbum);
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(found);
        FormFixture::child<QToolButton>(*m_form, "searchButton")->click();
        FormFixture::settle(*m_form);
        QTRY_COMPARE(FormFixture::view(*m_form)->pictureSize(), foundPicture.size());
        QModelIndex foundNode = FormFixture::pictureNode(*m_form, foundAlbum, found);
        QCOMPARE(FormFixture::current(*m_form), foundNode);

        if (command == QLatin1String("delete")) {
            m_f.prompts->queueYesNo(IdYes);
            FormFixture::child<QToolButton>(*m_form, "deleteButton")->click();
            QCOMPARE(store.findPictureId(foundAlbumId, found), -1);
            QVERIFY(store.findPictureId(startAlbumId, start) != -1);
            m_f.prompts->messages.removeFirst(); // the question
        } else if (command == QLatin1String("rename")) {
            m_form->action("renamePictureAction")->trigger();
            auto *editor = FormFixture::tree(*m_form)->findChild<QLineEdit *>();
            QVERIFY(editor);
            QCOMPARE(editor->text(), found);
            editor->setText(QStringLiteral("renamed"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(store.findPictureId(foundAlbumId, QStringLiteral("renamed")), foundId);
            QVERIFY(store.findPictureId(startAlbumId, start) != -1);
        } else if (command == QLatin1String("save as")) {
            const QString folder = m_f.dir.filePath(QStringLiteral("saved"));
            QVERIFY(QDir().mkpath(folder));
            onNextModal([&](QDialog *d) {
                auto *dialog = qobject_cast<QFileDialog *>(d);
                dialog->setDirectory(folder);
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("saved"));
                d->accept();
            });
            FormFixture::child<QToolButton>(*m_form, "saveButton")->click();
            const QImage saved = JpegCodec::decode(TestStore::readFile(folder + QStringLiteral("/saved.jpg")));
            QVERIFY(JpegFixtures::meanDifference(saved, foundPicture) < 8);
        } else {
            const bool next = command == QLatin1String("next");
            QModelIndex step = next ? AlbumTreeView::nextNode(foundNode) : AlbumTreeView::previousNode(foundNode);
            (next ? FormFixture::child<QToolButton>(*m_form, "nextButton") : FormFixture::child<QToolButton>(*m_form, "previousButton"))->click();
            QCOMPARE(FormFixture::current(*m_form), step.isValid() ? step : foundNode); // none after the last
        }
        QCOMPARE(m_f.prompts->messages, QList<PromptRecord>{});
    }

    void theSelectionShowsWithoutTheFocus()
    {
        const QPalette palette = FormFixture::tree(*m_form)->palette();
        QVERIFY(palette.color(QPalette::Inactive, QPalette::Highlight)
                != palette.color(QPalette::Inactive, QPalette::Base));
    }

    void openingTheListResetsTheChoice()
    {
        choose(QStringLiteral("open"));
        Q_EMIT FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->dropDown();
        QCOMPARE(FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->currentIndex(), 0);
        QCOMPARE(FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->count(), 6);
    }

private:
    void choose(const QString &album)
    {
        Q_EMIT FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->dropDown();
        FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->setCurrentIndex(FormFixture::child<AlbumChooser>(*m_form, "searchAlbumChooser")->findText(album));
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
