// The menus: every command is one QAction, created once under its item name
// and shown by every menu that offers it; the navigation buttons trigger the
// same actions.

#include "MainWindow.h"

#include "AboutDialog.h"
#include "AlbumExportDialog.h"
#include "AlbumLibrary.h"
#include "Application.h"
#include "BackupStoreDialog.h"
#include "ChangeAlbumPasswordDialog.h"
#include "CompactStoreDialog.h"
#include "GuideDialog.h"
#include "LegacyImportDialog.h"
#include "NewAlbumDialog.h"
#include "PictureImportDialog.h"
#include "Prompts.h"
#include "SetAlbumPasswordDialog.h"
#include "TextRules.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

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

QAction *MainWindow::action(const char *name) const { return findChild<QAction *>(QString::fromLatin1(name)); }

void MainWindow::createMenus()
{
    functionMenu = new QMenu(this);
    functionMenu->setObjectName(QStringLiteral("functionMenu"));
    addCommand(functionMenu, "newAlbumAction", QStringLiteral("新建相册"), &MainWindow::newAlbum);
    addCommand(functionMenu, "deleteAlbumAction", QStringLiteral("删除相册"), &MainWindow::deleteSelectedAlbum);
    functionMenu->addSeparator();
    addCommand(functionMenu, "importPicturesAction", QStringLiteral("导入图片"), &MainWindow::importPictures);
    addCommand(functionMenu, "exportAlbumAction", QStringLiteral("批量导出图片"), &MainWindow::exportAlbum);
    addCommand(functionMenu, "deletePictureAction", QStringLiteral("删除图片"), &MainWindow::deleteSelectedPicture);
    addCommand(functionMenu, "savePictureAsAction", QStringLiteral("图片另存为..."), &MainWindow::savePictureAs);
    addCommand(functionMenu, "renamePictureAction", QStringLiteral("重命名图片"), &MainWindow::renameSelectedPicture);
    addCommand(functionMenu, "printPictureAction", QStringLiteral("打印图片..."), &MainWindow::printPicture);
    functionMenu->addSeparator();
    QMenu *view = functionMenu->addMenu(QStringLiteral("查看"));
    view->menuAction()->setObjectName(QStringLiteral("viewMenuAction"));
    QAction *n14 = addCommand(view, "albumListAction", QStringLiteral("相册列表"), &MainWindow::toggleAlbumList);
    n14->setCheckable(true);
    QAction *n34 = addCommand(view, "searchBarAction", QStringLiteral("搜索栏"), &MainWindow::toggleSearchBar);
    n34->setCheckable(true);
    functionMenu->addSeparator();
    QMenu *image = functionMenu->addMenu(QStringLiteral("图像"));
    image->menuAction()->setObjectName(QStringLiteral("imageMenuAction"));
    addCommand(image, "zoomInAction", QStringLiteral("放大"), &MainWindow::zoomIn);
    addCommand(image, "zoomOutAction", QStringLiteral("缩小"), &MainWindow::zoomOut);
    addCommand(image, "actualSizeAction", QStringLiteral("实际大小"), &MainWindow::showActualSize);
    addCommand(image, "turnClockwiseAction", QStringLiteral("顺时针转90度"), &MainWindow::turnClockwise);
    addCommand(image, "turnCounterClockwiseAction", QStringLiteral("逆时针转90度"), &MainWindow::turnCounterClockwise);
    image->addSeparator();
    addCommand(image, "previousPictureAction", QStringLiteral("上一张"), &MainWindow::showPreviousPicture);
    addCommand(image, "nextPictureAction", QStringLiteral("下一张"), &MainWindow::showNextPicture);
    image->addSeparator();
    QMenu *wallpaper = image->addMenu(QStringLiteral("设置桌面壁纸"));
    wallpaper->menuAction()->setObjectName(QStringLiteral("wallpaperMenuAction"));
    addCommand(wallpaper, "wallpaperCentredAction", QStringLiteral("居中"), &MainWindow::setWallpaperCentred);
    addCommand(wallpaper, "wallpaperTiledAction", QStringLiteral("平铺"), &MainWindow::setWallpaperTiled);
    addCommand(wallpaper, "wallpaperStretchedAction", QStringLiteral("拉伸"), &MainWindow::setWallpaperStretched);
    functionMenu->addSeparator();
    addCommand(functionMenu, "compactStoreAction", QStringLiteral("压缩相册库"), &MainWindow::compactAlbumStore);
    addCommand(functionMenu, "backupStoreAction", QStringLiteral("备份相册库"), &MainWindow::backUpAlbumStore);
    addCommand(functionMenu, "importLegacyStoreAction", QStringLiteral("导入旧版相册库..."), &MainWindow::importLegacyStore);
    addCommand(functionMenu, "setAlbumPasswordAction", QStringLiteral("设置相册密码"), &MainWindow::setAlbumPasswordCommand);
    addCommand(functionMenu, "changeAlbumPasswordAction", QStringLiteral("修改相册密码"), &MainWindow::changeAlbumPasswordCommand);
    functionMenu->addSeparator();
    addCommand(functionMenu, "exitAction", QStringLiteral("退出"), &MainWindow::exitProgram);
    connect(functionMenu, &QMenu::aboutToShow, this, &MainWindow::functionMenuAboutToShow);
    connect(functionMenu, &QMenu::aboutToHide, this, &MainWindow::functionMenuClosed);

    helpMenu = new QMenu(this);
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    addCommand(helpMenu, "howToUseAction", QStringLiteral("如何使用(&H)"), nullptr);
    addCommand(helpMenu, "aboutAction", QStringLiteral("关于(&A)"), &MainWindow::showAbout);
    connect(helpMenu, &QMenu::aboutToShow, this, &MainWindow::helpMenuAboutToShow);
    connect(helpMenu, &QMenu::aboutToHide, this, &MainWindow::helpMenuClosed);

    // The tree's menu shows the same commands; where its caption differs,
    // an action of its own runs the same handler.
    treeMenu = new QMenu(this);
    treeMenu->setObjectName(QStringLiteral("treeMenu"));
    treeMenu->addAction(action("newAlbumAction"));
    treeMenu->addAction(action("deleteAlbumAction"));
    treeMenu->addSeparator();
    treeMenu->addAction(action("importPicturesAction"));
    treeMenu->addAction(action("deletePictureAction"));
    addCommand(treeMenu, "treeSavePictureAsAction", QStringLiteral("图片另存为"), &MainWindow::savePictureAs);
    addCommand(treeMenu, "treeRenamePictureAction", QStringLiteral("重命名"), &MainWindow::renameSelectedPicture);
    treeMenu->addSeparator();
    treeMenu->addAction(action("setAlbumPasswordAction"));
    treeMenu->addAction(action("changeAlbumPasswordAction"));
    treeMenu->addSeparator();
    addCommand(treeMenu, "refreshAction", QStringLiteral("刷新"), &MainWindow::refreshTree);
    connect(albumTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { treeMenu->popup(albumTree->viewport()->mapToGlobal(pos)); });
    // A right click opens the menu without moving the selection.
    albumTree->viewport()->installEventFilter(this);

    createShortcuts();

    const QList<QPair<QToolButton *, const char *>> buttons = {
        {turnLeftButton, "turnCounterClockwiseAction"},
        {turnRightButton, "turnClockwiseAction"},
        {zoomInButton, "zoomInAction"},
        {zoomOutButton, "zoomOutAction"},
        {actualSizeButton, "actualSizeAction"},
        {previousButton, "previousPictureAction"},
        {nextButton, "nextPictureAction"},
        {deleteButton, "deletePictureAction"},
        {saveButton, "savePictureAsAction"},
        {printButton, "printPictureAction"},
    };
    for (const auto &[button, name] : buttons)
        connect(button, &QToolButton::clicked, action(name), &QAction::trigger);

    functionMenuButton->installEventFilter(this);
    connect(helpMenuButton, &QToolButton::clicked, this, &MainWindow::openHelpMenu);
    connect(searchMenuButton, &QToolButton::clicked, this, &MainWindow::toggleSearchBarFromTitle);
    webLogLink->installEventFilter(this);
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
        {"turnClockwiseAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_R)}, {}},
        {"turnCounterClockwiseAction", Window, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)}, {}},
        {"deletePictureAction", ViewerAndTree, {QKeySequence(QKeySequence::Delete)}, {}},
        {"renamePictureAction", ViewerAndTree, {QKeySequence(Qt::Key_F2)}, {}},
        {"savePictureAsAction", Window, {QKeySequence(QKeySequence::Save)}, {}},
        {"printPictureAction", Window, {QKeySequence(QKeySequence::Print)}, {}},
        {"refreshAction", Window, {QKeySequence(Qt::Key_F5)}, {}},
        {"exitAction", Window, {QKeySequence(Qt::CTRL | Qt::Key_Q)}, {}},
    };
    viewer->setFocusPolicy(Qt::StrongFocus);
    for (const auto &s : shortcuts) {
        QAction *command = action(s.action);
        command->setShortcuts(s.keys);
        // A shortcut works only for an action of a widget that is shown:
        // the window's, or the widgets' whose focus it needs.
        if (s.where == Window) {
            addAction(command);
        } else {
            command->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            viewer->addAction(command);
            if (s.where == ViewerAndTree)
                albumTree->addAction(command);
        }
        for (const QKeySequence &key : s.viewerKeys) {
            auto *shortcut = new QShortcut(key, viewer, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
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
    if (searchPanel->isHidden()) {
        toggleSearchBar();
        return;
    }
    searchNameEdit->setFocus();
    searchNameEdit->selectAll();
}

void MainWindow::setMenuGlyph(MenuButton *button, int index)
{
    button->glyphIndex = index;
    button->setIcon(QIcon(menuGlyph(index)));
}

void MainWindow::openFunctionMenu()
{
    functionMenu->popup(mapToGlobal(QPoint(functionMenuButton->x() + 10, functionMenuButton->height() + 5)));
}

void MainWindow::openHelpMenu() { helpMenu->popup(mapToGlobal(QPoint(helpMenuButton->x() + 10, helpMenuButton->height() + 5))); }

void MainWindow::functionMenuAboutToShow()
{
    action("searchBarAction")->setChecked(!searchPanel->isHidden());
    action("albumListAction")->setChecked(!albumListPanel->isHidden());
    setMenuGlyph(functionMenuButton, 1);
}

void MainWindow::functionMenuClosed() { setMenuGlyph(functionMenuButton, 0); }
void MainWindow::helpMenuAboutToShow() { setMenuGlyph(helpMenuButton, 1); }
void MainWindow::helpMenuClosed() { setMenuGlyph(helpMenuButton, 0); }

void MainWindow::toggleAlbumList()
{
    zoomed = false;
    albumListPanel->setVisible(albumListPanel->isHidden());
    action("albumListAction")->setChecked(!albumListPanel->isHidden());
    viewerResized();
}

void MainWindow::toggleSearchBar()
{
    zoomed = false;
    searchPanel->setVisible(searchPanel->isHidden());
    // Shown, it is ready for a name to be typed.
    if (!searchPanel->isHidden()) {
        searchNameEdit->setFocus();
        searchNameEdit->selectAll();
    }
    action("searchBarAction")->setChecked(!searchPanel->isHidden());
    viewerResized();
}

void MainWindow::toggleSearchBarFromTitle()
{
    toggleSearchBar();
    setMenuGlyph(searchMenuButton, searchPanel->isHidden() ? 0 : 1);
}

void MainWindow::exitProgram()
{
    close();
    QCoreApplication::quit();
}

void MainWindow::deleteSelectedAlbum()
{
    QTreeWidgetItem *node = albumTree->currentItem();
    if (levelOf(node) != NodeLevel::Album) {
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("请您选择一个待删除的相册!"));
        return;
    }
    const QString name = trimText(node->text(0));
    // The album opened to be deleted is closed again if it stays.
    const AlbumLibraryTask opened(m_library);
    if (m_library.albumHasPassword(name)) {
        const QString answer =
            trimText(Prompts::askPassword(QStringLiteral("密码认证"), QStringLiteral("提示: 该相册已设置了访问密码!")));
        if (answer.isEmpty())
            return;
        if (!m_library.unlock(name, answer)) {
            Prompts::showError(QStringLiteral("错误"), QStringLiteral("访问密码不正确,不能删除该相册!"));
            return;
        }
    }
    if (Prompts::askYesNo(QStringLiteral("提示"), QStringLiteral("您确定要删除： ") + node->text(0) + QStringLiteral("  这个相册吗?"))
        == IdNo)
        return;
    if (!m_library.deleteAlbum(name)) {
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("删除相册时出错!"));
        return;
    }
    forgetDecodedPictures();
    removeDeletedNode(node);
}

