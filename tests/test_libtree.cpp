// The album tree: filling, node images, password-guarded expansion, showing
// the selected picture, rename in place and refresh.

#include "ConnectionString.h"
#include "JpegFixtures.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using JpegFixtures::Kind;
using Level = TMainForm::NodeLevel;

class TestLibTree : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
    }
    void cleanup()
    {
        m_form.reset();
        m_f.Teardown();
    }

    void emptyStore()
    {
        openForm();
        QCOMPARE(m_form->PicLibView->topLevelItemCount(), 1);
        QTreeWidgetItem *root = m_form->PicLibView->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("所有相册"));
        QCOMPARE(root->childCount(), 0);
        QCOMPARE(TMainForm::ImageIndex(root), 0);
        QCOMPARE(TMainForm::LevelOf(root), Level::Root);
    }

    void fillsEveryAlbumAndPicture()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *root = m_form->PicLibView->topLevelItem(0);
        QCOMPARE(texts(root), (QStringList{"open", "secret", "other", "empty"}));
        QCOMPARE(texts(album("open")), (QStringList{"cat", "dog", "bmp"}));
        QCOMPARE(texts(album("secret")), QStringList{"hidden"});
        QVERIFY(!root->isExpanded());
        for (int i = 0; i < root->childCount(); ++i) {
            QVERIFY(!root->child(i)->isExpanded());
            QCOMPARE(TMainForm::ImageIndex(root->child(i)), 2);
            QCOMPARE(TMainForm::LevelOf(root->child(i)), Level::Album);
        }
        QCOMPARE(TMainForm::ImageIndex(album("open")->child(0)), 4);
        QCOMPARE(TMainForm::LevelOf(album("open")->child(0)), Level::Picture);
        QVERIFY(m_form->PicLibView->selectedItems().isEmpty());
        QCOMPARE(m_f.prompts->Messages.size(), 0);

        m_form->PicLibView->expandItem(root);
        QCOMPARE(TMainForm::ImageIndex(root), 1);
        m_form->PicLibView->expandItem(album("open"));
        QCOMPARE(TMainForm::ImageIndex(album("open")), 3);
        m_form->PicLibView->collapseItem(album("open"));
        QCOMPARE(TMainForm::ImageIndex(album("open")), 2);
        m_form->PicLibView->collapseItem(root);
        QCOMPARE(TMainForm::ImageIndex(root), 0);

        m_form->AddLibNode(QStringLiteral("new"));
        QCOMPARE(root->child(4)->text(0), QStringLiteral("new"));
        QCOMPARE(TMainForm::ImageIndex(root->child(4)), 2);
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
        m_f.prompts->QueuePassword(answer);
        m_form->PicLibView->expandItem(node);
        QCOMPARE(node->isExpanded(), expanded);
        QCOMPARE(TMainForm::ImageIndex(node), expanded ? 3 : 2);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->Messages, expected);

        // Collapsing needs no password; expanding again asks again.
        m_form->PicLibView->collapseItem(node);
        QVERIFY(!node->isExpanded());
        m_f.prompts->QueuePassword(QString());
        m_form->PicLibView->expandItem(node);
        QVERIFY(!node->isExpanded());
        QCOMPARE(m_f.prompts->PendingAnswers(), 0);
    }

    void clickingAProtectedAlbumSelectsItAndAsks()
    {
        makeAlbums();
        openForm();
        m_form->PicLibView->expandItem(m_form->PicLibView->topLevelItem(0));
        select(album("open")->child(0)); // a picture is shown first
        m_form->PicLibView->expandItem(album("open"));
        QVERIFY(!m_form->MainImage->Picture().isNull());
        QTreeWidgetItem *node = album("secret");
        m_f.prompts->QueuePassword(QStringLiteral("pw1"));
        const QRect rect = m_form->PicLibView->visualItemRect(node);
        QTest::mouseClick(m_form->PicLibView->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(m_form->PicLibView->currentItem(), node);
        QVERIFY(m_form->MainImage->Picture().isNull());
        QVERIFY(m_form->CurLibNode == nullptr);
        QVERIFY(node->isExpanded());
        QCOMPARE(m_f.prompts->PendingAnswers(), 0);
    }

    void selectionShowsWhatItShows()
    {
        makeAlbums();
        openForm();
        QTreeWidgetItem *cat = album("open")->child(0);
        select(cat);
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(64, 48));
        QCOMPARE(m_form->CurLibNode, album("open"));
        const QImage shown = m_f.dm->WorkBitmap;

        select(album("empty"));
        QVERIFY(m_form->MainImage->Picture().isNull());
        QVERIFY(m_form->CurLibNode == nullptr);
        select(m_form->PicLibView->topLevelItem(0));
        QVERIFY(m_form->MainImage->Picture().isNull());

        // Data that are not a JPEG: the decoder's error, an empty viewer, and
        // WorkBitmap as it was.
        select(album("open")->child(2));
        const QList<PromptRecord> expected = {
            {PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("JPEG error #53")}};
        QCOMPARE(m_f.prompts->Messages, expected);
        QVERIFY(m_form->MainImage->Picture().isNull());
        QCOMPARE(m_f.dm->WorkBitmap, shown);

        // A picture no longer in the store: nothing shown, nothing said.
        QVERIFY(m_f.dm->DeletePicture(m_f.dm->FindAlbumId(QStringLiteral("open")), QStringLiteral("dog")));
        select(album("open")->child(1));
        QVERIFY(m_form->MainImage->Picture().isNull());
        QVERIFY(m_f.dm->WorkBitmap.isNull());
        QCOMPARE(m_f.prompts->Messages.size(), 1);
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
        QCOMPARE(m_form->OldPicName, QStringLiteral("cat"));
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!(cat->flags() & Qt::ItemIsEditable));
        QCOMPARE(cat->text(0), label);
        const int albumId = m_f.dm->FindAlbumId(QStringLiteral("open"));
        QStringList names;
        m_f.dm->ListPictureNames(albumId, &names);
        QCOMPARE(names.first(), stored);
        if (warning.isEmpty())
            QCOMPARE(m_f.prompts->Messages.size(), 0);
        else
            QCOMPARE(m_f.prompts->Messages,
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
        QTRY_VERIFY(!m_form->PicLibView->findChild<QLineEdit *>());
        QCOMPARE(cat->text(0), QStringLiteral("cat"));
        QCOMPARE(m_f.dm->FindPictureId(m_f.dm->FindAlbumId(QStringLiteral("open")), QStringLiteral("cat")), 1);
        // Afterwards no label can be edited by clicking it.
        QVERIFY(!(cat->flags() & Qt::ItemIsEditable));
        const QRect rect = m_form->PicLibView->visualItemRect(cat);
        QTest::mouseDClick(m_form->PicLibView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::keyClick(m_form->PicLibView, Qt::Key_F2);
        QVERIFY(!m_form->PicLibView->findChild<QLineEdit *>());
        QCOMPARE(m_f.prompts->Messages.size(), 0);
    }

    void refresh()
    {
        makeAlbums();
        openForm();
        m_form->PicLibView->expandItem(m_form->PicLibView->topLevelItem(0));
        select(album("open")->child(0));
        m_form->PicLibView->expandItem(album("open"));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("later"), QString()));
        m_form->N47Click();
        QTreeWidgetItem *root = m_form->PicLibView->topLevelItem(0);
        QVERIFY(!root->isExpanded());
        QCOMPARE(root->childCount(), 5);
        QVERIFY(!album("open")->isExpanded());
        QVERIFY(m_form->PicLibView->currentItem() == nullptr);
        QVERIFY(m_form->MainImage->Picture().isNull());
        QVERIFY(m_form->CurLibNode == nullptr);

        // A store error while filling: told as any error, the root stays.
        m_f.dm->CloseStore();
        m_form->N47Click();
        QCOMPARE(m_form->PicLibView->topLevelItemCount(), 1);
        QCOMPARE(m_form->PicLibView->topLevelItem(0)->childCount(), 0);
        QCOMPARE(m_f.prompts->Messages.size(), 1);
        QCOMPARE(m_f.prompts->Messages.first().title, QStringLiteral("Quilbo 2009"));
    }

