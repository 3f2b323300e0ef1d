// The menus and the keys: every command is one QAction, created once under
// its item name and shown by every menu that offers it; the navigation
// buttons trigger the same actions.

#include "MainWindow.h"

#include "AlbumTreeView.h"
#include "Application.h"
#include "GuideDialog.h"
#include "MenuButton.h"
#include "PictureViewer.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>

QAction *MainWindow::addCommand(QMenu *menu, const char *name, const QString &caption, void (MainWindow::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    // An error a command does not catch is reported here, without
    // unwinding through the menu's own code.
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { Application::guard([&] { (this->*handler)(); }); });
    menu->addAction(action);
    return action;
}

QAction *MainWindow::addViewerCommand(QMenu *menu, const char *name, const QString &caption,
                                      void (PictureViewer::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, handler] { Application::guard([&] { (m_viewer->*handler)(); }); });
    menu->addAction(action);
    return action;
}

QAction *MainWindow::action(const char *name) const { return findChild<QAction *>(QString::fromLatin1(name)); }

void MainWindow::createMenus()
{
    m_functionMenu = new QMenu(this);
    m_functionMenu->setObjectName(QStringLiteral("functionMenu"));
    addCommand(m_functionMenu, "newAlbumAction", tr("新建相册"), &MainWindow::newAlbum);
    addCommand(m_functionMenu, "deleteAlbumAction", tr("删除相册"), &MainWindow::deleteSelectedAlbum);
    m_functionMenu->addSeparator();
    addCommand(m_functionMenu, "importPicturesAction", tr("导入图片"), &MainWindow::importPictures);
    addCommand(m_functionMenu, "importFolderAction", tr("导入文件夹..."), &MainWindow::importFolder);
    addCommand(m_functionMenu, "exportAlbumAction", tr("批量导出图片"), &MainWindow::exportAlbum);
    addCommand(m_functionMenu, "deletePictureAction", tr("删除图片"), &MainWindow::deleteSelectedPicture);
    addCommand(m_functionMenu, "savePictureAsAction", tr("图片另存为..."), &MainWindow::savePictureAs);
    addCommand(m_functionMenu, "renamePictureAction", tr("重命名图片"), &MainWindow::renameSelectedPicture);
    addCommand(m_functionMenu, "printPictureAction", tr("打印图片..."), &MainWindow::printPicture);
    m_functionMenu->addSeparator();
    QMenu *view = m_functionMenu->addMenu(tr("查看"));
    view->menuAction()->setObjectName(QStringLiteral("viewMenuAction"));
    QAction *n14 = addCommand(view, "albumListAction", tr("相册列表"), &MainWindow::toggleAlbumList);
    n14->setCheckable(true);
    QAction *n34 = addCommand(view, "searchBarAction", tr("搜索栏"), &MainWindow::toggleSearchBar);
    n34->setCheckable(true);
    view->addSeparator();
    addViewerCommand(view, "pixelForPixelAction", tr("实际像素"), &PictureViewer::showPixelForPixel);
    addCommand(view, "fullScreenAction", tr("全屏显示"), &MainWindow::toggleFullScreen);
    addCommand(view, "slideshowAction", tr("幻灯片放映"), &MainWindow::startSlideshow);
    m_functionMenu->addSeparator();
    QMenu *image = m_functionMenu->addMenu(tr("图像"));
    image->menuAction()->setObjectName(QStringLiteral("imageMenuAction"));
    addViewerCommand(image, "zoomInAction", tr("放大"), &PictureViewer::zoomIn);
    addViewerCommand(image, "zoomOutAction", tr("缩小"), &PictureViewer::zoomOut);
    addViewerCommand(image, "actualSizeAction", tr("实际大小"), &PictureViewer::showActualSize);
    addViewerCommand(image, "turnClockwiseAction", tr("顺时针转90度"), &PictureViewer::turnClockwise);
    addViewerCommand(image, "turnCounterClockwiseAction", tr("逆时针转90度"), &PictureViewer::turnCounterClockwise);
    image->addSeparator();
    addCommand(image, "previousPictureAction", tr("上一张"), &MainWindow::showPreviousPicture);
    addCommand(image, "nextPictureAction", tr("下一张"), &MainWindow::showNextPicture);
    image->addSeparator();
    QMenu *wallpaper = image->addMenu(tr("设置桌面壁纸"));
    wallpaper->menuAction()->setObjectName(QStringLiteral("wallpaperMenuAction"));
    addCommand(wallpaper, "wallpaperCentredAction", tr("居中"), &MainWindow::setWallpaperCentred);
    addCommand(wallpaper, "wallpaperTiledAction", tr("平铺"), &MainWindow::setWallpaperTiled);
    addCommand(wallpaper, "wallpaperStretchedAction", tr("拉伸"), &MainWindow::setWallpaperStretched);
    m_functionMenu->addSeparator();
    addCommand(m_functionMenu, "compactStoreAction", tr("压缩相册库"), &MainWindow::compactAlbumStore);
    addCommand(m_functionMenu, "backupStoreAction", tr("备份相册库"), &MainWindow::backUpAlbumStore);
    addCommand(m_functionMenu, "importLegacyStoreAction", tr("导入旧版相册库..."), &MainWindow::importLegacyStore);
    addCommand(m_functionMenu, "setAlbumPasswordAction", tr("设置相册密码"), &MainWindow::setAlbumPasswordCommand);
    addCommand(m_functionMenu, "changeAlbumPasswordAction", tr("修改相册密码"),
               &MainWindow::changeAlbumPasswordCommand);
    m_functionMenu->addSeparator();
    addCommand(m_functionMenu, "exitAction", tr("退出"), &MainWindow::exitProgram);
    connect(m_functionMenu, &QMenu::aboutToShow, this, &MainWindow::functionMenuAboutToShow);
    connect(m_functionMenu, &QMenu::aboutToHide, this, [this] { setMenuGlyph(m_functionMenuButton, 0); });

    m_helpMenu = new QMenu(this);
    m_helpMenu->setObjectName(QStringLiteral("helpMenu"));
    addCommand(m_helpMenu, "howToUseAction", tr("如何使用(&H)"), &MainWindow::openGuide);
    addCommand(m_helpMenu, "aboutAction", tr("关于(&A)"), &MainWindow::showAbout);
    connect(m_helpMenu, &QMenu::aboutToShow, this, [this] { setMenuGlyph(m_helpMenuButton, 1); });
    connect(m_helpMenu, &QMenu::aboutToHide, this, [this] { setMenuGlyph(m_helpMenuButton, 0); });

    // The tree's menu shows the same commands; where its caption differs,
    // an action of its own runs the same handler.
    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("treeMenu"));
    m_treeMenu->addAction(action("newAlbumAction"));
    m_treeMenu->addAction(action("deleteAlbumAction"));
    m_treeMenu->addSeparator();
    m_treeMenu->addAction(action("importPicturesAction"));
    m_treeMenu->addAction(action("importFolderAction"));
    m_treeMenu->addAction(action("deletePictureAction"));
    addCommand(m_treeMenu, "treeSavePictureAsAction", tr("图片另存为"), &MainWindow::savePictureAs);
    addCommand(m_treeMenu, "treeRenamePictureAction", tr("重命名"), &MainWindow::renameSelectedPicture);
    m_treeMenu->addSeparator();
    m_treeMenu->addAction(action("setAlbumPasswordAction"));
    m_treeMenu->addAction(action("changeAlbumPasswordAction"));
    m_treeMenu->addSeparator();
    addCommand(m_treeMenu, "refreshAction", tr("刷新"), &MainWindow::refreshTree);
    connect(m_tree, &AlbumTreeView::menuRequested, this,
            [this](const QPoint &pos) { m_treeMenu->popup(m_tree->viewport()->mapToGlobal(pos)); });

    createShortcuts();

    const QList<QPair<const char *, const char *>> buttons = {
        {"turnLeftButton", "turnCounterClockwiseAction"},
        {"turnRightButton", "turnClockwiseAction"},
        {"zoomInButton", "zoomInAction"},
        {"zoomOutButton", "zoomOutAction"},
        {"actualSizeButton", "actualSizeAction"},
        {"previousButton", "previousPictureAction"},
        {"nextButton", "nextPictureAction"},
        {"deleteButton", "deletePictureAction"},
        {"saveButton", "savePictureAsAction"},
        {"printButton", "printPictureAction"},
    };
    for (const auto &[button, name] : buttons)
        connect(m_navigationButtons->findChild<QToolButton *>(QString::fromLatin1(button)), &QToolButton::clicked,
                action(name), &QAction::trigger);

    m_functionMenuButton->installEventFilter(this);
    connect(m_helpMenuButton, &QToolButton::clicked, this, &MainWindow::openHelpMenu);
    connect(m_searchMenuButton, &QToolButton::clicked, this, &MainWindow::toggleSearchBarFromTitle);
    m_webLogLink->installEventFilter(this);
}

