// The menus: every command is one QAction, created once under its item name
// and shown by every menu that offers it; the navigation buttons trigger the
// same actions.

#include "Application.h"
#include "MainUnit.h"
#include "About.h"
#include "BackupUnit.h"
#include "ComLibUnit.h"
#include "ModPassUnit.h"
#include "NewLibUnit.h"
#include "SetPassUnit.h"
#include "PicDMUnit.h"
#include "SaveAllPicUnit.h"
#include "exportPicUnit.h"
#include "TextRules.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>

QAction *TMainForm::addCommand(QMenu *menu, const char *name, const QString &caption, void (TMainForm::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    // An error a command does not catch is reported here, without
    // unwinding through the menu's own code.
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { TApplication::Guard([&] { (this->*handler)(); }); });
    menu->addAction(action);
    return action;
}

QAction *TMainForm::addSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

QAction *TMainForm::Action(const char *name) const { return findChild<QAction *>(QString::fromLatin1(name)); }

void TMainForm::createMenus()
{
    Menu1 = new QMenu(this);
    Menu1->setObjectName(QStringLiteral("Menu1"));
    addCommand(Menu1, "N1", QStringLiteral("新建相册"), &TMainForm::N1Click);
    addCommand(Menu1, "N2", QStringLiteral("删除相册"), &TMainForm::N2Click);
    addSeparator(Menu1, "N3");
    addCommand(Menu1, "N4", QStringLiteral("导入图片"), &TMainForm::N4Click);
    addCommand(Menu1, "N5", QStringLiteral("批量导出图片"), &TMainForm::N5Click);
    addCommand(Menu1, "N8", QStringLiteral("删除图片"), &TMainForm::N8Click);
    addCommand(Menu1, "N10", QStringLiteral("图片另存为..."), &TMainForm::N10Click);
    addCommand(Menu1, "N9", QStringLiteral("重命名图片"), &TMainForm::N9Click);
    addCommand(Menu1, "N11", QStringLiteral("打印图片..."), &TMainForm::N11Click);
    addSeparator(Menu1, "N12");
    QMenu *view = Menu1->addMenu(QStringLiteral("查看"));
    view->menuAction()->setObjectName(QStringLiteral("N13"));
    QAction *n14 = addCommand(view, "N14", QStringLiteral("相册列表"), &TMainForm::N14Click);
    n14->setCheckable(true);
    QAction *n34 = addCommand(view, "N34", QStringLiteral("搜索栏"), &TMainForm::N34Click);
    n34->setCheckable(true);
    addSeparator(Menu1, "N15");
    QMenu *image = Menu1->addMenu(QStringLiteral("图像"));
    image->menuAction()->setObjectName(QStringLiteral("N16"));
    addCommand(image, "N17", QStringLiteral("放大"), &TMainForm::N17Click);
    addCommand(image, "N18", QStringLiteral("缩小"), &TMainForm::N18Click);
    addCommand(image, "N35", QStringLiteral("实际大小"), &TMainForm::N35Click);
    addCommand(image, "N901", QStringLiteral("顺时针转90度"), &TMainForm::N901Click);
    addCommand(image, "N902", QStringLiteral("逆时针转90度"), &TMainForm::N902Click);
    addSeparator(image, "N19");
    addCommand(image, "N20", QStringLiteral("上一张"), &TMainForm::N20Click);
    addCommand(image, "N21", QStringLiteral("下一张"), &TMainForm::N21Click);
    addSeparator(image, "N22");
    QMenu *wallpaper = image->addMenu(QStringLiteral("设置桌面壁纸"));
    wallpaper->menuAction()->setObjectName(QStringLiteral("N23"));
    addCommand(wallpaper, "N24", QStringLiteral("居中"), &TMainForm::N24Click);
    addCommand(wallpaper, "N25", QStringLiteral("平铺"), &TMainForm::N25Click);
    addCommand(wallpaper, "N26", QStringLiteral("拉伸"), &TMainForm::N26Click);
    addSeparator(Menu1, "N27");
    addCommand(Menu1, "N28", QStringLiteral("压缩相册库"), &TMainForm::N28Click);
    addCommand(Menu1, "N29", QStringLiteral("备份相册库"), &TMainForm::N29Click);
    addCommand(Menu1, "N30", QStringLiteral("设置相册密码"), &TMainForm::N30Click);
    addCommand(Menu1, "N31", QStringLiteral("修改相册密码"), &TMainForm::N31Click);
    addSeparator(Menu1, "N32");
    addCommand(Menu1, "N33", QStringLiteral("退出"), &TMainForm::N33Click);
    connect(Menu1, &QMenu::aboutToShow, this, &TMainForm::Menu1Popup);
    connect(Menu1, &QMenu::aboutToHide, this, &TMainForm::Menu1MenuClose);

    Menu2 = new QMenu(this);
    Menu2->setObjectName(QStringLiteral("Menu2"));
    addCommand(Menu2, "N6", QStringLiteral("如何使用(&H)"), nullptr);
    addCommand(Menu2, "N7", QStringLiteral("关于(&A)"), &TMainForm::N7Click);
    connect(Menu2, &QMenu::aboutToShow, this, &TMainForm::Menu2Popup);
    connect(Menu2, &QMenu::aboutToHide, this, &TMainForm::Menu2MenuClose);

    // The tree's menu shows the same commands; where its caption differs,
    // an action of its own runs the same handler.
    LeftMenu = new QMenu(this);
    LeftMenu->setObjectName(QStringLiteral("LeftMenu"));
    LeftMenu->addAction(Action("N1"));
    LeftMenu->addAction(Action("N2"));
    addSeparator(LeftMenu, "N38");
    LeftMenu->addAction(Action("N4"));
    LeftMenu->addAction(Action("N8"));
    addCommand(LeftMenu, "N41", QStringLiteral("图片另存为"), &TMainForm::N10Click);
    addCommand(LeftMenu, "N42", QStringLiteral("重命名"), &TMainForm::N9Click);
    addSeparator(LeftMenu, "N43");
    LeftMenu->addAction(Action("N30"));
    LeftMenu->addAction(Action("N31"));
    addSeparator(LeftMenu, "N46");
    addCommand(LeftMenu, "N47", QStringLiteral("刷新"), &TMainForm::N47Click);
    connect(PicLibView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { LeftMenu->popup(PicLibView->viewport()->mapToGlobal(pos)); });
    // A right click opens the menu without moving the selection.
    PicLibView->viewport()->installEventFilter(this);

    const QList<QPair<QToolButton *, const char *>> buttons = {
        {spSkinSpeedButton2, "N902"}, {spSkinSpeedButton3, "N901"}, {spSkinSpeedButton6, "N17"},
        {spSkinSpeedButton7, "N18"},  {spSkinSpeedButton1, "N35"},  {spSkinSpeedButton4, "N20"},
        {spSkinSpeedButton5, "N21"},  {spSkinSpeedButton8, "N8"},   {spSkinSpeedButton9, "N10"},
        {spSkinSpeedButton10, "N11"},
    };
    for (const auto &[button, name] : buttons) {
        QAction *action = Action(name);
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
    }

    UserMenu->installEventFilter(this);
    connect(HelpMenu, &QToolButton::clicked, this, &TMainForm::HelpMenuClick);
    connect(SearcMenu, &QToolButton::clicked, this, &TMainForm::SearcMenuClick);
    quilbonet->installEventFilter(this);
}