void MainWindow::newAlbum()
{
    QString name;
    QString password;
    {
        NewAlbumDialog dialog(m_library, this);
        dialog.exec();
        name = dialog.newAlbumName;
        password = dialog.newAlbumPassword;
    }
    if (name.isEmpty())
        return;
    if (m_library.addAlbum(name, password)) {
        addAlbumNode(name);
    } else {
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("相册新建失败!"));
    }
}

void MainWindow::importPictures() { importPictureFiles(QStringList()); }

void MainWindow::importPictureFiles(const QStringList &files)
{
    bool rebuild = false;
    bool partly = false;
    {
        PictureImportDialog dialog(m_library, this);
        // Listed once the dialog is up, so that what is said of them stands
        // over it.
        if (!files.isEmpty())
            QTimer::singleShot(0, &dialog, [&dialog, files] { dialog.addPictureFiles(files); });
        dialog.exec();
        // Also after a run that stopped part way: the tree shows what the
        // store now holds, and the user finds it as it was left.
        rebuild = dialog.imported || dialog.anyImported;
        partly = !dialog.imported;
    }
    if (rebuild && partly)
        rebuildAlbumTreeKeepingView();
    else if (rebuild)
        buildAlbumTree();
}

void MainWindow::exportAlbum()
{
    AlbumExportDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::compactAlbumStore()
{
    CompactStoreDialog dialog(m_library, m_storePath, this);
    dialog.exec();
}

void MainWindow::backUpAlbumStore()
{
    BackupStoreDialog dialog(m_library, m_storePath, this);
    dialog.exec();
}

void MainWindow::importLegacyStore()
{
    const QString file = chooseLegacyStore(this);
    if (!file.isEmpty())
        importLegacyStoreFile(file);
}

void MainWindow::importLegacyStoreFile(const QString &file)
{
    bool imported = false;
    {
        LegacyImportDialog dialog(m_library, file, this);
        dialog.exec();
        imported = dialog.summary.imported;
    }
    if (imported)
        buildAlbumTree();
}

void MainWindow::setAlbumPasswordCommand()
{
    SetAlbumPasswordDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::changeAlbumPasswordCommand()
{
    ChangeAlbumPasswordDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::openWebLog()
{
    GuideDialog guide(this);
    guide.exec();
}
