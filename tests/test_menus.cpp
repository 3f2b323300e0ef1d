// The menus: items, order, captions, submenus and check marks; where they
// open; the title-bar glyphs; delete album; the panels' toggles; the link;
// exit.

#include "FormFixture.h"
#include "MenuButton.h"
#include "Modal.h"
#include "AlbumStore.h"
#include "Application.h"

#include <QFrame>
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
        FormFixture::expand(*m_form, FormFixture::root(*m_form));
    }
    void cleanup()
    {
        QApplication::closeAllWindows();
        m_form.reset();
        m_f.tearDown();
    }

    void menuItems()
    {
        QCOMPARE(layout(FormFixture::child<QMenu>(*m_form, "functionMenu")),
                 (QStringList{"newAlbumAction:新建相册", "deleteAlbumAction:删除相册", "-", "importPicturesAction:导入图片", "importFolderAction:导入文件夹...", "exportAlbumAction:批量导出图片", "deletePictureAction:删除图片",
                              "savePictureAsAction:图片另存为...", "renamePictureAction:重命名图片", "printPictureAction:打印图片...", "-", "viewMenuAction:查看", ">",
                              "albumListAction:相册列表 [v]", "searchBarAction:搜索栏 [v]", "-", "pixelForPixelAction:实际像素", "fullScreenAction:全屏显示", "slideshowAction:幻灯片放映", "<", "-", "imageMenuAction:图像", ">", "zoomInAction:放大", "zoomOutAction:缩小",
                              "actualSizeAction:实际大小", "turnClockwiseAction:顺时针转90度", "turnCounterClockwiseAction:逆时针转90度", "-", "previousPictureAction:上一张", "nextPictureAction:下一张",
                              "-", "wallpaperMenuAction:设置桌面壁纸", ">", "wallpaperCentredAction:居中", "wallpaperTiledAction:平铺", "wallpaperStretchedAction:拉伸", "<", "<", "-",
                              "compactStoreAction:压缩相册库", "backupStoreAction:备份相册库", "importLegacyStoreAction:导入旧版相册库...", "setAlbumPasswordAction:设置相册密码", "changeAlbumPasswordAction:修改相册密码", "-", "exitAction:退出"}));
        QCOMPARE(layout(FormFixture::child<QMenu>(*m_form, "helpMenu")), (QStringList{"howToUseAction:如何使用(&H)", "aboutAction:关于(&A)"}));
        QCOMPARE(layout(FormFixture::child<QMenu>(*m_form, "treeMenu")),
                 (QStringList{"newAlbumAction:新建相册", "deleteAlbumAction:删除相册", "-", "importPicturesAction:导入图片", "importFolderAction:导入文件夹...", "deletePictureAction:删除图片", "treeSavePictureAsAction:图片另存为",
                              "treeRenamePictureAction:重命名", "-", "setAlbumPasswordAction:设置相册密码", "changeAlbumPasswordAction:修改相册密码", "-", "refreshAction:刷新"}));
        // One action per command, shared by the menus; none disabled.
        QCOMPARE(FormFixture::child<QMenu>(*m_form, "treeMenu")->actions().at(0), m_form->action("newAlbumAction"));
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
            {QKeySequence(Qt::Key_1), "pixelForPixelAction", false},
            {QKeySequence(Qt::CTRL | Qt::Key_1), "pixelForPixelAction", true},
            {QKeySequence(Qt::Key_F11), "fullScreenAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_R), "turnClockwiseAction", true},
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), "turnCounterClockwiseAction", true},
            {QKeySequence(Qt::Key_Delete), "deletePictureAction", true},
            {QKeySequence(Qt::Key_F2), "renamePictureAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_S), "savePictureAsAction", true},
            {QKeySequence(Qt::CTRL | Qt::Key_P), "printPictureAction", true},
            {QKeySequence(Qt::Key_F5), "slideshowAction", true},
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
        for (QWidget *target : {static_cast<QWidget *>(FormFixture::viewer(*m_form)), static_cast<QWidget *>(FormFixture::tree(*m_form))}) {
            target->setFocus();
            QTRY_VERIFY(target->hasFocus());
            QTest::keySequence(target, keys);
        }
        QCOMPARE(triggered.count(), inTree ? 2 : 1);
    }

    void theTreeKeepsItsOwnKeys()
    {
        AlbumTreeView *tree = FormFixture::tree(*m_form);
        const QModelIndex root = FormFixture::root(*m_form);
        tree->expand(root);
        tree->setCurrentIndex(FormFixture::child(root, 0)); // open, closed
        tree->setFocus();
        QTRY_VERIFY(tree->hasFocus());
        QSignalSpy zoomedIn(m_form->action("zoomInAction"), &QAction::triggered);
        QSignalSpy zoomedOut(m_form->action("zoomOutAction"), &QAction::triggered);
        QSignalSpy fitted(m_form->action("actualSizeAction"), &QAction::triggered);
        // Typing a name's first letter goes to it.
        QTest::keyClick(tree, 'e');
        QCOMPARE(FormFixture::text(tree->currentIndex()), QStringLiteral("empty"));
        tree->setCurrentIndex(FormFixture::child(root, 0));
        QTest::keyClick(tree, Qt::Key_Plus);
        QVERIFY(tree->isExpanded(FormFixture::child(root, 0)));
        QTest::keyClick(tree, Qt::Key_Minus);
        QVERIFY(!tree->isExpanded(FormFixture::child(root, 0)));
        QCOMPARE(zoomedIn.count() + zoomedOut.count() + fitted.count(), 0);
    }

    void ctrlFShowsTheSearchBarAndNeverHidesIt()
    {
        QVERIFY(FormFixture::child<QFrame>(*m_form, "searchPanel")->isHidden());
        m_form->activateWindow();
        for (int press = 0; press < 2; ++press) {
            FormFixture::tree(*m_form)->setFocus();
            QTest::keySequence(FormFixture::tree(*m_form), QKeySequence::Find);
            QTRY_VERIFY(FormFixture::child<QFrame>(*m_form, "searchPanel")->isVisible());
            QTRY_VERIFY(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->hasFocus());
            QVERIFY(m_form->action("searchBarAction")->isChecked());
        }
        // The menu's item still hides it.
        m_form->action("searchBarAction")->trigger();
        QVERIFY(FormFixture::child<QFrame>(*m_form, "searchPanel")->isHidden());
    }

    void typingInTheSearchFieldTriggersNothing()
    {
        m_form->action("searchBarAction")->trigger();
        QTRY_VERIFY(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->hasFocus());
        QSignalSpy zoomed(m_form->action("zoomInAction"), &QAction::triggered);
        QSignalSpy deleted(m_form->action("deletePictureAction"), &QAction::triggered);
        QSignalSpy fitted(m_form->action("actualSizeAction"), &QAction::triggered);
        QTest::keyClicks(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit"), QStringLiteral("f0+-x"));
        QTest::keyClick(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit"), Qt::Key_Left);
        QTest::keyClick(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit"), Qt::Key_Delete);
        QCOMPARE(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->text(), QStringLiteral("f0+-"));
        QCOMPARE(zoomed.count() + deleted.count() + fitted.count(), 0);
        // Return searches.
        FormFixture::child<QLineEdit>(*m_form, "searchNameEdit")->setText(QStringLiteral("cat"));
        QTest::keyClick(FormFixture::child<QLineEdit>(*m_form, "searchNameEdit"), Qt::Key_Return);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("搜索条件不足!")}}));
    }

    void menusOpenUnderTheTitleBar()
    {
        QTest::mousePress(FormFixture::child<MenuButton>(*m_form, "functionMenuButton"), Qt::LeftButton);
        QTRY_VERIFY(FormFixture::child<QMenu>(*m_form, "functionMenu")->isVisible());
        QCOMPARE(FormFixture::child<QMenu>(*m_form, "functionMenu")->pos(), m_form->mapToGlobal(QPoint(10, 38)));
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "functionMenuButton")->glyphIndex, 1);
        QVERIFY(m_form->action("albumListAction")->isChecked());
        QVERIFY(!m_form->action("searchBarAction")->isChecked());
        FormFixture::child<QMenu>(*m_form, "functionMenu")->close();
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "functionMenuButton")->glyphIndex, 0);

        QTest::mouseClick(FormFixture::child<MenuButton>(*m_form, "helpMenuButton"), Qt::LeftButton);
        QTRY_VERIFY(FormFixture::child<QMenu>(*m_form, "helpMenu")->isVisible());
        QCOMPARE(FormFixture::child<QMenu>(*m_form, "helpMenu")->pos(), m_form->mapToGlobal(QPoint(113, 38)));
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "helpMenuButton")->glyphIndex, 1);
        FormFixture::child<QMenu>(*m_form, "helpMenu")->close();
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "helpMenuButton")->glyphIndex, 0);
        QCOMPARE(m_f.prompts->messages.size(), 0);
    }

    void searchBarAndAlbumList()
    {
        QModelIndex cat = FormFixture::child(albumNode(*m_form, "open"), 0);
        FormFixture::tree(*m_form)->setCurrentIndex(cat);
        FormFixture::settle(*m_form);
        FormFixture::viewer(*m_form)->zoomIn();
        m_form->action("searchBarAction")->trigger();
        QVERIFY(!FormFixture::child<QFrame>(*m_form, "searchPanel")->isHidden());
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "searchMenuButton")->glyphIndex, 0); // only its own button turns it
        QMenu *menu = FormFixture::child<QMenu>(*m_form, "functionMenu");
        emit menu->aboutToShow();
        QVERIFY(m_form->action("searchBarAction")->isChecked());
        emit menu->aboutToHide();
        QTRY_COMPARE(FormFixture::viewer(*m_form)->height(), FormFixture::child<QWidget>(*m_form, "viewerPanel")->height() - 27 - 20);
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(FormFixture::viewer(*m_form)->width() - 80, FormFixture::viewer(*m_form)->height()));

        QTest::mouseClick(FormFixture::child<MenuButton>(*m_form, "searchMenuButton"), Qt::LeftButton);
        QVERIFY(FormFixture::child<QFrame>(*m_form, "searchPanel")->isHidden());
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "searchMenuButton")->glyphIndex, 0);
        QTest::mouseClick(FormFixture::child<MenuButton>(*m_form, "searchMenuButton"), Qt::LeftButton);
        QVERIFY(!FormFixture::child<QFrame>(*m_form, "searchPanel")->isHidden());
        QCOMPARE(FormFixture::child<MenuButton>(*m_form, "searchMenuButton")->glyphIndex, 1);
        QVERIFY(m_form->action("searchBarAction")->isChecked());

        const int wide = FormFixture::viewer(*m_form)->width();
        m_form->action("albumListAction")->trigger();
        QVERIFY(FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->isHidden());
        QVERIFY(!m_form->action("albumListAction")->isChecked());
        QTRY_VERIFY(FormFixture::viewer(*m_form)->width() > wide);
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(FormFixture::viewer(*m_form)->width() - 80, FormFixture::viewer(*m_form)->height()));
        m_form->action("albumListAction")->trigger();
        QVERIFY(!FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->isHidden());
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
        QModelIndex node = albumNode(*m_form, album);
        const QString next = QLatin1String(album == QLatin1String("open") ? "secret" : "other");
        // Selecting a protected album asks for its password to open it:
        // answered with nothing, it stays closed and selected.
        const bool protectedAlbum = password != QLatin1String("-");
        if (protectedAlbum)
            m_f.prompts->queuePassword(QString());
        FormFixture::tree(*m_form)->setCurrentIndex(node);
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
        QCOMPARE(!albumNode(*m_form, album).isValid(), deleted);
        if (deleted) {
            QCOMPARE(FormFixture::current(*m_form), albumNode(*m_form, next));
            QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        }
    }

    void deleteAlbumNeedsAnAlbum()
    {
        m_form->action("deleteAlbumAction")->trigger();
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(albumNode(*m_form, "open"), 0));
        FormFixture::settle(*m_form);
        m_form->action("deleteAlbumAction")->trigger();
        const PromptRecord choose{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请您选择一个待删除的相册!")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{choose, choose}));

        // The last album: the root is selected after; a store failure says so.
        FormFixture::tree(*m_form)->setCurrentIndex(albumNode(*m_form, "empty"));
        FormFixture::settle(*m_form);
        m_f.prompts->queueYesNo(IdYes);
        m_form->action("deleteAlbumAction")->trigger();
        QCOMPARE(FormFixture::current(*m_form), FormFixture::root(*m_form));
        FormFixture::tree(*m_form)->setCurrentIndex(albumNode(*m_form, "open"));
        FormFixture::settle(*m_form);
        m_f.store->closeStore();
        m_f.prompts->messages.clear();
        // The password test's error reaches the general report, and the
        // album stays in the tree.
        m_form->action("deleteAlbumAction")->trigger();
        QCOMPARE(m_f.prompts->messages.size(), 1);
        QCOMPARE(m_f.prompts->messages.first().kind, PromptKind::Error);
        QCOMPARE(m_f.prompts->messages.first().title, Application::title());
        QVERIFY(albumNode(*m_form, "open").isValid());
    }

    void rightClickKeepsTheSelection()
    {
        QModelIndex cat = FormFixture::child(albumNode(*m_form, "open"), 0);
        FormFixture::expand(*m_form, albumNode(*m_form, "open"));
        FormFixture::tree(*m_form)->setCurrentIndex(cat);
        FormFixture::settle(*m_form);
        const QRect other = FormFixture::tree(*m_form)->visualRect(albumNode(*m_form, "empty"));
        QTest::mouseClick(FormFixture::tree(*m_form)->viewport(), Qt::RightButton, {}, other.center());
        QCOMPARE(FormFixture::current(*m_form), cat);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, other.center(), FormFixture::tree(*m_form)->viewport()->mapToGlobal(other.center()));
        QApplication::sendEvent(FormFixture::tree(*m_form)->viewport(), &menu);
        QTRY_VERIFY(FormFixture::child<QMenu>(*m_form, "treeMenu")->isVisible());
        FormFixture::child<QMenu>(*m_form, "treeMenu")->close();
    }

    void linkAndExit()
    {
        // The link shows the program's guide in the program itself.
        QVERIFY(FormFixture::child<QLabel>(*m_form, "webLogLink")->isVisible());
        QString guide;
        onNextModal([&](QDialog *d) {
            if (auto *text = d->findChild<QTextBrowser *>(QStringLiteral("guideText")))
                guide = text->toPlainText();
            d->close();
        });
        QTest::mouseClick(FormFixture::child<QLabel>(*m_form, "webLogLink"), Qt::LeftButton);
        QVERIFY(guide.contains(QStringLiteral("Quilbo 2009")));
        QVERIFY(guide.contains(QStringLiteral("第一步")));

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
