// The album tree: filling, node images, password-guarded expansion, showing
// the selected picture, rename in place and refresh.

#include "Artwork.h"
#include "FormFixture.h"
#include "JpegFixtures.h"
#include "MainWindow.h"
#include "AlbumStore.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using JpegFixtures::Kind;
using Level = MainWindow::NodeLevel;

class TestAlbumTree : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
    }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void emptyStore()
    {
        openForm();
        QCOMPARE(m_form->albumTree->topLevelItemCount(), 1);
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("所有相册"));
        QCOMPARE(root->childCount(), 0);
        QCOMPARE(MainWindow::imageIndex(root), 0);
        QCOMPARE(MainWindow::levelOf(root), Level::Root);
    }

    void fillsEveryAlbumAndPicture()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        QCOMPARE(texts(root), (QStringList{"open", "secret", "other", "empty"}));
        QCOMPARE(texts(album("open")), (QStringList{"cat", "dog", "bmp"}));
        QCOMPARE(texts(album("secret")), QStringList{"hidden"});
        QVERIFY(!root->isExpanded());
        for (int i = 0; i < root->childCount(); ++i) {
            QVERIFY(!root->child(i)->isExpanded());
            QCOMPARE(MainWindow::imageIndex(root->child(i)), 2);
            QCOMPARE(MainWindow::levelOf(root->child(i)), Level::Album);
        }
        QCOMPARE(MainWindow::imageIndex(album("open")->child(0)), 4);
        QCOMPARE(MainWindow::levelOf(album("open")->child(0)), Level::Picture);
        QVERIFY(m_form->albumTree->selectedItems().isEmpty());
        QCOMPARE(m_f.prompts->messages.size(), 0);

        m_form->albumTree->expandItem(root);
        QCOMPARE(MainWindow::imageIndex(root), 1);
        m_form->albumTree->expandItem(album("open"));
        QCOMPARE(MainWindow::imageIndex(album("open")), 3);
        m_form->albumTree->collapseItem(album("open"));
        QCOMPARE(MainWindow::imageIndex(album("open")), 2);
        m_form->albumTree->collapseItem(root);
        QCOMPARE(MainWindow::imageIndex(root), 0);

        m_form->addAlbumNode(QStringLiteral("new"));
        QCOMPARE(root->child(4)->text(0), QStringLiteral("new"));
        QCOMPARE(MainWindow::imageIndex(root->child(4)), 2);
        QVERIFY(!root->child(4)->isExpanded());
    }

    void protectedAlbumExpansion_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("expanded");
        QTest::addColumn<bool>("refused");
        QTest::newRow("right password") << "Pw1" << true << false;
        QTest::newRow("right password, other case and blanks") << "  pW1 " << true << false;
        QTest::newRow("wrong password") << "nope" << false << true;
        QTest::newRow("another album's password") << "xyz" << false << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("blanks only") << "   " << false << false;
    }
    void protectedAlbumExpansion()
    {
        QFETCH(QString, answer);
        QFETCH(bool, expanded);
        QFETCH(bool, refused);
        makeAlbums();
        openForm();
        QTreeWidgetItem *node = album("secret");
        m_f.prompts->queuePassword(answer);
        m_form->albumTree->expandItem(node);
        QCOMPARE(node->isExpanded(), expanded);
        QCOMPARE(MainWindow::imageIndex(node), expanded ? 3 : 2);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->messages, expected);

        // Collapsing needs no password; expanding again asks again.
        m_form->albumTree->collapseItem(node);
        QVERIFY(!node->isExpanded());
        m_f.prompts->queuePassword(QString());
        m_form->albumTree->expandItem(node);
        QVERIFY(!node->isExpanded());
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
    }

    void reachingAProtectedAlbumByKeyEmptiesTheViewerFirst()
    {
        makeAlbums();
        openForm();
        m_form->albumTree->expandItem(m_form->albumTree->topLevelItem(0));
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        m_form->albumTree->expandItem(album("secret"));
        select(album("secret")->child(0)); // hidden, shown
        QVERIFY(!m_form->pictureView->picture().isNull());
        bool emptyWhenAsked = false;
        m_f.prompts->whenAsked = [&] { emptyWhenAsked = m_form->pictureView->picture().isNull(); };
        m_f.prompts->queuePassword(QString());
        m_form->albumTree->setFocus();
        QTest::keyClick(m_form->albumTree, Qt::Key_Down); // other, protected
        QCOMPARE(m_form->albumTree->currentItem(), album("other"));
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
        QVERIFY(emptyWhenAsked);
        m_f.prompts->whenAsked = nullptr;
    }

    void expandAllKeepsTheImagesTrue()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        select(root);
        // '*' opens everything below; both protected albums are refused.
        m_f.prompts->queuePassword(QString());
        m_f.prompts->queuePassword(QStringLiteral("wrong"));
        m_form->albumTree->setFocus();
        QTest::keyClick(m_form->albumTree, Qt::Key_Asterisk);
        QTRY_COMPARE(m_f.prompts->pendingAnswers(), 0);
        QVERIFY(album("open")->isExpanded());
        QVERIFY(!album("secret")->isExpanded());
        QVERIFY(!album("other")->isExpanded());
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem *node = root->child(i);
            const bool open = node->isExpanded() && node->childCount() > 0;
            QVERIFY2(MainWindow::imageIndex(node) == (open ? 3 : 2), qPrintable(node->text(0)));
        }
    }

    void treeDrawsLinesAndUntintedSelectedImages()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        m_form->albumTree->expandItem(root);
        select(album("empty"));
        // A selected node's image is the image itself.
        const QIcon icon = album("empty")->icon(0);
        QCOMPARE(icon.pixmap(16, 16, QIcon::Selected).toImage(), icon.pixmap(16, 16, QIcon::Normal).toImage());
        // Lines join the albums under the root: from the first album down to
        // the last, the middle of the albums' branch column is drawn over
        // (dotted) on most of its height, not only at the expand buttons.
        m_form->albumTree->setStyleSheet(Artwork::styleSheet());
        const QImage tree = m_form->albumTree->viewport()->grab().toImage();
        const QRect first = m_form->albumTree->visualItemRect(album("open"));
        const QRect last = m_form->albumTree->visualItemRect(album("empty"));
        const int middle = m_form->albumTree->indentation() * 3 / 2;
        int drawn = 0;
        for (int y = first.top(); y < last.center().y(); y += 2) {
            bool ink = false;
            for (int x = middle - 2; x <= middle + 2; ++x)
                ink = ink || qGray(tree.pixel(x, y)) < 220 || qGray(tree.pixel(x, y + 1)) < 220;
            drawn += ink ? 1 : 0;
        }
        const int rows = (last.center().y() - first.top()) / 2;
        QVERIFY2(drawn > rows * 8 / 10, qPrintable(QStringLiteral("line on %1 of %2").arg(drawn).arg(rows)));
    }

    void clickingAProtectedAlbumSelectsItAndAsks()
    {
        makeAlbums();
        openForm();
        m_form->albumTree->expandItem(m_form->albumTree->topLevelItem(0));
        select(album("open")->child(0)); // a picture is shown first
        m_form->albumTree->expandItem(album("open"));
        QVERIFY(!m_form->pictureView->picture().isNull());
        QTreeWidgetItem *node = album("secret");
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        const QRect rect = m_form->albumTree->visualItemRect(node);
        QTest::mouseClick(m_form->albumTree->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(m_form->albumTree->currentItem(), node);
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->currentAlbumNode == nullptr);
        QVERIFY(node->isExpanded());
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
    }

    void selectionShowsWhatItShows()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *cat = album("open")->child(0);
        select(cat);
        QCOMPARE(m_form->pictureView->pictureSize(), QSize(64, 48));
        QCOMPARE(m_form->currentAlbumNode, album("open"));
        const QImage shown = m_form->loadedPicture;

        select(album("empty"));
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->currentAlbumNode == nullptr);
        select(m_form->albumTree->topLevelItem(0));
        QVERIFY(m_form->pictureView->picture().isNull());

        // Data that are not a JPEG: the decoder's error, an empty viewer, and
        // loadedPicture as it was.
        select(album("open")->child(2));
        const QList<PromptRecord> expected = {
            {PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)")}};
        QCOMPARE(m_f.prompts->messages, expected);
        QVERIFY(m_form->pictureView->picture().isNull());
        QCOMPARE(m_form->loadedPicture, shown);

        // A picture no longer in the store: nothing shown, nothing said.
        QVERIFY(m_f.store->deletePicture(m_f.store->findAlbumId(QStringLiteral("open")), QStringLiteral("dog")));
        select(album("open")->child(1));
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->loadedPicture.isNull());
        QCOMPARE(m_f.prompts->messages.size(), 1);
    }

    void collapsingMovesTheSelectionUp()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        QTreeWidgetItem *open = album("open");
        select(open->child(0));
        QTRY_VERIFY(!m_form->pictureView->picture().isNull());
        m_form->albumTree->collapseItem(open);
        QCOMPARE(m_form->albumTree->currentItem(), open);
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->currentAlbumNode == nullptr);
        QVERIFY(!open->isExpanded());
        // Rename now says what it always says without a picture.
        m_form->renameSelectedPicture();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择一张图片")}}));

        // Collapsing the root takes a selection below it to the root; a
        // protected album then stays shut.
        m_form->albumTree->expandItem(root);
        select(open->child(1));
        m_form->albumTree->collapseItem(root);
        QCOMPARE(m_form->albumTree->currentItem(), root);
        QVERIFY(m_form->pictureView->picture().isNull());

        // Collapsing another album leaves the selection alone.
        m_form->albumTree->expandItem(root);
        select(open->child(1));
        m_form->albumTree->expandItem(album("empty"));
        m_form->albumTree->collapseItem(album("empty"));
        QCOMPARE(m_form->albumTree->currentItem(), open->child(1));
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("warning");
        QTest::newRow("stored") << "kitten" << "kitten" << "kitten" << "";
        QTest::newRow("trimmed") << "  kitten " << "kitten" << "kitten" << "";
        QTest::newRow("other case") << "CAT" << "CAT" << "CAT" << "";
        QTest::newRow("name of another picture") << "Dog" << "cat" << "cat" << "该相册中已有同名的图片,请换一个名称!";
        QTest::newRow("empty") << "  " << "cat" << "cat" << "图片名称不能为空!";
        QTest::newRow("slash") << "a/b" << "cat" << "cat" << "图片名称不能包含字符\"/\"!";
        QTest::newRow("direction override") << QStringLiteral("\u202Etac") << "cat" << "cat"
                                            << "图片名称不能包含控制字符或文字方向控制字符!";
    }
    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, label);
        QFETCH(QString, stored);
        QFETCH(QString, warning);
        makeAlbums();
        openForm();
        QTreeWidgetItem *cat = album("open")->child(0);
        select(cat);
        QLineEdit *editor = startEdit(cat);
        QCOMPARE(m_form->oldPictureName, QStringLiteral("cat"));
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!(cat->flags() & Qt::ItemIsEditable));
        QCOMPARE(cat->text(0), label);
        const int albumId = m_f.store->findAlbumId(QStringLiteral("open"));
        QStringList names;
        m_f.store->listPictureNames(albumId, &names);
        QCOMPARE(names.first(), stored);
        if (warning.isEmpty())
            QCOMPARE(m_f.prompts->messages.size(), 0);
        else
            QCOMPARE(m_f.prompts->messages,
                     (QList<PromptRecord>{{PromptKind::Warning, QStringLiteral("警告"), warning}}));
        QVERIFY(!(cat->flags() & Qt::ItemIsEditable));
    }

    void renameCancelledStoresNothing()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *cat = album("open")->child(0);
        select(cat);
        QLineEdit *editor = startEdit(cat);
        editor->setText(QStringLiteral("kitten"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!m_form->albumTree->findChild<QLineEdit *>());
        QCOMPARE(cat->text(0), QStringLiteral("cat"));
        QCOMPARE(m_f.store->findPictureId(m_f.store->findAlbumId(QStringLiteral("open")), QStringLiteral("cat")), 1);
        // Afterwards no label can be edited by clicking it.
        QVERIFY(!(cat->flags() & Qt::ItemIsEditable));
        const QRect rect = m_form->albumTree->visualItemRect(cat);
        QTest::mouseDClick(m_form->albumTree->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(!m_form->albumTree->findChild<QLineEdit *>());
        QCOMPARE(m_f.prompts->messages.size(), 0);
        // F2 is the rename command's own key.
        QTest::keyClick(m_form->albumTree, Qt::Key_F2);
        QTRY_VERIFY(m_form->albumTree->findChild<QLineEdit *>());
    }

    void refresh()
    {
        makeAlbums();
        openForm();
        m_form->albumTree->expandItem(m_form->albumTree->topLevelItem(0));
        select(album("open")->child(0));
        m_form->albumTree->expandItem(album("open"));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("later"), QString()));
        m_form->refreshTree();
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        QVERIFY(!root->isExpanded());
        QCOMPARE(root->childCount(), 5);
        QVERIFY(!album("open")->isExpanded());
        QVERIFY(m_form->albumTree->currentItem() == nullptr);
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->currentAlbumNode == nullptr);

        // A store error while filling: told as any error, the root stays.
        m_f.store->closeStore();
        m_form->refreshTree();
        QCOMPARE(m_form->albumTree->topLevelItemCount(), 1);
        QCOMPARE(m_form->albumTree->topLevelItem(0)->childCount(), 0);
        // In Chinese, with the engine's text only as a detail.
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("Quilbo 2009"),
                                       QStringLiteral("相册库没有打开!\n(详细信息: the album store is not open)")}}));
    }

