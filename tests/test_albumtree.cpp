// The album tree: its model (checked by Qt's own model tester), filling,
// node images, password-guarded expansion, showing the selected picture,
// rename in place, following the library, and refresh.

#include "AlbumLibrary.h"
#include "AlbumTreeModel.h"
#include "AlbumTreeView.h"
#include "Artwork.h"
#include "FormFixture.h"
#include "JpegFixtures.h"
#include "MainWindow.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <optional>

using JpegFixtures::Kind;
using Level = AlbumTreeModel::Level;
using namespace FormFixture;

class TestAlbumTree : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    // The model alone, as Qt's tester sees it, through every change the
    // library announces.
    void modelKeepsItsContract()
    {
        makeAlbums();
        AlbumTreeModel model(*m_f.library);
        // Qt's tester reads the albums' pictures (fetchMore) while it still
        // counts a reset as under way, and takes those reads for changes
        // made within the reset: it watches the model from after each one.
        std::optional<QAbstractItemModelTester> tester;
        const auto reload = [&] {
            tester.reset();
            model.reload();
            tester.emplace(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        };
        reload();
        QCOMPARE(texts(model.rootIndex()), (QStringList{"open", "secret", "other", "empty"}));
        QVERIFY(m_f.library->addAlbum(QStringLiteral("new"), QString()));
        QCOMPARE(texts(model.rootIndex()).last(), QStringLiteral("new"));
        const QString file = m_f.dir.filePath(QStringLiteral("fox.jpg"));
        QVERIFY(TestStore::writeFile(file, JpegFixtures::tagged("fox")));
        QVERIFY(m_f.library->addPicture(QStringLiteral("new"), file));
        QCOMPARE(texts(model.albumIndex(QStringLiteral("new"))), QStringList{"fox"});
        QVERIFY(m_f.library->renamePicture(QStringLiteral("open"), QStringLiteral("cat"), QStringLiteral("kitten")));
        QCOMPARE(texts(model.albumIndex(QStringLiteral("open"))), (QStringList{"kitten", "dog", "bmp"}));
        QVERIFY(m_f.library->deletePicture(QStringLiteral("open"), QStringLiteral("dog")));
        QCOMPARE(texts(model.albumIndex(QStringLiteral("open"))), (QStringList{"kitten", "bmp"}));
        QVERIFY(m_f.library->deleteAlbum(QStringLiteral("empty")));
        QCOMPARE(texts(model.rootIndex()), (QStringList{"open", "secret", "other", "new"}));
        // Renamed through the model: the library refuses a name taken.
        QSignalSpy refused(&model, &AlbumTreeModel::renameRefused);
        QVERIFY(!model.setData(model.pictureIndex(QStringLiteral("open"), QStringLiteral("kitten")), QStringLiteral("BMP")));
        QCOMPARE(refused.count(), 1);
        QVERIFY(model.setData(model.pictureIndex(QStringLiteral("open"), QStringLiteral("kitten")), QStringLiteral(" cat ")));
        QCOMPARE(text(model.pictureIndex(QStringLiteral("open"), QStringLiteral("cat"))), QStringLiteral("cat"));
        reload();
        QCOMPARE(texts(model.albumIndex(QStringLiteral("open"))), (QStringList{"cat", "bmp"}));
    }

    // A library starts without reading any picture name: an album tells
    // whether it holds pictures, and reads them when it is opened or one of
    // its nodes is asked for.
    void albumsAreReadWhenOpened()
    {
        makeAlbums();
        AlbumTreeModel model(*m_f.library);
        model.reload();
        const QModelIndex open = model.albumIndex(QStringLiteral("open"));
        const QModelIndex empty = model.albumIndex(QStringLiteral("empty"));
        QCOMPARE(model.rowCount(open), 0);
        QVERIFY(model.hasChildren(open));
        QVERIFY(!model.hasChildren(empty));
        QVERIFY(model.canFetchMore(open));
        // Pictures added to an album not read yet are read with the rest.
        const QString file = m_f.dir.filePath(QStringLiteral("fox.jpg"));
        QVERIFY(TestStore::writeFile(file, JpegFixtures::tagged("fox")));
        QVERIFY(m_f.library->addPicture(QStringLiteral("empty"), file));
        QVERIFY(model.hasChildren(empty));
        QCOMPARE(model.rowCount(empty), 0);
        model.fetchMore(open);
        QVERIFY(!model.canFetchMore(open));
        QCOMPARE(model.rowCount(open), 3);
        QCOMPARE(text(model.pictureIndex(QStringLiteral("empty"), QStringLiteral("fox"))), QStringLiteral("fox"));
        QCOMPARE(model.rowCount(empty), 1);
        // Opened by the view: read, and shown open.
        model.setExpanded(model.albumIndex(QStringLiteral("other")), true);
        QCOMPARE(model.rowCount(model.albumIndex(QStringLiteral("other"))), 1);
        QCOMPARE(imageIndex(model.albumIndex(QStringLiteral("other"))), 3);
    }

    void emptyStore()
    {
        openForm();
        QCOMPARE(tree(*m_form)->model()->rowCount(), 1);
        const QModelIndex top = root(*m_form);
        QCOMPARE(text(top), QStringLiteral("所有相册"));
        QCOMPARE(childCount(top), 0);
        QCOMPARE(imageIndex(top), 0);
        QCOMPARE(levelOf(top), Level::Root);
    }

    void fillsEveryAlbumAndPicture()
    {
        makeAlbums();
        openForm();
        const QModelIndex top = root(*m_form);
        QCOMPARE(texts(top), (QStringList{"open", "secret", "other", "empty"}));
        QCOMPARE(texts(album("open")), (QStringList{"cat", "dog", "bmp"}));
        QCOMPARE(texts(album("secret")), QStringList{"hidden"});
        QVERIFY(!isExpanded(*m_form, top));
        for (int i = 0; i < childCount(top); ++i) {
            QVERIFY(!isExpanded(*m_form, child(top, i)));
            QCOMPARE(imageIndex(child(top, i)), 2);
            QCOMPARE(levelOf(child(top, i)), Level::Album);
        }
        QCOMPARE(imageIndex(child(album("open"), 0)), 4);
        QCOMPARE(levelOf(child(album("open"), 0)), Level::Picture);
        QVERIFY(tree(*m_form)->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(m_f.prompts->messages.size(), 0);

        expand(*m_form, top);
        QCOMPARE(imageIndex(top), 1);
        expand(*m_form, album("open"));
        QCOMPARE(imageIndex(album("open")), 3);
        collapse(*m_form, album("open"));
        QCOMPARE(imageIndex(album("open")), 2);
        collapse(*m_form, top);
        QCOMPARE(imageIndex(top), 0);

        // A new album joins the tree at its end, closed.
        QVERIFY(m_f.library->addAlbum(QStringLiteral("new"), QString()));
        QCOMPARE(text(child(top, 4)), QStringLiteral("new"));
        QCOMPARE(imageIndex(child(top, 4)), 2);
        QVERIFY(!isExpanded(*m_form, child(top, 4)));
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
        const QModelIndex node = album("secret");
        m_f.prompts->queuePassword(answer);
        expand(*m_form, node);
        QCOMPARE(isExpanded(*m_form, node), expanded);
        QCOMPARE(imageIndex(node), expanded ? 3 : 2);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->messages, expected);
        QCOMPARE(m_f.library->isUnlocked(QStringLiteral("secret")), expanded);

        // Collapsing needs no password and locks the album; expanding again
        // asks again.
        collapse(*m_form, node);
        QVERIFY(!isExpanded(*m_form, node));
        QVERIFY(!m_f.library->isUnlocked(QStringLiteral("secret")));
        m_f.prompts->queuePassword(QString());
        expand(*m_form, node);
        QVERIFY(!isExpanded(*m_form, node));
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
    }

    void reachingAProtectedAlbumByKeyEmptiesTheViewerFirst()
    {
        makeAlbums();
        openForm();
        expand(*m_form, root(*m_form));
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        expand(*m_form, album("secret"));
        select(*m_form, child(album("secret"), 0)); // hidden, shown
        QVERIFY(!view(*m_form)->picture().isNull());
        bool emptyWhenAsked = false;
        m_f.prompts->whenAsked = [&] { emptyWhenAsked = view(*m_form)->picture().isNull(); };
        m_f.prompts->queuePassword(QString());
        tree(*m_form)->setFocus();
        QTest::keyClick(tree(*m_form), Qt::Key_Down); // other, protected
        QCOMPARE(current(*m_form), album("other"));
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
        QVERIFY(emptyWhenAsked);
        m_f.prompts->whenAsked = nullptr;
    }

    void expandAllKeepsTheImagesTrue()
    {
        makeAlbums();
        openForm();
        const QModelIndex top = root(*m_form);
        select(*m_form, top);
        // '*' opens everything below; both protected albums are refused.
        m_f.prompts->queuePassword(QString());
        m_f.prompts->queuePassword(QStringLiteral("wrong"));
        tree(*m_form)->setFocus();
        QTest::keyClick(tree(*m_form), Qt::Key_Asterisk);
        QTRY_COMPARE(m_f.prompts->pendingAnswers(), 0);
        QVERIFY(isExpanded(*m_form, album("open")));
        QVERIFY(!isExpanded(*m_form, album("secret")));
        QVERIFY(!isExpanded(*m_form, album("other")));
        for (int i = 0; i < childCount(top); ++i) {
            const QModelIndex node = child(top, i);
            const bool open = isExpanded(*m_form, node) && childCount(node) > 0;
            QVERIFY2(imageIndex(node) == (open ? 3 : 2), qPrintable(text(node)));
        }
    }

    void treeDrawsLinesAndUntintedSelectedImages()
    {
        makeAlbums();
        openForm();
        AlbumTreeView *view = tree(*m_form);
        expand(*m_form, root(*m_form));
        select(*m_form, album("empty"));
        // A selected node's image is the image itself.
        const QIcon icon = album("empty").data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(icon.pixmap(16, 16, QIcon::Selected).toImage(), icon.pixmap(16, 16, QIcon::Normal).toImage());
        // Lines join the albums under the root: from the first album down to
        // the last, the middle of the albums' branch column is drawn over
        // (dotted) on most of its height, not only at the expand buttons.
        view->setStyleSheet(Artwork::styleSheet());
        const QImage drawn = view->viewport()->grab().toImage();
        const QRect first = view->visualRect(album("open"));
        const QRect last = view->visualRect(album("empty"));
        const int middle = view->indentation() * 3 / 2;
        int inked = 0;
        for (int y = first.top(); y < last.center().y(); y += 2) {
            bool ink = false;
            for (int x = middle - 2; x <= middle + 2; ++x)
                ink = ink || qGray(drawn.pixel(x, y)) < 220 || qGray(drawn.pixel(x, y + 1)) < 220;
            inked += ink ? 1 : 0;
        }
        const int rows = (last.center().y() - first.top()) / 2;
        QVERIFY2(inked > rows * 8 / 10, qPrintable(QStringLiteral("line on %1 of %2").arg(inked).arg(rows)));
    }

    void clickingAProtectedAlbumSelectsItAndAsks()
    {
        makeAlbums();
        openForm();
        expand(*m_form, root(*m_form));
        select(*m_form, child(album("open"), 0)); // a picture is shown first
        expand(*m_form, album("open"));
        QVERIFY(!view(*m_form)->picture().isNull());
        const QModelIndex node = album("secret");
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        const QRect rect = tree(*m_form)->visualRect(node);
        QTest::mouseClick(tree(*m_form)->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(current(*m_form), node);
        QVERIFY(view(*m_form)->picture().isNull());
        QVERIFY(isExpanded(*m_form, node));
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
        // A right click leaves the selection where it is.
        QTest::mouseClick(tree(*m_form)->viewport(), Qt::RightButton, {},
                          tree(*m_form)->visualRect(album("open")).center());
        QCOMPARE(current(*m_form), node);
    }

    void selectionShowsWhatItShows()
    {
        makeAlbums();
        openForm();
        const QModelIndex cat = child(album("open"), 0);
        select(*m_form, cat);
        QCOMPARE(view(*m_form)->pictureSize(), QSize(64, 48));
        QCOMPARE(viewer(*m_form)->shownPicture().name, QStringLiteral("cat"));
        const QImage shown = viewer(*m_form)->loadedPicture();

        select(*m_form, album("empty"));
        QVERIFY(view(*m_form)->picture().isNull());
        QVERIFY(viewer(*m_form)->shownPicture().isNull());
        select(*m_form, root(*m_form));
        QVERIFY(view(*m_form)->picture().isNull());

        // Data that are not a JPEG: the decoder's error, an empty viewer, and
        // the picture as loaded as it was.
        select(*m_form, child(album("open"), 2));
        const QList<PromptRecord> expected = {{PromptKind::Error, QStringLiteral("Quilbo 2009"),
                                               QStringLiteral("这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)")}};
        QCOMPARE(m_f.prompts->messages, expected);
        QVERIFY(view(*m_form)->picture().isNull());
        QCOMPARE(viewer(*m_form)->loadedPicture(), shown);

        // A picture no longer in the store: nothing shown, nothing said.
        QVERIFY(m_f.store->deletePicture(m_f.store->findAlbumId(QStringLiteral("open")), QStringLiteral("dog")));
        select(*m_form, child(album("open"), 1));
        QVERIFY(view(*m_form)->picture().isNull());
        QVERIFY(viewer(*m_form)->loadedPicture().isNull());
        QCOMPARE(m_f.prompts->messages.size(), 1);
    }

    void collapsingMovesTheSelectionUp()
    {
        makeAlbums();
        openForm();
        const QModelIndex top = root(*m_form);
        const QModelIndex open = album("open");
        select(*m_form, child(open, 0));
        QTRY_VERIFY(!view(*m_form)->picture().isNull());
        collapse(*m_form, open);
        QCOMPARE(current(*m_form), open);
        QVERIFY(view(*m_form)->picture().isNull());
        QVERIFY(!isExpanded(*m_form, open));
        // Rename now says what it always says without a picture.
        m_form->action("renamePictureAction")->trigger();
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请选择一张图片")}}));

        // Collapsing the root takes a selection below it to the root.
        expand(*m_form, top);
        select(*m_form, child(open, 1));
        collapse(*m_form, top);
        QCOMPARE(current(*m_form), top);
        QVERIFY(view(*m_form)->picture().isNull());

        // Collapsing another album leaves the selection alone.
        expand(*m_form, top);
        select(*m_form, child(open, 1));
        expand(*m_form, album("empty"));
        collapse(*m_form, album("empty"));
        QCOMPARE(current(*m_form), child(open, 1));
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
        const QModelIndex cat = child(album("open"), 0);
        QLineEdit *editor = startEdit(cat);
        QCOMPARE(editor->text(), QStringLiteral("cat"));
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!tree(*m_form)->findChild<QLineEdit *>());
        QCOMPARE(text(child(album("open"), 0)), label);
        const int albumId = m_f.store->findAlbumId(QStringLiteral("open"));
        QStringList names;
        m_f.store->listPictureNames(albumId, &names);
        QCOMPARE(names.first(), stored);
        if (warning.isEmpty())
            QCOMPARE(m_f.prompts->messages.size(), 0);
        else
            QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{{PromptKind::Warning, QStringLiteral("警告"), warning}}));
    }

    void renameCancelledStoresNothing()
    {
        makeAlbums();
        openForm();
        const QModelIndex cat = child(album("open"), 0);
        QLineEdit *editor = startEdit(cat);
        editor->setText(QStringLiteral("kitten"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!tree(*m_form)->findChild<QLineEdit *>());
        QCOMPARE(text(cat), QStringLiteral("cat"));
        QCOMPARE(m_f.store->findPictureId(m_f.store->findAlbumId(QStringLiteral("open")), QStringLiteral("cat")), 1);
        // No label is ever edited by clicking it.
        const QRect rect = tree(*m_form)->visualRect(cat);
        QTest::mouseDClick(tree(*m_form)->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(!tree(*m_form)->findChild<QLineEdit *>());
        QCOMPARE(m_f.prompts->messages.size(), 0);
        // F2 is the rename command's own key.
        QTest::keyClick(tree(*m_form), Qt::Key_F2);
        QTRY_VERIFY(tree(*m_form)->findChild<QLineEdit *>());
    }

    // After a new album, an import or a password change, the albums that
    // were open stay open, without their password asked again, and the
    // selection stays where it was.
    void keepsItsPlace_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("a new album") << 0;
        QTest::newRow("an import") << 1;
        QTest::newRow("a password set") << 2;
        QTest::newRow("a password changed") << 3;
        QTest::newRow("a password removed") << 4;
    }
    void keepsItsPlace()
    {
        QFETCH(int, change);
        makeAlbums();
        openForm();
        expand(*m_form, root(*m_form));
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        expand(*m_form, album("secret"));
        QVERIFY(isExpanded(*m_form, album("secret")));
        expand(*m_form, album("open"));
        select(*m_form, child(album("open"), 1));
        const qsizetype asked = m_f.prompts->messages.size(); // the password, once
        const QString file = m_f.dir.filePath(QStringLiteral("fox.jpg"));
        QVERIFY(TestStore::writeFile(file, JpegFixtures::tagged("fox")));
        switch (change) {
        case 0: QVERIFY(m_f.library->addAlbum(QStringLiteral("new"), QString())); break;
        case 1: QVERIFY(m_f.library->addPicture(QStringLiteral("open"), file)); break;
        case 2: QVERIFY(m_f.library->setAlbumPassword(QStringLiteral("open"), QStringLiteral("pw"))); break;
        case 3: QVERIFY(m_f.library->setAlbumPassword(QStringLiteral("secret"), QStringLiteral("pw2"))); break;
        case 4: QVERIFY(m_f.library->setAlbumPassword(QStringLiteral("secret"), QString())); break;
        }
        QTest::qWait(50);
        QVERIFY(isExpanded(*m_form, root(*m_form)));
        QVERIFY(isExpanded(*m_form, album("open")));
        QVERIFY(isExpanded(*m_form, album("secret")));
        QCOMPARE(text(current(*m_form)), QStringLiteral("dog"));
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
        QCOMPARE(m_f.prompts->messages.size(), asked);
    }

    void refresh()
    {
        makeAlbums();
        openForm();
        expand(*m_form, root(*m_form));
        select(*m_form, child(album("open"), 0));
        expand(*m_form, album("open"));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("later"), QString()));
        m_form->action("refreshAction")->trigger();
        const QModelIndex top = root(*m_form);
        QVERIFY(!isExpanded(*m_form, top));
        QCOMPARE(childCount(top), 5);
        QVERIFY(!isExpanded(*m_form, album("open")));
        QVERIFY(!current(*m_form).isValid());
        QVERIFY(view(*m_form)->picture().isNull());

        // A store error while filling: told as any error, the root stays.
        m_f.store->closeStore();
        m_form->action("refreshAction")->trigger();
        QCOMPARE(tree(*m_form)->model()->rowCount(), 1);
        QCOMPARE(childCount(root(*m_form)), 0);
        // In Chinese, with the engine's text only as a detail.
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("Quilbo 2009"),
                                       QStringLiteral("相册库没有打开!\n(详细信息: the album store is not open)")}}));
    }

private:
    void makeAlbums() { FormFixture::makeAlbums(m_f); }

    void openForm()
    {
        m_form = FormFixture::open(m_f);
        QVERIFY(m_form->storeOpened());
    }

    QModelIndex album(const char *name) { return albumNode(*m_form, QString::fromLatin1(name)); }

    // Opens the rename editor on a picture as the rename command does.
    QLineEdit *startEdit(const QModelIndex &node)
    {
        m_form->activateWindow();
        select(*m_form, node);
        m_form->action("renamePictureAction")->trigger();
        auto *editor = tree(*m_form)->findChild<QLineEdit *>();
        if (!editor)
            QTest::qFail("no label editor", __FILE__, __LINE__);
        return editor;
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestAlbumTree)
#include "test_albumtree.moc"