private:
    void makeAlbums()
    {
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("open"), QString()));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("secret"), QStringLiteral("pw1")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("other"), QStringLiteral("xyz")));
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("empty"), QString()));
        const QByteArray jpeg = JpegFixtures::Make(JpegFixtures::Quarters(64, 48), Kind::Baseline);
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("cat"), jpeg);
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("dog"), jpeg);
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("bmp"), JpegFixtures::Bmp(JpegFixtures::Quarters(8, 8)));
        TestStore::AddPictureBytes(m_f.dir, 2, QStringLiteral("hidden"), jpeg);
        TestStore::AddPictureBytes(m_f.dir, 3, QStringLiteral("x"), jpeg);
    }

    void openForm()
    {
        m_f.dm->CloseStore();
        m_form = std::make_unique<TMainForm>(m_f.path);
        QVERIFY(m_form->StoreOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    QTreeWidgetItem *album(const char *name)
    {
        QTreeWidgetItem *root = m_form->PicLibView->topLevelItem(0);
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
        m_form->PicLibView->setCurrentItem(node);
    }

    QLineEdit *startEdit(QTreeWidgetItem *node)
    {
        m_form->activateWindow();
        m_form->BeginRename(node);
        auto *editor = m_form->PicLibView->findChild<QLineEdit *>();
        if (!editor)
            QTest::qFail("no label editor", __FILE__, __LINE__);
        return editor;
    }

    TestStore::Fixture m_f;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestLibTree)
#include "test_libtree.moc"