private:
    void makeAlbums()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("empty"), QString()));
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(64, 48), Kind::Baseline);
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("cat"), jpeg);
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("dog"), jpeg);
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("bmp"), JpegFixtures::bmp(JpegFixtures::quarters(8, 8)));
        TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("hidden"), jpeg);
        TestStore::addPictureBytes(m_f.dir, 3, QStringLiteral("x"), jpeg);
    }

    void openForm()
    {
        m_f.store->closeStore();
        m_form = std::make_unique<MainWindow>(*m_f.library, m_f.path);
        QVERIFY(m_form->storeOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    QTreeWidgetItem *album(const char *name)
    {
        QTreeWidgetItem *root = m_form->albumTree->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i)
            if (root->child(i)->text(0) == QLatin1String(name))
                return root->child(i);
        return nullptr;
    }

    static QStringList texts(QTreeWidgetItem *node)
    {
        QStringList list;
        for (int i = 0; i < node->childCount(); ++i)
            list.append(node->child(i)->text(0));
        return list;
    }

    void select(QTreeWidgetItem *node)
    {
        m_form->albumTree->setCurrentItem(node);
        FormFixture::settle(*m_form);
    }

    QLineEdit *startEdit(QTreeWidgetItem *node)
    {
        m_form->activateWindow();
        m_form->beginRename(node);
        auto *editor = m_form->albumTree->findChild<QLineEdit *>();
        if (!editor)
            QTest::qFail("no label editor", __FILE__, __LINE__);
        return editor;
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestAlbumTree)
#include "test_albumtree.moc"