void MainWindow::createShortcuts()
{
    // The usual keys of picture viewers. Keys with a modifier work anywhere
    // in the window. Keys without one work only where the focused widget
    // has no use for them: in the viewer, and for Delete and F2 in the tree
    // too; in the tree, + and - open and close albums and a letter goes to a
    // name, and in the search field they are typed. A command's first key
    // is on its action, so that the menus show it.
    enum Where { Window, Viewer, ViewerAndTree };
    const struct
    {
        const char *action;
        Where where;
        QList<QKeySequence> keys;
        // Further keys of the viewer alone.
        QList<QKeySequence> viewerKeys;
    } shortcuts[] = {
        {"previousPictureAction", Viewer, {QKeySequence(Qt::Key_PageUp)}, {QKeySequence(Qt::Key_Left)}},
        {"nextPictureAction", Viewer, {QKeySequence(Qt::Key_PageDown)}, {QKeySequence(Qt::Key_Right)}},
        {"zoomInAction", Window, {QKeySequence::ZoomIn}, {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}},
        {"zoomOutAction", Window, {QKeySequence::ZoomOut}, {QKeySequence(Qt::Key_Minus)}},
        {"actualSizeAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_0)}, {QKeySequence(Qt::Key_0), QKeySequence(Qt::Key_F)}},
        {"pixelForPixelAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_1)}, {QKeySequence(Qt::Key_1)}},
        {"fullScreenAction", Window, {QKeySequence(Qt::Key_F11)}, {}},
        {"turnClockwiseAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_R)}, {}},
        {"turnCounterClockwiseAction", Window, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)}, {}},
        {"deletePictureAction", ViewerAndTree, {QKeySequence(QKeySequence::Delete)}, {}},
        {"renamePictureAction", ViewerAndTree, {QKeySequence(Qt::Key_F2)}, {}},
        {"savePictureAsAction", Window, {QKeySequence(QKeySequence::Save)}, {}},
        {"printPictureAction", Window, {QKeySequence(QKeySequence::Print)}, {}},
        {"slideshowAction", Window, {QKeySequence(Qt::Key_F5)}, {}},
        {"exitAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_Q)}, {}},
    };
    for (const auto &s : shortcuts) {
        QAction *command = action(s.action);
        command->setShortcuts(s.keys);
        // A shortcut works only for an action of a widget that is shown:
        // the window's, or the widgets' whose focus it needs.
        if (s.where == Window) {
            addAction(command);
        } else {
            command->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            m_viewer->addAction(command);
            if (s.where == ViewerAndTree)
                m_tree->addAction(command);
        }
        for (const QKeySequence &key : s.viewerKeys) {
            auto *shortcut = new QShortcut(key, m_viewer, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, command, &QAction::trigger);
        }
    }
    // Ctrl+F is for typing a name: it shows the search bar with the cursor
    // in its field, and never hides it (the menu item and the title bar's
    // button do).
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, &MainWindow::showSearchBarForTyping);
}

void MainWindow::showSearchBarForTyping()
{
    if (m_searchPanel->isHidden()) {
        toggleSearchBar();
        return;
    }
    m_searchNameEdit->setFocus();
    m_searchNameEdit->selectAll();
}

void MainWindow::setMenuGlyph(MenuButton *button, int index)
{
    button->glyphIndex = index;
    button->setIcon(QIcon(menuGlyph(index)));
}

void MainWindow::openFunctionMenu()
{
    m_functionMenu->popup(mapToGlobal(QPoint(m_functionMenuButton->x() + 10, m_functionMenuButton->height() + 5)));
}

void MainWindow::openHelpMenu() { m_helpMenu->popup(mapToGlobal(QPoint(m_helpMenuButton->x() + 10, m_helpMenuButton->height() + 5))); }

void MainWindow::functionMenuAboutToShow()
{
    action("searchBarAction")->setChecked(!m_searchPanel->isHidden());
    action("albumListAction")->setChecked(!m_albumListPanel->isHidden());
    setMenuGlyph(m_functionMenuButton, 1);
}


void MainWindow::toggleAlbumList()
{
    m_albumListPanel->setVisible(m_albumListPanel->isHidden());
    action("albumListAction")->setChecked(!m_albumListPanel->isHidden());
    m_viewer->leaveZoom();
}

void MainWindow::toggleSearchBar()
{
    m_searchPanel->setVisible(m_searchPanel->isHidden());
    // Shown, it is ready for a name to be typed.
    if (!m_searchPanel->isHidden()) {
        m_searchNameEdit->setFocus();
        m_searchNameEdit->selectAll();
    }
    action("searchBarAction")->setChecked(!m_searchPanel->isHidden());
    m_viewer->leaveZoom();
}

void MainWindow::toggleSearchBarFromTitle()
{
    toggleSearchBar();
    setMenuGlyph(m_searchMenuButton, m_searchPanel->isHidden() ? 0 : 1);
}

void MainWindow::exitProgram()
{
    close();
    QCoreApplication::quit();
}

void MainWindow::openGuide()
{
    GuideDialog guide(this);
    guide.exec();
}
