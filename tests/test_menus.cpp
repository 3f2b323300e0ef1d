// The menus: items, order, captions, submenus and check marks; where they
// open; the title-bar glyphs; delete album; the panels' toggles; the link;
// exit.

#include "FormFixture.h"
#include "Modal.h"
#include "PicDMUnit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

using FormFixture::Album;

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
        QVERIFY(m_f.Setup());
        FormFixture::MakeAlbums(m_f);
        m_form = FormFixture::Open(m_f);
        m_form->PicLibView->expandItem(m_form->PicLibView->topLevelItem(0));
    }
    void cleanup()
    {
        QApplication::closeAllWindows();
        m_form.reset();
        m_f.Teardown();
    }

    void menuItems()
    {
        QCOMPARE(layout(m_form->Menu1),
                 (QStringList{"N1:新建相册", "N2:删除相册", "-", "N4:导入图片", "N5:批量导出图片", "N8:删除图片",
                              "N10:图片另存为...", "N9:重命名图片", "N11:打印图片...", "-", "N13:查看", ">",
                              "N14:相册列表 [v]", "N34:搜索栏 [v]", "<", "-", "N16:图像", ">", "N17:放大", "N18:缩小",
                              "N35:实际大小", "N901:顺时针转90度", "N902:逆时针转90度", "-", "N20:上一张", "N21:下一张",
                              "-", "N23:设置桌面壁纸", ">", "N24:居中", "N25:平铺", "N26:拉伸", "<", "<", "-",
                              "N28:压缩相册库", "N29:备份相册库", "N30:设置相册密码", "N31:修改相册密码", "-", "N33:退出"}));
        QCOMPARE(layout(m_form->Menu2), (QStringList{"N6:如何使用(&H)", "N7:关于(&A)"}));
        QCOMPARE(layout(m_form->LeftMenu),
                 (QStringList{"N1:新建相册", "N2:删除相册", "-", "N4:导入图片", "N8:删除图片", "N41:图片另存为",
                              "N42:重命名", "-", "N30:设置相册密码", "N31:修改相册密码", "-", "N47:刷新"}));
        // One action per command, shared by the menus; none disabled, no
        // shortcuts.
        QCOMPARE(m_form->LeftMenu->actions().at(0), m_form->Action("N1"));
        for (QAction *a : m_form->findChildren<QAction *>()) {
            QVERIFY(a->isEnabled());
            QVERIFY(a->shortcut().isEmpty());
        }
    }

    void menusOpenUnderTheTitleBar()
    {
        QTest::mousePress(m_form->UserMenu, Qt::LeftButton);
        QTRY_VERIFY(m_form->Menu1->isVisible());
        QCOMPARE(m_form->Menu1->pos(), m_form->mapToGlobal(QPoint(10, 38)));
        QCOMPARE(m_form->UserMenu->GlyphIndex, 1);
        QVERIFY(m_form->Action("N14")->isChecked());
        QVERIFY(!m_form->Action("N34")->isChecked());
        m_form->Menu1->close();
        QCOMPARE(m_form->UserMenu->GlyphIndex, 0);

        QTest::mouseClick(m_form->HelpMenu, Qt::LeftButton);
        QTRY_VERIFY(m_form->Menu2->isVisible());
        QCOMPARE(m_form->Menu2->pos(), m_form->mapToGlobal(QPoint(113, 38)));
        QCOMPARE(m_form->HelpMenu->GlyphIndex, 1);
        m_form->Action("N6")->trigger(); // does nothing
        m_form->Menu2->close();
        QCOMPARE(m_form->HelpMenu->GlyphIndex, 0);
        QCOMPARE(m_f.prompts->Messages.size(), 0);
    }

    void searchBarAndAlbumList()
    {
        QTreeWidgetItem *cat = Album(*m_form, "open")->child(0);
        m_form->PicLibView->setCurrentItem(cat);
        m_form->N17Click();
        m_form->Action("N34")->trigger();
        QVERIFY(!m_form->MainSearcPanle->isHidden());
        QVERIFY(!m_form->Zoomed);
        QCOMPARE(m_form->SearcMenu->GlyphIndex, 0); // only its own button turns it
        m_form->Menu1Popup();
        QVERIFY(m_form->Action("N34")->isChecked());
        m_form->Menu1MenuClose();
        QTRY_COMPARE(m_form->PicSroll->height(), m_form->spSkinPanel1->height() - 27);
        QCOMPARE(m_form->MainImage->size(), QSize(m_form->PicSroll->width() - 80, m_form->PicSroll->height()));

        QTest::mouseClick(m_form->SearcMenu, Qt::LeftButton);
        QVERIFY(m_form->MainSearcPanle->isHidden());
        QCOMPARE(m_form->SearcMenu->GlyphIndex, 0);
        QTest::mouseClick(m_form->SearcMenu, Qt::LeftButton);
        QVERIFY(!m_form->MainSearcPanle->isHidden());
        QCOMPARE(m_form->SearcMenu->GlyphIndex, 1);
        QVERIFY(m_form->Action("N34")->isChecked());

        const int wide = m_form->PicSroll->width();
        m_form->Action("N14")->trigger();
        QVERIFY(m_form->PicListGroup->isHidden());
        QVERIFY(!m_form->Action("N14")->isChecked());
        QTRY_VERIFY(m_form->PicSroll->width() > wide);
        QCOMPARE(m_form->MainImage->size(), QSize(m_form->PicSroll->width() - 80, m_form->PicSroll->height()));
        m_form->N14Click();
        QVERIFY(!m_form->PicListGroup->isHidden());
        QVERIFY(m_form->Action("N14")->isChecked());
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
        QTreeWidgetItem *node = Album(*m_form, album);
        QTreeWidgetItem *next = FormFixture::Album(*m_form, album == QLatin1String("open") ? "secret" : "other");
        // Selecting a protected album asks for its password to open it:
        // answered with nothing, it stays closed and selected.
        const bool protectedAlbum = password != QLatin1String("-");
        if (protectedAlbum)
            m_f.prompts->QueuePassword(QString());
        m_form->PicLibView->setCurrentItem(node);
        QCOMPARE(m_f.prompts->Messages.size(), protectedAlbum ? 1 : 0);
        m_f.prompts->Messages.clear();
        if (password != QLatin1String("-"))
            m_f.prompts->QueuePassword(password);
        if (answer)
            m_f.prompts->QueueYesNo(answer);
        m_form->Action("N2")->trigger();

        QList<PromptRecord> expected;
        if (password != QLatin1String("-"))
            expected.append({PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("提示: 该相册已设置了访问密码!")});
        if (!error.isEmpty())
            expected.append({PromptKind::Error, QStringLiteral("错误"), error});
        if (answer)
            expected.append({PromptKind::YesNo, QStringLiteral("提示"),
                             QStringLiteral("您确定要删除： ") + album + QStringLiteral("  这个相册吗?")});
        QCOMPARE(m_f.prompts->Messages, expected);
        QCOMPARE(m_f.dm->FindAlbumId(album) < 0, deleted);
        QCOMPARE(Album(*m_form, album) == nullptr, deleted);
        if (deleted) {
            QCOMPARE(m_form->PicLibView->currentItem(), next);
            QVERIFY(m_form->MainImage->Picture().isNull());
        }
    }

    void deleteAlbumNeedsAnAlbum()
    {
        m_form->N2Click();
        m_form->PicLibView->setCurrentItem(Album(*m_form, "open")->child(0));
        m_form->N2Click();
        const PromptRecord choose{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("请您选择一个待删除的相册!")};
        QCOMPARE(m_f.prompts->Messages, (QList<PromptRecord>{choose, choose}));

        // The last album: the root is selected after; a store failure says so.
        m_form->PicLibView->setCurrentItem(Album(*m_form, "empty"));
        m_f.prompts->QueueYesNo(IdYes);
        m_form->N2Click();
        QCOMPARE(m_form->PicLibView->currentItem(), m_form->PicLibView->topLevelItem(0));
        m_form->PicLibView->setCurrentItem(Album(*m_form, "open"));
        m_f.dm->CloseStore();
        m_f.prompts->Messages.clear();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_form->N2Click()); // the password test passes the error on
    }

    void rightClickKeepsTheSelection()
    {
        QTreeWidgetItem *cat = Album(*m_form, "open")->child(0);
        m_form->PicLibView->expandItem(Album(*m_form, "open"));
        m_form->PicLibView->setCurrentItem(cat);
        const QRect other = m_form->PicLibView->visualItemRect(Album(*m_form, "empty"));
        QTest::mouseClick(m_form->PicLibView->viewport(), Qt::RightButton, {}, other.center());
        QCOMPARE(m_form->PicLibView->currentItem(), cat);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, other.center(), m_form->PicLibView->viewport()->mapToGlobal(other.center()));
        QApplication::sendEvent(m_form->PicLibView->viewport(), &menu);
        QTRY_VERIFY(m_form->LeftMenu->isVisible());
        m_form->LeftMenu->close();
    }

    void linkAndExit()
    {
        LinkCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QTest::mouseClick(m_form->quilbonet, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{WebLogUrl()});

        m_form->Action("N33")->trigger();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_f.prompts->Messages.size(), 0);
    }

private:
    TestStore::Fixture m_f;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestMenus)
#include "test_menus.moc"