void TMainForm::setMenuGlyph(TMenuButton *button, int index)
{
    button->GlyphIndex = index;
    button->setIcon(QIcon(menuGlyph(index)));
}

void TMainForm::UserMenuMouseDown()
{
    Menu1->popup(mapToGlobal(QPoint(UserMenu->x() + 10, UserMenu->height() + 5)));
}

void TMainForm::HelpMenuClick() { Menu2->popup(mapToGlobal(QPoint(HelpMenu->x() + 10, HelpMenu->height() + 5))); }

void TMainForm::Menu1Popup()
{
    Action("N34")->setChecked(!MainSearcPanle->isHidden());
    Action("N14")->setChecked(!PicListGroup->isHidden());
    setMenuGlyph(UserMenu, 1);
}

void TMainForm::Menu1MenuClose() { setMenuGlyph(UserMenu, 0); }
void TMainForm::Menu2Popup() { setMenuGlyph(HelpMenu, 1); }
void TMainForm::Menu2MenuClose() { setMenuGlyph(HelpMenu, 0); }

void TMainForm::N14Click()
{
    Zoomed = false;
    PicListGroup->setVisible(PicListGroup->isHidden());
    Action("N14")->setChecked(!PicListGroup->isHidden());
    PicSrollResize();
}

void TMainForm::N34Click()
{
    Zoomed = false;
    MainSearcPanle->setVisible(MainSearcPanle->isHidden());
    Action("N34")->setChecked(!MainSearcPanle->isHidden());
    PicSrollResize();
}

