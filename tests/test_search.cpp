// The search bar: its checks, the exact match, protected albums, and what
// the viewer shows afterwards.

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
        QTRY_VERIFY(m_form->searchPanel->isVisible());
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void barLayout()
    {
        QCOMPARE(m_form->searchBar->size(), QSize(288, 18));
        QCOMPARE(m_form->searchBar->y(), 5);
        QCOMPARE(m_form->searchBar->geometry().right() + 1, m_form->searchPanel->width() - 5);
        m_form->resize(m_form->width() + 123, m_form->height());
        QTRY_COMPARE(m_form->searchBar->geometry().right() + 1, m_form->searchPanel->width() - 5);
        QCOMPARE(m_form->searchAlbumChooser->geometry(), QRect(22, 0, 120, 18));
        QCOMPARE(m_form->searchNameEdit->size(), QSize(121, 17));
        QCOMPARE(m_form->searchButton->size(), QSize(20, 18));
        QCOMPARE(m_form->searchNameEdit->text(), QStringLiteral("关键词"));
        QCOMPARE(m_form->searchAlbumChooser->currentText(), QStringLiteral("<选择相册>"));
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
        m_form->searchNameEdit->setText(keyword);
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("搜索条件不足!")}}));
        QVERIFY(m_form->pictureView->picture().isNull());
    }

    void exactMatchIgnoringCase()
    {
        choose(QStringLiteral("open"));
        m_form->searchNameEdit->setText(QStringLiteral("   "));
        m_form->searchButton->click(); // blanks pass the checks and find nothing
        FormFixture::settle(*m_form);
        QVERIFY(m_form->pictureView->picture().isNull());
        m_form->searchNameEdit->setText(QStringLiteral("bi"));
        m_form->searchButton->click(); // no partial match
        FormFixture::settle(*m_form);
        QVERIFY(m_form->pictureView->picture().isNull());
        m_form->searchNameEdit->setText(QStringLiteral(" big "));
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_form->pictureView->pictureSize(), QSize(900, 700));
        QCOMPARE(m_form->loadedPicture.size(), QSize(900, 700));
        QCOMPARE(m_form->pictureView->geometry(), QRect(40, 0, m_form->viewer->width() - 80, m_form->viewer->height()));
        // The found picture becomes the tree's selection, its album opened,
        // so that every picture command acts on what is on screen.
        QCOMPARE(m_form->albumTree->currentItem(), albumNode(*m_form, "open")->child(3));
        QVERIFY(albumNode(*m_form, "open")->isExpanded());
        QCOMPARE(m_form->currentAlbumNode, albumNode(*m_form, "open"));
        m_form->zoomIn();
        QCOMPARE(m_form->pictureView->pictureSize(), m_form->pictureView->size());
        // A name the album does not hold leaves the picture shown.
        const QImage shown = m_form->pictureView->picture();
        m_form->searchNameEdit->setText(QStringLiteral("nothing"));
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_form->pictureView->picture(), shown);
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void zoomedViewerIsNotRefitted()
    {
        m_form->albumTree->setCurrentItem(albumNode(*m_form, "open")->child(0));
        FormFixture::settle(*m_form);
        m_form->zoomIn();
        const QSize zoomed = m_form->pictureView->size();
        choose(QStringLiteral("open"));
        m_form->searchNameEdit->setText(QStringLiteral("Big"));
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QVERIFY(m_form->zoomed);
        QCOMPARE(m_form->pictureView->size(), zoomed);
        QCOMPARE(m_form->pictureView->pictureSize(), QSize(900, 700));
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
        m_form->searchNameEdit->setText(QStringLiteral("hidden"));
        m_f.prompts->queuePassword(answer);
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QCOMPARE(!m_form->pictureView->picture().isNull(), shown);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->messages, expected);
        // The password given once opens the album without a second prompt.
        QCOMPARE(albumNode(*m_form, "secret")->isExpanded(), shown);
        QCOMPARE(m_form->albumTree->currentItem() == albumNode(*m_form, "secret")->child(0), shown);
    }

    void notAJpegIsReported()
    {
        m_form->albumTree->setCurrentItem(albumNode(*m_form, "open")->child(0));
        FormFixture::settle(*m_form);
        const QImage before = m_form->loadedPicture;
        const QSize size = m_form->pictureView->size();
        choose(QStringLiteral("open"));
        m_form->searchNameEdit->setText(QStringLiteral("bmp"));
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)")}}));
        QCOMPARE(m_form->loadedPicture, before);
        QCOMPARE(m_form->pictureView->size(), size);
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

        QTreeWidgetItem *startNode = FormFixture::pictureNode(*m_form, startAlbum, start);
        m_form->albumTree->setCurrentItem(startNode);
        FormFixture::settle(*m_form);
        // Its neighbours decoded ahead, as a user who pauses would have them.
        const QString neighbour = start == QLatin1String("cat") ? QStringLiteral("dog") : QStringLiteral("cat");
        const int neighbourId = store.findPictureId(startAlbumId, neighbour);
        QTRY_VERIFY(!m_form->picturePrefetch()->findData(neighbourId).isNull());

        choose(foundAlbum);
        m_form->searchNameEdit->setText(found);
        m_form->searchButton->click();
        FormFixture::settle(*m_form);
        QTRY_COMPARE(m_form->pictureView->pictureSize(), foundPicture.size());
        QTreeWidgetItem *foundNode = FormFixture::pictureNode(*m_form, foundAlbum, found);
        QCOMPARE(m_form->albumTree->currentItem(), foundNode);

        if (command == QLatin1String("delete")) {
            m_f.prompts->queueYesNo(IdYes);
            m_form->deleteButton->click();
            QCOMPARE(store.findPictureId(foundAlbumId, found), -1);
            QVERIFY(store.findPictureId(startAlbumId, start) != -1);
            m_f.prompts->messages.removeFirst(); // the question
        } else if (command == QLatin1String("rename")) {
            m_form->action("renamePictureAction")->trigger();
            auto *editor = m_form->albumTree->findChild<QLineEdit *>();
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
            m_form->saveButton->click();
            const QImage saved = JpegCodec::decode(TestStore::readFile(folder + QStringLiteral("/saved.jpg")));
            QVERIFY(JpegFixtures::meanDifference(saved, foundPicture) < 8);
        } else {
            const bool next = command == QLatin1String("next");
            QTreeWidgetItem *step = next ? MainWindow::nextNode(foundNode) : MainWindow::previousNode(foundNode);
            (next ? m_form->nextButton : m_form->previousButton)->click();
            QCOMPARE(m_form->albumTree->currentItem(), step ? step : foundNode); // none after the last
        }
        QCOMPARE(m_f.prompts->messages, QList<PromptRecord>{});
    }

    void theSelectionShowsWithoutTheFocus()
    {
        const QPalette palette = m_form->albumTree->palette();
        QVERIFY(palette.color(QPalette::Inactive, QPalette::Highlight)
                != palette.color(QPalette::Inactive, QPalette::Base));
    }

    void openingTheListResetsTheChoice()
    {
        choose(QStringLiteral("open"));
        m_form->refillSearchAlbums();
        QCOMPARE(m_form->searchAlbumChooser->currentIndex(), 0);
        QCOMPARE(m_form->searchAlbumChooser->count(), 6);
    }

private:
    void choose(const QString &album)
    {
        m_form->refillSearchAlbums();
        m_form->searchAlbumChooser->setCurrentIndex(m_form->searchAlbumChooser->findText(album));
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
