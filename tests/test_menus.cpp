// The menus: items, order, captions, submenus and check marks; where they
// open; the title-bar glyphs; delete album; the panels' toggles; the link;
// exit.

#include "FormFixture.h"
#include "Modal.h"
#include "AlbumStore.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QTextBrowser>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>

using FormFixture::albumNode;

namespace {

// "-" for a separator, "name:caption" for an item, a submenu's items after
// ">" and before "<".
QStringList layout(const QMenu *menu)
{
    QStringList items;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator()) {
            items.append(QStringLiteral("-"));
            continue;
        }
        items.append(a->objectName() + QLatin1Char(':') + a->text() + (a->isCheckable() ? QStringLiteral(" [v]") : QString()));
        if (a->menu()) {
            items.append(QStringLiteral(">"));
            items += layout(a->menu());
            items.append(QStringLiteral("<"));
        }
    }
    return items;
}

} // namespace

class TestMenus : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        FormFixture::makeAlbums(m_f);
        m_form = FormFixture::open(m_f);
        m_form->albumTree->expandItem(m_form->albumTree->topLevelItem(0));
    }
    void cleanup()
    {
        QApplication::closeAllWindows();
        m_form.reset();
        m_f.tearDown();
    }

    void menuItems()
    {
        QCOMPARE(layout(m_form->functionMenu),
                 (QStringList{"newAlbumAction:新建相册", "deleteAlbumAction:删除相册", "-", "importPicturesAction:导入图片", "exportAlbumAction:批量导出图片", "deletePictureAction:删除图片",
                              "savePictureAsAction:图片另存为...", "renamePictureAction:重命名图片", "printPictureAction:打印图片...", "-", "viewMenuAction:查看", ">",
                              "albumListAction:相册列表 [v]", "searchBarAction:搜索栏 [v]", "<", "-", "imageMenuAction:图像", ">", "zoomInAction:放大", "zoomOutAction:缩小",
                              "actualSizeAction:实际大小", "turnClockwiseAction:顺时针转90度", "turnCounterClockwiseAction:逆时针转90度", "-", "previousPictureAction:上一张", "nextPictureAction:下一张",
                              "-", "wallpaperMenuAction:设置桌面壁纸", ">", "wallpaperCentredAction:居中", "wallpaperTiledAction:平铺", "wallpaperStretchedAction:拉伸", "<", "<", "-",
                              "compactStoreAction:压缩相册库", "backupStoreAction:备份相册库", "importLegacyStoreAction:导入旧版相册库...", "setAlbumPasswordAction:设置相册密码", "changeAlbumPasswordAction:修改相册密码", "-", "exitAction:退出"}));
        QCOMPARE(layout(m_form->helpMenu), (QStringList{"howToUseAction:如何使用(&H)", "aboutAction:关于(&A)"}));
        QCOMPARE(layout(m_form->treeMenu),
                 (QStringList{"newAlbumAction:新建相册", "deleteAlbumAction:删除相册", "-", "importPicturesAction:导入图片", "deletePictureAction:删除图片", "treeSavePictureAsAction:图片另存为",
                              "treeRenamePictureAction:重命名", "-", "setAlbumPasswordAction:设置相册密码", "changeAlbumPasswordAction:修改相册密码", "-", "refreshAction:刷新"}));
        // One action per command, shared by the menus; none disabled.
        QCOMPARE(m_form->treeMenu->actions().at(0), m_form->action("newAlbumAction"));
        for (QAction *a : m_form->findChildren<QAction *>())
            QVERIFY(a->isEnabled());
    }

    // Keys with a modifier work anywhere in the window; keys without one
    // only where they are not the focused widget's own: the viewer's, and
    // for Delete and F2 (which the tree has no use for) the tree's too.
    void shortcutsTriggerTheirActions_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("inTree");
        const struct
        {
            QKeySequence keys;
            const char *action;
            bool inTree;
        } rows[] = {
            {QKeySequence(Qt::Key_PageUp), "previousPictureAction", false},
            {QKeySequence(Qt::Key_PageDown), "nextPictureAction", false},
            {QKeySequence(Qt::Key_Left), "previousPictureAction", false},
            {QKeySequence(Qt::Key_Right), "nextPictureAction", false},
            {QKeySequence(Qt::Key_Plus), "zoomInAction", false},
            {QKeySequence(Qt::Key_Equal), "zoomInAction", false},
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), "zoomInAction", true},
            {QKeySequence(Qt::Key_Minus), "zoomOutAction", false},
            {QKeySequence(Qt::CTRL | Qt::Key_Minus), "zoomOutAction", true},
            {QKeySequence(Qt::Key_0), "actualSizeAction", false},
            {QKeySequence(Qt::CTRL | Qt::Key_0), "actualSizeAction", true},
            {QKeySequence(Qt::Key_F), "actualSizeAction", false},
            {QKeySequence(Qt::CTRL | Qt::Key_R), "turnClockwiseAction", true},
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), "turnCounterClockwiseAction", true},
            {QKeySequence(Qt::Key_Delete), "deletePictureAction", true},
            {QKeySequence(Qt::Key_F2), "renamePictureAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_S), "savePictureAsAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_P), "printPictureAction", true},
            {QKeySequence(Qt::Key_F5), "refreshAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_Q), "exitAction", true},
        };
        for (const auto &row : rows)
            QTest::addRow("%s to %s", qPrintable(row.keys.toString()), row.action)
                << row.keys << QString::fromLatin1(row.action) << row.inTree;
    }
    void shortcutsTriggerTheirActions()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, action);
        QFETCH(bool, inTree);
        m_form->activateWindow();
        QAction *command = m_form->action(action.toLatin1().constData());
        // Only whether the key reaches the command counts here, not what it
        // does.
        QObject::disconnect(command, &QAction::triggered, m_form.get(), nullptr);
        QSignalSpy triggered(command, &QAction::triggered);
        // The menus name the command's key.
        QVERIFY(!command->shortcut().isEmpty());
        for (QWidget *target : {static_cast<QWidget *>(m_form->viewer), static_cast<QWidget *>(m_form->albumTree)}) {
            target->setFocus();
            QTRY_VERIFY(target->hasFocus());
            QTest::keySequence(target, keys);
        }
        QCOMPARE(triggered.count(), inTree ? 2 : 1);
    }

    void theTreeKeepsItsOwnKeys()
    {
        QTreeWidget *tree = m_form->albumTree;
        QTreeWidgetItem *root = tree->topLevelItem(0);
        tree->expandItem(root);
        tree->setCurrentItem(root->child(0)); // open, closed
        tree->setFocus();
        QTRY_VERIFY(tree->hasFocus());
        QSignalSpy zoomedIn(m_form->action("zoomInAction"), &QAction::triggered);
        QSignalSpy zoomedOut(m_form->action("zoomOutAction"), &QAction::triggered);
        QSignalSpy fitted(m_form->action("actualSizeAction"), &QAction::triggered);
        // Typing a name's first letter goes to it.
        QTest::keyClick(tree, 'e');
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("empty"));
        tree->setCurrentItem(root->child(0));
        QTest::keyClick(tree, Qt::Key_Plus);
        QVERIFY(root->child(0)->isExpanded());
        QTest::keyClick(tree, Qt::Key_Minus);
        QVERIFY(!root->child(0)->isExpanded());
        QCOMPARE(zoomedIn.count() + zoomedOut.count() + fitted.count(), 0);
    }

    void ctrlFShowsTheSearchBarAndNeverHidesIt()
    {
        QVERIFY(m_form->searchPanel->isHidden());
        m_form->activateWindow();
        for (int press = 0; press < 2; ++press) {
            m_form->albumTree->setFocus();
            QTest::keySequence(m_form->albumTree, QKeySequence::Find);
            QTRY_VERIFY(m_form->searchPanel->isVisible());
            QTRY_VERIFY(m_form->searchNameEdit->hasFocus());
            QVERIFY(m_form->action("searchBarAction")->isChecked());
        }
        // The menu's item still hides it.
        m_form->action("searchBarAction")->trigger();
        QVERIFY(m_form->searchPanel->isHidden());
    }

    void typingInTheSearchFieldTriggersNothing()
    {
        m_form->action("searchBarAction")->trigger();
        QTRY_VERIFY(m_form->searchNameEdit->hasFocus());
        QSignalSpy zoomed(m_form->action("zoomInAction"), &QAction::triggered);
        QSignalSpy deleted(m_form->action("deletePictureAction"), &QAction::triggered);
        QSignalSpy fitted(m_form->action("actualSizeAction"), &QAction::triggered);
        QTest::keyClicks(m_form->searchNameEdit, QStringLiteral("f0+-x"));
        QTest::keyClick(m_form->searchNameEdit, Qt::Key_Left);
        QTest::keyClick(m_form->searchNameEdit, Qt::Key_Delete);
        QCOMPARE(m_form->searchNameEdit->text(), QStringLiteral("f0+-"));
        QCOMPARE(zoomed.count() + deleted.count() + fitted.count(), 0);
        // Return searches.
        m_form->searchNameEdit->setText(QStringLiteral("cat"));
        QTest::keyClick(m_form->searchNameEdit, Qt::Key_Return);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("搜索条件不足!")}}));
    }

    void menusOpenUnderTheTitleBar()
    {
        QTest::mousePress(m_form->functionMenuButton, Qt::LeftButton);
        QTRY_VERIFY(m_form->functionMenu->isVisible());
        QCOMPARE(m_form->functionMenu->pos(), m_form->mapToGlobal(QPoint(10, 38)));
        QCOMPARE(m_form->functionMenuButton->glyphIndex, 1);
        QVERIFY(m_form->action("albumListAction")->isChecked());
        QVERIFY(!m_form->action("searchBarAction")->isChecked());
        m_form->functionMenu->close();
        QCOMPARE(m_form->functionMenuButton->glyphIndex, 0);

        QTest::mouseClick(m_form->helpMenuButton, Qt::LeftButton);
        QTRY_VERIFY(m_form->helpMenu->isVisible());
        QCOMPARE(m_form->helpMenu->pos(), m_form->mapToGlobal(QPoint(113, 38)));
        QCOMPARE(m_form->helpMenuButton->glyphIndex, 1);
        m_form->action("howToUseAction")->trigger(); // does nothing
        m_form->helpMenu->close();
        QCOMPARE(m_form->helpMenuButton->glyphIndex, 0);
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void searchBarAndAlbumList()
    {
        QTreeWidgetItem *cat = albumNode(*m_form, "open")->child(0);
        m_form->albumTree->setCurrentItem(cat);
        FormFixture::settle(*m_form);
        m_form->zoomIn();
        m_form->action("searchBarAction")->trigger();
        QVERIFY(!m_form->searchPanel->isHidden());
        QVERIFY(!m_form->zoomed);
        QCOMPARE(m_form->searchMenuButton->glyphIndex, 0); // only its own button turns it
        m_form->functionMenuAboutToShow();
        QVERIFY(m_form->action("searchBarAction")->isChecked());
        m_form->functionMenuClosed();
        QTRY_COMPARE(m_form->viewer->height(), m_form->viewerPanel->height() - 27);
        QCOMPARE(m_form->pictureView->size(), QSize(m_form->viewer->width() - 80, m_form->viewer->height()));

        QTest::mouseClick(m_form->searchMenuButton, Qt::LeftButton);
        QVERIFY(m_form->searchPanel->isHidden());
        QCOMPARE(m_form->searchMenuButton->glyphIndex, 0);
        QTest::mouseClick(m_form->searchMenuButton, Qt::LeftButton);
        QVERIFY(!m_form->searchPanel->isHidden());
        QCOMPARE(m_form->searchMenuButton->glyphIndex, 1);
        QVERIFY(m_form->action("searchBarAction")->isChecked());

        const int wide = m_form->viewer->width();
        m_form->action("albumListAction")->trigger();
        QVERIFY(m_form->albumListPanel->isHidden());
        QVERIFY(!m_form->action("albumListAction")->isChecked());
        QTRY_VERIFY(m_form->viewer->width() > wide);
        QCOMPARE(m_form->pictureView->size(), QSize(m_form->viewer->width() - 80, m_form->viewer->height()));
        m_form->toggleAlbumList();
        QVERIFY(!m_form->albumListPanel->isHidden());
        QVERIFY(m_form->action("albumListAction")->isChecked());
    }

    void deleteAlbum_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("password"); // "-" when none is asked
        QTest::addColumn<int>("answer");       // 0 when no question is asked
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("error");
        QTest::newRow("open, yes") << "open" << "-" << int(IdYes) << true << "";
        QTest::newRow("open, no") << "open" << "-" << int(IdNo) << false << "";
        QTest::newRow("protected, right password") << "secret" << " PW1 " << int(IdYes) << true << "";
        QTest::newRow("protected, right password, no") << "secret" << "pw1" << int(IdNo) << false << "";
        QTest::newRow("protected, wrong password") << "secret" << "xyz" << 0 << false << "访问密码不正确,不能删除该相册!";
        QTest::newRow("protected, empty answer") << "secret" << "  " << 0 << false << "";
    }
    void deleteAlbum()
    {
        QFETCH(QString, album);
        QFETCH(QString, password);
        QFETCH(int, answer);
        QFETCH(bool, deleted);
        QFETCH(QString, error);
        QTreeWidgetItem *node = albumNode(*m_form, album);
        QTreeWidgetItem *next = FormFixture::albumNode(*m_form, album == QLatin1String("open") ? "secret" : "other");
        // Selecting a protected album asks for its password to open it:
        // answered with nothing, it stays closed and selected.
        const bool protectedAlbum = password != QLatin1String("-");
        if (protectedAlbum)
            m_f.prompts->queuePassword(QString());
        m_form->albumTree->setCurrentItem(node);
        FormFixture::settle(*m_form);
        QCOMPARE(m_f.prompts->messages.size(), protectedAlbum ? 1 : 0);
        m_f.prompts->messages.clear();
        if (password != QLatin1String("-"))
            m_f.prompts->queuePassword(password);
        if (answer)
            m_f.prompts->queueYesNo(answer);
        m_form->action("deleteAlbumAction")->trigger();

        QList<PromptRecord> expected;
        if (password != QLatin1String("-"))
            expected.append({PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("提示: 该相册已设置了访问密码!")});
        if (!error.isEmpty())
            expected.append({PromptKind::Error, QStringLiteral("错误"), error});
        if (answer)
            expected.append({PromptKind::YesNo, QStringLiteral("提示"),
                             QStringLiteral("您确定要删除： ") + album + QStringLiteral("  这个相册吗?")});
        QCOMPARE(m_f.prompts->messages, expected);
        QCOMPARE(m_f.store->findAlbumId(album) < 0, deleted);
        QCOMPARE(albumNode(*m_form, album) == nullptr, deleted);
        if (deleted) {
            QCOMPARE(m_form->albumTree->currentItem(), next);
            QVERIFY(m_form->pictureView->picture().isNull());
        }
    }

    void deleteAlbumNeedsAnAlbum()
    {
        m_form->deleteSelectedAlbum();
        m_form->albumTree->setCurrentItem(albumNode(*m_form, "open")->child(0));
        FormFixture::settle(*m_form);
        m_form->deleteSelectedAlbum();
        const PromptRecord choose{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请您选择一个待删除的相册!")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{choose, choose}));

        // The last album: the root is selected after; a store failure says so.
        m_form->albumTree->setCurrentItem(albumNode(*m_form, "empty"));
        FormFixture::settle(*m_form);
        m_f.prompts->queueYesNo(IdYes);
        m_form->deleteSelectedAlbum();
        QCOMPARE(m_form->albumTree->currentItem(), m_form->albumTree->topLevelItem(0));
        m_form->albumTree->setCurrentItem(albumNode(*m_form, "open"));
        FormFixture::settle(*m_form);
        m_f.store->closeStore();
        m_f.prompts->messages.clear();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_form->deleteSelectedAlbum()); // the password test passes the error on
    }

    void rightClickKeepsTheSelection()
    {
        QTreeWidgetItem *cat = albumNode(*m_form, "open")->child(0);
        m_form->albumTree->expandItem(albumNode(*m_form, "open"));
        m_form->albumTree->setCurrentItem(cat);
        FormFixture::settle(*m_form);
        const QRect other = m_form->albumTree->visualItemRect(albumNode(*m_form, "empty"));
        QTest::mouseClick(m_form->albumTree->viewport(), Qt::RightButton, {}, other.center());
        QCOMPARE(m_form->albumTree->currentItem(), cat);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, other.center(), m_form->albumTree->viewport()->mapToGlobal(other.center()));
        QApplication::sendEvent(m_form->albumTree->viewport(), &menu);
        QTRY_VERIFY(m_form->treeMenu->isVisible());
        m_form->treeMenu->close();
    }

    void linkAndExit()
    {
        // The link shows the program's guide in the program itself.
        QVERIFY(m_form->webLogLink->isVisible());
        QString guide;
        onNextModal([&](QDialog *d) {
            if (auto *text = d->findChild<QTextBrowser *>(QStringLiteral("guideText")))
                guide = text->toPlainText();
            d->close();
        });
        QTest::mouseClick(m_form->webLogLink, Qt::LeftButton);
        QVERIFY(guide.contains(QStringLiteral("Quilbo 2009")));
        QVERIFY(guide.contains(QStringLiteral("Where your photos are")));

        m_form->action("exitAction")->trigger();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

private:
    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestMenus)
#include "test_menus.moc"