void TMainForm::SearcMenuClick()
{
    N34Click();
    setMenuGlyph(SearcMenu, MainSearcPanle->isHidden() ? 0 : 1);
}

void TMainForm::N33Click()
{
    close();
    QCoreApplication::quit();
}

void TMainForm::N2Click()
{
    QTreeWidgetItem *node = PicLibView->currentItem();
    if (LevelOf(node) != NodeLevel::Album) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请您选择一个待删除的相册!"));
        return;
    }
    const QString name = TrimText(node->text(0));
    if (PicDM->AlbumHasPassword(name)) {
        const QString answer =
            TrimText(PicDM->AskPassword(QStringLiteral("密码认证"), QStringLiteral("提示: 该相册已设置了访问密码!")));
        if (answer.isEmpty())
            return;
        if (!PicDM->CheckAlbumPassword(name, answer)) {
            PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("访问密码不正确,不能删除该相册!"));
            return;
        }
    }
    if (PicDM->AskYesNo(QStringLiteral("提示"), QStringLiteral("您确定要删除： ") + node->text(0) + QStringLiteral("  这个相册吗?"))
        == IdNo)
        return;
    if (!PicDM->DeleteAlbum(name)) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("删除相册时出错!"));
        return;
    }
    // The selection goes to the next album, or to the root after the last.
    QTreeWidgetItem *root = node->parent();
    const int i = root->indexOfChild(node);
    selectByCode(i + 1 < root->childCount() ? root->child(i + 1) : root, node);
    if (root->childCount() == 0) {
        root->setExpanded(false);
        PicLibViewGetImageIndex(root);
    }
}

void TMainForm::N1Click()
{
    QString name;
    QString password;
    {
        TNewLibForm dialog(this);
        dialog.exec();
        name = dialog.NewLibName;
        password = dialog.NewLibPass;
    }
    if (name.isEmpty())
        return;
    if (PicDM->AddAlbum(name, password))
        AddLibNode(name);
    else
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("相册新建失败!"));
}

void TMainForm::N4Click()
{
    bool rebuild = false;
    {
        TexportPic dialog(this);
        dialog.exec();
        // Also after a run that stopped part way: the tree shows what the
        // store now holds.
        rebuild = dialog.Imported || dialog.AnyImported;
    }
    if (rebuild)
        BuildLibTree();
}

void TMainForm::N5Click()
{
    TSaveAllPicForm dialog(this);
    dialog.exec();
}

void TMainForm::N28Click()
{
    TComLibForm dialog(m_storePath, this);
    dialog.exec();
}

void TMainForm::N29Click()
{
    TBackupForm dialog(m_storePath, this);
    dialog.exec();
}

void TMainForm::N30Click()
{
    TSetpassForm dialog(this);
    dialog.exec();
}

void TMainForm::N31Click()
{
    TModPassForm dialog(this);
    dialog.exec();
}

void TMainForm::N7Click()
{
    TAboutForm dialog(this);
    dialog.exec();
}

void TMainForm::quilbonetClick() { QDesktopServices::openUrl(WebLogUrl()); }
